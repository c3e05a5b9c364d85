#include "common/MelodyValues.h"

#include "common/CStringU.h"
#include "platform/Kernel.h"

namespace {

// Enough for any real interleaving with a playback thread, which moves the
// current note once per note it sounds.
constexpr int kReadAttempts = 1000;

}  // namespace

HRESULT MelodyValues::ReadName(IMelody* melody, std::u16string& name) {
  if (!melody) return E_POINTER;
  BSTR text = nullptr;
  HRESULT hr = melody->GetName(&text);
  if (FAILED(hr)) return hr;
  UINT length = text ? SysStringLen(text) : 0;
  name = length <= CStringU::kMaxLength ? std::u16string(text ? text : u"", length) : std::u16string();
  if (size_t nul = name.find(u'\0'); nul != std::u16string::npos) name.resize(nul);
  SysFreeString(text);
  return S_OK;
}

HRESULT MelodyValues::WriteName(IMelody* melody, std::u16string_view name) {
  if (!melody) return E_POINTER;
  BSTR text = SysAllocStringLen(name.data(), static_cast<UINT>(name.size()));
  if (!text) return E_OUTOFMEMORY;
  HRESULT hr = melody->SetName(text);
  SysFreeString(text);
  return hr;
}

HRESULT MelodyValues::Read(IMelody* melody, MelodyData& data) {
  HRESULT hr = ReadName(melody, data.name);
  if (FAILED(hr)) return hr;
  LONG count = 0;
  LONG remembered = -1;
  if (FAILED(hr = melody->GetCount(&count)) || FAILED(hr = melody->GetCurrent(&remembered))) return hr;
  data.notes.clear();
  data.notes.reserve(count > 0 ? static_cast<size_t>(count) : 0);
  for (LONG i = 0; i < count && SUCCEEDED(hr); ++i) {
    hr = E_FAIL;
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
      SHORT pitch = 0, duration = 0, flags = 0;
      LONG current = -1;
      HRESULT step;
      if (FAILED(step = melody->SetCurrent(i)) || FAILED(step = melody->GetCurrentPitch(&pitch)) ||
          FAILED(step = melody->GetCurrentDuration(&duration)) || FAILED(step = melody->GetCurrentFlags(&flags)) ||
          FAILED(step = melody->GetCurrent(&current))) {
        hr = step;
        break;
      }
      if (current == i) {
        data.notes.push_back({static_cast<BYTE>(pitch), static_cast<BYTE>(duration), static_cast<BYTE>(flags)});
        hr = S_OK;
        break;
      }
    }
  }
  melody->SetCurrent(remembered);
  return hr;
}

HRESULT MelodyValues::AppendNotes(IMelody* melody, const std::vector<NoteValues>& notes) {
  if (!melody) return E_POINTER;
  for (const NoteValues& n : notes) {
    HRESULT hr = melody->InsertNoteValues(n.pitch, n.duration, n.flags);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

bool MelodyValues::IsPlaying(IMelody* melody) {
  SHORT playing = 0;
  return melody != nullptr && SUCCEEDED(melody->IsPlaying(&playing)) && playing != 0;
}

bool MelodyValues::StopAndWait(IMelody* melody, DWORD limitMs) {
  if (!IsPlaying(melody)) return true;
  melody->Stop();
  const DWORD start = GetTickCount();
  // Unsigned difference: right across the counter's wrap.
  while (IsPlaying(melody)) {
    if (GetTickCount() - start >= limitMs) return false;
    Sleep(50);
  }
  return true;
}
