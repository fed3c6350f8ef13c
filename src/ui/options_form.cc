#include "ui/options_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "action/editor.h"
#include "i18n/messages.h"
#include "loop/loop_form_model.h"
#include "ui/choice_button_group.h"
#include "ui/close_up_combo_box.h"
#include "ui/loop_diagram.h"
#include "ui/window_texts.h"
#include "workspace/workspace.h"

namespace velmora::ui {
namespace {

using loop::LoopFormModel;
using workspace::OptionsFormModel;

void RenderBox(QComboBox* combo, const panel::ChoiceBox& box) {
  const QSignalBlocker blocker(combo);
  QStringList shown;
  for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
  if (shown != box.entries) {
    combo->clear();
    combo->addItems(box.entries);
  }
  combo->setCurrentIndex(box.selected);
  if (combo->isEditable() && box.selected < 0) combo->setEditText(QString());
  combo->setEnabled(box.enabled);
}

QLabel* Label(QWidget* parent, const char* name, WindowText text) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  SetText(label, text);
  return label;
}

QGroupBox* Frame(QWidget* page, const char* name, WindowText title) {
  auto* layout = new QVBoxLayout(page);
  auto* frame = new QGroupBox(page);
  frame->setObjectName(name);
  SetTitle(frame, title);
  layout->addWidget(frame);
  return frame;
}

// A "X" cell of a loop drawing: a value the defaults do not set.
void Cross(LoopDiagram* diagram, LoopDiagram::Slot slot) {
  auto* label = new QLabel(diagram);
  SetText(label, N_("X"));
  label->setAlignment(Qt::AlignCenter);
  label->setFrameShape(QFrame::Box);
  label->setGeometry(LoopDiagram::FieldSlot(slot));
}

}  // namespace

TFormOptions::TFormOptions(action::Editor& editor, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      editor_(editor),
      dialog_(editor.Options()),
      form_(dialog_.Form()) {
  setObjectName("TFormOptions");
  SetWindowTitle(this, N_("Options"));
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  pages_ = new QTabWidget(this);
  pages_->setObjectName("PageControlOptions");
  AddTab(pages_, BuildSitePage(), N_("Site defaults"));
  AddTab(pages_, BuildPanelPage(), N_("Panel defaults"));
  AddTab(pages_, BuildLoopPage(), N_("Loop defaults"));
  connect(pages_, &QTabWidget::currentChanged, this, [this](int page) {
    if (!rendering_) dialog_.OnPageChosen(page);
  });
  layout->addWidget(pages_);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  ok_ = new QPushButton(this);
  ok_->setObjectName("ButtonOK");
  SetText(ok_, i18n::Msg::kOk);
  ok_->setDefault(true);
  cancel_ = new QPushButton(this);
  cancel_->setObjectName("ButtonCancel");
  SetText(cancel_, N_("Cancel"));
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  layout->addLayout(buttons);
  connect(ok_, &QPushButton::clicked, this, &TFormOptions::OnOk);
  connect(cancel_, &QPushButton::clicked, this, &TFormOptions::reject);

  connect(&form_, &OptionsFormModel::Changed, this, &TFormOptions::Render);
  resize(640, 460);
  Render();
}

CloseUpComboBox* TFormOptions::AddCloseUpBox(const char* name, QWidget* parent) {
  auto* box = new CloseUpComboBox(parent);
  box->setObjectName(name);
  return box;
}

QWidget* TFormOptions::BuildSitePage() {
  auto* page = new QWidget;
  page->setObjectName("TabSheetSite");
  QGroupBox* frame = Frame(page, "GroupBoxSite", N_("Site defaults"));
  auto* form = new QFormLayout(frame);
  sales_channel_ = AddCloseUpBox("ComboBoxSalesChannel", frame);
  standby_time_ = new QComboBox(frame);
  standby_time_->setObjectName("ComboBoxStandbyTime");
  alarm_time_ = new QComboBox(frame);
  alarm_time_->setObjectName("ComboBoxAlarmTime");
  country_code_ = new QLineEdit(frame);
  country_code_->setObjectName("EditCountryCode");
  form->addRow(Label(frame, "LabelSalesChannel", N_("Sales Channel")), sales_channel_);
  form->addRow(Label(frame, "LabelStandbyTime", N_("System Standby Time")), standby_time_);
  form->addRow(Label(frame, "LabelAlarmTime", N_("System Alarm Time")), alarm_time_);
  form->addRow(Label(frame, "LabelCountryCode", N_("Country Code")), country_code_);
  language_ = new QComboBox(frame);
  language_->setObjectName("ComboBoxLanguage");
  form->addRow(Label(frame, "LabelLanguage", N_("Language")), language_);
  QLabel* note = Label(frame, "LabelLanguageNote",
                       N_("A new language applies from the next start of Velmora."));
  note->setWordWrap(true);
  form->addRow(QString(), note);

  connect(sales_channel_, &CloseUpComboBox::ClosedUp, this,
          [this](int index) { dialog_.OnSalesChannelChosen(index); });
  connect(standby_time_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!rendering_) dialog_.OnStandbyTimeChosen(index);
  });
  connect(alarm_time_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!rendering_) dialog_.OnAlarmTimeChosen(index);
  });
  connect(language_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!rendering_) dialog_.OnLanguageChosen(index);
  });
  connect(country_code_, &QLineEdit::textEdited, this,
          [this](const QString& text) { dialog_.OnCountryCodeEdited(text); });
  return page;
}

QWidget* TFormOptions::BuildPanelPage() {
  auto* page = new QWidget;
  page->setObjectName("TabSheetPanel");
  QGroupBox* frame = Frame(page, "GroupBoxPanel", N_("Panel defaults"));
  auto* grid = new QGridLayout(frame);
  type_code_ = AddCloseUpBox("ComboBoxPanelTypeCode", frame);
  type_code_->setEditable(true);
  type_code_->setInsertPolicy(QComboBox::NoInsert);
  type_ = AddCloseUpBox("ComboBoxPanelType", frame);
  housing_code_ = AddCloseUpBox("ComboBoxHousingTypeCode", frame);
  housing_ = AddCloseUpBox("ComboBoxHousingType", frame);
  protocol_ = new QComboBox(frame);
  protocol_->setObjectName("ComboBoxPanelProtocol");
  grid->addWidget(Label(frame, "LabelType", N_("Type")), 0, 0);
  grid->addWidget(type_code_, 0, 1);
  grid->addWidget(type_, 0, 2);
  grid->addWidget(Label(frame, "LabelHousing", N_("Housing")), 1, 0);
  grid->addWidget(housing_code_, 1, 1);
  grid->addWidget(housing_, 1, 2);
  grid->addWidget(Label(frame, "LabelProtocol", N_("Protocol")), 2, 0);
  grid->addWidget(protocol_, 2, 1, 1, 2);
  grid->setColumnStretch(2, 2);
  grid->setColumnStretch(1, 1);

  const auto buttons = [this, frame](const char* frame_name, WindowText title,
                                     const char* group_name, int rows) {
    auto* box = new QGroupBox(frame);
    box->setObjectName(frame_name);
    SetTitle(box, title);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(4, 2, 4, 4);
    auto* group = new ChoiceButtonGroup(box);
    group->setObjectName(group_name);
    group->setMinimumHeight(rows * ChoiceButtonGroup::kButtonHeight);
    layout->addWidget(group);
    return std::make_pair(box, group);
  };
  auto [supply_frame, supplies] =
      buttons("GroupBoxPowerSupply", N_("Power Supply"), "ButtonGroupPowerSupply", 1);
  auto [options_frame, options] =
      buttons("GroupBoxOptions", N_("Options"), "ButtonGroupPanelOptions", 3);
  power_supplies_ = supplies;
  options_ = options;
  grid->addWidget(supply_frame, 3, 0, 1, 3);
  grid->addWidget(options_frame, 4, 0, 1, 3);
  grid->setRowStretch(5, 1);

  connect(type_, &CloseUpComboBox::ClosedUp, this,
          [this](int index) { dialog_.OnTypeChosen(index); });
  connect(type_code_, &CloseUpComboBox::ClosedUp, this,
          [this] { dialog_.OnTypeCodeChosen(type_code_->currentText()); });
  connect(housing_, &CloseUpComboBox::ClosedUp, this,
          [this](int index) { dialog_.OnHousingChosen(index); });
  connect(housing_code_, &CloseUpComboBox::ClosedUp, this,
          [this](int index) { dialog_.OnHousingCodeChosen(index); });
  // A choice made with the keyboard without opening a list only shows in its box.
  for (auto [box, choice] : {std::pair{type_, &form_.types}, std::pair{housing_, &form_.housings},
                             std::pair{housing_code_, &form_.housing_codes}}) {
    connect(box, &QComboBox::currentIndexChanged, this, [this, choice](int index) {
      if (rendering_) return;
      choice->SelectIndex(index);
      dialog_.OnFieldEdited();
    });
  }
  connect(protocol_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!rendering_) dialog_.OnProtocolChanged(index);
  });
  connect(power_supplies_, &ChoiceButtonGroup::ButtonClicked, this,
          [this](int i) { dialog_.OnPowerSupplyClicked(i); });
  connect(options_, &ChoiceButtonGroup::ButtonClicked, this,
          [this](int i) { dialog_.OnOptionClicked(i); });
  return page;
}

QWidget* TFormOptions::BuildLoopPage() {
  auto* page = new QWidget;
  page->setObjectName("TabSheetLoop");
  QGroupBox* frame = Frame(page, "GroupBoxLoop", N_("Loop defaults"));
  auto* grid = new QGridLayout(frame);
  cable_ = new QComboBox(frame);
  cable_->setObjectName("ComboBoxCableSpec");
  AddItems(cable_, {N_("0.5 mm²"), N_("0.8 mm²"), N_("1.0 mm²"), N_("1.5 mm²"), N_("2.0 mm²"),
                    N_("2.5 mm²")});
  length_ = new QLineEdit(frame);
  length_->setObjectName("EditLoopLength");
  alarm_indicators_ = new QSpinBox(frame);
  alarm_indicators_->setObjectName("SpinEditAlarmIndicators");
  alarm_indicators_->setRange(LoopFormModel::kMinAlarmIndicators,
                              LoopFormModel::kMaxAlarmIndicators);
  alarm_indicators_->setReadOnly(true);
  alarm_indicators_->setButtonSymbols(QAbstractSpinBox::NoButtons);
  grid->addWidget(Label(frame, "LabelCableSpec", N_("Cable Specification")), 0, 0);
  grid->addWidget(cable_, 0, 1, 1, 2);
  grid->addWidget(Label(frame, "LabelLoopLength", N_("Total Loop Length (m)")), 1, 0);
  grid->addWidget(length_, 1, 1, 1, 2);
  grid->addWidget(Label(frame, "LabelAlarmIndicators", N_("Alarm Indicators")), 2, 0);
  grid->addWidget(alarm_indicators_, 2, 1, 1, 2);
  grid->addWidget(Label(frame, "LabelDistribution", N_("Device Distribution Along Loop")), 3, 0,
                  Qt::AlignTop);

  one_location_ = new QCheckBox(frame);
  one_location_->setObjectName("CheckBoxOneLocation");
  SetText(one_location_, N_("One Location"));
  spread_ = new QCheckBox(frame);
  spread_->setObjectName("CheckBoxSpread");
  SetText(spread_, N_("Spread"));
  auto* one_diagram = new LoopDiagram(LoopDiagram::Kind::kOneLocation, frame);
  one_diagram->setObjectName("ImageOneLocation");
  auto* spread_diagram = new LoopDiagram(LoopDiagram::Kind::kSpread, frame);
  spread_diagram->setObjectName("ImageSpread");
  using Slot = LoopDiagram::Slot;
  one_location_length_ = new QSpinBox(one_diagram);
  one_location_length_->setObjectName("SpinEditOneLocationLength");
  one_location_length_->setRange(LoopFormModel::kMinV1, LoopFormModel::kMaxV1);
  one_location_length_->setGeometry(LoopDiagram::FieldSlot(Slot::kUpperNearPanel));
  Cross(one_diagram, Slot::kLowerNearPanel);
  spread_length_ = new QSpinBox(spread_diagram);
  spread_length_->setObjectName("SpinEditSpreadLength");
  spread_length_->setRange(LoopFormModel::kMinV3, LoopFormModel::kMaxV3);
  spread_length_->setGeometry(LoopDiagram::FieldSlot(Slot::kUpperNearPanel));
  Cross(spread_diagram, Slot::kLowerNearPanel);
  Cross(spread_diagram, Slot::kUpperBetween);
  Cross(spread_diagram, Slot::kLowerBetween);
  grid->addWidget(one_location_, 3, 1);
  grid->addWidget(one_diagram, 3, 2, Qt::AlignHCenter);
  grid->addWidget(spread_, 4, 1);
  grid->addWidget(spread_diagram, 4, 2, Qt::AlignHCenter);
  grid->setColumnStretch(2, 1);
  grid->setRowStretch(5, 1);

  connect(cable_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!rendering_) dialog_.OnCableChosen(index);
  });
  connect(length_, &QLineEdit::textEdited, this,
          [this](const QString& text) { dialog_.OnLengthTextChanged(text); });
  connect(one_location_, &QCheckBox::clicked, this,
          [this](bool ticked) { dialog_.OnOneLocationClicked(ticked); });
  connect(spread_, &QCheckBox::clicked, this,
          [this](bool ticked) { dialog_.OnSpreadClicked(ticked); });
  connect(one_location_length_, &QSpinBox::valueChanged, this, [this](int value) {
    if (!rendering_) dialog_.OnOneLocationLengthChanged(value);
  });
  connect(spread_length_, &QSpinBox::valueChanged, this, [this](int value) {
    if (!rendering_) dialog_.OnSpreadLengthChanged(value);
  });
  return page;
}

void TFormOptions::Render() {
  rendering_ = true;
  pages_->setCurrentIndex(form_.page);
  RenderBox(sales_channel_, form_.sales_channels);
  RenderBox(standby_time_, form_.standby_times);
  RenderBox(alarm_time_, form_.alarm_times);
  if (country_code_->text() != form_.country_code) country_code_->setText(form_.country_code);
  RenderBox(language_, form_.languages);
  RenderBox(type_code_, form_.type_codes);
  RenderBox(type_, form_.types);
  RenderBox(housing_code_, form_.housing_codes);
  RenderBox(housing_, form_.housings);
  RenderBox(protocol_, form_.protocols);
  const QString code = form_.housing_codes.SelectedText();
  power_supplies_->Render(form_.power_supplies, ChoiceButtonGroup::UnavailableHint(code, false));
  options_->Render(form_.options, ChoiceButtonGroup::UnavailableHint(code, true));
  cable_->setCurrentIndex(form_.cable_index);
  if (length_->text() != form_.length_text) length_->setText(form_.length_text);
  alarm_indicators_->setValue(form_.alarm_indicators);
  one_location_->setChecked(form_.one_location);
  spread_->setChecked(form_.spread);
  one_location_length_->setValue(form_.one_location_length);
  spread_length_->setValue(form_.spread_length);
  rendering_ = false;
}

void TFormOptions::showEvent(QShowEvent* event) {
  dialog_.Show();
  QDialog::showEvent(event);
}

void TFormOptions::OnOk() {
  const std::optional<QJsonObject> params = dialog_.OkParameters();
  if (!params) return;
  action::Action defaults;
  defaults.name = "set-defaults";
  defaults.params = *params;
  if (!editor_.Perform(defaults).Carried()) return;
  dialog_.Accepted();
  hide();
}

void TFormOptions::reject() {
  dialog_.Cancel();
  hide();
}

void TFormOptions::hideEvent(QHideEvent* event) {
  // However the dialog goes away, unless by "OK" it goes as by "Cancel".
  dialog_.Cancel();
  QDialog::hideEvent(event);
}

}  // namespace velmora::ui
