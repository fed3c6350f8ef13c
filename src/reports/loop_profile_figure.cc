#include "reports/loop_profile_figure.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPaintDevice>
#include <QPainter>
#include <QPolygonF>
#include <QStaticText>
#include <QStringList>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>
#include <type_traits>

#include "electrical/loop_profile.h"
#include "electrical/number_format.h"
#include "i18n/tr.h"
#include "reports/pdf_document.h"
#include "reports/text_line.h"

namespace velmora::reports {
namespace {

using i18n::Tr;

const QColor kHealthy(0x1f, 0x5f, 0xa8);
const QColor kBroken(0xd3, 0x6b, 0x00);
const QColor kMinimum(0xb0, 0x00, 0x20);
const QColor kLumped(0x5f, 0x67, 0x73);
const QColor kGrid(0xe3, 0xe7, 0xec);
const QColor kAxis(0x4a, 0x52, 0x5c);
const QColor kInk(0x20, 0x20, 0x20);

// Measures of a figure size, in points.
struct Metrics {
  double tick_font;
  double label_font;
  double left;    // room for the tick labels and the voltage axis title
  double bottom;  // room for the tick labels and the distance axis title
  double right;
  double mark;  // diameter of a device mark
  double line;  // width of a curve
  double legend_gap;
};

Metrics MetricsOf(FigureSize size) {
  if (size == FigureSize::kCompact) return {5.8, 6.3, 30, 20, 6, 2.2, 0.9, 8};
  return {7.5, 8.0, 42, 28, 10, 3.4, 1.4, 12};
}

QFont FigureFont(double points) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

// Texts of the figure. Laying a text out costs far more than drawing it, and a figure on screen
// draws the same few dozen texts on every redraw, so there each is laid out once and kept; on a
// page (another resolution, drawn once) the painter lays them out.
class Texts {
 public:
  Texts(const QPaintDevice* device, bool keep)
      : device_(device), pdf_(dynamic_cast<const PdfDocument*>(device)), keep_(keep) {}

  double Width(const QString& text, const QFont& font) const {
    if (keep_) return Kept(text, font).size().width();
    if (pdf_) return pdf_->TextWidth(text, font);
    return QFontMetricsF(font, device_).horizontalAdvance(text);
  }
  double Height(const QFont& font) const {
    if (font.pointSizeF() != height_size_) {
      height_size_ = font.pointSizeF();
      height_ = QFontMetricsF(font, device_).height();
    }
    return height_;
  }

  // Draws a text on one line, aligned in a box as drawText aligns it.
  void Draw(QPainter& p, const QRectF& box, int align, const QString& text,
            const QFont& font) const {
    p.setFont(font);
    if (pdf_ && p.device() == pdf_) {
      static_cast<PdfDocument*>(p.device())->DrawText(p, box, align | Qt::TextSingleLine, text);
      return;
    }
    if (!keep_) {
      p.drawText(box, align | Qt::TextSingleLine, text);
      return;
    }
    const QStaticText& kept = Kept(text, font);
    p.drawStaticText(AlignedIn(box, kept.size(), align), kept);
  }

 private:
  // The figure's fonts differ in their size only.
  struct Key {
    double size;
    QString text;
    bool operator==(const Key& other) const = default;
    friend size_t qHash(const Key& k, size_t seed) { return qHashMulti(seed, k.size, k.text); }
  };

  const QStaticText& Kept(const QString& text, const QFont& font) const {
    thread_local QHash<Key, QStaticText> kept;
    const Key key{font.pointSizeF(), text};
    auto it = kept.find(key);
    if (it == kept.end()) {
      if (kept.size() > 1000) kept.clear();  // tick labels of many loops over a long run
      QStaticText made(text);
      made.setTextFormat(Qt::PlainText);
      made.setPerformanceHint(QStaticText::AggressiveCaching);
      made.prepare(QTransform(), font);
      it = kept.insert(key, made);
    }
    return *it;
  }

  const QPaintDevice* device_;
  const PdfDocument* pdf_;  // a PDF of the program's own lays each text out once
  bool keep_;
  mutable double height_size_ = -1;
  mutable double height_ = 0;
};

// A step of 1, 2, 2.5 or 5 times a power of ten that cuts `range` into at most `most` parts.
double NiceStep(double range, int most) {
  if (!(range > 0)) return 1;
  const double rough = range / most;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  for (double f : {1.0, 2.0, 2.5, 5.0, 10.0}) {
    if (f * power >= rough) return f * power;
  }
  return 10 * power;
}

// The decimals that write every multiple of a step exactly (2.5 needs one, 0.25 two).
int DecimalsOf(double step) {
  for (int decimals = 0; decimals < 3; ++decimals) {
    const double scaled = step * std::pow(10.0, decimals);
    if (std::abs(scaled - std::round(scaled)) < 1e-6 * std::max(1.0, scaled)) return decimals;
  }
  return 3;
}

enum class Sample { kHealthy, kBroken, kMinimum, kLumped, kBreak };

struct LegendEntry {
  Sample sample;
  QString text;
  QRectF at;  // sample and text, in device pixels
};

QStringList LegendTexts() {
  return {Tr(N_("Fed from both ends")), Tr(N_("Cable broken")), Tr(N_("Lowest operating voltage")),
          Tr(N_("Loop check voltage")), Tr(N_("Break"))};
}

// The legend's entries laid out in rows across the top of the figure; returns its height.
double LayoutLegend(std::vector<LegendEntry>& entries, const QRectF& rect, const Metrics& m,
                    double u, const Texts& texts, const QFont& font) {
  const QStringList names = LegendTexts();
  const double sample = 16 * u;
  const double gap = 3 * u;
  const double row = std::max(texts.Height(font), m.mark * u) + 2 * u;
  double x = rect.left() + m.left * u;
  double y = rect.top();
  for (int i = 0; i < names.size(); ++i) {
    const double width = sample + gap + texts.Width(names[i], font);
    if (x + width > rect.right() && x > rect.left() + m.left * u) {
      x = rect.left() + m.left * u;
      y += row;
    }
    entries.push_back({Sample(i), names[i], QRectF(x, y, width, row)});
    x += width + m.legend_gap * u;
  }
  return y + row - rect.top() + 3 * u;
}

// On screen every line is a hairline of whole pixels, which the raster engine draws without
// the general stroker (a redraw of a large loop stays well under a millisecond); on a page the
// widths are points.
struct Lines {
  bool hairline;
  double u;  // pixels per point

  QPen Pen(const QColor& color, double points, Qt::PenStyle style = Qt::SolidLine) const {
    QPen pen(color, hairline ? 1.0 : points * u, style, Qt::FlatCap, Qt::BevelJoin);
    pen.setCosmetic(hairline);
    return pen;
  }
};

// A curve: on screen twice, a pixel's fraction apart, to give it the weight of a thicker line.
void DrawCurve(QPainter& p, const Lines& lines, const QPolygonF& curve, const QColor& color,
               double points, Qt::PenStyle style = Qt::SolidLine) {
  if (curve.size() < 2) return;
  p.setPen(lines.Pen(color, points, style));
  p.drawPolyline(curve);
  if (lines.hairline) {
    p.translate(0, 0.8);
    p.drawPolyline(curve);
    p.translate(0, -0.8);
  }
}

// Device marks: small squares filled without antialiasing, cheap in any number.
void DrawMarks(QPainter& p, const QPolygonF& at, const QColor& color, double size) {
  QVector<QRectF> squares;
  squares.reserve(at.size());
  for (const QPointF& c : at)
    squares.push_back(QRectF(c.x() - size / 2, c.y() - size / 2, size, size));
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(Qt::NoPen);
  p.setBrush(color);
  p.drawRects(squares);
  p.restore();
}

void DrawSample(QPainter& p, Sample sample, const QRectF& r, const Metrics& m, const Lines& lines) {
  const double u = lines.u;
  const double y = r.center().y();
  const QPointF a(r.left(), y);
  const QPointF b(r.left() + 16 * u, y);
  switch (sample) {
    case Sample::kHealthy:
    case Sample::kBroken: {
      const QColor& color = sample == Sample::kHealthy ? kHealthy : kBroken;
      DrawCurve(p, lines, QPolygonF({a, b}), color, m.line);
      DrawMarks(p, QPolygonF({(a + b) / 2}), color, m.mark * u);
      break;
    }
    case Sample::kMinimum:
      DrawCurve(p, lines, QPolygonF({a, b}), kMinimum, m.line, Qt::DashLine);
      break;
    case Sample::kLumped:
      p.setPen(lines.Pen(kLumped, m.line, Qt::DashDotLine));
      p.drawLine(a, b);
      break;
    case Sample::kBreak: {
      const double h = r.height() * 0.4;
      const double cx = r.left() + 8 * u;
      DrawCurve(p, lines, QPolygonF({QPointF(cx - h, y - h), QPointF(cx + h, y + h)}),
                kBroken.darker(130), m.line);
      DrawCurve(p, lines, QPolygonF({QPointF(cx - h, y + h), QPointF(cx + h, y - h)}),
                kBroken.darker(130), m.line);
      break;
    }
  }
}

}  // namespace

ProfileFigure FigureOf(const electrical::LoopProfile& loop) {
  ProfileFigure f;
  f.length = loop.input.length;
  f.supply_v = loop.input.supply_v;
  f.lumped_u = loop.lumped_u;
  f.distance = loop.profile.distance;
  f.healthy = loop.profile.healthy;
  f.broken = loop.profile.broken;
  f.lowest_v.reserve(loop.input.devices.size());
  for (const electrical::ProfileDevice& d : loop.input.devices)
    f.lowest_v.push_back(d.lowest_v.value_or(0.0));
  f.break_gap = loop.profile.break_gap;
  f.break_at = loop.profile.break_at;
  f.weakest = loop.profile.weakest;
  return f;
}

QString ProfileFigureTitle(int loop) { return Tr(N_("Loop %1: voltage along the loop")).arg(loop); }

namespace {

// The figure's text is written and read through the character conversions of the standard
// library: a report carries one figure per loop, thousands of numbers each, and going through
// QString for every number was a tenth of making the report.
void AppendWhole(std::string& out, long long v) {
  char buffer[24];
  const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, v);
  out.append(buffer, r.ptr);
}

void AppendNumber(std::string& out, double v) {
  // A whole number of at most ten digits, as most devices' lowest voltages are, is its digits
  // alone in the general format; writing them as an integer is several times faster.
  if (v > -1e10 && v < 1e10 && v == std::trunc(v) && !(v == 0 && std::signbit(v))) {
    AppendWhole(out, static_cast<long long>(v));
    return;
  }
  char buffer[32];
  const std::to_chars_result r =
      std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, 10);
  out.append(buffer, r.ptr);
}

// The fields of a text one after the other, each up to its separator or to the end.
class Fields {
 public:
  explicit Fields(std::string_view text) : rest_(text) {}
  std::optional<std::string_view> Take(char separator) {
    if (ended_) return std::nullopt;
    const std::size_t at = rest_.find(separator);
    std::string_view field = rest_.substr(0, at);
    if (at == std::string_view::npos) {
      ended_ = true;
      rest_ = {};
    } else {
      rest_.remove_prefix(at + 1);
    }
    return field;
  }
  bool Ended() const { return ended_; }

 private:
  std::string_view rest_;
  bool ended_ = false;
};

template <typename T>
bool Read(std::optional<std::string_view> field, T& value) {
  if (!field || field->empty()) return false;
  const char* end = field->data() + field->size();
  const std::from_chars_result r = std::from_chars(field->data(), end, value);
  if (r.ec != std::errc() || r.ptr != end) return false;
  if constexpr (std::is_floating_point_v<T>) return std::isfinite(value);
  return true;
}

}  // namespace

QString FigureText(const ProfileFigure& f) {
  std::string out = "profile1";
  out.reserve(64 + f.distance.size() * 48);
  for (double v : {f.length, f.supply_v, f.lumped_u}) {
    out += ';';
    AppendNumber(out, v);
  }
  out += ';';
  AppendWhole(out, f.break_gap);
  out += ';';
  AppendNumber(out, f.break_at);
  out += ';';
  AppendWhole(out, f.weakest);
  out += ';';
  AppendWhole(out, static_cast<long long>(f.distance.size()));
  for (std::size_t i = 0; i < f.distance.size(); ++i) {
    out += ';';
    AppendNumber(out, f.distance[i]);
    out += ',';
    AppendNumber(out, f.healthy[i]);
    out += ',';
    AppendNumber(out, f.broken[i]);
    out += ',';
    AppendNumber(out, f.lowest_v[i]);
  }
  return QString::fromLatin1(out.data(), qsizetype(out.size()));
}

std::optional<ProfileFigure> FigureFromText(const QString& text) {
  const QByteArray bytes = text.toLatin1();
  Fields fields(std::string_view(bytes.constData(), std::size_t(bytes.size())));
  if (fields.Take(';') != std::string_view("profile1")) return std::nullopt;
  ProfileFigure f;
  int count = 0;
  if (!Read(fields.Take(';'), f.length) || !Read(fields.Take(';'), f.supply_v) ||
      !Read(fields.Take(';'), f.lumped_u) || !Read(fields.Take(';'), f.break_gap) ||
      !Read(fields.Take(';'), f.break_at) || !Read(fields.Take(';'), f.weakest) ||
      !Read(fields.Take(';'), count))
    return std::nullopt;
  if (count < 0 || f.break_gap < -1 || f.break_gap > count || f.weakest < -1 || f.weakest >= count)
    return std::nullopt;
  // Every device's four numbers, and nothing after the last device.
  if (std::size_t(count) > std::size_t(bytes.size()) / 8) return std::nullopt;
  f.distance.resize(count);
  f.healthy.resize(count);
  f.broken.resize(count);
  f.lowest_v.resize(count);
  for (int i = 0; i < count; ++i) {
    const std::optional<std::string_view> group = fields.Take(';');
    if (!group) return std::nullopt;
    Fields cells(*group);
    if (!Read(cells.Take(','), f.distance[i]) || !Read(cells.Take(','), f.healthy[i]) ||
        !Read(cells.Take(','), f.broken[i]) || !Read(cells.Take(','), f.lowest_v[i]) ||
        !cells.Ended())
      return std::nullopt;
  }
  if (!fields.Ended()) return std::nullopt;
  return f;
}

QPointF FigurePlot::At(double distance, double volts) const {
  const double fx = x1 > x0 ? (distance - x0) / (x1 - x0) : 0.5;
  const double fy = v1 > v0 ? (volts - v0) / (v1 - v0) : 0.5;
  return QPointF(area.left() + fx * area.width(), area.bottom() - fy * area.height());
}

double FigurePlot::DistanceAt(double x) const {
  if (!(area.width() > 0)) return x0;
  return x0 + (x - area.left()) / area.width() * (x1 - x0);
}

namespace {

// The multiples of a round step from `from` to `to`, counted rather than added up so that no
// rounding creeps in.
std::vector<AxisTick> Ticks(double from, double to, int most) {
  std::vector<AxisTick> ticks;
  const double step = NiceStep(to - from, most);
  const int decimals = DecimalsOf(step);
  const double first = std::ceil(from / step - 1e-9);
  for (double i = first; i * step <= to + step * 1e-6 && ticks.size() < 100; ++i)
    ticks.push_back({i * step, electrical::FixedNumber(i * step, decimals)});
  return ticks;
}

}  // namespace

std::vector<AxisTick> DistanceTicks(const FigurePlot& plot) {
  const double u = plot.pixels_per_point;
  return Ticks(plot.x0, plot.x1, std::max(2, int(plot.area.width() / (60 * u))));
}

std::vector<AxisTick> VoltageTicks(const FigurePlot& plot) {
  const double u = plot.pixels_per_point;
  return Ticks(plot.v0, plot.v1, std::max(2, int(plot.area.height() / (18 * u))));
}

FigurePlot PlotOf(const ProfileFigure& figure, const QRectF& rect, FigureSize size,
                  const QPaintDevice* device) {
  const Metrics m = MetricsOf(size);
  FigurePlot plot;
  plot.pixels_per_point = device != nullptr ? device->logicalDpiY() / 72.0 : 1.0;
  const double u = plot.pixels_per_point;
  std::vector<LegendEntry> legend;
  const Texts texts(device, size == FigureSize::kScreen);
  const double legend_height = LayoutLegend(legend, rect, m, u, texts, FigureFont(m.label_font));
  plot.area =
      QRectF(rect.left() + m.left * u, rect.top() + legend_height,
             rect.width() - (m.left + m.right) * u, rect.height() - legend_height - m.bottom * u);
  if (plot.area.width() < 1) plot.area.setWidth(1);
  if (plot.area.height() < 1) plot.area.setHeight(1);

  plot.x1 = figure.length > 0 ? figure.length : 1;
  double lo = figure.supply_v;
  double hi = figure.supply_v;
  const auto take = [&](double v) {
    if (!std::isfinite(v)) return;
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  };
  for (double v : figure.healthy) take(v);
  for (double v : figure.broken) take(v);
  for (double v : figure.lowest_v) {
    if (v > 0) take(v);
  }
  if (!figure.distance.empty()) take(figure.lumped_u);
  const double pad = std::max((hi - lo) * 0.08, 0.05);
  plot.v0 = lo - pad;
  plot.v1 = hi + pad;
  return plot;
}

void PaintProfileFigure(QPainter& p, const QRectF& rect, const ProfileFigure& f, FigureSize size) {
  const Metrics m = MetricsOf(size);
  const FigurePlot plot = PlotOf(f, rect, size, p.device());
  const double u = plot.pixels_per_point;
  const Lines lines{size == FigureSize::kScreen, u};
  const QRectF& area = plot.area;
  p.save();
  // Nothing of the figure reaches beyond its rectangle, whatever the length of its texts.
  p.setClipRect(rect, Qt::IntersectClip);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setRenderHint(QPainter::TextAntialiasing, true);

  // Grid, ticks and their labels.
  const Texts texts(p.device(), size == FigureSize::kScreen);
  const QFont tick_font = FigureFont(m.tick_font);
  const QFont label_font = FigureFont(m.label_font);
  const double text_height = texts.Height(tick_font);
  const std::vector<AxisTick> x_ticks = DistanceTicks(plot);
  const std::vector<AxisTick> v_ticks = VoltageTicks(plot);
  QVector<QLineF> grid;
  for (const AxisTick& t : x_ticks) {
    const double px = plot.At(t.value, plot.v0).x();
    grid.push_back(QLineF(px, area.top(), px, area.bottom()));
  }
  for (const AxisTick& t : v_ticks) {
    const double py = plot.At(0, t.value).y();
    grid.push_back(QLineF(area.left(), py, area.right(), py));
  }
  p.setPen(lines.Pen(kGrid, 0.6));
  p.setRenderHint(QPainter::Antialiasing, !lines.hairline);
  p.drawLines(grid);
  p.setPen(kAxis);
  for (const AxisTick& t : x_ticks) {
    // Centred under its tick, the last one kept inside the figure.
    const double w = texts.Width(t.label, tick_font);
    const double px = plot.At(t.value, plot.v0).x();
    const double left = std::max(rect.left(), std::min(px - w / 2, rect.right() - w));
    texts.Draw(p, QRectF(left, area.bottom() + 2 * u, w + 1, text_height), Qt::AlignLeft, t.label,
               tick_font);
  }
  for (const AxisTick& t : v_ticks) {
    const double py = plot.At(0, t.value).y();
    texts.Draw(
        p,
        QRectF(rect.left(), py - text_height / 2, area.left() - rect.left() - 3 * u, text_height),
        Qt::AlignRight | Qt::AlignVCenter, t.label, tick_font);
  }
  p.setPen(lines.Pen(kAxis, 0.8));
  p.setBrush(Qt::NoBrush);
  p.drawRect(area);
  p.setRenderHint(QPainter::Antialiasing, true);

  // Axis titles.
  const double label_height = texts.Height(label_font);
  p.setPen(kInk);
  texts.Draw(p, QRectF(area.left(), rect.bottom() - label_height, area.width(), label_height),
             Qt::AlignHCenter | Qt::AlignBottom, Tr(N_("Distance along the loop (m)")), label_font);
  p.save();
  p.translate(rect.left(), area.center().y());
  p.rotate(-90);
  texts.Draw(p, QRectF(-area.height() / 2, 0, area.height(), label_height),
             Qt::AlignHCenter | Qt::AlignTop, Tr(N_("Voltage (V)")), label_font);
  p.restore();

  // Legend.
  std::vector<LegendEntry> legend;
  LayoutLegend(legend, rect, m, u, texts, label_font);
  for (const LegendEntry& entry : legend) {
    DrawSample(p, entry.sample, entry.at, m, lines);
    p.setPen(kInk);
    texts.Draw(p, entry.at.adjusted(19 * u, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, entry.text,
               label_font);
  }

  const std::size_t n = f.distance.size();
  if (n == 0 || f.healthy.size() != n || f.broken.size() != n || f.lowest_v.size() != n) {
    p.setPen(kAxis);
    texts.Draw(p, area, Qt::AlignCenter, Tr(N_("No devices on this loop")), label_font);
    p.restore();
    return;
  }

  p.setClipRect(area.adjusted(-m.mark * u, -m.mark * u, m.mark * u, m.mark * u), Qt::IntersectClip);

  // The devices' own lowest voltages: each device holds the stretch halfway to its neighbours,
  // devices at one place the highest of theirs.
  {
    std::vector<std::pair<double, double>> groups;  // distance, highest minimum (0: none)
    for (std::size_t i = 0; i < n; ++i) {
      if (!groups.empty() && groups.back().first == f.distance[i]) {
        groups.back().second = std::max(groups.back().second, f.lowest_v[i]);
      } else {
        groups.emplace_back(f.distance[i], f.lowest_v[i]);
      }
    }
    QPolygonF run;
    const auto flush = [&] {
      DrawCurve(p, lines, run, kMinimum, m.line, Qt::DashLine);
      run.clear();
    };
    for (std::size_t g = 0; g < groups.size(); ++g) {
      const double value = groups[g].second;
      if (!(value > 0)) {
        flush();
        continue;
      }
      const double left = g == 0 ? 0.0 : (groups[g - 1].first + groups[g].first) / 2;
      const double right =
          g + 1 == groups.size() ? f.length : (groups[g].first + groups[g + 1].first) / 2;
      // A run of equal minimums is one straight line.
      if (run.size() > 1 && run.back().y() == plot.At(0, value).y()) {
        run.back() = plot.At(right, value);
        continue;
      }
      run << plot.At(left, value) << plot.At(right, value);
    }
    flush();
  }

  // The overload check's single voltage, with its value at the right.
  {
    const QPointF a = plot.At(0, f.lumped_u);
    const QPointF b = plot.At(plot.x1, f.lumped_u);
    p.setPen(lines.Pen(kLumped, m.line, Qt::DashDotLine));
    p.drawLine(a, b);
  }

  // Fed from both ends: from the supply at one terminal through every device to the other.
  QPolygonF healthy;
  healthy.reserve(qsizetype(n) + 2);
  healthy << plot.At(0, f.supply_v);
  QPolygonF healthy_marks;
  healthy_marks.reserve(qsizetype(n));
  for (std::size_t i = 0; i < n; ++i) {
    healthy << plot.At(f.distance[i], f.healthy[i]);
    healthy_marks << healthy.back();
  }
  healthy << plot.At(f.length, f.supply_v);

  // Broken: the devices before the break hang from the first terminal, the others from the
  // second; no current flows between the last device of a side and the break.
  const std::size_t gap = std::size_t(std::clamp(f.break_gap, 0, int(n)));
  QPolygonF from_start;
  QPolygonF from_end;
  QPolygonF broken_marks;
  broken_marks.reserve(qsizetype(n));
  if (gap > 0) {
    from_start << plot.At(0, f.supply_v);
    for (std::size_t i = 0; i < gap; ++i) from_start << plot.At(f.distance[i], f.broken[i]);
    from_start << plot.At(f.break_at, f.broken[gap - 1]);
  }
  if (gap < n) {
    from_end << plot.At(f.break_at, f.broken[gap]);
    for (std::size_t i = gap; i < n; ++i) from_end << plot.At(f.distance[i], f.broken[i]);
    from_end << plot.At(f.length, f.supply_v);
  }
  for (std::size_t i = 0; i < n; ++i) broken_marks << plot.At(f.distance[i], f.broken[i]);

  DrawCurve(p, lines, from_start, kBroken, m.line);
  DrawCurve(p, lines, from_end, kBroken, m.line);
  DrawCurve(p, lines, healthy, kHealthy, m.line);
  DrawMarks(p, broken_marks, kBroken, m.mark * u);
  DrawMarks(p, healthy_marks, kHealthy, m.mark * u);

  // The break, across the plot, and its cross on the cable's supply line.
  {
    const double bx = plot.At(f.break_at, 0).x();
    p.setPen(lines.Pen(kBroken.darker(130), 0.8, Qt::DashLine));
    p.drawLine(QPointF(bx, area.top()), QPointF(bx, area.bottom()));
    const double h = 3.2 * u;
    const double by = plot.At(0, f.supply_v).y();
    DrawCurve(p, lines, QPolygonF({QPointF(bx - h, by - h), QPointF(bx + h, by + h)}),
              kBroken.darker(130), m.line * 1.2);
    DrawCurve(p, lines, QPolygonF({QPointF(bx - h, by + h), QPointF(bx + h, by - h)}),
              kBroken.darker(130), m.line * 1.2);
    // Named beside its line halfway up, where the curves are farthest from a terminal's break,
    // on the side of the plot that has room and on a white ground.
    const QString label = Tr(N_("Break"));
    const double w = texts.Width(label, tick_font) + 4 * u;
    const bool right = bx + 3 * u + w <= area.right();
    const QRectF box(right ? bx + 3 * u : bx - 3 * u - w, area.center().y() - text_height / 2, w,
                     text_height);
    p.fillRect(box, Qt::white);
    texts.Draw(p, box, Qt::AlignCenter, label, tick_font);
  }

  // The check's voltage named at the right end of its line, over the curves on a white ground
  // so that none runs through it.
  {
    const QString label = "U = " + electrical::FixedNumber(f.lumped_u, 2) + " V";
    const double w = texts.Width(label, tick_font) + 4 * u;
    const double y = plot.At(0, f.lumped_u).y();
    const QRectF box(area.right() - 3 * u - w, y - text_height - 1 * u, w, text_height);
    p.fillRect(box, Qt::white);
    p.setPen(kLumped);
    texts.Draw(p, box, Qt::AlignCenter, label, tick_font);
  }

  // The device closest to its own minimum.
  if (f.weakest >= 0 && std::size_t(f.weakest) < n) {
    const std::size_t w = std::size_t(f.weakest);
    const QPointF at = plot.At(f.distance[w], std::min(f.healthy[w], f.broken[w]));
    const double r = m.mark * 1.3 * u;
    p.setPen(lines.Pen(kMinimum, 0.9));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(at, r, r);
  }
  p.restore();
}

}  // namespace velmora::reports
