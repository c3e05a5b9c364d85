// Bounded strings, length-prefixed file strings and atomic saving.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "TempDir.h"
#include "common/CFileU.h"
#include "common/CSaveFileU.h"
#include "common/CStringU.h"

namespace {

std::vector<BYTE> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::vector<BYTE>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

size_t FilesIn(const std::string& folder) {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

std::u16string Repeat(char16_t c, size_t n) {
  return std::u16string(n, c);
}

}  // namespace

TEST(CStringU, KeepsLimitsOnEveryOperation) {
  struct Case {
    const char* what;
    CStringU result;
    size_t length;
  };
  CStringU s254(Repeat(u'x', 254));
  CStringU s255(Repeat(u'x', 255));
  CStringU appendedTwo = s254;
  bool twoFits = appendedTwo.Append("ab");
  CStringU appendedOne = s254;
  bool oneFits = appendedOne.Append("a");
  EXPECT_FALSE(twoFits);
  EXPECT_TRUE(oneFits);
  const Case cases[] = {
      {"append past the limit leaves the string", appendedTwo, 254},
      {"append up to the limit", appendedOne, 255},
      {"narrow text of 256 bytes", CStringU(std::string(256, 'a').c_str()), 0},
      {"narrow text of 255 bytes", CStringU(std::string(255, 'a').c_str()), 255},
      {"wide text of 256 characters", CStringU(Repeat(u'y', 256)), 0},
      {"wide text up to an embedded NUL", CStringU(std::u16string_view(u"ab\0cd", 5)), 2},
      {"concatenation past the limit", s255 + CStringU(u"z"), 0},
      {"narrow concatenation past the limit", s254.Concat("ab"), 0},
      {"narrow concatenation up to the limit", s254.Concat("a"), 255},
  };
  for (const Case& c : cases) EXPECT_EQ(c.length, c.result.Length()) << c.what;
  EXPECT_EQ(std::u16string_view::npos, appendedTwo.View().find_first_not_of(u'x')) << "unchanged";
}

TEST(CStringU, ConvertsThroughTheAnsiCodePage) {
  CStringU name(u"Новая мелодия");
  EXPECT_STREQ("\xCD\xEE\xE2\xE0\xFF \xEC\xE5\xEB\xEE\xE4\xE8\xFF", name.Narrow());
  EXPECT_EQ(0, name.Compare("\xCD\xEE\xE2\xE0\xFF \xEC\xE5\xEB\xEE\xE4\xE8\xFF"));
  EXPECT_NE(0, name.Compare("\xED\xEE\xE2\xE0\xFF \xEC\xE5\xEB\xEE\xE4\xE8\xFF"));
  EXPECT_EQ(u"Новая мелодия", CStringU("\xCD\xEE\xE2\xE0\xFF \xEC\xE5\xEB\xEE\xE4\xE8\xFF").View());

  CStringU formatted;
  formatted.Format("%s %d", "\xCD\xEE\xF2\xE0", 7);
  EXPECT_EQ(u"Нота 7", formatted.View());
  formatted.Format("%300d", 1);  // cut at 255 bytes
  EXPECT_EQ(255u, formatted.Length());
}

TEST(CFileU, StringsRoundTripWithTheirLengthByte) {
  nvtest::TempDir dir;
  const std::string path = dir.file("s.bin");
  const std::u16string longest = Repeat(u'Я', 255);
  {
    CFileU file;
    ASSERT_TRUE(file.Open(path, "wb"));
    EXPECT_TRUE(file.WriteString(longest));
    EXPECT_TRUE(file.WriteString(std::u16string(u"ok")));
    EXPECT_TRUE(file.WriteLong(-2));
    EXPECT_TRUE(file.Close());
  }
  std::vector<BYTE> bytes = ReadBytes(path);
  ASSERT_EQ(256u + 3u + 4u, bytes.size());
  EXPECT_EQ(255, bytes[0]);
  EXPECT_EQ(0xDF, bytes[1]);  // 'Я' in Windows-1251
  EXPECT_EQ((std::vector<BYTE>{2, 'o', 'k', 0xFE, 0xFF, 0xFF, 0xFF}),
            std::vector<BYTE>(bytes.begin() + 256, bytes.end()));

  CFileU file;
  ASSERT_TRUE(file.Open(path, "rb"));
  std::u16string a, b;
  LONG n = 0;
  EXPECT_TRUE(file.ReadString(a));
  EXPECT_TRUE(file.ReadString(b));
  EXPECT_TRUE(file.ReadLong(n));
  EXPECT_EQ(longest, a);
  EXPECT_EQ(u"ok", b);
  EXPECT_EQ(-2, n);
  EXPECT_FALSE(file.ReadString(b));  // nothing left
  EXPECT_EQ(u"ok", b);
}

TEST(CSaveFileU, ReplacesTheTargetOnlyWhenComplete) {
  nvtest::TempDir dir;
  const std::string path = dir.file("target.bin");
  WriteBytes(path, {1, 2, 3});
  ASSERT_EQ(0, chmod(path.c_str(), 0640));

  {
    CSaveFileU abandoned;
    ASSERT_TRUE(abandoned.Create(path));
    EXPECT_TRUE(abandoned.File().Write("xyz", 3));
  }
  EXPECT_EQ((std::vector<BYTE>{1, 2, 3}), ReadBytes(path));
  EXPECT_EQ(1u, FilesIn(dir.path())) << "the temporary file is removed";

  CSaveFileU save;
  ASSERT_TRUE(save.Create(path));
  EXPECT_TRUE(save.File().Write("new", 3));
  ASSERT_TRUE(save.Commit());
  EXPECT_EQ((std::vector<BYTE>{'n', 'e', 'w'}), ReadBytes(path));
  struct stat st;
  ASSERT_EQ(0, stat(path.c_str(), &st));
  EXPECT_EQ(0640u, st.st_mode & 07777) << "permissions carry over";
  EXPECT_EQ(1u, FilesIn(dir.path()));
}

TEST(CSaveFileU, FailedWriteLeavesTheOldFile) {
  nvtest::TempDir dir;
  const std::string path = dir.file("target.bin");
  WriteBytes(path, {9, 9});
  // Writes past 4 KiB fail with EFBIG instead of ending the process.
  signal(SIGXFSZ, SIG_IGN);
  rlimit limit{4096, RLIM_INFINITY};
  ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &limit));

  CSaveFileU save;
  ASSERT_TRUE(save.Create(path));
  std::vector<char> big(64 * 1024, 'x');
  bool written = save.File().Write(big.data(), big.size());
  EXPECT_FALSE(written && save.Commit());
  save.Discard();
  EXPECT_EQ((std::vector<BYTE>{9, 9}), ReadBytes(path));
  EXPECT_EQ(1u, FilesIn(dir.path()));
}

TEST(CSaveFileU, SavesThroughALinkAndRefusesBadTargets) {
  nvtest::TempDir dir;
  const std::string real = dir.file("real.bin");
  const std::string link = dir.file("link.bin");
  WriteBytes(real, {1});
  ASSERT_EQ(0, symlink("real.bin", link.c_str()));
  CSaveFileU save;
  ASSERT_TRUE(save.Create(link));
  EXPECT_TRUE(save.File().Write("2", 1));
  ASSERT_TRUE(save.Commit());
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ((std::vector<BYTE>{'2'}), ReadBytes(real));

  CSaveFileU bad;
  EXPECT_FALSE(bad.Create(dir.file("missing/file.bin")));
  EXPECT_FALSE(bad.Create(dir.path()));
  EXPECT_FALSE(bad.Create(""));
}
