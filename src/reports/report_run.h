#pragma once

#include <QString>

#include "i18n/settings.h"
#include "reports/print_store.h"

class QPrinter;

namespace velmora::workspace {
class Workspace;
}

namespace velmora::reports {

// The step before a report is rendered: the print store filled for the report from the site's
// rows, whose stored results are always current (the site tables, or Site, Sections and the
// parts list). Throws site::StoreError when the print store cannot be used.
void PrepareReport(workspace::Workspace& workspace, PrintStore& store, ReportKind kind,
                   const i18n::Settings& settings);

// Printing: the printer dialog comes first, and a cancelled dialog changes nothing at all;
// otherwise the report is prepared and rendered on the printer. False when cancelled or when
// the printer could not be painted on (`error` then says why).
bool PrintReport(workspace::Workspace& workspace, PrintStore& store, ReportKind kind,
                 const i18n::Settings& settings, QPrinter* printer, QString* error);

// The report prepared and written to a PDF file. The file is written whole or not at all.
bool WriteReportPdf(workspace::Workspace& workspace, PrintStore& store, ReportKind kind,
                    const i18n::Settings& settings, const QString& file, QString* error);

// Renders what the print store holds to a PDF file, without preparing it again.
bool WritePdfFromStore(PrintStore& store, ReportKind kind, const QString& file, QString* error);

}  // namespace velmora::reports
