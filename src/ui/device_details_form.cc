#include "ui/device_details_form.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "i18n/messages.h"
#include "loop/device_row_editor.h"
#include "loop/loop_form_model.h"
#include "loop/loop_settings.h"
#include "site/table.h"
#include "ui/editable_grid_model.h"
#include "ui/loop_diagram.h"
#include "ui/window_texts.h"
#include "workspace/workspace.h"

namespace velmora::ui {
namespace {

using i18n::Msg;
using loop::LoopFormModel;

// The space right of a distribution check box; its drawing stays centred in it.
class DiagramSpace : public QWidget {
 public:
  DiagramSpace(LoopDiagram::Kind kind, QWidget* parent) : QWidget(parent) {
    diagram_ = new LoopDiagram(kind, this);
    setMinimumSize(LoopDiagram::kWidth, LoopDiagram::kHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  }
  LoopDiagram* Diagram() const { return diagram_; }
  void Place() { diagram_->move(LoopDiagram::CentredLeft(width(), diagram_->width()), 0); }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    Place();
  }

 private:
  LoopDiagram* diagram_;
};

// The editors of the grid: a plain field for the quantity, drop-down lists for the type and the
// sub-type filled from the loop form model's lists at the moment the cell is edited.
class DeviceGridDelegate : public QStyledItemDelegate {
 public:
  DeviceGridDelegate(LoopFormModel& form, QObject* parent)
      : QStyledItemDelegate(parent), form_(form) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    const int column = index.column();
    if (column == loop::kQuantityColumn) {
      auto* edit = new QLineEdit(parent);
      edit->setObjectName("EditorQuantity");
      edit->setAlignment(Qt::AlignCenter);
      return edit;
    }
    if (column != loop::kTypeColumn && column != loop::kSubTypeColumn)
      return QStyledItemDelegate::createEditor(parent, option, index);
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    const QStringList& entries =
        column == loop::kTypeColumn ? form_.device_types : form_.device_sub_types;
    box->addItems(entries);
    box->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    if (column == loop::kSubTypeColumn) {
      box->setObjectName("EditorSubType");
      // A short list still drops down 15 rows; a long one shows all of its entries.
      box->setMaxVisibleItems(entries.size() < 16 ? 15 : int(entries.size()));
    } else {
      box->setObjectName("EditorType");
    }
    auto* self = const_cast<DeviceGridDelegate*>(this);
    connect(box, &QComboBox::activated, self, [self, box] {
      emit self->commitData(box);
      emit self->closeEditor(box, QAbstractItemDelegate::NoHint);
    });
    return box;
  }

  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    const QString text = index.data(Qt::EditRole).toString();
    if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
      edit->setText(text);
    } else if (auto* box = qobject_cast<QComboBox*>(editor)) {
      const int at = box->findText(text);
      box->setCurrentIndex(at);
      if (at < 0) box->setEditText(text.trimmed());
    } else {
      QStyledItemDelegate::setEditorData(editor, index);
    }
  }

  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override {
    if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
      model->setData(index, edit->text());
    } else if (auto* box = qobject_cast<QComboBox*>(editor)) {
      model->setData(index, box->currentText());
    } else {
      QStyledItemDelegate::setModelData(editor, model, index);
    }
  }

 private:
  LoopFormModel& form_;
};

QLineEdit* ReadOnlyField(const char* name, QWidget* parent) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(name);
  field->setReadOnly(true);
  field->setAlignment(Qt::AlignCenter);
  field->setFocusPolicy(Qt::ClickFocus);
  return field;
}

QSpinBox* SpinField(const char* name, int min, int max, QWidget* parent) {
  auto* spin = new QSpinBox(parent);
  spin->setObjectName(name);
  spin->setRange(min, max);
  spin->setAlignment(Qt::AlignCenter);
  spin->setKeyboardTracking(true);
  return spin;
}

void ShowText(QLineEdit* field, const QString& text) {
  if (field->text() != text) field->setText(text);
}

}  // namespace

void DeviceGrid::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() == Qt::NoModifier &&
      ((event->key() == Qt::Key_Down && NewRowKey(loop::GridKey::kDown)) ||
       (event->key() == Qt::Key_Tab && NewRowKey(loop::GridKey::kTab)))) {
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
}

void DeviceGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  // Tab out of an open editor (its value already written) is a Tab of the grid.
  if (hint == QAbstractItemDelegate::EditNextItem && key_handler_) {
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    if (key_handler_(loop::GridKey::kTab)) return;
    // Otherwise on to the next cell, editing it, as the grid does by itself.
    const QModelIndex next = moveCursor(QAbstractItemView::MoveNext, Qt::NoModifier);
    if (next.isValid()) {
      setCurrentIndex(next);
      if (next.flags() & Qt::ItemIsEditable) edit(next);
    }
    return;
  }
  QTableView::closeEditor(editor, hint);
}

bool DeviceGrid::NewRowKey(loop::GridKey key) {
  if (!key_handler_) return false;
  // An open editor writes its value first, so the row is judged with it.
  if (state() == QAbstractItemView::EditingState) {
    if (QWidget* editor = indexWidget(currentIndex())) {
      commitData(editor);
      QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
  }
  return key_handler_(key);
}

TFormDeviceDetails::TFormDeviceDetails(workspace::Workspace& workspace, QWidget* parent)
    : QWidget(parent), workspace_(workspace), form_(workspace.LoopForm()) {
  setObjectName("TFormDeviceDetails");
  SetWindowTitle(this, N_("Device Properties"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  auto* upper = new QWidget(this);
  upper->setObjectName("PanelLoop");
  BuildLoopControls(upper);
  layout->addWidget(upper);
  BuildGrid();
  layout->addWidget(grid_, 1);

  connect(&form_, &LoopFormModel::Changed, this, &TFormDeviceDetails::OnLoopChanged);
  connect(&form_, &LoopFormModel::FocusQuantity, this, [this] {
    // After the grid has finished with the edit that was refused.
    QTimer::singleShot(0, this, &TFormDeviceDetails::FocusQuantity);
  });
  connect(&workspace_.Views(), &site::DetailViewModel::Changed, this,
          &TFormDeviceDetails::OnViewChanged);
  connect(&workspace_, &workspace::Workspace::SiteReplaced, this, [this] { model_->Reset(); });
  RenderLoop();
}

void TFormDeviceDetails::BuildLoopControls(QWidget* upper) {
  loop::LoopSettings& settings = workspace_.LoopSettings();
  auto* grid = new QGridLayout(upper);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(4);
  const auto label = [upper](const char* name, WindowText text) {
    auto* l = new QLabel(upper);
    l->setObjectName(name);
    SetText(l, text);
    return l;
  };

  cable_ = new QComboBox(upper);
  cable_->setObjectName("ComboBoxCableSpec");
  AddItems(cable_, {N_("0.5 mm²"), N_("0.8 mm²"), N_("1.0 mm²"), N_("1.5 mm²"), N_("2.0 mm²"),
                    N_("2.5 mm²")});
  cable_resistances_ = new QComboBox(upper);
  cable_resistances_->setObjectName("ComboBoxCableResistance");
  for (int i = 0; i < LoopFormModel::kCableCount; ++i)
    cable_resistances_->addItem(QString::number(LoopFormModel::CableResistance(i)));
  cable_resistances_->hide();
  connect(cable_, &QComboBox::currentIndexChanged, this, [this, &settings](int index) {
    if (!rendering_) settings.OnCableChosen(index);
  });
  grid->addWidget(label("LabelCableSpec", N_("Cable Specification")), 0, 0);
  grid->addWidget(cable_, 0, 1, 1, 2);

  length_ = new QLineEdit(upper);
  length_->setObjectName("EditLoopLength");
  connect(length_, &QLineEdit::textEdited, this,
          [this](const QString& text) { form_.length_text = text; });
  connect(length_, &QLineEdit::editingFinished, this, [this, &settings] {
    if (rendering_) return;
    form_.length_text = length_->text();
    settings.OnLengthAccepted();
  });
  grid->addWidget(label("LabelLoopLength", N_("Total Loop Length (m)")), 1, 0);
  grid->addWidget(length_, 1, 1, 1, 2);

  alarm_indicators_ = SpinField("SpinEditAlarmIndicators", LoopFormModel::kMinAlarmIndicators,
                                LoopFormModel::kMaxAlarmIndicators, upper);
  alarm_indicators_->setAlignment(Qt::AlignLeft);
  connect(alarm_indicators_, &QSpinBox::textChanged, this, [this, &settings](const QString& text) {
    if (!rendering_) settings.OnAlarmIndicatorsChanged(text);
  });
  grid->addWidget(label("LabelAlarmIndicators", N_("Alarm Indicators")), 2, 0);
  grid->addWidget(alarm_indicators_, 2, 1, 1, 2);

  grid->addWidget(label("LabelDistribution", N_("Device Distribution Along Loop")), 3, 0,
                  Qt::AlignTop);
  one_location_ = new QCheckBox(upper);
  one_location_->setObjectName("CheckBoxOneLocation");
  SetText(one_location_, N_("One Location"));
  SetHint(one_location_,
          N_("All devices located at one location halfway along the total loop length"));
  connect(one_location_, &QCheckBox::clicked, this, [this, &settings](bool ticked) {
    if (!rendering_) settings.OnOneLocationClicked(ticked);
  });
  spread_ = new QCheckBox(upper);
  spread_->setObjectName("CheckBoxSpread");
  SetText(spread_, N_("Spread"));
  SetHint(spread_, N_("Devices spread evenly along the total loop length"));
  connect(spread_, &QCheckBox::clicked, this, [this, &settings](bool ticked) {
    if (!rendering_) settings.OnSpreadClicked(ticked);
  });

  auto* one_space = new DiagramSpace(LoopDiagram::Kind::kOneLocation, upper);
  one_space->setObjectName("PanelOneLocation");
  one_location_diagram_ = one_space->Diagram();
  one_location_diagram_->setObjectName("ImageOneLocation");
  auto* spread_space = new DiagramSpace(LoopDiagram::Kind::kSpread, upper);
  spread_space->setObjectName("PanelSpread");
  spread_diagram_ = spread_space->Diagram();
  spread_diagram_->setObjectName("ImageSpread");
  grid->addWidget(one_location_, 3, 1, Qt::AlignVCenter);
  grid->addWidget(one_space, 3, 2);
  grid->addWidget(spread_, 4, 1, Qt::AlignVCenter);
  grid->addWidget(spread_space, 4, 2);
  grid->setColumnStretch(2, 1);

  using Slot = LoopDiagram::Slot;
  const WindowText first_hint = N_("Distance between panel and first device, in meter");
  const WindowText last_hint = N_("Distance between panel and last device, in meter");
  const WindowText between_hint = N_("Distance between devices, in meter");
  v1_ = SpinField("SpinEditOneLocationFirst", LoopFormModel::kMinV1, LoopFormModel::kMaxV1,
                  one_location_diagram_);
  v1_->setGeometry(LoopDiagram::FieldSlot(Slot::kUpperNearPanel));
  SetHint(v1_, first_hint);
  last_one_location_ = ReadOnlyField("EditOneLocationLast", one_location_diagram_);
  last_one_location_->setGeometry(LoopDiagram::FieldSlot(Slot::kLowerNearPanel));
  SetHint(last_one_location_, last_hint);
  v3_ = SpinField("SpinEditSpreadFirst", LoopFormModel::kMinV3, LoopFormModel::kMaxV3,
                  spread_diagram_);
  v3_->setGeometry(LoopDiagram::FieldSlot(Slot::kUpperNearPanel));
  SetHint(v3_, first_hint);
  last_spread_ = ReadOnlyField("EditSpreadLast", spread_diagram_);
  last_spread_->setGeometry(LoopDiagram::FieldSlot(Slot::kLowerNearPanel));
  SetHint(last_spread_, last_hint);
  spacing_upper_ = ReadOnlyField("EditSpreadSpacingUpper", spread_diagram_);
  spacing_upper_->setGeometry(LoopDiagram::FieldSlot(Slot::kUpperBetween));
  SetHint(spacing_upper_, between_hint);
  spacing_lower_ = ReadOnlyField("EditSpreadSpacingLower", spread_diagram_);
  spacing_lower_->setGeometry(LoopDiagram::FieldSlot(Slot::kLowerBetween));
  SetHint(spacing_lower_, between_hint);

  // Every change of the text counts, digit by digit.
  connect(v1_, &QSpinBox::textChanged, this, [this, &settings](const QString& text) {
    if (rendering_) return;
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (ok && value >= LoopFormModel::kMinV1 && value <= LoopFormModel::kMaxV1)
      settings.OnV1Changed(value);
  });
  connect(v3_, &QSpinBox::textChanged, this, [this, &settings](const QString& text) {
    if (rendering_) return;
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (ok && value >= LoopFormModel::kMinV3 && value <= LoopFormModel::kMaxV3)
      settings.OnV3Changed(value);
  });
}

void TFormDeviceDetails::BuildGrid() {
  grid_ = new DeviceGrid(this);
  grid_->setObjectName("DBGridDevices");
  SetHint(grid_, N_("Right click to add or remove rows of devices"));
  model_ = new EditableGridModel(workspace_.Doc().Devices(),
                                 {{"Loop", Msg::kLoopNumber, false},
                                  {"DeviceQuantity", Msg::kQuantityOfDevices, true},
                                  {"DeviceTypeText", Msg::kDeviceType, true},
                                  {"DeviceSub-Type", Msg::kDeviceSubType, true},
                                  {"QuiesentCurrent", Msg::kQuiescentCurrentMa, false},
                                  {"AlarmCurrent", Msg::kAlarmCurrentMa, false}},
                                 workspace_.Prompter(), this);
  grid_->setModel(model_);
  grid_->setItemDelegate(new DeviceGridDelegate(form_, grid_));
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
  grid_->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::AnyKeyPressed);
  grid_->setTabKeyNavigation(true);
  grid_->setShowGrid(true);
  grid_->verticalHeader()->hide();
  grid_->horizontalHeader()->setSectionsMovable(false);
  grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  grid_->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
  grid_->SetKeyHandler([this](loop::GridKey key) { return OnNewRowKey(key); });

  connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) model_->SetCurrentRow(current.row());
          });
  connect(grid_, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
    model_->SetCurrentRow(index.row());
    workspace_.DeviceRows().OnGridCellClicked(index.column() == loop::kSubTypeColumn);
  });
  connect(model_, &QAbstractItemModel::modelReset, this, [this] {
    for (int c = model_->ShownColumnCount(); c < model_->columnCount(); ++c)
      grid_->setColumnHidden(c, true);
  });

  popup_ = new QMenu(grid_);
  popup_->setObjectName("PopupMenuDevices");
  add_row_ = AddAction(popup_, N_("Add row of devices"));
  add_row_->setObjectName("AddRowOfDevices");
  delete_row_ = AddAction(popup_, N_("Delete row of devices"));
  delete_row_->setObjectName("DeleteRowOfDevices");
  connect(popup_, &QMenu::aboutToShow, this,
          [this] { add_row_->setEnabled(loop::IsDeviceRowComplete(workspace_.Doc().Devices())); });
  connect(add_row_, &QAction::triggered, this, [this] {
    workspace_.DeviceRows().AddDeviceRow();
    FocusQuantity();
  });
  connect(delete_row_, &QAction::triggered, this, [this] {
    workspace_.DeviceRows().DeleteDeviceRow();
    model_->Sync();
    SelectCursorRow(grid_->currentIndex().column());
  });
  grid_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(grid_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { popup_->popup(grid_->viewport()->mapToGlobal(at)); });
  // The grid's own deletion key, confirmed as the menu's is.
  auto* delete_key = new QAction(grid_);
  delete_key->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
  delete_key->setShortcutContext(Qt::WidgetShortcut);
  connect(delete_key, &QAction::triggered, delete_row_, &QAction::trigger);
  grid_->addAction(delete_key);
}

void TFormDeviceDetails::OnViewChanged(site::DetailView view) {
  if (view == site::DetailView::kDevices) ViewShown();
}

void TFormDeviceDetails::ViewShown() {
  model_->Reset();
  workspace_.DeviceRows().OnDeviceViewShown();
  SetWidths();
  RenderLoop();
  SelectCursorRow(loop::kQuantityColumn);
}

void TFormDeviceDetails::SetWidths() {
  const int view_width = width();
  for (int c = 0; c < 6 && c < model_->columnCount(); ++c)
    grid_->setColumnWidth(c, int(std::lround(view_width * kColumnShares[c])));
}

void TFormDeviceDetails::OnLoopChanged() {
  RenderLoop();
  model_->Sync();
}

void TFormDeviceDetails::RenderLoop() {
  rendering_ = true;
  const QSignalBlocker cable_blocker(cable_);
  cable_->setCurrentIndex(form_.cable_index);
  if (length_->text() != form_.length_text) length_->setText(form_.length_text);
  {
    const QSignalBlocker blocker(alarm_indicators_);
    if (alarm_indicators_->value() != form_.alarm_indicators)
      alarm_indicators_->setValue(form_.alarm_indicators);
  }
  one_location_->setChecked(form_.one_location);
  spread_->setChecked(form_.spread);
  {
    const QSignalBlocker blocker(v1_);
    if (v1_->value() != form_.v1) v1_->setValue(form_.v1);
  }
  {
    const QSignalBlocker blocker(v3_);
    if (v3_->value() != form_.v3) v3_->setValue(form_.v3);
  }
  ShowText(last_one_location_, form_.last_device_one_location);
  ShowText(last_spread_, form_.last_device_spread);
  ShowText(spacing_upper_, form_.device_spacing);
  ShowText(spacing_lower_, form_.device_spacing);
  rendering_ = false;
}

void TFormDeviceDetails::SelectCursorRow(int column) {
  const int row = model_->CursorRow();
  if (row < 0) return;
  grid_->setCurrentIndex(model_->index(row, column < 0 ? loop::kQuantityColumn : column));
}

void TFormDeviceDetails::FocusQuantity() {
  model_->Sync();
  SelectCursorRow(loop::kQuantityColumn);
  grid_->setFocus();
}

bool TFormDeviceDetails::OnNewRowKey(loop::GridKey key) {
  const QModelIndex current = grid_->currentIndex();
  if (current.isValid()) model_->SetCurrentRow(current.row());
  const loop::NewRowKey result = loop::OnDeviceGridKey(workspace_.R(), workspace_.DeviceRows(), key,
                                                       current.isValid() ? current.column() : -1);
  if (result.added) FocusQuantity();
  return result.swallowed;
}

void TFormDeviceDetails::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  SetWidths();
}

void TFormDeviceDetails::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  SetWidths();
}

void TFormDeviceDetails::closeEvent(QCloseEvent* event) {
  // Only the main window hides the view.
  event->ignore();
}

}  // namespace velmora::ui
