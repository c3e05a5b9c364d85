// Program folder and the work folder kept in the registry.
#include <gtest/gtest.h>
#include <unistd.h>

#include "TempDir.h"
#include "common/CAppPathU.h"
#include "platform/Registry.h"

TEST(CAppPathU, WorkFolderFallsBackToTheCurrentFolderAndSurvivesARestart) {
  nvtest::TempDir dir;
  ASSERT_EQ(0, chdir(dir.path().c_str()));
  char cwd[4096];
  ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));

  CAppPathU first;
  ASSERT_TRUE(first.Start("N&V\\Melodies Editor v2.9"));
  EXPECT_EQ(std::string(cwd) + "/", first.WorkDir());
  ASSERT_FALSE(first.ProgramDir().empty());
  EXPECT_EQ('/', first.ProgramDir().back());
  EXPECT_EQ("Software\\N&V\\Melodies Editor v2.9", first.KeyPath());

  first.SetWorkDir("/srv/Мелодии");
  EXPECT_EQ("/srv/Мелодии/", first.WorkDir());
  ASSERT_TRUE(first.Save());

  CAppPathU next;
  ASSERT_TRUE(next.Start("N&V\\Melodies Editor v2.9"));
  EXPECT_EQ("/srv/Мелодии/", next.WorkDir());

  CAppPathU other;
  ASSERT_TRUE(other.Start("N&V\\Setora Editor v1.1"));
  EXPECT_EQ(std::string(cwd) + "/", other.WorkDir()) << "each program has its own key";
  EXPECT_FALSE(CAppPathU().Start(""));
}

TEST(CAppPathU, ReadsAWorkFolderLongerThanAnyFixedBuffer) {
  std::string folder = "/" + std::string(3000, 'd');
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\N&V\\Dinova v2.1", 0, nullptr, 0, KEY_WRITE,
                                          nullptr, &key, nullptr));
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueEx(key, "WorkDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                                         static_cast<DWORD>(folder.size() + 1)));
  RegCloseKey(key);
  CAppPathU paths;
  ASSERT_TRUE(paths.Start("N&V\\Dinova v2.1"));
  EXPECT_EQ(folder + "/", paths.WorkDir());
}
