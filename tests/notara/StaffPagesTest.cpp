// Paper pages of the staff: which rows each page takes at which scale, and
// that the area a page asks the drawing for brings exactly its own rows'
// symbols, whatever the pitches at the cut and the zoom.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "CComObject.h"
#include "CMelody.h"
#include "RecordingSurface.h"
#include "StaffLayout.h"
#include "StaffPages.h"

namespace {

// A sheet as the editor's view lays it out: the title, ten steps a row and
// eight more below the last.
StaffSheet Sheet(LONG rows, LONG lineStep = 10, LONG width = 700, LONG title = 40) {
  return StaffSheet{width, title + 10 * lineStep * rows + 8 * lineStep, title, lineStep, rows};
}

std::vector<LONG> RowsPerPage(const StaffPagination& plan) {
  std::vector<LONG> rows;
  for (const StaffPage& page : plan.pages) rows.push_back(page.rowCount);
  return rows;
}

TEST(StaffPagesTest, RowsPerPageAndScale) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char* what;
    StaffSheet sheet;
    double pageWidth, pageHeight;
    std::vector<LONG> rows;
    double scale;
  } cases[] = {
      {"one row", Sheet(1), 700, 1000, {1}, 1.0},
      {"exactly one page", Sheet(8), 700, 1000, {8}, 1.0},
      // Nine rows would fit but the last reaches on to the end mark.
      {"the end mark pushes the last row on", Sheet(9), 700, 1000, {8, 1}, 1.0},
      {"a page filled to the last unit", Sheet(25), 700, 1000, {9, 9, 7}, 1.0},
      {"a wide sheet shrinks and more rows fit", Sheet(25, 10, 1400), 700, 1000, {19, 6}, 0.5},
      {"a narrow sheet is enlarged to the width", Sheet(25, 10, 350), 700, 1000, {4, 4, 4, 4, 4, 4, 1}, 2.0},
      // The title with the first row is 200 high: the scale shrinks to fit it.
      {"a page lower than one row", Sheet(3), 700, 100, {1, 1, 1}, 0.5},
      {"no width", Sheet(3, 10, 0), 700, 1000, {}, 0},
      {"no line step", Sheet(3, 0), 700, 1000, {}, 0},
      {"no rows", Sheet(0), 700, 1000, {}, 0},
      {"no page", Sheet(3), 0, 1000, {}, 0},
      {"a page of no height", Sheet(3), 700, -5, {}, 0},
      {"a page of no number", Sheet(3), nan, 1000, {}, 0},
      {"a sheet shorter than its rows", StaffSheet{700, 200, 40, 10, 3}, 700, 1000, {}, 0},
  };
  for (const Case& c : cases) {
    const StaffPagination plan = StaffPages::Paginate(c.sheet, c.pageWidth, c.pageHeight);
    EXPECT_EQ(RowsPerPage(plan), c.rows) << c.what;
    EXPECT_DOUBLE_EQ(plan.scale, c.scale) << c.what;
  }
}

TEST(StaffPagesTest, EveryRowOnceAndEveryPageInsideItsPaper) {
  for (LONG lineStep : {3, 9, 18}) {
    for (LONG rows : {1, 2, 7, 40, 1000}) {
      for (double pageHeight : {50.0, 300.0, 1123.0, 5000.0}) {
        const StaffSheet sheet = Sheet(rows, lineStep, 678, 37);
        const StaffPagination plan = StaffPages::Paginate(sheet, 600, pageHeight);
        const std::string where =
            std::to_string(lineStep) + "/" + std::to_string(rows) + "/" + std::to_string(static_cast<int>(pageHeight));
        ASSERT_FALSE(plan.pages.empty()) << where;
        EXPECT_LE(plan.scale * sheet.width, 600 + 1e-9) << where;
        EXPECT_EQ(plan.pages.front().top, 0) << where;
        EXPECT_EQ(plan.pages.back().bottom, sheet.height) << where;
        LONG next = 0;
        for (const StaffPage& page : plan.pages) {
          EXPECT_EQ(page.firstRow, next) << where;
          EXPECT_GE(page.rowCount, 1) << where;
          next = page.firstRow + page.rowCount;
          EXPECT_LE((page.bottom - page.top) * plan.scale, pageHeight + 1e-6) << where;
          EXPECT_TRUE(page.top <= page.drawTop && page.drawTop < page.drawBottom && page.drawBottom <= page.bottom)
              << where;
        }
        EXPECT_EQ(next, rows) << where;
      }
    }
  }
}

// The real drawing through the pages' areas: rows of the lowest sharps (the
// deepest ink) alternate with rows of the highest (the tallest), so every
// cut lies where neighbouring rows' symbols come closest.
class PageDrawing : public testing::Test {
 protected:
  static constexpr LONG kRows = 6;
  static constexpr LONG kTitle = nv::test::RecordingSurface::kHeight;

  void SetUp() override {
    ASSERT_EQ(nv::CComObject<nv::CMelody>::CreateInstance(IID_IMelody, reinterpret_cast<void**>(&melody_)), S_OK);
    for (LONG row = 0; row < kRows; ++row) {
      for (LONG i = 0; i < nv::StaffLayout::kColumns; ++i) {
        const SHORT pitch = row % 2 == 0 ? 0 : 31;
        const SHORT flags = i == 5 ? FLAG_REST : 0;
        ASSERT_EQ(melody_->InsertNoteValues(pitch, DURATION_SIXTEENTH, flags), S_OK);
      }
    }
    nv::test::FillBlank(staff_, 2);
    for (ImageList* list : {&notes_, &selected_}) nv::test::FillBlank(*list, 17);
  }
  void TearDown() override { melody_->Release(); }

  IMelody* melody_ = nullptr;
  ImageList staff_{35, 69}, notes_{21, 31}, selected_{21, 31};
};

TEST_F(PageDrawing, EachPageDrawsItsOwnRowsAndNoNeighbours) {
  constexpr COLORREF kColours[] = {RGB(255, 0, 0), RGB(0, 0, 1), 0, 0, 0};
  for (LONG zoom : {30, 83, 100, 150, 200}) {
    const nv::StaffLayout layout(zoom);
    const LONG a = layout.LineStep();
    const StaffSheet sheet{layout.StaffLeft() * 2 + layout.StaffWidth(), kTitle + 10 * a * kRows + 8 * a, kTitle, a,
                           kRows};
    // Pages of one row and of two rows.
    for (double rowsPerPage : {1.0, 2.0}) {
      const double pageHeight = (rowsPerPage * 10 + 4) * a;
      const StaffPagination plan = StaffPages::Paginate(sheet, sheet.width, pageHeight);
      ASSERT_FALSE(plan.pages.empty());
      for (const StaffPage& page : plan.pages) {
        nv::test::RecordingSurface surface;
        const RECT area{0, page.drawTop, sheet.width, page.drawBottom};
        ASSERT_EQ(melody_->Draw(&surface, &staff_, &notes_, &selected_, kColours, &area, nullptr, zoom), S_OK);
        const std::string where = "zoom " + std::to_string(zoom) + ", rows from " + std::to_string(page.firstRow);
        // Glyphs other than sharps (the current note's among the selected
        // ones): one per symbol. Whole staves: five lines a row.
        LONG symbols = 0;
        for (ImageList* list : {&notes_, &selected_}) {
          for (const auto& p : surface.Only(nv::test::Primitive::kImage, list)) symbols += p.index != 10 ? 1 : 0;
        }
        EXPECT_EQ(symbols, nv::StaffLayout::kColumns * page.rowCount) << where;
        LONG staffLines = 0;
        for (const auto& p : surface.Only(nv::test::Primitive::kLine)) {
          staffLines += p.y0 == p.y1 && p.x1 - p.x0 == layout.StaffWidth() ? 1 : 0;
        }
        EXPECT_EQ(staffLines, 5 * page.rowCount) << where;
        const auto clefs = surface.Only(nv::test::Primitive::kImage, &staff_);
        EXPECT_GE(static_cast<LONG>(clefs.size()), page.rowCount) << where;
        const bool titled = !surface.Only(nv::test::Primitive::kText).empty();
        EXPECT_EQ(titled, page.firstRow == 0) << where;
      }
    }
  }
}

}  // namespace
