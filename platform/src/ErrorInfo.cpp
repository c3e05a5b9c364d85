// Per-thread error information: one slot per thread holding a reference to
// the last installed error object; the slot's reference is dropped when the
// thread ends.
#include <new>

#include "ErrorInfoObject.h"
#include "platform/Com.h"

namespace {

class ErrorSlot {
 public:
  ErrorSlot() = default;
  ErrorSlot(const ErrorSlot&) = delete;
  ErrorSlot& operator=(const ErrorSlot&) = delete;
  ~ErrorSlot() { Reset(nullptr); }

  // Takes over the caller's reference.
  void Reset(IErrorInfo* info) {
    IErrorInfo* old = info_;
    info_ = info;
    if (old) old->Release();
  }
  // Hands the slot's reference to the caller and empties the slot.
  IErrorInfo* Take() {
    IErrorInfo* info = info_;
    info_ = nullptr;
    return info;
  }

 private:
  IErrorInfo* info_ = nullptr;
};

thread_local ErrorSlot tSlot;

}  // namespace

extern "C" {

HRESULT SetErrorInfo(ULONG /*reserved*/, IErrorInfo* info) {
  if (info) info->AddRef();
  tSlot.Reset(info);
  return S_OK;
}

HRESULT GetErrorInfo(ULONG /*reserved*/, IErrorInfo** info) {
  if (!info) return E_POINTER;
  *info = tSlot.Take();
  return *info ? S_OK : S_FALSE;
}

HRESULT CreateErrorInfo(ICreateErrorInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  auto* object = new (std::nothrow) nv::platform::ErrorInfoObject();
  if (!object) return E_OUTOFMEMORY;
  return object->QueryInterface(IID_ICreateErrorInfo, reinterpret_cast<void**>(info));
}

}  // extern "C"
