// The description a component left in the calling thread's error information.
#pragma once

#include <string>

#include "platform/Com.h"

class ComErrorU {
 public:
  // When object supports error information for iid, takes the thread's error
  // object and returns its description; empty otherwise. The thread's error
  // slot is emptied either way once it was asked.
  static std::u16string Description(IUnknown* object, REFIID iid);
};
