// nvtool's doorbell commands end to end on virtual doorbells.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "TempDir.h"
#include "ToolRunner.h"
#include "common/StoFormat.h"
#include "platform/Registry.h"

namespace {

using nvtest::Melody;
using nvtest::ToolResult;

struct Device {
  const char* version;
  const char* size;  // bytes of a new image
  long capacity;     // note symbols
};
const Device kDevices[] = {{"2.0", "512", 256}, {"2.9", "16384", 7160}};

void PrintTo(const Device& device, std::ostream* out) {
  *out << "version " << device.version;
}

class BellCommandsTest : public ::testing::TestWithParam<Device> {
 protected:
  std::string Port() const { return "virtual:" + dir_.file("bell.bin") + "?size=" + GetParam().size + "&fast=1"; }
  ToolResult Bell(std::vector<std::string> args) {
    args.insert(args.begin(), {"bell", "--port", Port(), "--version", GetParam().version});
    return nvtest::RunTool(args, dir_.path());
  }
  ToolResult Ring(const std::string& times) {
    return nvtest::RunTool({"ring", "--port", Port(), "--version", GetParam().version, "--mute", "--times", times},
                           dir_.path());
  }
  std::string File(const std::string& name) const { return dir_.file(name); }
  std::string Save(const std::string& name, const MelodyData& melody) {
    nvtest::SaveMelody(File(name), melody);
    return File(name);
  }
  std::string SaveSet(const std::string& name, const std::vector<MelodyData>& set) {
    EXPECT_EQ(FileStatus::Ok, StoFormat::Save(File(name), set));
    return File(name);
  }

  nvtest::TempDir dir_;
};

// The melody numbers that rang, in order: lines "ring K: melody N (...)".
std::vector<int> Rang(const std::string& out) {
  std::vector<int> numbers;
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    const size_t at = line.find(": melody ");
    if (line.rfind("ring ", 0) == 0 && at != std::string::npos) numbers.push_back(std::atoi(line.c_str() + at + 9));
  }
  return numbers;
}

TEST_P(BellCommandsTest, WriteSetThenReadSetBringsTheMelodiesBackVerified) {
  const std::vector<MelodyData> set = {Melody(u"One", nvtest::Notes(7)),
                                       Melody(u"Two", {{11, 4, 4}, {31, 0, 8}, {0, 3, 12}}), Melody(u"Three", {})};
  ASSERT_EQ(0, Bell({"mode", "sequential"}).exitCode);
  const ToolResult written = Bell({"write-set", SaveSet("in.sto", set), "--verify"});
  ASSERT_EQ(0, written.exitCode) << written.err;
  EXPECT_NE(std::string::npos, written.out.find("verified"));
  const ToolResult added = Bell({"add", Save("four.mel", Melody(u"Four", nvtest::Notes(2))), "--verify"});
  ASSERT_EQ(0, added.exitCode) << added.err;
  EXPECT_NE(std::string::npos, added.out.find("Количество мелодий - 4"));
  EXPECT_NE(std::string::npos, added.out.find("Текущая мелодия - 1"));
  const long free = GetParam().capacity - (8 + 4 + 1 + 3);
  EXPECT_NE(std::string::npos, added.out.find("Свободно - " + std::to_string(free) + " нотных знаков"));

  const ToolResult read = Bell({"read-set", File("back.sto")});
  ASSERT_EQ(0, read.exitCode) << read.err;
  std::vector<MelodyData> back;
  ASSERT_EQ(FileStatus::Ok, StoFormat::Load(File("back.sto"), back));
  std::vector<MelodyData> expected = set;
  expected.push_back(Melody(u"Four", nvtest::Notes(2)));
  ASSERT_EQ(expected.size(), back.size());
  for (size_t i = 0; i < back.size(); ++i) {
    EXPECT_EQ(u"Мелодия N" + std::u16string(1, static_cast<char16_t>(u'1' + i)), back[i].name);
    EXPECT_EQ(expected[i].notes, back[i].notes) << i;
  }

  const ToolResult cleared = Bell({"clear"});
  EXPECT_EQ(0, cleared.exitCode);
  EXPECT_NE(std::string::npos, cleared.out.find("Количество мелодий - 0"));
  const ToolResult empty = Bell({"read-set", File("none.sto")});
  EXPECT_EQ(1, empty.exitCode);
  EXPECT_NE(std::string::npos, empty.err.find("Звонок не содержит мелодий"));
}

TEST_P(BellCommandsTest, RingMovesOnByTheStoredSelectionMode) {
  ASSERT_EQ(0, Bell({"mode", "sequential"}).exitCode);
  ASSERT_EQ(0, Bell({"write-set", SaveSet("in.sto", {Melody(u"A", nvtest::Notes(1)), Melody(u"B", nvtest::Notes(2)),
                                                     Melody(u"C", nvtest::Notes(3))})})
                   .exitCode);
  // Sequential wraps to 1, and the bell remembers where it stopped.
  EXPECT_EQ((std::vector<int>{1, 2, 3, 1}), Rang(Ring("4").out));
  EXPECT_EQ((std::vector<int>{2, 3}), Rang(Ring("2").out));

  ASSERT_EQ(0, Bell({"current", "2"}).exitCode);
  ASSERT_EQ(0, Bell({"mode", "manual"}).exitCode);
  EXPECT_EQ((std::vector<int>{2, 2, 2}), Rang(Ring("3").out));

  if (std::string(GetParam().version) == "2.9") {
    ASSERT_EQ(0, Bell({"mode", "random"}).exitCode);
    const std::vector<int> rang = Rang(Ring("12").out);
    ASSERT_EQ(12u, rang.size());
    for (size_t i = 1; i < rang.size(); ++i) EXPECT_NE(rang[i - 1], rang[i]);
  } else {
    const ToolResult refused = Bell({"mode", "random"});
    EXPECT_EQ(2, refused.exitCode);
  }
}

TEST_P(BellCommandsTest, RefusesWhatTheProgrammerRefuses) {
  const long capacity = GetParam().capacity;
  // A new memory has no known selection mode: nothing is written before one is set.
  const ToolResult unknown = Bell({"add", Save("a.mel", Melody(u"A", nvtest::Notes(2)))});
  EXPECT_EQ(1, unknown.exitCode);
  EXPECT_NE(std::string::npos, unknown.err.find("selection mode is not known"));
  ASSERT_EQ(0, Bell({"mode", "manual"}).exitCode);

  // A melody fits when its symbols and terminator take the free space exactly.
  const std::string tooLong = Save("long.mel", Melody(u"L", nvtest::Notes(static_cast<size_t>(capacity))));
  const std::string exact = Save("exact.mel", Melody(u"E", nvtest::Notes(static_cast<size_t>(capacity - 1))));
  const std::string big = SaveSet("big.sto", {Melody(u"1", nvtest::Notes(static_cast<size_t>(capacity / 2))),
                                              Melody(u"2", nvtest::Notes(static_cast<size_t>(capacity / 2)))});
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string text;
  };
  const Case cases[] = {
      {{"add", tooLong}, 1, "Мелодия слишком длинная"},
      {{"write-set", big}, 1, "Набор мелодий слишком большой"},
      {{"add", File("missing.mel")}, 1, "Ошибка при открытии файла"},
      {{"current", "1"}, 1, "Номер текущей мелодии больше количества мелодий"},
      {{"current", "0"}, 2, "the melody number must be"},
      {{"status", "--verify"}, 2, "--verify goes with add and write-set"},
      {{"add", exact, "--verify"}, 0, ""},
      {{"add", Save("b.mel", Melody(u"B", {}))}, 1, "Мелодия слишком длинная"},
  };
  for (const Case& c : cases) {
    const ToolResult result = Bell(c.args);
    EXPECT_EQ(c.exitCode, result.exitCode) << c.args[0] << "\n" << result.err;
    EXPECT_NE(std::string::npos, result.err.find(c.text)) << result.err;
  }
  EXPECT_NE(std::string::npos, Bell({"status"}).out.find("Свободно - 0 нотных знаков"));
}

TEST_P(BellCommandsTest, RefusesAnyNoteOrMelodyCountTheBellCannotStoreBeforeWriting) {
  ASSERT_EQ(0, Bell({"mode", "manual"}).exitCode);
  std::vector<NoteValues> high = nvtest::Notes(4);
  high[2].pitch = 40;
  const bool v20 = std::string(GetParam().version) == "2.0";
  // Empty melodies, one more than the bell holds: their symbols would fit.
  const std::vector<MelodyData> many(v20 ? 112 : 1025, Melody(u"e", {}));
  struct Case {
    std::vector<std::string> args;
    std::string text;
  };
  const Case cases[] = {
      {{"write-set", SaveSet("high.sto", {Melody(u"a", nvtest::Notes(3)), Melody(u"b", high)})},
       "Мелодия 2, нота 3 (высота 40, длительность 2) не может быть записана в звонок"},
      {{"add", Save("high.mel", Melody(u"b", high))}, "Нота 3 (высота 40, длительность 2)"},
      {{"write-set", SaveSet("many.sto", many)},
       std::string("Слишком много мелодий: звонок вмещает не более ") + (v20 ? "111" : "1024")},
  };
  for (const Case& c : cases) {
    const ToolResult result = Bell(c.args);
    EXPECT_EQ(1, result.exitCode) << c.args[0] << "\n" << result.err;
    EXPECT_NE(std::string::npos, result.err.find(c.text)) << result.err;
  }
  EXPECT_NE(std::string::npos, Bell({"status"}).out.find("Количество мелодий - 0"));
}

std::vector<char> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_P(BellCommandsTest, ADamagedMemoryIsReportedRefusedAndMadeUsableByClear) {
  ASSERT_EQ(0, Bell({"mode", "manual"}).exitCode);
  const std::vector<MelodyData> set = {Melody(u"A", nvtest::Notes(2)), Melody(u"B", nvtest::Notes(3)),
                                       Melody(u"C", nvtest::Notes(4))};
  ASSERT_EQ(0, Bell({"write-set", SaveSet("in.sto", set)}).exitCode);
  // The header or directory stops holding together with the three stored:
  // version 2.0 gets a third entry that does not rise above the second,
  // version 2.9 a current-melody pointer to melody 15.
  std::vector<char> image = FileBytes(File("bell.bin"));
  if (std::string(GetParam().version) == "2.0") {
    image.at(256 + 15 + 3) = image.at(256 + 15 + 2);
  } else {
    image.at(2) = 0;
    image.at(3) = static_cast<char>(14 + 2 * 15);
  }
  std::ofstream(File("bell.bin"), std::ios::binary).write(image.data(), static_cast<std::streamsize>(image.size()));

  const std::string damaged = "Память звонка повреждена";
  struct Case {
    std::vector<std::string> args;
    const char* out;  // also expected on standard output; nullptr: nothing checked
  };
  const Case cases[] = {
      {{"status"}, "Свободно - 0 нотных знаков"},
      {{"add", Save("d.mel", Melody(u"D", nvtest::Notes(2)))}, nullptr},
      {{"write-set", File("in.sto")}, nullptr},
      {{"read-set", File("back.sto")}, nullptr},
      {{"current", "1"}, nullptr},
      {{"mode", "sequential"}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0]);
    const ToolResult result = Bell(c.args);
    EXPECT_EQ(3, result.exitCode) << result.err;
    EXPECT_NE(std::string::npos, result.err.find(damaged)) << result.err;
    EXPECT_NE(std::string::npos, result.err.find("nvtool bell clear")) << result.err;
    if (c.out) {
      EXPECT_NE(std::string::npos, result.out.find(c.out)) << result.out;
    }
    EXPECT_EQ(image, FileBytes(File("bell.bin")));
  }
  EXPECT_FALSE(std::filesystem::exists(File("back.sto")));
  const ToolResult rang = Ring("1");
  EXPECT_EQ(3, rang.exitCode) << rang.err;

  const ToolResult cleared = Bell({"clear"});
  EXPECT_EQ(0, cleared.exitCode) << cleared.err;
  EXPECT_NE(std::string::npos, cleared.out.find("Количество мелодий - 0"));
  const ToolResult rewritten = Bell({"write-set", File("in.sto"), "--verify"});
  EXPECT_EQ(0, rewritten.exitCode) << rewritten.err;
  EXPECT_NE(std::string::npos, rewritten.out.find("Количество мелодий - 3"));
}

INSTANTIATE_TEST_SUITE_P(Versions, BellCommandsTest, ::testing::ValuesIn(kDevices), [](const auto& info) {
  return std::string("v") + (info.param.version[2] == '0' ? "20" : "29");
});

std::string PortSetting() {
  HKEY key = nullptr;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\N&V\\Chimox", 0, KEY_READ, &key) != ERROR_SUCCESS) return "(none)";
  char value[256] = {};
  DWORD size = sizeof value;
  DWORD type = 0;
  const LONG read = RegQueryValueEx(key, "Port", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  return read == ERROR_SUCCESS ? std::string(value) : "(none)";
}

TEST(BellPortTest, AGivenPortServesOneRunAndTheSettingComesBack) {
  nvtest::TempDir dir;
  const std::string port = "virtual:" + dir.file("bell.bin") + "?fast=1";
  const ToolResult first = nvtest::RunTool({"bell", "--port", port, "status"}, dir.path());
  EXPECT_EQ(0, first.exitCode) << first.err;
  EXPECT_EQ("(none)", PortSetting());

  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\N&V\\Chimox", 0, nullptr, 0, KEY_ALL_ACCESS,
                                          nullptr, &key, nullptr));
  const std::string stored = "virtual:" + dir.file("other.bin") + "?fast=1";
  RegSetValueEx(key, "Port", 0, REG_SZ, reinterpret_cast<const BYTE*>(stored.c_str()),
                static_cast<DWORD>(stored.size() + 1));
  RegCloseKey(key);
  // A failing run restores the setting as well.
  const ToolResult failed = nvtest::RunTool({"bell", "--port", port, "read-set", dir.file("x.sto")}, dir.path());
  EXPECT_EQ(1, failed.exitCode);
  EXPECT_EQ(stored, PortSetting());

  // Without --port the stored setting is used.
  EXPECT_EQ(0, nvtest::RunTool({"bell", "mode", "sequential"}, dir.path()).exitCode);
  EXPECT_TRUE(nvtest::ReadBytes(dir.file("other.bin")).size() > 0);

  const std::pair<std::vector<std::string>, std::string> usage[] = {
      {{"bell", "--port", "virtual:", "status"}, "is not a port"},
      {{"bell", "--version", "3.1", "status"}, "--version must be 2.0 or 2.9"},
      {{"ring", "--port", "/dev/parport0"}, "must name a virtual doorbell"},
      {{"bell", "erase"}, "unknown bell operation"},
  };
  for (const auto& [args, text] : usage) {
    const ToolResult result = nvtest::RunTool(args, dir.path());
    EXPECT_EQ(2, result.exitCode) << text;
    EXPECT_NE(std::string::npos, result.err.find(text)) << result.err;
  }
}

}  // namespace
