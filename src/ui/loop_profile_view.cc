#include "ui/loop_profile_view.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "electrical/loop_profile.h"
#include "electrical/number_format.h"
#include "i18n/tr.h"

namespace velmora::ui {
namespace {

using i18n::Tr;

const QColor kText(0x20, 0x20, 0x20);

QString Volts(double v) { return electrical::FixedNumber(v, 2); }

void PaintAdvisoryMark(QPainter& p, const QRectF& mark, const QFont& font) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(Qt::NoPen);
  p.setBrush(kAdvisoryColor);
  p.drawEllipse(mark);
  QFont bold = font;
  bold.setBold(true);
  p.setFont(bold);
  p.setPen(Qt::white);
  p.drawText(mark, Qt::AlignCenter, QStringLiteral("i"));
  p.restore();
}

}  // namespace

QPixmap AdvisoryMark(int diameter, qreal ratio) {
  QPixmap mark(QSize(diameter, diameter) * ratio);
  mark.setDevicePixelRatio(ratio);
  mark.fill(Qt::transparent);
  QPainter p(&mark);
  QFont font;
  font.setPixelSize(std::max(6, int(diameter * 0.8)));
  PaintAdvisoryMark(p, QRectF(0.5, 0.5, diameter - 1, diameter - 1), font);
  return mark;
}

LoopProfileView::LoopProfileView(QWidget* parent) : QWidget(parent) {
  setObjectName("LoopProfileView");
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void LoopProfileView::SetProfile(const std::optional<electrical::LoopProfile>& loop) {
  loop_ = loop;
  figure_.reset();
  advisories_.clear();
  if (loop_) {
    figure_ = reports::FigureOf(*loop_);
    advisories_ = electrical::AdvisoryTexts(*loop_);
  }
  LayOutLines();
  update();
}

QString LoopProfileView::Summary() const {
  if (!loop_) return Tr(N_("No voltage profile: the panel's protocol gives no lowest voltage"));
  const electrical::VoltageProfile& p = loop_->profile;
  if (p.Empty()) return Tr(N_("No devices on this loop"));
  QString text = Tr(N_("Lowest voltage %1 V fed from both ends, %2 V with the cable broken"))
                     .arg(Volts(*p.LowestHealthy()), Volts(*p.LowestBroken()));
  if (p.weakest >= 0 && p.weakest_margin) {
    const double margin = *p.weakest_margin;
    text +=
        "\n" + (margin < 0 ? Tr(N_("Closest to its lowest operating voltage: %1, %2 V below it"))
                           : Tr(N_("Closest to its lowest operating voltage: %1, %2 V above it")))
                   .arg(loop_->DeviceName(p.weakest), Volts(std::abs(margin)));
  }
  return text;
}

QStringList LoopProfileView::Advisories() const { return advisories_; }

void LoopProfileView::SetAdvisoriesShown(bool shown) {
  if (advisories_shown_ == shown) return;
  advisories_shown_ = shown;
  update();
}

QRectF LoopProfileView::FigureRect() const {
  const QFontMetricsF fm(font(), this);
  const int lines = int(lines_.size()) + (advisories_.isEmpty() || !advisories_shown_ ? 0 : 1);
  const double top = 6 + lines * fm.lineSpacing() + 4;
  return QRectF(6, top, width() - 12, height() - top - 4);
}

void LoopProfileView::LayOutLines() {
  const QFontMetricsF fm(font(), this);
  const auto laid_out = [this, &fm](const QString& text, double room) {
    QStaticText line(fm.elidedText(text, Qt::ElideRight, room));
    line.setTextFormat(Qt::PlainText);
    line.prepare(QTransform(), font());
    return line;
  };
  lines_.clear();
  for (const QString& line : Summary().split('\n')) lines_.push_back(laid_out(line, width() - 12));
  const double mark = fm.height() - 2;
  advisory_line_ = laid_out(advisories_.join("; "), width() - 17 - mark);
}
reports::FigurePlot LoopProfileView::Plot() const {
  return reports::PlotOf(figure_ ? *figure_ : reports::ProfileFigure{}, FigureRect(),
                         reports::FigureSize::kScreen, this);
}

QString LoopProfileView::DeviceAt(const QPoint& at) const {
  if (!loop_ || !figure_ || figure_->distance.empty()) return QString();
  const reports::FigurePlot plot = Plot();
  if (!plot.area.adjusted(-4, -4, 4, 4).contains(at)) return QString();
  // The nearest device along the cable; the distances never fall.
  const std::vector<double>& x = figure_->distance;
  const double d = plot.DistanceAt(at.x());
  auto it = std::lower_bound(x.begin(), x.end(), d);
  if (it == x.end() || (it != x.begin() && d - *(it - 1) < *it - d)) --it;
  const std::size_t i = std::size_t(it - x.begin());
  QString text = Tr(N_("%1 at %2 m: %3 V fed from both ends, %4 V with the cable broken"))
                     .arg(loop_->DeviceName(int(i)))
                     .arg(electrical::FixedNumber(x[i], 0))
                     .arg(Volts(figure_->healthy[i]), Volts(figure_->broken[i]));
  if (figure_->lowest_v[i] > 0)
    text += "\n" + Tr(N_("Lowest operating voltage %1 V")).arg(Volts(figure_->lowest_v[i]));
  return text;
}

void LoopProfileView::paintEvent(QPaintEvent* /*event*/) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  const QFontMetricsF fm(font(), this);
  double y = 6;
  p.setPen(kText);
  for (const QStaticText& line : lines_) {
    p.drawStaticText(QPointF(6, y), line);
    y += fm.lineSpacing();
  }
  if (!advisories_.isEmpty() && advisories_shown_) {
    const double d = fm.height() - 2;
    const QRectF mark(6, y + 1, d, d);
    PaintAdvisoryMark(p, mark, font());
    p.setPen(kAdvisoryColor);
    p.drawStaticText(QPointF(mark.right() + 5, y), advisory_line_);
  }
  if (figure_) reports::PaintProfileFigure(p, FigureRect(), *figure_, reports::FigureSize::kScreen);
}

void LoopProfileView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOutLines();
}

bool LoopProfileView::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const QString text = DeviceAt(help->pos());
    if (text.isEmpty()) {
      QToolTip::hideText();
      event->ignore();
    } else {
      QToolTip::showText(help->globalPos(), text, this);
    }
    return true;
  }
  return QWidget::event(event);
}

}  // namespace velmora::ui
