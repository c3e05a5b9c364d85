#include "StaffPages.h"

#include <algorithm>

namespace {

// Line steps from a row's top line to the top and the bottom of its ink.
constexpr LONG kInkAbove = 4;
constexpr LONG kInkBelow = 8;
// Line steps from the top line to the area's top and bottom edges: the
// lowest symbols of the row above end their widened cells before one step
// below this row's top line; the highest of the row below start theirs more
// than three steps below this row's top line.
constexpr LONG kDrawBelowTop = 1;
constexpr LONG kDrawAboveNext = 3;

// A page taking rows first..last. The first page starts at the drawing's
// top, so the title comes along; the last ends at its bottom, so the end
// mark does.
StaffPage PageOf(const StaffSheet& sheet, LONG first, LONG last) {
  const LONG a = sheet.lineStep;
  StaffPage page;
  page.firstRow = first;
  page.rowCount = last - first + 1;
  page.top = first == 0 ? 0 : StaffPages::TopLine(sheet, first) - kInkAbove * a;
  page.drawTop = first == 0 ? 0 : StaffPages::TopLine(sheet, first) + kDrawBelowTop * a;
  const bool end = last == sheet.rows - 1;
  page.bottom = end ? sheet.height : StaffPages::TopLine(sheet, last) + kInkBelow * a;
  page.drawBottom = end ? sheet.height : StaffPages::TopLine(sheet, last) + kDrawAboveNext * a;
  return page;
}

}  // namespace

LONG StaffPages::TopLine(const StaffSheet& sheet, LONG row) {
  return sheet.titleHeight + (10 * row + 8) * sheet.lineStep;
}

StaffPagination StaffPages::Paginate(const StaffSheet& sheet, double pageWidth, double pageHeight) {
  StaffPagination result;
  if (sheet.width <= 0 || sheet.lineStep <= 0 || sheet.rows <= 0 || sheet.titleHeight < 0 || !(pageWidth > 0) ||
      !(pageHeight > 0)) {
    return result;
  }
  // Counted in 64 bits: the last row's ink must lie inside the drawing.
  const long long lastInk = sheet.titleHeight + (10LL * (sheet.rows - 1) + 8 + kInkBelow) * sheet.lineStep;
  if (lastInk > sheet.height) return result;

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
