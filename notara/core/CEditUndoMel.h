// CEditUndoMel: the melody editor's bounded undo pool. Thirty slots are made
// once with the document; records are copied in and out by value. When all
// slots are used, pushing drops the oldest record.
#pragma once

#include <vector>

#include "common/CStringU.h"
#include "common/MelodyData.h"
#include "platform/Types.h"

enum UndoKind : LONG {
  UNDO_RENAME = 1,
  UNDO_INSERT_NOTE = 2,
  UNDO_INSERT_REST = 3,
  UNDO_DELETE = 4,
  UNDO_PITCH_UP = 5,
  UNDO_PITCH_DOWN = 6,
  UNDO_LENGTHEN = 7,
  UNDO_SHORTEN = 8,
  UNDO_REWRITE = 9,  // the whole melody was replaced: name and notes come back
};

// One undo step: the kind, the index of the note symbol it applied to, the
// values of a deleted note symbol, the previous name of a rename; for a
// rewrite, the current note before it (index), the name and every symbol.
struct UndoRecord {
  LONG kind = 0;
  LONG index = 0;
  SHORT pitch = 0;
  SHORT duration = 0;
  SHORT flags = 0;
  CStringU name;
  std::vector<NoteValues> notes;
};

class CEditUndoMel {
 public:
  static constexpr LONG kSlots = 30;

  CEditUndoMel();

  // Copies record into the next slot; with every slot used, the oldest
  // record is lost and the rest move down by one.
  void Push(const UndoRecord& record);
  // Copies the newest record out and removes it; false when the pool is empty.
  bool Pop(UndoRecord& record);
  void Clear() { top_ = -1; }
  bool IsEmpty() const { return top_ < 0; }
  // Index of the newest record, −1 when empty.
  LONG Top() const { return top_; }

 private:
  std::vector<UndoRecord> slots_;
  LONG top_ = -1;
};
