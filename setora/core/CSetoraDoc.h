// CSetoraDoc: the melody set document. An ordered list of Sonvox melodies,
// each holding one reference, and the sample they are played with. It lives
// on the set editor's document thread, which is the only thread that calls
// it or its melodies.
//
// Operations that can fail return false with errorText set to the message
// the set editor shows as it is; the document shows nothing itself. Sizes
// are counted in note symbols: a melody of N notes and rests takes N + 1
// (its terminator in the doorbell's memory).
#pragma once

#include <string>
#include <vector>

#include "common/CDocumentU.h"
#include "common/MelodyData.h"
#include "common/ObjectFactory.h"
#include "sonvox/Sonvox.h"

class CSetoraDoc : public CDocumentU {
 public:
  static constexpr const char16_t* kNewName = u"Новый набор.sto";

  // Sonvox objects come from factory, the component runtime when empty.
  explicit CSetoraDoc(ObjectFactory factory = {});
  // Releases every melody and the sample.
  ~CSetoraDoc() override;
  CSetoraDoc(const CSetoraDoc&) = delete;
  CSetoraDoc& operator=(const CSetoraDoc&) = delete;

  // Releases every melody; always succeeds.
  bool Clear() override;
  // The .sto image: writing fails (Failed) when a melody cannot be read
  // whole; reading appends each melody as soon as its record begins and
  // stops with Failed when a melody object cannot be made.
  FileStatus Serialize(CFileU& file, bool storing) override;

  // An empty set named name (empty when 256 characters or longer), not
  // modified. False when the sample cannot be made.
  bool New(std::u16string_view name);
  // Loads a .sto file. A file that cannot be opened or is not a set leaves
  // the document as it was; one that fails while its melodies are read
  // leaves the melodies read so far, with the path already taken.
  bool Open(const std::string& path, std::u16string& errorText);
  // Saves to path (when given, it becomes the document's path) or to the
  // document's path; the file is replaced only when written whole.
  bool Save(const std::string* path, std::u16string& errorText);

  // Appends the melody of a .mel file; the list is unchanged on failure.
  bool AddMelodyFile(const std::string& path, std::u16string& errorText);
  // Appends a melody of these values (read from another kind of file); the
  // list is unchanged on failure.
  bool AddMelody(const MelodyData& data, std::u16string& errorText);
  // Writes melody index as a .mel file; modified is not touched.
  bool SaveMelody(LONG index, const std::string& path, std::u16string& errorText);
  // Removing and moving melodies; false (nothing changed) for an index out
  // of range. Moving the first melody up or the last down changes nothing
  // and leaves modified as it was.
  bool Delete(LONG index);
  bool MoveUp(LONG index);
  bool MoveDown(LONG index);

  LONG Count() const { return static_cast<LONG>(melodies_.size()); }
  // Null when index is out of range; the document keeps its reference.
  IMelody* Melody(LONG index) const;
  // Name (empty when longer than 255 characters) and note count of melody
  // index; false when the index is out of range or the melody refuses.
  bool Name(LONG index, std::u16string& name) const;
  bool NoteCount(LONG index, LONG& count) const;

  // The set's size: the number of melodies plus all their note counts.
  LONG SetSize() const;
  // The same over the selected melodies; 0 when none is selected. Indices
  // out of range are not counted.
  LONG BlockSize(const std::vector<LONG>& selected) const;

  // Playback of a whole melody with the document's sample; false for an
  // index out of range or a refused call.
  bool Play(LONG index);
  // stopped is true once the melody no longer plays.
  bool IsStopped(LONG index, bool& stopped) const;
  bool Stop(LONG index);

  ISample1* Sample() const { return sample_; }

 private:
  bool CreateSample();
  // A new empty Sonvox melody, or null.
  IMelody* NewMelody() const;

  ObjectFactory factory_;
  std::vector<IMelody*> melodies_;
  ISample1* sample_ = nullptr;
};
