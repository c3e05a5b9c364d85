// How the documents make Sonvox objects: through the component runtime by
// class identifier, unless a test supplies its own maker.
#pragma once

#include <functional>

#include "platform/Com.h"
#include "platform/Library.h"

using ObjectFactory = std::function<HRESULT(REFCLSID clsid, REFIID iid, void** out)>;

// CoCreateInstance with the in-process, local and remote server contexts
// allowed; its result, *out null on failure.
inline HRESULT CreateServerObject(REFCLSID clsid, REFIID iid, void** out) {
  return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER, iid, out);
}

// The factory to use: the given one, or CreateServerObject when it is empty.
inline ObjectFactory OrServerObjects(ObjectFactory factory) {
  return factory ? std::move(factory) : ObjectFactory(&CreateServerObject);
}

// Makes sure a server's class can be created: when factory cannot make an
// object of clsid, loads module (a bare name is looked for in the program
// folder first), runs its "DllRegisterServer" and unloads it. False when the
// class still cannot be created afterwards.
inline bool RegisterServerIfMissing(const ObjectFactory& factory, REFCLSID clsid, const char* module) {
  const auto creatable = [&] {
    IUnknown* probe = nullptr;
    if (FAILED(factory(clsid, IID_IUnknown, reinterpret_cast<void**>(&probe))) || probe == nullptr) return false;
    probe->Release();
    return true;
  };
  if (creatable()) return true;
  HMODULE library = LoadLibrary(module);
  if (library == nullptr) return false;
  if (auto reg = reinterpret_cast<LPFNREGISTERSERVER>(GetProcAddress(library, "DllRegisterServer"))) reg();
  FreeLibrary(library);
  return creatable();
}
