#pragma once

#include <QRect>
#include <QWidget>
#include <vector>

#include "panel/panel_form_model.h"

class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;

namespace velmora::action {
class Editor;
}

namespace velmora::ui {

class ChoiceButtonGroup;
class CloseUpComboBox;

// TFormPanelDetails: the panel properties view of the panel on the active tab: its name, type
// (by name or order code), housing (by name or variant code), loop protocol, the battery it
// needs, and the power-supply and option-board buttons. It renders the editor's panel form and
// builds the action of every close-up, click and name edit; it keeps nothing of its own.
// The name boxes, edits and frames are anchored left, top and right (the code boxes keep their
// width beside them); the buttons widen with the view.
// Docked into the main window, it cannot be closed.
class TFormPanelDetails : public QWidget {
  Q_OBJECT

 public:
  // The client area the positions are laid out for.
  static constexpr int kDesignWidth = 686;
  static constexpr int kDesignHeight = 391;

  explicit TFormPanelDetails(action::Editor& editor, QWidget* parent = nullptr);

  // FormCanResize: the width of the buttons of both groups for a view width.
  static int ButtonWidthFor(int view_width);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  struct Anchored {
    QWidget* widget;
    QRect design;
  };

  void BuildControls();
  CloseUpComboBox* AddBox(const char* name, const QRect& geometry, bool opens_when_typed_into);
  void Place(QWidget* widget, const QRect& geometry);
  void Render();
  void RenderName();
  void OnClosedUp(QComboBox* box);
  void FillHiddenLists();

  action::Editor& editor_;
  panel::PanelFormModel& form_;
  std::vector<Anchored> anchored_;
  QLineEdit* name_ = nullptr;
  CloseUpComboBox* type_code_ = nullptr;
  CloseUpComboBox* type_ = nullptr;
  CloseUpComboBox* housing_code_ = nullptr;
  CloseUpComboBox* housing_ = nullptr;
  CloseUpComboBox* protocol_ = nullptr;
  QLineEdit* battery_ = nullptr;
  QGroupBox* power_supply_frame_ = nullptr;
  QGroupBox* options_frame_ = nullptr;
  ChoiceButtonGroup* power_supplies_ = nullptr;
  ChoiceButtonGroup* options_ = nullptr;
  QComboBox* halvo_capacities_ = nullptr;
  QComboBox* halvo_models_ = nullptr;
  QComboBox* mornax_capacities_ = nullptr;
  QComboBox* mornax_models_ = nullptr;
  QListWidget* names_ = nullptr;
};

}  // namespace velmora::ui
