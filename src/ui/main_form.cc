#include "ui/main_form.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QUndoStack>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "action/editor.h"
#include "i18n/messages.h"
#include "i18n/tr.h"
#include "site/run_state.h"
#include "ui/about_form.h"
#include "ui/device_details_form.h"
#include "ui/grid_standings.h"
#include "ui/image_list.h"
#include "ui/options_form.h"
#include "ui/output_details_form.h"
#include "ui/panel_details_form.h"
#include "ui/read_only_grid_model.h"
#include "ui/report_actions.h"
#include "ui/site_details_form.h"
#include "ui/start_screen_form.h"
#include "ui/tree_view_form.h"
#include "ui/window_texts.h"

namespace velmora::ui {

using i18n::Msg;
using i18n::Text;
using site::DetailView;

namespace {

constexpr int kLeftAreaWidth = 232;
constexpr int kDetailAreaHeight = 416;
constexpr int kPanelsHeaderHeight = 23;
constexpr int kTotalCurrentsHeaderHeight = 25;
constexpr int kCurrentsGridHeight = 170;
constexpr int kStartScreenDelayMs = 500;
// Below this a share is a column dragged shut by mistake, and it gets its width back.
constexpr double kMinColumnShare = 0.02;

// A kept column share as the window uses it: a share from the file that no column can have
// (NaN, none, wider than the page) gives the column its first width.
double UsableShare(double share, double first) {
  return share >= kMinColumnShare && share <= 1.0 ? share : first;
}

// Column shares of the header strip's width.
constexpr double kPanelShares[] = {0.20, 0.24, 0.14, 0.14, 0.24};
constexpr double kCurrentShares[] = {0.26, 0.20, 0.20, 0.30};

void SetUpReadOnlyGrid(QTableView* grid) {
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->verticalHeader()->hide();
  grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  grid->horizontalHeader()->setStretchLastSection(false);
  grid->setWordWrap(false);
}

QLabel* MakeHeaderStrip(const char* name, WindowText caption, int height) {
  auto* header = new QLabel;
  header->setObjectName(name);
  SetText(header, caption);
  header->setFixedHeight(height);
  header->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
  QFont font = header->font();
  font.setBold(true);
  header->setFont(font);
  return header;
}

}  // namespace

TMainForm::TMainForm(action::Editor& editor, i18n::Settings settings, QWidget* parent)
    : QMainWindow(parent), editor_(editor), settings_(std::move(settings)), memory_(settings_) {
  setObjectName("TMainForm");
  std::copy(std::begin(kPanelShares), std::end(kPanelShares), panel_shares_.begin());
  std::copy(std::begin(kCurrentShares), std::end(kCurrentShares), current_shares_.begin());
  ShowCaption(editor_.Work().State().Caption());
  setWindowIcon(ProgramIcon());
  BuildMenus();
  ConnectReportActions(this, editor_.Work());
  BuildLayout();
  statusBar()->setObjectName("StatusBar");
  CreateWindows();

  connect(&editor_.Work().State(), &site::RunState::CaptionChanged, this, &TMainForm::ShowCaption);
  connect(&editor_.Work().State(), &site::RunState::SavedChanged, this,
          [this](bool saved) { setWindowModified(!saved); });
  connect(&editor_.Tabs(), &site::PanelTabsModel::TabsChanged, this, &TMainForm::SyncTabs);
  connect(&editor_.Tabs(), &site::PanelTabsModel::ActiveChanged, this, &TMainForm::SyncActiveTab);
  connect(&editor_.Views(), &site::DetailViewModel::Changed, this, &TMainForm::ShowDetail);
  connect(&editor_.Work(), &workspace::Workspace::Saved, this, &TMainForm::ShowSaved);
  connect(&editor_.Work(), &workspace::Workspace::Saved, this, &TMainForm::RememberSite);
  connect(&editor_.Work(), &workspace::Workspace::SiteReplaced, this, [this] {
    const QString file = editor_.Work().State().SiteFileName();
    if (!file.isEmpty()) RememberSite(file);
  });
  // Every change of the site ends in one notification; the grids show their tables again then.
  connect(&editor_, &action::Editor::Changed, this, [this](const action::Change& change) {
    if (change.replaced) {
      panels_generation_ = currents_generation_ = 0;
      SetGridWidths();
    }
    RefreshGrids();
  });
  connect(&editor_.History(), &QUndoStack::indexChanged, this, &TMainForm::UpdateHistoryActions);
  connect(&editor_.History(), &QUndoStack::cleanChanged, this, &TMainForm::UpdateHistoryActions);
  SyncTabs();
  UpdateHistoryActions();
  setWindowModified(!editor_.Work().State().SiteSaved());
  recent_sites_ = memory_.RecentSites();
  RefreshRecentSites();
  RestoreWindow();
}

TMainForm::~TMainForm() = default;

void TMainForm::CreateWindows() {
  // In the order of the program: the tree, the property views, the start screen, the about box.
  tree_view_ = new TFormTreeView(editor_, left_area_);
  left_area_->layout()->addWidget(tree_view_);
  site_details_ = new TFormSiteDetails(editor_, detail_area_);
  SetDetailView(DetailView::kSite, site_details_);
  connect(site_details_, &TFormSiteDetails::FocusTreeRequested, tree_view_,
          &TFormTreeView::FocusTree);
  SetDetailView(DetailView::kPanel, new TFormPanelDetails(editor_, detail_area_));
  SetDetailView(DetailView::kDevices, new TFormDeviceDetails(editor_, detail_area_));
  options_ = new TFormOptions(editor_, this);
  SetDetailView(DetailView::kOutputs, new TFormOutputDetails(editor_, detail_area_));
  start_screen_ = new TFormStartScreen(this);
  about_ = new TFormAbout(site::kApplicationTitle, editor_.Work().State(), this);
}

void TMainForm::BuildMenus() {
  QMenu* file = AddMenu(menuBar(), N_("File"));
  file->setObjectName("MenuFile");
  QAction* new_site = AddAction(file, N_("New Site"));
  new_site->setObjectName("NewSite");
  new_site->setShortcut(QKeySequence::New);
  connect(new_site, &QAction::triggered, this,
          [this] { editor_.Perform(action::Action::Make("new-site")); });
  QAction* open_site = AddAction(file, N_("Open Site"));
  open_site->setObjectName("OpenSite");
  open_site->setShortcut(QKeySequence::Open);
  connect(open_site, &QAction::triggered, this, [this] { editor_.Work().OpenSite(); });
  file->addSeparator();
  QAction* save_site = AddAction(file, N_("Save Site"));
  save_site->setObjectName("SaveSite");
  save_site->setShortcut(QKeySequence::Save);
  connect(save_site, &QAction::triggered, this, [this] { editor_.Save(); });
  QAction* save_as = AddAction(file, N_("Save As..."));
  save_as->setObjectName("SaveAs");
  // Spelled out: not every platform's standard keys have one for Save As.
  save_as->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  connect(save_as, &QAction::triggered, this, [this] { editor_.SaveAs(); });
  file->addSeparator();
  QMenu* preview = AddMenu(file, N_("Print Preview"));
  preview->setObjectName("MenuPrintPreview");
  AddAction(preview, Msg::kSite)->setObjectName("PrintPreviewSite");
  AddAction(preview, Msg::kPartsList)->setObjectName("PrintPreviewParts");
  QMenu* print = AddMenu(file, N_("Print"));
  print->setObjectName("MenuPrint");
  QAction* print_site = AddAction(print, Msg::kSite);
  print_site->setObjectName("PrintSite");
  print_site->setShortcut(QKeySequence::Print);
  AddAction(print, Msg::kPartsList)->setObjectName("PrintParts");
  file->addSeparator();
  recent_menu_ = AddMenu(file, N_("Recent Sites"));
  recent_menu_->setObjectName("MenuRecentSites");
  // Sites that are no longer there leave the list before it is shown.
  connect(file, &QMenu::aboutToShow, this, &TMainForm::RefreshRecentSites);
  file->addSeparator();
  QAction* exit = AddAction(file, N_("Exit"));
  exit->setObjectName("Exit");
  exit->setShortcut(QKeySequence::Quit);
  connect(exit, &QAction::triggered, this, &QWidget::close);

  QMenu* edit = AddMenu(menuBar(), N_("Edit"));
  edit->setObjectName("MenuEdit");
  undo_ = AddAction(edit, N_("Undo"));
  undo_->setObjectName("Undo");
  undo_->setShortcut(QKeySequence::Undo);
  connect(undo_, &QAction::triggered, this, [this] {
    const action::Result result = editor_.Undo();
    if (!result.messages.isEmpty()) editor_.Work().Prompter().Warn(result.messages.join("\n\n"));
  });
  redo_ = AddAction(edit, N_("Redo"));
  redo_->setObjectName("Redo");
  redo_->setShortcut(QKeySequence::Redo);
  connect(redo_, &QAction::triggered, this, [this] {
    const action::Result result = editor_.Redo();
    if (!result.messages.isEmpty()) editor_.Work().Prompter().Warn(result.messages.join("\n\n"));
  });

  QMenu* settings = AddMenu(menuBar(), N_("Settings"));
  settings->setObjectName("MenuSettings");
  QAction* options = AddAction(settings, N_("Options"));
  options->setObjectName("Options");
  connect(options, &QAction::triggered, this, &TMainForm::ShowOptions);
  QMenu* help = AddMenu(menuBar(), N_("Help"));
  help->setObjectName("MenuHelp");
  QAction* guide = AddAction(help, N_("User Guide"));
  guide->setObjectName("UserGuide");
  guide->setShortcut(QKeySequence(Qt::Key_F1));
  connect(guide, &QAction::triggered, this, &TMainForm::ShowUserGuide);
  help->addSeparator();
  QAction* about = AddAction(help, N_("About"));
  about->setObjectName("About");
  connect(about, &QAction::triggered, this, &TMainForm::ShowAbout);
}

QWidget* TMainForm::MakePanelTabPage() {
  // Every panel's tab holds the one page of current lines while it is on show: a page with its
  // own grid per tab would make showing a panel and every edit cost as much as the site is big
  // (each page repainted, each grid told of every new line).
  auto* holder = new QWidget;
  auto* layout = new QVBoxLayout(holder);
  layout->setContentsMargins(0, 0, 0, 0);
  return holder;
}

void TMainForm::BuildCurrentsPage() {
  currents_page_ = new QScrollArea;
  currents_page_->setObjectName("ScrollCurrents");
  currents_page_->setFrameShape(QFrame::NoFrame);
  currents_page_->setWidgetResizable(true);
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(1);
  QLabel* header =
      MakeHeaderStrip("PanelTotalCurrents", Msg::kTotalCurrents, kTotalCurrentsHeaderHeight);
  header->setIndent(4);  // the caption stands a blank's width off the edge
  layout->addWidget(header);
  currents_grid_ = new QTableView;
  currents_grid_->setObjectName("DBGridCurrents");
  currents_grid_->setModel(currents_model_);
  SetUpReadOnlyGrid(currents_grid_);
  connect(currents_grid_->horizontalHeader(), &QHeaderView::sectionResized, this,
          [this](int column, int, int width) { KeepColumnShare(currents_grid_, column, width); });
  currents_grid_->setMinimumHeight(kCurrentsGridHeight);
  layout->addWidget(currents_grid_, 1);
  currents_page_->setWidget(page);
  currents_page_->hide();
}

void TMainForm::PlaceCurrentsPage() {
  const int index = tabs_->currentIndex();
  if (index < 1) return;
  QWidget* holder = tabs_->widget(index);
  if (currents_page_->parentWidget() != holder) holder->layout()->addWidget(currents_page_);
  currents_page_->show();
}

void TMainForm::BuildLayout() {
  horizontal_ = new QSplitter(Qt::Horizontal);
  horizontal_->setObjectName("SplitterLeft");
  horizontal_->setChildrenCollapsible(false);
  left_area_ = new QWidget;
  left_area_->setObjectName("PanelLeft");
  left_area_->setLayout(new QVBoxLayout);
  left_area_->layout()->setContentsMargins(0, 0, 0, 0);
  left_area_->setMinimumWidth(kLeftAreaMinWidth);
  horizontal_->addWidget(left_area_);

  vertical_ = new QSplitter(Qt::Vertical);
  vertical_->setObjectName("SplitterRight");
  vertical_->setChildrenCollapsible(false);
  detail_area_ = new QStackedWidget;
  detail_area_->setObjectName("PanelDetails");
  detail_area_->addWidget(new QWidget);  // nothing on show
  // A property view narrower or lower than its fields scrolls rather than widening the window
  // past a small screen.
  auto* detail_scroll = new QScrollArea;
  detail_scroll->setObjectName("ScrollDetails");
  detail_scroll->setFrameShape(QFrame::NoFrame);
  detail_scroll->setWidgetResizable(true);
  detail_scroll->setWidget(detail_area_);
  vertical_->addWidget(detail_scroll);

  tabs_ = new QTabWidget;
  tabs_->setObjectName("PageControlPanels");
  tabs_->setTabPosition(QTabWidget::South);
  // One row of tabs that scrolls: without the scroll buttons the bar is as wide as all its tabs
  // together, and the window with it. The tree is the main way to a panel of a big site.
  tabs_->setUsesScrollButtons(true);
  tabs_->setElideMode(Qt::ElideNone);
  tabs_->setIconSize(QSize(ImageList::kSize, ImageList::kSize));
  auto* site_page = new QWidget;
  site_page->setObjectName("TabSheetSite");
  auto* site_layout = new QVBoxLayout(site_page);
  site_layout->setContentsMargins(0, 0, 0, 0);
  site_layout->setSpacing(1);
  panels_header_ = MakeHeaderStrip("PanelPanels", Msg::kPanels, kPanelsHeaderHeight);
  panels_header_->setIndent(4);
  site_layout->addWidget(panels_header_);
  panel_grid_model_ =
      new ReadOnlyGridModel(&editor_.Work().Doc().Db(), "Panels",
                            {{"Panel Name", Text(Msg::kPanelName), true},
                             {"Loop Loads", Text(Msg::kOk), true},
                             {"Quiescent Current Total", Text(Msg::kQuiescentCurrentMa), true},
                             {"Alarm Current Total", Text(Msg::kAlarmCurrentMa), true},
                             {"Battery", Text(Msg::kBatteryCapacityAh), false}},
                            this);
  panel_grid_model_->SetStandings(PanelStandings(editor_), 1, PanelHint(editor_));
  panel_grid_ = new QTableView;
  panel_grid_->setObjectName("DBGridPanels");
  panel_grid_->setModel(panel_grid_model_);
  SetUpReadOnlyGrid(panel_grid_);
  connect(panel_grid_->horizontalHeader(), &QHeaderView::sectionResized, this,
          [this](int column, int, int width) { KeepColumnShare(panel_grid_, column, width); });
  site_layout->addWidget(panel_grid_, 1);
  AddTab(tabs_, site_page, Msg::kSite);
  currents_model_ =
      new ReadOnlyGridModel(&editor_.Work().Doc().Db(), "Currents",
                            {{"Description", Text(Msg::kDescription), false},
                             {"QuiescentCurrent", Text(Msg::kQuiescentCurrentMa), false, true},
                             {"AlarmCurrent", Text(Msg::kAlarmCurrentMa), false, true},
                             {"Comment", Text(Msg::kComment), true}},
                            this);
  currents_model_->SetStandings(CurrentLineStandings(editor_), 3, CurrentLineHint(editor_));
  BuildCurrentsPage();
  connect(tabs_, &QTabWidget::currentChanged, this, &TMainForm::OnTabChanged);
  vertical_->addWidget(tabs_);
  // The property views grow with the window more than the current lines do: the device grid
  // is where a designer works.
  vertical_->setStretchFactor(0, 2);
  vertical_->setStretchFactor(1, 1);
  vertical_->setSizes({kDetailAreaHeight, 300});
  horizontal_->addWidget(vertical_);
  horizontal_->setStretchFactor(1, 1);
  horizontal_->setSizes({kLeftAreaWidth, 800});
  setCentralWidget(horizontal_);

  start_screen_timer_ = new QTimer(this);
  start_screen_timer_->setObjectName("TimerStartScreen");
  start_screen_timer_->setSingleShot(true);
  start_screen_timer_->setInterval(kStartScreenDelayMs);
  connect(start_screen_timer_, &QTimer::timeout, this, &TMainForm::ShowStartScreen);
}

void TMainForm::SetDetailView(DetailView view, QWidget* widget) {
  if (QWidget* old = detail_views_.value(int(view)); old != nullptr && old != widget) {
    detail_area_->removeWidget(old);
    old->deleteLater();
  }
  detail_area_->addWidget(widget);
  detail_views_.insert(int(view), widget);
  // Docked for good: a property view never closes by itself.
  widget->installEventFilter(this);
  ShowDetail(editor_.Views().Current());
}

QTableView* TMainForm::CurrentsGrid(int index) const {
  if (index < 1 || index >= tabs_->count()) return nullptr;
  return currents_grid_;
}

void TMainForm::ShowDetail(DetailView view) {
  QWidget* widget = detail_views_.value(int(view));
  if (widget != nullptr) {
    detail_area_->setCurrentWidget(widget);
  } else {
    detail_area_->setCurrentIndex(0);
  }
  if (view == DetailView::kSite) SetGridWidths();
}

void TMainForm::SyncTabs() {
  syncing_tabs_ = true;
  const site::PanelTabsModel& model = editor_.Tabs();
  // A visible tab bar lays every tab out again after each tab added, renamed or given an icon;
  // a site of hundreds of panels is laid out once, when the bar is shown again.
  QTabBar* bar = tabs_->tabBar();
  const bool many = std::abs(tabs_->count() - model.Count()) > 1 && bar->isVisible();
  if (many) bar->hide();
  while (tabs_->count() > model.Count()) {
    QWidget* page = tabs_->widget(tabs_->count() - 1);
    tabs_->removeTab(tabs_->count() - 1);
    if (page->isAncestorOf(currents_page_)) {
      currents_page_->hide();
      currents_page_->setParent(this);
    }
    page->deleteLater();
  }
  while (tabs_->count() < model.Count()) tabs_->addTab(MakePanelTabPage(), QString());
  for (int i = 0; i < model.Count(); ++i) {
    if (tabs_->tabText(i) != model.Caption(i)) tabs_->setTabText(i, model.Caption(i));
    const int image = model.At(i).image;
    if (bar->tabData(i) != QVariant(image)) {
      tabs_->setTabIcon(i, ImageList::Icon(image));
      bar->setTabData(i, image);
    }
  }
  if (many) bar->show();
  tabs_->setCurrentIndex(model.Active());
  PlaceCurrentsPage();
  syncing_tabs_ = false;
  SetGridWidths();
}

void TMainForm::SyncActiveTab(int index) {
  syncing_tabs_ = true;
  tabs_->setCurrentIndex(index);
  syncing_tabs_ = false;
}

void TMainForm::OnTabChanged(int index) {
  PlaceCurrentsPage();
  if (syncing_tabs_ || index < 0) return;
  // The site tab shows the site, a panel's tab the panel.
  const action::Focus focus =
      index == 0 ? action::Focus{} : action::Focus{DetailView::kPanel, index, 0};
  const action::Result result = editor_.Show(focus);
  if (!result.messages.isEmpty()) editor_.Work().Prompter().Warn(result.messages.join("\n\n"));
}

void TMainForm::UpdateHistoryActions() {
  QUndoStack& history = editor_.History();
  undo_->setEnabled(history.canUndo());
  redo_->setEnabled(history.canRedo());
  undo_->setText(history.canUndo() ? i18n::Tr(N_("Undo %1")).arg(history.undoText())
                                   : i18n::Tr(N_("Undo")));
  redo_->setText(history.canRedo() ? i18n::Tr(N_("Redo %1")).arg(history.redoText())
                                   : i18n::Tr(N_("Redo")));
}

void TMainForm::SetGridWidths() {
  // Every page of the strip is as wide as the "Site" tab's header strip; the page on show has
  // the current width even while the site page is hidden.
  QWidget* page = tabs_->currentWidget();
  const int width = page != nullptr ? page->width() : panels_header_->width();
  setting_widths_ = true;
  for (int c = 0; c < int(panel_shares_.size()); ++c)
    panel_grid_->setColumnWidth(c, int(std::lround(width * panel_shares_[c])));
  for (int c = 0; c < int(current_shares_.size()); ++c)
    currents_grid_->setColumnWidth(c, int(std::lround(width * current_shares_[c])));
  setting_widths_ = false;
}

void TMainForm::KeepColumnShare(QTableView* grid, int column, int width) {
  if (setting_widths_ || column < 0) return;
  QWidget* page = tabs_->currentWidget();
  const int page_width = page != nullptr ? page->width() : 0;
  if (page_width <= 0) return;
  const double share = std::clamp(double(width) / page_width, kMinColumnShare, 1.0);
  if (grid == panel_grid_) {
    if (column < int(panel_shares_.size())) panel_shares_[column] = share;
  } else if (column < int(current_shares_.size())) {
    current_shares_[column] = share;
  }
}

void TMainForm::RefreshGrids() {
  site::Database& db = editor_.Work().Doc().Db();
  if (!db.IsOpen()) return;
  const quint64 panels = db.Generation("Panels");
  if (panels != panels_generation_) {
    panels_generation_ = panels;
    panel_grid_model_->Reload();
  } else {
    // A panel can come near a limit or leave it without a change of its row.
    panel_grid_model_->RefreshStandings();
  }
  const quint64 currents = db.Generation("Currents");
  if (currents != currents_generation_) {
    currents_generation_ = currents;
    currents_model_->Reload();
  }
}

void TMainForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  SetGridWidths();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Close:
      // The tree window and the property views refuse to close.
      if (watched != this && std::find(detail_views_.cbegin(), detail_views_.cend(), watched) !=
                                 detail_views_.cend()) {
        event->ignore();
        return true;
      }
      break;
    case QEvent::Resize:
      // The page on show is as wide as the header strip; its new width is already set here.
      if (watched != nullptr && watched == tabs_->currentWidget()) SetGridWidths();
      break;
    default:
      break;
  }
  return QMainWindow::eventFilter(watched, event);
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (started_) return;
  started_ = true;
  // The upper area starts 416 pixels high, or as high as the site view's fields need with the
  // fonts of this desktop, or seven tenths of the right side of a tall window, so that the device
  // grid shows ten rows and more below the loop's settings.
  const int detail_height =
      std::max({kDetailAreaHeight, site_details_->ContentHeight(), vertical_->height() * 7 / 10});
  vertical_->setSizes({detail_height, std::max(1, vertical_->height() - detail_height)});
  const QByteArray splitters[] = {memory_.Bytes("SplitterLeft"), memory_.Bytes("SplitterRight")};
  if (!splitters[0].isEmpty()) horizontal_->restoreState(splitters[0]);
  if (!splitters[1].isEmpty()) vertical_->restoreState(splitters[1]);
  editor_.Work().StartSession();
  if (!start_file_.isEmpty()) editor_.Work().OpenSiteFile(start_file_);
  start_screen_timer_->start();
  const QString install = settings_.Install();
  report_project_file_ = install + "/print.rav";
  RefreshGrids();
  SetGridWidths();
  emit SessionStarted();
}

void TMainForm::ShowStartScreen() {
  start_screen_timer_->stop();
  emit StartScreenShown();
  if (start_screen_modal_) {
    start_screen_->exec();
  } else {
    start_screen_->show();
  }
}

void TMainForm::ShowAbout() { about_->exec(); }

void TMainForm::ShowOptions() {
  if (options_ == nullptr) return;
  options_->show();
  options_->raise();
  options_->activateWindow();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (editor_.Work().ExitPrompt()) {
    KeepWindow();
    event->accept();
  } else {
    event->ignore();
  }
}

void TMainForm::ShowSaved(const QString& file) {
  statusBar()->showMessage(i18n::Tr(N_("Saved %1")).arg(QDir::toNativeSeparators(file)),
                           kSavedMessageMs);
}

void TMainForm::ShowCaption(const QString& caption) {
  // Qt shows its mark of unsaved changes where the placeholder stands (setWindowModified).
  setWindowTitle(caption + QStringLiteral("[*]"));
}

QString TMainForm::UserGuideFile() const {
  return editor_.Work().Folder().Path(QStringLiteral("doc/user-guide.html"));
}

void TMainForm::ShowUserGuide() {
  const QString file = UserGuideFile();
  if (!QFileInfo(file).isFile()) {
    editor_.Work().Prompter().Warn(i18n::Tr(N_("The user guide is not installed: %1 is missing."))
                                       .arg(QDir::toNativeSeparators(file)));
    return;
  }
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(file))) {
    editor_.Work().Prompter().Warn(
        i18n::Tr(N_("The user guide %1 cannot be shown: no program to show it was found."))
            .arg(QDir::toNativeSeparators(file)));
  }
}

void TMainForm::RememberSite(const QString& file) {
  recent_sites_ = WindowMemory::WithRecent(recent_sites_, QFileInfo(file).absoluteFilePath());
  memory_.SetRecentSites(recent_sites_);
  RefreshRecentSites();
}

void TMainForm::RefreshRecentSites() {
  QStringList gone;
  for (const QString& file : recent_sites_) {
    if (!QFileInfo(file).isFile()) gone << file;
  }
  if (!gone.isEmpty()) {
    for (const QString& file : gone) recent_sites_.removeAll(file);
    memory_.SetRecentSites(recent_sites_);
    QStringList names;
    for (const QString& file : gone) names << QDir::toNativeSeparators(file);
    statusBar()->showMessage(
        i18n::Tr(N_("No longer there, taken off the recent sites: %1")).arg(names.join(", ")),
        kSavedMessageMs);
  }
  recent_menu_->clear();
  for (int i = 0; i < recent_sites_.size(); ++i) {
    const QString file = recent_sites_[i];
    // Not a window text: a number and a file name, the same in every language.
    QString shown = QDir::toNativeSeparators(file);
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));  // not a mnemonic
    QAction* entry = recent_menu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
    entry->setObjectName(QStringLiteral("RecentSite%1").arg(i + 1));
    connect(entry, &QAction::triggered, this, [this, file] { OpenRecentSite(file); });
  }
  recent_menu_->setEnabled(!recent_sites_.isEmpty());
}

void TMainForm::OpenRecentSite(const QString& file) {
  if (!editor_.Work().OfferToSave()) return;
  if (!QFileInfo(file).isFile()) {
    recent_sites_.removeAll(file);
    memory_.SetRecentSites(recent_sites_);
    RefreshRecentSites();
    editor_.Work().Prompter().Warn(
        i18n::Tr(N_("The site file %1 is no longer there; it was taken off the recent sites."))
            .arg(QDir::toNativeSeparators(file)));
    return;
  }
  editor_.Work().OpenSiteFile(file);
}

void TMainForm::RestoreWindow() {
  const QByteArray geometry = memory_.Bytes("Geometry");
  if (!geometry.isEmpty()) restoreGeometry(geometry);
  const QList<double> panel = memory_.Numbers("PanelColumns");
  if (panel.size() == int(panel_shares_.size())) {
    for (int c = 0; c < panel.size(); ++c)
      panel_shares_[c] = UsableShare(panel[c], kPanelShares[c]);
  }
  const QList<double> currents = memory_.Numbers("CurrentColumns");
  if (currents.size() == int(current_shares_.size())) {
    for (int c = 0; c < currents.size(); ++c)
      current_shares_[c] = UsableShare(currents[c], kCurrentShares[c]);
  }
}

void TMainForm::KeepWindow() const {
  memory_.SetBytes("Geometry", saveGeometry());
  memory_.SetBytes("SplitterLeft", horizontal_->saveState());
  memory_.SetBytes("SplitterRight", vertical_->saveState());
  memory_.SetNumbers("PanelColumns", QList<double>(panel_shares_.begin(), panel_shares_.end()));
  memory_.SetNumbers("CurrentColumns",
                     QList<double>(current_shares_.begin(), current_shares_.end()));
}

}  // namespace velmora::ui
