#include "SetDocClient.h"

std::string SetDocClient::Path() const {
  std::string path;
  Get(SDM_GET_PATH, path);
  return path;
}

LONG SetDocClient::Count() const {
  LONG count = 0;
  Get(SDM_GET_COUNT, count);
  return count;
}

CStringU SetDocClient::Name(LONG index) const {
  CStringU name;
  Get(SDM_GET_NAME, name, index);
  return name;
}

LONG SetDocClient::NoteCount(LONG index) const {
  LONG notes = 0;
  Get(SDM_GET_NOTE_COUNT, notes, index);
  return notes;
}

bool SetDocClient::SaveMelody(LONG index, const char* path, CStringU& error) const {
  const SaveMelodyBlock block{index, path};
  return Exchange(SDM_SAVE_MELODY, error, &block) != 0;
}

bool SetDocClient::IsStopped(LONG index) const {
  LONG stopped = 1;
  return Get(SDM_IS_STOPPED, stopped, index) == 0 || stopped != 0;
}
