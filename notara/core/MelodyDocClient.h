// The editor's typed client of its document thread: one method per request
// of DocMessages.h, with the request's own in- and out-types. Results are
// the thread's: a request that fails (or a thread that does not run) leaves
// out-values as they were, so each getter states what it returns then.
#pragma once

#include <string>

#include "DocMessages.h"
#include "common/CStringU.h"
#include "common/RequestClient.h"

class MelodyDocClient : public nv::RequestClient {
 public:
  using RequestClient::RequestClient;

  // A request without parameters (the edits, navigation, play, stop, undo,
  // sound, the channel melodies' clear). Returns true on success.
  bool Run(DocMessage request) const { return Call(request) != 0; }

  // Document. name is Windows-1251 text, paths UTF-8 file-system names.
  bool New(const char* name) const { return Put(DOCM_NEW, name) != 0; }
  bool Open(const char* path, CStringU& error) const { return Exchange(DOCM_OPEN, error, path) != 0; }
  // path null saves under the document's own path.
  bool Save(const char* path, CStringU& error) const { return Exchange(DOCM_SAVE, error, path) != 0; }
  bool ExportMidi(const char* path, CStringU& error) const { return Exchange(DOCM_EXPORT_MIDI, error, path) != 0; }
  // Ring-tone text in and out, transposition (see DocMessages.h); out-values
  // stay as they were when the request does not run.
  bool ImportRingTone(const RingToneImportBlock& block, RingToneImportResult& result) const {
    return Exchange(DOCM_RING_IMPORT, result, &block) != 0;
  }
  // path null: the text only, for the clipboard.
  bool ExportRingTone(const char* path, RingToneExportResult& result) const {
    return Exchange(DOCM_RING_EXPORT, result, path) != 0;
  }
  bool Transpose(const TransposeBlock& block, LONG& folded) const {
    return Exchange(DOCM_TRANSPOSE, folded, &block) != 0;
  }
  bool IsModified() const { return Call(DOCM_IS_MODIFIED) != 0; }
  // The document's UTF-8 path, or its new name; empty on failure.
  std::string Path() const;
  // Empty on failure.
  CStringU Name() const;
  bool Rename(const CStringU& name) const { return Put(DOCM_RENAME, &name) != 0; }

  // Melody state; 0, -1 (no current note), false or true (undo empty) on failure.
  LONG Count() const { return Value<LONG>(DOCM_GET_COUNT, 0); }
  LONG Current() const { return Value<LONG>(DOCM_GET_CURRENT, -1); }
  bool IsPlaying() const { return Value<LONG>(DOCM_IS_PLAYING, 0) != 0; }
  bool IsUndoEmpty() const { return Value<LONG>(DOCM_IS_UNDO_EMPTY, 1) != 0; }
  // The current note's values; 0 on failure.
  SHORT Pitch() const { return Value<SHORT>(DOCM_GET_PITCH, 0); }
  SHORT Duration() const { return Value<SHORT>(DOCM_GET_DURATION, 0); }
  SHORT Flags() const { return Value<SHORT>(DOCM_GET_FLAGS, 0); }

  // Staff view. The note's anchor and the cell size are {0, 0} on failure.
  bool Draw(const DrawBlock& block) const { return Put(DOCM_DRAW, &block) != 0; }
  POINT NotePos(const NotePosBlock& block) const;
  SIZE NoteSize(const NoteSizeBlock& block) const;
  bool SelectAt(const SelectAtBlock& block) const { return Put(DOCM_SELECT_AT, &block) != 0; }

  // Channel melodies of a MIDI import; counts 0 and the current note -1 on
  // failure.
  bool AddChannelNote(const ChannelNoteBlock& block) const { return Put(DOCM_CH_ADD_NOTE, &block) != 0; }
  // The number of channel melodies; false when the request failed.
  bool ChannelCount(LONG& count) const { return Get(DOCM_CH_COUNT, count) != 0; }
  LONG ChannelNoteCount(LONG index) const { return Value<LONG>(DOCM_CH_GET_COUNT, 0, index); }
  bool IsChannelPlaying(LONG index) const { return Value<LONG>(DOCM_CH_IS_PLAYING, 0, index) != 0; }
  // The channel melody's current note; false when the request failed.
  bool ChannelCurrent(LONG index, LONG& current) const { return Get(DOCM_CH_GET_CURRENT, current, index) != 0; }
  bool PlayChannel(LONG index) const { return CallWith(DOCM_CH_PLAY, index) != 0; }
  bool StopChannel(LONG index) const { return CallWith(DOCM_CH_STOP, index) != 0; }
  bool SetChannelBlock(const ChannelBlockBlock& block) const { return Put(DOCM_CH_SET_BLOCK, &block) != 0; }
  bool SetChannelCurrent(const ChannelCurrentBlock& block) const { return Put(DOCM_CH_SET_CURRENT, &block) != 0; }
  bool TakeChannel(const ChannelTakeBlock& block) const { return Put(DOCM_CH_TAKE, &block) != 0; }

 private:
  template <class T>
  T Value(DocMessage request, T fallback, LONG index = 0) const {
    T value = fallback;
    Get(request, value, index);
    return value;
  }
};
