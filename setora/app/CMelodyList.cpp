#include "CMelodyList.h"

#include <QFontMetrics>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <algorithm>

namespace {

// Item data beside the text.
constexpr int kWidthRole = Qt::UserRole;
constexpr int kNoteCountRole = Qt::UserRole + 1;
constexpr int kNameRole = Qt::UserRole + 2;

// Sizes every row as wide as the widest item text, so the list's horizontal
// extent follows the widest item; with uniform item sizes the view asks for
// one row only.
class ExtentDelegate : public QStyledItemDelegate {
 public:
  ExtentDelegate(const int& extent, QObject* parent) : QStyledItemDelegate(parent), extent_(extent) {}

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const int margins = size.width() - index.data(kWidthRole).toInt();
    size.setWidth(extent_ + std::max(margins, 0));
    return size;
  }

 private:
  const int& extent_;
};

}  // namespace

CMelodyList::CMelodyList(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setUniformItemSizes(true);
  setItemDelegate(new ExtentDelegate(widest_, this));
}

void CMelodyList::SetNumber(QListWidgetItem* item, int row) {
  const QString text = QStringLiteral("%1. %2  ").arg(row + 1).arg(item->data(kNameRole).toString());
  item->setText(text);
  item->setData(kWidthRole, QFontMetrics(font()).horizontalAdvance(text));
}

void CMelodyList::Append(const QString& name, LONG noteCount) {
  auto* item = new QListWidgetItem;
  item->setData(kNameRole, name);
  item->setData(kNoteCountRole, static_cast<int>(noteCount));
  SetNumber(item, count());
  widest_ = std::max(widest_, item->data(kWidthRole).toInt());
  addItem(item);
}

void CMelodyList::Replace(int row, const QString& name, LONG noteCount) {
  QListWidgetItem* it = item(row);
  if (it == nullptr) return;
  it->setData(kNameRole, name);
  it->setData(kNoteCountRole, static_cast<int>(noteCount));
  SetNumber(it, row);
  RecomputeExtent();
}

void CMelodyList::RenumberFrom(int row) {
  for (int i = std::max(row, 0); i < count(); ++i) SetNumber(item(i), i);
  RecomputeExtent();
}

void CMelodyList::RecomputeExtent() {
  widest_ = 0;
  for (int row = 0; row < count(); ++row) widest_ = std::max(widest_, item(row)->data(kWidthRole).toInt());
  doItemsLayout();
}

void CMelodyList::SelectOnly(int row) {
  const QSignalBlocker block(this);
  setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
  if (QListWidgetItem* it = item(row)) scrollToItem(it);
}

std::vector<int> CMelodyList::SelectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : selectionModel()->selectedRows()) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

QString CMelodyList::Name(int row) const {
  const QListWidgetItem* it = item(row);
  return it == nullptr ? QString() : it->data(kNameRole).toString();
}

LONG CMelodyList::SetSize() const {
  LONG size = 0;
  for (int row = 0; row < count(); ++row) size += item(row)->data(kNoteCountRole).toInt() + 1;
  return size;
}

LONG CMelodyList::BlockSize() const {
  LONG size = 0;
  for (const QListWidgetItem* it : selectedItems()) size += it->data(kNoteCountRole).toInt() + 1;
  return size;
}
