// The error-information object handed out by CreateErrorInfo: one reference
// count behind both interfaces, so a caller may fill it through
// ICreateErrorInfo and install the IErrorInfo of the same object.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "platform/Com.h"

namespace nv::platform {

class ErrorInfoObject final : public IErrorInfo, public ICreateErrorInfo {
 public:
  ErrorInfoObject() = default;
  ErrorInfoObject(const ErrorInfoObject&) = delete;
  ErrorInfoObject& operator=(const ErrorInfoObject&) = delete;

  // IUnknown, shared by both interface parts; IUnknown answers with the IErrorInfo part.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IErrorInfo. Strings never set come back as empty strings, not null.
  HRESULT STDMETHODCALLTYPE GetGUID(GUID* guid) override;
  HRESULT STDMETHODCALLTYPE GetSource(BSTR* source) override;
  HRESULT STDMETHODCALLTYPE GetDescription(BSTR* description) override;
  HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR* helpFile) override;
  HRESULT STDMETHODCALLTYPE GetHelpContext(DWORD* helpContext) override;

  // ICreateErrorInfo. A null string clears the field.
  HRESULT STDMETHODCALLTYPE SetGUID(REFGUID guid) override;
  HRESULT STDMETHODCALLTYPE SetSource(LPOLESTR source) override;
  HRESULT STDMETHODCALLTYPE SetDescription(LPOLESTR description) override;
  HRESULT STDMETHODCALLTYPE SetHelpFile(LPOLESTR helpFile) override;
  HRESULT STDMETHODCALLTYPE SetHelpContext(DWORD helpContext) override;

 private:
  ~ErrorInfoObject() = default;

  HRESULT GetText(const std::u16string& field, BSTR* out);
  HRESULT SetText(std::u16string& field, LPOLESTR text);

  std::atomic<ULONG> refs_{0};
  // The object may be filled on one thread and read on another.
  std::mutex mutex_;
  GUID guid_ = GUID_NULL;
  std::u16string source_;
  std::u16string description_;
  std::u16string helpFile_;
  DWORD helpContext_ = 0;
};

}  // namespace nv::platform
