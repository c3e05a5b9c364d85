// Loading modules at run time. LoadLibrary looks for a bare file name in the
// running program's own folder first, then where the dynamic loader looks.
#pragma once

#include "platform/Types.h"

typedef void (*FARPROC)();

extern "C" {

// Null on failure with last error ERROR_MOD_NOT_FOUND (or ERROR_BAD_FORMAT
// for a file that is not a loadable module). A path with a '/' is used as is.
NVPLATFORM_API HMODULE LoadLibrary(LPCSTR fileName);
NVPLATFORM_API BOOL FreeLibrary(HMODULE module);
// Null with ERROR_PROC_NOT_FOUND when the module lacks the export.
NVPLATFORM_API FARPROC GetProcAddress(HMODULE module, LPCSTR name);
// The full path of a module (null: the program), NUL-terminated; returns its
// length, or 0 on failure. A path that does not fit is cut to size - 1
// characters and its NUL, and the result is size with last error
// ERROR_INSUFFICIENT_BUFFER.
NVPLATFORM_API DWORD GetModuleFileName(HMODULE module, LPSTR path, DWORD size);
// The full path of the module that contains the given address (a function or
// variable of its own); same results as GetModuleFileName.
NVPLATFORM_API DWORD GetModuleFileNameFromAddress(const void* address, LPSTR path, DWORD size);

}  // extern "C"

