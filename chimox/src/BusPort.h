// What the memory procedures need of a port: bus transactions with the
// request buffer and control codes of the two-wire bus library, and the
// pause before each page write.
#pragma once

#include "platform/Types.h"

namespace chimox {

class BusPort {
 public:
  virtual ~BusPort() = default;
  // One bus transaction; false when it failed. Reads fill output.
  virtual bool Transfer(DWORD code, const BYTE* input, DWORD inputLength, BYTE* output, DWORD outputLength) = 0;
  virtual void Pause(DWORD milliseconds) = 0;
};

}  // namespace chimox
