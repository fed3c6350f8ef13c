#pragma once

#include <QTableView>
#include <QWidget>
#include <functional>

#include "loop/device_grid_keys.h"
#include "site/detail_view.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QMenu;
class QSpinBox;

namespace velmora::loop {
class LoopFormModel;
}

namespace velmora::workspace {
class Workspace;
}

namespace velmora::ui {

class EditableGridModel;
class LoopDiagram;

// DBGridDevices: the device grid. The new-row keys (Down, and Tab in the sub-type column) are
// offered to the view's handler first, also when Tab leaves an open editor.
class DeviceGrid : public QTableView {
  Q_OBJECT

 public:
  using KeyHandler = std::function<bool(loop::GridKey key)>;  // true: the key is swallowed
  explicit DeviceGrid(QWidget* parent = nullptr) : QTableView(parent) {}
  void SetKeyHandler(KeyHandler handler) { key_handler_ = std::move(handler); }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

 private:
  bool NewRowKey(loop::GridKey key);

  KeyHandler key_handler_;
};

// TFormDeviceDetails: the device view of the loop selected in the site tree. Above, the loop's
// cable, length, alarm indicators and device distribution with its two drawings; below, the grid
// of the loop's device rows. It renders the workspace's loop form model and the Devices view and
// hands every change to the loop settings and the device-row rules. Docked into the main window,
// it cannot be closed.
class TFormDeviceDetails : public QWidget {
  Q_OBJECT

 public:
  // Widths of the six grid columns as shares of the view's width.
  static constexpr double kColumnShares[6] = {0.12, 0.14, 0.17, 0.17, 0.18, 0.18};

  explicit TFormDeviceDetails(workspace::Workspace& workspace, QWidget* parent = nullptr);

  DeviceGrid* Grid() const { return grid_; }
  EditableGridModel* GridModel() const { return model_; }
  QMenu* PopupMenu() const { return popup_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildLoopControls(QWidget* upper);
  void BuildGrid();
  void OnViewChanged(site::DetailView view);
  void ViewShown();
  void SetWidths();
  void RenderLoop();
  void OnLoopChanged();
  void SelectCursorRow(int column);
  void FocusQuantity();
  bool OnNewRowKey(loop::GridKey key);

  workspace::Workspace& workspace_;
  loop::LoopFormModel& form_;
  QComboBox* cable_ = nullptr;
  QComboBox* cable_resistances_ = nullptr;
  QLineEdit* length_ = nullptr;
  QSpinBox* alarm_indicators_ = nullptr;
  QCheckBox* one_location_ = nullptr;
  QCheckBox* spread_ = nullptr;
  LoopDiagram* one_location_diagram_ = nullptr;
  LoopDiagram* spread_diagram_ = nullptr;
  QSpinBox* v1_ = nullptr;
  QLineEdit* last_one_location_ = nullptr;
  QSpinBox* v3_ = nullptr;
  QLineEdit* last_spread_ = nullptr;
  QLineEdit* spacing_upper_ = nullptr;
  QLineEdit* spacing_lower_ = nullptr;
  DeviceGrid* grid_ = nullptr;
  EditableGridModel* model_ = nullptr;
  QMenu* popup_ = nullptr;
  QAction* add_row_ = nullptr;
  QAction* delete_row_ = nullptr;
  bool rendering_ = false;
};

}  // namespace velmora::ui
