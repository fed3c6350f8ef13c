#pragma once

#include <QWidget>

#include "site/detail_view.h"

class QTableView;

namespace velmora::action {
class Editor;
}

namespace velmora::ui {

class EditableGridModel;

// TFormOutputDetails: the outputs view of the panel whose outputs are on show: one grid of the
// panel's outputs with each output's name and maximum and the quiescent and alarm currents the
// user enters; an entered current is an action. Docked into the main window, it cannot be
// closed.
class TFormOutputDetails : public QWidget {
  Q_OBJECT

 public:
  static constexpr double kColumnShare = 0.24;

  explicit TFormOutputDetails(action::Editor& editor, QWidget* parent = nullptr);

  QTableView* Grid() const { return grid_; }
  EditableGridModel* GridModel() const { return model_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void OnViewChanged(site::DetailView view);
  void SetWidths();

  action::Editor& editor_;
  QTableView* grid_ = nullptr;
  EditableGridModel* model_ = nullptr;
};

}  // namespace velmora::ui
