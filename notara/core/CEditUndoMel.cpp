#include "CEditUndoMel.h"

#include <algorithm>

CEditUndoMel::CEditUndoMel() : slots_(kSlots) {}

void CEditUndoMel::Push(const UndoRecord& record) {
  if (top_ == kSlots - 1)
    std::move(slots_.begin() + 1, slots_.end(), slots_.begin());
  else
    ++top_;
  slots_[static_cast<size_t>(top_)] = record;
}

bool CEditUndoMel::Pop(UndoRecord& record) {
  if (top_ < 0) return false;
  record = slots_[static_cast<size_t>(top_)];
  --top_;
  return true;
}
