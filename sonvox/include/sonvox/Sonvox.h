// Public interfaces of the Sonvox component server: the melody model, note
// symbols, the synthesiser sample and their class identifiers. Clients create
// the objects through the component runtime (CoCreateInstance) and use them
// only through these interfaces. Every method returns an HRESULT; refusals
// return E_FAIL (or the code named) with a Russian description installed as
// the calling thread's error information.
#pragma once

#include "platform/Com.h"

// Note flags.
constexpr short FLAG_REST = 0x04;
constexpr short FLAG_DOT = 0x08;

// Duration codes.
constexpr short DURATION_WHOLE = 0;
constexpr short DURATION_HALF = 1;
constexpr short DURATION_QUARTER = 2;
constexpr short DURATION_EIGHTH = 3;
constexpr short DURATION_SIXTEENTH = 4;

constexpr short PITCH_COUNT = 32;

class ISample1 : public IUnknown {
 public:
  // Analyses one period of a waveform given as VT_ARRAY | VT_UI1.
  STDMETHOD(Fill)(VARIANT waveform, LONG sampleRate, double frequency) = 0;
  // Renders one note (frequency in Hz, length in 100 ns ticks).
  STDMETHOD(PreparePlay)(LONG frequency, LONG length) = 0;
  // Plays a copy of the rendered buffer; finished (may be null) is signalled at the end.
  STDMETHOD(Play)(HANDLE finished) = 0;
  STDMETHOD(Stop)() = 0;
};

class INote1 : public IUnknown {
 public:
  STDMETHOD(GetPitch)(SHORT* out) = 0;
  STDMETHOD(SetPitch)(SHORT value) = 0;
  STDMETHOD(GetDuration)(SHORT* out) = 0;
  STDMETHOD(SetDuration)(SHORT value) = 0;
  STDMETHOD(GetFlags)(SHORT* out) = 0;
  STDMETHOD(SetFlags)(SHORT value) = 0;
  STDMETHOD(Lengthen)() = 0;
  STDMETHOD(Shorten)() = 0;
  STDMETHOD(PitchUp)() = 0;
  STDMETHOD(PitchDown)() = 0;
  STDMETHOD(Select)() = 0;
  STDMETHOD(Deselect)() = 0;
  STDMETHOD(Draw)(HDC dc, HIMAGELIST notes, HIMAGELIST selectedNotes, const COLORREF* colours, const POINT* anchor,
                  LONG scale) = 0;
  STDMETHOD(PrepareSound)(ISample1* sample) = 0;
  STDMETHOD(Play)(HANDLE started, HANDLE finished, ISample1* sample) = 0;
  STDMETHOD(Stop)() = 0;
};

class IMelody : public IUnknown {
 public:
  STDMETHOD(GetName)(BSTR* out) = 0;
  STDMETHOD(SetName)(BSTR name) = 0;
  STDMETHOD(InsertNote)() = 0;
  STDMETHOD(InsertNoteValues)(SHORT pitch, SHORT duration, SHORT flags) = 0;
  STDMETHOD(InsertRest)() = 0;
  STDMETHOD(DeleteCurrent)() = 0;
  STDMETHOD(DeleteLast)() = 0;
  STDMETHOD(Draw)(HDC dc, HIMAGELIST staff, HIMAGELIST notes, HIMAGELIST selectedNotes, const COLORREF* colours,
                  const RECT* clip, HFONT font, LONG scale) = 0;
  STDMETHOD(GetCount)(LONG* out) = 0;
  STDMETHOD(GetNotePosition)(LONG index, LONG scale, LONG top, POINT* out) = 0;
  STDMETHOD(GetCurrent)(LONG* out) = 0;
  STDMETHOD(SetCurrent)(LONG index) = 0;
  STDMETHOD(GetCurrentDuration)(SHORT* out) = 0;
  STDMETHOD(GetCurrentPitch)(SHORT* out) = 0;
  STDMETHOD(GetCurrentFlags)(SHORT* out) = 0;
  STDMETHOD(CurrentPitchUp)(SHORT* before, SHORT* after) = 0;
  STDMETHOD(CurrentPitchDown)(SHORT* before, SHORT* after) = 0;
  STDMETHOD(CurrentLengthen)(SHORT* durationBefore, SHORT* durationAfter, SHORT* flagsBefore, SHORT* flagsAfter) = 0;
  STDMETHOD(CurrentShorten)(SHORT* durationBefore, SHORT* durationAfter, SHORT* flagsBefore, SHORT* flagsAfter) = 0;
  STDMETHOD(SelectAt)(LONG x, LONG y, LONG scale, LONG top) = 0;
  // Posts message (index of the sounding note, 0) to window as playback moves on.
  STDMETHOD(Play)(SHORT blockOnly, ISample1* sample, HWND window, UINT message) = 0;
  STDMETHOD(Stop)() = 0;
  STDMETHOD(IsPlaying)(SHORT* out) = 0;
  STDMETHOD(Clear)() = 0;
  STDMETHOD(GetNoteSize)(LONG scale, LONG reserved, LONG* width, LONG* height) = 0;
};

class IChannel : public IUnknown {
 public:
  STDMETHOD(GetChannel)(LONG* out) = 0;
  STDMETHOD(SetChannel)(LONG value) = 0;
};

class IBlock : public IUnknown {
 public:
  STDMETHOD(GetStart)(LONG* out) = 0;
  STDMETHOD(SetStart)(LONG value) = 0;
  STDMETHOD(GetEnd)(LONG* out) = 0;
  STDMETHOD(SetEnd)(LONG value) = 0;
  STDMETHOD(DeleteBlock)() = 0;
  STDMETHOD(KeepBlock)() = 0;
  STDMETHOD(ResetBlock)() = 0;
};

constexpr CLSID CLSID_Sample = {0x80D24F4C, 0x5A89, 0x4C2F, {0x95, 0xB6, 0xF3, 0x72, 0x16, 0xA5, 0x35, 0xF7}};
constexpr CLSID CLSID_Note = {0xE488059C, 0x36BC, 0x4E04, {0x8D, 0x3B, 0x71, 0xD0, 0xAD, 0x95, 0xE4, 0x16}};
constexpr CLSID CLSID_Melody = {0x8A8604C9, 0x9DFB, 0x49DC, {0xB4, 0x05, 0x10, 0x11, 0xC2, 0x98, 0xD2, 0xF1}};

constexpr IID IID_ISample1 = {0x9E35FE10, 0x9EE5, 0x45A6, {0xAE, 0x5C, 0xA5, 0x7C, 0x04, 0x43, 0xC5, 0x03}};
constexpr IID IID_INote1 = {0xCE561A7F, 0xBE19, 0x4DCF, {0x8C, 0xBD, 0xBC, 0x06, 0x36, 0x98, 0x51, 0xDF}};
constexpr IID IID_IMelody = {0x5C5ED4BD, 0x8D14, 0x414F, {0xA7, 0x7C, 0x4B, 0x4F, 0x01, 0xF2, 0x4B, 0x4C}};
constexpr IID IID_IChannel = {0xFBABC1E7, 0x3D27, 0x4DCB, {0xB9, 0xBA, 0xB9, 0xA6, 0xD6, 0xF2, 0x30, 0x43}};
constexpr IID IID_IBlock = {0x1DD5CC4F, 0x9D9D, 0x4A64, {0x9F, 0x8D, 0xE9, 0x57, 0xC9, 0x06, 0x41, 0x69}};

// The module's file name in the program folder.
constexpr const char* SONVOX_MODULE = "libsonvox.so";
