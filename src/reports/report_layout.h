#pragma once

#include <vector>

#include "reports/print_store.h"
#include "reports/report_pages.h"

class QPagedPaintDevice;
class QPaintDevice;

namespace velmora::reports {

// The pages of a report laid out from the rows of the print store: a title block with the
// site's data under the Sections labels, then for the site report an overview of the panels and
// one part per panel (properties, currents, devices by loop), for the parts-list report the
// parts table. Texts are measured for `device`.
std::vector<ReportPage> LayoutReport(const ReportData& data, ReportKind kind, QPaintDevice* device);

// Reads the print store and paints the report on `device` (A4 portrait is set on it). Returns
// the number of pages painted, 0 when the device could not be painted on.
int RenderReport(site::Database& print, ReportKind kind, QPagedPaintDevice* device);
// The same into a PDF document of the program's own, on its sheet.
int RenderReport(site::Database& print, ReportKind kind, PdfDocument* document);

}  // namespace velmora::reports
