// Documents under test make their melodies through the component runtime
// from the real Sonvox module, registered in the test's private registry,
// and their sample from a stand-in whose Fill can be made to fail.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "TempDir.h"
#include "common/ObjectFactory.h"
#include "platform/Com.h"
#include "platform/Library.h"
#include "platform/Registry.h"
#include "sonvox/Sonvox.h"

namespace nvtest {

// The Sonvox module of the program folder (NV_BIN_DIR, or the folder beside
// the tests' own).
inline std::string SonvoxModulePath() {
  std::string dir = BinDir();
  if (dir.empty()) dir = std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "bin";
  return dir + "/" + SONVOX_MODULE;
}

// Registers Sonvox in the test's private registry.
inline void RegisterSonvox() {
  const std::string path = SonvoxModulePath();
  HMODULE module = LoadLibrary(path.c_str());
  ASSERT_NE(nullptr, module) << path;
  auto reg = reinterpret_cast<LPFNREGISTERSERVER>(GetProcAddress(module, "DllRegisterServer"));
  EXPECT_EQ(S_OK, reg ? reg() : E_FAIL);
  FreeLibrary(module);
}

// Registers Sonvox and sends its sound to ALSA's null device.
inline void PrepareSonvox() {
  RegisterSonvox();
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\N&V\\Sonvox", 0, nullptr,
                                          REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr));
  const char device[] = "null";
  EXPECT_EQ(ERROR_SUCCESS,
            RegSetValueEx(key, "AudioDevice", 0, REG_SZ, reinterpret_cast<const BYTE*>(device), sizeof(device)));
  RegCloseKey(key);
}

// Enters the multithreaded apartment and registers Sonvox for this process.
class SonvoxSession {
 public:
  SonvoxSession() {
    EXPECT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    RegisterSonvox();
  }
  ~SonvoxSession() { CoUninitialize(); }
};

// A sample that only takes its waveform; Fill fails with a description when told to.
class FakeSample : public ISample1, public ISupportErrorInfo {
 public:
  virtual ~FakeSample() = default;
  static inline HRESULT fillResult = S_OK;
  static inline int fills = 0;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_ISample1)
      *out = static_cast<ISample1*>(this);
    else if (iid == IID_ISupportErrorInfo)
      *out = static_cast<ISupportErrorInfo*>(this);
    else
      return *out = nullptr, E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
    return iid == IID_ISample1 ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Fill(VARIANT waveform, LONG rate, double) override {
    ++fills;
    EXPECT_EQ(VT_ARRAY | VT_UI1, waveform.vt);
    EXPECT_EQ(11025, rate);
    if (SUCCEEDED(fillResult)) return fillResult;
    ICreateErrorInfo* create = nullptr;
    if (SUCCEEDED(CreateErrorInfo(&create))) {
      std::u16string text = u"Образец не заполнен\n";
      create->SetDescription(text.data());
      IErrorInfo* info = nullptr;
      create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info));
      SetErrorInfo(0, info);
      if (info) info->Release();
      create->Release();
    }
    return fillResult;
  }
  HRESULT STDMETHODCALLTYPE PreparePlay(LONG, LONG) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Play(HANDLE) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Stop() override { return S_OK; }

 private:
  ULONG refs_ = 1;
};

// Melodies from Sonvox, samples from FakeSample; melodies fail while refuseMelodies is set.
inline ObjectFactory TestFactory(const bool* refuseMelodies = nullptr) {
  return [refuseMelodies](REFCLSID clsid, REFIID iid, void** out) -> HRESULT {
    if (clsid == CLSID_Sample) {
      auto* sample = new FakeSample;
      HRESULT hr = sample->QueryInterface(iid, out);
      sample->Release();
      return hr;
    }
    if (refuseMelodies && *refuseMelodies) return *out = nullptr, REGDB_E_CLASSNOTREG;
    return CreateServerObject(clsid, iid, out);
  };
}

inline std::vector<BYTE> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::string& path, const std::vector<BYTE>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace nvtest
