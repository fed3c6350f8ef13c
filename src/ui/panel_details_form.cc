#include "ui/panel_details_form.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

#include "action/editor.h"
#include "catalogue/catalogue.h"
#include "i18n/messages.h"
#include "site/store_error.h"
#include "ui/choice_button_group.h"
#include "ui/close_up_combo_box.h"
#include "ui/window_texts.h"

namespace velmora::ui {
namespace {

// Ah; no operation reads this range, it is kept beside the one the battery sizing uses.
const char* const kMornaxCapacities[] = {"7", "12", "17", "24", "38", "65"};
const char* const kMornaxModels[] = {"VM-0707", "VM-1212", "VM-1217",
                                     "VM-1224", "VM-1238", "VM-1265"};

void RenderBox(QComboBox* combo, const panel::ChoiceBox& box) {
  const QSignalBlocker blocker(combo);
  QStringList shown;
  for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
  if (shown != box.entries) {
    combo->clear();
    combo->addItems(box.entries);
  }
  combo->setCurrentIndex(box.selected);
  combo->setEnabled(box.enabled);
}

}  // namespace

TFormPanelDetails::TFormPanelDetails(action::Editor& editor, QWidget* parent)
    : QWidget(parent), editor_(editor), form_(editor.PanelForm()) {
  setObjectName("TFormPanelDetails");
  SetWindowTitle(this, N_("Panel Properties"));
  resize(kDesignWidth, kDesignHeight);
  BuildControls();
  FillHiddenLists();
  connect(&form_, &panel::PanelFormModel::Changed, this, &TFormPanelDetails::Render);
  Render();
}

int TFormPanelDetails::ButtonWidthFor(int view_width) {
  return std::max(ChoiceButtonGroup::kInitialButtonWidth, (view_width - 42) / 4);
}

void TFormPanelDetails::Place(QWidget* widget, const QRect& geometry) {
  widget->setGeometry(geometry);
  anchored_.push_back({widget, geometry});
}

CloseUpComboBox* TFormPanelDetails::AddBox(const char* name, const QRect& geometry,
                                           bool opens_when_typed_into) {
  auto* box = new CloseUpComboBox(this);
  box->setObjectName(name);
  box->SetOpensWhenTypedInto(opens_when_typed_into);
  box->setMaxVisibleItems(15);
  // A code box keeps its width: it stands left of its name box, which takes the extra room.
  if (opens_when_typed_into) {
    Place(box, geometry);
  } else {
    box->setGeometry(geometry);
  }
  connect(box, &CloseUpComboBox::ClosedUp, this, [this, box] { OnClosedUp(box); });
  return box;
}

void TFormPanelDetails::BuildControls() {
  const auto label = [this](const char* name, WindowText text, const QRect& geometry) {
    auto* l = new QLabel(this);
    l->setObjectName(name);
    SetText(l, text);
    l->setGeometry(geometry);
    return l;
  };
  label("LabelName", N_("Name"), QRect(7, 18, 169, 16))->setAlignment(Qt::AlignCenter);
  name_ = new QLineEdit(this);
  name_->setObjectName("DBEditPanelName");
  Place(name_, QRect(182, 15, 497, 21));
  connect(name_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (form_.Panel() < 1) return;
    editor_.Perform(
        action::Action::Make("set-panel-name", {{"panel", form_.Panel()}, {"name", text}}));
  });

  label("LabelType", N_("Type"), QRect(7, 53, 169, 16));
  type_code_ = AddBox("ComboBoxPanelTypeCode", QRect(182, 50, 145, 21), false);
  type_ = AddBox("ComboBoxPanelType", QRect(338, 50, 342, 21), true);
  label("LabelHousing", N_("Housing"), QRect(7, 91, 169, 16));
  housing_code_ = AddBox("ComboBoxHousingTypeCode", QRect(182, 88, 145, 21), false);
  housing_ = AddBox("ComboBoxHousingType", QRect(338, 88, 341, 21), true);
  label("LabelProtocol", N_("Protocol"), QRect(7, 127, 169, 16));
  protocol_ = AddBox("ComboBoxPanelProtocol", QRect(182, 124, 497, 21), true);

  auto* battery_label =
      label("LabelBattery", i18n::Msg::kBatteryCapacityAh, QRect(7, 161, 169, 16));
  battery_label->setObjectName("LabelBattery");
  battery_ = new QLineEdit(this);
  battery_->setObjectName("EditBattery");
  battery_->setReadOnly(true);
  battery_->setFocusPolicy(Qt::ClickFocus);
  battery_->setStyleSheet("QLineEdit { background-color: #d4d0c8; }");
  Place(battery_, QRect(182, 160, 497, 21));

  const auto frame = [this](const char* frame_name, WindowText title, const char* group_name,
                            const QRect& geometry, ChoiceButtonGroup** group) {
    auto* box = new QGroupBox(this);
    box->setObjectName(frame_name);
    SetTitle(box, title);
    Place(box, geometry);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(4, 2, 4, 4);
    *group = new ChoiceButtonGroup(box);
    (*group)->setObjectName(group_name);
    layout->addWidget(*group);
    return box;
  };
  power_supply_frame_ = frame("GroupBoxPowerSupply", N_("Power Supply"), "ButtonGroupPowerSupply",
                              QRect(7, 186, 673, 87), &power_supplies_);
  options_frame_ = frame("GroupBoxOptions", N_("Options"), "ButtonGroupPanelOptions",
                         QRect(7, 276, 672, 108), &options_);
  connect(power_supplies_, &ChoiceButtonGroup::ButtonClicked, this, [this](int i) {
    editor_.Perform(
        action::Action::Make("set-power-supply", {{"panel", form_.Panel()}, {"supply", i}}));
  });
  connect(options_, &ChoiceButtonGroup::ButtonClicked, this, [this](int i) {
    editor_.Perform(
        action::Action::Make("toggle-option-board", {{"panel", form_.Panel()}, {"board", i}}));
  });

  // Lists the program reads but never shows.
  const auto hidden_box = [this](const char* name) {
    auto* box = new QComboBox(this);
    box->setObjectName(name);
    box->hide();
    return box;
  };
  halvo_capacities_ = hidden_box("ComboBoxBatteryHalvoCapacity");
  halvo_models_ = hidden_box("ComboBoxBatteryHalvoModels");
  mornax_capacities_ = hidden_box("ComboBoxBatteryMornaxCapacity");
  mornax_models_ = hidden_box("ComboBoxBatteryMornaxModels");
  names_ = new QListWidget(this);
  names_->setObjectName("ListBoxNames");
  names_->hide();
}

void TFormPanelDetails::FillHiddenLists() {
  catalogue::Catalogue& catalogue = editor_.Work().Catalogue();
  halvo_capacities_->addItems(catalogue.BatteryCapacities());
  halvo_models_->addItems(catalogue.BatteryModels());
  for (const char* capacity : kMornaxCapacities) mornax_capacities_->addItem(capacity);
  for (const char* model : kMornaxModels) mornax_models_->addItem(model);
}

void TFormPanelDetails::OnClosedUp(QComboBox* box) {
  const QString text = box->currentText();
  if (box->currentIndex() < 0 || text.isEmpty() || form_.Panel() < 1) return;
  const int p = form_.Panel();
  if (box == type_) {
    editor_.Perform(action::Action::Make("set-panel-type", {{"panel", p}, {"type", text}}));
  } else if (box == type_code_) {
    editor_.Perform(action::Action::Make("set-panel-type-code", {{"panel", p}, {"code", text}}));
  } else if (box == housing_) {
    editor_.Perform(action::Action::Make("set-housing", {{"panel", p}, {"housing", text}}));
  } else if (box == housing_code_) {
    editor_.Perform(action::Action::Make("set-housing-code", {{"panel", p}, {"code", text}}));
  } else if (box == protocol_) {
    editor_.Perform(action::Action::Make("set-protocol", {{"panel", p}, {"protocol", text}}));
  }
  // A refused or declined choice shows what the panel holds again.
  Render();
}

void TFormPanelDetails::Render() {
  RenderBox(type_code_, form_.TypeCodeBox());
  RenderBox(type_, form_.TypeBox());
  RenderBox(housing_code_, form_.HousingCodeBox());
  RenderBox(housing_, form_.HousingBox());
  RenderBox(protocol_, form_.ProtocolBox());
  battery_->setText(form_.BatteryText());
  // The variant of the panel, its order code, decides what can be chosen.
  const QString code = form_.HousingCodeBox().SelectedText();
  power_supplies_->Render(form_.PowerSupplyButtons(),
                          ChoiceButtonGroup::UnavailableHint(code, false));
  options_->Render(form_.OptionButtons(), ChoiceButtonGroup::UnavailableHint(code, true));
  RenderName();
}

void TFormPanelDetails::RenderName() {
  if (name_->text() != form_.PanelName()) {
    const QSignalBlocker blocker(name_);
    name_->setText(form_.PanelName());
  }
}

void TFormPanelDetails::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int grow = width() - kDesignWidth;
  for (const Anchored& a : anchored_) {
    a.widget->setGeometry(a.design.x(), a.design.y(), std::max(20, a.design.width() + grow),
                          a.design.height());
  }
  const int button_width = ButtonWidthFor(width());
  power_supplies_->SetButtonWidth(button_width);
  options_->SetButtonWidth(button_width);
}

void TFormPanelDetails::closeEvent(QCloseEvent* event) {
  // Only the main window hides the view.
  event->ignore();
}

}  // namespace velmora::ui
