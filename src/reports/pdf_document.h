#pragma once

#include <QPaintDevice>
#include <QSizeF>
#include <QString>
#include <memory>

class QFont;
class QGlyphRun;
class QIODevice;
class QPainter;
class QPointF;
class QRectF;

namespace velmora::reports {

class PdfEngine;

// A PDF file painted with QPainter, page after page, and written to a device as each page is
// finished, so a report of a thousand pages never sits in memory whole.
//
// It covers what reports draw: text in TrueType fonts (embedded as subsets of the glyphs used,
// with their Unicode text, so the PDF can be searched and copied from), lines, rectangles,
// polygons and paths stroked with solid or dashed pens and filled with solid colours, clipping
// and images. Each text is written as one string per run rather than glyph by glyph, and the
// page streams are compressed quickly; for a long report that makes the file several times
// faster to write than through the general PDF writer.
class PdfDocument : public QPaintDevice {
 public:
  // `page` is the sheet in points; the painter's coordinates have `resolution` dots per inch.
  PdfDocument(QIODevice* out, QSizeF page, int resolution);
  ~PdfDocument() override;
  PdfDocument(const PdfDocument&) = delete;
  PdfDocument& operator=(const PdfDocument&) = delete;

  void SetTitle(const QString& title);
  void SetCreator(const QString& creator);

  QSizeF PageSize() const { return page_; }
  int Resolution() const { return resolution_; }

  QPaintEngine* paintEngine() const override;

  // Ends the page painted so far and starts a new one; the painter stays active. False when the
  // device did not take the page.
  bool NewPage();

  // Draws shaped glyphs of `text` with their run's origin at `origin`, in the painter's pen
  // colour and transform: the quick way for a text shaped once and drawn many times. The
  // painter must be active on this document.
  void DrawGlyphs(QPainter& painter, const QPointF& origin, const QGlyphRun& run,
                  const QString& text);

  // The width of a text on one line in `font`, in the painter's coordinates.
  double TextWidth(const QString& text, const QFont& font) const;
  // Draws a text as QPainter::drawText(rect, flags, text) places it, in the painter's font, pen
  // colour and transform; a text of one line that fits is shaped once for the document.
  void DrawText(QPainter& painter, const QRectF& rect, int flags, const QString& text);

  // True once the file is complete: the painter has ended and every byte was taken by the
  // device. The reason when not.
  bool Finished() const;
  QString Error() const;

 protected:
  int metric(PaintDeviceMetric metric) const override;

 private:
  QSizeF page_;
  int resolution_;
  std::unique_ptr<PdfEngine> engine_;
};

}  // namespace velmora::reports
