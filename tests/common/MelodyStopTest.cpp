// Stopping a melody with a bounded wait, against a melody that falls silent
// after some polls or never (a stalled sound device).
#include <gtest/gtest.h>

#include "common/MelodyValues.h"

namespace {

// Only playback answers; everything else is refused.
class ScriptedMelody : public IMelody {
 public:
  // Reports playing for that many IsPlaying calls after Stop; -1 forever.
  explicit ScriptedMelody(int pollsAfterStop) : pollsLeft_(pollsAfterStop) {}

  int stops = 0;

  STDMETHOD(Stop)() override {
    ++stops;
    return S_OK;
  }
  STDMETHOD(IsPlaying)(SHORT* out) override {
    *out = pollsLeft_ != 0 ? 1 : 0;
    if (stops > 0 && pollsLeft_ > 0) --pollsLeft_;
    return S_OK;
  }

  STDMETHOD(QueryInterface)(REFIID, void**) override { return E_NOINTERFACE; }
  STDMETHOD_(ULONG, AddRef)() override { return 1; }
  STDMETHOD_(ULONG, Release)() override { return 1; }
  STDMETHOD(GetName)(BSTR*) override { return E_NOTIMPL; }
  STDMETHOD(SetName)(BSTR) override { return E_NOTIMPL; }
  STDMETHOD(InsertNote)() override { return E_NOTIMPL; }
  STDMETHOD(InsertNoteValues)(SHORT, SHORT, SHORT) override { return E_NOTIMPL; }
  STDMETHOD(InsertRest)() override { return E_NOTIMPL; }
  STDMETHOD(DeleteCurrent)() override { return E_NOTIMPL; }
  STDMETHOD(DeleteLast)() override { return E_NOTIMPL; }
  STDMETHOD(Draw)(HDC, HIMAGELIST, HIMAGELIST, HIMAGELIST, const COLORREF*, const RECT*, HFONT, LONG) override {
    return E_NOTIMPL;
  }
  STDMETHOD(GetCount)(LONG*) override { return E_NOTIMPL; }
  STDMETHOD(GetNotePosition)(LONG, LONG, LONG, POINT*) override { return E_NOTIMPL; }
  STDMETHOD(GetCurrent)(LONG*) override { return E_NOTIMPL; }
  STDMETHOD(SetCurrent)(LONG) override { return E_NOTIMPL; }
  STDMETHOD(GetCurrentDuration)(SHORT*) override { return E_NOTIMPL; }
  STDMETHOD(GetCurrentPitch)(SHORT*) override { return E_NOTIMPL; }
  STDMETHOD(GetCurrentFlags)(SHORT*) override { return E_NOTIMPL; }
  STDMETHOD(CurrentPitchUp)(SHORT*, SHORT*) override { return E_NOTIMPL; }
  STDMETHOD(CurrentPitchDown)(SHORT*, SHORT*) override { return E_NOTIMPL; }
  STDMETHOD(CurrentLengthen)(SHORT*, SHORT*, SHORT*, SHORT*) override { return E_NOTIMPL; }
  STDMETHOD(CurrentShorten)(SHORT*, SHORT*, SHORT*, SHORT*) override { return E_NOTIMPL; }
  STDMETHOD(SelectAt)(LONG, LONG, LONG, LONG) override { return E_NOTIMPL; }
  STDMETHOD(Play)(SHORT, ISample1*, HWND, UINT) override { return E_NOTIMPL; }
  STDMETHOD(Clear)() override { return E_NOTIMPL; }
  STDMETHOD(GetNoteSize)(LONG, LONG, LONG*, LONG*) override { return E_NOTIMPL; }

 private:
  int pollsLeft_;
};

}  // namespace

TEST(MelodyStop, WaitsForSilenceOnlyAsLongAsAllowed) {
  const struct {
    const char* what;
    int pollsAfterStop;
    DWORD limitMs;
    bool silent;
    int stops;
  } cases[] = {
      {"not playing", 0, 60000, true, 0},
      {"falls silent after a few polls", 3, 60000, true, 1},
      {"stalled", -1, 200, false, 1},
  };
  for (const auto& c : cases) {
    ScriptedMelody melody(c.pollsAfterStop);
    EXPECT_EQ(c.silent, MelodyValues::StopAndWait(&melody, c.limitMs)) << c.what;
    EXPECT_EQ(c.stops, melody.stops) << c.what;
  }
  EXPECT_TRUE(MelodyValues::StopAndWait(nullptr)) << "no melody";
}
