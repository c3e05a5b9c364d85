// The set editor's typed client of its document thread: one method per
// request of SetoraMessages.h, with the request's own in- and out-types.
// A request that fails (or a thread that does not run) leaves out-values as
// they were; each getter states what it returns then.
#pragma once

#include <string>

#include "SetoraMessages.h"
#include "common/CStringU.h"
#include "common/RequestClient.h"

class SetDocClient : public nv::RequestClient {
 public:
  using RequestClient::RequestClient;

  // name is Windows-1251 text, paths UTF-8 file-system names.
  bool New(const char* name) const { return Put(SDM_NEW, name) != 0; }
  bool Open(const char* path, CStringU& error) const { return Exchange(SDM_OPEN, error, path) != 0; }
  // path null saves under the document's own path.
  bool Save(const char* path, CStringU& error) const { return Exchange(SDM_SAVE, error, path) != 0; }
  bool IsModified() const { return Call(SDM_IS_MODIFIED) != 0; }
  // The document's UTF-8 path, or its new name; empty on failure.
  std::string Path() const;

  // The number of melodies; 0 on failure.
  LONG Count() const;
  // Melody index's name and note count; empty and 0 on failure.
  CStringU Name(LONG index) const;
  LONG NoteCount(LONG index) const;

  bool AddMelody(const char* path, CStringU& error) const { return Exchange(SDM_ADD_MELODY, error, path) != 0; }
  bool SaveMelody(LONG index, const char* path, CStringU& error) const;
  bool Delete(LONG index) const { return CallWith(SDM_DELETE, index) != 0; }
  bool MoveUp(LONG index) const { return CallWith(SDM_MOVE_UP, index) != 0; }
  bool MoveDown(LONG index) const { return CallWith(SDM_MOVE_DOWN, index) != 0; }

  // error stays empty when playback could not start for a reason the user
  // need not be told.
  bool Play(LONG index, CStringU& error) const { return Get(SDM_PLAY, error, index) != 0; }
  // True once the melody's playback has ended, and when the request failed.
  bool IsStopped(LONG index) const;
  bool Stop(LONG index) const { return CallWith(SDM_STOP, index) != 0; }
};
