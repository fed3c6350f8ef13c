#pragma once

#include <QWidget>

#include "site/detail_view.h"

class QTableView;

namespace velmora::workspace {
class Workspace;
}

namespace velmora::ui {

class EditableGridModel;

// TFormOutputDetails: the outputs view of the panel whose outputs node is selected in the site
// tree: one grid over the Outputs view with the output's name and maximum and the quiescent and
// alarm currents the user enters. A changed current reaches the output change handling through
// the store's change notification. Docked into the main window, it cannot be closed.
class TFormOutputDetails : public QWidget {
  Q_OBJECT

 public:
  static constexpr double kColumnShare = 0.24;

  explicit TFormOutputDetails(workspace::Workspace& workspace, QWidget* parent = nullptr);

  QTableView* Grid() const { return grid_; }
  EditableGridModel* GridModel() const { return model_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void OnViewChanged(site::DetailView view);
  void SetWidths();

  workspace::Workspace& workspace_;
  QTableView* grid_ = nullptr;
  EditableGridModel* model_ = nullptr;
};

}  // namespace velmora::ui
