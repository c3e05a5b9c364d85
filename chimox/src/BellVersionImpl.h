// IBell_ver2_0 and IBell_ver2_9 declare methods of the same names, which one
// class cannot implement twice. Each of these bases forwards its interface's
// six methods, with the same arguments, to six virtual operations of its own
// that the bell class overrides.
#pragma once

#include "chimox/Chimox.h"

namespace chimox {

class IBell_ver2_0_Impl : public IBell_ver2_0 {
 public:
  HRESULT STDMETHODCALLTYPE ReadInfo(BellInfo* info, NotifyTarget* target) override { return ReadInfo20(info, target); }
  HRESULT STDMETHODCALLTYPE AddMelody(IMelody* melody, BellInfo* info, NotifyTarget* target) override {
    return AddMelody20(melody, info, target);
  }
  HRESULT STDMETHODCALLTYPE ReadMelody(IMelody* melody, LONG number, BellInfo* info, NotifyTarget* target) override {
    return ReadMelody20(melody, number, info, target);
  }
  HRESULT STDMETHODCALLTYPE ClearSet(BellInfo* info) override { return ClearSet20(info); }
  HRESULT STDMETHODCALLTYPE SetSelectionMode(BellInfo* info) override { return SetSelectionMode20(info); }
  HRESULT STDMETHODCALLTYPE SetCurrentMelody(BellInfo* info) override { return SetCurrentMelody20(info); }

  virtual HRESULT ReadInfo20(BellInfo* info, NotifyTarget* target) = 0;
  virtual HRESULT AddMelody20(IMelody* melody, BellInfo* info, NotifyTarget* target) = 0;
  virtual HRESULT ReadMelody20(IMelody* melody, LONG number, BellInfo* info, NotifyTarget* target) = 0;
  virtual HRESULT ClearSet20(BellInfo* info) = 0;
  virtual HRESULT SetSelectionMode20(BellInfo* info) = 0;
  virtual HRESULT SetCurrentMelody20(BellInfo* info) = 0;
};

class IBell_ver2_9_Impl : public IBell_ver2_9 {
 public:
  HRESULT STDMETHODCALLTYPE ReadInfo(BellInfo* info, NotifyTarget* target) override { return ReadInfo29(info, target); }
  HRESULT STDMETHODCALLTYPE AddMelody(IMelody* melody, BellInfo* info, NotifyTarget* target, SHORT defer) override {
    return AddMelody29(melody, info, target, defer);
  }
  HRESULT STDMETHODCALLTYPE ReadMelody(IMelody* melody, LONG number, BellInfo* info, NotifyTarget* target) override {
    return ReadMelody29(melody, number, info, target);
  }
  HRESULT STDMETHODCALLTYPE ClearSet(BellInfo* info) override { return ClearSet29(info); }
  HRESULT STDMETHODCALLTYPE SetSelectionMode(BellInfo* info) override { return SetSelectionMode29(info); }
  HRESULT STDMETHODCALLTYPE SetCurrentMelody(BellInfo* info) override { return SetCurrentMelody29(info); }

  virtual HRESULT ReadInfo29(BellInfo* info, NotifyTarget* target) = 0;
  virtual HRESULT AddMelody29(IMelody* melody, BellInfo* info, NotifyTarget* target, SHORT defer) = 0;
  virtual HRESULT ReadMelody29(IMelody* melody, LONG number, BellInfo* info, NotifyTarget* target) = 0;
  virtual HRESULT ClearSet29(BellInfo* info) = 0;
  virtual HRESULT SetSelectionMode29(BellInfo* info) = 0;
  virtual HRESULT SetCurrentMelody29(BellInfo* info) = 0;
};

}  // namespace chimox
