#include "reports/report_pages.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

#include "reports/pdf_document.h"
#include "reports/text_line.h"

namespace velmora::reports {
namespace {

constexpr double kCellPadX = 4.0;
constexpr double kCellPadY = 2.3;
constexpr int kWrap = Qt::TextWordWrap;

const TextStyle kHeadingCell{8.0, true, false, Qt::white};
const TextStyle kBodyCell{8.5, false, false, QColor(0x20, 0x20, 0x20)};
const TextStyle kBodyBold{8.5, true, false, QColor(0x20, 0x20, 0x20)};
const TextStyle kAlertCell{8.5, true, false, kAlertText};
const TextStyle kAdvisoryCell{8.5, false, false, kAdvisoryText};
const TextStyle kCautionCell{8.5, false, false, kCautionText};
const TextStyle kEmptyCell{8.5, false, true, QColor(0x60, 0x60, 0x60)};

}  // namespace

QFont ReportFont(const TextStyle& style) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(style.size);
  font.setBold(style.bold);
  font.setItalic(style.italic);
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setKerning(true);
  return font;
}

PageFlow::PageFlow(QPaintDevice* device)
    : device_(device), points_per_pixel_(72.0 / std::max(1, device->logicalDpiY())) {
  if (auto* paged = dynamic_cast<QPagedPaintDevice*>(device)) {
    const QRectF sheet = paged->pageLayout().fullRect(QPageLayout::Point);
    if (sheet.width() > 0 && sheet.height() > 0) {
      page_width_ = sheet.width();
      page_height_ = sheet.height();
    }
  } else if (auto* pdf = dynamic_cast<PdfDocument*>(device)) {
    page_width_ = pdf->PageSize().width();
    page_height_ = pdf->PageSize().height();
  }
  NewPage();
}

const QFontMetricsF& PageFlow::Metrics(const TextStyle& style) const {
  const Measure key{QString(), style.size, style.bold, style.italic, 0};
  auto it = metrics_.find(key);
  if (it == metrics_.end())
    it = metrics_.insert(key, std::make_shared<QFontMetricsF>(ReportFont(style), device_));
  return **it;
}

double PageFlow::TextHeight(const QString& text, const TextStyle& style, double width) const {
  const QFontMetricsF& metrics = Metrics(style);
  if (text.isEmpty()) return metrics.height() * points_per_pixel_;
  const Measure key{text, style.size, style.bold, style.italic, width};
  auto it = measures_.find(key);
  if (it != measures_.end()) return *it;
  const QRectF bounds = metrics.boundingRect(QRectF(0, 0, width / points_per_pixel_, 1e7),
                                             int(Qt::AlignLeft) | kWrap, text);
  return measures_[key] = std::max(bounds.height(), metrics.height()) * points_per_pixel_;
}

double PageFlow::TextWidth(const QString& text, const TextStyle& style) const {
  const Measure key{text, style.size, style.bold, style.italic, -1};
  auto it = measures_.find(key);
  if (it != measures_.end()) return *it;
  return measures_[key] = Metrics(style).horizontalAdvance(text) * points_per_pixel_;
}

QString PageFlow::Elided(const QString& text, const TextStyle& style, double width) const {
  if (TextWidth(text, style) <= width) return text;
  const QString ellipsis = QStringLiteral("\u2026");
  const QStringList words = text.split(' ', Qt::SkipEmptyParts);
  QString fitting;
  for (const QString& word : words) {
    const QString longer = fitting.isEmpty() ? word : fitting + ' ' + word;
    if (TextWidth(longer + ellipsis, style) > width) break;
    fitting = longer;
  }
  if (!fitting.isEmpty()) return fitting + ellipsis;
  // Not even the first word fits: it is cut where the line ends.
  return Metrics(style).elidedText(text, Qt::ElideRight, width / points_per_pixel_);
}

double PageFlow::LineHeight(const TextStyle& style) const {
  return Metrics(style).height() * points_per_pixel_;
}

void PageFlow::NewPage() {
  pages_.emplace_back();
  y_ = Top();
}

void PageFlow::Reserve(double height) {
  if (y_ + height > Bottom() && !AtPageTop()) NewPage();
}

void PageFlow::Text(const QRectF& rect, const QString& text, const TextStyle& style, int flags) {
  PageItem item;
  item.kind = PageItem::Kind::kText;
  item.rect = rect;
  item.text = text;
  item.style = style;
  item.flags = flags;
  pages_.back().items.push_back(std::move(item));
}

void PageFlow::Box(const QRectF& rect, const QColor& fill, const QColor& stroke,
                   double line_width) {
  PageItem item;
  item.kind = PageItem::Kind::kBox;
  item.rect = rect;
  item.fill = fill;
  item.stroke = stroke;
  item.line_width = line_width;
  pages_.back().items.push_back(std::move(item));
}

void PageFlow::Figure(const QRectF& rect, std::shared_ptr<const ProfileFigure> figure) {
  PageItem item;
  item.kind = PageItem::Kind::kFigure;
  item.rect = rect;
  item.figure = std::move(figure);
  pages_.back().items.push_back(std::move(item));
}

void PageFlow::Line(double x1, double y1, double x2, double y2, const QColor& color,
                    double line_width) {
  PageItem item;
  item.kind = PageItem::Kind::kLine;
  item.rect = QRectF(QPointF(x1, y1), QPointF(x2, y2));
  item.stroke = color;
  item.line_width = line_width;
  pages_.back().items.push_back(std::move(item));
}

namespace {

const TextStyle& CellStyle(const TableRow& row) {
  if (row.kind == TableRow::Kind::kHeading) return kHeadingCell;
  if (row.alert) return kAlertCell;
  if (row.caution) return kCautionCell;
  if (row.kind == TableRow::Kind::kEmpty) return kEmptyCell;
  if (row.kind == TableRow::Kind::kTotal || row.kind == TableRow::Kind::kSubHeading)
    return kBodyBold;
  return kBodyCell;
}

// Rows whose one text spans the whole table.
bool Spans(const TableRow& row) {
  return row.kind == TableRow::Kind::kSubHeading || row.kind == TableRow::Kind::kEmpty ||
         row.kind == TableRow::Kind::kNote;
}

struct TableGeometry {
  std::vector<double> x;  // left edge of every column, then the table's right edge
};

// The columns share the table's width as asked, except that no column is narrower than the
// longest word in it: a heading such as "Ringleitung" over a column of loop numbers would be
// cut otherwise. What a column needs more is taken from the others in proportion to the room
// they have to spare.
TableGeometry Geometry(const PageFlow& flow, const std::vector<TableColumn>& columns,
                       const std::vector<TableRow>& rows) {
  const int n = int(columns.size());
  double total = 0;
  for (const TableColumn& c : columns) total += c.share;
  std::vector<double> width(n);
  for (int c = 0; c < n; ++c) width[c] = flow.Width() * columns[c].share / total;
  std::vector<double> least(n, 0.0);
  for (const TableRow& row : rows) {
    if (Spans(row)) continue;
    const TextStyle& style = CellStyle(row);
    for (int c = 0; c < n && c < row.cells.size(); ++c) {
      for (const QString& word : row.cells[c].split(' ', Qt::SkipEmptyParts))
        least[c] = std::max(least[c], flow.TextWidth(word, style) + 2 * kCellPadX + 1);
    }
  }
  double needed = 0;
  double spare = 0;
  for (int c = 0; c < n; ++c) {
    if (least[c] > width[c]) {
      needed += least[c] - width[c];
    } else if (!columns[c].label) {
      spare += width[c] - least[c];
    }
  }
  if (needed > 0 && spare > 0) {
    const double take = std::min(1.0, needed / spare);
    for (int c = 0; c < n; ++c) {
      if (least[c] > width[c]) {
        width[c] = least[c];
      } else if (!columns[c].label) {
        width[c] -= (width[c] - least[c]) * take;
      }
    }
  }
  TableGeometry g;
  double x = flow.Left();
  for (int c = 0; c < n; ++c) {
    g.x.push_back(x);
    x += width[c];
  }
  g.x.push_back(flow.Left() + flow.Width());
  return g;
}

double RowHeight(const PageFlow& flow, const TableGeometry& g, const TableRow& row) {
  const TextStyle& style = CellStyle(row);
  if (Spans(row)) {
    const QString text = row.cells.isEmpty() ? QString() : row.cells.front();
    return flow.TextHeight(text, style, g.x.back() - g.x.front() - 2 * kCellPadX) + 2 * kCellPadY;
  }
  double height = flow.LineHeight(style);
  for (int c = 0; c + 1 < int(g.x.size()) && c < row.cells.size(); ++c) {
    height =
        std::max(height, flow.TextHeight(row.cells[c], style, g.x[c + 1] - g.x[c] - 2 * kCellPadX));
  }
  return height + 2 * kCellPadY;
}

// `ruled`: a rule below the row; a row with a note under it has none, so the two read as one.
void DrawRow(PageFlow& flow, const TableGeometry& g, const std::vector<TableColumn>& columns,
             const TableRow& row, double height, bool ruled = true) {
  const double top = flow.Y();
  const double left = g.x.front();
  const double right = g.x.back();
  const QRectF whole(left, top, right - left, height);
  const TextStyle& style = CellStyle(row);
  switch (row.kind) {
    case TableRow::Kind::kHeading:
      flow.Box(whole, kAccent);
      break;
    case TableRow::Kind::kSubHeading:
      flow.Box(whole, kShade);
      break;
    default:
      if (row.alert) {
        flow.Box(whole, kAlertFill);
        flow.Box(QRectF(left, top, 2.5, height), kAlertText);
      } else if (row.caution) {
        flow.Box(whole, kCautionFill);
        flow.Box(QRectF(left, top, 2.5, height), kCautionText);
      } else {
        for (int c = 0; c < int(columns.size()); ++c) {
          if (columns[c].label) flow.Box(QRectF(g.x[c], top, g.x[c + 1] - g.x[c], height), kShade);
        }
        if (row.advisory_cell >= 0) flow.Box(QRectF(left, top, 2.5, height), kAdvisoryText);
      }
      break;
  }
  if (Spans(row)) {
    flow.Text(whole.adjusted(kCellPadX, kCellPadY, -kCellPadX, -kCellPadY),
              row.cells.isEmpty() ? QString() : row.cells.front(), style,
              int(Qt::AlignLeft | Qt::AlignTop) | kWrap);
  } else {
    for (int c = 0; c + 1 < int(g.x.size()) && c < row.cells.size(); ++c) {
      const QRectF cell(g.x[c] + kCellPadX, top + kCellPadY, g.x[c + 1] - g.x[c] - 2 * kCellPadX,
                        height - 2 * kCellPadY);
      const Qt::Alignment align =
          row.kind == TableRow::Kind::kHeading && columns[c].align == Qt::AlignRight
              ? Qt::AlignRight
              : columns[c].align;
      const bool advisory = c == row.advisory_cell && row.kind == TableRow::Kind::kBody;
      flow.Text(cell, row.cells[c], advisory && !row.alert ? kAdvisoryCell : style,
                int(align | Qt::AlignTop) | kWrap);
    }
  }
  if (row.kind == TableRow::Kind::kTotal) flow.Line(left, top, right, top, kAccent, 1.0);
  if (ruled) flow.Line(left, top + height, right, top + height, kRule, 0.4);
  flow.Advance(height);
}

}  // namespace

const TextStyle& BodyStyle() { return kBodyCell; }
double CellPadding() { return kCellPadX; }

void AddTable(PageFlow& flow, const std::vector<TableColumn>& columns,
              const std::vector<TableRow>& rows) {
  const TableGeometry g = Geometry(flow, columns, rows);
  std::vector<double> heights;
  heights.reserve(rows.size());
  for (const TableRow& row : rows) heights.push_back(RowHeight(flow, g, row));
  const TableRow* heading = nullptr;
  double heading_height = 0;
  const TableRow* group = nullptr;  // the sub-heading the current rows belong to
  double group_height = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const TableRow& row = rows[i];
    // A heading or sub-heading stays with the row that follows it.
    double needed = heights[i];
    if ((row.kind == TableRow::Kind::kHeading || row.kind == TableRow::Kind::kSubHeading) &&
        i + 1 < rows.size())
      needed += heights[i + 1];
    // A row and the note under it stay together.
    if (i + 1 < rows.size() && rows[i + 1].kind == TableRow::Kind::kNote) needed += heights[i + 1];
    if (flow.Y() + needed > flow.Bottom() && !flow.AtPageTop()) {
      flow.NewPage();
      if (heading != nullptr && row.kind != TableRow::Kind::kHeading)
        DrawRow(flow, g, columns, *heading, heading_height);
      // Rows carried over keep their group's sub-heading above them.
      if (group != nullptr && row.kind != TableRow::Kind::kHeading &&
          row.kind != TableRow::Kind::kSubHeading)
        DrawRow(flow, g, columns, *group, group_height);
    }
    const bool noted = i + 1 < rows.size() && rows[i + 1].kind == TableRow::Kind::kNote;
    DrawRow(flow, g, columns, row, heights[i], !noted);
    if (row.kind == TableRow::Kind::kHeading) {
      heading = &row;
      heading_height = heights[i];
      group = nullptr;
    } else if (row.kind == TableRow::Kind::kSubHeading) {
      group = &row;
      group_height = heights[i];
    }
  }
}

void AddTextBlock(PageFlow& flow, const QStringList& lines) {
  const QString text = lines.join('\n');
  const double pad = 2 * kCellPadX;
  const double height = flow.TextHeight(text, kBodyCell, flow.Width() - 2 * pad) + 2 * pad;
  flow.Reserve(height);
  const QRectF frame(flow.Left(), flow.Y(), flow.Width(), height);
  flow.Box(frame, kShade, kRule, 0.4);
  flow.Text(frame.adjusted(pad, pad, -pad, -pad), text, kBodyCell,
            int(Qt::AlignLeft | Qt::AlignTop) | kWrap);
  flow.Advance(height);
}

void AddSectionHeading(PageFlow& flow, const QString& text) {
  const TextStyle style{10.5, true, false, kAccent};
  const double height = flow.TextHeight(text, style, flow.Width());
  // Room for the heading and a few lines of what it introduces.
  flow.Reserve(height + 10 + 3 * flow.LineHeight(kBodyCell));
  if (!flow.AtPageTop()) flow.Advance(10);
  flow.Text(QRectF(flow.Left(), flow.Y(), flow.Width(), height), text, style,
            int(Qt::AlignLeft | Qt::AlignTop) | kWrap);
  flow.Advance(height + 2);
  flow.Line(flow.Left(), flow.Y(), flow.Left() + flow.Width(), flow.Y(), kAccent, 0.8);
  flow.Advance(4);
}

void AddHeadersAndFooters(PageFlow& flow, const QString& site_name, const QString& report_name,
                          const QString& left_footer, const QString& page_format) {
  std::vector<ReportPage>& pages = flow.Pages();
  const double width = flow.Width();
  const double page_width = flow.PageWidth();
  const double page_height = flow.PageHeight();
  const int count = int(pages.size());
  const TextStyle header_bold{8.5, true, false, kAccent};
  const TextStyle header_plain{8.5, false, false, kAccent};
  const TextStyle small{7.5, false, false, QColor(0x50, 0x50, 0x50)};
  const int one_line = Qt::TextSingleLine;
  // The report's name keeps its room on the right; the site's name has the rest of the line.
  const double report_width = std::min(flow.TextWidth(report_name, header_plain) + 2, width * 0.4);
  const double name_width = width - report_width - 12;
  const QString shown_name = flow.Elided(site_name, header_bold, name_width);
  for (int n = 0; n < count; ++n) {
    std::vector<PageItem>& items = pages[n].items;
    auto text = [&items](const QRectF& rect, const QString& value, const TextStyle& style,
                         int flags) {
      PageItem item;
      item.rect = rect;
      item.text = value;
      item.style = style;
      item.flags = flags;
      items.push_back(std::move(item));
    };
    auto line = [&items, page_width](double y, const QColor& color, double line_width) {
      PageItem item;
      item.kind = PageItem::Kind::kLine;
      item.rect = QRectF(QPointF(kMarginLeft, y), QPointF(page_width - kMarginRight, y));
      item.stroke = color;
      item.line_width = line_width;
      items.push_back(std::move(item));
    };
    const QRectF left_part(kMarginLeft, kMarginTop, name_width, kHeaderHeight - 10);
    const QRectF right_part(kMarginLeft + width - report_width, kMarginTop, report_width,
                            kHeaderHeight - 10);
    text(left_part, shown_name, header_bold, int(Qt::AlignLeft | Qt::AlignBottom) | one_line);
    text(right_part, report_name, header_plain, int(Qt::AlignRight | Qt::AlignBottom) | one_line);
    line(kMarginTop + kHeaderHeight - 7, kAccent, 0.8);
    const double footer_top = page_height - kMarginBottom - kFooterHeight + 10;
    line(footer_top, kRule, 0.4);
    const QRectF footer(kMarginLeft, footer_top + 3, width, kFooterHeight - 13);
    text(footer, left_footer, small, int(Qt::AlignLeft | Qt::AlignTop) | one_line);
    text(footer, QString(page_format).arg(n + 1).arg(count), small,
         int(Qt::AlignRight | Qt::AlignTop) | one_line);
  }
}

namespace {

// Texts set on one line in one style, each shaped once per painting and drawn again wherever the
// same text stands in the same style. Most texts of a big report repeat (labels, codes,
// quantities, the header), and shaping them was most of the time of painting it.
class ShapedLines {
 public:
  explicit ShapedLines(QPaintDevice* device) : device_(device) {}

  const ShapedLine& Of(const QString& text, const TextStyle& style) {
    const Key key{text, style.size, style.bold, style.italic};
    auto it = lines_.find(key);
    if (it != lines_.end()) return *it;
    return *lines_.insert(key, ShapeLine(text, ReportFont(style), device_));
  }

 private:
  struct Key {
    QString text;
    double size;
    bool bold;
    bool italic;
    bool operator==(const Key&) const = default;
  };
  friend size_t qHash(const Key& key, size_t seed) {
    return qHashMulti(seed, key.text, key.size, key.bold, key.italic);
  }

  QPaintDevice* device_;
  QHash<Key, ShapedLine> lines_;
};

// The lines of a text broken as QPainter::drawText(rect, flags, text) breaks it: at the
// rectangle's width when it wraps and at every line break, stacked with the font's leading
// between them and each on a whole pixel, the block aligned vertically in the rectangle and each
// line across it. Each line is kept with its place from the rectangle's top left corner.
struct BrokenLine {
  QString text;
  QPointF at;
};
struct BrokenText {
  std::vector<BrokenLine> lines;
  bool fits = false;  // within the rectangle, so the painter would not clip it
};

class BrokenTexts {
 public:
  explicit BrokenTexts(QPaintDevice* device) : device_(device) {}

  const BrokenText& Of(const QString& text, const TextStyle& style, QSizeF size, int flags) {
    const Key key{text, style.size, style.bold, style.italic, size.width(), size.height(), flags};
    auto it = texts_.find(key);
    if (it != texts_.end()) return *it;
    QString broken = text;
    broken.replace(QLatin1Char('\n'), QChar::LineSeparator);
    const QFont font = ReportFont(style);
    QTextLayout layout(broken, font, device_);
    QTextOption option;
    option.setWrapMode((flags & Qt::TextWordWrap) ? QTextOption::WordWrap
                                                  : QTextOption::ManualWrap);
    layout.setTextOption(option);
    const double leading = QFontMetricsF(font, device_).leading();
    const double line_width = (flags & Qt::TextWordWrap) ? std::max(0.0, size.width()) : 1e7;
    double height = -leading;
    double width = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(line_width);
      // Each line starts on a whole pixel, and a line's own height is unrounded.
      height = std::ceil(height + leading);
      line.setPosition(QPointF(0, height));
      height += line.ascent() + line.descent();
      width = std::max(width, line.naturalTextWidth());
    }
    layout.endLayout();
    double y_offset = 0;
    if (flags & Qt::AlignBottom) {
      y_offset = size.height() - height;
    } else if (flags & Qt::AlignVCenter) {
      y_offset = (size.height() - height) / 2;
    }
    BrokenText result;
    result.fits = width <= size.width() && height <= size.height();
    for (int i = 0; i < layout.lineCount(); ++i) {
      const QTextLine line = layout.lineAt(i);
      const double advance = line.horizontalAdvance();
      double x_offset = 0;
      if (flags & Qt::AlignRight) {
        x_offset = size.width() - advance;
      } else if (flags & Qt::AlignHCenter) {
        x_offset = (size.width() - advance) / 2;
      }
      QString part = broken.mid(line.textStart(), line.textLength());
      while (!part.isEmpty() && (part.back().isSpace() || part.back() == QChar::LineSeparator))
        part.chop(1);
      if (!part.isEmpty()) result.lines.push_back({part, QPointF(x_offset, y_offset + line.y())});
    }
    return *texts_.insert(key, std::move(result));
  }

 private:
  struct Key {
    QString text;
    double size;
    bool bold;
    bool italic;
    double width;
    double height;
    int flags;
    bool operator==(const Key&) const = default;
  };
  friend size_t qHash(const Key& key, size_t seed) {
    return qHashMulti(seed, key.text, key.size, key.bold, key.italic, key.width, key.height,
                      key.flags);
  }

  QPaintDevice* device_;
  QHash<Key, BrokenText> texts_;
};

void DrawLine(QPainter& painter, PdfDocument* pdf, const ShapedLine& line, QPointF at,
              const QString& text) {
  for (const QGlyphRun& run : line.runs) {
    if (pdf) {
      pdf->DrawGlyphs(painter, at, run, text);
    } else {
      painter.drawGlyphRun(at, run);
    }
  }
}

// Paints a text as QPainter::drawText(rect, flags, text) places it, from glyphs shaped once:
// a text of one line that fits its rectangle directly, a text of several lines line by line.
// A text the painter would cut at the rectangle goes through drawText itself.
void DrawText(QPainter& painter, PdfDocument* pdf, ShapedLines& shaped, BrokenTexts& broken,
              const QRectF& rect, int flags, const QString& text, const TextStyle& style) {
  if (text.isEmpty()) return;
  const bool several = text.contains(QLatin1Char('\n'));
  if (!several) {
    const ShapedLine& line = shaped.Of(text, style);
    if (line.width <= rect.width() && line.height <= rect.height()) {
      DrawLine(painter, pdf, line, AlignedIn(rect, QSizeF(line.width, line.height), flags), text);
      return;
    }
  }
  if ((several || (flags & Qt::TextWordWrap)) && !(flags & Qt::TextSingleLine)) {
    const BrokenText& lines = broken.Of(text, style, rect.size(), flags);
    if (lines.fits) {
      for (const BrokenLine& line : lines.lines)
        DrawLine(painter, pdf, shaped.Of(line.text, style), rect.topLeft() + line.at, line.text);
      return;
    }
  }
  painter.drawText(rect, flags, text);
}

// Paints the pages on a device whose sheet starts at `origin` (in points) of its coordinates;
// `new_page` moves on to the next sheet. Texts go to a PDF document of the program's own as
// glyphs shaped once.
bool PaintPagesOn(const std::vector<ReportPage>& pages, QPaintDevice* device, QPointF origin,
                  const std::function<bool()>& new_page, PdfDocument* pdf) {
  QPainter painter;
  if (!painter.begin(device)) return false;
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  const double sx = device->logicalDpiX() / 72.0;
  const double sy = device->logicalDpiY() / 72.0;
  auto map = [&](const QRectF& r) {
    return QRectF((r.x() - origin.x()) * sx, (r.y() - origin.y()) * sy, r.width() * sx,
                  r.height() * sy);
  };
  ShapedLines shaped(device);
  BrokenTexts broken(device);
  for (std::size_t n = 0; n < pages.size(); ++n) {
    if (n > 0 && !new_page()) {
      painter.end();
      return false;
    }
    // The font is set again only when the style changes, which most texts do not.
    std::optional<TextStyle> current;
    for (const PageItem& item : pages[n].items) {
      switch (item.kind) {
        case PageItem::Kind::kText:
          if (!current || current->size != item.style.size || current->bold != item.style.bold ||
              current->italic != item.style.italic) {
            painter.setFont(ReportFont(item.style));
            current = item.style;
          }
          painter.setPen(item.style.color);
          DrawText(painter, pdf, shaped, broken, map(item.rect), item.flags, item.text, item.style);
          break;
        case PageItem::Kind::kBox: {
          const QRectF r = map(item.rect);
          if (item.fill.isValid()) painter.fillRect(r, item.fill);
          if (item.stroke.isValid()) {
            painter.setPen(QPen(item.stroke, item.line_width * sx));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(r);
          }
          break;
        }
        case PageItem::Kind::kLine: {
          const QRectF r = map(item.rect);
          painter.setPen(QPen(item.stroke, item.line_width * sx, Qt::SolidLine, Qt::FlatCap));
          painter.drawLine(r.topLeft(), r.bottomRight());
          break;
        }
        case PageItem::Kind::kFigure:
          // The figure keeps the painter's state as it found it.
          if (item.figure)
            PaintProfileFigure(painter, map(item.rect), *item.figure, FigureSize::kCompact);
          break;
      }
    }
  }
  return painter.end();
}

}  // namespace

bool PaintPages(const std::vector<ReportPage>& pages, QPagedPaintDevice* device) {
  return PaintPagesOn(
      pages, device, device->pageLayout().paintRect(QPageLayout::Point).topLeft(),
      [device] { return device->newPage(); }, nullptr);
}

bool PaintPages(const std::vector<ReportPage>& pages, PdfDocument* document) {
  return PaintPagesOn(
      pages, document, QPointF(0, 0), [document] { return document->NewPage(); }, document);
}

void SetUpPage(QPagedPaintDevice* device) {
  const QPageLayout current = device->pageLayout();
  const QPageSize size =
      current.pageSize().isValid() ? current.pageSize() : QPageSize(QPageSize::A4);
  const QPageLayout::Orientation orientation =
      current.pageSize().isValid() ? current.orientation() : QPageLayout::Portrait;
  device->setPageLayout(QPageLayout(size, orientation, QMarginsF(0, 0, 0, 0), QPageLayout::Point));
}

}  // namespace velmora::reports
