#include "ui/report_actions.h"

#include <QAction>
#include <QComboBox>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QWidget>
#include <functional>
#include <utility>

#include "i18n/settings.h"
#include "i18n/tr.h"
#include "reports/report_layout.h"
#include "reports/report_pages.h"
#include "reports/report_run.h"
#include "site/store_error.h"
#include "workspace/workspace.h"

namespace velmora::ui {

using reports::ReportKind;

ReportActions::ReportActions(QWidget* window, workspace::Workspace& workspace)
    : QObject(window),
      window_(window),
      workspace_(workspace),
      store_(std::make_unique<reports::PrintStore>(workspace.Folder())) {
  const std::pair<const char*, std::function<void()>> entries[] = {
      {"PrintPreviewSite", [this] { Preview(ReportKind::kSite); }},
      {"PrintPreviewParts", [this] { Preview(ReportKind::kParts); }},
      {"PrintSite", [this] { Print(ReportKind::kSite); }},
      {"PrintParts", [this] { Print(ReportKind::kParts); }},
  };
  for (const auto& [name, run] : entries) {
    if (QAction* action = window->findChild<QAction*>(name))
      connect(action, &QAction::triggered, this, run);
  }
}

ReportActions::~ReportActions() = default;

void ReportActions::Preview(ReportKind kind) {
  try {
    reports::PrepareReport(workspace_, *store_, kind, i18n::Settings::FromEnvironment());
  } catch (const site::StoreError& e) {
    workspace_.Prompter().Warn(e.Message());
    return;
  }
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(reports::ReportName(kind));
  reports::SetUpPage(&printer);
  printer.setFullPage(true);
  QPrintPreviewDialog dialog(&printer, window_);
  dialog.setObjectName("ReportPreview");
  dialog.setWindowTitle(i18n::Tr(N_("Report Preview")));
  connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
          [this, kind](QPrinter* target) { reports::RenderReport(store_->Db(), kind, target); });
  // The pages at their real size, as on paper, rather than fitted to the window: chosen in the
  // dialog's own zoom box, so that its fit buttons are released as well.
  if (auto* zoom = dialog.findChild<QComboBox*>()) {
    const int real_size = zoom->findText("100", Qt::MatchStartsWith);
    if (real_size >= 0) zoom->setCurrentIndex(real_size);
  }
  if (auto* pages = dialog.findChild<QPrintPreviewWidget*>()) {
    pages->setZoomMode(QPrintPreviewWidget::CustomZoom);
    pages->setZoomFactor(1.0);
  }
  dialog.exec();
}

void ReportActions::Print(ReportKind kind) {
  QPrinter printer(QPrinter::HighResolution);
  reports::SetUpPage(&printer);
  QString error;
  try {
    if (!reports::PrintReport(workspace_, *store_, kind, i18n::Settings::FromEnvironment(),
                              &printer, &error) &&
        !error.isEmpty())
      workspace_.Prompter().Warn(error);
  } catch (const site::StoreError& e) {
    workspace_.Prompter().Warn(e.Message());
  }
}

ReportActions* ConnectReportActions(QWidget* window, workspace::Workspace& workspace) {
  return new ReportActions(window, workspace);
}

}  // namespace velmora::ui
