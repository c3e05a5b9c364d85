#include "StaffPages.h"

#include <algorithm>

namespace {

// A page taking rows first..last: from the band top of first (the drawing's
// top for the first row, so the title comes along) to the band bottom of
// last (the drawing's bottom for the last row, so the end mark comes along).
StaffPage PageOf(const StaffSheet& sheet, LONG first, LONG last) {
  const LONG top = first == 0 ? 0 : StaffPages::RowTop(sheet, first);
  const LONG bottom = last == sheet.rows - 1 ? sheet.height : StaffPages::RowTop(sheet, last + 1);
  return StaffPage{top, bottom, first, last - first + 1};
}

}  // namespace

LONG StaffPages::RowTop(const StaffSheet& sheet, LONG row) {
  return sheet.titleHeight + (10 * row + 5) * sheet.lineStep;
}

StaffPagination StaffPages::Paginate(const StaffSheet& sheet, double pageWidth, double pageHeight) {
  StaffPagination result;
  if (sheet.width <= 0 || sheet.lineStep <= 0 || sheet.rows <= 0 || sheet.titleHeight < 0 || !(pageWidth > 0) ||
      !(pageHeight > 0)) {
    return result;
  }
  // Counted in 64 bits: the rows' bands must lie inside the drawing.
  const long long rowsEnd = sheet.titleHeight + (10LL * sheet.rows + 5) * sheet.lineStep;
  if (rowsEnd > sheet.height) return result;

  // The tallest page that must fit: the first row with the title, or any
  // single row on its own (the last one reaches down to the drawing's end).
  LONG tallest = 0;
  for (const LONG row : {LONG{0}, LONG{1}, sheet.rows - 1}) {
    if (row < 0 || row >= sheet.rows) continue;
    const StaffPage page = PageOf(sheet, row, row);
    tallest = std::max(tallest, page.bottom - page.top);
  }
  result.scale = std::min(pageWidth / sheet.width, pageHeight / tallest);
  // A hair of slack so that rows which fit exactly are not pushed on by rounding.
  const double capacity = pageHeight / result.scale + 1e-6;

  LONG first = 0;
  while (first < sheet.rows) {
    LONG last = first;
    while (last + 1 < sheet.rows) {
      const StaffPage longer = PageOf(sheet, first, last + 1);
      if (longer.bottom - longer.top > capacity) break;
      ++last;
    }
    result.pages.push_back(PageOf(sheet, first, last));
    first = last + 1;
  }
  return result;
}
