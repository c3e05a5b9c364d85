// Apartment initialisation, object creation by class identifier and the
// class-identifier string forms.
#include <cstdio>
#include <string>

#include "ModuleCache.h"
#include "platform/CodePage.h"
#include "platform/Com.h"
#include "platform/Registry.h"

namespace {

struct Apartment {
  ULONG count = 0;
  DWORD model = COINIT_MULTITHREADED;
};
thread_local Apartment tApartment;

// Reads the default REG_SZ value of HKEY_CLASSES_ROOT\<path>; false when absent or empty.
bool ReadClassesRootText(const std::string& path, std::string& text) {
  HKEY key = nullptr;
  if (RegOpenKeyEx(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD type = 0;
  DWORD size = 0;
  bool ok =
      RegQueryValueEx(key, nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ && size > 1;
  if (ok) {
    std::string buffer(size, '\0');
    ok = RegQueryValueEx(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) == ERROR_SUCCESS;
    if (ok) {
      buffer.resize(buffer.find('\0') == std::string::npos ? buffer.size() : buffer.find('\0'));
      text = std::move(buffer);
      ok = !text.empty();
    }
  }
  RegCloseKey(key);
  return ok;
}

std::string GuidText(REFGUID guid) {
  OLECHAR wide[39];
  StringFromGUID2(guid, wide, 39);
  return nv::WideToUtf8(std::u16string_view(wide, 38));
}

int HexValue(OLECHAR c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Reads `digits` hex digits at text[pos], advancing pos.
bool ReadHex(LPCOLESTR text, size_t& pos, int digits, uint32_t& value) {
  value = 0;
  for (int i = 0; i < digits; ++i) {
    const int d = HexValue(text[pos]);
    if (d < 0) return false;
    value = (value << 4) | static_cast<uint32_t>(d);
    ++pos;
  }
  return true;
}

bool Expect(LPCOLESTR text, size_t& pos, OLECHAR c) {
  if (text[pos] != c) return false;
  ++pos;
  return true;
}

}  // namespace

extern "C" {

HRESULT CoInitializeEx(void* /*reserved*/, DWORD coInit) {
  const DWORD model = coInit & COINIT_APARTMENTTHREADED;
  if (tApartment.count > 0) {
    if (tApartment.model != model) return RPC_E_CHANGED_MODE;
    ++tApartment.count;
    return S_FALSE;
  }
  tApartment.model = model;
  tApartment.count = 1;
  return S_OK;
}

HRESULT CoInitialize(void* reserved) {
  return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED);
}

void CoUninitialize() {
  if (tApartment.count > 0) --tApartment.count;
}

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* /*reserved*/, REFIID riid, void** ppv) {
  if (!ppv) return E_INVALIDARG;
  *ppv = nullptr;
  if (tApartment.count == 0) return CO_E_NOTINITIALIZED;
  // Only in-process servers exist here.
  if (!(context & (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER))) return REGDB_E_CLASSNOTREG;
  std::string path;
  if (!ReadClassesRootText("CLSID\\" + GuidText(clsid) + "\\InprocServer32", path)) return REGDB_E_CLASSNOTREG;
  const HRESULT hr = nv::platform::ModuleCache::Instance().GetClassObject(path, clsid, riid, ppv);
  if (FAILED(hr)) *ppv = nullptr;
  return hr;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** ppv) {
  if (!ppv) return E_INVALIDARG;
  *ppv = nullptr;
  IClassFactory* factory = nullptr;
  HRESULT hr = CoGetClassObject(clsid, context, nullptr, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  if (!factory) return E_UNEXPECTED;
  hr = factory->CreateInstance(outer, riid, ppv);
  factory->Release();
  if (FAILED(hr)) *ppv = nullptr;
  return hr;
}

void CoFreeUnusedLibraries() {
  nv::platform::ModuleCache::Instance().FreeUnused();
}

HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid) {
  if (!text || !clsid) return E_INVALIDARG;
  CLSID parsed{};
  size_t pos = 0;
  uint32_t part = 0;
  bool ok = Expect(text, pos, u'{') && ReadHex(text, pos, 8, parsed.Data1) && Expect(text, pos, u'-') &&
            ReadHex(text, pos, 4, part);
  parsed.Data2 = static_cast<uint16_t>(part);
  ok = ok && Expect(text, pos, u'-') && ReadHex(text, pos, 4, part);
  parsed.Data3 = static_cast<uint16_t>(part);
  ok = ok && Expect(text, pos, u'-');
  for (int i = 0; ok && i < 8; ++i) {
    if (i == 2) ok = Expect(text, pos, u'-');
    ok = ok && ReadHex(text, pos, 2, part);
    parsed.Data4[i] = static_cast<uint8_t>(part);
  }
  ok = ok && Expect(text, pos, u'}') && text[pos] == 0;
  if (!ok) return CO_E_CLASSSTRING;
  *clsid = parsed;
  return S_OK;
}

int StringFromGUID2(REFGUID guid, LPOLESTR out, int max) {
  if (!out || max < 39) return 0;
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.Data1, guid.Data2,
                guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                guid.Data4[6], guid.Data4[7]);
  for (int i = 0; i < 39; ++i) out[i] = static_cast<OLECHAR>(text[i]);
  return 39;
}

HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid) {
  if (!progId || !clsid) return E_INVALIDARG;
  const std::string name = nv::WideToUtf8(progId);
  std::string text;
  if (name.empty() || name.find('\\') != std::string::npos || !ReadClassesRootText(name + "\\CLSID", text))
    return CO_E_CLASSSTRING;
  const std::u16string wide = nv::Utf8ToWide(text);
  return CLSIDFromString(wide.c_str(), clsid);
}

}  // extern "C"
