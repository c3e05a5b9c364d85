// The set editor's window over its real document thread, the Sonvox module
// and the null sound device; dialogs answer from a script.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QThread>
#include <deque>

#include "CMelodyList.h"
#include "CSetoraApp.h"
#include "CSetoraWindow.h"
#include "NotaraTestSupport.h"
#include "SetoraIds.h"
#include "SonvoxTestSupport.h"
#include "TestApplication.h"
#include "common/MelFormat.h"
#include "common/StoFormat.h"

namespace {

QApplication& App() {
  return TestApplication<QApplication>("setora_window_tests");
}

// The script's answers, with the several-files open dialog of Add melody.
class Dialogs : public notaratest::ScriptedDialogs {
 public:
  std::deque<QStringList> openManyAnswers;

  QStringList OpenFileNames(QWidget*, const FileDialogRequest& request) override {
    fileRequests.push_back(request);
    if (openManyAnswers.empty()) return {};
    QStringList answer = openManyAnswers.front();
    openManyAnswers.pop_front();
    return answer;
  }
};

constexpr int kMelodyCommands[] = {IDM_SAVE_MELODY, IDM_DELETE_MELODY, IDM_MELODY_UP, IDM_MELODY_DOWN, IDM_PLAY};

class SetoraWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    App();
    notaratest::PrepareSonvox();
    ASSERT_TRUE(app_.Start());
    window_ = app_.Window();
    // Shown for its layout and focus; the tests run no event loop, so the
    // window is never painted (the raster engine paints on threads of its
    // own, which the thread checker cannot follow into Qt).
    window_->show();
  }

  // A .mel file "<name>.mel" holding a melody of that name with notes notes
  // (whole notes when long, so that it plays for a while).
  QString Mel(const std::string& name, int notes, BYTE duration = 4) {
    MelodyData melody{std::u16string(QString::fromStdString(name).toStdU16String()), {}};
    for (int i = 0; i < notes; ++i) melody.notes.push_back({BYTE(i % 32), duration, 0});
    const std::string path = dir_.file(name + ".mel");
    EXPECT_EQ(FileStatus::Ok, MelFormat::Save(path, melody));
    return QString::fromStdString(path);
  }
  void Add(const QStringList& files) {
    dialogs_.openManyAnswers.push_back(files);
    window_->RunCommand(IDM_ADD_MELODY);
  }
  // Melodies "m1" ... "m<count>", melody i with i notes.
  void AddNumbered(int count) {
    QStringList files;
    for (int i = 1; i <= count; ++i) files << Mel("m" + std::to_string(i), i);
    Add(files);
  }
  void Select(std::initializer_list<int> rows) {
    list()->clearSelection();
    for (int row : rows) list()->item(row)->setSelected(true);
  }
  QStringList Items() const {
    QStringList texts;
    for (int row = 0; row < list()->count(); ++row) texts << list()->item(row)->text();
    return texts;
  }
  std::vector<int> SelectedRows() const {
    std::vector<int> rows;
    for (int row = 0; row < list()->count(); ++row)
      if (list()->item(row)->isSelected()) rows.push_back(row);
    return rows;
  }
  bool Enabled(int id) const {
    const bool menu = window_->Action(id)->isEnabled();
    if (QPushButton* button = window_->Button(id)) {
      EXPECT_EQ(menu, button->isEnabled()) << id;
    }
    return menu;
  }
  CMelodyList* list() const { return window_->List(); }

  nvtest::TempDir dir_;
  Dialogs dialogs_;
  CSetoraApp app_{dialogs_};
  CSetoraWindow* window_ = nullptr;
};

}  // namespace

TEST_F(SetoraWindowTest, StartsWithAnEmptyNewSetAndTheTableStates) {
  EXPECT_EQ(QStringLiteral("Редактор набора мелодий - Новый набор.sto"), window_->windowTitle());
  EXPECT_EQ(0, list()->SetSize());
  EXPECT_EQ(0, list()->BlockSize());
  for (int id : {IDM_NEW, IDM_OPEN, IDM_SAVE, IDM_SAVE_AS, IDM_EXIT, IDM_ADD_MELODY, IDM_ABOUT, IDM_HELP})
    EXPECT_TRUE(Enabled(id)) << id;
  for (int id : kMelodyCommands) EXPECT_FALSE(Enabled(id)) << id;
  EXPECT_FALSE(Enabled(IDM_STOP));
  EXPECT_EQ(window_->Button(IDM_ADD_MELODY), window_->focusWidget());

  Add({Mel("Звонок", 3)});
  EXPECT_EQ(QStringLiteral("Редактор набора мелодий - Новый набор.sto *"), window_->windowTitle());
  EXPECT_EQ(QStringList{QStringLiteral("1. Звонок  ")}, Items());
}

TEST_F(SetoraWindowTest, AboutShowsTheProgramAndItsVersion) {
  QString about;
  dialogs_.exec = [&](QDialog& dialog) {
    if (auto* text = dialog.findChild<QLabel*>(QStringLiteral("aboutText"))) about = text->text();
    return int(QDialog::Accepted);
  };
  window_->RunCommand(IDM_ABOUT);
  EXPECT_EQ(QStringLiteral("Редактор набора мелодий\nВерсия 1.1"), about);
}

TEST_F(SetoraWindowTest, CountsSetAndBlockSizesInNoteSymbols) {
  Add({Mel("ten", 10), Mel("twenty", 20), Mel("empty", 0)});
  EXPECT_EQ(33, list()->SetSize());
  struct Case {
    std::initializer_list<int> selected;
    LONG block;
  } cases[] = {{{}, 0}, {{0}, 11}, {{0, 1}, 32}, {{2}, 1}, {{0, 1, 2}, 33}};
  for (const Case& c : cases) {
    Select(c.selected);
    EXPECT_EQ(c.block, list()->BlockSize()) << c.selected.size();
  }
}

TEST_F(SetoraWindowTest, ListScrollsAcrossItsWidestItem) {
  Add({Mel(std::string(120, 'w'), 1), Mel("short", 1)});
  list()->doItemsLayout();  // what the view's delayed layout would do
  const int wide = list()->HorizontalExtent();
  EXPECT_GT(wide, list()->viewport()->width());
  EXPECT_GT(list()->horizontalScrollBar()->maximum(), 0);

  Select({0});
  dialogs_.answers.push_back(IDYES);
  window_->RunCommand(IDM_DELETE_MELODY);
  EXPECT_LT(list()->HorizontalExtent(), wide / 10);
  EXPECT_EQ(0, list()->horizontalScrollBar()->maximum());
  EXPECT_EQ(QStringList{QStringLiteral("1. short  ")}, Items());
}

TEST_F(SetoraWindowTest, AddStopsAtAFailingFileKeepingTheOnesBefore) {
  const QString bad = QString::fromStdString(dir_.file("bad.mel"));
  nvtest::WriteFile(bad.toStdString(), {6, 'E', 'S', 'T', '1', '.', '0', 0, 0, 0, 0});
  Add({Mel("a", 2), bad, Mel("b", 4)});

  ASSERT_EQ(1u, dialogs_.boxes.size());
  EXPECT_EQ(QStringLiteral("Неправильный формат файла ") + bad, dialogs_.boxes[0].text);
  EXPECT_EQ(QStringLiteral("Редактор набора мелодий"), dialogs_.boxes[0].caption);
  EXPECT_EQ(QStringList{QStringLiteral("1. a  ")}, Items());
  EXPECT_EQ(std::vector<int>{0}, SelectedRows());
  EXPECT_EQ(3, list()->SetSize());
  EXPECT_TRUE(Enabled(IDM_DELETE_MELODY));
  EXPECT_EQ(QString::fromStdString(dir_.path()) + "/", QString::fromStdString(app_.Paths().WorkDir()));
}

TEST_F(SetoraWindowTest, DeleteRenumbersAndSelectsTheFollowingItem) {
  struct Case {
    const char* what;
    std::initializer_list<int> deleted;
    int answer;
    int left;
    std::vector<int> selected;
  } cases[] = {
      {"two in the middle", {1, 4}, IDYES, 10, {1}},
      {"the last", {11}, IDYES, 11, {10}},
      {"all", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, IDYES, 0, {}},
      {"answered No", {1, 4}, IDNO, 12, {1, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (window_->windowTitle().endsWith(" *")) dialogs_.answers.push_back(IDNO);  // New's question
    window_->RunCommand(IDM_NEW);
    AddNumbered(12);
    Select(c.deleted);
    const QStringList before = Items();
    dialogs_.answers.push_back(c.answer);
    window_->RunCommand(IDM_DELETE_MELODY);

    EXPECT_EQ(QStringLiteral("Удалить мелодию (мелодии) из набора ?"), dialogs_.boxes.back().text);
    ASSERT_EQ(c.left, list()->count());
    EXPECT_EQ(c.selected, SelectedRows());
    // Numbered without gaps, the remaining melodies in their order.
    int kept = 0;
    for (int row = 0; row < before.size(); ++row) {
      if (c.answer == IDYES && std::find(c.deleted.begin(), c.deleted.end(), row) != c.deleted.end()) continue;
      const QString name = before[row].section(' ', 1);
      EXPECT_EQ(QStringLiteral("%1. %2").arg(kept + 1).arg(name), list()->item(kept)->text());
      ++kept;
    }
    LONG size = 0;
    for (int row = 0; row < list()->count(); ++row)
      size += list()->item(row)->text().section('m', 1).trimmed().toInt() + 1;
    EXPECT_EQ(size, list()->SetSize());
    if (c.left == 0) {
      for (int id : kMelodyCommands) EXPECT_FALSE(Enabled(id)) << id;
      EXPECT_EQ(window_->Button(IDM_ADD_MELODY), window_->focusWidget());
    }
  }
}

TEST_F(SetoraWindowTest, SelectionRulesAndMovingAMelody) {
  AddNumbered(3);
  struct Case {
    std::initializer_list<int> selected;
    bool one, up, down, del;
  } cases[] = {
      {{0}, true, false, true, true},      {{1}, true, true, true, true},    {{2}, true, true, false, true},
      {{0, 2}, false, false, false, true}, {{}, false, false, false, false},
  };
  for (const Case& c : cases) {
    Select(c.selected);
    SCOPED_TRACE(testing::Message() << "selected " << c.selected.size() << " first "
                                    << (c.selected.size() ? *c.selected.begin() : -1));
    EXPECT_EQ(c.one, Enabled(IDM_SAVE_MELODY));
    EXPECT_EQ(c.one, Enabled(IDM_PLAY));
    EXPECT_EQ(c.up, Enabled(IDM_MELODY_UP));
    EXPECT_EQ(c.down, Enabled(IDM_MELODY_DOWN));
    EXPECT_EQ(c.del, Enabled(IDM_DELETE_MELODY));
  }

  Select({2});
  window_->RunCommand(IDM_MELODY_UP);
  EXPECT_EQ((QStringList{"1. m1  ", "2. m3  ", "3. m2  "}), Items());
  EXPECT_EQ(std::vector<int>{1}, SelectedRows());
  window_->RunCommand(IDM_MELODY_UP);
  EXPECT_EQ((QStringList{"1. m3  ", "2. m1  ", "3. m2  "}), Items());
  EXPECT_FALSE(Enabled(IDM_MELODY_UP));
  window_->RunCommand(IDM_MELODY_DOWN);
  EXPECT_EQ((QStringList{"1. m1  ", "2. m3  ", "3. m2  "}), Items());
  EXPECT_EQ(std::vector<int>{1}, SelectedRows());
}

TEST_F(SetoraWindowTest, PlaybackLocksEditingUntilItEnds) {
  Add({Mel("long", 40, 0), Mel("short", 1, 4)});
  Select({0});
  window_->RunCommand(IDM_PLAY);
  ASSERT_TRUE(window_->IsPlaying());
  EXPECT_TRUE(Enabled(IDM_STOP));
  for (int id : {IDM_NEW, IDM_OPEN, IDM_ADD_MELODY, IDM_DELETE_MELODY, IDM_MELODY_UP, IDM_MELODY_DOWN, IDM_PLAY})
    EXPECT_FALSE(Enabled(id)) << id;
  EXPECT_TRUE(Enabled(IDM_SAVE));

  // Choosing another melody stops the one playing first.
  Select({1});
  EXPECT_FALSE(window_->IsPlaying());
  EXPECT_FALSE(Enabled(IDM_STOP));
  for (int id : {IDM_NEW, IDM_OPEN, IDM_ADD_MELODY, IDM_PLAY, IDM_MELODY_UP}) EXPECT_TRUE(Enabled(id)) << id;

  // The short one ends by itself; the next tick of the timer notices.
  window_->RunCommand(IDM_PLAY);
  ASSERT_TRUE(window_->IsPlaying());
  QElapsedTimer waited;
  waited.start();
  while (window_->IsPlaying() && waited.elapsed() < 20000) {
    QThread::msleep(CSetoraWindow::kPlayPollMs);
    window_->PollPlayback();
  }
  EXPECT_FALSE(window_->IsPlaying());
  EXPECT_TRUE(Enabled(IDM_PLAY));

  window_->RunCommand(IDM_PLAY);
  window_->RunCommand(IDM_STOP);
  EXPECT_FALSE(window_->IsPlaying());
  EXPECT_EQ(std::vector<int>{1}, SelectedRows());
}

TEST_F(SetoraWindowTest, UnsavedChangesQuestion) {
  const QString saved = QString::fromStdString(dir_.file("saved.sto"));
  struct Case {
    const char* what;
    int command;
    int answer;
    QString saveAs;  // the save dialog's answer after Yes; empty: cancelled
    bool goesOn;
  } cases[] = {
      {"Cancel on New", IDM_NEW, IDCANCEL, {}, false},
      {"Cancel on Exit", IDM_EXIT, IDCANCEL, {}, false},
      {"Yes, save dialog cancelled", IDM_NEW, IDYES, {}, false},
      {"Yes, save failed", IDM_EXIT, IDYES, QString::fromStdString(dir_.file("none/x.sto")), false},
      {"Yes, saved", IDM_NEW, IDYES, saved, true},
      {"No", IDM_NEW, IDNO, {}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (list()->count() == 0) Add({Mel("a", 2)});
    const std::size_t boxes = dialogs_.boxes.size();
    dialogs_.answers.push_back(c.answer);
    if (c.answer == IDYES) dialogs_.saveAnswers.push_back(c.saveAs);
    window_->RunCommand(c.command);

    ASSERT_LT(boxes, dialogs_.boxes.size());
    EXPECT_EQ(QStringLiteral("Набор мелодий не сохранен.\nСохранить ?"), dialogs_.boxes[boxes].text);
    EXPECT_EQ(MB_YESNOCANCEL | MB_ICONQUESTION, dialogs_.boxes[boxes].type);
    EXPECT_EQ(c.goesOn ? 0 : 1, list()->count());
    EXPECT_EQ(c.goesOn, !window_->windowTitle().endsWith(" *"));
    EXPECT_EQ(QDialog::Rejected, window_->result());  // the program did not end
  }
  std::vector<MelodyData> set;
  ASSERT_EQ(FileStatus::Ok, StoFormat::Load(saved.toStdString(), set));
  EXPECT_EQ(1u, set.size());
}

TEST_F(SetoraWindowTest, SavesOpensAndSavesMelodies) {
  Add({Mel("Первая", 10), Mel("Вторая", 20)});
  const QString path = QString::fromStdString(dir_.file("set.sto"));
  dialogs_.saveAnswers.push_back(path);
  window_->RunCommand(IDM_SAVE);
  EXPECT_TRUE(window_->HasFile());
  EXPECT_EQ(QStringLiteral("Редактор набора мелодий - set.sto"), window_->windowTitle());
  EXPECT_EQ(QStringLiteral("Новый набор.sto"), dialogs_.fileRequests.back().initialName);

  // What a set checker sees: the melodies and their size in note symbols.
  std::vector<MelodyData> set;
  ASSERT_EQ(FileStatus::Ok, StoFormat::Load(path.toStdString(), set));
  ASSERT_EQ(2u, set.size());
  EXPECT_EQ(u"Вторая", set[1].name);
  EXPECT_EQ(list()->SetSize(), StoFormat::SetSize(set));

  // Saving again asks for no name.
  const std::size_t requests = dialogs_.fileRequests.size();
  Select({1});
  window_->RunCommand(IDM_MELODY_UP);
  window_->RunCommand(IDM_SAVE);
  EXPECT_EQ(requests, dialogs_.fileRequests.size());

  // Save melody proposes the melody's name and leaves the set unmodified.
  const QString melPath = QString::fromStdString(dir_.file("one.mel"));
  dialogs_.saveAnswers.push_back(melPath);
  window_->RunCommand(IDM_SAVE_MELODY);
  EXPECT_EQ(QStringLiteral("Вторая"), dialogs_.fileRequests.back().initialName);
  MelodyData melody;
  ASSERT_EQ(FileStatus::Ok, MelFormat::Load(melPath.toStdString(), melody));
  EXPECT_EQ(20u, melody.notes.size());
  EXPECT_FALSE(window_->windowTitle().endsWith(" *"));

  window_->RunCommand(IDM_NEW);
  dialogs_.openAnswers.push_back(path);
  window_->RunCommand(IDM_OPEN);
  EXPECT_EQ((QStringList{QStringLiteral("1. Вторая  "), QStringLiteral("2. Первая  ")}), Items());
  EXPECT_EQ(std::vector<int>{0}, SelectedRows());
  EXPECT_TRUE(window_->HasFile());
  EXPECT_EQ(32, list()->SetSize());
  EXPECT_GT(list()->HorizontalExtent(), 0);
}

TEST_F(SetoraWindowTest, FailedOpenShowsTheErrorAndWhatWasRead) {
  Add({Mel("a", 1)});
  const std::string notSet = dir_.file("melody.sto");
  nvtest::WriteFile(notSet, {5, 'E', 'M', '2', '.', '0', 0, 0, 0, 0});
  // Two records announced, the second cut short.
  const std::string cut = dir_.file("cut.sto");
  nvtest::WriteFile(cut, {6, 'E', 'S', 'T', '1', '.', '0', 2, 0, 0, 0, 1, 0, 0, 0, 1, 'x', 4, 4, 0, 2, 0, 0, 0});

  dialogs_.answers = {IDNO};
  dialogs_.openAnswers.push_back(QString::fromStdString(notSet));
  window_->RunCommand(IDM_OPEN);
  EXPECT_EQ(QStringLiteral("Файл не является набором мелодий\n"), dialogs_.boxes.back().text);
  EXPECT_EQ(QStringList{QStringLiteral("1. a  ")}, Items());

  dialogs_.answers = {IDNO};
  dialogs_.openAnswers.push_back(QString::fromStdString(cut));
  window_->RunCommand(IDM_OPEN);
  EXPECT_EQ(QStringLiteral("Ошибка при чтении файла ") + QString::fromStdString(cut), dialogs_.boxes.back().text);
  EXPECT_EQ(QStringList{QStringLiteral("1. a  ")}, Items()) << "the set that was open stays, and so does the list";
  EXPECT_TRUE(window_->windowTitle().startsWith(QStringLiteral("Редактор набора мелодий - Новый набор.sto")));
  EXPECT_FALSE(window_->HasFile());
}

TEST_F(SetoraWindowTest, ASetGivenAtStartUpIsOpened) {
  const std::string set = dir_.file("given.sto");
  ASSERT_EQ(FileStatus::Ok, StoFormat::Save(set, {MelodyData{u"Первая", {{1, 2, 0}}}, MelodyData{u"Вторая", {}}}));
  const std::string pipe = dir_.file("pipe.sto");
  ASSERT_EQ(0, mkfifo(pipe.c_str(), 0644));
  const struct {
    std::string path;
    QStringList items;
    QString title;
    bool hasFile;
  } cases[] = {
      {set, {QStringLiteral("1. Первая  "), QStringLiteral("2. Вторая  ")}, QStringLiteral("given.sto"), true},
      {pipe, {}, QStringLiteral("Новый набор.sto"), false},
  };
  for (const auto& c : cases) {
    Dialogs dialogs;
    CSetoraApp app{dialogs};
    ASSERT_TRUE(app.Start(QString::fromStdString(c.path)));
    CMelodyList* list = app.Window()->List();
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
    EXPECT_EQ(c.items, items) << c.path;
    EXPECT_EQ(QStringLiteral("Редактор набора мелодий - ") + c.title, app.Window()->windowTitle()) << c.path;
    EXPECT_EQ(c.hasFile, app.Window()->HasFile()) << c.path;
    EXPECT_EQ(c.hasFile ? 0u : 1u, dialogs.boxes.size()) << c.path << ": the pipe is refused at once";
    app.Shutdown();
  }
}
