// Bounded strings, length-prefixed file strings and atomic saving.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <grp.h>

#include <filesystem>
#include <functional>
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

// Runs step in a child process as the unprivileged user "nobody" (root may
// write anywhere) and returns its exit status; 77 when there is no such user
// or the process may not switch to it.
int AsNobody(const std::function<int()>& step) {
  const passwd* nobody = getpwnam("nobody");
  if (!nobody) return 77;
  uid_t uid = nobody->pw_uid;
  gid_t gid = nobody->pw_gid;
  pid_t child = fork();
  if (child == 0) {
    if (setgroups(0, nullptr) != 0 || setresgid(gid, gid, gid) != 0 || setresuid(uid, uid, uid) != 0) _exit(77);
    _exit(step());
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

bool SaveBytes(const std::string& path, const std::string& bytes) {
  CSaveFileU save;
  return save.Create(path) && save.File().Write(bytes.data(), bytes.size()) && save.Commit();
}

std::string Text(const std::string& path) {
  std::vector<BYTE> bytes = ReadBytes(path);
  return std::string(bytes.begin(), bytes.end());
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

TEST(CSaveFileU, KeepsLinksOwnerAndMode) {
  nvtest::TempDir dir;
  const std::string real = dir.file("real.mel");
  WriteBytes(real, {'o', 'l', 'd'});
  ASSERT_EQ(0, chmod(real.c_str(), 0604));
  // Two names for one file, and a chain of symbolic links to it.
  const std::string hard = dir.file("hard.mel");
  ASSERT_EQ(0, link(real.c_str(), hard.c_str()));
  ASSERT_EQ(0, symlink("real.mel", dir.file("first.mel").c_str()));
  ASSERT_EQ(0, symlink(dir.file("first.mel").c_str(), dir.file("second.mel").c_str()));
  struct stat before;
  ASSERT_EQ(0, stat(real.c_str(), &before));

  struct Case {
    const char* saveAs;
    const char* contents;
  } cases[] = {{"real.mel", "one"}, {"hard.mel", "two, longer"}, {"second.mel", "3"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.saveAs);
    ASSERT_TRUE(SaveBytes(dir.file(c.saveAs), c.contents));
    EXPECT_EQ(c.contents, Text(real));
    EXPECT_EQ(c.contents, Text(hard)) << "both names still see one file";
    struct stat after;
    ASSERT_EQ(0, stat(real.c_str(), &after));
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(2u, after.st_nlink);
    EXPECT_EQ(0604u, after.st_mode & 07777);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("first.mel")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("second.mel")));
    EXPECT_EQ(4u, FilesIn(dir.path())) << "no temporary file is left";
  }

  // A single-link file is replaced, and a file owned by another user keeps
  // its owner when the process may set it.
  const std::string owned = dir.file("owned.mel");
  WriteBytes(owned, {1});
  const passwd* nobody = getpwnam("nobody");
  if (geteuid() == 0 && nobody) {
    ASSERT_EQ(0, chown(owned.c_str(), nobody->pw_uid, nobody->pw_gid));
    ASSERT_TRUE(SaveBytes(owned, "x"));
    struct stat st;
    ASSERT_EQ(0, stat(owned.c_str(), &st));
    EXPECT_EQ(nobody->pw_uid, st.st_uid);
    EXPECT_EQ(nobody->pw_gid, st.st_gid);
  }
}

TEST(CSaveFileU, RefusesWhatItsUserMayNotWrite) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  nvtest::TempDir dir;
  ASSERT_EQ(0, chmod(dir.path().c_str(), 0777));
  const std::string locked = dir.file("locked.mel");
  WriteBytes(locked, {'k', 'e', 'e', 'p'});
  ASSERT_EQ(0, chmod(locked.c_str(), 0444));
  // A folder nobody may not add to, holding a file nobody may write.
  const std::string closed = dir.file("closed");
  ASSERT_EQ(0, mkdir(closed.c_str(), 0755));
  const std::string open = closed + "/open.mel";
  WriteBytes(open, {'o', 'l', 'd'});
  ASSERT_EQ(0, chmod(open.c_str(), 0666));

  int status = AsNobody([&] {
    int failures = 0;
    CSaveFileU save;
    if (save.Create(locked) || errno != EACCES) failures |= 1;
    if (SaveBytes(closed + "/new.mel", "x")) failures |= 2;
    if (!SaveBytes(open, "written in place")) failures |= 4;
    return failures;
  });
  if (status == 77) GTEST_SKIP() << "no user to switch to";
  EXPECT_EQ(0, status) << "bit 1: read-only file accepted, 2: new file in a closed folder, 4: writable file refused";
  EXPECT_EQ("keep", Text(locked));
  EXPECT_EQ("written in place", Text(open));
  EXPECT_EQ(1u, FilesIn(closed));
}

TEST(CFileU, OpensOnlyRegularFilesAndNeverWaitsOnAPipe) {
  nvtest::TempDir dir;
  const std::string pipe = dir.file("pipe.mel");
  ASSERT_EQ(0, mkfifo(pipe.c_str(), 0644));
  WriteBytes(dir.file("plain.mel"), {1, 2});
  struct Case {
    std::string path;
    const char* mode;
    bool opens;
  } cases[] = {
      {dir.file("plain.mel"), "rb", true}, {pipe, "rb", false},        {pipe, "r+b", false},
      {dir.path(), "rb", false},           {"/dev/null", "rb", false}, {dir.file("missing"), "rb", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path + " " + c.mode);
    CFileU file;
    EXPECT_EQ(c.opens, file.Open(c.path, c.mode));
    EXPECT_EQ(c.opens, file.IsOpen());
  }
  BYTE b = 0;
  CFileU plain;
  ASSERT_TRUE(plain.Open(dir.file("plain.mel"), "rb"));
  EXPECT_TRUE(plain.ReadByte(b));
  EXPECT_EQ(1, b);

  // Saving over a pipe or a device is refused before anything is written.
  CSaveFileU save;
  EXPECT_FALSE(save.Create(pipe));
  EXPECT_FALSE(save.Create("/dev/null"));
  EXPECT_EQ(2u, FilesIn(dir.path()));
}
