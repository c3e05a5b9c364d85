// Which of the set editor's commands are open, from the list's selection
// and the playing state. One melody selected opens Save melody; while a
// melody plays only Stop, Save melody and the file commands that touch no
// melody stay open.
#pragma once

#include <vector>

#include "SetoraIds.h"

struct SetCommandState {
  SetoraCommand id;
  bool enabled;
};

class SetCommandRules {
 public:
  // rows: the selected rows in ascending order; count: the melodies in the
  // list. Returns a state for each command the rules govern (New, Open, Add,
  // Delete, Up, Down, Play, Stop, Save melody); the others stay as they are.
  static std::vector<SetCommandState> States(const std::vector<int>& rows, int count, bool playing);
};
