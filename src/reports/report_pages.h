#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "reports/loop_profile_figure.h"

class QPagedPaintDevice;
class QPaintDevice;

namespace velmora::reports {

class PdfDocument;

// Everything on a report page is placed in points (1/72 inch) from the top left corner of the
// sheet, so a report looks the same on paper, in the preview and in a PDF. The sheet is the
// device's own (A4, Letter, either way round); the margins are the report's.
inline constexpr double kA4Width = 595.28;
inline constexpr double kA4Height = 841.89;
inline constexpr double kMarginLeft = 45.0;
inline constexpr double kMarginRight = 45.0;
inline constexpr double kMarginTop = 36.0;
inline constexpr double kMarginBottom = 36.0;
inline constexpr double kHeaderHeight = 30.0;
inline constexpr double kFooterHeight = 26.0;

struct TextStyle {
  double size = 9.0;  // points
  bool bold = false;
  bool italic = false;
  QColor color = QColor(0x20, 0x20, 0x20);
};

// The report font at a style: DejaVu Sans, sized in points, unhinted so its measures do not
// depend on the resolution of the device.
QFont ReportFont(const TextStyle& style);

struct PageItem {
  enum class Kind { kText, kBox, kLine, kFigure };
  Kind kind = Kind::kText;
  QRectF rect;  // for a line: from the top left to the bottom right corner
  QString text;
  int flags = 0;  // Qt alignment and wrap flags of a text
  TextStyle style;
  QColor fill;    // box fill; invalid for none
  QColor stroke;  // box outline or line colour; invalid for none
  double line_width = 0.5;
  std::shared_ptr<const ProfileFigure> figure;  // a loop's voltage figure, compact, in `rect`
};

struct ReportPage {
  std::vector<PageItem> items;
};

// Lays content out top to bottom over as many pages as it needs. Texts are measured with the
// metrics of the device the report will be painted on.
class PageFlow {
 public:
  // The sheet is the page size of `device` when it is a paged device with one, else A4 portrait.
  explicit PageFlow(QPaintDevice* device);

  double PageWidth() const { return page_width_; }
  double PageHeight() const { return page_height_; }
  double Left() const { return kMarginLeft; }
  double Width() const { return page_width_ - kMarginLeft - kMarginRight; }
  double Top() const { return kMarginTop + kHeaderHeight; }
  double Bottom() const { return page_height_ - kMarginBottom - kFooterHeight; }
  double Y() const { return y_; }
  void Advance(double height) { y_ += height; }

  // Height of a text wrapped into a width.
  double TextHeight(const QString& text, const TextStyle& style, double width) const;
  double LineHeight(const TextStyle& style) const;
  // Width of a text on one line.
  double TextWidth(const QString& text, const TextStyle& style) const;
  // The text as far as it fits on one line of `width`: whole, or its first words followed by
  // "…" (a first word longer than the line is cut with "…" too).
  QString Elided(const QString& text, const TextStyle& style, double width) const;

  void NewPage();
  // Starts a new page unless `height` still fits below the current position.
  void Reserve(double height);
  bool AtPageTop() const { return y_ <= Top() + 0.01; }

  void Text(const QRectF& rect, const QString& text, const TextStyle& style, int flags);
  void Box(const QRectF& rect, const QColor& fill, const QColor& stroke = {},
           double line_width = 0.5);
  void Line(double x1, double y1, double x2, double y2, const QColor& color,
            double line_width = 0.5);
  void Figure(const QRectF& rect, std::shared_ptr<const ProfileFigure> figure);

  std::vector<ReportPage>& Pages() { return pages_; }

 private:
  // A report measures the same few styles and many repeated texts (device names, numbers,
  // labels) over and over; the metrics of a style and every measure taken are kept.
  struct Measure {
    QString text;
    double size;
    bool bold;
    bool italic;
    double width;  // the wrapping width of a height, -1 for a width on one line
    bool operator==(const Measure& other) const = default;
    friend size_t qHash(const Measure& m, size_t seed) {
      return qHashMulti(seed, m.text, m.size, m.bold, m.italic, m.width);
    }
  };
  const QFontMetricsF& Metrics(const TextStyle& style) const;

  QPaintDevice* device_;
  double points_per_pixel_;
  double page_width_ = kA4Width;
  double page_height_ = kA4Height;
  std::vector<ReportPage> pages_;
  double y_ = 0;
  mutable QHash<Measure, std::shared_ptr<QFontMetricsF>> metrics_;
  mutable QHash<Measure, double> measures_;
};

// A table laid out row by row. A row never splits across pages; the heading row is repeated at
// the top of every page the table continues on.
struct TableColumn {
  double share = 1.0;  // part of the table's width
  Qt::Alignment align = Qt::AlignLeft;
  bool label = false;  // the column holds field labels: its body cells are shaded, and it
                       // keeps its width when another column needs more room
};

struct TableRow {
  // A note spans the table under the row before it and stays on its page.
  enum class Kind { kHeading, kBody, kSubHeading, kTotal, kEmpty, kNote };
  Kind kind = Kind::kBody;
  QStringList cells;
  bool alert = false;    // an overload: the row stands out
  bool caution = false;  // near a limit: marked, less loudly than an overload
  // The cell that holds advisories, -1 for none: it is written in their colour, and the row is
  // marked at its left apart from an overload.
  int advisory_cell = -1;
};

// The style of a table's body cells.
const TextStyle& BodyStyle();
// The horizontal padding of a table cell, on each side.
double CellPadding();

void AddTable(PageFlow& flow, const std::vector<TableColumn>& columns,
              const std::vector<TableRow>& rows);

// Lines of text as one block in a frame across the page, kept on one page: a calculation to be
// read as a whole rather than cell by cell.
void AddTextBlock(PageFlow& flow, const QStringList& lines);

// A section heading kept together with the first lines that follow it.
void AddSectionHeading(PageFlow& flow, const QString& text);

// Page header and footer on every page of `flow`: the site's name and the report's name above, a
// note and the page number below; `page_format` holds %1 for the page and %2 for the number of
// pages. A site name too long for the header ends with "…" after its last whole word that fits.
void AddHeadersAndFooters(PageFlow& flow, const QString& site_name, const QString& report_name,
                          const QString& left_footer, const QString& page_format);

// Paints laid-out pages on the device they were laid out for. False when no painter could be
// started on it.
bool PaintPages(const std::vector<ReportPage>& pages, QPagedPaintDevice* device);
bool PaintPages(const std::vector<ReportPage>& pages, PdfDocument* document);

// Takes away a device's own margins, keeping its paper size and orientation (the report keeps
// its margins); a device without a valid paper size gets A4 portrait.
void SetUpPage(QPagedPaintDevice* device);

// Colours of the report.
inline const QColor kAccent{0x1f, 0x3a, 0x5f};
inline const QColor kShade{0xe9, 0xed, 0xf2};
inline const QColor kRule{0x9a, 0xa5, 0xb1};
inline const QColor kAlertFill{0xfb, 0xe3, 0xe4};
inline const QColor kAlertText{0xb0, 0x00, 0x20};
inline const QColor kAdvisoryText{0x1f, 0x5f, 0xa8};
inline const QColor kCautionFill{0xfd, 0xf1, 0xd6};
inline const QColor kCautionText{0x8a, 0x4b, 0x00};

}  // namespace velmora::reports
