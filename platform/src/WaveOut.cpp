// The wave-output calls: handle checking and the choice of the PCM; the
// playing itself is WaveOutDevice's, and the streams of closed handles wait
// in WaveOutStreamPool for the next open of the same PCM.
#include "platform/WaveOut.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "WaveOutAlsaPcm.h"
#include "WaveOutDevice.h"
#include "WaveOutStreamPool.h"
#include "platform/Registry.h"

namespace {

constexpr const char* kSettingsKey = "Software\\N&V\\Sonvox";
constexpr const char* kDeviceValue = "AudioDevice";
constexpr const char* kDefaultPcm = "default";
// Where sound goes when nothing is configured and the default PCM cannot be
// opened: it swallows the frames in real time, so playback keeps its timing.
constexpr const char* kSilentPcm = "null";

std::atomic<bool> silentFallbackUsed{false};

class RegKey {
 public:
  RegKey() = default;
  ~RegKey() {
    if (key_) RegCloseKey(key_);
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  HKEY* out() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// The PCM named by the registry; empty when the value is absent, empty or
// not a string.
std::string ConfiguredPcm() {
  RegKey key;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, key.out()) != ERROR_SUCCESS) return {};
  std::vector<BYTE> data(256);
  for (int attempt = 0; attempt < 2; ++attempt) {
    DWORD type = REG_NONE;
    DWORD size = static_cast<DWORD>(data.size());
    const LONG rc = RegQueryValueEx(key.get(), kDeviceValue, nullptr, &type, data.data(), &size);
    if (rc == static_cast<LONG>(ERROR_MORE_DATA) && attempt == 0) {
      data.resize(size);
      continue;
    }
    if (rc != ERROR_SUCCESS || type != REG_SZ) return {};
    const char* text = reinterpret_cast<const char*>(data.data());
    return std::string(text, strnlen(text, std::min<size_t>(size, data.size())));
  }
  return {};
}

// The PCM to play on: the configured one, else "default", else (when even
// that cannot be opened) the silent one, which is then remembered as used.
// An explicitly configured PCM that cannot be opened is kept, so that its
// absence is reported.
std::string ChosenPcm() {
  const std::string configured = ConfiguredPcm();
  if (!configured.empty()) return configured;
  if (WaveOutAlsaPcm::CanOpen(kDefaultPcm)) return kDefaultPcm;
  silentFallbackUsed = true;
  return kSilentPcm;
}

std::string StreamKey(const std::string& pcm, const WAVEFORMATEX& f) {
  return pcm + '/' + std::to_string(f.nChannels) + '/' + std::to_string(f.wBitsPerSample) + '/' +
         std::to_string(f.nSamplesPerSec);
}

bool IsOurDevice(UINT_PTR device) {
  return device == 0 || device == WAVE_MAPPER || device == static_cast<UINT_PTR>(-1);
}

bool IsSupportedFormat(const WAVEFORMATEX& f) {
  if (f.wFormatTag != WAVE_FORMAT_PCM) return false;
  if (f.nChannels < 1 || f.nChannels > 2) return false;
  if (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) return false;
  if (f.nSamplesPerSec < 1000 || f.nSamplesPerSec > 192000) return false;
  if (f.nBlockAlign != f.nChannels * f.wBitsPerSample / 8) return false;
  return f.nAvgBytesPerSec == f.nSamplesPerSec * f.nBlockAlign;
}

// Open handles. Handles are numbers that are never reused, so a closed
// handle stays invalid even when its stream serves a newer one. Calls hold a
// reference, so a stream closed by one thread stays alive for a call in
// progress on another.
class DeviceTable {
 public:
  struct Open {
    std::shared_ptr<WaveOutDevice> stream;
    std::string key;
  };

  HWAVEOUT NewHandle() { return reinterpret_cast<HWAVEOUT>(next_.fetch_add(1)); }
  std::shared_ptr<WaveOutDevice> Find(HWAVEOUT handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = devices_.find(handle);
    return it == devices_.end() ? nullptr : it->second.stream;
  }
  void Add(HWAVEOUT handle, Open open) {
    std::lock_guard<std::mutex> lock(mutex_);
    devices_[handle] = std::move(open);
  }
  // Takes the handle out unless its stream still has queued headers.
  MMRESULT Remove(HWAVEOUT handle, Open* removed) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = devices_.find(handle);
    if (it == devices_.end()) return MMSYSERR_INVALHANDLE;
    if (it->second.stream->HasQueued()) return WAVERR_STILLPLAYING;
    *removed = std::move(it->second);
    devices_.erase(it);
    return MMSYSERR_NOERROR;
  }

 private:
  std::mutex mutex_;
  std::unordered_map<HWAVEOUT, Open> devices_;
  std::atomic<uintptr_t> next_{0x1000};
};

DeviceTable& Devices() {
  static DeviceTable table;
  return table;
}

bool IsValidHeader(const WAVEHDR* header, UINT size) {
  return header && size >= sizeof(WAVEHDR) && header->lpData;
}

}  // namespace

extern "C" {

UINT waveOutGetNumDevs() {
  try {
    return WaveOutAlsaPcm::CanOpen(ChosenPcm()) ? 1 : 0;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

MMRESULT waveOutGetDevCaps(UINT_PTR device, WAVEOUTCAPS* caps, UINT size) {
  if (!IsOurDevice(device)) return MMSYSERR_BADDEVICEID;
  if (!caps) return MMSYSERR_INVALPARAM;
  try {
    const std::string name = ChosenPcm();
    if (!WaveOutAlsaPcm::CanOpen(name)) return MMSYSERR_NODRIVER;
    WAVEOUTCAPS filled{};
    std::strncpy(filled.szPname, name.c_str(), sizeof(filled.szPname) - 1);
    filled.dwFormats = WAVE_FORMAT_1M08 | WAVE_FORMAT_1S08 | WAVE_FORMAT_1M16 | WAVE_FORMAT_1S16 | WAVE_FORMAT_2M08 |
                       WAVE_FORMAT_2S08 | WAVE_FORMAT_2M16 | WAVE_FORMAT_2S16 | WAVE_FORMAT_4M08 | WAVE_FORMAT_4S08 |
                       WAVE_FORMAT_4M16 | WAVE_FORMAT_4S16;
    filled.wChannels = 2;
    std::memcpy(caps, &filled, std::min<size_t>(size, sizeof(filled)));
    return MMSYSERR_NOERROR;
  } catch (const std::bad_alloc&) {
    return MMSYSERR_NOMEM;
  }
}

MMRESULT waveOutOpen(HWAVEOUT* out, UINT device, const WAVEFORMATEX* format, DWORD_PTR callback, DWORD_PTR instance,
                     DWORD flags) {
  const bool query = flags & WAVE_FORMAT_QUERY;
  if (out && !query) *out = nullptr;
  if (!format || (!out && !query)) return MMSYSERR_INVALPARAM;
  if (!IsOurDevice(device)) return MMSYSERR_BADDEVICEID;
  const DWORD kind = flags & CALLBACK_TYPEMASK;
  if (kind != CALLBACK_NULL && kind != CALLBACK_EVENT && kind != CALLBACK_FUNCTION) return MMSYSERR_INVALFLAG;
  if (kind != CALLBACK_NULL && !callback) return MMSYSERR_INVALFLAG;
  if (!IsSupportedFormat(*format)) return WAVERR_BADFORMAT;
  try {
    // Opened straight away rather than probed first: on a sound server a
    // probe's open and close cost more than the note's start may wait.
    const std::string configured = ConfiguredPcm();
    const WaveOutDevice::Callback notify{kind, callback, instance};
    const HWAVEOUT handle = Devices().NewHandle();
    std::string pcmName = configured.empty() ? kDefaultPcm : configured;
    for (int attempt = 0; attempt < 2; ++attempt) {
      const std::string key = StreamKey(pcmName, *format);
      if (!query) {
        if (std::shared_ptr<WaveOutDevice> kept = WaveOutStreamPool::Instance().Take(key, handle, notify)) {
          Devices().Add(handle, DeviceTable::Open{std::move(kept), key});
          *out = handle;
          return MMSYSERR_NOERROR;
        }
      }
      bool badFormat = false;
      std::unique_ptr<WaveOutAlsaPcm> pcm =
          WaveOutAlsaPcm::Open(pcmName, format->nChannels, format->wBitsPerSample, format->nSamplesPerSec, &badFormat);
      if (!pcm) {
        if (badFormat) return WAVERR_BADFORMAT;
        // Nothing configured and no default device: silence in real time.
        if (!configured.empty() || pcmName == kSilentPcm) return MMSYSERR_NODRIVER;
        silentFallbackUsed = true;
        pcmName = kSilentPcm;
        continue;
      }
      if (query) return MMSYSERR_NOERROR;
      auto opened = std::make_shared<WaveOutDevice>(std::move(pcm), *format);
      const MMRESULT started = opened->Start();
      if (started != MMSYSERR_NOERROR) return started;
      Devices().Add(handle, DeviceTable::Open{opened, key});
      *out = handle;
      opened->Attach(handle, notify);
      return MMSYSERR_NOERROR;
    }
    return MMSYSERR_NODRIVER;
  } catch (const std::bad_alloc&) {
    return MMSYSERR_NOMEM;
  }
}

MMRESULT waveOutClose(HWAVEOUT device) {
  DeviceTable::Open removed;
  const MMRESULT rc = Devices().Remove(device, &removed);
  if (rc != MMSYSERR_NOERROR) return rc;
  try {
    WaveOutStreamPool::Instance().Keep(removed.key, removed.stream);
  } catch (const std::bad_alloc&) {
    removed.stream->Close();
  }
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutPrepareHeader(HWAVEOUT device, WAVEHDR* header, UINT size) {
  const std::shared_ptr<WaveOutDevice> found = Devices().Find(device);
  if (!found) return MMSYSERR_INVALHANDLE;
  if (!IsValidHeader(header, size)) return MMSYSERR_INVALPARAM;
  return found->Prepare(header);
}

MMRESULT waveOutUnprepareHeader(HWAVEOUT device, WAVEHDR* header, UINT size) {
  const std::shared_ptr<WaveOutDevice> found = Devices().Find(device);
  if (!found) return MMSYSERR_INVALHANDLE;
  if (!IsValidHeader(header, size)) return MMSYSERR_INVALPARAM;
  return found->Unprepare(header);
}

MMRESULT waveOutWrite(HWAVEOUT device, WAVEHDR* header, UINT size) {
  const std::shared_ptr<WaveOutDevice> found = Devices().Find(device);
  if (!found) return MMSYSERR_INVALHANDLE;
  if (!IsValidHeader(header, size)) return MMSYSERR_INVALPARAM;
  return found->Write(header);
}

MMRESULT waveOutReset(HWAVEOUT device) {
  const std::shared_ptr<WaveOutDevice> found = Devices().Find(device);
  if (!found) return MMSYSERR_INVALHANDLE;
  return found->Reset();
}

void WaveOutReleaseStreams() {
  WaveOutStreamPool::Instance().CloseAll();
}

int WaveOutUsesSilentFallback() {
  return silentFallbackUsed ? 1 : 0;
}

}  // extern "C"
