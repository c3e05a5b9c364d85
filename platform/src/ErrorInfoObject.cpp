#include "ErrorInfoObject.h"

#include <new>

namespace nv::platform {

HRESULT ErrorInfoObject::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IErrorInfo) {
    *ppv = static_cast<IErrorInfo*>(this);
  } else if (riid == IID_ICreateErrorInfo) {
    *ppv = static_cast<ICreateErrorInfo*>(this);
  } else {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG ErrorInfoObject::AddRef() {
  return refs_.fetch_add(1, std::memory_order_relaxed) + 1;
}

ULONG ErrorInfoObject::Release() {
  const ULONG left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (left == 0) delete this;
  return left;
}

HRESULT ErrorInfoObject::GetText(const std::u16string& field, BSTR* out) {
  if (!out) return E_POINTER;
  std::lock_guard lock(mutex_);
  *out = SysAllocStringLen(field.data(), static_cast<UINT>(field.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT ErrorInfoObject::SetText(std::u16string& field, LPOLESTR text) {
  try {
    std::u16string value = text ? std::u16string(text) : std::u16string();
    std::lock_guard lock(mutex_);
    field.swap(value);
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT ErrorInfoObject::GetGUID(GUID* guid) {
  if (!guid) return E_POINTER;
  std::lock_guard lock(mutex_);
  *guid = guid_;
  return S_OK;
}

HRESULT ErrorInfoObject::GetSource(BSTR* source) {
  return GetText(source_, source);
}
HRESULT ErrorInfoObject::GetDescription(BSTR* description) {
  return GetText(description_, description);
}
HRESULT ErrorInfoObject::GetHelpFile(BSTR* helpFile) {
  return GetText(helpFile_, helpFile);
}

HRESULT ErrorInfoObject::GetHelpContext(DWORD* helpContext) {
  if (!helpContext) return E_POINTER;
  std::lock_guard lock(mutex_);
  *helpContext = helpContext_;
  return S_OK;
}

HRESULT ErrorInfoObject::SetGUID(REFGUID guid) {
  std::lock_guard lock(mutex_);
  guid_ = guid;
  return S_OK;
}

HRESULT ErrorInfoObject::SetSource(LPOLESTR source) {
  return SetText(source_, source);
}
HRESULT ErrorInfoObject::SetDescription(LPOLESTR description) {
  return SetText(description_, description);
}
HRESULT ErrorInfoObject::SetHelpFile(LPOLESTR helpFile) {
  return SetText(helpFile_, helpFile);
}

HRESULT ErrorInfoObject::SetHelpContext(DWORD helpContext) {
  std::lock_guard lock(mutex_);
  helpContext_ = helpContext;
  return S_OK;
}

}  // namespace nv::platform
