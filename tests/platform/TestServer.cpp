// A minimal in-process server: one class, a factory and the module counts
// that DllCanUnloadNow reports.
#include "TestServer.h"

#include <atomic>
#include <new>

namespace {

std::atomic<LONG> gObjects{0};

class Counter final : public ITestCounter {
 public:
  Counter() { ++gObjects; }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid != IID_IUnknown && riid != IID_ITestCounter) {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    *ppv = static_cast<ITestCounter*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) {
      delete this;
      --gObjects;
    }
    return left;
  }
  HRESULT STDMETHODCALLTYPE Increment(LONG* value) override {
    if (!value) return E_POINTER;
    *value = ++count_;
    return S_OK;
  }

 private:
  std::atomic<ULONG> refs_{0};
  std::atomic<LONG> count_{0};
};

class Factory final : public IClassFactory {
 public:
  Factory() { ++gObjects; }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) {
      delete this;
      --gObjects;
    }
    return left;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* counter = new (std::nothrow) Counter();
    if (!counter) return E_OUTOFMEMORY;
    counter->AddRef();
    const HRESULT hr = counter->QueryInterface(riid, ppv);
    counter->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  std::atomic<ULONG> refs_{0};
};

}  // namespace

extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (clsid != CLSID_TestCounter) return CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = new (std::nothrow) Factory();
  if (!factory) return E_OUTOFMEMORY;
  factory->AddRef();
  const HRESULT hr = factory->QueryInterface(riid, ppv);
  factory->Release();
  return hr;
}

extern "C" __attribute__((visibility("default"))) HRESULT DllCanUnloadNow() {
  return gObjects.load() == 0 ? S_OK : S_FALSE;
}
