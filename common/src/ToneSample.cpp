#include "common/ToneSample.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "common/ComErrorU.h"

namespace {

BYTE ToSample(double wave) {
  return static_cast<BYTE>(std::ceil(48.0 * wave - 0.5) + 127.0);
}

}  // namespace

std::vector<BYTE> ToneSample::EditorPeriod() {
  std::vector<BYTE> period(kSamples);
  double t = 0.0;
  for (size_t i = 0; i < kSamples; ++i) {
    period[i] = ToSample(std::sin(1282.7791666666667 * t));
    t += 1.0 / 11025.0;
  }
  return period;
}

std::vector<BYTE> ToneSample::SetPeriod() {
  std::vector<BYTE> period(kSamples);
  for (size_t k = 0; k < kSamples; ++k)
    period[k] = ToSample(std::sin(2.0 * std::numbers::pi * kFrequency * static_cast<double>(k) / 11025.0));
  return period;
}

HRESULT ToneSample::Fill(ISample1* sample, const std::vector<BYTE>& period) {
  if (!sample) return E_POINTER;
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(period.size()));
  if (!array) return E_OUTOFMEMORY;
  void* data = nullptr;
  if (FAILED(SafeArrayAccessData(array, &data))) {
    SafeArrayDestroy(array);
    return E_OUTOFMEMORY;
  }
  std::copy(period.begin(), period.end(), static_cast<BYTE*>(data));
  SafeArrayUnaccessData(array);
  VARIANT waveform;
  VariantInit(&waveform);
  waveform.vt = VT_ARRAY | VT_UI1;
  waveform.parray = array;
  HRESULT hr = sample->Fill(waveform, kSampleRate, kFrequency);
  VariantClear(&waveform);
  return hr;
}

HRESULT ToneSample::Create(const ObjectFactory& factory, const std::vector<BYTE>& period, ISample1** out,
                           Failure* failure) {
  *out = nullptr;
  ISample1* sample = nullptr;
  HRESULT hr = factory(CLSID_Sample, IID_ISample1, reinterpret_cast<void**>(&sample));
  if (FAILED(hr) || !sample) {
    if (failure) failure->step = Step::Create;
    return FAILED(hr) ? hr : E_POINTER;
  }
  hr = Fill(sample, period);
  if (FAILED(hr)) {
    if (failure) {
      failure->step = Step::Fill;
      failure->description = ComErrorU::Description(sample, IID_ISample1);
    }
    sample->Release();
    return hr;
  }
  *out = sample;
  return S_OK;
}
