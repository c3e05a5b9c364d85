// Code-page conversion. The system ANSI code page is Windows-1251; text in
// the programs' files is in it, text across component interfaces is UTF-16
// and file-system paths are UTF-8. Characters a target cannot hold become '?'.
#pragma once

#include <string>
#include <string_view>

#include "platform/Types.h"

constexpr UINT CP_ACP = 0;
constexpr UINT CP_1251 = 1251;
constexpr UINT CP_UTF8 = 65001;

extern "C" {

// As the platform's: length -1 means NUL-terminated (the NUL is converted
// too); size 0 asks for the needed length. Returns the characters written,
// or 0 on failure with ERROR_INSUFFICIENT_BUFFER or ERROR_INVALID_PARAMETER.
NVPLATFORM_API int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR out, int size);
NVPLATFORM_API int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR text, int length, LPSTR out, int size,
                                       LPCSTR defaultChar, BOOL* usedDefault);

}  // extern "C"

namespace nv {

NVPLATFORM_API std::u16string AnsiToWide(std::string_view ansi);
NVPLATFORM_API std::string WideToAnsi(std::u16string_view wide);
NVPLATFORM_API std::u16string Utf8ToWide(std::string_view utf8);
NVPLATFORM_API std::string WideToUtf8(std::u16string_view wide);
NVPLATFORM_API std::string AnsiToUtf8(std::string_view ansi);
NVPLATFORM_API std::string Utf8ToAnsi(std::string_view utf8);

}  // namespace nv
