#pragma once

#include <QHash>
#include <QMainWindow>
#include <QStringList>
#include <array>
#include <vector>

#include "i18n/settings.h"
#include "site/detail_view.h"
#include "ui/window_memory.h"

class QLabel;
class QScrollArea;
class QSplitter;
class QStackedWidget;
class QTabWidget;
class QTableView;
class QAction;
class QMenu;
class QTimer;

namespace velmora::action {
class Editor;
}

namespace velmora::ui {

class ReadOnlyGridModel;
class TFormAbout;
class TFormSiteDetails;
class TFormStartScreen;
class TFormTreeView;

// TMainForm: the frame of the program. Left, the site tree window; upper right, one property
// view at a time; below, the tab strip with the "Site" tab (the panel summary grid) and one tab
// per panel (the current lines); the menus; a status bar. It creates the program's other
// windows, renders the editor's tab strip and view models, forwards the user's commands, and
// shows its grids again whenever the editor says something changed. Its size, the splitters,
// the grids' column widths and the recent sites are kept from one run to the next.
class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  // `settings` gives the installation folder, read when the window is first shown.
  explicit TMainForm(action::Editor& editor,
                     i18n::Settings settings = i18n::Settings::FromEnvironment(),
                     QWidget* parent = nullptr);
  ~TMainForm() override;

  // The property view shown for `view` in the upper right area; replaces the one set before.
  void SetDetailView(site::DetailView view, QWidget* widget);
  QWidget* ViewWidget(site::DetailView view) const { return detail_views_.value(int(view)); }
  // The options dialog that "Settings" > "Options" shows non-modally.
  QWidget* OptionsDialog() const { return options_; }

  // The start screen comes modally 500 ms after the window is first shown. Tests (which cannot
  // wait on a modal loop) have it shown without one.
  void SetStartScreenModal(bool modal) { start_screen_modal_ = modal; }

  TFormTreeView* TreeView() const { return tree_view_; }
  TFormSiteDetails* SiteDetails() const { return site_details_; }
  TFormStartScreen* StartScreen() const { return start_screen_; }
  TFormAbout* About() const { return about_; }
  QTabWidget* TabStrip() const { return tabs_; }
  QTableView* PanelGrid() const { return panel_grid_; }
  // The grid of current lines on the tab of panel `index` (1-based), or nullptr: one grid that
  // every panel's tab holds while it is on show, with the lines of the panel on show.
  QTableView* CurrentsGrid(int index) const;
  action::Editor& Editor() { return editor_; }

  // The report project file: the installation folder and "/print.rav", set when first shown.
  const QString& ReportProjectFile() const { return report_project_file_; }

  // Reloads the grids whose tables were written since they were last read.
  void RefreshGrids();
  // The Edit menu's actions.
  QAction* UndoAction() const { return undo_; }
  QAction* RedoAction() const { return redo_; }

  // A site file to open once the session has started (the file named on the command line).
  void SetStartFile(const QString& file) { start_file_ = file; }
  // How long the status bar says that the site was saved.
  static constexpr int kSavedMessageMs = 5000;
  // The narrowest the tree may become: its tool bar shows every button.
  static constexpr int kLeftAreaMinWidth = 180;

  // The recent sites of the File menu, most recent first.
  QStringList RecentSites() const { return recent_sites_; }
  QMenu* RecentSitesMenu() const { return recent_menu_; }
  // The user guide that Help > User Guide opens.
  QString UserGuideFile() const;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 signals:
  // The main window was shown for the first time and the session has started.
  void SessionStarted();
  void StartScreenShown();

 private:
  void CreateWindows();
  void BuildMenus();
  void BuildLayout();
  void SyncTabs();
  void SyncActiveTab(int index);
  void ShowDetail(site::DetailView view);
  void OnTabChanged(int index);
  void SetGridWidths();
  void ShowStartScreen();
  void UpdateHistoryActions();
  void ShowAbout();
  void ShowOptions();
  void ShowSaved(const QString& file);
  void ShowCaption(const QString& caption);
  QWidget* MakePanelTabPage();
  void BuildCurrentsPage();
  // Puts the page of current lines into the tab on show.
  void PlaceCurrentsPage();
  void ShowUserGuide();
  // The recent sites: `file` put first, the menu drops the ones that are no longer there.
  void RememberSite(const QString& file);
  void RefreshRecentSites();
  void OpenRecentSite(const QString& file);
  // A column width set by the user becomes the column's share of the page's width.
  void KeepColumnShare(QTableView* grid, int column, int width);
  void RestoreWindow();
  void KeepWindow() const;

  action::Editor& editor_;
  i18n::Settings settings_;
  QSplitter* horizontal_ = nullptr;
  QSplitter* vertical_ = nullptr;
  QWidget* left_area_ = nullptr;
  QStackedWidget* detail_area_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  QLabel* panels_header_ = nullptr;
  QTableView* panel_grid_ = nullptr;
  ReadOnlyGridModel* panel_grid_model_ = nullptr;
  ReadOnlyGridModel* currents_model_ = nullptr;
  QScrollArea* currents_page_ = nullptr;
  QTableView* currents_grid_ = nullptr;
  QHash<int, QWidget*> detail_views_;
  TFormTreeView* tree_view_ = nullptr;
  TFormSiteDetails* site_details_ = nullptr;
  TFormStartScreen* start_screen_ = nullptr;
  TFormAbout* about_ = nullptr;
  QWidget* options_ = nullptr;
  QTimer* start_screen_timer_ = nullptr;
  QAction* undo_ = nullptr;
  QAction* redo_ = nullptr;
  QMenu* recent_menu_ = nullptr;
  QStringList recent_sites_;
  WindowMemory memory_;
  std::array<double, 5> panel_shares_;
  std::array<double, 4> current_shares_;
  QString report_project_file_;
  QString start_file_;
  quint64 panels_generation_ = 0;
  quint64 currents_generation_ = 0;
  bool start_screen_modal_ = true;
  bool started_ = false;
  bool syncing_tabs_ = false;
  bool setting_widths_ = false;  // the program, not the user, sets the column widths
};

}  // namespace velmora::ui
