// Module loading over the dynamic loader. A bare file name is looked for in
// the running program's folder first, as the original loader does.
#include "platform/Library.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "platform/Kernel.h"

namespace {

std::string ProgramPath() {
  std::string path(PATH_MAX, '\0');
  const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
  if (n <= 0 || static_cast<size_t>(n) >= path.size()) return {};
  path.resize(static_cast<size_t>(n));
  return path;
}

bool IsFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string AbsolutePath(const char* path) {
  char resolved[PATH_MAX];
  if (realpath(path, resolved)) return resolved;
  return path;
}

// Copies text NUL-terminated into path[size]; on truncation writes size - 1
// characters, sets ERROR_INSUFFICIENT_BUFFER and returns size.
DWORD CopyOut(const std::string& text, LPSTR path, DWORD size) {
  if (text.empty() || !path || size == 0) {
    SetLastError(text.empty() ? ERROR_MOD_NOT_FOUND : ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (text.size() >= size) {
    text.copy(path, size - 1);
    path[size - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  text.copy(path, text.size());
  path[text.size()] = '\0';
  return static_cast<DWORD>(text.size());
}

// The path of a loaded module from its link map; the program itself has an
// empty name there.
std::string LinkMapPath(const link_map* map) {
  if (!map || !map->l_name || !*map->l_name) return ProgramPath();
  return AbsolutePath(map->l_name);
}

}  // namespace

extern "C" {

HMODULE LoadLibrary(LPCSTR fileName) {
  if (!fileName || !*fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::string path = fileName;
  if (path.find('/') == std::string::npos) {
    const std::string program = ProgramPath();
    const size_t slash = program.rfind('/');
    if (slash != std::string::npos) {
      const std::string local = program.substr(0, slash + 1) + path;
      if (IsFile(local)) path = local;
    }
  }
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    // A file that is there but does not load is not a module (or lacks its dependencies).
    SetLastError(IsFile(path) ? ERROR_BAD_FORMAT : ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return static_cast<HMODULE>(handle);
}

BOOL FreeLibrary(HMODULE module) {
  if (!module || dlclose(module) != 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  if (!module || !name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  void* symbol = dlsym(module, name);
  if (!symbol) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(symbol);
}

DWORD GetModuleFileName(HMODULE module, LPSTR path, DWORD size) {
  if (!module) return CopyOut(ProgramPath(), path, size);
  link_map* map = nullptr;
  if (dlinfo(module, RTLD_DI_LINKMAP, &map) != 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return CopyOut(LinkMapPath(map), path, size);
}

DWORD GetModuleFileNameFromAddress(const void* address, LPSTR path, DWORD size) {
  Dl_info info{};
  link_map* map = nullptr;
  if (!address || dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  return CopyOut(LinkMapPath(map), path, size);
}

}  // extern "C"
