// MIDI import and export as the editor's user meets them: the real program
// objects under Qt's offscreen platform, the import and fragment dialogs run
// with scripted answers, and the help and about commands.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QSlider>
#include <QTest>
#include <QTextBrowser>
#include <fstream>

#include "CAboutDialog.h"
#include "CDocumentFlows.h"
#include "CHelpWindowU.h"
#include "CImportDialog.h"
#include "CImportProgressDialog.h"
#include "CMainWindow.h"
#include "CNotaraApp.h"
#include "DocMessages.h"
#include "MidiTestFiles.h"
#include "NotaraCommands.h"
#include "NotaraTestSupport.h"
#include "TestApplication.h"
#include "common/CStringU.h"

namespace {

QApplication& App() {
  return TestApplication<QApplication>("notara-midi-tests");
}

struct Symbol {
  SHORT pitch, duration, flags;
  bool operator==(const Symbol&) const = default;
};

void WriteFile(const std::string& path, const nvtest::Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// count quarter notes on each channel, the keys climbing from 60.
nvtest::Bytes Channels(std::initializer_list<BYTE> channels, int count) {
  std::vector<nvtest::Track> tracks;
  for (BYTE channel : channels) {
    nvtest::Track track;
    for (int i = 0; i < count; ++i) {
      const auto key = static_cast<BYTE>(60 + i % 20);
      track.On(0, channel, key).Off(96, channel, key);
    }
    tracks.push_back(track);
  }
  return nvtest::Smf(1, 96, tracks);
}

class MidiImportTest : public testing::Test {
 protected:
  void SetUp() override {
    App();
    notaratest::PrepareSonvox();
    app_ = std::make_unique<CNotaraApp>(dialogs_);
    ASSERT_TRUE(app_->Start({}));
  }
  void TearDown() override { app_->Shutdown(); }

  CMainWindow& window() { return *app_->Window(); }
  nv::RequestThread& doc() { return app_->Doc().Thread(); }
  LONG Get(UINT message) {
    LONG value = -99;
    doc().Send(message, reinterpret_cast<WPARAM>(&value));
    return value;
  }
  QString Name() {
    CStringU name;
    doc().Send(DOCM_GET_NAME, reinterpret_cast<WPARAM>(&name));
    return QString::fromStdU16String(std::u16string(name.View()));
  }
  std::vector<Symbol> Notes() {
    std::vector<Symbol> notes;
    // Next cycles through "no current note" before note 0.
    for (int guard = 0; Get(DOCM_GET_CURRENT) != -1 && guard < 1000; ++guard) doc().Send(DOCM_NEXT_NOTE);
    for (LONG i = 0; i < Get(DOCM_GET_COUNT); ++i) {
      doc().Send(DOCM_NEXT_NOTE);
      Symbol s{};
      doc().Send(DOCM_GET_PITCH, reinterpret_cast<WPARAM>(&s.pitch));
      doc().Send(DOCM_GET_DURATION, reinterpret_cast<WPARAM>(&s.duration));
      doc().Send(DOCM_GET_FLAGS, reinterpret_cast<WPARAM>(&s.flags));
      notes.push_back(s);
    }
    return notes;
  }
  // Channel melodies as an import leaves them: count notes on each channel.
  void AddChannelNotes(std::initializer_list<LONG> channels, int count, BYTE duration = 2) {
    for (LONG channel : channels) {
      for (int i = 0; i < count; ++i) {
        const ChannelNoteBlock note{static_cast<BYTE>(i % 32), duration, 0, channel};
        ASSERT_EQ(1, doc().Send(DOCM_CH_ADD_NOTE, 0, reinterpret_cast<LPARAM>(&note)));
      }
    }
  }
  std::unique_ptr<CImportDialog> Fragment(const QString& path = QStringLiteral("/music/tune.mid")) {
    return std::make_unique<CImportDialog>(doc(), dialogs_, path, app_->Paths().ProgramDir(), &window());
  }
  // Runs the import command; the fragment dialog is handed to onFragment,
  // the progress dialog runs for real.
  void Import(const std::string& path, std::function<void(CImportDialog&)> onFragment) {
    dialogs_.openAnswers.push_back(QString::fromStdString(path));
    dialogs_.exec = [onFragment](QDialog& dialog) {
      if (auto* fragment = qobject_cast<CImportDialog*>(&dialog)) {
        onFragment(*fragment);
        return static_cast<int>(QDialog::Rejected);
      }
      return dialog.exec();
    };
    window().RunCommand(IDM_IMPORT_MIDI);
  }

  notaratest::ScriptedDialogs dialogs_;
  std::unique_ptr<CNotaraApp> app_;
  nvtest::TempDir dir_;
};

TEST_F(MidiImportTest, SlidersOfATwentyFiveNoteMelodyKeepTheFragmentAroundThePosition) {
  AddChannelNotes({0}, 25);
  auto dialog = Fragment();
  QSlider* start = dialog->Slider(CImportDialog::IDC_START);
  QSlider* position = dialog->Slider(CImportDialog::IDC_POSITION);
  QSlider* end = dialog->Slider(CImportDialog::IDC_END);
  auto* size = qobject_cast<QLabel*>(dialog->Control(CImportDialog::IDC_SIZE));
  for (QSlider* slider : {start, position, end}) {
    EXPECT_EQ(0, slider->minimum());
    EXPECT_EQ(25, slider->maximum());
    EXPECT_EQ(3, slider->pageStep());
  }
  EXPECT_EQ(3, position->tickInterval());
  EXPECT_EQ(0, start->value());
  EXPECT_EQ(25, end->value());
  EXPECT_EQ(QStringLiteral("25"), size->text());

  // The position moves inside [start, end]; the start cannot pass it.
  for (int i = 0; i < 3; ++i) position->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(9, position->value());
  start->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(9, start->value());
  EXPECT_EQ(QStringLiteral("16"), size->text());
  end->triggerAction(QAbstractSlider::SliderToMinimum);
  EXPECT_EQ(9, end->value());
  EXPECT_EQ(QStringLiteral("0"), size->text());

  // With start = end the position stays there whatever is done to it.
  for (int action : {QAbstractSlider::SliderToMinimum, QAbstractSlider::SliderPageStepSub,
                     QAbstractSlider::SliderSingleStepAdd, QAbstractSlider::SliderToMaximum}) {
    position->triggerAction(static_cast<QAbstractSlider::SliderAction>(action));
    EXPECT_EQ(9, position->value()) << action;
  }
}

TEST_F(MidiImportTest, NextAndPreviousWrapAroundTheMelodiesFound) {
  AddChannelNotes({3}, 4);
  AddChannelNotes({0}, 7);
  AddChannelNotes({9}, 12);
  auto dialog = Fragment();
  auto* found = qobject_cast<QLabel*>(dialog->Control(CImportDialog::IDC_FOUND));
  auto* current = qobject_cast<QLabel*>(dialog->Control(CImportDialog::IDC_CURRENT));
  EXPECT_EQ(QStringLiteral("3"), found->text());
  const struct {
    void (CImportDialog::*step)();
    int melody;
    int notes;
  } steps[] = {{&CImportDialog::PreviousMelody, 3, 12},
               {&CImportDialog::NextMelody, 1, 4},
               {&CImportDialog::NextMelody, 2, 7},
               {&CImportDialog::NextMelody, 3, 12},
               {&CImportDialog::NextMelody, 1, 4}};
  for (const auto& step : steps) {
    (dialog.get()->*step.step)();
    EXPECT_EQ(step.melody, dialog->CurrentMelody());
    EXPECT_EQ(QString::number(step.melody), current->text());
    EXPECT_EQ(step.notes, dialog->Slider(CImportDialog::IDC_END)->value());
  }
}

TEST_F(MidiImportTest, PlayingTwiceWarnsAndClosingStopsAndReleasesTheMelodies) {
  AddChannelNotes({0}, 25, 0);  // whole notes: playback lasts long enough
  auto dialog = Fragment();
  dialog->Play();
  EXPECT_TRUE(dialogs_.boxes.empty());
  dialog->Play();
  ASSERT_EQ(1u, dialogs_.boxes.size());
  EXPECT_EQ(QStringLiteral("Мелодия уже воспроизводится"), dialogs_.boxes[0].text);
  EXPECT_EQ(MB_ICONWARNING, dialogs_.boxes[0].type & 0xF0);
  EXPECT_FALSE(dialog->Control(CImportDialog::IDC_PLAY)->isEnabled());

  dialog->reject();
  LONG playing = 1;
  doc().Send(DOCM_CH_IS_PLAYING, reinterpret_cast<WPARAM>(&playing), 0);
  EXPECT_EQ(0, playing);
  dialog.reset();
  EXPECT_EQ(0, Get(DOCM_CH_COUNT));
}

TEST_F(MidiImportTest, MovingThePositionWhilePlayingPlaysOnFromTheNewPlace) {
  AddChannelNotes({0}, 25, 0);
  auto dialog = Fragment();
  dialog->Play();
  QSlider* position = dialog->Slider(CImportDialog::IDC_POSITION);
  for (int i = 0; i < 2; ++i) position->triggerAction(QAbstractSlider::SliderPageStepAdd);
  QTest::qWait(3 * CImportDialog::kPollMs);
  // Playback goes on from note 6; a busy machine may already be past it.
  EXPECT_GE(position->value(), 6);
  LONG playing = 0;
  LONG note = -1;
  doc().Send(DOCM_CH_IS_PLAYING, reinterpret_cast<WPARAM>(&playing), 0);
  doc().Send(DOCM_CH_GET_CURRENT, reinterpret_cast<WPARAM>(&note), 0);
  EXPECT_EQ(1, playing);
  EXPECT_GE(note, 6);
  dialog->reject();
}

TEST_F(MidiImportTest, TheEditorButtonTakesTheFragmentNamedAfterTheFile) {
  const std::string path = dir_.file("Три канала.mid");
  WriteFile(path, Channels({0, 2, 5}, 20));
  Import(path, [](CImportDialog& fragment) {
    EXPECT_EQ(QStringLiteral("3"), qobject_cast<QLabel*>(fragment.Control(CImportDialog::IDC_FOUND))->text());
    fragment.NextMelody();
    fragment.Slider(CImportDialog::IDC_POSITION)->setValue(5);
    fragment.Slider(CImportDialog::IDC_START)->setValue(5);
    fragment.Slider(CImportDialog::IDC_END)->setValue(10);
    fragment.TakeFragment();
    EXPECT_TRUE(fragment.Taken());
  });
  EXPECT_EQ(5, Get(DOCM_GET_COUNT));
  EXPECT_EQ(QStringLiteral("Три канала"), Name());
  EXPECT_EQ(1, doc().Send(DOCM_IS_MODIFIED));
  EXPECT_EQ(QStringLiteral("Редактор мелодий - Три канала"), window().windowTitle());
  EXPECT_TRUE(window().Flows().IsUntitled());
  EXPECT_EQ(0, Get(DOCM_CH_COUNT));
  // Keys 65..69 fold to pitch indices 9..13, each a quarter.
  const std::vector<Symbol> notes = Notes();
  ASSERT_EQ(5u, notes.size());
  for (int i = 0; i < 5; ++i) EXPECT_EQ((Symbol{static_cast<SHORT>(9 + i), 2, 0}), notes[i]) << i;
}

TEST_F(MidiImportTest, CancelLeavesTheDocumentAndItsTitle) {
  const std::string path = dir_.file("tune.mid");
  WriteFile(path, Channels({1}, 8));
  const QString title = window().windowTitle();
  Import(path, [](CImportDialog& fragment) { fragment.reject(); });
  EXPECT_EQ(0, Get(DOCM_GET_COUNT));
  EXPECT_EQ(title, window().windowTitle());
  EXPECT_EQ(0, Get(DOCM_CH_COUNT));
}

TEST_F(MidiImportTest, ReaderErrorsAreShownThenTheImportFailure) {
  const struct {
    const char* name;
    nvtest::Bytes bytes;  // empty: no file at all
    QString reason;
  } cases[] = {
      {"missing.mid", {}, QStringLiteral("Ошибка при открытии файла.")},
      {"format3.mid", nvtest::Smf(3, 96, {nvtest::Track{}}), QStringLiteral("Ошибка в формате файла.")},
      {"silent.mid", nvtest::Smf(0, 96, {nvtest::Track{}}), QStringLiteral("В MIDI файле мелодиии не обнаружены.")},
  };
  for (const auto& c : cases) {
    dialogs_.boxes.clear();
    const std::string path = dir_.file(c.name);
    if (!c.bytes.empty()) WriteFile(path, c.bytes);
    bool fragmentShown = false;
    Import(path, [&](CImportDialog&) { fragmentShown = true; });
    EXPECT_FALSE(fragmentShown) << c.name;
    ASSERT_EQ(2u, dialogs_.boxes.size()) << c.name;
    EXPECT_EQ(c.reason, dialogs_.boxes[0].text);
    EXPECT_EQ(QStringLiteral("Ошибка при загрузке midi-файла"), dialogs_.boxes[1].text);
    for (const auto& box : dialogs_.boxes) EXPECT_EQ(MB_ICONERROR, box.type & 0xF0);
  }
}

TEST_F(MidiImportTest, AnExportedMelodyImportsAsTheSameNotes) {
  // A note first, no two rests in a row, every length and a dotted one.
  for (UINT step : {DOCM_INSERT_NOTE, DOCM_LENGTHEN, DOCM_PITCH_UP, DOCM_INSERT_REST, DOCM_INSERT_NOTE, DOCM_SHORTEN,
                    DOCM_SHORTEN, DOCM_INSERT_NOTE, DOCM_LENGTHEN, DOCM_LENGTHEN, DOCM_INSERT_REST, DOCM_SHORTEN,
                    DOCM_INSERT_NOTE, DOCM_PITCH_DOWN, DOCM_PITCH_DOWN}) {
    ASSERT_EQ(1, doc().Send(step)) << step;
  }
  const std::vector<Symbol> written = Notes();
  const std::string path = dir_.file("round.mid");
  dialogs_.saveAnswers.push_back(QString::fromStdString(path));
  window().RunCommand(IDM_EXPORT_MIDI);
  ASSERT_TRUE(dialogs_.boxes.empty()) << dialogs_.boxes[0].text.toStdString();
  ASSERT_EQ(1u, dialogs_.fileRequests.size());
  EXPECT_EQ(QStringLiteral("Новая мелодия"), dialogs_.fileRequests[0].initialName);
  EXPECT_EQ(QStringLiteral("mid"), dialogs_.fileRequests[0].defaultSuffix);

  dialogs_.answers.push_back(IDNO);  // the edits are not saved
  Import(path, [&](CImportDialog& fragment) { fragment.TakeFragment(); });
  EXPECT_EQ(written, Notes());
}

TEST_F(MidiImportTest, ExportErrorsAreShown) {
  dialogs_.saveAnswers.push_back(QString::fromStdString(dir_.file("no/such/folder/x.mid")));
  window().RunCommand(IDM_EXPORT_MIDI);
  ASSERT_EQ(1u, dialogs_.boxes.size());
  EXPECT_EQ(QStringLiteral("Ошибка при создании файла"), dialogs_.boxes[0].text);
}

TEST_F(MidiImportTest, HelpOpensTheEditorTopicAndAboutShowsTheVersion) {
  window().RunCommand(IDM_HELP);
  auto* help = window().findChild<CHelpWindowU*>();
  ASSERT_NE(nullptr, help);
  EXPECT_EQ(QStringLiteral("/edmel_about.htm"), help->CurrentPath());
  EXPECT_EQ(QStringLiteral("Редактор мелодий"), help->Browser()->documentTitle());

  QString title;
  dialogs_.exec = [&](QDialog& dialog) {
    if (auto* label = dialog.findChild<QLabel*>(QStringLiteral("title"))) title = label->text();
    return static_cast<int>(QDialog::Accepted);
  };
  window().RunCommand(IDM_ABOUT);
  EXPECT_EQ(QStringLiteral("Редактор мелодий   v2.92"), title);
}

TEST_F(MidiImportTest, ContextHelpPopsUpEachControlsText) {
  AddChannelNotes({0}, 3);
  auto dialog = Fragment();
  for (int id : {1, 1302, 1303, 1304, 1305, 1306, 1307, 1308, 2}) {
    dialog->ShowContextHelp(dialog->Control(id), QPoint(20, 20));
    auto* popup = dialog->findChild<QLabel*>(QStringLiteral("HelpPopup"));
    ASSERT_NE(nullptr, popup) << id;
    if (id == 2) {
      EXPECT_EQ(QStringLiteral("Справка для этого элемента отсутствует."), popup->text());
    } else {
      EXPECT_GT(popup->text().size(), 20) << id;
      EXPECT_NE(QStringLiteral("Справка для этого элемента отсутствует."), popup->text()) << id;
    }
    delete popup;
  }
}

}  // namespace
