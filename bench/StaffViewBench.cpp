// The staff view of the melody editor with a 1,000-note melody at zoom 200,
// through the real view and document thread: a repaint of the whole view,
// and the repaint that follows one playback progress message (the previous
// and the new note's cells).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <fstream>
#include <string>

#include "CAppSetting.h"
#include "CBellView.h"
#include "CDocThread.h"
#include "DocMessages.h"
#include "platform/Library.h"
#include "platform/Messages.h"
#include "platform/Registry.h"

namespace {

constexpr LONG kNotes = 1000;
constexpr ULONG kZoom = 200;

// A private registry with Sonvox registered from the build's program folder.
void PrepareRegistry(const std::string& folder) {
  setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  HMODULE module = LoadLibrary((std::string(NV_BENCH_BIN_DIR) + "/" + SONVOX_MODULE).c_str());
  if (module == nullptr) std::abort();
  if (auto reg = reinterpret_cast<LPFNREGISTERSERVER>(GetProcAddress(module, "DllRegisterServer"))) reg();
  FreeLibrary(module);
  HKEY key = nullptr;
  RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\N&V\\Sonvox", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  RegSetValueEx(key, "AudioDevice", 0, REG_SZ, reinterpret_cast<const BYTE*>("null"), 5);
  RegCloseKey(key);
}

// Every pitch, duration, sharps, dots and rests in turn.
void WriteMelody(const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  out.write(
      "\x05"
      "EM2.0",
      6);
  out.write(reinterpret_cast<const char*>(&kNotes), 4);
  out.write(
      "\x0C"
      "Bench melody",
      13);
  out.write(reinterpret_cast<const char*>(&kNotes), 4);
  for (LONG i = 0; i < kNotes; ++i) {
    out.put(static_cast<char>(i % 32));
    out.put(static_cast<char>(i % 5));
    out.put(static_cast<char>((i % 7 == 3 ? FLAG_REST : 0) | (i % 5 == 1 ? FLAG_DOT : 0)));
  }
}

// Counts the paint events the view's viewport receives.
class PaintCounter : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

struct Scene {
  Scene() {
    char folder[] = "/tmp/staffview-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) std::abort();
    dir = folder;
    PrepareRegistry(dir);
    if (!doc.Start()) std::abort();
    const std::string path = dir + "/bench.mel";
    WriteMelody(path);
    CStringU error;
    if (doc.Send(DOCM_OPEN, reinterpret_cast<WPARAM>(&error), reinterpret_cast<LPARAM>(path.c_str())) == 0) {
      std::abort();
    }
    settings.SetZoom(kZoom);
    view = std::make_unique<CBellView>(doc.Thread(), settings);
    view->resize(1000, 700);
    view->show();
    if (!view->InitView()) std::abort();
    doc.SetViewWindow(view->MessageWindow());
    // The note halfway through the melody, already in view.
    for (LONG i = 0; i <= kNotes / 2; ++i) doc.Send(DOCM_NEXT_NOTE);
    view->ScrollToCurrent();
    QApplication::processEvents();
    view->viewport()->installEventFilter(&counter);
  }
  ~Scene() {
    view.reset();
    doc.Close();
    std::string command = "rm -rf '" + dir + "'";
    if (std::system(command.c_str()) != 0) std::abort();
  }

  std::string dir;
  CAppSetting settings;
  CDocThread doc;
  std::unique_ptr<CBellView> view;
  PaintCounter counter;
};

Scene& TheScene() {
  static Scene* scene = new Scene;
  return *scene;
}

void BM_FullRepaint(benchmark::State& state) {
  Scene& scene = TheScene();
  const int before = scene.counter.paints;
  for (auto _ : state) scene.view->viewport()->repaint();
  state.counters["paints"] =
      benchmark::Counter(scene.counter.paints - before, benchmark::Counter::kAvgIterations);
  state.counters["width"] = scene.view->viewport()->width();
  state.counters["height"] = scene.view->viewport()->height();
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMillisecond);

void BM_ProgressRepaint(benchmark::State& state) {
  Scene& scene = TheScene();
  const HWND window = scene.view->MessageWindow();
  const int before = scene.counter.paints;
  for (auto _ : state) {
    PostMessage(window, UIM_PLAY_PROGRESS, kNotes / 2, 0);
    QApplication::processEvents();
  }
  state.counters["paints"] =
      benchmark::Counter(scene.counter.paints - before, benchmark::Counter::kAvgIterations);
}

// The drawing alone, as one paint of the whole visible area makes it: the
// image, the background and the melody drawn by the document thread.
void BM_DrawVisibleArea(benchmark::State& state) {
  Scene& scene = TheScene();
  const QRect area(scene.view->ScrollPosition(), scene.view->viewport()->size());
  QImage image(area.size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    if (!scene.view->DrawArea(area, image)) state.SkipWithError("the document thread did not draw");
  }
}
BENCHMARK(BM_DrawVisibleArea)->Unit(benchmark::kMillisecond);

// The whole document (every one of the 1,000 notes) into one image.
void BM_DrawWholeDocument(benchmark::State& state) {
  Scene& scene = TheScene();
  const QRect area(QPoint(0, 0), scene.view->DocumentExtent());
  QImage image(area.size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) scene.view->DrawArea(area, image);
  state.counters["height"] = area.height();
}
BENCHMARK(BM_DrawWholeDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgressRepaint)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  delete &TheScene();
  return 0;
}
