// Ctrl+C during nvtool's long operations: playback stops, a device operation
// is cancelled at its next progress point, and the run ends with 130 leaving
// the doorbell's stored set and the port setting consistent.
#include <gtest/gtest.h>

#include "TempDir.h"
#include "ToolRunner.h"
#include "common/StoFormat.h"
#include "platform/Registry.h"

namespace {

using nvtest::Melody;

void SetString(const char* keyPath, const char* name, const std::string& value) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyEx(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
  RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
}

TEST(InterruptTest, CtrlCStopsPlaybackAndEndsWithItsCode) {
  nvtest::TempDir dir;
  SetString("Software\\N&V\\Sonvox", "AudioDevice", "null");
  // Eight whole notes: about 17 seconds of (silent) playback in real time.
  nvtest::SaveMelody(dir.file("long.mel"), Melody(u"Long", std::vector<NoteValues>(8, {13, 0, 0})));
  const nvtest::ToolResult result = nvtest::RunTool({"play", dir.file("long.mel")}, dir.path(), 700);
  EXPECT_EQ(130, result.exitCode) << result.err;
}

TEST(InterruptTest, CtrlCCancelsAWriteBetweenMelodiesAndKeepsTheStoredSetWhole) {
  nvtest::TempDir dir;
  // A real-time doorbell: every 64-byte page waits 10 ms, so the set below
  // takes well over two seconds to write.
  const std::string port = "virtual:" + dir.file("bell.bin") + "?size=16384";
  const std::string stored = "/dev/parport3";
  SetString("Software\\N&V\\Chimox", "Port", stored);
  ASSERT_EQ(0, nvtest::RunTool({"bell", "--port", port, "mode", "sequential"}, dir.path()).exitCode);
  std::vector<MelodyData> set;
  for (int i = 0; i < 7; ++i) set.push_back(Melody(u"M", nvtest::Notes(1000)));
  ASSERT_EQ(FileStatus::Ok, StoFormat::Save(dir.file("big.sto"), set));

  const nvtest::ToolResult result =
      nvtest::RunTool({"bell", "--port", port, "write-set", dir.file("big.sto")}, dir.path(), 300);
  EXPECT_EQ(130, result.exitCode) << result.err;

  // What was written before the cancel is complete melodies only, and they
  // read back as written.
  const nvtest::ToolResult read =
      nvtest::RunTool({"bell", "--port", port, "read-set", dir.file("back.sto")}, dir.path());
  if (read.exitCode == 0) {
    std::vector<MelodyData> back;
    ASSERT_EQ(FileStatus::Ok, StoFormat::Load(dir.file("back.sto"), back));
    EXPECT_LT(back.size(), set.size());
    for (const MelodyData& melody : back) EXPECT_EQ(set[0].notes, melody.notes);
  } else {
    EXPECT_NE(std::string::npos, read.err.find("Звонок не содержит мелодий"));
  }
  EXPECT_EQ(0, nvtest::RunTool({"bell", "--port", port, "status"}, dir.path()).exitCode);

  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\N&V\\Chimox", 0, KEY_READ, &key));
  char value[256] = {};
  DWORD size = sizeof value;
  DWORD type = 0;
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueEx(key, "Port", nullptr, &type, reinterpret_cast<BYTE*>(value), &size));
  RegCloseKey(key);
  EXPECT_EQ(stored, std::string(value));
}

}  // namespace
