// Wave audio output: PCM buffers played on the sound device in real time.
//
// There is one output device, the ALSA PCM named by the string value
// "AudioDevice" under HKEY_CURRENT_USER\Software\N&V\Sonvox; WAVE_MAPPER and
// device 0 both mean it. A value such as "null" or
// "file:'/path/capture.raw',raw" plays headless. When the value is absent or
// empty the device is ALSA's "default" PCM, or, if that cannot be opened (no
// sound card, no sound server), the "null" PCM: programs keep working in
// silence and WaveOutUsesSilentFallback tells them so. A configured PCM that
// cannot be opened is reported absent.
//
// The layer keeps real time itself: a buffer is reported done no earlier than
// its nominal duration after it began sounding, even on a PCM that accepts
// data at once, and no earlier than the device's own delay says it has been
// played. Consecutive buffers written while the previous one still sounds
// play without a gap. waveOutReset drops (does not drain) what is queued and
// reports every queued buffer done before it returns.
//
// A closed handle's sound stream stays open for a few seconds after its last
// frame; the next waveOutOpen of the same PCM and format takes it over, and
// a buffer written to it while the previous handle's last one still sounds
// follows that one without a gap. So a sound server is never asked to end a
// stream between two notes, which would cost time and cut what it holds.
//
// Every call returns MMSYSERR_NOERROR or one of the error codes below.
#pragma once

#include "platform/Types.h"

typedef UINT MMRESULT;

struct HWAVEOUT__;
typedef HWAVEOUT__* HWAVEOUT;

constexpr UINT WAVE_MAPPER = 0xFFFFFFFFu;

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT WAVERR_BADFORMAT = 32;
constexpr MMRESULT WAVERR_STILLPLAYING = 33;
constexpr MMRESULT WAVERR_UNPREPARED = 34;

// waveOutOpen flags. The callback kinds are exclusive.
constexpr DWORD CALLBACK_TYPEMASK = 0x00070000;
constexpr DWORD CALLBACK_NULL = 0x00000000;
constexpr DWORD CALLBACK_WINDOW = 0x00010000;  // not supported: MMSYSERR_INVALFLAG
constexpr DWORD CALLBACK_THREAD = 0x00020000;  // not supported: MMSYSERR_INVALFLAG
constexpr DWORD CALLBACK_FUNCTION = 0x00030000;
constexpr DWORD CALLBACK_EVENT = 0x00050000;
constexpr DWORD WAVE_FORMAT_QUERY = 0x0001;
constexpr DWORD WAVE_ALLOWSYNC = 0x0002;

// Callback messages: open, done (dwParam1 is the WAVEHDR*), close.
constexpr UINT WOM_OPEN = 0x3BB;
constexpr UINT WOM_CLOSE = 0x3BC;
constexpr UINT WOM_DONE = 0x3BD;

constexpr WORD WAVE_FORMAT_PCM = 1;

// WAVEHDR.dwFlags.
constexpr DWORD WHDR_DONE = 0x01;
constexpr DWORD WHDR_PREPARED = 0x02;
constexpr DWORD WHDR_BEGINLOOP = 0x04;
constexpr DWORD WHDR_ENDLOOP = 0x08;
constexpr DWORD WHDR_INQUEUE = 0x10;

// WAVEOUTCAPS.dwFormats bits this layer reports (mono and stereo, 8 and 16
// bits, at 11025, 22050 and 44100 samples per second).
constexpr DWORD WAVE_FORMAT_1M08 = 0x00000001;
constexpr DWORD WAVE_FORMAT_1S08 = 0x00000002;
constexpr DWORD WAVE_FORMAT_1M16 = 0x00000004;
constexpr DWORD WAVE_FORMAT_1S16 = 0x00000008;
constexpr DWORD WAVE_FORMAT_2M08 = 0x00000010;
constexpr DWORD WAVE_FORMAT_2S08 = 0x00000020;
constexpr DWORD WAVE_FORMAT_2M16 = 0x00000040;
constexpr DWORD WAVE_FORMAT_2S16 = 0x00000080;
constexpr DWORD WAVE_FORMAT_4M08 = 0x00000100;
constexpr DWORD WAVE_FORMAT_4S08 = 0x00000200;
constexpr DWORD WAVE_FORMAT_4M16 = 0x00000400;
constexpr DWORD WAVE_FORMAT_4S16 = 0x00000800;

// Only PCM with 8 (unsigned) or 16 (signed, little-endian) bits per sample,
// one or two channels; nBlockAlign and nAvgBytesPerSec must agree with them.
struct WAVEFORMATEX {
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
  WORD wBitsPerSample;
  WORD cbSize;
};

// Owned by the caller, who must keep it and its data alive from
// waveOutWrite until it is reported done. Loops are not supported: the
// buffer plays once whatever dwLoops says.
struct WAVEHDR {
  LPSTR lpData;
  DWORD dwBufferLength;
  DWORD dwBytesRecorded;
  DWORD_PTR dwUser;
  DWORD dwFlags;
  DWORD dwLoops;
  WAVEHDR* lpNext;
  DWORD_PTR reserved;
};

struct WAVEOUTCAPS {
  WORD wMid;
  WORD wPid;
  UINT vDriverVersion;
  CHAR szPname[32];  // the PCM name, cut to 31 bytes
  DWORD dwFormats;
  WORD wChannels;
  WORD wReserved1;
  DWORD dwSupport;
};

// CALLBACK_FUNCTION receives (device, message, instance, param1, param2) on
// one of the layer's threads or inside the call that caused the message; it
// must not call waveOut functions for the same device.
typedef void (*LPWAVECALLBACK)(HWAVEOUT device, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR param2);

extern "C" {

// 1 when the configured PCM can be opened for playback right now, else 0.
NVPLATFORM_API UINT waveOutGetNumDevs();
// MMSYSERR_BADDEVICEID for a device other than WAVE_MAPPER or 0,
// MMSYSERR_INVALPARAM for a null caps, MMSYSERR_NODRIVER when the PCM cannot
// be opened for playback (no sound card). Fills at most size bytes of caps.
NVPLATFORM_API MMRESULT waveOutGetDevCaps(UINT_PTR device, WAVEOUTCAPS* caps, UINT size);

// Opens the device for format. callback is an event HANDLE (CALLBACK_EVENT,
// signalled at open, at every buffer done and at close) or an LPWAVECALLBACK
// (CALLBACK_FUNCTION). With WAVE_FORMAT_QUERY only checks the format and
// opens nothing. Errors: MMSYSERR_INVALPARAM (null out or format),
// MMSYSERR_BADDEVICEID, MMSYSERR_INVALFLAG (callback kind not supported, or
// a null callback for an event or function), WAVERR_BADFORMAT,
// MMSYSERR_NODRIVER (the PCM cannot be opened), MMSYSERR_NOMEM.
NVPLATFORM_API MMRESULT waveOutOpen(HWAVEOUT* out, UINT device, const WAVEFORMATEX* format, DWORD_PTR callback,
                                    DWORD_PTR instance, DWORD flags);
// WAVERR_STILLPLAYING while buffers are queued (call waveOutReset first);
// the handle is invalid afterwards. WOM_CLOSE is the last callback.
NVPLATFORM_API MMRESULT waveOutClose(HWAVEOUT device);
// MMSYSERR_INVALPARAM for a null header, a null lpData or size below sizeof(WAVEHDR).
NVPLATFORM_API MMRESULT waveOutPrepareHeader(HWAVEOUT device, WAVEHDR* header, UINT size);
// WAVERR_STILLPLAYING while the header is queued.
NVPLATFORM_API MMRESULT waveOutUnprepareHeader(HWAVEOUT device, WAVEHDR* header, UINT size);
// Queues a prepared header: WAVERR_UNPREPARED if it is not prepared,
// WAVERR_STILLPLAYING if it is already queued.
NVPLATFORM_API MMRESULT waveOutWrite(HWAVEOUT device, WAVEHDR* header, UINT size);
// Stops at once, drops the queued data and marks every queued header done
// (callbacks included) before returning.
NVPLATFORM_API MMRESULT waveOutReset(HWAVEOUT device);

// 1 once the layer has chosen the silent "null" PCM because nothing was
// configured and the default PCM could not be opened; else 0.
NVPLATFORM_API int WaveOutUsesSilentFallback();
// Closes now every stream kept open for closed handles (what they hold is
// dropped), so that a file PCM is complete on disk. Open handles are not
// touched.
NVPLATFORM_API void WaveOutReleaseStreams();

}  // extern "C"
