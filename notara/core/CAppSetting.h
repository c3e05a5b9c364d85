// The editor's settings: zoom, zoom factor, sound on edit, the main window's
// placement, the melody-name font and the five colours. One instance is
// shared by the user-interface code paths; every access copies a value in or
// out under the object's lock. They live in the registry under
// HKEY_CURRENT_USER\Software\N&V\Melodies Editor v2.9\Setting.
#pragma once

#include <array>

#include "common/CProtectDataU.h"
#include "platform/Types.h"

// The single-byte logical-font record kept as "NmMlFont" (60 bytes).
struct LogFontA {
  LONG height;
  LONG width;
  LONG escapement;
  LONG orientation;
  LONG weight;
  BYTE italic;
  BYTE underline;
  BYTE strikeOut;
  BYTE charSet;
  BYTE outPrecision;
  BYTE clipPrecision;
  BYTE quality;
  BYTE pitchAndFamily;
  CHAR faceName[32];  // Windows-1251, NUL-terminated
};
static_assert(sizeof(LogFontA) == 60, "the stored font record is 60 bytes");

// The restored main window's rectangle and its minimized and maximized flags
// ("PlWin", six 32-bit integers).
struct WindowPlacement {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
  LONG minimized;
  LONG maximized;

  bool operator==(const WindowPlacement&) const = default;
};
static_assert(sizeof(WindowPlacement) == 24, "the stored placement is 24 bytes");

// Colour roles, in stored order.
enum ColourIndex { kNameColour = 0, kStaffColour, kNoteColour, kSelectedColour, kBackgroundColour, kColourCount };
using Colours = std::array<COLORREF, kColourCount>;

class CAppSetting : public CProtectDataU {
 public:
  static constexpr const char* kKeyPath = "Software\\N&V\\Melodies Editor v2.9\\Setting";
  static constexpr ULONG kMinZoom = 30;
  static constexpr ULONG kMaxZoom = 200;
  static constexpr double kMinZoomFactor = 1.0;
  static constexpr double kMaxZoomFactor = 2.0;
  // The tallest name font, in pixels at zoom 100, that the view will scale.
  static constexpr LONG kMaxFontHeight = 300;

  static LogFontA DefaultNameFont();
  static Colours DefaultColours();
  static WindowPlacement DefaultPlacement();

  CAppSetting();

  // Reads every value from the registry; a value that is missing, of another
  // size or out of its range takes its default (a zoom outside 30 to 200, a
  // factor outside 1 to 2 or a font height no screen can show would break
  // the drawing). A missing key gives all defaults.
  void Load();
  // Writes the six values, creating the key. A value that cannot be written
  // does not stop the others; false when any failed.
  bool Save() const;

  ULONG Zoom() const;
  void SetZoom(ULONG zoom);
  double ZoomFactor() const;
  void SetZoomFactor(double factor);
  bool SoundOnEdit() const;
  void SetSoundOnEdit(bool on);
  WindowPlacement Placement() const;
  void SetPlacement(const WindowPlacement& placement);
  LogFontA NameFont() const;
  void SetNameFont(const LogFontA& font);
  Colours GetColours() const;
  void SetColours(const Colours& colours);

 private:
  ULONG zoom_;
  double zoomFactor_;
  LONG soundOnEdit_;
  WindowPlacement placement_;
  LogFontA nameFont_;
  Colours colours_;
};
