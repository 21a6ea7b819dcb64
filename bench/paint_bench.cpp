// karvelon-paint-bench [benchmark options]
// What a resize costs: the window laid out at a new scale and its client area painted whole,
// off screen, with the showcase's first game in its play (table, history, annotation text). At
// the design's 640 x 480 and at 1920 x 1440 (scale 3), and at scale 3 on a HiDPI screen (device
// pixel ratio 2: 3840 x 2880 pixels).
#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <cstdlib>

#include "replay/controls.h"
#include "viewer/karvelon.h"
#include "viewer/platform/qt/qt_host.h"

namespace {

viewer::qt::MainWindow* ptWindow = nullptr;

void BM_ResizePaint(benchmark::State& tState) {
  const double Scale = static_cast<double>(tState.range(0)) / 100;
  const double PixelRatio = static_cast<double>(tState.range(1));
  for (auto _ : tState) {
    ptWindow->SetScale(1.5);  // from another size, as a drag of the window's edge does
    benchmark::DoNotOptimize(ptWindow->RenderClient(Scale, PixelRatio));
  }
  tState.SetLabel(std::to_string(static_cast<int>(640 * Scale * PixelRatio)) + " x " +
                  std::to_string(static_cast<int>(480 * Scale * PixelRatio)));
}
BENCHMARK(BM_ResizePaint)
    ->Args({100, 1})
    ->Args({300, 1})
    ->Args({300, 2})
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication tApplication(argc, argv);
  benchmark::Initialize(&argc, argv);
  viewer::SetImportLogEnabled(false);
  viewer::qt::MainWindow tWindow(false);
  tWindow.show();
  tWindow.OpenFile(KARVELON_SOURCE_DIR "/examples/showcase.pbn");
  auto* ptForward = qobject_cast<QAbstractButton*>(tWindow.Control(viewer::ID_EXEC));
  for (int Press = 0; Press < 24 && ptForward != nullptr; ++Press)
    ptForward->click();
  ptWindow = &tWindow;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
