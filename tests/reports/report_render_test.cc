#include <gtest/gtest.h>

#include <QDate>
#include <QFile>
#include <QHash>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>

#include "electrical/recalculation.h"
#include "gui_application.h"
#include "i18n/messages.h"
#include "i18n/translation.h"
#include "report_fixture.h"
#include "reports/loop_profile_figure.h"
#include "reports/report_layout.h"
#include "reports/report_run.h"
#include "reports/report_tables.h"

namespace velmora::reports {
namespace {

using testing::InsertRow;

class ReportRenderTest : public ReportFixture {
 protected:
  static void SetUpTestSuite() { EnsureGuiApplication(); }

  // Opens one of the sample sites the build makes.
  void OpenSample(const char* name) {
    home_.CopyFromBuild(QString("Sites/%1.mdb").arg(name));
    ASSERT_TRUE(workspace_->OpenSiteFile(home_.Path(QString("Sites/%1.mdb").arg(name))))
        << prompter_.Warnings().join("\n").toStdString();
  }

  // The text of a PDF as pdftotext lays it out, and its page count; skips without the tools.
  QString PdfText(const QString& file, int* pages) {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty() ||
        QStandardPaths::findExecutable("pdfinfo").isEmpty())
      return QString();
    QProcess text;
    text.start("pdftotext", {"-layout", file, "-"});
    text.waitForFinished();
    QProcess info;
    info.start("pdfinfo", {file});
    info.waitForFinished();
    const auto match = QRegularExpression(R"(Pages:\s+(\d+))")
                           .match(QString::fromUtf8(info.readAllStandardOutput()));
    *pages = match.hasMatch() ? match.captured(1).toInt() : 0;
    return QString::fromUtf8(text.readAllStandardOutput());
  }

  QString Pdf() { return home_.Path("report.pdf"); }
};

TEST_F(ReportRenderTest, TheSiteReportOfTheLargerSampleShowsEveryPanelAndItsTotals) {
  OpenSample("large-building");
  QString error;
  ASSERT_TRUE(WriteReportPdf(*workspace_, *store_, ReportKind::kSite, Settings(), Pdf(), &error))
      << error.toStdString();
  int pages = 0;
  const QString text = PdfText(Pdf(), &pages);
  if (text.isEmpty()) GTEST_SKIP() << "pdftotext and pdfinfo are needed to read the PDF";

  for (const char* heading :
       {"Northgate Medical Centre", "Report - Site Data", "Site Name", "System Standby Time",
        "24 Hours", "Panel Properties", "Total Currents", "Device Properties", "Loop Overload"})
    EXPECT_TRUE(text.contains(heading)) << heading;
  const ReportData data = ReadReportData(Print());
  ASSERT_EQ(data.panels.size(), 4u);
  for (const TierRow& panel : data.panels) {
    EXPECT_TRUE(text.contains(QString("Panel %1: %2").arg(panel.panel).arg(panel.tiers[0])))
        << panel.tiers[0].toStdString();
  }
  // Every panel's total line, with its two totals.
  int totals = 0;
  for (const TierRow& line : data.currents) {
    if (line.tiers[0] != "Total") continue;
    ++totals;
    const QRegularExpression row(QString(R"(Total\s+%1\s+%2)")
                                     .arg(QRegularExpression::escape(line.tiers[1]),
                                          QRegularExpression::escape(line.tiers[2])));
    EXPECT_TRUE(text.contains(row)) << line.tiers[1].toStdString();
  }
  EXPECT_EQ(totals, 4);
  // One part per panel at least, and the count in the footer is the document's own.
  EXPECT_GE(pages, 5);
  EXPECT_TRUE(text.contains(QString("Page 1 of %1").arg(pages)));
  EXPECT_TRUE(text.contains(QString("Page %1 of %1").arg(pages)));
}

TEST_F(ReportRenderTest, ThePartsReportListsEveryPart) {
  OpenSample("large-building");
  QString error;
  ASSERT_TRUE(WriteReportPdf(*workspace_, *store_, ReportKind::kParts, Settings(), Pdf(), &error))
      << error.toStdString();
  int pages = 0;
  const QString text = PdfText(Pdf(), &pages);
  if (text.isEmpty()) GTEST_SKIP() << "pdftotext and pdfinfo are needed to read the PDF";
  EXPECT_TRUE(text.contains("Report - Partlist"));
  EXPECT_TRUE(text.contains("Parts list"));
  const ReportData data = ReadReportData(Print());
  ASSERT_GT(data.parts.size(), 10u);
  for (const TierRow& part : data.parts) {
    const QRegularExpression row(QString(R"(%1\s+X\s+%2)")
                                     .arg(QRegularExpression::escape(part.tiers[0]),
                                          QRegularExpression::escape(part.tiers[2])));
    EXPECT_TRUE(text.contains(row)) << part.tiers[2].toStdString();
  }
  EXPECT_TRUE(text.contains(QString("Page %1 of %1").arg(pages)));
}

TEST_F(ReportRenderTest, OverloadedRowsStandOutAndOthersDoNot) {
  OpenSample("large-building");
  FillReportTables(R(), Print());
  QPdfWriter device(home_.Path("measure.pdf"));
  const std::vector<ReportPage> pages =
      LayoutReport(ReadReportData(Print()), ReportKind::kSite, &device);
  int alerted = 0;
  int plain_status = 0;
  for (const ReportPage& page : pages) {
    for (const PageItem& item : page.items) {
      if (item.kind != PageItem::Kind::kText) continue;
      const bool alert = item.style.color == kAlertText;
      if (item.text.startsWith("Loop Overload")) {
        EXPECT_TRUE(alert) << item.text.toStdString();
        ++alerted;
      } else if (item.text == "Loop OK") {
        EXPECT_FALSE(alert);
        ++plain_status;
      }
    }
  }
  // The overview line, the loop's current line, its line among the voltages of the loops and its
  // status under its figures.
  EXPECT_EQ(alerted, 4);
  EXPECT_GT(plain_status, 0);
}

// A loop that passes its check, but whose sounders near the panel fall below their 16 V with the
// cable broken there (3000 m of 2.5 mm², the sounders first): its line among the voltages of the
// panel's loops carries the advisory in the advisory's colour beside its status, which stays as
// the check left it; every loop with devices has its figure on the panel's pages.
TEST_F(ReportRenderTest, TheVoltageAlongTheLoopsStandsOnTheirPanelsPages) {
  OpenSample("small-office");
  Doc().Execute(R"(UPDATE "Loops" SET "Length" = 3000, "Resistance" = 7.4, "CableSpec" = 5
                   WHERE "PanelNumber" = 1 AND "LoopNumber" = 1)");
  Doc().Execute(R"(UPDATE "Devices" SET "DeviceQuantity" = 18, "DeviceTypeCode" = 12,
                   "DeviceTypeText" = 'Sounder', "DeviceSub-Type" = 'VD-SN200'
                   WHERE rowid = (SELECT min(rowid) FROM "Devices" WHERE "Loop" = 1))");
  electrical::RecalculatePanels(R());
  FillReportTables(R(), Print());
  const ReportData data = ReadReportData(Print());
  ASSERT_EQ(data.profiles.size(), 2u);
  const ProfileRow& loop = data.profiles.front();
  EXPECT_EQ(loop.loop, 1);
  EXPECT_EQ(loop.status, "Loop OK");
  EXPECT_EQ(loop.advisories,
            QStringList{"Below the lowest operating voltage of a device with the cable broken"});
  EXPECT_EQ(loop.weakest_device, "Device 1 (Sounder - VD-SN200)");
  EXPECT_TRUE(loop.margin.startsWith('-')) << loop.margin.toStdString();
  const std::optional<ProfileFigure> figure = FigureFromText(loop.figure);
  ASSERT_TRUE(figure);
  EXPECT_EQ(figure->length, 3000);
  EXPECT_EQ(
      loop.lowest_broken,
      QString::number(*std::min_element(figure->broken.begin(), figure->broken.end()), 'f', 2));
  EXPECT_TRUE(data.profiles.back().advisories.isEmpty());

  QPdfWriter device(home_.Path("measure.pdf"));
  const std::vector<ReportPage> pages = LayoutReport(data, ReportKind::kSite, &device);
  int figures = 0;
  int advisories = 0;
  bool after_panel = false;
  for (const ReportPage& page : pages) {
    for (const PageItem& item : page.items) {
      if (item.kind == PageItem::Kind::kText && item.text.startsWith("Panel 1: "))
        after_panel = true;
      if (item.kind == PageItem::Kind::kFigure) {
        ++figures;
        EXPECT_TRUE(after_panel);
        ASSERT_TRUE(item.figure);
        EXPECT_LE(item.rect.right(), kA4Width - kMarginRight + 0.01);
        EXPECT_LE(item.rect.bottom(), kA4Height - kMarginBottom - kFooterHeight + 0.01);
      }
      if (item.kind == PageItem::Kind::kText && item.text.contains("with the cable broken")) {
        ++advisories;
        EXPECT_TRUE(item.text.startsWith(QString::fromUtf8("\u2139 ")));
        EXPECT_EQ(item.style.color, kAdvisoryText);
      }
      if (item.kind == PageItem::Kind::kText && item.text == "Loop OK") {
        EXPECT_NE(item.style.color, kAlertText);
      }
    }
  }
  EXPECT_EQ(figures, 2);
  EXPECT_EQ(advisories, 1);
  // The figure reads back from the store exactly as it was written.
  EXPECT_EQ(FigureText(*figure), loop.figure);
}

TEST_F(ReportRenderTest, EachPanelShowsItsLoopsExplainedAndItsBatteryCalculationAsOneBlock) {
  OpenSample("large-building");
  FillReportTables(R(), Print());
  const ReportData data = ReadReportData(Print());
  QPdfWriter device(home_.Path("measure.pdf"));
  QHash<QString, PageItem> items;
  for (const ReportPage& page : LayoutReport(data, ReportKind::kSite, &device)) {
    for (const PageItem& item : page.items) {
      if (item.kind == PageItem::Kind::kText) items.insert(item.text, item);
    }
  }
  for (const TierRow& panel : data.panels) {
    QStringList battery;
    for (const TierRow& line : data.battery) {
      if (line.panel == panel.panel) battery << line.tiers[0];
    }
    EXPECT_TRUE(items.contains(battery.join('\n'))) << panel.tiers[0].toStdString();
  }
  int explained = 0;
  for (const LoopLine& line : data.loops) {
    if (line.explanation.isEmpty()) continue;
    ++explained;
    const QString note = line.status + "\n" + line.explanation.join('\n');
    ASSERT_TRUE(items.contains(note)) << note.toStdString();
    EXPECT_EQ(items.value(note).style.color, line.standing == 2 ? kAlertText : kCautionText);
  }
  // The atrium loop that cannot drive its sounders, at least.
  EXPECT_GE(explained, 1);
}

// A site name of 120 characters on A4 and on Letter: the header never cuts a word, the title
// page has the whole name, and nothing of any page, the footer included, lies beyond the sheet.
TEST_F(ReportRenderTest, LongSiteNamesAndOtherPaperSizesKeepEveryPageWhole) {
  OpenSample("large-building");
  FillReportTables(R(), Print());
  ReportData data = ReadReportData(Print());
  const QString long_name =
      "Northgate Medical Centre and University Teaching Hospital, Ward Block East and West with "
      "the Plant Room below Building D";
  ASSERT_EQ(long_name.size(), 120);
  struct Case {
    QPageSize::PageSizeId paper;
    QString name;
  };
  const Case cases[] = {{QPageSize::A4, long_name},
                        {QPageSize::Letter, long_name},
                        {QPageSize::Letter, "Northgate"},
                        {QPageSize::A4, QString(130, 'W')}};
  for (const Case& c : cases) {
    SCOPED_TRACE(QPageSize::name(c.paper).toStdString() + " " + c.name.toStdString());
    data.site["SiteName"] = c.name;
    QPdfWriter device(home_.Path("measure.pdf"));
    device.setPageSize(QPageSize(c.paper));
    SetUpPage(&device);
    EXPECT_EQ(device.pageLayout().pageSize().id(), c.paper);
    const QSizeF sheet = QPageSize(c.paper).size(QPageSize::Point);
    const PageFlow measure(&device);
    for (ReportKind kind : {ReportKind::kSite, ReportKind::kParts}) {
      const std::vector<ReportPage> pages = LayoutReport(data, kind, &device);
      ASSERT_GT(pages.size(), 0u);
      bool whole_name_on_title = false;
      for (std::size_t n = 0; n < pages.size(); ++n) {
        int headers = 0;
        bool footer = false;
        for (const PageItem& item : pages[n].items) {
          EXPECT_LE(item.rect.right(), sheet.width() + 0.01) << item.text.toStdString();
          EXPECT_LE(item.rect.bottom(), sheet.height() - kMarginBottom + 0.01)
              << item.text.toStdString();
          if (item.kind != PageItem::Kind::kText) continue;
          if (n == 0 && item.text == c.name) whole_name_on_title = true;
          footer = footer || item.text == QString("Page %1 of %2").arg(n + 1).arg(pages.size());
          if (item.rect.top() != kMarginTop || !item.style.bold) continue;
          ++headers;
          EXPECT_LE(measure.TextWidth(item.text, item.style), item.rect.width() + 0.01);
          if (item.text == c.name) continue;
          ASSERT_TRUE(item.text.endsWith(u'\u2026')) << item.text.toStdString();
          const QString kept = item.text.chopped(1);
          EXPECT_TRUE(c.name.startsWith(kept));
          // Cut after a whole word, unless the first word alone is wider than the header.
          if (c.name.contains(' ')) {
            EXPECT_EQ(c.name.mid(kept.size(), 1), " ");
          }
        }
        EXPECT_EQ(headers, 1) << "page " << n + 1;
        EXPECT_TRUE(footer) << "page " << n + 1;
      }
      EXPECT_TRUE(whole_name_on_title);
    }
  }
}

TEST_F(ReportRenderTest, TheGermanSiteBlockHasEveryLabelOnOneLine) {
  home_.CopyFromBuild("locale/de/LC_MESSAGES/default.mo");
  ASSERT_EQ(i18n::SetUpTranslation(home_.Folder().LocaleFolder(), "de"), "de");
  OpenSample("large-building");
  FillReportTables(R(), Print());
  const ReportData data = ReadReportData(Print());
  QPdfWriter device(home_.Path("measure.pdf"));
  SetUpPage(&device);
  const std::vector<ReportPage> pages = LayoutReport(data, ReportKind::kSite, &device);
  i18n::SetUpTranslation(home_.Folder().LocaleFolder(), "en");
  const PageFlow measure(&device);
  ASSERT_EQ(data.sections.value("StandbyTime"), "Überbrückungszeit des Systems");
  for (const char* column : {"SiteName", "SiteDate", "ContactName", "AddressLine1", "AddressLine2",
                             "City", "State/Province", "PostalCode", "Country", "Phone", "Fax",
                             "Email", "Comment", "SalesChannel", "StandbyTime", "AlarmTime"}) {
    const QString label = data.sections.value(column);
    bool found = false;
    for (const PageItem& item : pages.front().items) {
      if (item.kind != PageItem::Kind::kText || item.text != label) continue;
      found = true;
      EXPECT_LE(measure.TextWidth(label, item.style), item.rect.width() + 0.01)
          << label.toStdString();
    }
    EXPECT_TRUE(found) << label.toStdString();
  }
  // The site's date in the German form.
  bool date = false;
  for (const PageItem& item : pages.front().items)
    date = date ||
           item.text ==
               QDate::fromString(data.site.value("SiteDate"), Qt::ISODate).toString("dd.MM.yyyy");
  EXPECT_TRUE(date) << data.site.value("SiteDate").toStdString();
}

TEST_F(ReportRenderTest, CancellingThePrinterDialogLeavesThePrintStoreUntouched) {
  OpenSample("small-office");
  InsertRow(Print(), "PartsList", {{"PanelNumber", 1}, {"Tier 1", "7"}, {"Tier 3", "earlier"}});
  InsertRow(Print(), "Panels", {{"PanelNumber", 1}, {"Tier 1", "earlier"}});
  const auto before = [this] {
    std::vector<std::vector<site::Row>> all;
    for (const char* table : {"Site", "Sections", "Panels", "PanelDetails", "Currents", "Devices",
                              "PartsList", "LoopProfiles"})
      all.push_back(Print().Select(table));
    return all;
  };
  const auto snapshot = before();
  for (ReportKind kind : {ReportKind::kSite, ReportKind::kParts}) {
    prompter_.AnswerPrinter(false);
    QPrinter printer;
    QString error;
    EXPECT_FALSE(PrintReport(*workspace_, *store_, kind, Settings(), &printer, &error));
    EXPECT_TRUE(error.isEmpty());
  }
  EXPECT_EQ(prompter_.Records().size(), 2u);
  EXPECT_EQ(prompter_.Records().back().kind, testing::ScriptedPrompter::Kind::kPrinter);
  const auto after = before();
  ASSERT_EQ(after.size(), snapshot.size());
  for (std::size_t t = 0; t < after.size(); ++t) {
    ASSERT_EQ(after[t].size(), snapshot[t].size()) << t;
    for (std::size_t r = 0; r < after[t].size(); ++r)
      EXPECT_EQ(after[t][r].values, snapshot[t][r].values);
  }
}

}  // namespace
}  // namespace velmora::reports
