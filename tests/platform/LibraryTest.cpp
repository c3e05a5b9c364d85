#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <string>

#include "TempDir.h"
#include "platform/Kernel.h"
#include "platform/Library.h"

namespace {

std::string RealPath(const char* path) {
  char resolved[PATH_MAX];
  return realpath(path, resolved) ? resolved : "";
}

TEST(Library, BareNameIsFoundInTheProgramFolder) {
  // The test server sits beside the test program, outside the loader's search path.
  HMODULE module = LoadLibrary("libnvtestserver.so");
  ASSERT_NE(module, nullptr);
  const FARPROC entry = GetProcAddress(module, "DllGetClassObject");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(GetProcAddress(module, "NoSuchExport"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);

  const std::string expected = RealPath(NV_TEST_SERVER);
  char path[PATH_MAX];
  EXPECT_EQ(GetModuleFileName(module, path, sizeof path), expected.size());
  EXPECT_EQ(path, expected);
  EXPECT_EQ(GetModuleFileNameFromAddress(reinterpret_cast<const void*>(entry), path, sizeof path), expected.size());
  EXPECT_EQ(path, expected);

  // Cut to size: size - 1 characters, a NUL, and the size as result.
  char small[5];
  SetLastError(0);
  EXPECT_EQ(GetModuleFileName(module, small, sizeof small), sizeof small);
  EXPECT_EQ(std::string(small), expected.substr(0, 4));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_TRUE(FreeLibrary(module));
}

TEST(Library, ProgramPathAndFailures) {
  char path[PATH_MAX];
  EXPECT_GT(GetModuleFileName(nullptr, path, sizeof path), 0u);
  EXPECT_EQ(path, RealPath("/proc/self/exe"));

  EXPECT_EQ(LoadLibrary("libnvnothing.so"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  nvtest::TempDir dir;
  std::ofstream(dir.file("libtext.so")) << "not a module";
  EXPECT_EQ(LoadLibrary(dir.file("libtext.so").c_str()), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_BAD_FORMAT);
}

}  // namespace
