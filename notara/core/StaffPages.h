// How the staff drawing is spread over paper pages: the drawing is scaled to
// the page width and cut between staff rows, so no row is ever split; the
// first page starts with the title. One piece of arithmetic for every paged
// output (printing, PDF files), without Qt.
//
// Geometry of the drawing, in its own pixels, with a the line step: the
// title takes the top titleHeight pixels and row r's top staff line lies at
// titleHeight + (10r + 8) a. A row's ink reaches from four steps above its
// top line (sharps of the highest notes) to eight below it (those of the
// lowest), so the ink of neighbouring rows may interleave: no straight cut
// separates them. A page therefore asks the drawing for an area that meets
// every symbol of its own rows and none of the neighbours' (the drawing
// paints whole every symbol whose cell, widened by one note height above and
// two below, meets the area asked for) and lets the symbols overhang it.
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

// One page's share of the drawing: rows firstRow to firstRow + rowCount - 1.
// [top, bottom) is the band the page shows, placed at the page's top edge;
// [drawTop, drawBottom) the area to ask the drawing for, inside the band.
struct StaffPage {
  LONG top = 0;
  LONG bottom = 0;
  LONG drawTop = 0;
  LONG drawBottom = 0;
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
  // Returns no pages and scale 0 when a size or the line step is not
  // positive or the sheet is shorter than its rows need.
  static StaffPagination Paginate(const StaffSheet& sheet, double pageWidth, double pageHeight);

  // The y of row's top staff line in drawing pixels.
  static LONG TopLine(const StaffSheet& sheet, LONG row);
};
