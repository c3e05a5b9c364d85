// Error descriptions of component methods, installed as the calling thread's
// error information.
#pragma once

namespace nv {

// The refusal of a method called while its object's playback runs.
inline constexpr char kBusyText[] = "Объект занят\n";

// Installs text (UTF-8, including its final line feed) as the description of
// a new error-information object for the calling thread; no source, GUID or
// help entry. Installs nothing when the object cannot be created.
void SetErrorText(const char* text);

}  // namespace nv
