#pragma once

#include <QJsonValue>
#include <QTableView>
#include <QWidget>
#include <functional>

#include "site/detail_view.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QSpinBox;
class QSplitter;

namespace velmora::loop {
class LoopFormModel;
}

namespace velmora::action {
class Editor;
}

namespace velmora::ui {

class EditableGridModel;
class LoopDiagram;
class LoopProfileView;

// Positions of the device grid's columns; the grid's handlers address columns by position.
inline constexpr int kLoopColumn = 0;
inline constexpr int kQuantityColumn = 1;
inline constexpr int kTypeColumn = 2;
inline constexpr int kSubTypeColumn = 3;

// The keys that can add a row from the keyboard.
enum class GridKey { kDown, kTab };

// DBGridDevices: the device grid. The new-row keys (Down, and Tab in the sub-type column) are
// offered to the view's handler first, also when Tab leaves an open editor.
class DeviceGrid : public QTableView {
  Q_OBJECT

 public:
  using KeyHandler = std::function<bool(GridKey key)>;  // true: the key is swallowed
  explicit DeviceGrid(QWidget* parent = nullptr) : QTableView(parent) {}
  void SetKeyHandler(KeyHandler handler) { key_handler_ = std::move(handler); }
  using QTableView::edit;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

 private:
  bool NewRowKey(GridKey key);

  KeyHandler key_handler_;
};

// TFormDeviceDetails: the device view of the loop on show. Above, the loop's cable, length, alarm
// indicators and device distribution with its two drawings; below, the grid of the loop's
// device rows; beside both, split off, the loop's status with its advisories and the voltage
// along the loop. It renders the editor's loop form and the loop's rows, and builds the action of
// every change. Docked into the main window, it cannot be closed.
class TFormDeviceDetails : public QWidget {
  Q_OBJECT

 public:
  // Widths of the six grid columns as shares of the width of the loop's controls and grid.
  static constexpr double kColumnShares[6] = {0.12, 0.14, 0.17, 0.17, 0.18, 0.18};

  explicit TFormDeviceDetails(action::Editor& editor, QWidget* parent = nullptr);

  DeviceGrid* Grid() const { return grid_; }
  EditableGridModel* GridModel() const { return model_; }
  QMenu* PopupMenu() const { return popup_; }
  // The part of the view with the loop's controls and grid, beside the profile.
  QWidget* DevicesArea() const { return devices_area_; }
  QSplitter* ProfileSplitter() const { return splitter_; }
  LoopProfileView* ProfileView() const { return profile_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildLoopControls(QWidget* upper);
  void BuildGrid();
  QWidget* BuildProfile();
  void OnViewChanged(site::DetailView view);
  void ViewShown();
  void SetWidths();
  void RenderLoop();
  // The loop's status, its advisories and its voltage profile, worked out from its rows as the
  // check works them out; nothing of it is stored.
  void RenderProfile();
  void OnLoopChanged();
  void SelectRow(int row, int column);
  void FocusQuantity(int row);
  bool OnNewRowKey(GridKey key);
  void WriteCell(int row, const QString& field, const QVariant& value);
  // Runs a loop action on the loop on show; the result's status.
  bool RunLoopAction(const char* name, const char* key, const QJsonValue& value);
  int CurrentRow() const;

  action::Editor& editor_;
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
  QSplitter* splitter_ = nullptr;
  QWidget* devices_area_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* advisory_mark_ = nullptr;
  QLabel* advisories_ = nullptr;
  LoopProfileView* profile_ = nullptr;
  int shown_panel_ = 0;
  int shown_loop_ = 0;
};

}  // namespace velmora::ui
