#pragma once

#include <QRectF>
#include <QString>
#include <optional>
#include <vector>

class QPainter;
class QPaintDevice;

namespace velmora::electrical {
struct LoopProfile;
}

namespace velmora::reports {

// What the voltage figure of a loop shows, as plain numbers: taken from a computed profile, or
// read back from a cell of the print store.
struct ProfileFigure {
  double length = 0;    // m
  double supply_v = 0;  // V at both terminals
  double lumped_u = 0;  // the overload check's voltage for every device
  // Per device along the cable: distance (m), voltage fed from both ends and broken (V), its own
  // lowest operating voltage (V, 0 where it has none).
  std::vector<double> distance;
  std::vector<double> healthy;
  std::vector<double> broken;
  std::vector<double> lowest_v;
  int break_gap = -1;  // the devices before it are fed from the first terminal when broken
  double break_at = 0;
  int weakest = -1;
};

ProfileFigure FigureOf(const electrical::LoopProfile& loop);

// The figure as one line of text for a cell of the print store, and back. Reading refuses
// (gives none for) anything that is not such a text, so a damaged store draws no figure rather
// than a wrong one.
QString FigureText(const ProfileFigure& figure);
std::optional<ProfileFigure> FigureFromText(const QString& text);

// The heading of a loop's figure on a report page: "Loop 2: voltage along the loop".
QString ProfileFigureTitle(int loop);

enum class FigureSize {
  kScreen,   // the loop view
  kCompact,  // a panel's page of the site report
};

// Where the curves of a figure lie within its rectangle, and how values map to it.
struct FigurePlot {
  QRectF area;
  double x0 = 0, x1 = 1;  // distance at the left and right edge, m
  double v0 = 0, v1 = 1;  // voltage at the bottom and top edge, V
  double pixels_per_point = 1;

  QPointF At(double distance, double volts) const;
  double DistanceAt(double x) const;
};
FigurePlot PlotOf(const ProfileFigure& figure, const QRectF& rect, FigureSize size,
                  const QPaintDevice* device);

// The ticks of the two axes: multiples of a round step (1, 2, 2.5 or 5 times a power of ten),
// as many as the plot has room for, each written with the decimals it needs.
struct AxisTick {
  double value;
  QString label;
};
std::vector<AxisTick> DistanceTicks(const FigurePlot& plot);
std::vector<AxisTick> VoltageTicks(const FigurePlot& plot);

// Draws the figure into `rect` of the painter's device: voltage against distance along the
// cable fed from both ends and broken at the worst place, the devices as marks on both curves,
// their lowest operating voltages and the overload check's voltage as lines, the break marked,
// the weakest device ringed, axes with their labels and a legend. Sizes are in points, so the
// figure reads alike on screen, on paper and in a PDF.
void PaintProfileFigure(QPainter& painter, const QRectF& rect, const ProfileFigure& figure,
                        FigureSize size);

}  // namespace velmora::reports
