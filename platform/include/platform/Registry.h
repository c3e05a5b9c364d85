// The registry: HKEY_CLASSES_ROOT and HKEY_CURRENT_USER, both per user, kept
// in registry-editor export files under $XDG_CONFIG_HOME/N&V/registry/
// ($XDG_CONFIG_HOME defaults to ~/.config). Names and REG_SZ data are UTF-8.
// Every call returns ERROR_SUCCESS or a last-error code (LONG).
#pragma once

#include "platform/Types.h"

#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000000u)))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000001u)))

typedef DWORD REGSAM;
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

// A value was set or deleted through a handle whose key has since been deleted.
constexpr DWORD ERROR_KEY_DELETED = 1018;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

extern "C" {

// Creates the key and any missing parents, or opens it. ERROR_INVALID_HANDLE
// for a bad parent, ERROR_CANTWRITE when the store cannot be written.
NVPLATFORM_API LONG RegCreateKeyEx(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                                   REGSAM access, void* security, HKEY* result, DWORD* disposition);
// ERROR_FILE_NOT_FOUND when the key does not exist.
NVPLATFORM_API LONG RegOpenKeyEx(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, HKEY* result);
// name null or "" is the default value. ERROR_FILE_NOT_FOUND for a missing
// value; ERROR_MORE_DATA with *size set to the needed size when data is too
// small (data null only asks for the size). REG_SZ data includes its NUL.
NVPLATFORM_API LONG RegQueryValueEx(HKEY key, LPCSTR name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size);
// Stores REG_SZ (size counts the NUL), REG_DWORD (4 bytes) or REG_BINARY;
// ERROR_INVALID_PARAMETER for other types or a short DWORD.
NVPLATFORM_API LONG RegSetValueEx(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
NVPLATFORM_API LONG RegDeleteValue(HKEY key, LPCSTR name);
// Fails with ERROR_FILE_NOT_FOUND on a missing key and ERROR_ACCESS_DENIED
// on a key that still has subkeys.
NVPLATFORM_API LONG RegDeleteKey(HKEY key, LPCSTR subKey);
NVPLATFORM_API LONG RegCloseKey(HKEY key);

// Makes this process read the REG_SZ value `name` of `subKey` under `root`
// as `text` (null removes the override) without storing anything: other
// processes and later runs see the stored value. RegOpenKeyEx opens the key
// even when it is not stored. ERROR_INVALID_HANDLE for another root,
// ERROR_INVALID_PARAMETER for a bad name, ERROR_NOT_ENOUGH_MEMORY.
NVPLATFORM_API LONG RegOverrideValueInProcess(HKEY root, LPCSTR subKey, LPCSTR name, LPCSTR text);

}  // extern "C"
