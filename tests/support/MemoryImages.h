// Device memory images built from melodies by the documented layouts, to
// compare against what the procedures write and to feed what they read.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "BellImages.h"
#include "CComObject.h"
#include "CMelody.h"
#include "platform/ComPtr.h"
#include "MelodyNotes.h"
#include "Progress.h"

namespace chimoxtest {

using chimox::NoteValues;

// A melody object of the melody server holding the given notes.
inline nv::ComPtr<IMelody> MakeMelody(const std::vector<NoteValues>& notes = {}) {
  nv::ComPtr<IMelody> melody;
  EXPECT_EQ(nv::CComObject<nv::CMelody>::CreateInstance(IID_IMelody, melody.putVoid()), S_OK);
  for (const NoteValues& n : notes) EXPECT_EQ(melody->InsertNoteValues(n.pitch, n.duration, n.flags), S_OK);
  return melody;
}

inline std::vector<NoteValues> NotesOf(IMelody* melody) {
  std::vector<NoteValues> notes;
  EXPECT_TRUE(chimox::ReadMelodyNotes(melody, &notes));
  return notes;
}

// n notes of rising pitch with the given flags.
inline std::vector<NoteValues> Notes(int n, SHORT flags = 0, SHORT firstPitch = 1) {
  std::vector<NoteValues> notes;
  for (int i = 0; i < n; ++i) {
    notes.push_back({static_cast<SHORT>((firstPitch + i) % 32), static_cast<SHORT>(i % 5), flags});
  }
  return notes;
}

// A reference count seen from outside: the count after one more AddRef.
inline ULONG References(IUnknown* object) {
  const ULONG count = object->AddRef() - 1;
  object->Release();
  return count;
}

using Melodies = std::vector<std::vector<NoteValues>>;

// Version 2.0: block 0 then block 1. The flag nibbles of the terminators are 0.
inline std::vector<BYTE> Image20(const Melodies& melodies, BYTE currentByte = 16, BYTE modeByte = 0,
                                 BYTE header = 0x5A) {
  std::vector<BYTE> image(512, 0xFF);
  BYTE* block1 = &image[256];
  block1[0] = currentByte;
  block1[1] = modeByte;
  block1[2] = header;
  size_t at = 0;
  for (size_t m = 0; m < melodies.size(); ++m) {
    block1[0x10 + m] = static_cast<BYTE>(at);
    for (size_t i = 0; i <= melodies[m].size(); ++i, ++at) {
      const bool end = i == melodies[m].size();
      image[at] = end ? 7 : static_cast<BYTE>(melodies[m][i].pitch * 8 + melodies[m][i].duration);
      const BYTE flags = end ? 0 : static_cast<BYTE>(melodies[m][i].flags & 0x0F);
      BYTE& nibbles = block1[0x80 + at / 2];
      if (at % 2 == 0)
        nibbles = static_cast<BYTE>(flags << 4);
      else
        nibbles = static_cast<BYTE>((nibbles & 0xF0) | flags);
    }
  }
  block1[0x10 + melodies.size()] = 0xFF;
  return image;
}

// Version 2.9 of the given size (see BellImages.h).
inline std::vector<BYTE> Image29(size_t size, const Melodies& melodies, int current = 1, BYTE modeByte = 0,
                                 int countShown = -1, BYTE header = 0x3C) {
  return nvtest::Image29(size, melodies, current, modeByte, countShown, header);
}

// Records the progress points and cancels at one of them.
class ProgressLog final : public chimox::Progress {
 public:
  explicit ProgressLog(int cancelAt = -1) : cancelAt_(cancelAt) {}
  bool Reached(int percent) override {
    points.push_back(percent);
    return percent != cancelAt_;
  }
  std::vector<int> points;

 private:
  int cancelAt_;
};

}  // namespace chimoxtest
