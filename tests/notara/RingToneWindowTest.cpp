// The ring-tone commands as the editor's user meets them: the real program
// objects under Qt's offscreen platform, the import and transposition dialogs
// filled in by the test, files and the clipboard checked afterwards.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <fstream>
#include <iterator>

#include "CMainWindow.h"
#include "CNotaraApp.h"
#include "CRingToneDialog.h"
#include "CTransposeDialog.h"
#include "MelodyDocClient.h"
#include "NotaraCommands.h"
#include "NotaraTestSupport.h"
#include "TestApplication.h"
#include "common/MelFormat.h"

namespace {

QApplication& App() {
  return TestApplication<QApplication>("notara-ringtone-tests");
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class RingToneWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    App();
    notaratest::PrepareSonvox();
    app_ = std::make_unique<CNotaraApp>(dialogs_);
    ASSERT_TRUE(app_->Start({}));
    QGuiApplication::clipboard()->clear();
  }
  void TearDown() override { app_->Shutdown(); }

  CMainWindow& window() { return *app_->Window(); }
  MelodyDocClient client() { return MelodyDocClient(app_->Doc().Thread()); }
  MelodyData Saved() {
    const std::string path = dir_.file("saved.mel");
    CStringU error;
    EXPECT_TRUE(client().Save(path.c_str(), error));
    MelodyData melody;
    EXPECT_EQ(FileStatus::Ok, MelFormat::Load(path, melody));
    return melody;
  }
  // Runs the import command; the dialog is handed to fill, then accepted
  // when it allows it.
  void Import(const std::function<void(CRingToneDialog&)>& fill) {
    dialogs_.exec = [fill](QDialog& dialog) {
      auto* ringTone = qobject_cast<CRingToneDialog*>(&dialog);
      if (ringTone == nullptr) return static_cast<int>(QDialog::Rejected);
      fill(*ringTone);
      return static_cast<int>(ringTone->CanAccept() ? QDialog::Accepted : QDialog::Rejected);
    };
    window().RunCommand(IDM_IMPORT_RINGTONE);
  }

  notaratest::ScriptedDialogs dialogs_;
  std::unique_ptr<CNotaraApp> app_;
  nvtest::TempDir dir_;
};

TEST_F(RingToneWindowTest, TheLineUnderTheTextFollowsEveryChange) {
  CRingToneDialog dialog(QString(), dialogs_, app_->Paths(), &window());
  const struct {
    QString text;
    int semitones;
    bool fit;
    QString summary;
    bool accept;
  } cases[] = {
      {"", 0, false, "Вставьте или введите текст мелодии", false},
      {"t:d=8,o=6:e,p,c", 0, false, "Нот: 2, пауз: 1; перенесено по октавам: 1", true},
      {"t:d=8,o=6:e,p,c", 0, true, "Нот: 2, пауз: 1; сдвиг на -12 полутонов", true},
      {"t:d=8,o=6:e,p,c", -3, false, "Нот: 2, пауз: 1; сдвиг на -3 полутонов", true},
      {"t:d=8,o=6:e,\np,x", 0, false, "Ошибка: строка 2, позиция 3: ожидается нота", false},
      {"t:d=8:32c", 0, false, "строка 1, позиция 7: нота 1/32 взята как 1/16", true},
  };
  for (const auto& c : cases) {
    dialog.SetText(c.text);
    dialog.SetSemitones(c.semitones);
    dialog.SetFit(c.fit);
    EXPECT_TRUE(dialog.Summary().startsWith(c.summary) || dialog.Summary().contains('\n' + c.summary))
        << c.text.toStdString() << ": " << dialog.Summary().toStdString();
    EXPECT_EQ(c.accept, dialog.CanAccept()) << c.text.toStdString();
  }
}

TEST_F(RingToneWindowTest, TheClipboardIsOfferedOnlyWhenItHoldsATune) {
  for (const QString& held : {QStringLiteral("Bell:d=4:c,d"), QStringLiteral("just a note to self")}) {
    QGuiApplication::clipboard()->setText(held);
    QString offered = QStringLiteral("?");
    dialogs_.exec = [&](QDialog& dialog) {
      if (auto* ringTone = qobject_cast<CRingToneDialog*>(&dialog)) offered = QString::fromStdString(ringTone->Text());
      return static_cast<int>(QDialog::Rejected);
    };
    window().RunCommand(IDM_IMPORT_RINGTONE);
    EXPECT_EQ(held.contains(':') ? held : QString(), offered);
  }
  EXPECT_EQ(0, client().Count()) << "a cancelled import changes nothing";
  EXPECT_TRUE(client().IsUndoEmpty());
}

TEST_F(RingToneWindowTest, ImportTransposeAndUndoThroughTheMenu) {
  Import([](CRingToneDialog& dialog) { dialog.SetText("Tune:d=8,o=5:c,p,4d"); });
  const MelodyData imported{u"Tune", {{16, 3, 0}, {11, 3, 4}, {18, 2, 0}}};
  EXPECT_EQ(imported, Saved());
  EXPECT_TRUE(window().Action(IDM_TRANSPOSE)->isEnabled());

  // Up an octave and a half: D5 goes past D#6 and is folded, which is told.
  dialogs_.exec = [](QDialog& dialog) {
    auto* transpose = qobject_cast<CTransposeDialog*>(&dialog);
    if (transpose == nullptr) return static_cast<int>(QDialog::Rejected);
    transpose->SetSemitones(14);
    return static_cast<int>(QDialog::Accepted);
  };
  window().RunCommand(IDM_TRANSPOSE);
  EXPECT_EQ((MelodyData{u"Tune", {{30, 3, 0}, {11, 3, 4}, {20, 2, 0}}}), Saved());
  ASSERT_EQ(1u, dialogs_.boxes.size());
  EXPECT_TRUE(dialogs_.boxes[0].text.endsWith(": 1")) << dialogs_.boxes[0].text.toStdString();

  window().RunCommand(IDM_UNDO);
  EXPECT_EQ(imported, Saved());
  window().RunCommand(IDM_UNDO);
  EXPECT_EQ((MelodyData{u"Новая мелодия", {}}), Saved());
  EXPECT_FALSE(window().Action(IDM_TRANSPOSE)->isEnabled()) << "nothing to transpose";
}

TEST_F(RingToneWindowTest, FromFileTakesTheFileOrSaysWhyNot) {
  const std::string path = dir_.file("bell.rtttl");
  std::ofstream(path) << "Bell:d=4,o=5:c,e,g";
  dialogs_.openAnswers = {QString::fromStdString(path), QString::fromStdString(dir_.file("missing.rtttl")), {}};
  CRingToneDialog dialog(QStringLiteral("kept:d=4:c"), dialogs_, app_->Paths(), &window());
  EXPECT_TRUE(dialog.LoadFromFile());
  EXPECT_EQ("Bell:d=4,o=5:c,e,g", dialog.Text());
  EXPECT_FALSE(dialog.LoadFromFile());
  ASSERT_EQ(1u, dialogs_.boxes.size());
  EXPECT_TRUE(dialogs_.boxes[0].text.startsWith("Ошибка при открытии файла")) << dialogs_.boxes[0].text.toStdString();
  EXPECT_FALSE(dialog.LoadFromFile()) << "cancelled";
  EXPECT_EQ("Bell:d=4,o=5:c,e,g", dialog.Text());
  EXPECT_EQ(dir_.path() + "/", app_->Paths().WorkDir()) << "the file's folder becomes the work folder";
}

TEST_F(RingToneWindowTest, ExportAndCopyGiveTheSameText) {
  Import([](CRingToneDialog& dialog) { dialog.SetText("Low:d=4,o=5:c,e"); });
  Import([](CRingToneDialog& dialog) {
    dialog.SetText(":d=4,o=4:c");
    dialog.SetSemitones(-1);
    dialog.SetInsert(true);
  });
  const std::string path = dir_.file("out.rtttl");
  dialogs_.saveAnswers = {QString::fromStdString(path)};
  window().RunCommand(IDM_EXPORT_RINGTONE);
  const std::string written = ReadAll(path);
  // B3 is below what the text can hold: all an octave up, and told so.
  EXPECT_EQ("Low:d=4,o=6,b=114:c,e,b4\n", written);
  ASSERT_EQ(1u, dialogs_.boxes.size());
  EXPECT_TRUE(dialogs_.boxes[0].text.contains("на октаву выше"));

  window().RunCommand(IDM_COPY_RINGTONE);
  EXPECT_EQ(QString::fromStdString(written).trimmed(), QGuiApplication::clipboard()->text());
  EXPECT_EQ("rtttl", dialogs_.fileRequests.at(0).defaultSuffix.toStdString());
}

}  // namespace
