// How the staff drawing is spread over paper pages: the drawing is scaled to
// the page width and cut between staff rows, so no row is ever split; the
// first page starts with the title. One piece of arithmetic for every paged
// output (printing, PDF files), without Qt.
//
// Geometry of the drawing, in its own pixels: the title takes the top
// titleHeight pixels; row r's band runs from titleHeight + (10r + 5) line
// steps to ten line steps lower (the same bands the editor hit-tests
// clicks in), and the last band runs on to the drawing's bottom.
#pragma once

#include <vector>

#include "platform/Types.h"

// The drawing to be paged, in drawing pixels.
struct StaffSheet {
  LONG width = 0;
  LONG height = 0;
  LONG titleHeight = 0;
  LONG lineStep = 0;
  LONG rows = 1;
};

// One page's share: the band [top, bottom) of the drawing, rows firstRow to
// firstRow + rowCount - 1.
struct StaffPage {
  LONG top = 0;
  LONG bottom = 0;
  LONG firstRow = 0;
  LONG rowCount = 0;

  friend bool operator==(const StaffPage&, const StaffPage&) = default;
};

struct StaffPagination {
  // Page units per drawing pixel; 0 when nothing can be paged.
  double scale = 0;
  std::vector<StaffPage> pages;
};

class StaffPages {
 public:
  // The pages for sheet on pages of pageWidth by pageHeight units (the area
  // inside the margins). The scale fits the drawing's width, and shrinks
  // further when the title with one row, or the tallest single row, would
  // not fit a page's height. Each page then takes as many whole rows as fit.
  // Returns no pages and scale 0 when a size is not positive, the line step
  // is not positive or the sheet is shorter than its rows need.
  static StaffPagination Paginate(const StaffSheet& sheet, double pageWidth, double pageHeight);

  // The top of row's band in drawing pixels.
  static LONG RowTop(const StaffSheet& sheet, LONG row);
};
