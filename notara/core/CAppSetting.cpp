#include "CAppSetting.h"

#include <cmath>
#include <cstring>

#include "platform/Registry.h"

namespace {

constexpr ULONG kDefaultZoom = 100;
constexpr double kDefaultZoomFactor = 1.2;

// Reads a value of exactly size bytes; false when it is missing, of another
// size or unreadable.
bool ReadExact(HKEY key, const char* name, void* data, DWORD size) {
  DWORD type = 0;
  DWORD got = size;
  if (RegQueryValueEx(key, name, nullptr, &type, static_cast<BYTE*>(data), &got) != ERROR_SUCCESS) return false;
  return got == size;
}

bool WriteDword(HKEY key, const char* name, DWORD value) {
  return RegSetValueEx(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) == ERROR_SUCCESS;
}

bool WriteBinary(HKEY key, const char* name, const void* data, DWORD size) {
  return RegSetValueEx(key, name, 0, REG_BINARY, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

class KeyHandle {
 public:
  KeyHandle() = default;
  ~KeyHandle() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  KeyHandle(const KeyHandle&) = delete;
  KeyHandle& operator=(const KeyHandle&) = delete;
  HKEY* Out() { return &key_; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

LogFontA CAppSetting::DefaultNameFont() {
  LogFontA font{};
  font.height = -35;
  font.weight = 400;
  font.charSet = 204;
  font.quality = 2;
  font.pitchAndFamily = 18;
  std::strcpy(font.faceName, "Arial");
  return font;
}

Colours CAppSetting::DefaultColours() {
  return {RGB(255, 0, 0), RGB(0, 0, 0), RGB(255, 0, 0), RGB(0, 255, 0), RGB(200, 200, 200)};
}

WindowPlacement CAppSetting::DefaultPlacement() {
  return {10, 10, 630, 465, 0, 0};
}

CAppSetting::CAppSetting()
    : zoom_(kDefaultZoom),
      zoomFactor_(kDefaultZoomFactor),
      soundOnEdit_(1),
      placement_(DefaultPlacement()),
      nameFont_(DefaultNameFont()),
      colours_(DefaultColours()) {}

void CAppSetting::Load() {
  CAppSetting defaults;
  ULONG zoom = defaults.zoom_;
  double factor = defaults.zoomFactor_;
  LONG sound = defaults.soundOnEdit_;
  WindowPlacement placement = defaults.placement_;
  LogFontA font = defaults.nameFont_;
  Colours colours = defaults.colours_;

  KeyHandle key;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, kKeyPath, 0, KEY_READ, key.Out()) == ERROR_SUCCESS) {
    DWORD value = 0;
    if (ReadExact(key.Get(), "Scale", &value, sizeof(value)) && value >= kMinZoom && value <= kMaxZoom) zoom = value;
    if (ReadExact(key.Get(), "KZoom", &value, sizeof(value))) {
      const double read = static_cast<LONG>(value) / 100.0;
      if (read >= kMinZoomFactor && read <= kMaxZoomFactor) factor = read;
    }
    if (ReadExact(key.Get(), "IsPlayEdit", &value, sizeof(value))) sound = value != 0 ? 1 : 0;

    WindowPlacement readPlacement{};
    if (ReadExact(key.Get(), "PlWin", &readPlacement, sizeof(readPlacement)) &&
        readPlacement.right > readPlacement.left && readPlacement.bottom > readPlacement.top) {
      placement = readPlacement;
    }

    LogFontA readFont{};
    if (ReadExact(key.Get(), "NmMlFont", &readFont, sizeof(readFont)) && readFont.height != 0 &&
        readFont.height >= -CAppSetting::kMaxFontHeight && readFont.height <= CAppSetting::kMaxFontHeight) {
      readFont.faceName[sizeof(readFont.faceName) - 1] = '\0';
      font = readFont;
    }

    Colours readColours{};
    if (ReadExact(key.Get(), "Colors", readColours.data(), sizeof(readColours))) {
      for (COLORREF& c : readColours) c &= 0x00FFFFFF;
      colours = readColours;
    }
  }

  auto lock = Lock();
  zoom_ = zoom;
  zoomFactor_ = factor;
  soundOnEdit_ = sound;
  placement_ = placement;
  nameFont_ = font;
  colours_ = colours;
}

bool CAppSetting::Save() const {
  ULONG zoom;
  double factor;
  LONG sound;
  WindowPlacement placement;
  LogFontA font;
  Colours colours;
  {
    auto lock = Lock();
    zoom = zoom_;
    factor = zoomFactor_;
    sound = soundOnEdit_;
    placement = placement_;
    font = nameFont_;
    colours = colours_;
  }

  KeyHandle key;
  DWORD disposition = 0;
  if (RegCreateKeyEx(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, key.Out(),
                     &disposition) != ERROR_SUCCESS) {
    return false;
  }
  bool ok = true;
  ok &= WriteDword(key.Get(), "Scale", zoom);
  // Stored in hundredths, rounded: 1.15 * 100 is 114.999... in binary, and
  // cutting it would lose a hundredth at every restart.
  ok &= WriteDword(key.Get(), "KZoom", static_cast<DWORD>(std::lround(factor * 100.0)));
  ok &= WriteDword(key.Get(), "IsPlayEdit", static_cast<DWORD>(sound));
  ok &= WriteBinary(key.Get(), "PlWin", &placement, sizeof(placement));
  ok &= WriteBinary(key.Get(), "NmMlFont", &font, sizeof(font));
  ok &= WriteBinary(key.Get(), "Colors", colours.data(), sizeof(colours));
  return ok;
}

ULONG CAppSetting::Zoom() const {
  auto lock = Lock();
  return zoom_;
}

void CAppSetting::SetZoom(ULONG zoom) {
  auto lock = Lock();
  zoom_ = zoom;
}

double CAppSetting::ZoomFactor() const {
  auto lock = Lock();
  return zoomFactor_;
}

void CAppSetting::SetZoomFactor(double factor) {
  auto lock = Lock();
  zoomFactor_ = factor;
}

bool CAppSetting::SoundOnEdit() const {
  auto lock = Lock();
  return soundOnEdit_ != 0;
}

void CAppSetting::SetSoundOnEdit(bool on) {
  auto lock = Lock();
  soundOnEdit_ = on ? 1 : 0;
}

WindowPlacement CAppSetting::Placement() const {
  auto lock = Lock();
  return placement_;
}

void CAppSetting::SetPlacement(const WindowPlacement& placement) {
  auto lock = Lock();
  placement_ = placement;
}

LogFontA CAppSetting::NameFont() const {
  auto lock = Lock();
  return nameFont_;
}

void CAppSetting::SetNameFont(const LogFontA& font) {
  auto lock = Lock();
  nameFont_ = font;
  nameFont_.faceName[sizeof(nameFont_.faceName) - 1] = '\0';
}

Colours CAppSetting::GetColours() const {
  auto lock = Lock();
  return colours_;
}

void CAppSetting::SetColours(const Colours& colours) {
  auto lock = Lock();
  colours_ = colours;
}
