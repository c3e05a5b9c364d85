// CMelodyDoc: the melody editor's document record. It owns the melody being
// edited, the sample that sounds it, the undo pool, the channel melodies of a
// MIDI import, the path and the modified flag. It lives on the document
// thread and only that thread calls it; the Sonvox objects it creates belong
// to that thread's apartment.
//
// Texts returned through errorText are the messages the editor shows as they
// are. The record shows nothing itself: the few messages and the wait cursor
// of its own go through Ui.
#pragma once

#include <string>
#include <vector>

#include "CEditUndoMel.h"
#include "common/ObjectFactory.h"
#include "midi/ImportedNote.h"
#include "sonvox/Sonvox.h"

class CMelodyDoc {
 public:
  // What the record needs from the editor's windows; called on the document
  // thread, so an implementation hands the work to the user-interface thread.
  class Ui {
   public:
    virtual ~Ui() = default;
    // An error message box owned by the main window, captioned with the
    // application title.
    virtual void ShowError(const std::u16string& text) = 0;
    // The wait cursor while a stopping melody is awaited.
    virtual void BeginWait() {}
    virtual void EndWait() {}
  };

  static constexpr const char16_t* kNewName = u"Новая мелодия";

  // Sonvox objects come from factory, the component runtime when empty.
  explicit CMelodyDoc(Ui* ui = nullptr, ObjectFactory factory = {});
  // Releases the melody, the sample and every channel melody.
  ~CMelodyDoc();
  CMelodyDoc(const CMelodyDoc&) = delete;
  CMelodyDoc& operator=(const CMelodyDoc&) = delete;

  // Makes the sample (filled with the editing tone) and the melody when they
  // do not exist yet. On failure shows the reason through Ui and returns
  // false; a sample that could not be filled is not kept, so the next call
  // tries again.
  bool CreateObjects();

  // A new empty melody named name (empty when longer than 255 characters);
  // the path becomes the name, modified 0. False when the objects cannot be
  // made.
  bool NewDocument(std::u16string_view name);
  // Loads a .mel file. False with errorText set when it fails; the whole
  // file is read first, so a file that cannot be opened, is not a melody or
  // is cut short leaves the document (melody, path, modified) untouched.
  bool OpenDocument(const std::string& path, std::u16string& errorText);
  // Saves to path (when given, it becomes the document's path once the save
  // succeeded) or to the document's path. The file is replaced only when it
  // was written whole;
  // the current note stays where it was. False with errorText set.
  bool SaveDocument(const std::string* path, std::u16string& errorText);
  // Stops playback and waits, at most ten seconds, for the melody to fall
  // silent, with the wait cursor when showWait. False when it is still
  // playing then (a stalled sound device).
  bool StopPlaying(bool showWait = true);
  // Stops playback (as StopPlaying), empties the melody and the undo pool.
  // Name, path and modified are not touched. False, with nothing emptied,
  // when the melody would not stop.
  bool ClearDocument();
  // Writes the melody as a MIDI file; false with errorText set.
  bool ExportMidi(const std::string& path, std::u16string& errorText);
  // The melody as ring-tone text into text and, when path is not null,
  // into that file (replaced only when written whole). raised: the notes
  // were written an octave higher, as ring-tone text has nothing below C4.
  // False with errorText set.
  bool ExportRingTone(const char* path, std::string& text, bool& raised, std::u16string& errorText);

  // Channel melodies of a MIDI import, in the order their channels first
  // produced a note.
  void ChannelClear();
  // Appends the note to the melody tagged with its channel, making and
  // tagging one on the channel's first note. False when the melody or its
  // channel interface cannot be had.
  bool ChannelAddNote(const ImportedNote& note);
  LONG ChannelCount() const { return static_cast<LONG>(channelMelodies_.size()); }
  // Null when index is out of range. The array keeps its reference.
  IMelody* ChannelMelody(LONG index) const;
  // Keeps notes [start, end) of channel melody index and makes it the
  // document melody named name; path becomes the name, modified 1, the undo
  // pool is empty. False (document untouched) for a bad index or when the
  // fragment cannot be cut.
  bool TakeChannelMelody(LONG index, LONG start, LONG end, std::u16string_view name);

  IMelody* Melody() const { return melody_; }
  ISample1* Sample() const { return sample_; }
  CEditUndoMel& Undo() { return undo_; }
  // The file's UTF-8 path, or the name of a document that has none yet.
  const std::string& Path() const { return path_; }
  void SetPath(const std::string& path) { path_ = path; }
  bool IsModified() const { return modified_ != 0; }
  void SetModified(bool modified) { modified_ = modified ? 1 : 0; }

 private:
  Ui* ui_;
  ObjectFactory factory_;
  IMelody* melody_ = nullptr;
  ISample1* sample_ = nullptr;
  CEditUndoMel undo_;
  std::vector<IMelody*> channelMelodies_;
  std::string path_;
  LONG modified_ = 0;
};
