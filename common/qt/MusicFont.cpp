#include "MusicFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <cstdlib>

namespace {

constexpr const char* kGlyphNames[MusicFont::kGlyphCount] = {
    "noteheads.s0", "noteheads.s1", "noteheads.s2", "flags.u3", "flags.u4",          "flags.d3", "flags.d4", "rests.0",
    "rests.1",      "rests.2",      "rests.3",      "rests.4",  "accidentals.sharp", "dots.dot", "clefs.G",
};

constexpr const char* kFontFolder = "/usr/share/lilypond";
constexpr const char* kFontFile = "fonts/otf/emmentaler-20.otf";

// FreeType's library and face, released in reverse order.
class Face {
 public:
  explicit Face(const QString& path) {
    if (FT_Init_FreeType(&library_) != 0) {
      library_ = nullptr;
      return;
    }
    if (FT_New_Face(library_, QFile::encodeName(path).constData(), 0, &face_) != 0) face_ = nullptr;
  }
  ~Face() {
    if (face_ != nullptr) FT_Done_Face(face_);
    if (library_ != nullptr) FT_Done_FreeType(library_);
  }
  Face(const Face&) = delete;
  Face& operator=(const Face&) = delete;

  FT_Face get() const { return face_; }

 private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

// Collects an outline into a path, font units scaled by unit and y turned downwards.
struct PathSink {
  QPainterPath path;
  double unit;

  QPointF P(const FT_Vector* v) const { return QPointF(v->x * unit, -v->y * unit); }

  static int MoveTo(const FT_Vector* to, void* user) {
    auto* sink = static_cast<PathSink*>(user);
    sink->path.closeSubpath();
    sink->path.moveTo(sink->P(to));
    return 0;
  }
  static int LineTo(const FT_Vector* to, void* user) {
    auto* sink = static_cast<PathSink*>(user);
    sink->path.lineTo(sink->P(to));
    return 0;
  }
  static int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto* sink = static_cast<PathSink*>(user);
    sink->path.quadTo(sink->P(control), sink->P(to));
    return 0;
  }
  static int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    auto* sink = static_cast<PathSink*>(user);
    sink->path.cubicTo(sink->P(c1), sink->P(c2), sink->P(to));
    return 0;
  }
};

// The outline of glyph name in staff spaces; empty when the face lacks it.
QPainterPath ReadGlyph(FT_Face face, const char* name, double unit) {
  const FT_UInt index = FT_Get_Name_Index(face, const_cast<FT_String*>(name));
  if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE) != 0) return {};
  if (face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) return {};
  FT_Outline_Funcs funcs{};
  funcs.move_to = &PathSink::MoveTo;
  funcs.line_to = &PathSink::LineTo;
  funcs.conic_to = &PathSink::ConicTo;
  funcs.cubic_to = &PathSink::CubicTo;
  PathSink sink{QPainterPath(), unit};
  if (FT_Outline_Decompose(&face->glyph->outline, &funcs, &sink) != 0) return {};
  sink.path.closeSubpath();
  // FreeType's fill rule for an outline: even-odd only when it says so.
  sink.path.setFillRule((face->glyph->outline.flags & FT_OUTLINE_EVEN_ODD_FILL) != 0 ? Qt::OddEvenFill
                                                                                     : Qt::WindingFill);
  return sink.path;
}

}  // namespace

const char* MusicFont::GlyphName(Glyph glyph) {
  return kGlyphNames[static_cast<size_t>(glyph)];
}

std::unique_ptr<MusicFont> MusicFont::Load(const QString& path) {
  if (path.isEmpty()) return nullptr;
  const Face face(path);
  if (face.get() == nullptr || face.get()->units_per_EM == 0 || !FT_HAS_GLYPH_NAMES(face.get())) return nullptr;
  const double unit = 4.0 / face.get()->units_per_EM;
  std::unique_ptr<MusicFont> font(new MusicFont());
  for (int i = 0; i < kGlyphCount; ++i) {
    font->outlines_[static_cast<size_t>(i)] = ReadGlyph(face.get(), kGlyphNames[i], unit);
    if (font->outlines_[static_cast<size_t>(i)].isEmpty()) return nullptr;
  }
  return font;
}

QString MusicFont::InstalledPath() {
  if (const char* chosen = std::getenv("NV_MUSIC_FONT")) return QString::fromLocal8Bit(chosen);
  // One folder per installed version; the newest comes last in numeric order.
  QStringList versions = QDir(QString::fromLatin1(kFontFolder)).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  QCollator numeric;
  numeric.setNumericMode(true);
  std::sort(versions.begin(), versions.end(), numeric);
  for (auto it = versions.crbegin(); it != versions.crend(); ++it) {
    const QString file = QString::fromLatin1(kFontFolder) + u'/' + *it + u'/' + QString::fromLatin1(kFontFile);
    if (QFileInfo(file).isFile()) return file;
  }
  return {};
}

const MusicFont* MusicFont::Installed() {
  static const std::unique_ptr<MusicFont> font = Load(InstalledPath());
  return font.get();
}

QString MusicFont::Notice() {
  return Installed() == nullptr ? QStringLiteral("Нотный шрифт не найден: ноты нарисованы встроенными знаками")
                                : QString();
}
