// One row of a component class's interface map: an interface identifier and
// how to reach that interface part of an object of class T. A class's map is
// a static array ended by a row whose iid is null; ISupportErrorInfo comes
// first and answers for IUnknown.
#pragma once

#include "platform/Com.h"

namespace nv {

template <class T>
struct InterfaceEntry {
  const IID* iid;
  IUnknown* (*part)(T* object);
};

// The interface part I of object, for InterfaceEntry::part.
template <class T, class I>
IUnknown* InterfacePart(T* object) {
  return static_cast<I*>(object);
}

}  // namespace nv
