#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "TestServer.h"
#include "platform/CodePage.h"
#include "platform/Com.h"
#include "platform/Registry.h"

namespace {

constexpr CLSID kUnknownClass = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};

std::string GuidText(REFGUID guid) {
  OLECHAR text[39];
  EXPECT_EQ(StringFromGUID2(guid, text, 39), 39);
  return nv::WideToUtf8(text);
}

void SetDefault(const std::string& path, const std::string& value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueEx(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

void Register(REFCLSID clsid, const std::string& module) {
  SetDefault("CLSID\\" + GuidText(clsid) + "\\InprocServer32", module);
}

bool ServerLoaded() {
  void* handle = dlopen(NV_TEST_SERVER, RTLD_NOW | RTLD_NOLOAD);
  if (handle) dlclose(handle);
  return handle != nullptr;
}

class ComRuntime : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK); }
  void TearDown() override { CoUninitialize(); }
};

TEST(Apartment, CountsPerThreadAndRefusesAnotherModel) {
  void* object = nullptr;
  EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_ALL, IID_IUnknown, &object), CO_E_NOTINITIALIZED);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), RPC_E_CHANGED_MODE);
  HRESULT other = S_OK;
  std::thread([&] { other = CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_ALL, IID_IUnknown, &object); }).join();
  EXPECT_EQ(other, CO_E_NOTINITIALIZED);
  CoUninitialize();
  EXPECT_EQ(CoCreateInstance(kUnknownClass, nullptr, CLSCTX_ALL, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
  CoUninitialize();
  EXPECT_EQ(CoCreateInstance(kUnknownClass, nullptr, CLSCTX_ALL, IID_IUnknown, &object), CO_E_NOTINITIALIZED);
}

TEST_F(ComRuntime, CreatesByProgIdLoadsOnceAndUnloadsWhenUnused) {
  Register(CLSID_TestCounter, NV_TEST_SERVER);
  SetDefault("Test.Counter\\CLSID", GuidText(CLSID_TestCounter));
  CLSID clsid{};
  ASSERT_EQ(CLSIDFromProgID(u"test.counter", &clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_TestCounter);

  ITestCounter* first = nullptr;
  ITestCounter* second = nullptr;
  ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_ITestCounter, reinterpret_cast<void**>(&first)), S_OK);
  ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_ITestCounter, reinterpret_cast<void**>(&second)),
            S_OK);
  LONG value = 0;
  EXPECT_EQ(first->Increment(&value), S_OK);
  EXPECT_EQ(first->Increment(&value), S_OK);
  EXPECT_EQ(value, 2);
  EXPECT_EQ(second->Increment(&value), S_OK);
  EXPECT_EQ(value, 1);

  CoFreeUnusedLibraries();
  EXPECT_TRUE(ServerLoaded()) << "unloaded while objects live";
  first->Release();
  second->Release();
  CoFreeUnusedLibraries();
  EXPECT_FALSE(ServerLoaded());

  // Loads again on demand.
  IUnknown* again = nullptr;
  ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown, reinterpret_cast<void**>(&again)), S_OK);
  again->Release();
}

TEST_F(ComRuntime, ThreadsCreateObjectsConcurrently) {
  Register(CLSID_TestCounter, NV_TEST_SERVER);
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int& failed : failures) {
    threads.emplace_back([&failed] {
      if (CoInitializeEx(nullptr, COINIT_MULTITHREADED) != S_OK) ++failed;
      for (int i = 0; i < 20; ++i) {
        ITestCounter* counter = nullptr;
        LONG value = 0;
        if (CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_ALL, IID_ITestCounter,
                             reinterpret_cast<void**>(&counter)) != S_OK ||
            counter->Increment(&value) != S_OK || value != 1)
          ++failed;
        if (counter) counter->Release();
      }
      CoUninitialize();
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures, std::vector<int>(4, 0));
}

TEST_F(ComRuntime, FailuresLeaveTheOutPointerNull) {
  const CLSID missingModule = {0xA0, 0, 0, {1}};
  const CLSID noExports = {0xA1, 0, 0, {1}};
  const CLSID wrongClass = {0xA2, 0, 0, {1}};
  Register(missingModule, "/nonexistent/libgone.so");
  Register(noExports, NV_PLATFORM_LIBRARY);
  Register(wrongClass, NV_TEST_SERVER);
  Register(CLSID_TestCounter, NV_TEST_SERVER);
  ICreateErrorInfo* outer = nullptr;  // any object will do as the would-be outer object
  ASSERT_EQ(CreateErrorInfo(&outer), S_OK);
  struct {
    const char* name;
    REFCLSID clsid;
    IUnknown* outer;
    DWORD context;
    REFIID iid;
    HRESULT expected;
  } const cases[] = {
      {"unregistered", kUnknownClass, nullptr, CLSCTX_ALL, IID_IUnknown, REGDB_E_CLASSNOTREG},
      {"module missing", missingModule, nullptr, CLSCTX_ALL, IID_IUnknown, CO_E_DLLNOTFOUND},
      {"no DllGetClassObject", noExports, nullptr, CLSCTX_ALL, IID_IUnknown, CO_E_ERRORINDLL},
      {"class unknown to module", wrongClass, nullptr, CLSCTX_ALL, IID_IUnknown, CLASS_E_CLASSNOTAVAILABLE},
      {"interface missing", CLSID_TestCounter, nullptr, CLSCTX_ALL, IID_IClassFactory, E_NOINTERFACE},
      {"aggregation", CLSID_TestCounter, outer, CLSCTX_ALL, IID_IUnknown, CLASS_E_NOAGGREGATION},
      {"local server only", CLSID_TestCounter, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown, REGDB_E_CLASSNOTREG},
  };
  for (const auto& c : cases) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(c.clsid, c.outer, c.context, c.iid, &object), c.expected) << c.name;
    EXPECT_EQ(object, nullptr) << c.name;
  }
  outer->Release();
}

TEST(ClassStrings, ParseAndFormat) {
  struct {
    const char16_t* text;
    HRESULT expected;
  } const cases[] = {
      {u"{6F1C2A10-3B4D-4E5F-8A9B-0C1D2E3F4A5B}", S_OK},
      {u"{6f1c2a10-3b4d-4e5f-8a9b-0c1d2e3f4a5b}", S_OK},
      {u"6F1C2A10-3B4D-4E5F-8A9B-0C1D2E3F4A5B", CO_E_CLASSSTRING},
      {u"{6F1C2A10-3B4D-4E5F-8A9B-0C1D2E3F4A5}", CO_E_CLASSSTRING},
      {u"{6F1C2A10-3B4D-4E5F-8A9B-0C1D2E3F4A5B}x", CO_E_CLASSSTRING},
      {u"{6F1C2A10-3B4D-4E5F-8A9B0C1D2E3F4A5B}", CO_E_CLASSSTRING},
      {u"{6G1C2A10-3B4D-4E5F-8A9B-0C1D2E3F4A5B}", CO_E_CLASSSTRING},
      {u"", CO_E_CLASSSTRING},
  };
  for (const auto& c : cases) {
    CLSID clsid = GUID_NULL;
    EXPECT_EQ(CLSIDFromString(c.text, &clsid), c.expected) << nv::WideToUtf8(c.text);
    EXPECT_EQ(clsid, c.expected == S_OK ? CLSID_TestCounter : GUID_NULL) << nv::WideToUtf8(c.text);
  }
  EXPECT_EQ(GuidText(IID_IErrorInfo), "{1CF2B120-547D-101B-8E65-08002B2BD119}");
  OLECHAR small[38];
  EXPECT_EQ(StringFromGUID2(IID_IErrorInfo, small, 38), 0);
  CLSID clsid{};
  EXPECT_EQ(CLSIDFromProgID(u"Sonvox.Nothing", &clsid), CO_E_CLASSSTRING);
}

}  // namespace
