// The Qt drawing surface, the glyph image lists and a real melody painted
// through them. Set NV_STAFF_PNG_DIR to keep the rendered melodies as PNG files.
#include <gtest/gtest.h>

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <cstdlib>
#include <string>

#include "CComObject.h"
#include "CMelody.h"
#include "MusicGlyphs.h"
#include "QtDrawFont.h"
#include "QtDrawSurface.h"
#include "QtGlyphImageList.h"

namespace {

class QtApplication : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "staff_drawing_test";
    static char* argv[] = {name, nullptr};
    app_ = new QGuiApplication(argc, argv);
  }
  void TearDown() override { delete app_; }

 private:
  QGuiApplication* app_ = nullptr;
};
const auto* const kApplication = ::testing::AddGlobalTestEnvironment(new QtApplication);

constexpr COLORREF kBackground = RGB(200, 200, 200);
constexpr COLORREF kColours[] = {RGB(255, 0, 0), RGB(0, 0, 0), RGB(255, 0, 0), RGB(0, 255, 0), kBackground};

QRgb Rgb(COLORREF c) {
  return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

QImage Blank(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Rgb(kBackground));
  return image;
}

// The pixels of a row (or column) that differ from the background, as [first, last].
std::pair<int, int> InkedRun(const QImage& image, int y) {
  int first = -1, last = -1;
  for (int x = 0; x < image.width(); ++x) {
    if (image.pixel(x, y) != Rgb(kBackground)) {
      if (first < 0) first = x;
      last = x;
    }
  }
  return {first, last};
}

TEST(QtDrawSurfaceTest, LinesLeaveTheirEndPixelOut) {
  struct Case {
    int x0, y0, x1, y1, width;
    QRect painted;
  } cases[] = {
      {2, 5, 10, 5, 1, QRect(2, 5, 8, 1)}, {10, 5, 2, 5, 0, QRect(3, 5, 8, 1)}, {4, 1, 4, 9, 1, QRect(4, 1, 1, 8)},
      {4, 9, 4, 1, 1, QRect(4, 2, 1, 8)},  {2, 5, 10, 5, 3, QRect(2, 4, 8, 3)}, {6, 6, 6, 6, 1, QRect()},
  };
  for (const Case& c : cases) {
    QImage image = Blank(16, 12);
    {
      QtDrawSurface surface(&image);
      surface.SelectPen(DrawPen{PS_SOLID, c.width, RGB(0, 0, 0)});
      surface.MoveToEx(c.x0, c.y0, nullptr);
      ASSERT_TRUE(surface.LineTo(c.x1, c.y1));
    }
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        EXPECT_EQ(image.pixel(x, y) == qRgb(0, 0, 0), c.painted.contains(x, y))
            << x << "," << y << " of " << c.x0 << "," << c.y0 << "-" << c.x1 << "," << c.y1;
      }
    }
  }
}

TEST(QtDrawSurfaceTest, TextIsMeasuredAndDrawnFromItsTopLeft) {
  QImage image = Blank(200, 60);
  QtDrawFont font(QFont("DejaVu Sans", 12));
  SIZE empty{-1, -1}, text{-1, -1};
  {
    QtDrawSurface surface(&image);
    surface.SelectFont(&font);
    ASSERT_TRUE(surface.GetTextExtentPoint32(u"", 0, &empty));
    ASSERT_TRUE(surface.GetTextExtentPoint32(u"Мелодия", 7, &text));
    EXPECT_FALSE(surface.GetTextExtentPoint32(nullptr, 3, &text));
    surface.SetBkMode(TRANSPARENT);
    surface.SetTextColor(RGB(255, 0, 0));
    ASSERT_TRUE(surface.TextOut(20, 10, u"Мелодия", 7));
  }
  EXPECT_EQ(empty.cx, 0);
  EXPECT_GT(empty.cy, 10);  // an empty text still has the font's height
  EXPECT_EQ(text.cy, empty.cy);
  EXPECT_GT(text.cx, 40);
  int top = image.height(), left = image.width(), bottom = -1;
  for (int y = 0; y < image.height(); ++y) {
    const auto [first, last] = InkedRun(image, y);
    if (first < 0) continue;
    top = std::min(top, y);
    bottom = y;
    left = std::min(left, first);
  }
  EXPECT_GE(top, 10);
  EXPECT_LT(bottom, 10 + text.cy);
  EXPECT_GE(left, 20);
  EXPECT_LT(left, 24);
  EXPECT_EQ(image.pixel(0, 0), Rgb(kBackground));  // transparent background
}

TEST(QtDrawSurfaceTest, ImagesDrawPlainOrTransparent) {
  ImageList list(4, 4);
  std::vector<uint32_t> pixels(16, 0);
  pixels[5] = 0xFF0000FFu;  // opaque blue at (1, 1), the rest transparent
  ASSERT_EQ(list.Add(pixels), 0);
  EXPECT_EQ(list.Add(std::vector<uint32_t>(3)), -1);
  list.SetBkColor(RGB(255, 255, 255));
  QImage image = Blank(12, 6);
  {
    QtDrawSurface surface(&image);
    EXPECT_TRUE(surface.DrawImage(&list, 0, 0, 0, ILD_TRANSPARENT));
    EXPECT_TRUE(ImageList_Draw(&list, 0, &surface, 6, 0, ILD_NORMAL));
    EXPECT_FALSE(surface.DrawImage(&list, 1, 0, 0, ILD_NORMAL));
    EXPECT_FALSE(surface.DrawImage(nullptr, 0, 0, 0, ILD_NORMAL));
  }
  EXPECT_EQ(image.pixel(1, 1), qRgb(0, 0, 255));
  EXPECT_EQ(image.pixel(0, 0), Rgb(kBackground));
  EXPECT_EQ(image.pixel(7, 7 - 6), qRgb(0, 0, 255));
  EXPECT_EQ(image.pixel(6, 0), qRgb(255, 255, 255));  // the list's background in the plain style
}

TEST(QtGlyphImageListTest, CellsAndInkFollowScaleAndColour) {
  struct Case {
    LONG scale;
    int noteW, noteH, staffW, staffH;
  } cases[] = {{30, 6, 9, 10, 21}, {100, 21, 31, 35, 69}, {150, 31, 46, 52, 103}, {200, 42, 62, 70, 138}};
  for (const Case& c : cases) {
    const QtGlyphImageList notes(QtGlyphImageList::Kind::Notes, RGB(0, 128, 255), c.scale);
    const QtGlyphImageList staff(QtGlyphImageList::Kind::Staff, RGB(0, 128, 255), c.scale);
    ASSERT_EQ(notes.GetImageCount(), 17);
    ASSERT_EQ(staff.GetImageCount(), 2);
    EXPECT_EQ(notes.GetIconSize().cx, c.noteW);
    EXPECT_EQ(notes.GetIconSize().cy, c.noteH);
    EXPECT_EQ(staff.GetIconSize().cx, c.staffW);
    EXPECT_EQ(staff.GetIconSize().cy, c.staffH);
    for (const ImageList* list : {static_cast<const ImageList*>(&notes), static_cast<const ImageList*>(&staff)}) {
      const size_t cells = static_cast<size_t>(list->GetIconSize().cx) * list->GetIconSize().cy;
      for (int i = 0; i < list->GetImageCount(); ++i) {
        size_t opaque = 0, inked = 0, transparent = 0;
        for (size_t k = 0; k < cells; ++k) {
          const uint32_t p = list->Bits(i)[k];
          if (p == 0) ++transparent;
          if (qAlpha(p) > 0) ++inked;
          if (p == 0xFF0080FFu) ++opaque;  // the ink, fully covered
          EXPECT_EQ(qRed(p), 0) << "only the ink's colour";
        }
        EXPECT_GT(c.scale < 100 ? inked : opaque, 0u) << "glyph " << i << " at " << c.scale;
        EXPECT_GT(transparent, cells / 3) << "glyph " << i << " at " << c.scale;
      }
    }
  }
}

// A melody with notes over the whole range, sharps, dots, rests and ledger lines.
IMelody* ThirtyNotes() {
  IMelody* melody = nullptr;
  EXPECT_EQ(nv::CComObject<nv::CMelody>::CreateInstance(IID_IMelody, reinterpret_cast<void**>(&melody)), S_OK);
  const SHORT values[30][3] = {
      {11, 2, 0},
      {13, 3, 0},
      {15, 3, 0},
      {16, 2, FLAG_DOT},
      {18, 3, 0},
      {17, 4, 0},
      {20, 1, 0},
      {11, 3, FLAG_REST},
      {23, 3, 0},
      {25, 4, 0},
      {27, 4, 0},
      {28, 2, 0},
      {30, 1, 0},
      {31, 3, 0},
      {11, 2, FLAG_REST},
      {8, 2, 0},
      {6, 3, FLAG_DOT},
      {5, 4, 0},
      {4, 3, 0},
      {3, 3, 0},
      {1, 2, 0},
      {0, 0, 0},
      {11, 0, FLAG_REST},
      {9, 1, FLAG_DOT},
      {12, 2, 0},
      {14, 3, 0},
      {11, 4, FLAG_REST},
      {19, 2, 0},
      {11, 1, FLAG_REST | FLAG_DOT},
      {21, 0, 0},
  };
  for (const auto& v : values) EXPECT_EQ(melody->InsertNoteValues(v[0], v[1], v[2]), S_OK);
  EXPECT_EQ(melody->SetCurrent(9), S_OK);
  static OLECHAR name[] = u"Тридцать нот";
  BSTR bstr = SysAllocString(name);
  EXPECT_EQ(melody->SetName(bstr), S_OK);
  SysFreeString(bstr);
  return melody;
}

struct Rendered {
  QImage image;
  LONG top;  // the title's height: the staff's vertical origin
};

// Paints melody at scale into an image of the clip, as the staff view does.
Rendered Render(IMelody* melody, LONG scale, const RECT& clip) {
  QtGlyphImageList staff(QtGlyphImageList::Kind::Staff, kColours[2], scale);
  QtGlyphImageList notes(QtGlyphImageList::Kind::Notes, kColours[2], scale);
  QtGlyphImageList selected(QtGlyphImageList::Kind::Notes, kColours[3], scale);
  QFont qfont("DejaVu Sans");
  qfont.setPixelSize(MusicGlyphs::Scaled(scale, 20));
  QtDrawFont font(qfont);
  Rendered out{Blank(clip.right - clip.left, clip.bottom - clip.top), 0};
  QtDrawSurface surface(&out.image);
  EXPECT_EQ(melody->Draw(&surface, &staff, &notes, &selected, kColours, &clip, &font, scale), S_OK);
  SIZE extent{};
  surface.SelectFont(&font);
  surface.GetTextExtentPoint32(u"", 0, &extent);
  out.top = extent.cy;
  return out;
}

TEST(StaffDrawingTest, MelodyPaintsOnItsStaffAtEveryZoom) {
  IMelody* melody = ThirtyNotes();
  for (LONG scale : {100, 150, 200, 30}) {
    const LONG a = MusicGlyphs::Scaled(scale, 9);
    const LONG width = 14 * MusicGlyphs::Scaled(scale, 45) + 2 * MusicGlyphs::Scaled(scale, 24);
    const LONG height = 3 * 10 * a + 8 * a + MusicGlyphs::Scaled(scale, 40);
    const Rendered r = Render(melody, scale, RECT{0, 0, width, height});
    if (const char* dir = std::getenv("NV_STAFF_PNG_DIR")) {
      r.image.save(QString::fromUtf8(dir) + QStringLiteral("/staff-%1.png").arg(scale));
    }
    // The five lines of each row run across the staff in the staff colour.
    for (LONG row = 0; row < 3; ++row) {
      for (LONG k = 0; k < 5; ++k) {
        const LONG y = r.top + (10 * row + 8) * a + k * a;
        EXPECT_EQ(r.image.pixel(MusicGlyphs::Scaled(scale, 24) + 1, y), qRgb(0, 0, 0)) << scale << " row " << row;
      }
    }
    // Every note's head is inked where its anchor says, in the plain or the selected colour.
    for (LONG i = 0; i < 30; ++i) {
      SHORT flags = 0, pitch = 0;
      melody->SetCurrent(i);
      melody->GetCurrentFlags(&flags);
      melody->GetCurrentPitch(&pitch);
      if (flags & FLAG_REST) continue;
      POINT anchor{};
      ASSERT_EQ(melody->GetNotePosition(i, scale, r.top, &anchor), S_OK);
      // The head's box, a line step square, is at least a quarter ink, filled
      // head or hollow; ink is red (or green for the selected note) well above
      // the other channel.
      const LONG cx = anchor.x + MusicGlyphs::Scaled(scale, 5);
      const LONG cy = anchor.y + MusicGlyphs::Scaled(scale, pitch > 14 ? 4 : 25) + a / 10;
      int ink = 0;
      for (LONG y = cy - a / 2; y <= cy + a / 2; ++y) {
        for (LONG x = cx - a / 2; x <= cx + a / 2; ++x) {
          const QRgb pixel = r.image.pixel(x, y);
          if (std::abs(qRed(pixel) - qGreen(pixel)) > 128) ++ink;
        }
      }
      EXPECT_GE(ink * 4, (a + 1) * (a + 1)) << "note " << i << " at " << scale;
    }
    melody->SetCurrent(9);
  }
  melody->Release();
}

TEST(StaffDrawingTest, AnUpdateRectanglePaintsAsTheFullDrawingDoes) {
  IMelody* melody = ThirtyNotes();
  const LONG scale = 150;
  const RECT all{0, 0, 1000, 500};
  const Rendered full = Render(melody, scale, all);
  POINT anchor{};
  ASSERT_EQ(melody->GetNotePosition(17, scale, full.top, &anchor), S_OK);
  const LONG w = MusicGlyphs::Scaled(scale, 21), h = MusicGlyphs::Scaled(scale, 31);
  const RECT cell{anchor.x - w, anchor.y - h, anchor.x + 2 * w, anchor.y + 2 * h};
  const Rendered part = Render(melody, scale, cell);
  EXPECT_EQ(part.image, full.image.copy(cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top));
  melody->Release();
}

}  // namespace
