#include "reports/report_run.h"

#include <sys/stat.h>

#include <cerrno>

#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QSaveFile>

#include "i18n/tr.h"
#include "reports/pdf_document.h"
#include "reports/report_layout.h"
#include "reports/report_tables.h"
#include "site/file_io.h"
#include "site/run_state.h"
#include "site/store_error.h"
#include "workspace/workspace.h"

namespace velmora::reports {

void PrepareReport(workspace::Workspace& workspace, PrintStore& store, ReportKind kind,
                   const i18n::Settings& settings) {
  store.Open();
  // The stored results are always current: the store is filled from the rows as they are.
  if (kind == ReportKind::kSite) {
    FillReportTables(workspace.Data(), store.Db(), workspace.State().TechnicalDetail());
  } else {
    FillPartsReportTables(workspace.Data(), store.Db(), settings);
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
  // A report replaces an ordinary file only: a device, a pipe or a socket of that name stays as
  // it is, and a link stays a link, with the file it points to written.
  QString target = QFileInfo(file).absoluteFilePath();
  struct stat st {};
  if (::lstat(QFile::encodeName(target).constData(), &st) == 0) {
    if (S_ISLNK(st.st_mode)) {
      const QString pointed = QFileInfo(target).canonicalFilePath();
      if (pointed.isEmpty()) {
        if (error) *error = QStringLiteral("it is a link to a file that is not there");
        return false;
      }
      target = pointed;
      if (::stat(QFile::encodeName(target).constData(), &st) != 0) st.st_mode = S_IFREG;
    }
    if (S_ISDIR(st.st_mode)) {
      if (error) *error = QStringLiteral("it is a folder");
      return false;
    }
    if (!S_ISREG(st.st_mode)) {
      if (error)
        *error = QStringLiteral(
            "it is not an ordinary file (a device, a pipe or the like), and a report is written "
            "only to an ordinary file");
      return false;
    }
  }
  store.Open();
  QSaveFile out(target);
  if (!out.open(QIODevice::WriteOnly)) {
    if (error) *error = out.errorString();
    return false;
  }
  int pages = 0;
  QString written;
  {
    PdfDocument pdf(&out, QSizeF(kA4Width, kA4Height), 600);
    pdf.SetTitle(ReportName(kind));
    pdf.SetCreator(site::kApplicationTitle);
    pages = RenderReport(store.Db(), kind, &pdf);
    if (!pdf.Finished()) written = pdf.Error();
  }
  if (pages == 0 || !written.isEmpty()) {
    out.cancelWriting();
    if (error)
      *error = written.isEmpty() ? i18n::Tr(N_("The report could not be painted")) : written;
    return false;
  }
  errno = 0;
  if (!out.commit()) {
    const int reason = errno;
    if (error) *error = reason != 0 ? site::PlainError(reason) : out.errorString();
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
