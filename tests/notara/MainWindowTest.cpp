// The editor as a user meets it: the real program objects under Qt's
// offscreen platform, driven through keys, clicks and actions, with
// scripted answers in place of dialogs.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "CAppSetting.h"
#include "CBellView.h"
#include "CColoursDialog.h"
#include "CDocumentFlows.h"
#include "CMainWindow.h"
#include "CNameDialog.h"
#include "CNotaraApp.h"
#include "CStatusBarU.h"
#include "CZoomDialog.h"
#include "DocMessages.h"
#include "MusicFont.h"
#include "NotaraCommands.h"
#include "NotaraTestSupport.h"
#include "QtGlyphImageList.h"
#include "TestApplication.h"
#include "common/CStringU.h"
#include "platform/DrawSurface.h"
#include "platform/Messages.h"
#include "platform/Registry.h"

namespace {

QApplication& App() {
  return TestApplication<QApplication>("notara-tests");
}

using Note = notaratest::MelNote;
using notaratest::WriteMel;

class MainWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    App();
    notaratest::PrepareSonvox();
  }
  void TearDown() override {
    if (app_) app_->Shutdown();
  }

  void Start(const QString& path = {}) {
    app_ = std::make_unique<CNotaraApp>(dialogs_);
    ASSERT_TRUE(app_->Start(path));
    window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window()));
  }
  CMainWindow* window() const { return app_->Window(); }
  CBellView* view() const { return window()->View(); }
  LONG Send(UINT message, WPARAM w = 0, LPARAM l = 0) { return app_->Doc().Send(message, w, l); }
  LONG Get(UINT message) {
    LONG value = -99;
    Send(message, reinterpret_cast<WPARAM>(&value));
    return value;
  }
  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(view(), static_cast<Qt::Key>(key), modifiers);
  }
  QString Part(int id) const { return window()->StatusBar().Text(id); }
  bool Enabled(int id) const { return window()->Action(id)->isEnabled(); }
  std::string Open(const std::vector<Note>& notes) {
    const std::string path = dir_.file("melody.mel");
    WriteMel(path, notes);
    dialogs_.openAnswers.push_back(QString::fromStdString(path));
    window()->RunCommand(IDM_OPEN);
    return path;
  }

  nvtest::TempDir dir_;
  notaratest::ScriptedDialogs dialogs_;
  std::unique_ptr<CNotaraApp> app_;
};

}  // namespace

TEST_F(MainWindowTest, StartsWithANewMelodyAndTheEmptyStates) {
  Start();
  EXPECT_EQ(QString("Редактор мелодий - Новая мелодия"), window()->windowTitle());
  EXPECT_TRUE(window()->Flows().IsUntitled());
  EXPECT_EQ(QString("Готово"), window()->StatusBar().HelpText());
  EXPECT_EQ(QString("\t\t0 н."), Part(IDS_PART_COUNT));
  EXPECT_EQ(QString(), Part(IDS_PART_NAME));
  for (int id : {IDM_NEW, IDM_OPEN, IDM_IMPORT_MIDI, IDM_INSERT_NOTE, IDM_INSERT_REST, IDM_ZOOM_IN, IDM_ZOOM_OUT,
                 IDM_SAVE, IDM_NAME}) {
    EXPECT_TRUE(Enabled(id)) << id;
  }
  for (int id : {IDM_UNDO, IDM_NEXT_NOTE, IDM_PREV_NOTE, IDM_DELETE, IDM_PITCH_UP, IDM_PLAY, IDM_STOP}) {
    EXPECT_FALSE(Enabled(id)) << id;
  }
  EXPECT_TRUE(window()->Action(IDM_SOUND_ON_EDIT)->isChecked());
}

TEST_F(MainWindowTest, WithoutTheMusicFontTheStaffHasOurGlyphsAndTheStatusBarSaysSo) {
  setenv("NV_MUSIC_FONT", "/nonexistent/music.otf", 1);
  // The programs look for the font once; ctest runs every case in its own process.
  if (MusicFont::Installed() != nullptr) GTEST_SKIP() << "the font was loaded before this case";
  Start();
  unsetenv("NV_MUSIC_FONT");
  EXPECT_EQ(MusicFont::Notice(), window()->StatusBar().HelpText());
  const Colours colours = app_->Settings().GetColours();
  const QtGlyphImageList ours(QtGlyphImageList::Kind::Notes, colours[kNoteColour], view()->Zoom(),
                              view()->PixelRatio());
  const ImageList* shown = view()->NoteImages();
  ASSERT_NE(shown, nullptr);
  ASSERT_EQ(shown->GetImageCount(), ours.GetImageCount());
  const size_t cells = static_cast<size_t>(ours.GetIconSize().cx) * ours.GetIconSize().cy;
  for (int i = 0; i < ours.GetImageCount(); ++i) {
    EXPECT_TRUE(std::equal(ours.Bits(i), ours.Bits(i) + cells, shown->Bits(i))) << "glyph " << i;
  }
}

TEST_F(MainWindowTest, KeysEditTheMelodyAndTheStatusBarFollows) {
  Start();
  const struct {
    int key;
    Qt::KeyboardModifiers modifiers;
    LONG count;
    LONG current;
    const char* name;
    const char* duration;
  } steps[] = {
      {Qt::Key_Insert, Qt::NoModifier, 1, 0, "Соль", "1/8"},
      {Qt::Key_W, Qt::NoModifier, 1, 0, "Соль#", "1/8"},
      {Qt::Key_W, Qt::NoModifier, 1, 0, "Ля", "1/8"},
      {Qt::Key_X, Qt::NoModifier, 1, 0, "Соль#", "1/8"},
      {Qt::Key_D, Qt::NoModifier, 1, 0, "Соль#", "1/8 Т"},
      {Qt::Key_D, Qt::NoModifier, 1, 0, "Соль#", "1/4"},
      {Qt::Key_A, Qt::NoModifier, 1, 0, "Соль#", "1/8 Т"},
      {Qt::Key_Insert, Qt::ShiftModifier, 2, 1, "Пауза", "1/8"},
      {Qt::Key_O, Qt::NoModifier, 2, 0, "Соль#", "1/8 Т"},
      {Qt::Key_O, Qt::NoModifier, 2, -1, "", ""},
      {Qt::Key_P, Qt::NoModifier, 2, 0, "Соль#", "1/8 Т"},
      {Qt::Key_Delete, Qt::NoModifier, 1, -1, "", ""},
      {Qt::Key_Z, Qt::ControlModifier, 2, 0, "Соль#", "1/8 Т"},
  };
  for (const auto& s : steps) {
    Key(s.key, s.modifiers);
    const QString what = QKeySequence(s.key | s.modifiers).toString();
    EXPECT_EQ(s.count, Get(DOCM_GET_COUNT)) << what.toStdString();
    EXPECT_EQ(s.current, Get(DOCM_GET_CURRENT)) << what.toStdString();
    EXPECT_EQ(QString("\t\t%1 н.").arg(s.count), Part(IDS_PART_COUNT));
    EXPECT_EQ(s.current < 0 ? QString() : "\t\t" + QString(s.name), Part(IDS_PART_NAME)) << what.toStdString();
    EXPECT_EQ(s.current < 0 ? QString() : "\t\t" + QString(s.duration), Part(IDS_PART_DURATION));
    EXPECT_EQ(s.current >= 0, Enabled(IDM_DELETE)) << what.toStdString();
  }
  EXPECT_TRUE(Enabled(IDM_UNDO));
  EXPECT_TRUE(Enabled(IDM_PLAY));
}

TEST_F(MainWindowTest, NoteNamesRepeatEveryOctave) {
  Start();
  window()->RunCommand(IDM_SOUND_ON_EDIT);
  EXPECT_FALSE(window()->Action(IDM_SOUND_ON_EDIT)->isChecked());
  Open({{1, 0, 0}, {13, 1, 0}, {25, 2, 0}, {11, 3, 0}, {4, 4, 0x08}, {31, 0, 0x04}});
  const char* names[] = {"Ля", "Ля", "Ля", "Соль", "До", "Пауза"};
  const char* lengths[] = {"1", "1/2", "1/4", "1/8", "1/16 Т", "1"};
  for (int i = 0; i < 6; ++i) {
    window()->RunCommand(IDM_NEXT_NOTE);
    EXPECT_EQ("\t\t" + QString(names[i]), Part(IDS_PART_NAME)) << i;
    EXPECT_EQ("\t\t" + QString(lengths[i]), Part(IDS_PART_DURATION)) << i;
  }
}

TEST_F(MainWindowTest, ZoomStepsByTheFactorWithinItsLimits) {
  Start();
  const struct {
    int command;
    std::vector<ULONG> zooms;
  } cases[] = {{IDM_ZOOM_IN, {120, 144, 173, 200, 200}}, {IDM_ZOOM_OUT, {83, 69, 57, 47, 39, 32, 30, 30}}};
  for (const auto& c : cases) {
    app_->Settings().SetZoom(100);
    for (ULONG zoom : c.zooms) {
      QTest::keyClick(view(), c.command == IDM_ZOOM_IN ? Qt::Key_Plus : Qt::Key_Minus, Qt::KeypadModifier);
      EXPECT_EQ(zoom, app_->Settings().Zoom());
      EXPECT_EQ(CBellView::Scaled(21, static_cast<LONG>(zoom)), view()->NoteImages()->GetIconSize().cx);
    }
    EXPECT_FALSE(Enabled(c.command)) << "at the limit";
  }
  const SIZE cell = view()->NoteImages()->GetIconSize();
  EXPECT_EQ(6, cell.cx) << "zoom 30";
  EXPECT_EQ(9, cell.cy) << "zoom 30";
}

TEST_F(MainWindowTest, AClickSelectsTheNoteUnderIt) {
  Start();
  Open({{13, 2, 0}, {16, 2, 0}, {11, 2, 0x04}});
  const struct {
    LONG note;  // -1: a click beside every note
    LONG expected;
  } clicks[] = {{1, 1}, {2, 2}, {-1, -1}, {0, 0}};
  for (const auto& c : clicks) {
    POINT anchor{5, 5};
    if (c.note >= 0) {
      const NotePosBlock block{c.note, view()->Zoom(), view()->NameHeight()};
      Send(DOCM_GET_NOTE_POS, reinterpret_cast<WPARAM>(&anchor), reinterpret_cast<LPARAM>(&block));
      anchor.x += 3;
      anchor.y += 3;
    }
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, QPoint(anchor.x, anchor.y));
    EXPECT_EQ(c.expected, Get(DOCM_GET_CURRENT)) << c.note;
    EXPECT_EQ(c.expected >= 0, !Part(IDS_PART_NAME).isEmpty());
  }
}

TEST_F(MainWindowTest, PlaybackMovesTheSelectionAndScrollsToIt) {
  Start();
  window()->resize(420, 300);
  std::vector<Note> notes(60, Note{13, 4, 0});
  Open(notes);
  QApplication::processEvents();
  ASSERT_EQ(0, view()->ScrollPosition().y());

  // A progress message for a note far below: the view scrolls to it.
  for (int i = 0; i < 50; ++i) Send(DOCM_NEXT_NOTE);
  PostMessage(view()->MessageWindow(), UIM_PLAY_PROGRESS, 49, 0);
  QApplication::processEvents();
  EXPECT_GT(view()->ScrollPosition().y(), 0);
  EXPECT_EQ(QString("\t\tЛя"), Part(IDS_PART_NAME));

  // Real playback from note 55 to the end leaves no current note behind.
  for (int i = 0; i < 5; ++i) Send(DOCM_NEXT_NOTE);
  window()->RunCommand(IDM_PLAY);
  EXPECT_TRUE(Enabled(IDM_STOP));
  EXPECT_FALSE(Enabled(IDM_INSERT_NOTE));
  for (int i = 0; i < 300 && Get(DOCM_IS_PLAYING) == 1; ++i) QTest::qWait(20);
  QTest::qWait(50);
  EXPECT_EQ(-1, Get(DOCM_GET_CURRENT));
  EXPECT_EQ(QString(), Part(IDS_PART_NAME));
  EXPECT_FALSE(Enabled(IDM_STOP));

  // Stop ends a long melody at once.
  Open(std::vector<Note>(12, Note{13, 0, 0}));
  window()->RunCommand(IDM_PLAY);
  window()->RunCommand(IDM_STOP);
  EXPECT_EQ(0, Get(DOCM_IS_PLAYING));
  EXPECT_TRUE(Enabled(IDM_PLAY));
}

TEST_F(MainWindowTest, TheCommandsFollowTheRealEndOfPlayback) {
  Start();
  Open(std::vector<Note>(12, Note{13, 0, 0}));
  window()->RunCommand(IDM_PLAY);
  // The last progress message can arrive while the melody still reports
  // playing; after it no message comes.
  PostMessage(view()->MessageWindow(), UIM_PLAY_PROGRESS, 1, 0);
  QTRY_VERIFY_WITH_TIMEOUT(Part(IDS_PART_NAME) == QString("\t\tЛя"), 30000);
  EXPECT_FALSE(Enabled(IDM_PLAY));
  Send(DOCM_STOP);  // behind the window's back: no message, no refresh
  QTRY_VERIFY_WITH_TIMEOUT(Enabled(IDM_PLAY), 30000);
  EXPECT_FALSE(Enabled(IDM_STOP));
  EXPECT_TRUE(Enabled(IDM_INSERT_NOTE));
}

TEST_F(MainWindowTest, KeypadPlusAndMinusZoomWhereverTheFocusIs) {
  Start();
  app_->Settings().SetZoom(100);
  const struct {
    QWidget* target;
    Qt::Key key;
    ULONG zoom;
  } cases[] = {{view(), Qt::Key_Plus, 120}, {window(), Qt::Key_Plus, 144}, {view(), Qt::Key_Minus, 120}};
  for (const auto& c : cases) {
    QKeyEvent press(QEvent::KeyPress, c.key, Qt::KeypadModifier, c.key == Qt::Key_Plus ? "+" : "-");
    QApplication::sendEvent(c.target, &press);
    EXPECT_EQ(c.zoom, app_->Settings().Zoom());
  }
  // The main keyboard's minus is no zoom key.
  QTest::keyClick(view(), Qt::Key_Minus);
  EXPECT_EQ(120u, app_->Settings().Zoom());
}

TEST_F(MainWindowTest, KeysAndTheWheelScrollTheView) {
  Start();
  window()->resize(400, 260);
  Open(std::vector<Note>(60, Note{13, 2, 0}));
  QApplication::processEvents();
  const int client = view()->viewport()->height();
  Key(Qt::Key_PageDown);
  EXPECT_EQ(client, view()->ScrollPosition().y());
  Key(Qt::Key_Up);
  EXPECT_EQ(client - 90, view()->ScrollPosition().y());
  Key(Qt::Key_Right);
  EXPECT_EQ(45, view()->ScrollPosition().x());
  QWheelEvent wheel(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(view()->viewport(), &wheel);
  EXPECT_EQ(client, view()->ScrollPosition().y());
}

TEST_F(MainWindowTest, SaveOpenAndTitlesFollowTheFile) {
  Start();
  window()->RunCommand(IDM_INSERT_NOTE);
  const QString path = QString::fromStdString(dir_.file("звонок.mel"));
  dialogs_.saveAnswers.push_back(path);
  window()->RunCommand(IDM_SAVE);
  ASSERT_EQ(1u, dialogs_.fileRequests.size());
  EXPECT_EQ(QString("Новая мелодия"), dialogs_.fileRequests[0].initialName);
  EXPECT_EQ(QString("mel"), dialogs_.fileRequests[0].defaultSuffix);
  EXPECT_EQ(QString("Редактор мелодий - звонок.mel"), window()->windowTitle());
  EXPECT_FALSE(window()->Flows().IsUntitled());
  EXPECT_EQ(0, Send(DOCM_IS_MODIFIED));
  EXPECT_EQ(QFileInfo(path).absolutePath().toStdString() + "/", app_->Paths().WorkDir());

  window()->RunCommand(IDM_INSERT_NOTE);
  window()->RunCommand(IDM_SAVE);  // under its name, without a dialog
  EXPECT_EQ(1u, dialogs_.fileRequests.size());
  EXPECT_EQ(0, Send(DOCM_IS_MODIFIED));

  window()->RunCommand(IDM_NEW);
  EXPECT_EQ(QString("Редактор мелодий - Новая мелодия"), window()->windowTitle());
  dialogs_.openAnswers.push_back(path);
  window()->RunCommand(IDM_OPEN);
  EXPECT_EQ(2, Get(DOCM_GET_COUNT));
  EXPECT_EQ(QString("Редактор мелодий - звонок.mel"), window()->windowTitle());

  // A cancelled Save As leaves the document under its file's name.
  window()->RunCommand(IDM_SAVE_AS);
  EXPECT_EQ(3u, dialogs_.fileRequests.size()) << "the save dialog was asked";
  EXPECT_FALSE(window()->Flows().IsUntitled());
  EXPECT_EQ(QString("Редактор мелодий - звонок.mel"), window()->windowTitle());

  std::ofstream(dir_.file("bad.mel")) << "\x05"
                                         "em2.0";
  dialogs_.openAnswers.push_back(QString::fromStdString(dir_.file("bad.mel")));
  window()->RunCommand(IDM_OPEN);
  ASSERT_FALSE(dialogs_.boxes.empty());
  EXPECT_EQ(QString("Файл не является мелодией\n"), dialogs_.boxes.back().text);
  EXPECT_EQ(QString("Редактор мелодий"), dialogs_.boxes.back().caption);
  EXPECT_EQ(QString("Редактор мелодий - звонок.mel"), window()->windowTitle());
}

TEST_F(MainWindowTest, UnsavedChangesAreAskedAbout) {
  const struct {
    std::vector<int> answers;
    bool saveAnswered;
    bool closes;
  } cases[] = {
      {{IDCANCEL}, false, false},
      {{IDYES}, false, false},  // the save dialog is cancelled: the save fails
      {{IDYES}, true, true},
      {{IDNO}, false, true},
  };
  for (const auto& c : cases) {
    Start();
    window()->RunCommand(IDM_INSERT_NOTE);
    dialogs_.boxes.clear();
    dialogs_.answers.assign(c.answers.begin(), c.answers.end());
    if (c.saveAnswered) dialogs_.saveAnswers.push_back(QString::fromStdString(dir_.file("x.mel")));
    window()->RunCommand(IDM_EXIT);
    ASSERT_EQ(1u, dialogs_.boxes.size());
    EXPECT_EQ(QString("Сохранить изменения в документе ?"), dialogs_.boxes[0].text);
    EXPECT_EQ(MB_YESNOCANCEL | MB_ICONQUESTION, dialogs_.boxes[0].type);
    EXPECT_EQ(!c.closes, window()->isVisible());
    app_->Shutdown();
    app_.reset();
  }
}

TEST_F(MainWindowTest, AStartupFileThatFailsGivesANewMelody) {
  const std::string missing = dir_.file("нет.mel");
  Start(QString::fromStdString(missing));
  ASSERT_EQ(1u, dialogs_.boxes.size());
  EXPECT_EQ(QString::fromStdString("Ошибка при открытии файла " + missing + "\n"), dialogs_.boxes[0].text);
  EXPECT_EQ(QString("Редактор мелодий - Новая мелодия"), window()->windowTitle());
  EXPECT_TRUE(window()->Flows().IsUntitled());
  app_->Shutdown();
  app_.reset();

  const std::string good = dir_.file("хорошая.mel");
  WriteMel(good, {{13, 2, 0}});
  Start(QString::fromStdString(good));
  EXPECT_EQ(QString("Редактор мелодий - хорошая.mel"), window()->windowTitle());
  EXPECT_FALSE(window()->Flows().IsUntitled());
  EXPECT_EQ(1, Get(DOCM_GET_COUNT));
}

TEST_F(MainWindowTest, SettingsAreKeptAfterANormalExit) {
  Start();
  window()->RunCommand(IDM_ZOOM_IN);
  window()->RunCommand(IDM_SOUND_ON_EDIT);
  window()->RunCommand(IDM_EXIT);
  app_->Shutdown();

  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyEx(HKEY_CURRENT_USER, CAppSetting::kKeyPath, 0, KEY_READ, &key));
  const struct {
    const char* name;
    DWORD type;
    DWORD size;
  } values[] = {{"Scale", REG_DWORD, 4},   {"KZoom", REG_DWORD, 4},      {"IsPlayEdit", REG_DWORD, 4},
                {"PlWin", REG_BINARY, 24}, {"NmMlFont", REG_BINARY, 60}, {"Colors", REG_BINARY, 20}};
  for (const auto& v : values) {
    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueEx(key, v.name, nullptr, &type, nullptr, &size)) << v.name;
    EXPECT_EQ(v.type, type) << v.name;
    EXPECT_EQ(v.size, size) << v.name;
  }
  DWORD kzoom = 0;
  DWORD size = sizeof(kzoom);
  RegQueryValueEx(key, "KZoom", nullptr, nullptr, reinterpret_cast<BYTE*>(&kzoom), &size);
  EXPECT_EQ(120u, kzoom);
  RegCloseKey(key);

  CAppSetting reread;
  reread.Load();
  EXPECT_EQ(120u, reread.Zoom());
  EXPECT_FALSE(reread.SoundOnEdit());
  EXPECT_EQ(0, std::memcmp(reread.NameFont().faceName, "Arial", 6));
}

TEST_F(MainWindowTest, DialogsRenameAndSetTheFactor) {
  Start();
  dialogs_.exec = [](QDialog& dialog) {
    auto& name = dynamic_cast<CNameDialog&>(dialog);
    EXPECT_EQ(QString("Новая мелодия"), name.Edit()->text());
    name.Edit()->setText("Дверной звонок");
    return int(QDialog::Accepted);
  };
  window()->RunCommand(IDM_NAME);
  CStringU name;
  Send(DOCM_GET_NAME, reinterpret_cast<WPARAM>(&name));
  EXPECT_EQ(u"Дверной звонок", name.View());
  EXPECT_TRUE(Enabled(IDM_UNDO));

  dialogs_.exec = [this](QDialog& dialog) {
    auto& zoom = dynamic_cast<CZoomDialog&>(dialog);
    EXPECT_EQ(QString("1.20"), zoom.Text());
    EXPECT_EQ(2, zoom.Position());
    zoom.Step(3);
    EXPECT_EQ(QString("1.50"), zoom.Text());
    zoom.SetText("2,5");
    zoom.accept();
    EXPECT_EQ(1u, dialogs_.boxes.size()) << "out of range: warned, the dialog stays";
    EXPECT_EQ(QDialog::Rejected, zoom.result());
    zoom.SetText(" 1,75");
    zoom.accept();
    return zoom.result();
  };
  window()->RunCommand(IDM_ZOOM_FACTOR);
  EXPECT_DOUBLE_EQ(1.75, app_->Settings().ZoomFactor());
  EXPECT_EQ(QString("Неправильный ввод.\nЧисло должно быть в диапазоне от 1 до 2"), dialogs_.boxes[0].text);
}

TEST_F(MainWindowTest, ColoursAndTheNameFontReachTheView) {
  Start();
  const QRgb blue = qRgb(0, 0, 255);
  std::vector<Colours> applied;
  dialogs_.exec = [&](QDialog& dialog) {
    auto& colours = dynamic_cast<CColoursDialog&>(dialog);
    colours.SetApply([&](const Colours& c) { applied.push_back(c); });
    EXPECT_FALSE(colours.ApplyButton()->isEnabled());
    dialogs_.colourAnswers.push_back(QColor(blue));
    colours.ColourButton(kNoteColour)->click();
    EXPECT_TRUE(colours.ApplyButton()->isEnabled());
    colours.ApplyButton()->click();
    EXPECT_FALSE(colours.ApplyButton()->isEnabled());
    EXPECT_TRUE(colours.OkButton()->isDefault());
    colours.ColourButton(kBackgroundColour)->click();  // the chooser is cancelled
    colours.OkButton()->click();
    return colours.result();
  };
  window()->RunCommand(IDM_COLOURS);
  ASSERT_EQ(1u, applied.size());
  EXPECT_EQ(RGB(0, 0, 255), applied[0][kNoteColour]);
  EXPECT_EQ(RGB(0, 0, 255), app_->Settings().GetColours()[kNoteColour]);
  EXPECT_EQ(RGB(200, 200, 200), app_->Settings().GetColours()[kBackgroundColour]);
  // The clef is drawn in the note colour: its pixels are blue now.
  const ImageList* staff = view()->StaffImages();
  const SIZE cell = staff->GetIconSize();
  bool blueInk = false;
  for (int i = 0; i < cell.cx * cell.cy; ++i) blueInk |= (staff->Bits(0)[i] & 0x00FFFFFF) == 0x0000FF;
  EXPECT_TRUE(blueInk);

  const LONG before = view()->NameHeight();
  QFont font("Liberation Serif");
  font.setPixelSize(70);
  font.setBold(true);
  dialogs_.fontAnswers.push_back(font);
  window()->RunCommand(IDM_FONT);
  EXPECT_EQ(-70, app_->Settings().NameFont().height);
  EXPECT_EQ(700, app_->Settings().NameFont().weight);
  EXPECT_GT(view()->NameHeight(), before) << "a taller name moves the staff down";
}

TEST(ZoomFactorInput, ReadsADecimalNumberFromTheFirstNineCharacters) {
  const struct {
    const char* text;
    double value;
  } cases[] = {{"1.5", 1.5}, {"1,25", 1.25}, {" 2", 2.0},           {"+1.1", 1.1}, {"1.5x", 1.5},
               {"abc", 0.0}, {"", 0.0},      {"1.0000000001", 1.0}, {"-1", -1.0}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(c.value, CZoomDialog::ParseFactor(c.text)) << c.text;
}

TEST(Settings, EveryFactorInHundredthsSurvivesARestart) {
  // Factors whose hundredfold lies just below a whole number in binary.
  for (int hundredths = 100; hundredths <= 200; ++hundredths) {
    CAppSetting settings;
    settings.SetZoomFactor(hundredths / 100.0);
    ASSERT_TRUE(settings.Save());
    CAppSetting reread;
    reread.Load();
    EXPECT_DOUBLE_EQ(hundredths / 100.0, reread.ZoomFactor()) << hundredths;
  }
}

TEST(Settings, AFirstRunAndValuesNoScreenCanUseGiveTheDefaults) {
  CAppSetting settings;
  settings.Load();  // no key at all
  EXPECT_EQ(100u, settings.Zoom());
  EXPECT_DOUBLE_EQ(1.2, settings.ZoomFactor());
  EXPECT_TRUE(settings.SoundOnEdit());
  EXPECT_EQ(CAppSetting::DefaultPlacement(), settings.Placement());
  EXPECT_EQ(CAppSetting::DefaultColours(), settings.GetColours());
  EXPECT_EQ(-35, settings.NameFont().height);

  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyEx(HKEY_CURRENT_USER, CAppSetting::kKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                                          nullptr, &key, nullptr));
  const auto setDword = [&](const char* name, DWORD value) {
    RegSetValueEx(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
  };
  const auto setBinary = [&](const char* name, const void* data, DWORD size) {
    RegSetValueEx(key, name, 0, REG_BINARY, static_cast<const BYTE*>(data), size);
  };
  const struct {
    DWORD scale;
    DWORD kzoom;
    LONG fontHeight;
    ULONG zoom;
    double factor;
    LONG height;
  } cases[] = {
      {150, 150, -20, 150, 1.5, -20},  // taken as stored
      {0, 0, 0, 100, 1.2, -35},        // a zero zoom or factor would divide by zero
      {201, 250, 100000, 100, 1.2, -35},
      {30, 100, 300, 30, 1.0, 300},
  };
  for (const auto& c : cases) {
    setDword("Scale", c.scale);
    setDword("KZoom", c.kzoom);
    LogFontA font = CAppSetting::DefaultNameFont();
    font.height = c.fontHeight;
    std::memset(font.faceName, 'A', sizeof(font.faceName));  // no terminator
    setBinary("NmMlFont", &font, sizeof(font));
    settings.Load();
    EXPECT_EQ(c.zoom, settings.Zoom()) << c.scale;
    EXPECT_DOUBLE_EQ(c.factor, settings.ZoomFactor()) << c.kzoom;
    EXPECT_EQ(c.height, settings.NameFont().height) << c.fontHeight;
    EXPECT_EQ('\0', settings.NameFont().faceName[31]);
  }
  const WindowPlacement inverted{500, 500, 100, 100, 0, 0};
  setBinary("PlWin", &inverted, sizeof(inverted));
  const BYTE shortColours[12] = {};
  setBinary("Colors", shortColours, sizeof(shortColours));
  settings.Load();
  EXPECT_EQ(CAppSetting::DefaultPlacement(), settings.Placement());
  EXPECT_EQ(CAppSetting::DefaultColours(), settings.GetColours());
  RegCloseKey(key);
}
