// Painting a 1,000-note melody at zoom 200 through the Qt drawing surface, as
// the staff view does: a fresh image of the update rectangle, the background
// fill, then IMelody::Draw with glyph lists built once beforehand. Arguments:
// device pixels per pixel (1 or 2) and the glyphs' source (0 our drawings, 1
// the installed music font).
#include <benchmark/benchmark.h>

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <map>
#include <memory>
#include <utility>

#include "CComObject.h"
#include "CMelody.h"
#include "MusicFont.h"
#include "MusicGlyphs.h"
#include "QtDrawFont.h"
#include "QtDrawSurface.h"
#include "QtGlyphImageList.h"

namespace {

constexpr LONG kScale = 200;
constexpr LONG kNotes = 1000;
constexpr COLORREF kColours[] = {RGB(255, 0, 0), RGB(0, 0, 0), RGB(255, 0, 0), RGB(0, 255, 0), RGB(200, 200, 200)};

LONG S(LONG v) {
  return MusicGlyphs::Scaled(kScale, v);
}

struct Scene {
  Scene(int ratio, const MusicFont* music)
      : ratio(ratio),
        staff(QtGlyphImageList::Kind::Staff, kColours[2], kScale, ratio, music),
        notes(QtGlyphImageList::Kind::Notes, kColours[2], kScale, ratio, music),
        selected(QtGlyphImageList::Kind::Notes, kColours[3], kScale, ratio, music),
        font([] {
          QFont f("DejaVu Sans");
          f.setPixelSize(S(20));
          return f;
        }()) {
    nv::CComObject<nv::CMelody>::CreateInstance(IID_IMelody, reinterpret_cast<void**>(&melody));
    for (LONG i = 0; i < kNotes; ++i) {
      // Every pitch, duration, sharps, dots and rests in turn.
      const SHORT flags = static_cast<SHORT>((i % 7 == 3 ? FLAG_REST : 0) | (i % 5 == 1 ? FLAG_DOT : 0));
      melody->InsertNoteValues(static_cast<SHORT>(i % 32), static_cast<SHORT>(i % 5), flags);
    }
    melody->SetCurrent(kNotes / 2);
    QImage probe(1, 1, QImage::Format_ARGB32_Premultiplied);
    QtDrawSurface surface(&probe);
    surface.SelectFont(&font);
    SIZE extent{};
    surface.GetTextExtentPoint32(u"", 0, &extent);
    top = extent.cy;
  }
  ~Scene() { melody->Release(); }

  void Paint(const RECT& clip) {
    QImage image(ratio * (clip.right - clip.left), ratio * (clip.bottom - clip.top),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    PaintInto(image, clip);
  }

  void PaintInto(QImage& image, const RECT& clip) {
    QtDrawSurface surface(&image);
    const RECT all{0, 0, image.width() / ratio, image.height() / ratio};
    surface.FillRect(&all, kColours[4]);
    melody->Draw(&surface, &staff, &notes, &selected, kColours, &clip, &font, kScale);
    benchmark::DoNotOptimize(image.constBits());
  }

  int ratio;
  IMelody* melody = nullptr;
  QtGlyphImageList staff, notes, selected;
  QtDrawFont font;
  LONG top = 0;
};

QGuiApplication& TheApplication() {
  static int argc = 1;
  static char name[] = "staff_drawing_bench";
  static char* argv[] = {name, nullptr};
  static QGuiApplication app(argc, argv);
  return app;
}

// The scene of the benchmark's arguments (ratio, glyphs), made at its first use.
Scene& TheScene(const benchmark::State& state) {
  TheApplication();
  static std::map<std::pair<int64_t, int64_t>, std::unique_ptr<Scene>> scenes;
  const auto key = std::make_pair(state.range(0), state.range(1));
  auto& scene = scenes[key];
  if (!scene)
    scene = std::make_unique<Scene>(static_cast<int>(key.first), key.second != 0 ? MusicFont::Installed() : nullptr);
  return *scene;
}

// Both ratios, with our glyphs and the font's.
void Variants(benchmark::internal::Benchmark* b) {
  b->ArgNames({"ratio", "font"});
  for (int ratio : {1, 2}) {
    for (int font : {0, 1}) b->Args({ratio, font});
  }
}

// A 1280 x 1024 view scrolled to the middle of the melody, repainted whole.
void BM_FullViewRepaint(benchmark::State& state) {
  Scene& scene = TheScene(state);
  const LONG y = scene.top + 40 * 10 * S(9);
  const RECT clip{0, y, 1280, y + 1024};
  for (auto _ : state) scene.Paint(clip);
}
BENCHMARK(BM_FullViewRepaint)->Apply(Variants)->Unit(benchmark::kMillisecond);

// The whole document, every row of the melody, into one image of about
// 1,356 x 15,300 pixels made beforehand (its background fill alone moves 83 MB).
void BM_WholeDocument(benchmark::State& state) {
  Scene& scene = TheScene(state);
  const LONG rows = (kNotes + 11) / 12;
  const RECT clip{0, 0, 14 * S(45) + 2 * S(24), 10 * S(9) * rows + 8 * S(9) + scene.top};
  QImage image(clip.right, clip.bottom, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) scene.PaintInto(image, clip);
}
BENCHMARK(BM_WholeDocument)->Args({1, 0})->ArgNames({"ratio", "font"})->Unit(benchmark::kMillisecond);

// The update rectangle of one note during playback: three cells wide, three high.
void BM_OneCellUpdate(benchmark::State& state) {
  Scene& scene = TheScene(state);
  POINT anchor{};
  scene.melody->GetNotePosition(kNotes / 2, kScale, scene.top, &anchor);
  const LONG w = S(21), h = S(31);
  const RECT clip{anchor.x - w, anchor.y - h, anchor.x + 2 * w, anchor.y + 2 * h};
  for (auto _ : state) scene.Paint(clip);
}
BENCHMARK(BM_OneCellUpdate)->Apply(Variants)->Unit(benchmark::kMicrosecond);

// Rebuilding the three glyph lists, as after a zoom or colour change.
void BM_BuildGlyphLists(benchmark::State& state) {
  TheApplication();
  const int ratio = static_cast<int>(state.range(0));
  const MusicFont* music = state.range(1) != 0 ? MusicFont::Installed() : nullptr;
  for (auto _ : state) {
    QtGlyphImageList staff(QtGlyphImageList::Kind::Staff, kColours[2], kScale, ratio, music);
    QtGlyphImageList notes(QtGlyphImageList::Kind::Notes, kColours[2], kScale, ratio, music);
    QtGlyphImageList selected(QtGlyphImageList::Kind::Notes, kColours[3], kScale, ratio, music);
    benchmark::DoNotOptimize(notes.Bits(0));
  }
}
BENCHMARK(BM_BuildGlyphLists)->Apply(Variants)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
