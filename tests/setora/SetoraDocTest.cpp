// The melody set document over real Sonvox melodies.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "CSetoraDoc.h"
#include "SonvoxTestSupport.h"
#include "common/MelFormat.h"
#include "common/MelodyValues.h"
#include "platform/CodePage.h"

using namespace nvtest;

namespace {

class SetoraDocTest : public testing::Test {
 protected:
  void SetUp() override {
    FakeSample::fillResult = S_OK;
    ASSERT_TRUE(doc_.New(CSetoraDoc::kNewName));
  }

  // Adds a melody through a .mel file, as the set editor does.
  void Add(const MelodyData& melody) {
    std::string path = dir_.file("add.mel");
    ASSERT_EQ(FileStatus::Ok, MelFormat::Save(path, melody));
    std::u16string error;
    ASSERT_TRUE(doc_.AddMelodyFile(path, error));
  }
  std::vector<std::u16string> Names() const {
    std::vector<std::u16string> names(static_cast<size_t>(doc_.Count()));
    for (LONG i = 0; i < doc_.Count(); ++i) EXPECT_TRUE(doc_.Name(i, names[static_cast<size_t>(i)]));
    return names;
  }

  SonvoxSession session_;
  TempDir dir_;
  CSetoraDoc doc_{TestFactory()};
};

const std::vector<BYTE> kStoMagic = {6, 'E', 'S', 'T', '1', '.', '0'};

std::vector<BYTE> Join(std::vector<BYTE> a, const std::vector<BYTE>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace

TEST_F(SetoraDocTest, SavesTheDocumentedImages) {
  EXPECT_EQ("Новый набор.sto", doc_.Path());
  std::u16string error;
  std::string empty = dir_.file("empty.sto");
  ASSERT_TRUE(doc_.Save(&empty, error));
  EXPECT_EQ(Join(kStoMagic, {0, 0, 0, 0}), FileBytes(empty));

  Add({u"a", {{13, 2, 0}, {11, 3, 4}}});
  EXPECT_TRUE(doc_.IsModified());
  std::string one = dir_.file("one.sto");
  ASSERT_TRUE(doc_.Save(&one, error));
  EXPECT_FALSE(doc_.IsModified());
  EXPECT_EQ(Join(kStoMagic, {1, 0, 0, 0, 2, 0, 0, 0, 1, 'a', 13, 2, 0, 11, 3, 4}), FileBytes(one));
  EXPECT_EQ(one, doc_.Path());
}

TEST_F(SetoraDocTest, OpensWhatItSavedAndRefusesOtherFiles) {
  Add({u"Первая", {{1, 2, 0}}});
  Add({u"Вторая", {}});
  std::u16string error;
  std::string path = dir_.file("set.sto");
  ASSERT_TRUE(doc_.Save(&path, error));

  CSetoraDoc other(TestFactory());
  ASSERT_TRUE(other.Open(path, error));
  EXPECT_EQ(2, other.Count());
  EXPECT_EQ(3, other.SetSize());
  EXPECT_FALSE(other.IsModified());

  WriteFile(dir_.file("melody.sto"), {5, 'E', 'M', '2', '.', '0', 0, 0, 0, 0, 0, 0, 0, 0, 0});
  WriteFile(dir_.file("empty.sto"), {});
  WriteFile(dir_.file("cut.sto"), Join(kStoMagic, {3, 0, 0, 0, 1, 0, 0, 0, 1, 'x', 4, 4, 0, 2, 0, 0, 0, 0, 9}));
  struct Case {
    std::string file;
    std::u16string error;
    LONG countAfter;
  };
  ASSERT_EQ(0, mkfifo(dir_.file("pipe.sto").c_str(), 0644));
  auto named = [&](const char16_t* text, const char* file) { return text + nv::Utf8ToWide(dir_.file(file)); };
  const Case cases[] = {
      {"melody.sto", u"Файл не является набором мелодий\n", 2},
      {"empty.sto", named(u"Ошибка при чтении файла ", "empty.sto"), 2},
      {"missing.sto", named(u"Ошибка при открытии файла ", "missing.sto") + u"\n", 2},
      {"pipe.sto", named(u"Ошибка при открытии файла ", "pipe.sto") + u"\n", 2},
      // The whole first melody and the start of the second: nothing of it is taken.
      {"cut.sto", named(u"Ошибка при чтении файла ", "cut.sto"), 2},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(other.Open(dir_.file(c.file), error)) << c.file;
    EXPECT_EQ(c.error, error) << c.file;
    EXPECT_EQ(c.countAfter, other.Count()) << c.file;
  }
  EXPECT_EQ(path, other.Path()) << "a failed open keeps the document's file";
  EXPECT_EQ((std::vector<std::u16string>{u"Первая", u"Вторая"}), [&] {
    std::vector<std::u16string> names(2);
    other.Name(0, names[0]);
    other.Name(1, names[1]);
    return names;
  }());
}

TEST_F(SetoraDocTest, ReordersAndMeasuresMelodies) {
  Add({u"A", std::vector<NoteValues>(10, {1, 2, 0})});
  Add({u"B", std::vector<NoteValues>(20, {1, 2, 0})});
  Add({u"C", {}});
  EXPECT_EQ(33, doc_.SetSize());
  EXPECT_EQ(32, doc_.BlockSize({0, 1}));
  EXPECT_EQ(1, doc_.BlockSize({2}));
  EXPECT_EQ(0, doc_.BlockSize({}));
  EXPECT_EQ(0, doc_.BlockSize({7}));

  doc_.SetModified(false);
  EXPECT_TRUE(doc_.MoveUp(0));
  EXPECT_TRUE(doc_.MoveDown(2));
  EXPECT_FALSE(doc_.IsModified()) << "moving past either end changes nothing";
  EXPECT_FALSE(doc_.MoveUp(3));
  EXPECT_TRUE(doc_.MoveUp(2));
  EXPECT_TRUE(doc_.IsModified());
  EXPECT_EQ((std::vector<std::u16string>{u"A", u"C", u"B"}), Names());
  EXPECT_TRUE(doc_.MoveDown(0));
  EXPECT_EQ((std::vector<std::u16string>{u"C", u"A", u"B"}), Names());
  EXPECT_TRUE(doc_.Delete(1));
  EXPECT_FALSE(doc_.Delete(5));
  EXPECT_EQ((std::vector<std::u16string>{u"C", u"B"}), Names());
  LONG count = 0;
  EXPECT_TRUE(doc_.NoteCount(1, count));
  EXPECT_EQ(20, count);
  bool stopped = false;
  EXPECT_FALSE(doc_.IsStopped(9, stopped));
  EXPECT_FALSE(doc_.Play(-1));
  EXPECT_FALSE(doc_.Stop(2));
}

TEST_F(SetoraDocTest, MelodyFilesGoInAndOutUnchanged) {
  MelodyData melody{std::u16string(255, u'ж'), {{0, 0, 0}, {31, 4, 8}, {11, 1, 4}}};
  std::string source = dir_.file("in.mel");
  ASSERT_EQ(FileStatus::Ok, MelFormat::Save(source, melody));
  std::u16string error;
  ASSERT_TRUE(doc_.AddMelodyFile(source, error));
  std::string copy = dir_.file("out.mel");
  doc_.SetModified(false);
  ASSERT_TRUE(doc_.SaveMelody(0, copy, error));
  EXPECT_EQ(FileBytes(source), FileBytes(copy));
  EXPECT_FALSE(doc_.IsModified());

  std::vector<BYTE> cut = FileBytes(source);
  cut.pop_back();
  WriteFile(dir_.file("cut.mel"), cut);
  WriteFile(dir_.file("set.mel"), Join(kStoMagic, {0, 0, 0, 0}));
  ASSERT_EQ(0, mkfifo(dir_.file("pipe.mel").c_str(), 0644));
  struct Case {
    std::string file;
    std::u16string error;
  };
  const Case cases[] = {
      {"missing.mel", u"Ошибка при открытии файла " + nv::Utf8ToWide(dir_.file("missing.mel"))},
      {"pipe.mel", u"Ошибка при открытии файла " + nv::Utf8ToWide(dir_.file("pipe.mel"))},
      {"set.mel", u"Неправильный формат файла " + nv::Utf8ToWide(dir_.file("set.mel"))},
      {"cut.mel", u"Ошибка при чтении файла " + nv::Utf8ToWide(dir_.file("cut.mel"))},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(doc_.AddMelodyFile(dir_.file(c.file), error)) << c.file;
    EXPECT_EQ(c.error, error) << c.file;
  }
  EXPECT_EQ(1, doc_.Count()) << "failed additions leave the list";
  EXPECT_FALSE(doc_.SaveMelody(0, dir_.file("missing/out.mel"), error));
  EXPECT_EQ(u"Ошибка при открытии файла " + nv::Utf8ToWide(dir_.file("missing/out.mel")), error);
}

TEST_F(SetoraDocTest, FailedSaveLeavesTheFileAndTheFlag) {
  Add({u"A", {{1, 2, 0}}});
  std::u16string error;
  const std::string before = doc_.Path();
  std::string missing = dir_.file("missing/set.sto");
  EXPECT_FALSE(doc_.Save(&missing, error));
  EXPECT_EQ(u"Ошибка при открытии файла", error);
  EXPECT_TRUE(doc_.IsModified());
  EXPECT_EQ(before, doc_.Path()) << "the document takes a name only with a save under it";

  FakeSample::fillResult = E_FAIL;
  CSetoraDoc unfilled(TestFactory());
  EXPECT_FALSE(unfilled.New(CSetoraDoc::kNewName));
  EXPECT_FALSE(unfilled.Open(missing, error));
  EXPECT_EQ(u"Ошибка при инициализации документа\n", error);
}
