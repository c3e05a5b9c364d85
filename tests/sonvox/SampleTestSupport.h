// Helpers of the synthesis and playback tests: the clients' waveform, byte
// arrays in variants and filled samples made directly from the model classes.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "CComObject.h"
#include "CSample.h"
#include "platform/ComPtr.h"
#include "platform/Com.h"

namespace soundtest {

// One period of the sine every client program hands to Fill: 54 bytes of
// amplitude 48 around 127, sampled at 11025 Hz, fundamental 11025 / 54 Hz.
inline std::vector<BYTE> ClientSinePeriod() {
  std::vector<BYTE> bytes(54);
  for (int i = 0; i < 54; ++i) {
    bytes[i] = static_cast<BYTE>(127 + std::ceil(48 * std::sin(1282.7791666666667 * i / 11025) - 0.5));
  }
  return bytes;
}
inline constexpr LONG kClientRate = 11025;
inline constexpr double kClientFrequency = 204.16666666666666;

// A variant owning a one-dimensional safe array of `elementType` whose
// elements are `bytes` (each widened when the elements are wider).
class ArrayVariant {
 public:
  ArrayVariant(VARTYPE elementType, const std::vector<BYTE>& bytes) {
    VariantInit(&value_);
    SAFEARRAY* array = SafeArrayCreateVector(elementType, 0, static_cast<ULONG>(bytes.size()));
    EXPECT_NE(array, nullptr);
    for (LONG i = 0; i < static_cast<LONG>(bytes.size()); ++i) {
      SHORT wide = bytes[i];
      BYTE narrow = bytes[i];
      EXPECT_EQ(S_OK, SafeArrayPutElement(array, &i, elementType == VT_UI1 ? static_cast<void*>(&narrow) : &wide));
    }
    value_.vt = static_cast<VARTYPE>(VT_ARRAY | elementType);
    value_.parray = array;
  }
  ~ArrayVariant() { VariantClear(&value_); }
  ArrayVariant(const ArrayVariant&) = delete;
  ArrayVariant& operator=(const ArrayVariant&) = delete;
  const VARIANT& get() const { return value_; }

 private:
  VARIANT value_;
};

inline nv::ComPtr<ISample1> NewSample() {
  nv::ComPtr<ISample1> sample;
  EXPECT_EQ(S_OK, nv::CComObject<nv::CSample>::CreateInstance(IID_ISample1, sample.putVoid()));
  return sample;
}

// A sample filled with the clients' sine (the audio device must be present).
inline nv::ComPtr<ISample1> NewFilledSample() {
  nv::ComPtr<ISample1> sample = NewSample();
  ArrayVariant waveform(VT_UI1, ClientSinePeriod());
  EXPECT_EQ(S_OK, sample->Fill(waveform.get(), kClientRate, kClientFrequency));
  return sample;
}

inline std::vector<BYTE> Rendered(ISample1* sample) {
  return static_cast<nv::CSample*>(sample)->RenderedForTesting();
}

}  // namespace soundtest
