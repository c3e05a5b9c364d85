#include "ErrorText.h"

#include <string>

#include "platform/CodePage.h"
#include "platform/Com.h"

namespace nv {

void SetErrorText(const char* text) {
  ICreateErrorInfo* creator = nullptr;
  if (FAILED(CreateErrorInfo(&creator)) || creator == nullptr) return;
  std::u16string wide;
  try {
    wide = Utf8ToWide(text ? text : "");
  } catch (...) {
    creator->Release();
    return;
  }
  IErrorInfo* info = nullptr;
  if (SUCCEEDED(creator->SetDescription(wide.data())) &&
      SUCCEEDED(creator->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info))) && info != nullptr) {
    SetErrorInfo(0, info);
    info->Release();
  }
  creator->Release();
}

}  // namespace nv
