// velmora_profile_bench: what the voltage profile of a loop costs on every action, for a loop of
// 250 devices. The view redraws its figure after every change of the loop, so one redraw (the
// whole widget painted into an image of its size) must stay under 1 ms; the profile's
// calculation and the compact report figure are timed beside it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "electrical/loop_profile.h"
#include "electrical/voltage_profile.h"
#include "reports/loop_profile_figure.h"
#include "ui/loop_profile_view.h"

namespace {

using namespace velmora;

// 250 devices spread along 2 km of 1.5 mm² cable: detectors, call points, sounders and
// isolators in rows as a designer enters them, ten alarm indicators.
electrical::LoopProfile LargeLoop() {
  std::vector<electrical::ProfileDeviceRow> rows;
  for (int block = 0; block < 10; ++block) {
    rows.push_back({18, 1, 0.3, 6.0, 18 * 6.0, 17.0});
    rows.push_back({2, 10, 0.25, 2.5, 2 * 2.5, 17.0});
    rows.push_back({3, 12, 1.0, 9.0, 3 * 9.0, 18.0});
    rows.push_back({2, 33, 0.1, 5.0, 2 * 5.0, 17.5});
  }
  electrical::LoopProfile loop;
  loop.input.length = 2000;
  loop.input.resistance = 13;
  loop.input.first_distance = 10;
  loop.input.supply_v = 24;
  loop.input.devices = *electrical::ExpandAlarmCurrents(rows, 10);
  loop.profile = electrical::CalculateVoltageProfile(loop.input);
  loop.sections = electrical::DevicesPerSection(loop.input.devices);
  loop.lumped_u = 21.5;
  loop.row_names.assign(rows.size(), QStringLiteral("OD - 100"));
  return loop;
}

void BM_ProfileCalculation(benchmark::State& state) {
  const electrical::LoopProfile loop = LargeLoop();
  for (auto _ : state) {
    electrical::VoltageProfile p = electrical::CalculateVoltageProfile(loop.input);
    benchmark::DoNotOptimize(p);
  }
  if (loop.profile.distance.size() != 250) state.SkipWithError("the loop has no 250 devices");
}

void BM_LoopViewRedraw(benchmark::State& state) {
  ui::LoopProfileView view;
  view.resize(int(state.range(0)), int(state.range(1)));
  view.SetProfile(LargeLoop());
  QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    view.render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
  if (image.pixel(view.width() / 2, view.height() / 2) == 0)
    state.SkipWithError("nothing was painted");
}

void BM_LoopViewNewProfile(benchmark::State& state) {
  // An action on the loop: the profile worked out again, handed to the view, and redrawn.
  ui::LoopProfileView view;
  view.resize(640, 280);
  electrical::LoopProfile loop = LargeLoop();
  QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    loop.profile = electrical::CalculateVoltageProfile(loop.input);
    view.SetProfile(loop);
    view.render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
}

void BM_ReportFigure(benchmark::State& state) {
  // The compact figure in a band of a report page, 505 x 150 pt at 150 dpi.
  const reports::ProfileFigure figure = reports::FigureOf(LargeLoop());
  QImage image(1052, 313, QImage::Format_ARGB32_Premultiplied);
  image.setDotsPerMeterX(5906);
  image.setDotsPerMeterY(5906);
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter p(&image);
    reports::PaintProfileFigure(p, QRectF(image.rect()), figure, reports::FigureSize::kCompact);
  }
}

}  // namespace

BENCHMARK(BM_ProfileCalculation)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoopViewRedraw)->Args({640, 280})->Args({1000, 400})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoopViewNewProfile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReportFigure)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
