#pragma once

#include <QGlyphRun>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

class QFont;
class QPaintDevice;

namespace velmora::reports {

// A text shaped on one line in a font for a device: its glyph runs (placed from the line's top
// left corner, the baseline at the ascent), its natural width, and its height unrounded, as
// QPainter::drawText stacks its lines.
struct ShapedLine {
  QList<QGlyphRun> runs;
  double width = 0;
  double ascent = 0;
  double height = 0;
};
ShapedLine ShapeLine(const QString& text, const QFont& font, QPaintDevice* device);

// The top left corner of a line of `size` aligned in `rect` by the alignment of `flags`, as
// QPainter::drawText aligns a text that fits.
QPointF AlignedIn(const QRectF& rect, QSizeF size, int flags);

}  // namespace velmora::reports
