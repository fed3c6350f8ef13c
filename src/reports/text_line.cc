#include "reports/text_line.h"

#include <QFont>
#include <QTextLayout>
#include <QTextOption>

namespace velmora::reports {

ShapedLine ShapeLine(const QString& text, const QFont& font, QPaintDevice* device) {
  QTextLayout layout(text, font, device);
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  layout.setTextOption(option);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  ShapedLine shaped;
  if (line.isValid()) {
    line.setLineWidth(1e6);
    line.setPosition(QPointF(0, 0));
    shaped.width = line.naturalTextWidth();
    shaped.ascent = line.ascent();
    shaped.height = line.ascent() + line.descent();
  }
  layout.endLayout();
  shaped.runs = layout.glyphRuns();
  return shaped;
}

QPointF AlignedIn(const QRectF& rect, QSizeF size, int flags) {
  double x = rect.x();
  double y = rect.y();
  if (flags & Qt::AlignRight) {
    x += rect.width() - size.width();
  } else if (flags & Qt::AlignHCenter) {
    x += (rect.width() - size.width()) / 2;
  }
  if (flags & Qt::AlignBottom) {
    y += rect.height() - size.height();
  } else if (flags & Qt::AlignVCenter) {
    y += (rect.height() - size.height()) / 2;
  }
  return QPointF(x, y);
}

}  // namespace velmora::reports
