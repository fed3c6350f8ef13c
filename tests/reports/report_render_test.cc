#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include "i18n/messages.h"
#include "report_fixture.h"
#include "reports/report_layout.h"
#include "reports/report_run.h"
#include "reports/report_tables.h"

namespace velmora::reports {
namespace {

using testing::InsertRow;

class ReportRenderTest : public ReportFixture {
 protected:
  static void SetUpTestSuite() {
    // Fonts and painting need the application object (off screen in the tests).
    if (QGuiApplication::instance() == nullptr) {
      static int argc = 1;
      static char name[] = "reports_tests";
      static char* argv[] = {name, nullptr};
      new QGuiApplication(argc, argv);
    }
  }

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
  EXPECT_EQ(alerted, 2);  // the overview line and the loop's current line
  EXPECT_GT(plain_status, 0);
}

TEST_F(ReportRenderTest, CancellingThePrinterDialogLeavesThePrintStoreUntouched) {
  OpenSample("small-office");
  InsertRow(Print(), "PartsList", {{"PanelNumber", 1}, {"Tier 1", "7"}, {"Tier 3", "earlier"}});
  InsertRow(Print(), "Panels", {{"PanelNumber", 1}, {"Tier 1", "earlier"}});
  const auto before = [this] {
    std::vector<std::vector<site::Row>> all;
    for (const char* table :
         {"Site", "Sections", "Panels", "PanelDetails", "Currents", "Devices", "PartsList"})
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
