#pragma once

#include <QMainWindow>
#include <vector>

#include "site/detail_view.h"

class QLabel;
class QSplitter;
class QStackedWidget;
class QTabWidget;
class QTableView;
class QTreeWidget;
class QAction;
class QMenu;

namespace velmora::workspace {
class Workspace;
}

namespace velmora::ui {

class ReadOnlyGridModel;

// TMainForm: the frame of the program. Left, the site tree; upper right, one property view at a
// time; below, the tab strip with the "Site" tab and one tab per panel; the menus; an empty
// status bar. It renders the workspace's form models and forwards the user's commands.
class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  explicit TMainForm(workspace::Workspace& workspace, QWidget* parent = nullptr);
  ~TMainForm() override;

  // The container of the upper right area; a property view is added once and shown by
  // DetailViewModel.
  void SetDetailView(site::DetailView view, QWidget* widget);
  // The left area's content (the site tree window).
  void SetTreeWindow(QWidget* widget);

  QTabWidget* TabStrip() const { return tabs_; }
  QTableView* PanelGrid() const { return panel_grid_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 signals:
  // The main window was shown for the first time and the session has started.
  void SessionStarted();

 private:
  void BuildMenus();
  void BuildLayout();
  void SyncTabs();
  void SyncActiveTab(int index);
  void ShowDetail(site::DetailView view);
  void OnTabChanged(int index);
  void SetGridWidths();
  QWidget* MakePanelTabPage();

  workspace::Workspace& workspace_;
  QSplitter* horizontal_ = nullptr;
  QSplitter* vertical_ = nullptr;
  QWidget* left_area_ = nullptr;
  QStackedWidget* detail_area_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  QLabel* panels_header_ = nullptr;
  QTableView* panel_grid_ = nullptr;
  ReadOnlyGridModel* panel_grid_model_ = nullptr;
  ReadOnlyGridModel* currents_model_ = nullptr;
  std::vector<QTableView*> currents_grids_;
  std::vector<std::pair<site::DetailView, QWidget*>> detail_views_;
  bool started_ = false;
  bool syncing_tabs_ = false;
};

}  // namespace velmora::ui
