#include "reports/pdf_document.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "gui_application.h"
#include "reports/loop_profile_figure.h"
#include "reports/report_pages.h"

namespace velmora::reports {
namespace {

// A device that takes so many bytes and then refuses, as a full disk does.
class FullDevice : public QIODevice {
 public:
  explicit FullDevice(qint64 room) : room_(room) { open(QIODevice::WriteOnly); }

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char*, qint64 length) override {
    if (length > room_) {
      setErrorString("No space left on device");
      return -1;
    }
    room_ -= length;
    return length;
  }

 private:
  qint64 room_;
};

class PdfDocumentTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { EnsureGuiApplication(); }

  static bool Tools() {
    return !QStandardPaths::findExecutable("pdftotext").isEmpty() &&
           !QStandardPaths::findExecutable("pdftoppm").isEmpty();
  }

  // Runs a poppler tool; its standard output, and whether it ran without a complaint.
  static QByteArray Run(const QString& tool, const QStringList& arguments, bool* clean) {
    QProcess process;
    process.start(tool, arguments);
    process.waitForFinished();
    const QByteArray complaints = process.readAllStandardError();
    *clean = process.exitCode() == 0 && complaints.isEmpty();
    EXPECT_TRUE(complaints.isEmpty()) << tool.toStdString() << ": " << complaints.toStdString();
    return process.readAllStandardOutput();
  }

  // Writes the pages through the report's painting into a PDF file of the document's own.
  QString WritePages(const std::vector<ReportPage>& pages) {
    const QString file = dir_.filePath("pages.pdf");
    QFile out(file);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    PdfDocument pdf(&out, QSizeF(kA4Width, kA4Height), 600);
    pdf.SetTitle("Prüfbericht");
    EXPECT_TRUE(PaintPages(pages, &pdf));
    EXPECT_TRUE(pdf.Finished()) << pdf.Error().toStdString();
    return file;
  }

  static PageItem Text(const QRectF& rect, const QString& text, int flags = Qt::AlignLeft) {
    PageItem item;
    item.kind = PageItem::Kind::kText;
    item.rect = rect;
    item.text = text;
    item.flags = flags;
    return item;
  }

  QTemporaryDir dir_;
};

TEST_F(PdfDocumentTest, TextsCanBeSearchedAsTheyWereWrittenOnEveryPage) {
  if (!Tools()) GTEST_SKIP() << "pdftotext and pdftoppm are needed to read the PDF";
  // Ligatures (one glyph for "ffi"), letters beyond ASCII, a wrapped text, a bold one, and the
  // same text twice, each on its own page.
  const QStringList texts = {"Öffnung der officeflächen", "Ruhestrom 29,2 mA → 350 µA",
                             "Zu lang für die Zeile…", "Batterie 12 V / 7,2 Ah"};
  std::vector<ReportPage> pages(texts.size());
  for (int i = 0; i < texts.size(); ++i) {
    pages[i].items.push_back(Text(QRectF(50, 100, 400, 20), texts[i]));
    pages[i].items.push_back(Text(QRectF(50, 200, 60, 80), "ein langer Text, der umbricht",
                                  Qt::AlignLeft | Qt::TextWordWrap));
    PageItem bold = Text(QRectF(50, 300, 400, 20), texts[i], Qt::AlignRight);
    bold.style.bold = true;
    pages[i].items.push_back(bold);
  }
  const QString file = WritePages(pages);
  bool clean = false;
  for (int i = 0; i < texts.size(); ++i) {
    const QString page = QString::number(i + 1);
    const QString text =
        QString::fromUtf8(Run("pdftotext", {"-f", page, "-l", page, "-raw", file, "-"}, &clean));
    EXPECT_TRUE(clean);
    EXPECT_EQ(text.count(texts[i]), 2) << text.toStdString();
    EXPECT_TRUE(text.contains("umbricht")) << text.toStdString();
  }
  Run("pdftoppm", {"-r", "30", "-png", file, dir_.filePath("page")}, &clean);
  EXPECT_TRUE(clean);
  Run("pdfinfo", {file}, &clean);
  EXPECT_TRUE(clean);
}

// A page painted from its items matches the same items painted by Qt's own PDF writer through
// QPainter::drawText: every text breaks, aligns and sits where the painter puts it.
TEST_F(PdfDocumentTest, APageLooksAsQtsOwnWriterPaintsIt) {
  if (!Tools()) GTEST_SKIP() << "pdftoppm is needed to see the PDF";
  ReportPage page;
  const int aligns[] = {Qt::AlignLeft | Qt::AlignTop, Qt::AlignHCenter | Qt::AlignVCenter,
                        Qt::AlignRight | Qt::AlignBottom};
  double y = 60;
  for (int align : aligns) {
    page.items.push_back(Text(QRectF(50, y, 150, 40), "Quiescent Current (mA)", align));
    page.items.push_back(
        Text(QRectF(220, y, 70, 60), "Quiescent Current (mA)", align | Qt::TextWordWrap));
    page.items.push_back(
        Text(QRectF(310, y, 200, 60), "Standby time 24 h\nAlarm time 0.5 h\nAgeing 1.25", align));
    PageItem box;
    box.kind = PageItem::Kind::kBox;
    box.rect = QRectF(220, y, 70, 60);
    box.stroke = kRule;
    page.items.push_back(box);
    y += 90;
  }
  PageItem bold = Text(QRectF(50, y, 450, 30), "Loop Overload [E04] 113 % AV Ty Wa", Qt::AlignLeft);
  bold.style = TextStyle{12, true, false, kAlertText};
  page.items.push_back(bold);
  PageItem shade;
  shade.kind = PageItem::Kind::kBox;
  shade.rect = QRectF(50, y + 40, 450, 20);
  shade.fill = kShade;
  page.items.push_back(shade);
  // A voltage figure: rotated and clipped texts, dashed lines, marks and a ring.
  auto figure = std::make_shared<ProfileFigure>();
  figure->length = 800;
  figure->supply_v = 27;
  figure->lumped_u = 24.5;
  for (int i = 0; i < 12; ++i) {
    figure->distance.push_back(50 + 60 * i);
    figure->healthy.push_back(26.9 - 0.02 * i * (11 - i));
    figure->broken.push_back(26.9 - 0.25 * i);
    figure->lowest_v.push_back(i < 6 ? 17 : 16);
  }
  figure->break_gap = 12;
  figure->break_at = 800;
  figure->weakest = 11;
  PageItem plot;
  plot.kind = PageItem::Kind::kFigure;
  plot.rect = QRectF(50, y + 80, 450, 180);
  plot.figure = figure;
  page.items.push_back(plot);

  const QString ours = WritePages({page});
  const QString theirs = dir_.filePath("qt.pdf");
  {
    QPdfWriter writer(theirs);
    writer.setResolution(600);
    SetUpPage(&writer);
    QPainter p(&writer);
    const double k = 600 / 72.0;
    auto map = [k](const QRectF& r) {
      return QRectF(r.x() * k, r.y() * k, r.width() * k, r.height() * k);
    };
    for (const PageItem& item : page.items) {
      if (item.kind == PageItem::Kind::kFigure) {
        PaintProfileFigure(p, map(item.rect), *item.figure, FigureSize::kCompact);
      } else if (item.kind == PageItem::Kind::kText) {
        p.setFont(ReportFont(item.style));
        p.setPen(item.style.color);
        p.drawText(map(item.rect), item.flags, item.text);
      } else {
        if (item.fill.isValid()) p.fillRect(map(item.rect), item.fill);
        if (item.stroke.isValid()) {
          p.setPen(QPen(item.stroke, item.line_width * k));
          p.setBrush(Qt::NoBrush);
          p.drawRect(map(item.rect));
        }
      }
    }
  }
  bool clean = false;
  Run("pdftoppm", {"-r", "100", "-gray", "-png", "-singlefile", ours, dir_.filePath("ours")},
      &clean);
  Run("pdftoppm", {"-r", "100", "-gray", "-png", "-singlefile", theirs, dir_.filePath("theirs")},
      &clean);
  const QImage a(dir_.filePath("ours.png"));
  const QImage b(dir_.filePath("theirs.png"));
  ASSERT_EQ(a.size(), b.size());
  int inked = 0;
  int different = 0;
  for (int row = 0; row < a.height(); ++row) {
    for (int x = 0; x < a.width(); ++x) {
      const int ga = qGray(a.pixel(x, row));
      const int gb = qGray(b.pixel(x, row));
      inked += gb < 160;
      different += std::abs(ga - gb) > 60;
    }
  }
  EXPECT_GT(inked, 2000);
  EXPECT_LT(different, inked / 100) << different << " of " << inked;
}

TEST_F(PdfDocumentTest, AClipEndsWithThePainterStateItWasSetIn) {
  if (!Tools()) GTEST_SKIP() << "pdftoppm is needed to see the PDF";
  const QString file = dir_.filePath("clip.pdf");
  {
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    PdfDocument pdf(&out, QSizeF(200, 200), 600);
    QPainter p(&pdf);
    const double u = 600 / 72.0;  // painter units per point
    p.save();
    p.setClipRect(QRectF(0, 0, 100 * u, 100 * u));
    p.fillRect(QRectF(0, 0, 200 * u, 200 * u), Qt::red);  // only its top left quarter shows
    p.restore();
    p.fillRect(QRectF(150 * u, 150 * u, 40 * u, 40 * u), Qt::blue);  // outside the old clip
    p.setPen(QPen(Qt::black, 4 * u, Qt::DashLine, Qt::FlatCap));
    p.drawLine(QPointF(0, 120 * u), QPointF(200 * u, 120 * u));
    ASSERT_TRUE(p.end());
    ASSERT_TRUE(pdf.Finished()) << pdf.Error().toStdString();
  }
  bool clean = false;
  Run("pdftoppm", {"-r", "72", "-png", "-singlefile", file, dir_.filePath("clip")}, &clean);
  const QImage image(dir_.filePath("clip.png"));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.pixelColor(50, 50), QColor(Qt::red));
  EXPECT_EQ(image.pixelColor(150, 50), QColor(Qt::white));
  EXPECT_EQ(image.pixelColor(170, 170), QColor(Qt::blue));
  // The dashed line: dashes of four pen widths, gaps of two.
  int dark = 0;
  for (int x = 0; x < 200; ++x) dark += image.pixelColor(x, 120).lightness() < 100;
  EXPECT_NEAR(dark, 200 * 2 / 3, 8);
}

TEST_F(PdfDocumentTest, ImagesAndTranslucentColoursShowAsPainted) {
  if (!Tools()) GTEST_SKIP() << "pdftoppm is needed to see the PDF";
  const QString file = dir_.filePath("image.pdf");
  {
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    PdfDocument pdf(&out, QSizeF(200, 100), 72);
    QPainter p(&pdf);
    QImage opaque(8, 8, QImage::Format_RGB32);
    opaque.fill(QColor(0, 160, 0));
    p.drawImage(QRectF(0, 0, 50, 50), opaque);
    QImage veiled(8, 8, QImage::Format_ARGB32);
    veiled.fill(QColor(0, 0, 0, 128));
    p.drawImage(QRectF(50, 0, 50, 50), veiled);
    p.fillRect(QRectF(100, 0, 50, 50), QColor(0, 0, 255, 128));
    p.setOpacity(0.5);
    p.fillRect(QRectF(150, 0, 50, 50), QColor(255, 0, 0));
    ASSERT_TRUE(p.end());
    ASSERT_TRUE(pdf.Finished()) << pdf.Error().toStdString();
  }
  bool clean = false;
  Run("pdftoppm", {"-r", "72", "-png", "-singlefile", file, dir_.filePath("image")}, &clean);
  const QImage image(dir_.filePath("image.png"));
  ASSERT_FALSE(image.isNull());
  auto near = [](QColor seen, QColor wanted) {
    return std::abs(seen.red() - wanted.red()) <= 3 &&
           std::abs(seen.green() - wanted.green()) <= 3 &&
           std::abs(seen.blue() - wanted.blue()) <= 3;
  };
  EXPECT_TRUE(near(image.pixelColor(25, 25), QColor(0, 160, 0)))
      << image.pixelColor(25, 25).name().toStdString();
  EXPECT_TRUE(near(image.pixelColor(75, 25), QColor(127, 127, 127)))
      << image.pixelColor(75, 25).name().toStdString();
  EXPECT_TRUE(near(image.pixelColor(125, 25), QColor(127, 127, 255)))
      << image.pixelColor(125, 25).name().toStdString();
  EXPECT_TRUE(near(image.pixelColor(175, 25), QColor(255, 127, 127)))
      << image.pixelColor(175, 25).name().toStdString();
  EXPECT_TRUE(near(image.pixelColor(100, 75), Qt::white));
}

TEST_F(PdfDocumentTest, ADeviceThatRefusesBytesIsReportedNotFinished) {
  for (qint64 room : {0, 100, 5000}) {
    FullDevice out(room);
    PdfDocument pdf(&out, QSizeF(kA4Width, kA4Height), 600);
    std::vector<ReportPage> pages(3);
    for (ReportPage& page : pages) page.items.push_back(Text(QRectF(50, 50, 300, 20), "Seite"));
    PaintPages(pages, &pdf);
    EXPECT_FALSE(pdf.Finished()) << room;
    EXPECT_EQ(pdf.Error(), "No space left on device") << room;
  }
}

}  // namespace
}  // namespace velmora::reports
