// How the documents make Sonvox objects: through the component runtime by
// class identifier, unless a test supplies its own maker.
#pragma once

#include <functional>

#include "platform/Com.h"

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
