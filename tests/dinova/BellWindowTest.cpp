// The programmer's flows from the button to the final status, over the real
// device thread, Sonvox and Chimox and a virtual doorbell; dialogs answer
// from a script and the memory image is read back by its layout.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "CBellWindow.h"
#include "CCheckedFileDialog.h"
#include "CDinovaApp.h"
#include "CModeDialog.h"
#include "CPortDialog.h"
#include "DinovaIds.h"
#include "DinovaTestSupport.h"
#include "TempDir.h"
#include "common/MelFormat.h"
#include "common/StoFormat.h"
#include "platform/Messages.h"

namespace {

using namespace dinovatest;

constexpr int kDeviceButtons[] = {IDC_WRITE_SET, IDC_ADD_MELODY, IDC_READ_SET, IDC_CLEAR, IDC_SELECTION_MODE};
constexpr int kAlwaysThere[] = {IDC_REFRESH, IDC_EXIT};

const QString kIoError = QStringLiteral("Ошибка ввода-вывода при обмене со звонком");
const QString kProgramError = QStringLiteral("Программная ошибка при выполнении операции");
const QString kDamaged = QStringLiteral(
    "Память звонка повреждена: записанные мелодии не могут быть прочитаны.\n"
    "Очистите звонок, чтобы снова записывать в него мелодии");

class BellWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    App();
    PrepareModules();
    dialogs_.exec = [this](QDialog& dialog) { return Answer(dialog); };
  }
  void TearDown() override {
    if (app_) app_->Shutdown();
  }

  // Starts the program on a virtual doorbell holding image.
  void Start(const std::vector<BYTE>& image, bool fast = true) {
    WriteImage(image_, image);
    UseVirtualBell(image_, fast);
    app_ = std::make_unique<CDinovaApp>(dialogs_);
    ASSERT_TRUE(app_->Start());
    window_ = app_->Window();
  }

  // The scripted answers of the program's own dialogs: the open dialogs take
  // the next file name (rejected when there is none or it does not fit), the
  // mode dialog the next mode (rejected when there is none).
  int Answer(QDialog& dialog) {
    if (auto* open = dynamic_cast<CCheckedFileDialog*>(&dialog)) {
      if (files_.empty()) return QDialog::Rejected;
      open->SetFileName(files_.front());
      files_.pop_front();
      checks_.push_back(open->CheckText());
      open->accept();
      return open->result();
    }
    if (auto* mode = dynamic_cast<CModeDialog*>(&dialog)) {
      randomOffered_.push_back(mode->Button(BELL_MODE_RANDOM)->isEnabled());
      if (modes_.empty()) return QDialog::Rejected;
      mode->Button(modes_.front())->setChecked(true);
      modes_.pop_front();
      return QDialog::Accepted;
    }
    if (auto* port = dynamic_cast<CPortDialog*>(&dialog)) return port_ ? port_(*port) : QDialog::Rejected;
    return QDialog::Rejected;
  }

  // Starts a flow with its control and waits for its end.
  void Run(int control) {
    window_->StartFlow(control);
    ASSERT_TRUE(WaitUntil([&] { return !window_->IsFlowRunning(); }));
  }

  QString LastBox() const { return dialogs_.boxes.empty() ? QString() : dialogs_.boxes.back().text; }
  bool Enabled(int control) const { return window_->Button(control)->isEnabled(); }
  void ExpectOnlyRefreshPossible() {
    for (int control : kDeviceButtons) EXPECT_FALSE(Enabled(control)) << control;
    for (int control : kAlwaysThere) EXPECT_TRUE(Enabled(control)) << control;
    EXPECT_TRUE(window_->BellTypeList()->isEnabled());
  }

  QString MelFile(const std::string& name, const std::vector<NoteValues>& notes) {
    EXPECT_EQ(FileStatus::Ok, MelFormat::Save(dir_.file(name), {u"m", notes}));
    return QString::fromStdString(dir_.file(name));
  }

  nvtest::TempDir dir_;
  std::string image_ = dir_.file("bell.bin");
  notaratest::ScriptedDialogs dialogs_;
  std::deque<QString> files_;
  std::deque<BYTE> modes_;
  std::vector<QString> checks_;
  std::vector<bool> randomOffered_;
  std::function<int(CPortDialog&)> port_;
  std::unique_ptr<CDinovaApp> app_;
  CBellWindow* window_ = nullptr;
};

TEST_F(BellWindowTest, RefreshShowsTheStatusAndOpensTheDeviceButtons) {
  Start(Image29(32768, Melodies{Notes(4), Notes(6)}, 2, 1));
  for (int control = IDC_CAPACITY; control <= IDC_MODE; ++control) EXPECT_EQ("?", window_->FieldText(control));
  ExpectOnlyRefreshPossible();

  Run(IDC_REFRESH);
  EXPECT_EQ("15352 нотных знаков", window_->FieldText(IDC_CAPACITY));
  EXPECT_EQ("15340 нотных знаков", window_->FieldText(IDC_FREE));
  EXPECT_EQ("2", window_->FieldText(IDC_MELODY_COUNT));
  EXPECT_EQ("2", window_->FieldText(IDC_CURRENT_MELODY));
  EXPECT_EQ("ручной", window_->FieldText(IDC_MODE));
  for (int control : kDeviceButtons) EXPECT_TRUE(Enabled(control)) << control;
  EXPECT_TRUE(dialogs_.boxes.empty());
  EXPECT_TRUE(WaitUntil([&] { return window_->Progress()->value() == 0; }));
}

TEST_F(BellWindowTest, ChoosingTheOtherBellTypeRefreshesAsThatVersion) {
  std::vector<BYTE> image20(512, 0xFF);
  image20[256 + 1] = 0;  // sequential
  Start(image20);
  window_->SelectBellType(BELL_TYPE_20);
  ASSERT_TRUE(WaitUntil([&] { return !window_->IsFlowRunning(); }));
  EXPECT_EQ("256 нотных знаков", window_->FieldText(IDC_CAPACITY));
  EXPECT_EQ("0", window_->FieldText(IDC_MELODY_COUNT));
  EXPECT_EQ("", window_->FieldText(IDC_CURRENT_MELODY));
}

TEST_F(BellWindowTest, AddMelodyAppendsTheFileAndMakesMelodyOneCurrent) {
  // An empty device whose current melody reads as 0.
  Start(Image29(32768, Melodies{}, 0, 0));
  const std::vector<NoteValues> notes = Notes(7, 3);
  files_ = {MelFile("tune.mel", notes)};
  Run(IDC_ADD_MELODY);

  EXPECT_TRUE(dialogs_.boxes.empty()) << LastBox().toStdString();
  EXPECT_EQ(std::vector<QString>{"Мелодия подходящего размера"}, checks_);
  EXPECT_EQ("1", window_->FieldText(IDC_MELODY_COUNT));
  EXPECT_EQ(QString("%1 нотных знаков").arg(15352 - 8), window_->FieldText(IDC_FREE));
  const Content29 content = Decode29(ReadImage(image_));
  EXPECT_EQ(Melodies{notes}, content.melodies);
  EXPECT_EQ(1, content.current);
  EXPECT_TRUE(window_->Button(IDC_ADD_MELODY)->hasFocus() || !window_->isActiveWindow());
}

TEST_F(BellWindowTest, WriteSetAppendsEachMelodyWithTheBarInEqualStretches) {
  const Melodies stored = {Notes(5)};
  Start(Image29(32768, stored));
  const std::vector<MelodyData> set = {{u"a", Notes(3, 1)}, {u"b", Notes(9, 2)}, {u"c", Notes(1, 3)}};
  ASSERT_EQ(FileStatus::Ok, StoFormat::Save(dir_.file("set.sto"), set));
  files_ = {QString::fromStdString(dir_.file("set.sto"))};
  std::vector<int> bar;
  QObject::connect(window_->Progress(), &QProgressBar::valueChanged, [&](int value) { bar.push_back(value); });
  Run(IDC_WRITE_SET);

  EXPECT_TRUE(dialogs_.boxes.empty()) << LastBox().toStdString();
  // The status read fills a tenth; each of the three appends a third of the rest.
  std::vector<int> ends;
  for (int value : bar) {
    if (value == 10 || value == 40 || value == 70 || value == 100) ends.push_back(value);
  }
  EXPECT_EQ((std::vector<int>{10, 40, 70, 100}), ends);
  EXPECT_TRUE(std::is_sorted(bar.begin(), std::find(bar.begin(), bar.end(), 100)));
  const Melodies expected = {stored[0], set[0].notes, set[1].notes, set[2].notes};
  EXPECT_EQ(expected, Decode29(ReadImage(image_)).melodies);
  EXPECT_EQ("4", window_->FieldText(IDC_MELODY_COUNT));
}

TEST_F(BellWindowTest, ASetThatFitsOnlyAnEmptyBellIsRefused) {
  // 2 + 246 stored symbols leave 8 of 256 free; the set needs 9.
  std::vector<BYTE> image(512, 0xFF);
  image[256 + 1] = 0;
  image[256 + 0x10] = 0;
  image[256 + 0x11] = 0xFF;
  for (int i = 0; i < 247; ++i) image[static_cast<size_t>(i)] = i == 246 ? 7 : 0x6A;
  Start(image);
  window_->SelectBellType(BELL_TYPE_20);
  ASSERT_TRUE(WaitUntil([&] { return !window_->IsFlowRunning(); }));
  ASSERT_EQ("9 нотных знаков", window_->FieldText(IDC_FREE));

  ASSERT_EQ(FileStatus::Ok, StoFormat::Save(dir_.file("nine.sto"), {{u"a", Notes(4)}, {u"b", Notes(3)}}));
  files_ = {QString::fromStdString(dir_.file("nine.sto"))};
  const std::vector<BYTE> before = ReadImage(image_);
  Run(IDC_WRITE_SET);
  EXPECT_EQ(std::vector<QString>{"Набор мелодий подходящего размера"}, checks_);

  ASSERT_EQ(FileStatus::Ok, StoFormat::Save(dir_.file("ten.sto"), {{u"a", Notes(5)}, {u"b", Notes(3)}}));
  files_ = {QString::fromStdString(dir_.file("ten.sto"))};
  Run(IDC_WRITE_SET);
  EXPECT_EQ("Набор мелодий слишком большой", checks_.back());
  EXPECT_EQ("0 нотных знаков", window_->FieldText(IDC_FREE));
  EXPECT_NE(before, ReadImage(image_));
}

TEST_F(BellWindowTest, ReadSetSavesTheMelodiesUnderNumberedNames) {
  const Melodies stored = {Notes(4), Notes(11, 5), Notes(2, 9)};
  Start(Image29(32768, stored));
  const std::string saved = dir_.file("back.sto");
  dialogs_.saveAnswers = {QString::fromStdString(saved)};
  Run(IDC_READ_SET);

  EXPECT_TRUE(dialogs_.boxes.empty()) << LastBox().toStdString();
  ASSERT_EQ(1u, dialogs_.fileRequests.size());
  EXPECT_EQ("sto", dialogs_.fileRequests[0].defaultSuffix);
  std::vector<MelodyData> set;
  ASSERT_EQ(FileStatus::Ok, StoFormat::Load(saved, set));
  ASSERT_EQ(3u, set.size());
  for (size_t i = 0; i < set.size(); ++i) {
    EXPECT_EQ(u"Мелодия N" + std::u16string(1, static_cast<char16_t>(u'1' + i)), set[i].name);
    EXPECT_EQ(stored[i], set[i].notes);
  }
  EXPECT_EQ(QString::fromStdString(dir_.path() + "/"), QString::fromStdString(app_->Paths().WorkDir()));
}

TEST_F(BellWindowTest, ClearEmptiesTheBellOnlyAfterYes) {
  Start(Image29(32768, Melodies{Notes(3), Notes(3)}));
  Run(IDC_REFRESH);
  dialogs_.answers = {IDNO};
  window_->Clear();
  EXPECT_EQ("Очистить звонок, удалив все мелодии ?", LastBox());
  EXPECT_EQ(2u, Decode29(ReadImage(image_)).melodies.size());

  dialogs_.answers = {IDYES};
  window_->Clear();
  EXPECT_EQ("0", window_->FieldText(IDC_MELODY_COUNT));
  EXPECT_EQ("15352 нотных знаков", window_->FieldText(IDC_FREE));
  EXPECT_TRUE(Decode29(ReadImage(image_)).melodies.empty());
}

TEST_F(BellWindowTest, ADamagedMemoryIsShownWrittenByNothingAndMadeUsableByClear) {
  // Three melodies whose header names current melody 15.
  const Melodies stored = {Notes(3), Notes(4), Notes(5)};
  const std::vector<BYTE> damaged = Image29(32768, stored, 15);
  Start(damaged);
  files_ = {MelFile("tune.mel", Notes(2)), MelFile("other.mel", Notes(2))};
  dialogs_.saveAnswers = {QString::fromStdString(dir_.file("back.sto"))};
  for (int control : {IDC_REFRESH, IDC_ADD_MELODY, IDC_WRITE_SET, IDC_READ_SET}) {
    SCOPED_TRACE(control);
    dialogs_.boxes.clear();
    Run(control);
    EXPECT_EQ(kDamaged, LastBox());
    EXPECT_EQ(1u, dialogs_.boxes.size());
    EXPECT_EQ("0", window_->FieldText(IDC_MELODY_COUNT));
    EXPECT_EQ("0 нотных знаков", window_->FieldText(IDC_FREE));
    EXPECT_TRUE(Enabled(IDC_CLEAR));
    EXPECT_TRUE(checks_.empty());
    EXPECT_TRUE(dialogs_.fileRequests.empty());
    EXPECT_EQ(damaged, ReadImage(image_));
  }

  dialogs_.boxes.clear();
  dialogs_.answers = {IDYES};
  window_->Clear();
  EXPECT_EQ("15352 нотных знаков", window_->FieldText(IDC_FREE));
  Run(IDC_ADD_MELODY);
  ASSERT_EQ(1u, dialogs_.boxes.size());  // the clear's question, nothing since
  EXPECT_EQ(std::vector<QString>{"Мелодия подходящего размера"}, checks_);
  EXPECT_EQ(Melodies{Notes(2)}, Decode29(ReadImage(image_)).melodies);
  EXPECT_EQ("1", window_->FieldText(IDC_MELODY_COUNT));
}

TEST_F(BellWindowTest, SelectionModeOffersRandomOnlyOnVersion29) {
  struct Case {
    LONG type;
    std::vector<BYTE> image;
    BYTE mode;
    size_t modeAt;  // where the bell keeps its mode
    BYTE modeByte;  // and how
    const char* shown;
  };
  std::vector<BYTE> image20(512, 0xFF);
  image20[256 + 1] = 0;
  const Case cases[] = {
      {BELL_TYPE_29, Image29(16384, Melodies{}), BELL_MODE_RANDOM, 1, 2, "случайный"},
      {BELL_TYPE_20, image20, BELL_MODE_MANUAL, 256 + 1, 1, "ручной"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    Start(c.image);
    if (c.type == BELL_TYPE_20) window_->SelectBellType(BELL_TYPE_20);
    Run(IDC_REFRESH);
    modes_ = {c.mode};
    window_->SetSelectionMode();
    EXPECT_EQ(c.shown, window_->FieldText(IDC_MODE));
    EXPECT_EQ(c.modeByte, ReadImage(image_)[c.modeAt]);
    app_->Shutdown();
    app_.reset();
  }
  EXPECT_EQ((std::vector<bool>{true, false}), randomOffered_);
}

TEST_F(BellWindowTest, AnUnknownModeIsAskedForBeforeAnythingIsWritten) {
  Start(std::vector<BYTE>(32768, 0xFF));  // a new memory: empty, mode unknown
  files_ = {MelFile("one.mel", Notes(3))};
  const std::vector<BYTE> before = ReadImage(image_);
  Run(IDC_ADD_MELODY);
  EXPECT_EQ(1u, randomOffered_.size());
  EXPECT_EQ(before, ReadImage(image_));
  EXPECT_EQ("?", window_->FieldText(IDC_MODE));

  files_ = {MelFile("one.mel", Notes(3))};
  modes_ = {BELL_MODE_MANUAL};
  Run(IDC_ADD_MELODY);
  const Content29 content = Decode29(ReadImage(image_));
  EXPECT_EQ(1, content.modeByte);
  EXPECT_EQ(Melodies{Notes(3)}, content.melodies);
  EXPECT_EQ("ручной", window_->FieldText(IDC_MODE));
}

TEST_F(BellWindowTest, APortThatCannotBeOpenedIsAnIoError) {
  Start(Image29(32768, Melodies{}));
  ASSERT_TRUE(CPortSetting::Write("/dev/parport250"));
  port_ = [](CPortDialog& dialog) {
    dialog.DeviceChoice()->setChecked(true);
    dialog.DeviceEdit()->setText("/dev/parport251");
    dialog.accept();
    return dialog.result();
  };
  window_->ChoosePort();
  EXPECT_TRUE(window_->windowTitle().endsWith("порт /dev/parport251")) << window_->windowTitle().toStdString();
  EXPECT_EQ("/dev/parport251", CPortSetting::Read());

  Run(IDC_REFRESH);
  EXPECT_EQ(kIoError, LastBox());
  EXPECT_EQ("?", window_->FieldText(IDC_CAPACITY));
  ExpectOnlyRefreshPossible();
  EXPECT_EQ(0, window_->Progress()->value());
}

TEST_F(BellWindowTest, AMissingPortAtStartCanBeReplacedBeforeGivingUp) {
  WriteImage(image_, Image29(32768, Melodies{}));
  port_ = [this](CPortDialog& dialog) {
    dialog.VirtualChoice()->setChecked(true);
    dialog.ImageEdit()->setText(QString::fromStdString(image_));
    dialog.accept();
    return dialog.result();
  };
  for (const int answer : {IDNO, IDYES}) {
    SCOPED_TRACE(answer);
    ASSERT_TRUE(CPortSetting::Write("/dev/i2c-250"));
    dialogs_.answers = {answer};
    app_ = std::make_unique<CDinovaApp>(dialogs_);
    EXPECT_EQ(answer == IDYES, app_->Start());
    EXPECT_TRUE(LastBox().contains("/dev/i2c-250"));
    EXPECT_EQ(answer == IDYES, app_->Window() != nullptr);
    app_->Shutdown();
  }
  EXPECT_EQ("virtual:" + image_ + "?size=32768", CPortSetting::Read());
}

TEST_F(BellWindowTest, StatusReadErrorsEndTheFlowWithTheirMessage) {
  struct Case {
    LPARAM code;
    QString box;
  };
  const Case cases[] = {{1, kIoError}, {4, kIoError}, {2, kProgramError}, {3, kProgramError}, {5, kProgramError}};
  Start(Image29(65536, Melodies{}), false);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    window_->StartFlow(IDC_REFRESH);
    ASSERT_TRUE(window_->IsFlowRunning());
    // An error of the status read, before the bell's own end arrives.
    PostMessage(window_->MessageWindow(), FLOW_REFRESH, MAKELONG(BELL_OP_READ_INFO, 10), c.code);
    ASSERT_TRUE(WaitUntil([&] { return !window_->IsFlowRunning(); }));
    EXPECT_EQ(c.box, LastBox());
    ExpectOnlyRefreshPossible();
    EXPECT_EQ("?", window_->FieldText(IDC_FREE));
    // The real read's own messages come after its flow has ended: ignored.
    ASSERT_TRUE(WaitUntil([&] {
      bool busy = true;
      app_->Device().IsBusy(busy);
      return !busy;
    }));
    QApplication::processEvents();
    EXPECT_EQ("?", window_->FieldText(IDC_FREE));
  }
}

TEST_F(BellWindowTest, ExitWhileBusyAsksAndCancelsTheBell) {
  // Real bus time, so the status read is still running when Exit comes.
  Start(Image29(65536, Melodies{}), false);
  window_->StartFlow(IDC_REFRESH);
  dialogs_.answers = {IDNO};
  window_->Button(IDC_EXIT)->click();
  ASSERT_EQ(1u, dialogs_.boxes.size());
  EXPECT_TRUE(dialogs_.boxes[0].text.startsWith("Идет обмен со звонком."));
  EXPECT_EQ(MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, dialogs_.boxes[0].type);
  EXPECT_TRUE(window_->isVisible());

  dialogs_.answers = {IDYES};
  window_->Button(IDC_EXIT)->click();
  EXPECT_FALSE(window_->isVisible());
  bool busy = true;
  EXPECT_TRUE(app_->Device().IsBusy(busy));
  EXPECT_FALSE(busy);
  // The cancelled read's last message is not shown as an error.
  QApplication::processEvents();
  EXPECT_EQ(2u, dialogs_.boxes.size());
}

}  // namespace
