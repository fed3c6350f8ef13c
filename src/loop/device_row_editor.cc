#include "loop/device_row_editor.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/device_catalogue.h"
#include "catalogue/lookup.h"
#include "electrical/recalculation.h"
#include "electrical/run.h"
#include "electrical/site_rows.h"
#include "i18n/messages.h"
#include "loop/device_limits.h"
#include "loop/loop_form_model.h"
#include "site/table.h"

namespace velmora::loop {
namespace {

using i18n::Msg;

enum class Field { kOther, kQuantity, kTypeText, kSubType };

Field FieldOf(const QString& column) {
  if (column.compare("DeviceQuantity", Qt::CaseInsensitive) == 0) return Field::kQuantity;
  if (column.compare("DeviceTypeText", Qt::CaseInsensitive) == 0) return Field::kTypeText;
  if (column.compare("DeviceSub-Type", Qt::CaseInsensitive) == 0) return Field::kSubType;
  return Field::kOther;
}

// A type or sub-type cell with nothing chosen (a new row holds a single blank).
bool IsBlank(const QString& text) { return text.trimmed().isEmpty(); }

// Before a device row is stored, the last valid quantity becomes the quantity the row had.
void NoteStoredQuantity(Run& run, qint64 rowid) {
  run.state.SetLastValidQuantity(0);
  site::Row stored;
  if (rowid == 0 || !run.doc.Db().ReadRow("Devices", rowid, &stored)) return;
  const int c_quantity = run.doc.Db().ColumnIndex("Devices", "DeviceQuantity");
  if (!electrical::IsEmptyAt(stored, c_quantity))
    run.state.SetLastValidQuantity(int(electrical::IntAt(stored, c_quantity)));
}

// Stores the grid's pending edit of the current row.
void StorePending(Run& run, site::Table& devices) {
  switch (devices.GetState()) {
    case site::Table::State::kBrowse:
      return;
    case site::Table::State::kInsert:
      run.state.SetLastValidQuantity(0);
      break;
    case site::Table::State::kEdit:
      NoteStoredQuantity(run, devices.Bookmark());
      break;
  }
  devices.Post();
}

// The program's own write to a device row, past the change listener.
void WriteCells(Run& run, qint64 rowid,
                std::initializer_list<std::pair<const char*, QVariant>> cells) {
  site::Database& db = run.doc.Db();
  NoteStoredQuantity(run, rowid);
  std::vector<std::pair<int, QVariant>> values;
  for (const auto& [column, value] : cells)
    values.emplace_back(db.ColumnIndex("Devices", column), value);
  db.Update("Devices", rowid, values);
}

}  // namespace

void DeviceRowEditor::OnStoreChange(const QString& table, const QString& column) {
  if (table.compare("Devices", Qt::CaseInsensitive) != 0) return;
  OnDeviceFieldChanged(column);
}

void DeviceRowEditor::OnDeviceFieldChanged(const QString& column) {
  if (!run_.state.DeviceEventsOn()) return;
  const Field field = FieldOf(column);
  if (field == Field::kOther) return;
  site::FlagScope loading(&run_.state, &site::RunState::SetLoading, &site::RunState::Loading, true);
  site::Table& devices = run_.doc.Devices();
  site::Transaction transaction(&run_.doc.Db());
  StorePending(run_, devices);
  const qint64 rowid = devices.Bookmark();
  if (rowid == 0) return;
  const int panel = int(devices.Int("Panel"));
  const int loop = int(devices.Int("Loop"));
  const QString type_text = devices.Text("DeviceTypeText");
  const QString sub_type = devices.Text("DeviceSub-Type");
  const QVariant none;  // an emptied cell

  switch (field) {
    case Field::kQuantity: {
      // A row without its device is stored as it is, with nothing to check or recalculate.
      if (IsBlank(type_text) || IsBlank(sub_type)) {
        transaction.Commit();
        return;
      }
      const qint64 quantity = devices.Int("DeviceQuantity");
      bool ok = CheckLoopGroupLimits(run_, panel, loop);
      ok = CheckDeviceTypeLimits(run_, panel, loop) && ok;
      if (ok) {
        run_.state.SetLastValidQuantity(int(quantity));
      } else {
        // At this point the last valid quantity is the one the row had before this edit.
        const int restored = run_.state.LastValidQuantity();
        WriteCells(run_, rowid, {{"DeviceQuantity", qint64(restored)}});
        run_.state.SetLastValidQuantity(restored);
        emit form_.FocusQuantity();
      }
      break;
    }
    case Field::kTypeText: {
      const bool listed = form_.device_types.contains(type_text);
      if (listed) {
        const QStringList offered = catalogue::ListDeviceSubTypes(run_.catalogue, type_text);
        form_.device_sub_types = offered;
        const auto code = catalogue::DeviceTypeCodeOfText(run_.catalogue.Translation(), type_text);
        if (!offered.isEmpty() && code) {
          WriteCells(run_, rowid,
                     {{"DeviceSub-Type", none},
                      {"QuiesentCurrent", 0.0},
                      {"AlarmCurrent", 0.0},
                      {"DeviceTypeCode", *code}});
        } else {
          WriteCells(run_, rowid,
                     {{"DeviceSub-Type", none}, {"QuiesentCurrent", 0.0}, {"AlarmCurrent", 0.0}});
        }
      } else if (IsBlank(type_text)) {
        WriteCells(run_, rowid, {{"DeviceSub-Type", none}});
      } else {
        run_.prompter.Warn(i18n::Text(Msg::kNotAValidValue));
        WriteCells(run_, rowid, {{"DeviceTypeText", none}, {"DeviceSub-Type", none}});
      }
      break;
    }
    case Field::kSubType: {
      bool valid = form_.device_sub_types.contains(sub_type);
      if (valid && !IsBlank(type_text) && !IsBlank(sub_type)) {
        valid = CheckLoopGroupLimits(run_, panel, loop);
        valid = CheckDeviceTypeLimits(run_, panel, loop) && valid;
        if (!valid) WriteCells(run_, rowid, {{"DeviceQuantity", qint64(0)}});
      }
      if (IsBlank(sub_type)) valid = true;
      if (!valid) {
        run_.prompter.Warn(i18n::Text(Msg::kNotAValidValue));
        WriteCells(run_, rowid, {{"DeviceSub-Type", none}});
      }
      break;
    }
    case Field::kOther:
      break;
  }
  Recalculate(panel, loop);
  transaction.Commit();
}

void DeviceRowEditor::Recalculate(int panel, int loop) {
  const electrical::DeviceEdit result =
      electrical::RecalculateDeviceEdit(run_, panel, loop, form_.LengthValue(), form_.v3);
  form_.device_spacing = result.spacing_text;
  form_.Touch();
}

void DeviceRowEditor::AddDeviceRow() {
  const site::TreeSelection selection = run_.tree.ResolveTreeSelection();
  if (selection.root_selected || selection.panel <= 0 || selection.loop <= 0 ||
      selection.outputs_selected)
    return;
  site::Table& devices = run_.doc.Devices();
  {
    site::FlagScope quiet(&run_.state, &site::RunState::SetDeviceEventsOn,
                          &site::RunState::DeviceEventsOn, false);
    site::Transaction transaction(&run_.doc.Db());
    devices.Append();
    devices.SetValue("Panel", selection.panel);
    devices.SetValue("Loop", selection.loop);
    devices.SetValue("DeviceQuantity", 0);
    devices.SetValue("DeviceTypeCode", 0);
    devices.SetValue("DeviceSub-Type", QStringLiteral(" "));
    devices.SetValue("UnitQuiesentCurrent", 0.0);
    devices.SetValue("QuiesentCurrent", 0.0);
    devices.SetValue("UnitAlarmCurrent", 0.0);
    devices.SetValue("AlarmCurrent", 0.0);
    run_.state.SetLastValidQuantity(0);  // the new row had no quantity stored
    devices.Post();
    transaction.Commit();
  }
  form_.device_sub_types = QStringList{i18n::Text(Msg::kNone)};
  form_.Touch();
}

void DeviceRowEditor::DeleteDeviceRow() {
  const site::TreeSelection selection = run_.tree.ResolveTreeSelection();
  if (selection.root_selected || selection.panel <= 0 || selection.loop <= 0 ||
      selection.outputs_selected)
    return;
  site::Database& db = run_.doc.Db();
  if (db.Count("Devices", electrical::DevicesOfLoop(selection.panel, selection.loop)) < 2) {
    run_.prompter.Warn(i18n::Text(Msg::kLastItemCannotBeDeleted));
    return;
  }
  if (!run_.prompter.AskYesNo(i18n::Text(Msg::kSureToDeleteRow))) return;
  site::Table& devices = run_.doc.Devices();
  site::FlagScope loading(&run_.state, &site::RunState::SetLoading, &site::RunState::Loading, true);
  site::Transaction transaction(&db);
  if (devices.GetState() == site::Table::State::kInsert) {
    devices.Cancel();  // a new row not stored yet is simply dropped
  } else {
    if (devices.Int("Panel") != selection.panel || devices.Int("Loop") != selection.loop) return;
    devices.Delete();
  }
  // The loop's figures no longer count the deleted devices.
  Recalculate(selection.panel, selection.loop);
  transaction.Commit();
}

void DeviceRowEditor::OnDeviceViewShown() {
  form_.device_sub_types = QStringList{i18n::Text(Msg::kNone)};
  form_.device_types = catalogue::ListDeviceTypes(run_.catalogue);
  form_.copying_v1 = false;
  form_.copying_v3 = false;
  form_.Touch();
}

void DeviceRowEditor::OnGridCellClicked(bool sub_type_column) {
  run_.state.MarkModified();
  if (!sub_type_column) return;
  const QString type_text = run_.doc.Devices().Text("DeviceTypeText");
  if (type_text.isEmpty() || type_text == i18n::Text(Msg::kNone)) return;
  QStringList sub_types = catalogue::ListDeviceSubTypes(run_.catalogue, type_text);
  std::sort(sub_types.begin(), sub_types.end(), [](const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) < 0;
  });
  form_.device_sub_types = sub_types;
  form_.Touch();
}

}  // namespace velmora::loop
