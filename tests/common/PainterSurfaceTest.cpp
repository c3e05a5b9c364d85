// The drawing surface over a caller's painter: the same pixels as over an
// image, and the painter handed back as it came.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <functional>
#include <memory>

#include "QtDrawFont.h"
#include "QtDrawSurface.h"
#include "TestApplication.h"

namespace {

QGuiApplication& App() {
  return TestApplication<QGuiApplication>("painter_surface_test");
}

QImage Blank() {
  QImage image(60, 40, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  return image;
}

// A 4 by 3 picture: opaque blue with a transparent corner.
std::unique_ptr<ImageList> Glyphs() {
  auto list = std::make_unique<ImageList>(4, 3);
  std::vector<uint32_t> pixels(12, 0xFF0000FFu);
  pixels[0] = 0;
  list->Add(pixels);
  return list;
}

using Drawing = std::function<void(DrawSurface&, ImageList&)>;

TEST(PainterSurfaceTest, DrawsAsOverAnImage) {
  App();
  const QtDrawFont font(QFont(QStringLiteral("Liberation Sans"), 12));
  const struct {
    const char* what;
    Drawing draw;
  } cases[] = {
      {"lines and their widths",
       [](DrawSurface& s, ImageList&) {
         s.MoveToEx(2, 3, nullptr);
         s.LineTo(50, 3);
         s.SelectPen(DrawPen{PS_SOLID, 3, RGB(255, 0, 0)});
         s.LineTo(50, 30);
         s.LineTo(10, 20);
       }},
      {"rectangles",
       [](DrawSurface& s, ImageList&) {
         const RECT r{5, 5, 40, 20};
         s.FillRect(&r, RGB(0, 128, 0));
       }},
      {"text by alignment",
       [&font](DrawSurface& s, ImageList&) {
         s.SelectFont(const_cast<QtDrawFont*>(&font));
         s.SetTextAlign(TA_CENTER | TA_BASELINE);
         s.SetBkMode(TRANSPARENT);
         s.TextOut(30, 25, u"Ля", 2);
         s.SelectFont(nullptr);
       }},
      {"glyphs, plain and transparent",
       [](DrawSurface& s, ImageList& list) {
         list.SetBkColor(RGB(0, 255, 0));
         s.DrawImage(&list, 0, 3, 4, ILD_NORMAL);
         s.DrawImage(&list, 0, 20, 4, ILD_TRANSPARENT);
       }},
  };
  for (const auto& c : cases) {
    QImage expected = Blank();
    {
      auto list = Glyphs();
      QtDrawSurface surface(&expected);
      c.draw(surface, *list);
    }
    QImage actual = Blank();
    {
      auto list = Glyphs();
      QPainter painter(&actual);
      QtDrawSurface surface(painter);
      ASSERT_TRUE(surface.isActive());
      c.draw(surface, *list);
    }
    EXPECT_EQ(expected, actual) << c.what;
  }
}

TEST(PainterSurfaceTest, HandsThePainterBackAsItCame) {
  App();
  QImage image = Blank();
  QPainter painter(&image);
  const QPen pen(Qt::magenta, 7);
  painter.setPen(pen);
  painter.translate(3, 4);
  const QFont font = painter.font();
  {
    QtDrawSurface surface(painter);
    QtDrawFont other(QFont(QStringLiteral("Liberation Serif"), 30));
    surface.SelectFont(&other);
    surface.TextOut(0, 0, u"x", 1);
    surface.MoveToEx(0, 0, nullptr);
    surface.LineTo(5, 9);
  }
  EXPECT_TRUE(painter.isActive());
  EXPECT_EQ(pen, painter.pen());
  EXPECT_EQ(font, painter.font());
  EXPECT_EQ(QTransform::fromTranslate(3, 4), painter.transform());
}

}  // namespace
