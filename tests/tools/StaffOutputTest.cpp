// nvtool staff's vector outputs opened by other programs, as users open
// them: SVG pictures through librsvg's converter, PDF pages through
// poppler's page counter and rasteriser.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStringList>

#include "TempDir.h"
#include "ToolRunner.h"

namespace {

using nvtest::Melody;
using nvtest::RunTool;
using nvtest::ToolResult;

// Runs program with args; its standard output, or an empty string when it
// did not run or failed (noted as a test failure).
QString Program(const QString& program, const QStringList& args) {
  QProcess process;
  process.start(program, args);
  if (!process.waitForStarted() || !process.waitForFinished(-1)) {
    ADD_FAILURE() << program.toStdString() << " did not run (scripts/setup.sh installs it)";
    return {};
  }
  if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
    ADD_FAILURE() << program.toStdString() << " failed: " << process.readAllStandardError().toStdString();
    return {};
  }
  return QString::fromUtf8(process.readAllStandardOutput());
}

// The default note colour, red, counted loosely: smoothed edges come out of
// other renderers in other shades.
int RedPixels(const QImage& image) {
  int red = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      red += c.red() > 200 && c.green() < 60 && c.blue() < 60 ? 1 : 0;
    }
  }
  return red;
}

// The share of the image's pixels that are not (nearly) paper white.
double InkShare(const QImage& image) {
  long ink = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      ink += c.red() < 235 || c.green() < 235 || c.blue() < 235 ? 1 : 0;
    }
  }
  return static_cast<double>(ink) / (static_cast<double>(image.width()) * image.height());
}

// Whether a band of width pixels along the page's edges is all paper white.
bool EdgesBlank(const QImage& page, int width) {
  for (int y = 0; y < page.height(); ++y) {
    for (int x = 0; x < page.width(); ++x) {
      const bool edge = x < width || y < width || x >= page.width() - width || y >= page.height() - width;
      if (edge && page.pixel(x, y) != qRgb(255, 255, 255)) return false;
    }
  }
  return true;
}

class StaffOutputTest : public ::testing::Test {
 protected:
  ToolResult Run(const std::vector<std::string>& args) { return RunTool(args, dir_.path()); }
  std::string File(const std::string& name) const { return dir_.file(name); }
  QString QFile(const std::string& name) const { return QString::fromStdString(File(name)); }

  nvtest::TempDir dir_;
};

TEST_F(StaffOutputTest, SvgIsThePngsPictureInVectors) {
  nvtest::SaveMelody(File("s.mel"), Melody(u"Картинка", nvtest::Notes(14)));
  ASSERT_EQ(0, Run({"staff", File("s.mel"), "-o", File("s.png")}).exitCode);
  const ToolResult result = Run({"staff", File("s.mel"), "-o", File("s.svg")});
  ASSERT_EQ(0, result.exitCode) << result.err;
  EXPECT_NE(std::string::npos, result.out.find("678x")) << result.out;
  Program("rsvg-convert", {QFile("s.svg"), "-o", QFile("svg.png")});

  QImage raster, vector;
  ASSERT_TRUE(raster.load(QFile("s.png"), "PNG"));
  ASSERT_TRUE(vector.load(QFile("svg.png"), "PNG"));
  EXPECT_NEAR(raster.width(), vector.width(), 1);
  EXPECT_NEAR(raster.height(), vector.height(), 1);
  // The same glyphs in the same places: as much red in both.
  const int red = RedPixels(raster);
  EXPECT_GT(red, 500);
  EXPECT_NEAR(red, RedPixels(vector), red / 5);
  // The title is text, so any reader finds it; the glyphs are shapes, not
  // embedded pictures, so they stay sharp when the picture is enlarged.
  EXPECT_TRUE(Program("grep", {"-c", "Картинка", QFile("s.svg")}).toInt() > 0);
  ::QFile svg(QFile("s.svg"));
  ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
  EXPECT_FALSE(svg.readAll().contains("<image"));
}

TEST_F(StaffOutputTest, PdfHasA4PagesBrokenBetweenRowsInsideTheMargins) {
  struct Case {
    size_t notes;
    const char* output;
    int pages;
  } cases[] = {
      {0, "empty.pdf", 1},       {14, "two-rows.pdf", 1},
      {108, "nine-rows.pdf", 1}, {120, "ten-rows.pdf", 2},  // the tenth row with the end mark goes on
      {300, "long.PDF", 3},                                 // the extension in any case
      {700, "longer.pdf", 6},
  };
  for (const Case& c : cases) {
    const std::string mel = File("m.mel");
    nvtest::SaveMelody(mel, Melody(u"Длинная мелодия", nvtest::Notes(c.notes)));
    const ToolResult result = Run({"staff", mel, "-o", File(c.output)});
    ASSERT_EQ(0, result.exitCode) << result.err;
    EXPECT_NE(std::string::npos, result.out.find(std::to_string(c.pages) + " A4 page")) << result.out;

    const QString info = Program("pdfinfo", {QFile(c.output)});
    EXPECT_TRUE(info.contains(QStringLiteral("Pages:           %1\n").arg(c.pages))) << c.output << info.toStdString();
    EXPECT_TRUE(info.contains("595 x 842 pts (A4)")) << info.toStdString();
    EXPECT_TRUE(info.contains(QString::fromUtf8("Длинная мелодия"))) << info.toStdString();
    // Notes, rests and clefs are drawn as shapes: the pages hold no pictures
    // (the listing is its two heading lines).
    EXPECT_EQ(2, Program("pdfimages", {"-list", QFile(c.output)}).count('\n')) << c.output;

    // 30 dots an inch: the 15 mm margins are 17 dots; 12 of them must stay white.
    const QString prefix = QFile(std::string(c.output) + "-page");
    Program("pdftoppm", {"-r", "30", "-png", QFile(c.output), prefix});
    const QStringList pages = QDir(QString::fromStdString(dir_.path()))
                                  .entryList({QString::fromStdString(std::string(c.output) + "-page*.png")});
    ASSERT_EQ(c.pages, pages.size()) << c.output;
    for (const QString& name : pages) {
      QImage page;
      ASSERT_TRUE(page.load(QString::fromStdString(dir_.path()) + "/" + name, "PNG"));
      EXPECT_EQ(248, page.width()) << name.toStdString();
      EXPECT_TRUE(EdgesBlank(page, 12)) << name.toStdString();
      // Paper is white between the lines and notes: the editor's grey ground
      // would cover most of a full page.
      EXPECT_LT(InkShare(page), 0.35) << name.toStdString();
      if (c.notes > 0) {
        EXPECT_GT(RedPixels(page), 100) << name.toStdString();
      }
    }
  }
}

TEST_F(StaffOutputTest, OtherExtensionsStayPngImages) {
  nvtest::SaveMelody(File("s.mel"), Melody(u"P", nvtest::Notes(3)));
  for (const char* output : {"a.png", "b.image", "c.pdf.png", "svg"}) {
    const ToolResult result = Run({"staff", File("s.mel"), "-o", File(output)});
    ASSERT_EQ(0, result.exitCode) << result.err;
    QImage image;
    EXPECT_TRUE(image.load(QFile(output), "PNG")) << output;
  }
}

}  // namespace
