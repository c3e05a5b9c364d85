#include "SetCommandRules.h"

std::vector<SetCommandState> SetCommandRules::States(const std::vector<int>& rows, int count, bool playing) {
  const bool one = rows.size() == 1;
  const bool idle = !playing;
  const int last = count - 1;
  return {
      {IDM_NEW, idle},
      {IDM_OPEN, idle},
      {IDM_ADD_MELODY, idle},
      {IDM_SAVE_MELODY, one},
      {IDM_DELETE_MELODY, idle && !rows.empty()},
      {IDM_PLAY, idle && one},
      {IDM_MELODY_UP, idle && one && rows.front() > 0},
      {IDM_MELODY_DOWN, idle && one && rows.front() < last},
      {IDM_STOP, playing},
  };
}
