// The concrete, creatable component object of class T: IUnknown over T's
// interface map, reference counting, destruction and the module object count.
#pragma once

#include <new>

#include "CObjectBase.h"
#include "InterfaceEntry.h"
#include "ModuleCounts.h"
#include "platform/Com.h"

namespace nv {

template <class T>
class CComObject final : public T {
 public:
  // Creates an object and queries it for riid. Returns E_POINTER for a null
  // ppv, E_OUTOFMEMORY when it cannot be allocated, T's initialisation
  // failure, or the query's failure (E_NOINTERFACE); the object is destroyed
  // on every failure and *ppv is null.
  static HRESULT CreateInstance(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    auto* object = new (std::nothrow) CComObject<T>();
    if (object == nullptr) return E_OUTOFMEMORY;
    HRESULT hr = object->Initialize();
    if (SUCCEEDED(hr)) hr = object->QueryInterface(riid, ppv);
    if (FAILED(hr)) {
      Destroy(object);
      return hr;
    }
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    const InterfaceEntry<T>* entry = T::interfaceMap;
    if (!IsEqualIID(riid, IID_IUnknown)) {
      while (entry->iid != nullptr && !IsEqualIID(*entry->iid, riid)) ++entry;
    }
    if (entry->iid == nullptr) {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    IUnknown* part = entry->part(this);
    part->AddRef();
    *ppv = part;
    return S_OK;
  }

  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&this->refCount_)); }

  ULONG STDMETHODCALLTYPE Release() override {
    const LONG count = InterlockedDecrement(&this->refCount_);
    if (count == 0) {
      this->FinalRelease();
      Destroy(this);
    }
    return static_cast<ULONG>(count);
  }

  // S_OK for the class's own interfaces (every map entry but
  // ISupportErrorInfo itself), S_FALSE for anything else.
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
    for (const InterfaceEntry<T>* entry = T::interfaceMap; entry->iid != nullptr; ++entry) {
      if (IsEqualIID(*entry->iid, riid) && !IsEqualIID(riid, IID_ISupportErrorInfo)) return S_OK;
    }
    return S_FALSE;
  }

 private:
  CComObject() { InterlockedIncrement(&objectCount); }
  ~CComObject() override = default;

  // The module count drops only once the object is gone, so the module is
  // never reported unloadable while one of its destructors still runs.
  static void Destroy(CComObject* object) {
    delete object;
    InterlockedDecrement(&objectCount);
  }
};

}  // namespace nv
