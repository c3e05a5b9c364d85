// Sonvox's own extension of the sample for playing notes one after another
// without a gap: a buffer handed over while the previous one still sounds is
// played right behind it on the same stream. Reached by QueryInterface; a
// sample without it is played one buffer at a time through ISample1.
#pragma once

#include "platform/Com.h"

namespace nv {

class ISampleSequence : public IUnknown {
 public:
  // Plays a copy of the rendered buffer right after whatever the sample is
  // playing (at once when it plays nothing); finished (may be null) is
  // signalled when the device has played it or when it is stopped. E_FAIL
  // with "Объект занят\n" when a buffer is already waiting behind the
  // sounding one; otherwise the results of ISample1::Play.
  STDMETHOD(PlayNext)(HANDLE finished) = 0;
  // The same for `length` ticks of silence (a rest); E_INVALIDARG for a
  // length below 1 tick. Needs no rendered buffer.
  STDMETHOD(PlaySilenceNext)(LONG length, HANDLE finished) = 0;
};

constexpr IID IID_ISampleSequence = {0x3B0C7E52, 0x61D4, 0x4F0A, {0x9A, 0x1E, 0x72, 0xC5, 0x0D, 0x8B, 0x44, 0x19}};

}  // namespace nv
