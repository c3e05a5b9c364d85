#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Registry.h"

namespace {

namespace fs = std::filesystem;

std::string RegFile(const char* root = "HKEY_CURRENT_USER") {
  return std::string(std::getenv("XDG_CONFIG_HOME")) + "/N&V/registry/" + root + ".reg";
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Replaces the file with new content (a new file, as other writers do).
void WriteText(const std::string& path, const std::string& text) {
  fs::create_directories(fs::path(path).parent_path());
  const std::string temp = path + ".test";
  std::ofstream(temp, std::ios::binary) << text;
  fs::rename(temp, path);
}

HKEY Create(HKEY root, const char* path, DWORD* disposition = nullptr) {
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyEx(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, disposition), ERROR_SUCCESS);
  return key;
}

LONG SetText(HKEY key, const char* name, const std::string& text) {
  return RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
}

LONG SetDword(HKEY key, const char* name, DWORD value) {
  return RegSetValueEx(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
}

// The value's type and bytes; type REG_NONE with the error when it cannot be read.
struct Read {
  LONG status;
  DWORD type;
  std::vector<BYTE> data;
};

Read Query(HKEY root, const char* path, const char* name) {
  HKEY key = nullptr;
  Read result{RegOpenKeyEx(root, path, 0, KEY_READ, &key), REG_NONE, {}};
  if (result.status != ERROR_SUCCESS) return result;
  DWORD size = 0;
  result.status = RegQueryValueEx(key, name, nullptr, &result.type, nullptr, &size);
  if (result.status == ERROR_SUCCESS) {
    result.data.resize(size);
    result.status = RegQueryValueEx(key, name, nullptr, &result.type, result.data.data(), &size);
  }
  RegCloseKey(key);
  return result;
}

std::vector<BYTE> Text(const std::string& text) {
  std::vector<BYTE> data(text.begin(), text.end());
  data.push_back(0);
  return data;
}

std::vector<BYTE> Dword(DWORD v) {
  return {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)};
}

const std::string kHeader = "Windows Registry Editor Version 5.00\n\n";

TEST(Registry, WritesTheExportTextFormat) {
  HKEY key = Create(HKEY_CURRENT_USER, "Software\\N&V\\Melodies Editor v2.9");
  ASSERT_EQ(SetText(key, "WorkDir", "/home/u/Мелодии \"x\"\\y"), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(key, "KZoom", 42), ERROR_SUCCESS);
  const BYTE binary[] = {0x0a, 0x00, 0xff};
  ASSERT_EQ(RegSetValueEx(key, "Bin", 0, REG_BINARY, binary, 3), ERROR_SUCCESS);
  ASSERT_EQ(SetText(key, nullptr, "default"), ERROR_SUCCESS);
  ASSERT_EQ(SetText(key, "Lines", "a\nb"), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(key, "kzoom", 100), ERROR_SUCCESS);  // same value, other case
  RegCloseKey(key);

  EXPECT_EQ(ReadText(RegFile()), kHeader +
                                     "[HKEY_CURRENT_USER\\Software]\n\n"
                                     "[HKEY_CURRENT_USER\\Software\\N&V]\n\n"
                                     "[HKEY_CURRENT_USER\\Software\\N&V\\Melodies Editor v2.9]\n"
                                     "\"WorkDir\"=\"/home/u/Мелодии \\\"x\\\"\\\\y\"\n"
                                     "\"KZoom\"=dword:00000064\n"
                                     "\"Bin\"=hex:0a,00,ff\n"
                                     "@=\"default\"\n"
                                     "\"Lines\"=hex(1):61,00,0a,00,62,00,00,00\n\n");
  EXPECT_FALSE(fs::exists(RegFile("HKEY_CLASSES_ROOT")));

  // Read back from the file itself, not from this process's cache.
  WriteText(RegFile(), ReadText(RegFile()));
  const char* path = "software\\n&v\\MELODIES EDITOR V2.9";
  EXPECT_EQ(Query(HKEY_CURRENT_USER, path, "WorkDir").data, Text("/home/u/Мелодии \"x\"\\y"));
  EXPECT_EQ(Query(HKEY_CURRENT_USER, path, "Lines").data, Text("a\nb"));
  EXPECT_EQ(Query(HKEY_CURRENT_USER, path, "").data, Text("default"));
}

struct ParseCase {
  const char* name;
  DWORD type;
  std::vector<BYTE> data;
};

TEST(Registry, ReadsHandWrittenExportText) {
  WriteText(RegFile(),
            "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n"
            "; a comment\r\n"
            "[HKEY_CURRENT_USER\\Software\\N&V\\Setora Editor v1.1]\r\n"
            "\"Plain\"=\"text\"\r\n"
            "\"Quoted\"=\"say \\\"hi\\\" c:\\\\dir\\\\\"\r\n"
            "\"Upper\"=dword:0000FFFF\r\n"
            "\"Short\"=dword:7\r\n"
            "\"Wrapped\"=hex:01,02,\\\r\n"
            "  03,04\r\n"
            "\"Empty\"=hex:\r\n"
            "\"Wide\"=hex(1):d0,00,30,04,00,00\r\n"
            "\"Other\"=hex(7):61,00,00,00\r\n"
            "@=\"def\"\r\n"
            "\"Gone\"=-\r\n");
  const ParseCase cases[] = {
      {"Plain", REG_SZ, Text("text")},
      {"Quoted", REG_SZ, Text("say \"hi\" c:\\dir\\")},
      {"Upper", REG_DWORD, Dword(0xFFFF)},
      {"Short", REG_DWORD, Dword(7)},
      {"Wrapped", REG_BINARY, {1, 2, 3, 4}},
      {"Empty", REG_BINARY, {}},
      {"Wide", REG_SZ, Text("\xC3\x90\xD0\xB0")},
      {"Other", 7, {0x61, 0, 0, 0}},
      {"", REG_SZ, Text("def")},
  };
  for (const ParseCase& c : cases) {
    const Read read = Query(HKEY_CURRENT_USER, "Software\\N&V\\Setora Editor v1.1", c.name);
    EXPECT_EQ(read.status, ERROR_SUCCESS) << c.name;
    EXPECT_EQ(read.type, c.type) << c.name;
    EXPECT_EQ(read.data, c.data) << c.name;
  }
  EXPECT_EQ(Query(HKEY_CURRENT_USER, "Software\\N&V\\Setora Editor v1.1", "Gone").status, ERROR_FILE_NOT_FOUND);
}

struct DamageCase {
  const char* name;
  std::string text;
  bool keyReadable;  // Software\Good with "b" = 1 survives
};
void PrintTo(const DamageCase& c, std::ostream* os) {
  *os << c.name;
}

class DamagedFile : public testing::TestWithParam<DamageCase> {};

TEST_P(DamagedFile, ReadsWhatItCanAndKeepsTheTextOnTheNextWrite) {
  const std::string path = RegFile();
  WriteText(path, GetParam().text);
  const Read read = Query(HKEY_CURRENT_USER, "Software\\Good", "b");
  if (GetParam().keyReadable) {
    EXPECT_EQ(read.status, ERROR_SUCCESS);
    EXPECT_EQ(read.data, Dword(1));
  } else {
    EXPECT_NE(read.status, ERROR_SUCCESS);
  }
  HKEY key = Create(HKEY_CURRENT_USER, "Software\\New");
  ASSERT_EQ(SetDword(key, "n", 5), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(ReadText(path + ".damaged"), GetParam().text);
  EXPECT_EQ(ReadText(path).rfind(kHeader, 0), 0u);
  WriteText(path, ReadText(path));
  EXPECT_EQ(Query(HKEY_CURRENT_USER, "Software\\New", "n").data, Dword(5));
  EXPECT_EQ(Query(HKEY_CURRENT_USER, "Software\\Good", "b").status == ERROR_SUCCESS, GetParam().keyReadable);
}

const std::string kGood = "[HKEY_CURRENT_USER\\Software\\Good]\n\"b\"=dword:00000001\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedFile,
    testing::Values(DamageCase{"Binary", std::string("\0\xFF\xFE[\n\"b\"=", 8) + kGood, false},
                    DamageCase{"NoHeader", kGood, false},
                    DamageCase{"UnclosedQuote", kHeader + kGood + "\"a\"=\"open\n\"c\"=\"x\" junk\n", true},
                    DamageCase{"BadNumbers", kHeader + kGood + "\"d\"=dword:zz\n\"e\"=hex:1g\n\"f\"=hex(q):00\n", true},
                    DamageCase{"ForeignRoot", kHeader + "[HKEY_LOCAL_MACHINE\\Software\\Good]\n\"b\"=dword:2\n" + kGood,
                               true},
                    DamageCase{"OpenSection", kHeader + "[HKEY_CURRENT_USER\\Software\\Bad\n\"b\"=dword:2\n", false},
                    DamageCase{"CutInContinuation", kHeader + kGood + "\"h\"=hex:01,02,\\", true},
                    DamageCase{"HugeLine", kHeader + kGood + std::string(1 << 20, 'x'), true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Registry, QueryFollowsTheBufferSizeRules) {
  HKEY key = Create(HKEY_CURRENT_USER, "Software\\N&V\\Sizes");
  ASSERT_EQ(SetText(key, "WorkDir", "abcdef"), ERROR_SUCCESS);
  struct {
    bool withBuffer;
    DWORD size;
    LONG status;
  } const cases[] = {{false, 0, ERROR_SUCCESS},
                     {true, 0, ERROR_MORE_DATA},
                     {true, 6, ERROR_MORE_DATA},
                     {true, 7, ERROR_SUCCESS},
                     {true, 100, ERROR_SUCCESS}};
  for (const auto& c : cases) {
    char buffer[100];
    std::fill(std::begin(buffer), std::end(buffer), '#');
    DWORD type = REG_NONE;
    DWORD size = c.size;
    EXPECT_EQ(RegQueryValueEx(key, "WorkDir", nullptr, &type, c.withBuffer ? reinterpret_cast<BYTE*>(buffer) : nullptr,
                              &size),
              c.status)
        << c.size;
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 7u) << "the needed size is always reported";
    if (c.status == ERROR_SUCCESS && c.withBuffer) {
      EXPECT_STREQ(buffer, "abcdef");
    }
    if (c.status == ERROR_MORE_DATA) {
      EXPECT_EQ(buffer[0], '#') << "nothing is written on ERROR_MORE_DATA";
    }
  }
  EXPECT_EQ(RegQueryValueEx(key, "WorkDir", nullptr, nullptr, reinterpret_cast<BYTE*>(&key), nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegQueryValueEx(key, "Missing", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST(Registry, DeleteKeyRefusesMissingKeysAndKeysWithSubkeys) {
  RegCloseKey(Create(HKEY_CLASSES_ROOT, "CLSID\\{A}\\InprocServer32"));
  DWORD disposition = 0;
  RegCloseKey(Create(HKEY_CLASSES_ROOT, "clsid\\{a}", &disposition));
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  RegCloseKey(Create(HKEY_CLASSES_ROOT, "Ключ", &disposition));
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  struct {
    const char* path;
    LONG status;
  } const steps[] = {
      {"CLSID\\{B}", ERROR_FILE_NOT_FOUND},
      {"CLSID\\{A}", ERROR_ACCESS_DENIED},
      {"clsid\\{a}\\inprocserver32", ERROR_SUCCESS},
      {"CLSID\\{A}\\InprocServer32", ERROR_FILE_NOT_FOUND},
      {"CLSID\\{A}", ERROR_SUCCESS},
      {"КЛЮЧ", ERROR_SUCCESS},
      {"", ERROR_ACCESS_DENIED},
  };
  for (const auto& step : steps) EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, step.path), step.status) << step.path;
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, "CLSID\\{A}", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  EXPECT_TRUE(fs::exists(RegFile("HKEY_CLASSES_ROOT")));
  EXPECT_FALSE(fs::exists(RegFile()));
}

TEST(Registry, BadHandlesAndArgumentsAreRefused) {
  HKEY key = Create(HKEY_CURRENT_USER, "Software\\Doomed");
  HKEY stale = Create(HKEY_CURRENT_USER, "Software\\Closed");
  ASSERT_EQ(RegCloseKey(stale), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(stale), ERROR_INVALID_HANDLE);
  EXPECT_EQ(SetDword(stale, "x", 1), ERROR_INVALID_HANDLE);
  EXPECT_EQ(SetDword(reinterpret_cast<HKEY>(0x1234), "x", 1), ERROR_INVALID_HANDLE);

  const DWORD value = 1;
  EXPECT_EQ(RegSetValueEx(key, "x", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 3), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueEx(key, "x", 0, 7, reinterpret_cast<const BYTE*>(&value), 4), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(SetDword(key, "two\nlines", 1), ERROR_INVALID_PARAMETER);
  HKEY bad = nullptr;
  EXPECT_EQ(RegCreateKeyEx(key, "a\nb", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &bad, nullptr),
            ERROR_INVALID_PARAMETER);

  ASSERT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "Software\\Doomed"), ERROR_SUCCESS);
  EXPECT_EQ(SetDword(key, "x", 1), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

// Runs body in a child process; true when it exited with 0.
template <typename Body>
pid_t Spawn(Body body) {
  const pid_t pid = fork();
  if (pid == 0) _exit(body() ? 0 : 1);
  return pid;
}

bool Succeeded(pid_t pid) {
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(Registry, ConcurrentWritersInTwoProcessesLoseNothing) {
  constexpr int kWrites = 40;
  auto writer = [](int id) {
    return [id] {
      for (int n = 0; n < kWrites; ++n) {
        HKEY key = nullptr;
        if (RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\N&V\\Shared", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                           nullptr) != ERROR_SUCCESS)
          return false;
        const std::string name = "p" + std::to_string(id) + "_" + std::to_string(n);
        const bool ok = SetDword(key, name.c_str(), static_cast<DWORD>(id * 1000 + n)) == ERROR_SUCCESS;
        RegCloseKey(key);
        HKEY own = nullptr;
        const std::string path = "Software\\N&V\\Own" + std::to_string(id) + "\\K" + std::to_string(n);
        if (!ok || RegCreateKeyEx(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &own,
                                  nullptr) != ERROR_SUCCESS)
          return false;
        RegCloseKey(own);
      }
      return true;
    };
  };
  const pid_t first = Spawn(writer(1));
  const pid_t second = Spawn(writer(2));
  ASSERT_TRUE(Succeeded(first));
  ASSERT_TRUE(Succeeded(second));
  for (int id : {1, 2}) {
    for (int n = 0; n < kWrites; ++n) {
      const std::string name = "p" + std::to_string(id) + "_" + std::to_string(n);
      EXPECT_EQ(Query(HKEY_CURRENT_USER, "Software\\N&V\\Shared", name.c_str()).data,
                Dword(static_cast<DWORD>(id * 1000 + n)))
          << name;
      const std::string path = "Software\\N&V\\Own" + std::to_string(id) + "\\K" + std::to_string(n);
      HKEY own = nullptr;
      EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &own), ERROR_SUCCESS) << path;
      RegCloseKey(own);
    }
  }
}

TEST(Registry, ThreadsShareOneStore) {
  constexpr int kThreads = 4;
  constexpr int kWrites = 15;
  std::vector<std::thread> threads;
  std::vector<int> failures(kThreads, 0);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &failures] {
      for (int n = 0; n < kWrites; ++n) {
        HKEY key = nullptr;
        const std::string path = "Software\\N&V\\T" + std::to_string(t);
        if (RegCreateKeyEx(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
                ERROR_SUCCESS ||
            SetDword(key, ("v" + std::to_string(n)).c_str(), static_cast<DWORD>(n)) != ERROR_SUCCESS ||
            Query(HKEY_CURRENT_USER, path.c_str(), ("v" + std::to_string(n)).c_str()).data != Dword(n))
          ++failures[t];
        RegCloseKey(key);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures, std::vector<int>(kThreads, 0));
}

TEST(Registry, ReadsSeeAnotherProcessesWrites) {
  HKEY key = Create(HKEY_CURRENT_USER, "Software\\N&V\\Dinova v2.1");
  ASSERT_EQ(SetDword(key, "Mode", 1), ERROR_SUCCESS);
  EXPECT_EQ(Query(HKEY_CURRENT_USER, "Software\\N&V\\Dinova v2.1", "Mode").data, Dword(1));
  ASSERT_TRUE(Succeeded(Spawn([] {
    HKEY child = nullptr;
    return RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\N&V\\Dinova v2.1", 0, KEY_WRITE, &child) == ERROR_SUCCESS &&
           SetDword(child, "Mode", 2) == ERROR_SUCCESS;
  })));
  EXPECT_EQ(Query(HKEY_CURRENT_USER, "Software\\N&V\\Dinova v2.1", "Mode").data, Dword(2));
  RegCloseKey(key);
}

}  // namespace

namespace {

TEST(Registry, ProcessOverridesAreReadButNeverStored) {
  // Over a stored value, and for a key that does not exist at all.
  HKEY key = Create(HKEY_CURRENT_USER, "Software\\Stored");
  ASSERT_EQ(SetText(key, "Port", "stored"), ERROR_SUCCESS);
  RegCloseKey(key);
  const std::string before = ReadText(RegFile());

  ASSERT_EQ(RegOverrideValueInProcess(HKEY_CURRENT_USER, "Software\\Stored", "port", "mine"), ERROR_SUCCESS);
  ASSERT_EQ(RegOverrideValueInProcess(HKEY_CURRENT_USER, "Software\\Missing", "Port", "other"), ERROR_SUCCESS);
  EXPECT_EQ(Query(HKEY_CURRENT_USER, "software\\stored", "Port").data, Text("mine"));
  EXPECT_EQ(Query(HKEY_CURRENT_USER, "Software\\Missing", "Port").data, Text("other"));
  EXPECT_EQ(Query(HKEY_CURRENT_USER, "Software\\Missing", "Else").status, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(ReadText(RegFile()), before);

  ASSERT_EQ(RegOverrideValueInProcess(HKEY_CURRENT_USER, "Software\\Stored", "Port", nullptr), ERROR_SUCCESS);
  ASSERT_EQ(RegOverrideValueInProcess(HKEY_CURRENT_USER, "Software\\Missing", "Port", nullptr), ERROR_SUCCESS);
  EXPECT_EQ(Query(HKEY_CURRENT_USER, "Software\\Stored", "Port").data, Text("stored"));
  EXPECT_EQ(Query(HKEY_CURRENT_USER, "Software\\Missing", "Port").status, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(ReadText(RegFile()), before);
  EXPECT_EQ(RegOverrideValueInProcess(reinterpret_cast<HKEY>(1), "Software", "Port", "x"), ERROR_INVALID_HANDLE);
}

}  // namespace
