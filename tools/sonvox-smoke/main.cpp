// Creates a melody through the component runtime, registering the Sonvox
// module first when the class is unknown, inserts a few notes and prints the
// count. Exit status 0 on success.
#include <cstdio>

#include "platform/Com.h"
#include "platform/Library.h"
#include "sonvox/Sonvox.h"

namespace {

HRESULT CreateMelody(IMelody** melody) {
  CLSID clsid{};
  HRESULT hr = CLSIDFromProgID(u"Sonvox.Melody", &clsid);
  if (SUCCEEDED(hr)) {
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IMelody, reinterpret_cast<void**>(melody));
  }
  return hr;
}

HRESULT RegisterSonvox() {
  HMODULE module = LoadLibrary(SONVOX_MODULE);
  if (module == nullptr) return CO_E_DLLNOTFOUND;
  auto reg = reinterpret_cast<LPFNREGISTERSERVER>(GetProcAddress(module, "DllRegisterServer"));
  const HRESULT hr = reg != nullptr ? reg() : CO_E_ERRORINDLL;
  FreeLibrary(module);
  return hr;
}

}  // namespace

int main() {
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
    std::fprintf(stderr, "sonvox-smoke: the component runtime did not start\n");
    return 1;
  }
  int status = 1;
  IMelody* melody = nullptr;
  HRESULT hr = CreateMelody(&melody);
  if (FAILED(hr)) {
    hr = RegisterSonvox();
    if (SUCCEEDED(hr)) hr = CreateMelody(&melody);
  }
  if (FAILED(hr)) {
    std::fprintf(stderr, "sonvox-smoke: cannot create Sonvox.Melody (0x%08X)\n", static_cast<unsigned>(hr));
  } else {
    melody->InsertNote();
    melody->InsertNoteValues(13, DURATION_QUARTER, 0);
    melody->InsertRest();
    LONG count = 0;
    if (SUCCEEDED(melody->GetCount(&count))) {
      std::printf("Sonvox.Melody: %d note symbols\n", static_cast<int>(count));
      status = count == 3 ? 0 : 1;
    }
    melody->Release();
  }
  CoUninitialize();
  return status;
}
