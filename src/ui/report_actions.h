#pragma once

#include <QObject>
#include <memory>

#include "reports/print_store.h"

class QWidget;

namespace velmora::workspace {
class Workspace;
}

namespace velmora::ui {

// The File menu's print preview and print entries: the window's actions PrintPreviewSite,
// PrintPreviewParts, PrintSite and PrintParts run the site report and the parts-list report to
// the preview window or to a printer. Made once by the main window, which owns it.
class ReportActions : public QObject {
  Q_OBJECT

 public:
  ReportActions(QWidget* window, workspace::Workspace& workspace);
  ~ReportActions() override;

  // The report prepared (site view shown, summaries refreshed, print store filled) and shown in
  // the preview window, from which the user may print it too.
  void Preview(reports::ReportKind kind);
  // The printer dialog, then the report prepared and printed; cancelling changes nothing.
  void Print(reports::ReportKind kind);

 private:
  QWidget* window_;
  workspace::Workspace& workspace_;
  std::unique_ptr<reports::PrintStore> store_;
};

// Connects the four report entries of `window`'s menus.
ReportActions* ConnectReportActions(QWidget* window, workspace::Workspace& workspace);

}  // namespace velmora::ui
