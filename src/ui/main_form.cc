#include "ui/main_form.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "i18n/messages.h"
#include "i18n/tr.h"
#include "site/run_state.h"
#include "ui/read_only_grid_model.h"
#include "ui/report_actions.h"
#include "workspace/workspace.h"

namespace velmora::ui {

using i18n::Msg;
using i18n::Text;
using i18n::Tr;

TMainForm::TMainForm(workspace::Workspace& workspace, QWidget* parent)
    : QMainWindow(parent), workspace_(workspace) {
  setObjectName("TMainForm");
  setWindowTitle(workspace_.State().Caption());
  BuildMenus();
  ConnectReportActions(this, workspace_);
  BuildLayout();
  statusBar()->setObjectName("StatusBar");
  connect(&workspace_.State(), &site::RunState::CaptionChanged, this, &QWidget::setWindowTitle);
  connect(&workspace_.Tabs(), &site::PanelTabsModel::TabsChanged, this, &TMainForm::SyncTabs);
  connect(&workspace_.Tabs(), &site::PanelTabsModel::ActiveChanged, this,
          &TMainForm::SyncActiveTab);
  connect(&workspace_.Views(), &site::DetailViewModel::Changed, this, &TMainForm::ShowDetail);
  connect(&workspace_, &workspace::Workspace::SiteReplaced, this, [this] {
    panel_grid_model_->Reload();
    currents_model_->Reload();
  });
}

TMainForm::~TMainForm() = default;

void TMainForm::BuildMenus() {
  QMenu* file = menuBar()->addMenu(Tr(N_("File")));
  file->setObjectName("MenuFile");
  QAction* new_site = file->addAction(Tr(N_("New Site")));
  new_site->setObjectName("NewSite");
  new_site->setShortcut(QKeySequence::New);
  connect(new_site, &QAction::triggered, this, [this] { workspace_.NewSite(); });
  QAction* open_site = file->addAction(Tr(N_("Open Site")));
  open_site->setObjectName("OpenSite");
  open_site->setShortcut(QKeySequence::Open);
  connect(open_site, &QAction::triggered, this, [this] { workspace_.OpenSite(); });
  file->addSeparator();
  QAction* save_site = file->addAction(Tr(N_("Save Site")));
  save_site->setObjectName("SaveSite");
  save_site->setShortcut(QKeySequence::Save);
  connect(save_site, &QAction::triggered, this, [this] { workspace_.SaveSite(); });
  QAction* save_as = file->addAction(Tr(N_("Save As...")));
  save_as->setObjectName("SaveAs");
  save_as->setShortcut(QKeySequence::SaveAs);
  connect(save_as, &QAction::triggered, this, [this] { workspace_.SaveSiteAs(); });
  file->addSeparator();
  QMenu* preview = file->addMenu(Tr(N_("Print Preview")));
  preview->setObjectName("MenuPrintPreview");
  preview->addAction(Tr(N_("Site")))->setObjectName("PrintPreviewSite");
  preview->addAction(Text(Msg::kPartsList))->setObjectName("PrintPreviewParts");
  QMenu* print = file->addMenu(Tr(N_("Print")));
  print->setObjectName("MenuPrint");
  print->addAction(Tr(N_("Site")))->setObjectName("PrintSite");
  print->addAction(Text(Msg::kPartsList))->setObjectName("PrintParts");
  file->addSeparator();
  QAction* exit = file->addAction(Tr(N_("Exit")));
  exit->setObjectName("Exit");
  exit->setShortcut(QKeySequence::Quit);
  connect(exit, &QAction::triggered, this, &QWidget::close);

  QMenu* settings = menuBar()->addMenu(Tr(N_("Settings")));
  settings->setObjectName("MenuSettings");
  settings->addAction(Tr(N_("Options")))->setObjectName("Options");
  QMenu* help = menuBar()->addMenu(Tr(N_("Help")));
  help->setObjectName("MenuHelp");
  help->addAction(Tr(N_("About")))->setObjectName("About");
}

QWidget* TMainForm::MakePanelTabPage() {
  auto* scroll = new QScrollArea;
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(1);
  auto* header = new QLabel(" " + Text(Msg::kTotalCurrents));
  header->setObjectName("PanelHeader");
  header->setFixedHeight(25);
  layout->addWidget(header);
  auto* grid = new QTableView;
  grid->setObjectName("DBGridCurrents");
  grid->setModel(currents_model_);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->verticalHeader()->hide();
  grid->setMinimumHeight(170);
  layout->addWidget(grid, 1);
  currents_grids_.push_back(grid);
  scroll->setWidget(page);
  return scroll;
}

void TMainForm::BuildLayout() {
  horizontal_ = new QSplitter(Qt::Horizontal);
  horizontal_->setObjectName("SplitterLeft");
  left_area_ = new QWidget;
  left_area_->setObjectName("PanelLeft");
  left_area_->setLayout(new QVBoxLayout);
  left_area_->layout()->setContentsMargins(0, 0, 0, 0);
  horizontal_->addWidget(left_area_);

  vertical_ = new QSplitter(Qt::Vertical);
  vertical_->setObjectName("SplitterRight");
  detail_area_ = new QStackedWidget;
  detail_area_->setObjectName("PanelDetails");
  detail_area_->addWidget(new QWidget);  // nothing on show
  vertical_->addWidget(detail_area_);

  tabs_ = new QTabWidget;
  tabs_->setObjectName("PageControlPanels");
  tabs_->setTabPosition(QTabWidget::South);
  tabs_->setUsesScrollButtons(false);
  auto* site_page = new QWidget;
  site_page->setObjectName("TabSheetSite");
  auto* site_layout = new QVBoxLayout(site_page);
  site_layout->setContentsMargins(0, 0, 0, 0);
  site_layout->setSpacing(1);
  panels_header_ = new QLabel(Text(Msg::kPanels));
  panels_header_->setObjectName("PanelPanels");
  panels_header_->setFixedHeight(23);
  site_layout->addWidget(panels_header_);
  panel_grid_model_ = new ReadOnlyGridModel(
      &workspace_.Doc().Db(), "Panels",
      {{"Panel Name", Text(Msg::kPanelName), true},
       {"Loop Loads", Text(Msg::kOk), true},
       {"Quiescent Current Total", Text(Msg::kQuiescentCurrentMa), true},
       {"Alarm Current Total", Text(Msg::kAlarmCurrentMa), true},
       {"Battery", Text(Msg::kBatteryCapacityAh), false}},
      this);
  panel_grid_ = new QTableView;
  panel_grid_->setObjectName("DBGridPanels");
  panel_grid_->setModel(panel_grid_model_);
  panel_grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  panel_grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  panel_grid_->verticalHeader()->hide();
  site_layout->addWidget(panel_grid_, 1);
  tabs_->addTab(site_page, Text(Msg::kSite));
  currents_model_ = new ReadOnlyGridModel(
      &workspace_.Doc().Db(), "Currents",
      {{"Description", Text(Msg::kDescription), false},
       {"QuiescentCurrent", Text(Msg::kQuiescentCurrentMa), false},
       {"AlarmCurrent", Text(Msg::kAlarmCurrentMa), false},
       {"Comment", Text(Msg::kComment), true}},
      this);
  connect(tabs_, &QTabWidget::currentChanged, this, &TMainForm::OnTabChanged);
  vertical_->addWidget(tabs_);
  vertical_->setSizes({416, 300});
  horizontal_->addWidget(vertical_);
  horizontal_->setSizes({232, 800});
  horizontal_->setStretchFactor(1, 1);
  setCentralWidget(horizontal_);
}

void TMainForm::SetDetailView(site::DetailView view, QWidget* widget) {
  detail_area_->addWidget(widget);
  detail_views_.emplace_back(view, widget);
  ShowDetail(workspace_.Views().Current());
}

void TMainForm::SetTreeWindow(QWidget* widget) { left_area_->layout()->addWidget(widget); }

void TMainForm::ShowDetail(site::DetailView view) {
  for (const auto& [kind, widget] : detail_views_) {
    if (kind == view) {
      detail_area_->setCurrentWidget(widget);
      return;
    }
  }
  detail_area_->setCurrentIndex(0);
}

void TMainForm::SyncTabs() {
  syncing_tabs_ = true;
  const site::PanelTabsModel& model = workspace_.Tabs();
  while (tabs_->count() > model.Count()) {
    QWidget* page = tabs_->widget(tabs_->count() - 1);
    tabs_->removeTab(tabs_->count() - 1);
    currents_grids_.erase(std::remove_if(currents_grids_.begin(), currents_grids_.end(),
                                         [page](QTableView* g) { return page->isAncestorOf(g); }),
                          currents_grids_.end());
    page->deleteLater();
  }
  while (tabs_->count() < model.Count()) tabs_->addTab(MakePanelTabPage(), QString());
  for (int i = 0; i < model.Count(); ++i) tabs_->setTabText(i, model.Caption(i));
  tabs_->setCurrentIndex(model.Active());
  syncing_tabs_ = false;
  SetGridWidths();
}

void TMainForm::SyncActiveTab(int index) {
  syncing_tabs_ = true;
  tabs_->setCurrentIndex(index);
  syncing_tabs_ = false;
  panel_grid_model_->Reload();
  currents_model_->Reload();
}

void TMainForm::OnTabChanged(int index) {
  if (syncing_tabs_ || index < 0) return;
  if (index == 0) workspace_.ShowSiteView();
  panel_grid_model_->Reload();
  currents_model_->Reload();
}

void TMainForm::SetGridWidths() {
  const int width = panels_header_->width();
  static const double kPanelShares[] = {0.20, 0.24, 0.14, 0.14, 0.24};
  for (int c = 0; c < 5; ++c) panel_grid_->setColumnWidth(c, int(std::lround(width * kPanelShares[c])));
  static const double kCurrentShares[] = {0.26, 0.20, 0.20, 0.30};
  for (QTableView* grid : currents_grids_) {
    for (int c = 0; c < 4; ++c) grid->setColumnWidth(c, int(std::lround(width * kCurrentShares[c])));
  }
}

void TMainForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  SetGridWidths();
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (started_) return;
  started_ = true;
  workspace_.StartSession();
  panel_grid_model_->Reload();
  SetGridWidths();
  emit SessionStarted();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  workspace_.ExitPrompt();
  event->accept();
}

}  // namespace velmora::ui
