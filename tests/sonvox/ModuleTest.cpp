// The module as clients meet it: loaded from the program folder, registered
// through its export, and created through the component runtime.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

#include "TempDir.h"
#include "platform/Com.h"
#include "platform/Library.h"
#include "platform/Registry.h"
#include "sonvox/Sonvox.h"

namespace {

// The program folder: NV_BIN_DIR, or bin/ beside the tests' own folder.
std::string ProgramFolder() {
  std::string dir = nvtest::BinDir();
  if (dir.empty()) dir = std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "bin";
  return dir;
}

class Module : public testing::Test {
 protected:
  void SetUp() override {
    path_ = ProgramFolder() + "/" + SONVOX_MODULE;
    module_ = LoadLibrary(path_.c_str());
    ASSERT_NE(nullptr, module_) << path_;
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }

  template <class F>
  HRESULT Call(const char* name) {
    auto entry = reinterpret_cast<F>(GetProcAddress(module_, name));
    return entry != nullptr ? entry() : E_NOTIMPL;
  }
  HRESULT Register() { return Call<LPFNREGISTERSERVER>("DllRegisterServer"); }
  HRESULT Unregister() { return Call<LPFNREGISTERSERVER>("DllUnregisterServer"); }
  HRESULT CanUnloadNow() { return Call<LPFNCANUNLOADNOW>("DllCanUnloadNow"); }

  std::string path_;
  HMODULE module_ = nullptr;
};

// Sections of the classes-root file that hold values, each with its value lines.
std::map<std::string, std::set<std::string>> ClassesRootValues() {
  std::ifstream file(std::string(std::getenv("XDG_CONFIG_HOME")) + "/N&V/registry/HKEY_CLASSES_ROOT.reg");
  std::map<std::string, std::set<std::string>> sections;
  std::string line, section;
  while (std::getline(file, line)) {
    if (line.size() > 2 && line.front() == '[') {
      section = line.substr(1, line.size() - 2);
    } else if (!line.empty() && !section.empty()) {
      sections[section].insert(line);
    }
  }
  return sections;
}

// Our paths and names hold no quote or backslash to escape.
std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

TEST_F(Module, RegistrationWritesExactlyTheClassKeysAndSurvivesRepeating) {
  ASSERT_EQ(S_OK, Register());
  ASSERT_EQ(S_OK, Register());
  const auto sections = ClassesRootValues();

  // The server path is the module's own absolute path.
  const std::string serverSection = "HKEY_CLASSES_ROOT\\CLSID\\{8A8604C9-9DFB-49DC-B405-1011C298D2F1}\\InprocServer32";
  ASSERT_TRUE(sections.count(serverSection));
  std::string server;
  for (const std::string& line : sections.at(serverSection)) {
    if (line.rfind("@=\"", 0) == 0) server = line.substr(3, line.size() - 4);
  }
  EXPECT_TRUE(std::filesystem::path(server).is_absolute()) << server;
  EXPECT_TRUE(std::filesystem::equivalent(server, path_)) << server;

  std::map<std::string, std::set<std::string>> expected;
  for (auto [id, progId] : {std::pair{"{80D24F4C-5A89-4C2F-95B6-F37216A535F7}", "Sonvox.Sample"},
                            std::pair{"{E488059C-36BC-4E04-8D3B-71D0AD95E416}", "Sonvox.Note"},
                            std::pair{"{8A8604C9-9DFB-49DC-B405-1011C298D2F1}", "Sonvox.Melody"}}) {
    const std::string key = std::string("HKEY_CLASSES_ROOT\\CLSID\\") + id;
    expected[std::string("HKEY_CLASSES_ROOT\\") + progId + "\\CLSID"] = {"@=" + Quoted(id)};
    expected[key] = {"@=" + Quoted(progId)};
    expected[key + "\\InprocServer32"] = {"@=" + Quoted(server), "\"ThreadingModel\"=\"Free\""};
  }
  EXPECT_EQ(expected, sections);
}

TEST_F(Module, UnregistrationRemovesTheKeysAndFailsWhenTheyAreAbsent) {
  EXPECT_EQ(E_UNEXPECTED, Unregister());
  ASSERT_EQ(S_OK, Register());
  EXPECT_EQ(S_OK, Unregister());
  EXPECT_TRUE(ClassesRootValues().empty());
  HKEY key = nullptr;
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyEx(HKEY_CLASSES_ROOT, "Sonvox.Melody", 0, KEY_READ, &key));
  EXPECT_EQ(E_UNEXPECTED, Unregister());
}

TEST_F(Module, AMelodyIsCreatedByProgIdThroughTheRuntime) {
  EXPECT_NE(nullptr, GetProcAddress(module_, "DllGetClassObject"));
  ASSERT_EQ(S_OK, Register());
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
  CLSID clsid{};
  ASSERT_EQ(S_OK, CLSIDFromProgID(u"Sonvox.Melody", &clsid));
  EXPECT_EQ(CLSID_Melody, clsid);

  IMelody* melody = nullptr;
  ASSERT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IMelody, reinterpret_cast<void**>(&melody)));
  EXPECT_EQ(S_FALSE, CanUnloadNow());
  EXPECT_EQ(S_OK, melody->InsertNote());
  EXPECT_EQ(S_OK, melody->InsertNote());
  LONG count = 0;
  EXPECT_EQ(S_OK, melody->GetCount(&count));
  EXPECT_EQ(2, count);

  EXPECT_EQ(0u, melody->Release());
  EXPECT_EQ(S_OK, CanUnloadNow());
  CoUninitialize();
}

}  // namespace
