// The wave-output calls: handle checking and the choice of the PCM; the
// playing itself is WaveOutDevice's.
#include "platform/WaveOut.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "WaveOutAlsaPcm.h"
#include "WaveOutDevice.h"
#include "platform/Registry.h"

namespace {

constexpr const char* kSettingsKey = "Software\\N&V\\Sonvox";
constexpr const char* kDeviceValue = "AudioDevice";
constexpr const char* kDefaultPcm = "default";

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

// The PCM named by the registry; "default" when the value is absent, empty
// or not a string.
std::string ConfiguredPcm() {
  RegKey key;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, key.out()) != ERROR_SUCCESS) {
    return kDefaultPcm;
  }
  std::vector<BYTE> data(256);
  for (int attempt = 0; attempt < 2; ++attempt) {
    DWORD type = REG_NONE;
    DWORD size = static_cast<DWORD>(data.size());
    const LONG rc = RegQueryValueEx(key.get(), kDeviceValue, nullptr, &type, data.data(), &size);
    if (rc == static_cast<LONG>(ERROR_MORE_DATA) && attempt == 0) {
      data.resize(size);
      continue;
    }
    if (rc != ERROR_SUCCESS || type != REG_SZ) return kDefaultPcm;
    const char* text = reinterpret_cast<const char*>(data.data());
    const std::string name(text, strnlen(text, std::min<size_t>(size, data.size())));
    return name.empty() ? kDefaultPcm : name;
  }
  return kDefaultPcm;
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

// Open devices by handle. Calls hold a reference, so a device closed by one
// thread stays alive for a call in progress on another.
class DeviceTable {
 public:
  std::shared_ptr<WaveOutDevice> Find(HWAVEOUT handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = devices_.find(handle);
    return it == devices_.end() ? nullptr : it->second;
  }
  void Add(HWAVEOUT handle, std::shared_ptr<WaveOutDevice> device) {
    std::lock_guard<std::mutex> lock(mutex_);
    devices_[handle] = std::move(device);
  }
  // Takes the device out unless it still has queued headers.
  MMRESULT Remove(HWAVEOUT handle, std::shared_ptr<WaveOutDevice>* removed) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = devices_.find(handle);
    if (it == devices_.end()) return MMSYSERR_INVALHANDLE;
    if (it->second->HasQueued()) return WAVERR_STILLPLAYING;
    *removed = std::move(it->second);
    devices_.erase(it);
    return MMSYSERR_NOERROR;
  }

 private:
  std::mutex mutex_;
  std::unordered_map<HWAVEOUT, std::shared_ptr<WaveOutDevice>> devices_;
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
    return WaveOutAlsaPcm::CanOpen(ConfiguredPcm()) ? 1 : 0;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

MMRESULT waveOutGetDevCaps(UINT_PTR device, WAVEOUTCAPS* caps, UINT size) {
  if (!IsOurDevice(device)) return MMSYSERR_BADDEVICEID;
  if (!caps) return MMSYSERR_INVALPARAM;
  try {
    const std::string name = ConfiguredPcm();
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
    bool badFormat = false;
    std::unique_ptr<WaveOutAlsaPcm> pcm = WaveOutAlsaPcm::Open(
        ConfiguredPcm(), format->nChannels, format->wBitsPerSample, format->nSamplesPerSec, &badFormat);
    if (!pcm) return badFormat ? WAVERR_BADFORMAT : MMSYSERR_NODRIVER;
    if (query) return MMSYSERR_NOERROR;
    auto opened =
        std::make_shared<WaveOutDevice>(std::move(pcm), *format, WaveOutDevice::Callback{kind, callback, instance});
    const HWAVEOUT handle = reinterpret_cast<HWAVEOUT>(opened.get());
    Devices().Add(handle, opened);
    *out = handle;
    const MMRESULT started = opened->Start(handle);
    if (started != MMSYSERR_NOERROR) {
      std::shared_ptr<WaveOutDevice> removed;
      Devices().Remove(handle, &removed);
      *out = nullptr;
    }
    return started;
  } catch (const std::bad_alloc&) {
    return MMSYSERR_NOMEM;
  }
}

MMRESULT waveOutClose(HWAVEOUT device) {
  std::shared_ptr<WaveOutDevice> removed;
  const MMRESULT rc = Devices().Remove(device, &removed);
  if (rc == MMSYSERR_NOERROR) removed->Close();
  return rc;
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

}  // extern "C"
