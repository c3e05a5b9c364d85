#include "StaffCommand.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <cstdio>
#include <cstdlib>

#include "ArgParser.h"
#include "CAppSetting.h"
#include "CBellView.h"
#include "ComSession.h"
#include "MelodyFiles.h"
#include "StaffDocument.h"
#include "ToolError.h"
#include "common/CSaveFileU.h"
#include "platform/CodePage.h"

namespace {

// Beyond four device pixels per pixel no screen goes, and pictures grow large.
constexpr long kMaxScale = 4;

}  // namespace

std::string_view StaffCommand::Help() const {
  return "usage: nvtool staff IN.mel -o OUT.png [--zoom Z] [--scale N]\n"
         "\n"
         "Draws the whole melody as the melody editor's staff view shows it, with the\n"
         "same glyphs, name font and default colours, off screen (no display needed).\n"
         "The glyphs come from the music font when it is installed.\n"
         "\n"
         "  --zoom Z      scale in percent, 30 to 200 (default 100)\n"
         "  --scale N     device pixels per pixel, 1 to 4 (default 1), as on a screen\n"
         "                of that pixel ratio: the picture is N times as wide and high\n"
         "  -o, --output  the PNG image to write\n";
}

int StaffCommand::Run(const std::vector<std::string>& args) {
  ArgParser parser(args, {{"output", 'o', true}, {"zoom", 0, true}, {"scale", 0, true}});
  parser.ExpectPositionals(1, "IN.mel");
  const std::string output = parser.Required("output");
  const long zoom = parser.Number("zoom", CAppSetting::kMinZoom, CAppSetting::kMaxZoom, 100);
  const long scale = parser.Number("scale", 1, kMaxScale, 1);
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

  CAppSetting settings;
  settings.SetZoom(static_cast<ULONG>(zoom));
  CBellView view(document.Thread(), settings);
  view.SetPixelRatio(static_cast<double>(scale));
  if (!view.InitView()) throw ToolError::Failed("the staff glyphs cannot be made");
  const QSize extent = view.DocumentExtent();
  QImage image(extent * static_cast<int>(scale), QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(static_cast<double>(scale));
  if (image.isNull() || !view.DrawArea(QRect(QPoint(0, 0), extent), image)) {
    throw ToolError::Failed("the staff cannot be drawn");
  }

  // Saved as every other output is, so links, owner and mode stay.
  QByteArray png;
  QBuffer buffer(&png);
  if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
    throw ToolError::Failed(u"Ошибка при записи в файл " + nv::Utf8ToWide(output));
  }
  CSaveFileU file;
  if (!file.Create(output)) throw ToolError::Failed(u"Ошибка при открытии файла " + nv::Utf8ToWide(output));
  if (!file.File().Write(png.constData(), static_cast<size_t>(png.size())) || !file.Commit()) {
    throw ToolError::Failed(u"Ошибка при записи в файл " + nv::Utf8ToWide(output));
  }
  std::printf("%s: %dx%d pixels, %zu note symbols at zoom %ld\n", output.c_str(), image.width(), image.height(),
              data.notes.size(), zoom);
  return kExitOk;
}
