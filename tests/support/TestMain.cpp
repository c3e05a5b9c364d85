// Every test process gets its own configuration folder, so the registry files
// it writes never touch the user's or another test's.
#include <gtest/gtest.h>

#include <cstdlib>

#include "TempDir.h"

int main(int argc, char** argv) {
  nvtest::TempDir configHome;
  setenv("XDG_CONFIG_HOME", configHome.path().c_str(), 1);
  // Widgets need no display; modules are found in the build's program folder.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("NV_BIN_DIR", nvtest::BinDir().c_str(), 0);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
