#include "MelodyDocClient.h"

std::string MelodyDocClient::Path() const {
  std::string path;
  Get(DOCM_GET_PATH, path);
  return path;
}

CStringU MelodyDocClient::Name() const {
  CStringU name;
  Get(DOCM_GET_NAME, name);
  return name;
}

POINT MelodyDocClient::NotePos(const NotePosBlock& block) const {
  POINT anchor{0, 0};
  Exchange(DOCM_GET_NOTE_POS, anchor, &block);
  return anchor;
}

SIZE MelodyDocClient::NoteSize(const NoteSizeBlock& block) const {
  SIZE cell{0, 0};
  Exchange(DOCM_GET_NOTE_SIZE, cell, &block);
  return cell;
}
