#include "reports/report_run.h"

#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

#include "i18n/tr.h"
#include "reports/report_layout.h"
#include "reports/report_tables.h"
#include "site/run_state.h"
#include "site/store_error.h"
#include "workspace/workspace.h"

namespace velmora::reports {

void PrepareReport(workspace::Workspace& workspace, PrintStore& store, ReportKind kind,
                   const i18n::Settings& settings) {
  store.Open();
  workspace.ShowSiteView();
  if (kind == ReportKind::kSite) {
    FillReportTables(workspace.R(), store.Db());
  } else {
    FillPartsReportTables(workspace.R(), store.Db(), settings);
  }
}

bool PrintReport(workspace::Workspace& workspace, PrintStore& store, ReportKind kind,
                 const i18n::Settings& settings, QPrinter* printer, QString* error) {
  printer->setDocName(ReportName(kind));
  if (!workspace.Prompter().PrinterDialog(printer)) return false;
  PrepareReport(workspace, store, kind, settings);
  printer->setFullPage(true);
  if (RenderReport(store.Db(), kind, printer) == 0) {
    if (error) *error = i18n::Tr(N_("The printer cannot be used"));
    return false;
  }
  return true;
}

bool WritePdfFromStore(PrintStore& store, ReportKind kind, const QString& file, QString* error) {
  store.Open();
  QSaveFile out(file);
  if (!out.open(QIODevice::WriteOnly)) {
    if (error) *error = out.errorString();
    return false;
  }
  int pages = 0;
  {
    QPdfWriter pdf(&out);
    pdf.setResolution(600);
    pdf.setTitle(ReportName(kind));
    pdf.setCreator(site::kApplicationTitle);
    pages = RenderReport(store.Db(), kind, &pdf);
  }
  if (pages == 0) {
    out.cancelWriting();
    if (error) *error = i18n::Tr(N_("The report could not be painted"));
    return false;
  }
  if (!out.commit()) {
    if (error) *error = out.errorString();
    return false;
  }
  return true;
}

bool WriteReportPdf(workspace::Workspace& workspace, PrintStore& store, ReportKind kind,
                    const i18n::Settings& settings, const QString& file, QString* error) {
  PrepareReport(workspace, store, kind, settings);
  return WritePdfFromStore(store, kind, file, error);
}

}  // namespace velmora::reports
