// The Qt drawing surface, the glyph image lists and a real melody painted
// through them. Set NV_STAFF_PNG_DIR to keep the rendered melodies as PNG files.
#include <gtest/gtest.h>

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryFile>
#include <cstdlib>
#include <memory>

#include "CComObject.h"
#include "CMelody.h"
#include "MusicFont.h"
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
    app_ = std::make_unique<QGuiApplication>(argc, argv);
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QGuiApplication> app_;
};
const auto* const kApplication = ::testing::AddGlobalTestEnvironment(new QtApplication);

constexpr COLORREF kColours[] = {RGB(255, 0, 0), RGB(0, 0, 0), RGB(255, 0, 0), RGB(0, 255, 0), RGB(200, 200, 200)};
const QRgb kBackground = qRgb(200, 200, 200);

QImage Blank(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(kBackground);
  return image;
}

TEST(QtDrawSurfaceTest, LinesLeaveTheirEndPixelOut) {
  struct Case {
    int x0, y0, x1, y1, width;
    QRect painted;
  } cases[] = {{10, 5, 2, 5, 0, QRect(3, 5, 8, 1)},
               {4, 1, 4, 9, 1, QRect(4, 1, 1, 8)},  //
               {2, 5, 10, 5, 3, QRect(2, 4, 8, 3)},
               {6, 6, 6, 6, 1, QRect()}};
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
            << x << "," << y << " of case " << c.x0 << "," << c.y0;
      }
    }
  }
}

TEST(QtGlyphImageListTest, CellsAndInkFollowScaleAndColour) {
  struct Case {
    LONG scale;
    SIZE note, staff;
  } cases[] = {{30, {6, 9}, {10, 21}}, {100, {21, 31}, {35, 69}}, {150, {31, 46}, {52, 103}}};
  for (const Case& c : cases) {
    const QtGlyphImageList notes(QtGlyphImageList::Kind::Notes, RGB(0, 128, 255), c.scale);
    const QtGlyphImageList staff(QtGlyphImageList::Kind::Staff, RGB(0, 128, 255), c.scale);
    ASSERT_EQ(notes.GetImageCount(), 17);
    ASSERT_EQ(staff.GetImageCount(), 2);
    EXPECT_EQ(notes.GetIconSize().cx * 1000 + notes.GetIconSize().cy, c.note.cx * 1000 + c.note.cy);
    EXPECT_EQ(staff.GetIconSize().cx * 1000 + staff.GetIconSize().cy, c.staff.cx * 1000 + c.staff.cy);
    for (const ImageList* list : {static_cast<const ImageList*>(&notes), static_cast<const ImageList*>(&staff)}) {
      const int cells = list->GetIconSize().cx * list->GetIconSize().cy;
      for (int i = 0; i < list->GetImageCount(); ++i) {
        int inked = 0, solid = 0, clear = 0;
        for (const uint32_t* p = list->Bits(i); p != list->Bits(i) + cells; ++p) {
          inked += qAlpha(*p) > 0;
          solid += *p == 0xFF0080FFu;
          clear += *p == 0;
          EXPECT_EQ(qRed(*p), 0) << "only the ink's colour";
        }
        EXPECT_GT(c.scale < 100 ? inked : solid, 0) << "glyph " << i << " at " << c.scale;
        EXPECT_GT(clear, cells / 3) << "glyph " << i << " at " << c.scale;
      }
    }
  }
}

// Thirty symbols over the whole range: sharps, dots, rests, ledger lines, all durations.
IMelody* ThirtySymbols() {
  IMelody* melody = nullptr;
  EXPECT_EQ(nv::CComObject<nv::CMelody>::CreateInstance(IID_IMelody, reinterpret_cast<void**>(&melody)), S_OK);
  for (int i = 0; i < 30; ++i) {
    const SHORT flags = static_cast<SHORT>((i % 7 == 6 ? FLAG_REST : 0) | (i % 4 == 3 ? FLAG_DOT : 0));
    EXPECT_EQ(melody->InsertNoteValues(static_cast<SHORT>(i * 13 % 32), static_cast<SHORT>(i % 5), flags), S_OK);
  }
  EXPECT_EQ(melody->SetCurrent(9), S_OK);
  BSTR name = SysAllocString(u"Тридцать нот");
  EXPECT_EQ(melody->SetName(name), S_OK);
  SysFreeString(name);
  return melody;
}

// Paints melody at scale into an image of the clip, as the staff view does,
// at ratio device pixels per pixel with glyphs from music (null: our own);
// top receives the title's height, the staff's vertical origin.
QImage Render(IMelody* melody, LONG scale, const RECT& clip, LONG* top = nullptr, int ratio = 1,
              const MusicFont* music = nullptr) {
  QtGlyphImageList staff(QtGlyphImageList::Kind::Staff, kColours[2], scale, ratio, music);
  QtGlyphImageList notes(QtGlyphImageList::Kind::Notes, kColours[2], scale, ratio, music);
  QtGlyphImageList selected(QtGlyphImageList::Kind::Notes, kColours[3], scale, ratio, music);
  QFont qfont("DejaVu Sans");
  qfont.setPixelSize(MusicGlyphs::Scaled(scale, 20));
  QtDrawFont font(qfont);
  QImage image = Blank(ratio * (clip.right - clip.left), ratio * (clip.bottom - clip.top));
  image.setDevicePixelRatio(ratio);
  QtDrawSurface surface(&image);
  EXPECT_EQ(melody->Draw(&surface, &staff, &notes, &selected, kColours, &clip, &font, scale), S_OK);
  SIZE extent{};
  surface.SelectFont(&font);
  surface.GetTextExtentPoint32(u"", 0, &extent);
  if (top != nullptr) *top = extent.cy;
  return image;
}

TEST(StaffDrawingTest, HeadsAndLinesLandWhereTheGeometrySaysAtEveryZoom) {
  IMelody* melody = ThirtySymbols();
  for (LONG scale : {100, 150, 200, 30}) {
    const LONG a = MusicGlyphs::Scaled(scale, 9);
    const RECT all{0, 0, 14 * MusicGlyphs::Scaled(scale, 45) + 2 * MusicGlyphs::Scaled(scale, 24), 40 * a + scale};
    LONG top = 0;
    const QImage image = Render(melody, scale, all, &top);
    if (const char* dir = std::getenv("NV_STAFF_PNG_DIR")) {
      image.save(QString::fromUtf8(dir) + QStringLiteral("/staff-%1.png").arg(scale));
    }
    for (LONG line = 0; line < 15; ++line) {
      const LONG y = top + (10 * (line / 5) + 8) * a + line % 5 * a;
      EXPECT_EQ(image.pixel(MusicGlyphs::Scaled(scale, 24) + 1, y), qRgb(0, 0, 0)) << scale << " line " << line;
    }
    // A line-step square around each head is at least a quarter ink, filled
    // head or hollow: red (green for the selected note) well above the other channel.
    for (LONG i = 0; i < 30; ++i) {
      SHORT flags = 0, pitch = 0;
      melody->SetCurrent(i);
      melody->GetCurrentFlags(&flags);
      melody->GetCurrentPitch(&pitch);
      if (flags & FLAG_REST) continue;
      POINT anchor{};
      ASSERT_EQ(melody->GetNotePosition(i, scale, top, &anchor), S_OK);
      const LONG cx = anchor.x + MusicGlyphs::Scaled(scale, 5);
      const LONG cy = anchor.y + MusicGlyphs::Scaled(scale, pitch > 14 ? 4 : 25) + a / 10;
      int ink = 0;
      for (LONG y = cy - a / 2; y <= cy + a / 2; ++y) {
        for (LONG x = cx - a / 2; x <= cx + a / 2; ++x)
          ink += std::abs(qRed(image.pixel(x, y)) - qGreen(image.pixel(x, y))) > 128;
      }
      EXPECT_GE(ink * 4, (a + 1) * (a + 1)) << "note " << i << " at " << scale;
    }
    melody->SetCurrent(9);
  }
  melody->Release();
}

TEST(StaffDrawingTest, AnUpdateRectanglePaintsAsTheFullDrawingDoes) {
  IMelody* melody = ThirtySymbols();
  const LONG scale = 150;
  LONG top = 0;
  const QImage full = Render(melody, scale, RECT{0, 0, 1000, 500}, &top);
  const LONG w = MusicGlyphs::Scaled(scale, 21), h = MusicGlyphs::Scaled(scale, 31);
  for (LONG index : {9, 17, 29}) {
    POINT anchor{};
    ASSERT_EQ(melody->GetNotePosition(index, scale, top, &anchor), S_OK);
    const RECT cell{anchor.x - w, anchor.y - h, anchor.x + 2 * w, anchor.y + 2 * h};
    EXPECT_EQ(Render(melody, scale, cell), full.copy(cell.left, cell.top, 3 * w, 3 * h)) << index;
  }
  melody->Release();
}

// The installed music font, loaded apart from the programs' own copy; null when missing.
const MusicFont* TestFont() {
  static const std::unique_ptr<MusicFont> font = MusicFont::Load(MusicFont::InstalledPath());
  return font.get();
}

// image with every pixel doubled: what a 1x drawing looks like on a 2x screen.
QImage PointDoubled(const QImage& image) {
  QImage big = image.scaled(image.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  big.setDevicePixelRatio(1);
  return big;
}

// image with each 2 by 2 block averaged into one pixel.
QImage BoxHalved(const QImage& image) {
  QImage small(image.width() / 2, image.height() / 2, QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < small.height(); ++y) {
    for (int x = 0; x < small.width(); ++x) {
      int r = 0, g = 0, b = 0;
      for (int k = 0; k < 4; ++k) {
        const QRgb p = image.pixel(2 * x + k % 2, 2 * y + k / 2);
        r += qRed(p), g += qGreen(p), b += qBlue(p);
      }
      small.setPixel(x, y, qRgb(r / 4, g / 4, b / 4));
    }
  }
  return small;
}

TEST(StaffDrawingTest, AtTwoDevicePixelsPerPixelTheStaffHasItsOwnPixelsOnTheSameGeometry) {
  IMelody* melody = ThirtySymbols();
  const std::pair<const char*, const MusicFont*> glyphs[] = {{"our glyphs", nullptr}, {"font glyphs", TestFont()}};
  for (const auto& [what, music] : glyphs) {
    if (music == nullptr && std::string(what) == "font glyphs") continue;  // no font installed
    for (LONG scale : {100, 150}) {
      const RECT all{0, 0, 14 * MusicGlyphs::Scaled(scale, 45) + 2 * MusicGlyphs::Scaled(scale, 24),
                     40 * MusicGlyphs::Scaled(scale, 9)};
      LONG top = 0;
      const QImage one = Render(melody, scale, all, &top, 1, music);
      QImage two = Render(melody, scale, all, nullptr, 2, music);
      two.setDevicePixelRatio(1);
      ASSERT_EQ(one.size() * 2, two.size()) << what;
      // Lines and glyph cells stay where they are in pixels: each staff
      // line's pixel row becomes two device rows.
      const LONG a = MusicGlyphs::Scaled(scale, 9);
      const int x = 2 * MusicGlyphs::Scaled(scale, 24) + 3;
      for (LONG line = 0; line < 15; ++line) {
        const LONG y = top + (10 * (line / 5) + 8) * a + line % 5 * a;
        EXPECT_EQ(two.pixel(x, 2 * y), qRgb(0, 0, 0)) << what << " line " << line;
        EXPECT_EQ(two.pixel(x, 2 * y + 1), qRgb(0, 0, 0)) << what << " line " << line;
        EXPECT_EQ(two.pixel(x, 2 * y + 2), kBackground) << what << " line " << line;
      }
      // Yet the staff (below the title) is not the 1x one enlarged, nor one
      // that halving and doubling gives back: its glyphs have the device's pixels.
      const LONG staffTop = 2 * (top + 8 * a - MusicGlyphs::Scaled(scale, 15));
      const QRect staff(0, staffTop, two.width(), two.height() - staffTop);
      EXPECT_NE(PointDoubled(one).copy(staff), two.copy(staff)) << what << " at " << scale;
      EXPECT_NE(PointDoubled(BoxHalved(two)).copy(staff), two.copy(staff)) << what << " at " << scale;
    }
  }
  melody->Release();
}

TEST(QtDrawSurfaceTest, ImageListsOfAPixelRatioCoverTheirCellInPixels) {
  // A 2 by 2 cell at ratio 2: four by four picture pixels, the top-left one marked.
  ImageList list(4, 4, 2.0);
  std::vector<uint32_t> pixels(16, 0xFF000000u);
  pixels[0] = 0xFFFFFFFFu;
  ASSERT_EQ(list.Add(pixels), 0);
  struct Case {
    int imageRatio;
    QSize inked;  // device pixels the picture covers
    int marked;   // device pixels the marked picture pixel covers
  } cases[] = {{2, QSize(4, 4), 1}, {1, QSize(2, 2), 0}, {3, QSize(6, 6), 1}};
  for (const Case& c : cases) {
    QImage image = Blank(8 * c.imageRatio, 8 * c.imageRatio);
    image.setDevicePixelRatio(c.imageRatio);
    {
      QtDrawSurface surface(&image);
      ASSERT_TRUE(surface.DrawImage(&list, 0, 1, 1, ILD_TRANSPARENT));
    }
    int inked = 0, marked = 0;
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        if (image.pixel(x, y) == kBackground) continue;
        ++inked;
        marked += image.pixel(x, y) == qRgb(255, 255, 255);
        box |= QRect(x, y, 1, 1);
      }
    }
    EXPECT_EQ(box, QRect(QPoint(c.imageRatio, c.imageRatio), c.inked)) << "image ratio " << c.imageRatio;
    EXPECT_EQ(inked, c.inked.width() * c.inked.height()) << "image ratio " << c.imageRatio;
    if (c.marked > 0) {
      EXPECT_GE(marked, c.marked) << "image ratio " << c.imageRatio;
    }
  }
}

TEST(QtGlyphImageListTest, FontGlyphsReplaceOursCellForCellAndScaleWithTheRatio) {
  const MusicFont* music = TestFont();
  if (music == nullptr) GTEST_SKIP() << "no music font installed";
  struct Case {
    LONG scale;
    int ratio;
    SIZE note;  // the note cell in pixels
    LONG staffHeight;
  } cases[] = {{100, 1, {21, 31}, 69}, {100, 2, {21, 31}, 69}, {150, 2, {31, 46}, 103}, {30, 1, {6, 9}, 21}};
  for (const Case& c : cases) {
    const QtGlyphImageList ours(QtGlyphImageList::Kind::Notes, RGB(0, 128, 255), c.scale, c.ratio);
    const QtGlyphImageList engraved(QtGlyphImageList::Kind::Notes, RGB(0, 128, 255), c.scale, c.ratio, music);
    const QtGlyphImageList clef(QtGlyphImageList::Kind::Staff, RGB(0, 128, 255), c.scale, c.ratio, music);
    EXPECT_EQ(engraved.GetIconSize().cx, c.note.cx * c.ratio) << c.scale;
    EXPECT_EQ(engraved.GetIconSize().cy, c.note.cy * c.ratio) << c.scale;
    EXPECT_EQ(clef.GetIconSize().cy, c.staffHeight * c.ratio) << c.scale;
    EXPECT_EQ(engraved.PixelRatio(), c.ratio);
    const size_t cells = static_cast<size_t>(c.note.cx * c.note.cy * c.ratio * c.ratio);
    for (int i = 0; i < engraved.GetImageCount(); ++i) {
      const std::vector<uint32_t> a(ours.Bits(i), ours.Bits(i) + cells);
      const std::vector<uint32_t> b(engraved.Bits(i), engraved.Bits(i) + cells);
      EXPECT_NE(a, b) << "glyph " << i << " at " << c.scale << ", ratio " << c.ratio;
      // Every glyph has ink in the ink's colour, and leaves a good part of
      // its cell clear: a misplaced or flipped shape would do neither.
      const auto inked = std::count_if(b.begin(), b.end(), [](uint32_t p) { return qAlpha(p) > 0; });
      EXPECT_GE(inked, 2) << "glyph " << i << " at " << c.scale << ", ratio " << c.ratio;
      EXPECT_EQ(std::count_if(b.begin(), b.end(), [](uint32_t p) { return qRed(p) != 0; }), 0) << "glyph " << i;
      EXPECT_GT(std::count(b.begin(), b.end(), 0u), static_cast<long>(cells / 3)) << "glyph " << i;
    }
  }
}

TEST(MusicFontTest, AMissingOrUnreadableFontIsRefusedAndTheProgramsSaySo) {
  QTemporaryFile text;
  ASSERT_TRUE(text.open());
  ASSERT_GT(text.write("noteheads.s0 flags.u3 clefs.G\n"), 0);
  text.close();
  for (const QString& path : {QString(), QStringLiteral("/nonexistent/music.otf"), text.fileName()}) {
    EXPECT_EQ(MusicFont::Load(path), nullptr) << path.toStdString();
  }
  // A text font has no music glyph names.
  EXPECT_EQ(MusicFont::Load(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf")), nullptr);
  setenv("NV_MUSIC_FONT", "/nonexistent/music.otf", 1);
  EXPECT_EQ(MusicFont::InstalledPath(), QStringLiteral("/nonexistent/music.otf"));
  EXPECT_EQ(MusicFont::Installed(), nullptr);
  EXPECT_EQ(MusicFont::Notice(), QStringLiteral("Нотный шрифт не найден: ноты нарисованы встроенными знаками"));
  unsetenv("NV_MUSIC_FONT");
}

}  // namespace
