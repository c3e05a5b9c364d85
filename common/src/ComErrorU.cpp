#include "common/ComErrorU.h"

std::u16string ComErrorU::Description(IUnknown* object, REFIID iid) {
  if (!object) return {};
  ISupportErrorInfo* support = nullptr;
  if (FAILED(object->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&support))) || !support) return {};
  bool supported = support->InterfaceSupportsErrorInfo(iid) == S_OK;
  support->Release();
  if (!supported) return {};
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK || !info) return {};
  std::u16string text;
  BSTR description = nullptr;
  if (SUCCEEDED(info->GetDescription(&description)) && description) {
    text.assign(description, SysStringLen(description));
    SysFreeString(description);
  }
  info->Release();
  return text;
}
