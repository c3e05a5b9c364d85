#include "StaffCommand.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "ArgParser.h"
#include "CAppSetting.h"
#include "ComSession.h"
#include "MelodyFiles.h"
#include "StaffDocument.h"
#include "StaffPaper.h"
#include "ToolError.h"
#include "common/CSaveFileU.h"
#include "platform/CodePage.h"

namespace {

enum class StaffFormat { Png, Svg, Pdf };

// Beyond four device pixels per pixel no screen goes, and pictures grow large.
constexpr long kMaxScale = 4;

// By the output's extension, any case; everything else stays a PNG image.
StaffFormat FormatOf(const std::string& path) {
  std::string lower = path;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  const auto endsWith = [&](const char* ext) {
    const std::string e(ext);
    return lower.size() > e.size() && lower.compare(lower.size() - e.size(), e.size(), e) == 0;
  };
  if (endsWith(".svg")) return StaffFormat::Svg;
  if (endsWith(".pdf")) return StaffFormat::Pdf;
  return StaffFormat::Png;
}

// Margins of the PDF pages, in millimetres.
constexpr double kPageMarginMm = 15.0;

QByteArray Png(StaffPaper& paper, long scale) {
  QImage image(paper.Extent() * static_cast<int>(scale), QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(static_cast<double>(scale));
  if (image.isNull() || !paper.PaintImage(image)) throw ToolError::Failed("the staff cannot be drawn");
  QByteArray png;
  QBuffer buffer(&png);
  if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
    throw ToolError::Failed("the PNG cannot be made");
  return png;
}

QByteArray Svg(StaffPaper& paper, const QString& title) {
  QByteArray svg;
  QBuffer buffer(&svg);
  if (!buffer.open(QIODevice::WriteOnly)) throw ToolError::Failed("the SVG cannot be made");
  const QSize extent = paper.Extent();
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(extent);
  generator.setViewBox(QRect(QPoint(0, 0), extent));
  // The screen's resolution, so the picture keeps the PNG's size.
  generator.setResolution(96);
  generator.setTitle(title);
  QPainter painter;
  if (!painter.begin(&generator)) throw ToolError::Failed("the SVG cannot be made");
  const bool drawn = paper.PaintWhole(painter);
  painter.end();
  if (!drawn) throw ToolError::Failed("the staff cannot be drawn");
  return svg;
}

QByteArray Pdf(StaffPaper& paper, const QString& title, int* pages) {
  QByteArray pdf;
  QBuffer buffer(&pdf);
  if (!buffer.open(QIODevice::WriteOnly)) throw ToolError::Failed("the PDF cannot be made");
  {
    QPdfWriter writer(&buffer);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("nvtool"));
    const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                             QMarginsF(kPageMarginMm, kPageMarginMm, kPageMarginMm, kPageMarginMm),
                             QPageLayout::Millimeter);
    if (!writer.setPageLayout(layout)) throw ToolError::Failed("the PDF page cannot be set up");
    *pages = paper.PaintPages(writer);
  }
  if (*pages == 0) throw ToolError::Failed("the staff cannot be drawn");
  return pdf;
}

}  // namespace

std::string_view StaffCommand::Help() const {
  return "usage: nvtool staff IN.mel -o OUT [--zoom Z] [--scale N]\n"
         "\n"
         "Draws the whole melody as the melody editor's staff view shows it, with the\n"
         "same glyphs, name font and default colours, off screen (no display needed).\n"
         "The glyphs come from the music font when it is installed.\n"
         "The output's extension chooses the kind:\n"
         "  .svg          one picture of the whole staff, lines and title as vectors\n"
         "  .pdf          A4 portrait pages on white paper, the staff fitted to the\n"
         "                page width, the title on top and pages broken between\n"
         "                staff rows\n"
         "  anything else a PNG image\n"
         "\n"
         "  --zoom Z      scale in percent, 30 to 200 (default 100; 200 for PDF, where\n"
         "                the page width fixes the size and the zoom only the\n"
         "                sharpness of the note glyphs)\n"
         "  --scale N     PNG only: device pixels per pixel, 1 to 4 (default 1), as on\n"
         "                a screen of that pixel ratio: the picture is N times as wide\n"
         "                and high\n"
         "  -o, --output  the file to write\n";
}

int StaffCommand::Run(const std::vector<std::string>& args) {
  ArgParser parser(args, {{"output", 'o', true}, {"zoom", 0, true}, {"scale", 0, true}});
  parser.ExpectPositionals(1, "IN.mel");
  const std::string output = parser.Required("output");
  const StaffFormat format = FormatOf(output);
  const long defaultZoom = format == StaffFormat::Pdf ? static_cast<long>(StaffPaper::kPaperZoom) : 100;
  const long zoom = parser.Number("zoom", CAppSetting::kMinZoom, CAppSetting::kMaxZoom, defaultZoom);
  const long scale = parser.Number("scale", 1, kMaxScale, 1);
  if (scale != 1 && format != StaffFormat::Png) throw ToolError::Usage("--scale applies to PNG pictures only");
  const MelodyData data = MelodyFiles::LoadMelody(parser.Positionals()[0]);

  // The view is a widget: it needs an application, which must not need a display.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "nvtool";
  static char* argv[] = {name, nullptr};
  // Qt's own notes (no runtime folder, font fallbacks) are not the user's concern.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "nvtool: %s\n", qPrintable(text));
  });
  QApplication app(argc, argv);

  ComSession session;
  nv::ComPtr<IMelody> melody = session.MelodyFrom(data);
  StaffDocument document(melody.get());
  if (!document.Start()) throw ToolError::Failed("the drawing thread cannot start");

  const CAppSetting settings;
  StaffPaper paper(document.Thread(), settings, static_cast<ULONG>(zoom),
                   format == StaffFormat::Pdf ? StaffPaper::Medium::Paper : StaffPaper::Medium::Picture);
  paper.SetPixelRatio(static_cast<double>(scale));
  if (!paper.Init()) throw ToolError::Failed("the staff glyphs cannot be made");
  const QSize extent = paper.Extent();
  const QString title = QString::fromStdU16String(data.name);

  QByteArray bytes;
  int pages = 0;
  switch (format) {
    case StaffFormat::Png:
      bytes = Png(paper, scale);
      break;
    case StaffFormat::Svg:
      bytes = Svg(paper, title);
      break;
    case StaffFormat::Pdf:
      bytes = Pdf(paper, title, &pages);
      break;
  }

  // Saved as every other output is, so links, owner and mode stay.
  CSaveFileU file;
  if (!file.Create(output)) throw ToolError::Failed(u"Ошибка при открытии файла " + nv::Utf8ToWide(output));
  if (!file.File().Write(bytes.constData(), static_cast<size_t>(bytes.size())) || !file.Commit()) {
    throw ToolError::Failed(u"Ошибка при записи в файл " + nv::Utf8ToWide(output));
  }
  if (format == StaffFormat::Pdf) {
    std::printf("%s: %d A4 page%s, %zu note symbols at zoom %ld\n", output.c_str(), pages, pages == 1 ? "" : "s",
                data.notes.size(), zoom);
  } else {
    std::printf("%s: %dx%d pixels, %zu note symbols at zoom %ld\n", output.c_str(),
                extent.width() * static_cast<int>(scale), extent.height() * static_cast<int>(scale), data.notes.size(),
                zoom);
  }
  return kExitOk;
}
