// The checker panels of the open dialogs: what they say and offer for each
// kind of file against what the bell can take, and the melody preview.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QPushButton>

#include "CCheckedFileDialog.h"
#include "CDeviceClient.h"
#include "CDeviceThread.h"
#include "DinovaTestSupport.h"
#include "TempDir.h"
#include "common/MelFormat.h"
#include "common/StoFormat.h"

namespace {

using namespace dinovatest;
using Kind = CFileChecker::Kind;

class CheckedFileDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    App();
    ASSERT_EQ(FileStatus::Ok, MelFormat::Save(dir_.file("m9.mel"), {u"m9", Notes(9)}));
    ASSERT_EQ(FileStatus::Ok, MelFormat::Save(dir_.file("m10.mel"), {u"m10", Notes(10)}));
    // 3 + 1, 5 + 1 and 0 + 1 symbols: 11.
    ASSERT_EQ(FileStatus::Ok, StoFormat::Save(dir_.file("s11.sto"), {{u"a", Notes(3)}, {u"b", Notes(5)}, {u"c", {}}}));
    std::vector<BYTE> cut = ReadImage(dir_.file("s11.sto"));
    cut.resize(cut.size() - 4);
    WriteImage(dir_.file("cut.sto"), cut);
    // The second melody's third note has a pitch no note byte holds.
    std::vector<NoteValues> high = Notes(4);
    high[2].pitch = 40;
    ASSERT_EQ(FileStatus::Ok, StoFormat::Save(dir_.file("high.sto"), {{u"a", Notes(3)}, {u"b", high}}));
    ASSERT_EQ(FileStatus::Ok, MelFormat::Save(dir_.file("high.mel"), {u"b", high}));
  }

  nvtest::TempDir dir_;
};

TEST_F(CheckedFileDialogTest, PanelWeighsTheNamedFileAgainstTheFreeSpace) {
  struct Case {
    Kind kind;
    LONG free;
    LONG stored;  // melodies on a version 2.0 bell (111 at most)
    QString name;
    const char* text;
    bool ok;
  };
  const Case cases[] = {
      // A melody of N notes needs N + 1 symbols: exactly filling is fine.
      {Kind::Melody, 10, 0, "m9.mel", "Мелодия подходящего размера", true},
      {Kind::Melody, 10, 0, "m10.mel", "Мелодия слишком длинная", false},
      {Kind::Melody, 10, 0, "m9", "Мелодия подходящего размера", true},  // the extension is implied
      {Kind::Melody, 100, 0, "s11.sto", "Неправильный формат файла", false},
      {Kind::Melody, 100, 0, "nothing.mel", "", false},
      {Kind::Melody, 100, 0, "", "", false},
      {Kind::Melody, 100, 0, "high.mel", "Нота 3 (высота 40, длительность 2) не может быть записана в звонок", false},
      {Kind::Melody, 100, 110, "m9.mel", "Мелодия подходящего размера", true},
      {Kind::Melody, 100, 111, "m9.mel", "Слишком много мелодий: звонок вмещает не более 111", false},
      {Kind::Set, 11, 0, "s11.sto", "Набор мелодий подходящего размера", true},
      {Kind::Set, 10, 0, "s11", "Набор мелодий слишком большой", false},
      {Kind::Set, 100, 0, "m9.mel", "Неправильный формат файла", false},
      {Kind::Set, 100, 0, "cut.sto", "Ошибка при чтении файла", false},
      {Kind::Set, 100, 0, "high.sto", "Мелодия 2, нота 3 (высота 40, длительность 2) не может быть записана в звонок",
       false},
      {Kind::Set, 100, 109, "s11.sto", "Слишком много мелодий: звонок вмещает не более 111", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name.toStdString());
    CCheckedFileDialog dialog(c.kind, {c.free, c.stored, 111}, nullptr, QString::fromStdString(dir_.path()));
    dialog.SetFileName(c.name);
    EXPECT_EQ(QString::fromUtf8(c.text), dialog.CheckText());
    EXPECT_EQ(c.ok, dialog.IsOkEnabled());
    // OK is taken only for a file that fits.
    dialog.accept();
    EXPECT_EQ(c.ok ? QDialog::Accepted : QDialog::Rejected, dialog.result());
    if (c.ok) {
      EXPECT_EQ(QFileInfo(dialog.ChosenPath()).baseName(), QFileInfo(c.name).baseName());
    }
  }
}

TEST_F(CheckedFileDialogTest, PreviewStopsWhenTheNameChangesAndWhenTheDialogCloses) {
  PrepareModules();
  CDeviceThread thread;
  ASSERT_TRUE(thread.Start());
  CDeviceClient device(thread);
  std::u16string error;
  ASSERT_TRUE(device.Initialise(error));
  ASSERT_EQ(FileStatus::Ok, MelFormat::Save(dir_.file("long.mel"), {u"long", std::vector(8, NoteValues{13, 0, 0})}));
  auto isStopped = [&] { return device.IsStopped(); };

  {
    CCheckedFileDialog dialog(Kind::Melody, {100, 0, 1024}, &device, QString::fromStdString(dir_.path()));
    dialog.SetFileName("long.mel");
    ASSERT_TRUE(dialog.PlayButton()->isEnabled());
    EXPECT_FALSE(dialog.StopButton()->isEnabled());
    dialog.PlayButton()->click();
    EXPECT_FALSE(isStopped());
    EXPECT_FALSE(dialog.PlayButton()->isEnabled());
    EXPECT_TRUE(dialog.StopButton()->isEnabled());

    dialog.SetFileName("m9.mel");
    EXPECT_TRUE(isStopped());
    EXPECT_TRUE(dialog.PlayButton()->isEnabled());
    EXPECT_FALSE(dialog.StopButton()->isEnabled());

    dialog.SetFileName("long.mel");
    dialog.PlayButton()->click();
    EXPECT_FALSE(isStopped());
    dialog.reject();
    EXPECT_TRUE(isStopped());
    dialog.SetFileName("long.mel");
    dialog.PlayButton()->click();
  }
  // Destroyed while playing: silent afterwards.
  EXPECT_TRUE(isStopped());
}

}  // namespace
