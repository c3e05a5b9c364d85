// The set editor's melody list: a multi-selection list whose item i shows
// melody i of the set as "%d. %s  ". Each item keeps the melody's name, its
// note count and the pixel width of its text, so the list answers the set
// and block sizes itself and takes its horizontal extent from the widest
// item. It knows nothing of the document; the window fills it.
#pragma once

#include <QListWidget>
#include <vector>

#include "platform/Types.h"

class CMelodyList : public QListWidget {
  Q_OBJECT

 public:
  explicit CMelodyList(QWidget* parent = nullptr);

  // Adds an item for the melody after the last one.
  void Append(const QString& name, LONG noteCount);
  // Item row shows another melody; nothing for a row out of range.
  void Replace(int row, const QString& name, LONG noteCount);
  // Renumbers the items from row on (after removals) and recomputes the
  // horizontal extent.
  void RenumberFrom(int row);

  // Selects row alone, makes it current and scrolls it into view, without
  // itemSelectionChanged.
  void SelectOnly(int row);
  // The selected rows in ascending order.
  std::vector<int> SelectedRows() const;

  QString Name(int row) const;
  // Melodies plus their note counts: over all items, over the selected ones.
  LONG SetSize() const;
  LONG BlockSize() const;
  // The widest item text in pixels.
  int HorizontalExtent() const { return widest_; }

 private:
  void SetNumber(QListWidgetItem* item, int row);
  void RecomputeExtent();

  int widest_ = 0;
};
