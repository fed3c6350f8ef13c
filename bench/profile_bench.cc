// velmora_profile_bench: what the voltage profile of a loop costs on every action, for a loop of
// 250 devices. The view redraws its figure after every change of the loop, so one redraw (the
// whole widget painted into an image of its size) must stay under 1 ms; the profile's
// calculation, the device view's whole reaction to an action on a real site and the compact
// report figure are timed beside it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <optional>

#include "action/editor.h"
#include "app/cli_session.h"
#include "electrical/loop_profile.h"
#include "electrical/voltage_profile.h"
#include "reports/loop_profile_figure.h"
#include "ui/device_details_form.h"
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

void BM_DeviceViewAfterAction(benchmark::State& state) {
  // The device view on loop 4 of "Ward Block East" in the larger sample site, its sounder row
  // raised so that the loop holds 250 devices, reacting to the editor's notification after an
  // action: the panel's eight loops recalculated without writing, the loop's profile worked out
  // and handed to the view, and the view painted.
  static QTemporaryDir dir;
  const QString site = dir.filePath("large-building.mdb");
  const velmora::site::ProgramFolder home(qEnvironmentVariableIsEmpty("VELMORA_HOME")
                                              ? QStringLiteral(VELMORA_BENCH_HOME)
                                              : qEnvironmentVariable("VELMORA_HOME"));
  QFile::remove(site);
  if (!QFile::copy(home.Path("Sites/large-building.mdb"), site)) {
    state.SkipWithError("the sample site large-building.mdb is missing");
    return;
  }
  auto session = std::make_unique<app::CliSession>(home);
  QString error;
  if (!session->Start(&error) || !session->OpenSite(site, &error)) {
    state.SkipWithError(qPrintable(error));
    return;
  }
  session->Data().doc.Db().Execute(
      R"(UPDATE "Devices" SET "DeviceQuantity" = 238 WHERE "Panel" = 2 AND "Loop" = 4 AND
         "DeviceSub-Type" = 'VD-SN210')");
  ui::TFormDeviceDetails view(session->Editor());
  view.resize(1364, 416);
  session->Editor().Show({site::DetailView::kDevices, 2, 4});
  ui::LoopProfileView* profile = view.ProfileView();
  QImage image(profile->size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    emit session->Editor().Changed(action::Change{});
    profile->render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
  if (!profile->Figure() || profile->Figure()->distance.size() != 250)
    state.SkipWithError("the loop on show has no 250 devices");
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

void BM_FigureThroughTheStore(benchmark::State& state) {
  // The figure written into its print store cell and read back for the page, as the site report
  // does for every loop.
  const reports::ProfileFigure figure = reports::FigureOf(LargeLoop());
  for (auto _ : state) {
    const std::optional<reports::ProfileFigure> back =
        reports::FigureFromText(reports::FigureText(figure));
    if (!back || back->distance.size() != figure.distance.size()) {
      state.SkipWithError("the figure did not come back");
      break;
    }
  }
}

}  // namespace

BENCHMARK(BM_ProfileCalculation)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoopViewRedraw)->Args({640, 280})->Args({1000, 400})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoopViewNewProfile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DeviceViewAfterAction)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReportFigure)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FigureThroughTheStore)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
