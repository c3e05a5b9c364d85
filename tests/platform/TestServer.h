// The interface and identifiers of the small in-process server the
// component runtime tests load.
#pragma once

#include "platform/Com.h"

// {6F1C2A10-3B4D-4E5F-8A9B-0C1D2E3F4A5B}
constexpr CLSID CLSID_TestCounter = {0x6F1C2A10, 0x3B4D, 0x4E5F, {0x8A, 0x9B, 0x0C, 0x1D, 0x2E, 0x3F, 0x4A, 0x5B}};
// {6F1C2A11-3B4D-4E5F-8A9B-0C1D2E3F4A5B}
constexpr IID IID_ITestCounter = {0x6F1C2A11, 0x3B4D, 0x4E5F, {0x8A, 0x9B, 0x0C, 0x1D, 0x2E, 0x3F, 0x4A, 0x5B}};

class ITestCounter : public IUnknown {
 public:
  // Adds one and returns the new value.
  STDMETHOD(Increment)(LONG* value) = 0;
};
