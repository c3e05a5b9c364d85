// The class factory of component class T.
#pragma once

#include <new>

#include "CComObject.h"
#include "ModuleCounts.h"
#include "platform/Com.h"

namespace nv {

template <class T>
class CoFactory final : public IClassFactory {
 public:
  // Creates a factory and queries it for riid: E_POINTER for a null ppv,
  // E_FAIL when it cannot be allocated, else the query's result (the factory
  // is destroyed again when the query fails).
  static HRESULT GetClassObject(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    auto* factory = new (std::nothrow) CoFactory<T>();
    if (factory == nullptr) return E_FAIL;
    const HRESULT hr = factory->QueryInterface(riid, ppv);
    if (FAILED(hr)) Destroy(factory);
    return hr;
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    *ppv = static_cast<IClassFactory*>(this);
    return S_OK;
  }

  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refCount_)); }

  ULONG STDMETHODCALLTYPE Release() override {
    const LONG count = InterlockedDecrement(&refCount_);
    if (count == 0) Destroy(this);
    return static_cast<ULONG>(count);
  }

  // CLASS_E_NOAGGREGATION for a non-null outer; else as CComObject<T>::CreateInstance.
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (ppv != nullptr) *ppv = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return CComObject<T>::CreateInstance(riid, ppv);
  }

  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      InterlockedIncrement(&lockCount);
    } else {
      InterlockedDecrement(&lockCount);
    }
    return S_OK;
  }

 private:
  CoFactory() { InterlockedIncrement(&objectCount); }
  ~CoFactory() = default;

  static void Destroy(CoFactory* factory) {
    delete factory;
    InterlockedDecrement(&objectCount);
  }

  volatile LONG refCount_ = 0;
};

}  // namespace nv
