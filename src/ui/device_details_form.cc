#include "ui/device_details_form.h"

#include <QAbstractItemView>
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
#include <QSplitter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <vector>

#include "action/editor.h"
#include "catalogue/device_catalogue.h"
#include "electrical/loop_profile.h"
#include "electrical/recalculation.h"
#include "electrical/site_rows.h"
#include "i18n/display_format.h"
#include "i18n/messages.h"
#include "loop/device_rows.h"
#include "loop/loop_form_model.h"
#include "site/cables.h"
#include "site/store_error.h"
#include "ui/editable_grid_model.h"
#include "ui/loop_diagram.h"
#include "ui/loop_profile_view.h"
#include "ui/loop_status_panel.h"
#include "ui/window_texts.h"

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
// sub-type filled from the loop form model's lists at the moment the cell is edited. The
// sub-type list shows each device's currents beside its code; the code is what is chosen.
class DeviceGridDelegate : public QStyledItemDelegate {
 public:
  // `sub_types` gives the sub-types offered for a grid row, at the moment its cell is edited;
  // `describe` the text a sub-type's code is listed with.
  DeviceGridDelegate(LoopFormModel& form, std::function<QStringList(int row)> sub_types,
                     std::function<QString(const QString& code)> describe, QObject* parent)
      : QStyledItemDelegate(parent),
        form_(form),
        sub_types_(std::move(sub_types)),
        describe_(std::move(describe)) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    const int column = index.column();
    if (column == kQuantityColumn) {
      auto* edit = new QLineEdit(parent);
      edit->setObjectName("EditorQuantity");
      edit->setAlignment(Qt::AlignCenter);
      return edit;
    }
    if (column != kTypeColumn && column != kSubTypeColumn)
      return QStyledItemDelegate::createEditor(parent, option, index);
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    if (column == kSubTypeColumn) {
      // The sub-types of the row's type; a row without a type keeps the list as it was.
      const QStringList offered = sub_types_(index.row());
      if (!offered.isEmpty()) form_.device_sub_types = offered;
    }
    const QStringList& entries =
        column == kTypeColumn ? form_.device_types : form_.device_sub_types;
    for (const QString& entry : entries)
      box->addItem(column == kSubTypeColumn ? describe_(entry) : entry, entry);
    box->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    if (column == kSubTypeColumn) {
      box->setObjectName("EditorSubType");
      // Fifteen rows, or every entry of a longer list: the whole list drops down.
      box->setMaxVisibleItems(entries.size() < 16 ? 15 : int(entries.size()));
    } else {
      box->setObjectName("EditorType");
    }
    // The list as wide as its longest entry, so that every code and its currents can be read
    // whatever the width of the cell.
    int widest = 0;
    for (int i = 0; i < box->count(); ++i)
      widest = std::max(widest, box->view()->fontMetrics().horizontalAdvance(box->itemText(i)));
    box->view()->setMinimumWidth(
        widest + 2 * box->view()->frameWidth() + 24 +
        box->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, box->view()));
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
      const int at = box->findData(text);
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
      // An entry of the list (chosen, or typed and completed) stands for its code; any other
      // text is taken as it was typed.
      const int at = box->findText(box->currentText());
      model->setData(index, at >= 0 ? box->itemData(at).toString() : box->currentText().trimmed());
    } else {
      QStyledItemDelegate::setModelData(editor, model, index);
    }
  }

 private:
  LoopFormModel& form_;
  std::function<QStringList(int row)> sub_types_;
  std::function<QString(const QString& code)> describe_;
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

constexpr int kProfileMinimumWidth = 260;

// An overloaded loop's status, as the report marks it.
const QColor kOverloadColor(0xb0, 0x00, 0x20);

}  // namespace

void DeviceGrid::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() == Qt::NoModifier &&
      ((event->key() == Qt::Key_Down && NewRowKey(GridKey::kDown)) ||
       (event->key() == Qt::Key_Tab && NewRowKey(GridKey::kTab)))) {
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
}

void DeviceGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  // Tab out of an open editor (its value already written) is a Tab of the grid.
  if (hint == QAbstractItemDelegate::EditNextItem && key_handler_) {
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    if (key_handler_(GridKey::kTab)) return;
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

bool DeviceGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  // A click into a list cell opens its list at once (the view does that on every click); the
  // view's own wait for a second click of an already chosen cell would hold that back, and open
  // the cell later without its list.
  if (trigger == SelectedClicked &&
      (index.column() == kTypeColumn || index.column() == kSubTypeColumn))
    return false;
  return QTableView::edit(index, trigger, event);
}

bool DeviceGrid::NewRowKey(GridKey key) {
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

TFormDeviceDetails::TFormDeviceDetails(action::Editor& editor, QWidget* parent)
    : QWidget(parent), editor_(editor), form_(editor.LoopForm()) {
  setObjectName("TFormDeviceDetails");
  SetWindowTitle(this, N_("Device Properties"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  splitter_ = new QSplitter(Qt::Horizontal, this);
  splitter_->setObjectName("SplitterProfile");
  splitter_->setChildrenCollapsible(false);
  devices_area_ = new QWidget(splitter_);
  devices_area_->setObjectName("PanelLoopDevices");
  auto* devices_layout = new QVBoxLayout(devices_area_);
  devices_layout->setContentsMargins(0, 0, 0, 0);
  auto* upper = new QWidget(devices_area_);
  upper->setObjectName("PanelLoop");
  BuildLoopControls(upper);
  devices_layout->addWidget(upper);
  devices_layout->addWidget(new LoopStatusPanel(editor_, devices_area_));
  BuildGrid();
  devices_layout->addWidget(grid_, 1);
  devices_area_->installEventFilter(this);
  splitter_->addWidget(devices_area_);
  splitter_->addWidget(BuildProfile());
  splitter_->setStretchFactor(0, 3);
  splitter_->setStretchFactor(1, 2);
  layout->addWidget(splitter_);

  connect(&form_, &LoopFormModel::Changed, this, &TFormDeviceDetails::OnLoopChanged);
  connect(&editor_.Views(), &site::DetailViewModel::Changed, this,
          &TFormDeviceDetails::OnViewChanged);
  // Every action, undo and redo ends here: the profile follows the loop at once, before the
  // next paint.
  connect(&editor_, &action::Editor::Changed, this, [this] {
    if (editor_.Views().Current() == site::DetailView::kDevices) RenderProfile();
  });
  RenderLoop();
}

QWidget* TFormDeviceDetails::BuildProfile() {
  auto* pane = new QWidget(this);
  pane->setObjectName("PanelProfile");
  auto* layout = new QVBoxLayout(pane);
  layout->setContentsMargins(4, 0, 0, 0);
  layout->setSpacing(2);
  auto* strip = new QHBoxLayout;
  strip->setSpacing(6);
  status_ = new QLabel(pane);
  status_->setObjectName("LabelLoopStatus");
  QFont bold = status_->font();
  bold.setBold(true);
  status_->setFont(bold);
  strip->addWidget(status_, 0, Qt::AlignTop);
  const int mark = QFontMetrics(font()).height() - 2;
  advisory_mark_ = new QLabel(pane);
  advisory_mark_->setObjectName("LabelAdvisoryMark");
  advisory_mark_->setPixmap(AdvisoryMark(mark, devicePixelRatioF()));
  advisory_mark_->setFixedSize(mark, mark);
  strip->addWidget(advisory_mark_, 0, Qt::AlignTop);
  advisories_ = new QLabel(pane);
  advisories_->setObjectName("LabelAdvisories");
  advisories_->setWordWrap(true);
  advisories_->setTextFormat(Qt::PlainText);
  QPalette palette = advisories_->palette();
  palette.setColor(QPalette::WindowText, kAdvisoryColor);
  advisories_->setPalette(palette);
  strip->addWidget(advisories_, 1, Qt::AlignTop);
  layout->addLayout(strip);
  profile_ = new LoopProfileView(pane);
  // The advisories stand beside the status here.
  profile_->SetAdvisoriesShown(false);
  // Narrower than the view would be on its own, so that beside the loop's controls it still
  // leaves the site tree its width in a window of 1200 pixels.
  profile_->setMinimumWidth(kProfileMinimumWidth);
  layout->addWidget(profile_, 1);
  return pane;
}

void TFormDeviceDetails::RenderProfile() {
  std::optional<electrical::LoopProfile> profile;
  QString status;
  bool passes = true;
  if (form_.panel > 0 && form_.loop > 0 && editor_.Work().Doc().IsOpen()) {
    try {
      const electrical::Recalculation found =
          electrical::RecalculatePanels(editor_.Work().Data(), {form_.panel}, false);
      if (const electrical::LoopResult* loop = found.Loop(form_.panel, form_.loop)) {
        status = loop->status;
        passes = loop->passes;
        profile = electrical::ProfileOf(*loop);
      }
    } catch (const site::StoreError&) {
      // Only a view of the rows: the next change shows it again.
    }
  }
  status_->setText(status);
  QPalette palette = status_->palette();
  palette.setColor(QPalette::WindowText,
                   passes ? this->palette().color(QPalette::WindowText) : kOverloadColor);
  status_->setPalette(palette);
  const QStringList advisories = profile ? electrical::AdvisoryTexts(*profile) : QStringList();
  advisories_->setText(advisories.join('\n'));
  advisory_mark_->setVisible(!advisories.isEmpty());
  advisories_->setVisible(!advisories.isEmpty());
  profile_->SetProfile(profile);
}

bool TFormDeviceDetails::RunLoopAction(const char* name, const char* key, const QJsonValue& value) {
  if (form_.panel < 1 || form_.loop < 1) return false;
  action::Action a = action::Action::Make(name, {{"panel", form_.panel}, {"loop", form_.loop}});
  if (key != nullptr) a.params.insert(key, value);
  const action::Result result = editor_.Perform(a);
  // A refused value shows what the loop holds again.
  if (!result.Carried()) RenderLoop();
  return result.Carried();
}

void TFormDeviceDetails::BuildLoopControls(QWidget* upper) {
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
  for (const site::Cable& cable : site::kCables)
    cable_resistances_->addItem(QString::number(cable.ohm_per_km));
  cable_resistances_->hide();
  connect(cable_, &QComboBox::activated, this,
          [this](int index) { RunLoopAction("set-cable", "cable", index); });
  grid->addWidget(label("LabelCableSpec", N_("Cable Specification")), 0, 0);
  grid->addWidget(cable_, 0, 1, 1, 2);

  length_ = new QLineEdit(upper);
  length_->setObjectName("EditLoopLength");
  connect(length_, &QLineEdit::editingFinished, this, [this] {
    const QString text = length_->text().trimmed();
    if (!length_->isModified()) return;
    length_->setModified(false);
    // An empty length, or 0, stores nothing.
    if (text.isEmpty() || text == "0") return;
    bool ok = false;
    const int length = text.toInt(&ok);
    if (!ok) {
      editor_.Work().Prompter().Warn(
          i18n::Tr(N_("'%1' is not a valid integer value")).arg(length_->text()));
      RenderLoop();
      return;
    }
    RunLoopAction("set-length", "length", length);
  });
  grid->addWidget(label("LabelLoopLength", N_("Total Loop Length (m)")), 1, 0);
  grid->addWidget(length_, 1, 1, 1, 2);

  alarm_indicators_ = SpinField("SpinEditAlarmIndicators", LoopFormModel::kMinAlarmIndicators,
                                LoopFormModel::kMaxAlarmIndicators, upper);
  alarm_indicators_->setAlignment(Qt::AlignLeft);
  connect(alarm_indicators_, &QSpinBox::valueChanged, this,
          [this](int value) { RunLoopAction("set-alarm-indicators", "count", value); });
  grid->addWidget(label("LabelAlarmIndicators", N_("Alarm Indicators")), 2, 0);
  grid->addWidget(alarm_indicators_, 2, 1, 1, 2);

  grid->addWidget(label("LabelDistribution", N_("Device Distribution Along Loop")), 3, 0,
                  Qt::AlignTop);
  one_location_ = new QCheckBox(upper);
  one_location_->setObjectName("CheckBoxOneLocation");
  SetText(one_location_, N_("One Location"));
  SetHint(one_location_,
          N_("All devices located at one location halfway along the total loop length"));
  connect(one_location_, &QCheckBox::clicked, this, [this](bool ticked) {
    RunLoopAction("set-distribution", "distribution", ticked ? "one location" : "spread");
  });
  spread_ = new QCheckBox(upper);
  spread_->setObjectName("CheckBoxSpread");
  SetText(spread_, N_("Spread"));
  SetHint(spread_, N_("Devices spread evenly along the total loop length"));
  connect(spread_, &QCheckBox::clicked, this, [this](bool ticked) {
    RunLoopAction("set-distribution", "distribution", ticked ? "spread" : "one location");
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

  // Every change of the value counts, digit by digit; the steps of one field are one step of
  // the history.
  connect(v1_, &QSpinBox::valueChanged, this,
          [this](int value) { RunLoopAction("set-one-location-distance", "distance", value); });
  connect(v3_, &QSpinBox::valueChanged, this,
          [this](int value) { RunLoopAction("set-spread-distance", "distance", value); });
}

int TFormDeviceDetails::CurrentRow() const {
  const QModelIndex current = grid_->currentIndex();
  return current.isValid() ? current.row() : -1;
}

void TFormDeviceDetails::WriteCell(int row, const QString& field, const QVariant& value) {
  const char* name = nullptr;
  const char* key = nullptr;
  QJsonValue json;
  if (field.compare("DeviceQuantity", Qt::CaseInsensitive) == 0) {
    name = "set-device-quantity";
    key = "quantity";
    json = value.isNull() ? QJsonValue(0) : QJsonValue(value.toLongLong());
  } else if (field.compare("DeviceTypeText", Qt::CaseInsensitive) == 0) {
    name = "set-device-type";
    key = "type";
    json = value.toString();
  } else if (field.compare("DeviceSub-Type", Qt::CaseInsensitive) == 0) {
    name = "set-device-sub-type";
    key = "sub_type";
    json = value.toString();
  } else {
    return;
  }
  action::Action a =
      action::Action::Make(name, {{"panel", form_.panel}, {"loop", form_.loop}, {"row", row + 1}});
  a.params.insert(key, json);
  const action::Result result = editor_.Perform(a);
  // A refused quantity is put back; the grid's focus goes to it.
  if (!result.Carried() && field.compare("DeviceQuantity", Qt::CaseInsensitive) == 0)
    QTimer::singleShot(0, this, [this, row] { FocusQuantity(row); });
}

void TFormDeviceDetails::BuildGrid() {
  grid_ = new DeviceGrid(this);
  grid_->setObjectName("DBGridDevices");
  SetHint(grid_, N_("Right click to add or remove rows of devices"));
  model_ = new EditableGridModel(
      editor_.Work().Doc().Db(), "Devices",
      {{"Loop", Msg::kLoopNumber, false},
       {"DeviceQuantity", Msg::kQuantityOfDevices, true},
       {"DeviceTypeText", Msg::kDeviceType, true},
       {"DeviceSub-Type", Msg::kDeviceSubType, true},
       {"QuiesentCurrent", Msg::kQuiescentCurrentMa, false},
       {"AlarmCurrent", Msg::kAlarmCurrentMa, false}},
      [this] { return loop::LoopDeviceRows(editor_.Work().Data(), form_.panel, form_.loop); },
      [this](int row, const QString& field, const QVariant& value) {
        WriteCell(row, field, value);
      },
      editor_.Work().Prompter(), this);
  grid_->setModel(model_);
  grid_->setItemDelegate(new DeviceGridDelegate(
      form_,
      [this](int row) {
        const site::Row* stored = model_->RowAt(row);
        if (stored == nullptr) return QStringList();
        const QString type =
            electrical::TextAt(*stored, editor_.Work().Doc().Cols().devices.type_text);
        return loop::SubTypesForGrid(editor_.Work().Data(), form_.panel, type);
      },
      [this](const QString& code) {
        const catalogue::Device* device =
            loop::PanelDevices(editor_.Work().Data(), form_.panel).FirstOfCode(code);
        if (device == nullptr) return code;
        // Quiescent and alarm current of one device, in mA as the grid shows them.
        return i18n::Tr(N_("%1   (%2 mA / %3 mA)"))
            .arg(code, i18n::FormatNumber(device->standby_current * 1000.0, 2),
                 i18n::FormatNumber(device->alarm_current * 1000.0, 2));
      },
      grid_));
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
  grid_->SetKeyHandler([this](GridKey key) { return OnNewRowKey(key); });
  // One click into a list cell opens its list.
  connect(grid_, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
    if (index.column() != kTypeColumn && index.column() != kSubTypeColumn) return;
    if (!(model_->flags(index) & Qt::ItemIsEditable)) return;
    grid_->edit(index);
    if (auto* box = qobject_cast<QComboBox*>(grid_->indexWidget(index)))
      QTimer::singleShot(0, box, [box] {
        if (box->isVisible()) box->showPopup();
      });
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
  connect(popup_, &QMenu::aboutToShow, this, [this] {
    const site::Row* row = model_->RowAt(CurrentRow());
    add_row_->setEnabled(row != nullptr && loop::IsCompleteRow(editor_.Work().Data(), *row));
  });
  connect(add_row_, &QAction::triggered, this, [this] {
    if (RunLoopAction("add-device-row", nullptr, {})) FocusQuantity(model_->rowCount() - 1);
  });
  connect(delete_row_, &QAction::triggered, this, [this] {
    const int row = CurrentRow();
    const int column = grid_->currentIndex().column();
    if (row < 0) return;
    RunLoopAction("delete-device-row", "row", row + 1);
    SelectRow(std::min(row, model_->rowCount() - 1), column);
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
  shown_panel_ = form_.panel;
  shown_loop_ = form_.loop;
  form_.device_sub_types = QStringList{i18n::Text(Msg::kNone)};
  model_->Reset();
  SetWidths();
  RenderLoop();
  SelectRow(0, kQuantityColumn);
}

void TFormDeviceDetails::SetWidths() {
  const int view_width = devices_area_->width();
  std::vector<int> widths;
  for (double share : kColumnShares) widths.push_back(int(std::lround(view_width * share)));
  SetColumnWidths(grid_, widths);
}

void TFormDeviceDetails::OnLoopChanged() {
  RenderLoop();
  if (form_.panel != shown_panel_ || form_.loop != shown_loop_) {
    ViewShown();
  } else {
    model_->Sync();
  }
}

void TFormDeviceDetails::RenderLoop() {
  // What is shown is written from the rows; none of it is an edit of the user's.
  const QSignalBlocker cable_blocker(cable_);
  const QSignalBlocker alarm_blocker(alarm_indicators_);
  const QSignalBlocker v1_blocker(v1_);
  const QSignalBlocker v3_blocker(v3_);
  cable_->setCurrentIndex(form_.cable_index);
  if (length_->text() != form_.length_text) length_->setText(form_.length_text);
  length_->setModified(false);
  if (alarm_indicators_->value() != form_.alarm_indicators)
    alarm_indicators_->setValue(form_.alarm_indicators);
  one_location_->setChecked(form_.one_location);
  spread_->setChecked(form_.spread);
  if (v1_->value() != form_.v1) v1_->setValue(form_.v1);
  if (v3_->value() != form_.v3) v3_->setValue(form_.v3);
  ShowText(last_one_location_, form_.last_device_one_location);
  ShowText(last_spread_, form_.last_device_spread);
  ShowText(spacing_upper_, form_.device_spacing);
  ShowText(spacing_lower_, form_.device_spacing);
}

void TFormDeviceDetails::SelectRow(int row, int column) {
  if (row < 0 || row >= model_->rowCount()) return;
  grid_->setCurrentIndex(model_->index(row, column < 0 ? kQuantityColumn : column));
}

void TFormDeviceDetails::FocusQuantity(int row) {
  model_->Sync();
  SelectRow(row, kQuantityColumn);
  grid_->setFocus();
}

bool TFormDeviceDetails::OnNewRowKey(GridKey key) {
  const QModelIndex current = grid_->currentIndex();
  // Down, or Tab in the sub-type column, on the last row of the loop.
  if (!current.isValid() || current.row() != model_->rowCount() - 1) return false;
  if (key == GridKey::kTab && current.column() != kSubTypeColumn) return false;
  // The key is swallowed; only a complete row gets a new one after it, so no empty row can be
  // added from the keyboard.
  const site::Row* row = model_->RowAt(current.row());
  if (row != nullptr && loop::IsCompleteRow(editor_.Work().Data(), *row) &&
      RunLoopAction("add-device-row", nullptr, {}))
    FocusQuantity(model_->rowCount() - 1);
  return true;
}

void TFormDeviceDetails::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  SetWidths();
}

void TFormDeviceDetails::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  SetWidths();
}

bool TFormDeviceDetails::eventFilter(QObject* watched, QEvent* event) {
  // The grid's columns follow the width of their part of the view, the splitter moved or not.
  if (watched == devices_area_ && event->type() == QEvent::Resize) SetWidths();
  return QWidget::eventFilter(watched, event);
}

void TFormDeviceDetails::closeEvent(QCloseEvent* event) {
  // Only the main window hides the view.
  event->ignore();
}

}  // namespace velmora::ui
