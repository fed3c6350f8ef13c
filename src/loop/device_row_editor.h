#pragma once

#include <QString>

namespace velmora {
struct Run;
}

namespace velmora::loop {

class LoopFormModel;

// The device rows of the loop on view: adding and deleting rows, and the handling of a changed
// quantity, type or sub-type of the device grid's current row (the current row of the working
// copy's Devices view) with the loop's limits and the recalculation that follows.
class DeviceRowEditor {
 public:
  DeviceRowEditor(Run& run, LoopFormModel& form) : run_(run), form_(form) {}

  // For the store's change listener: a column of a site table was written. Only Devices columns
  // are handled, and only while device events are on.
  void OnStoreChange(const QString& table, const QString& column);

  // OnDeviceFieldChanged: a column value of the current device row changed. Expects the value as
  // the grid wrote it, pending in the current row of the Devices view (the row is stored here
  // first); a write through any other cursor is not the grid's and is ignored. Handles
  // DeviceQuantity, DeviceTypeText and DeviceSub-Type; other columns are ignored. Runs with
  // Loading set, in one transaction with its recalculation.
  //
  // The program's own writes to the row here (a quantity put back, a sub-type or type emptied,
  // the quantity set to 0) are made with device events off and handled as their re-entry would
  // be, so one edit runs the recalculation, and shows the power-supply warnings, once.
  void OnDeviceFieldChanged(const QString& column);

  // AddDeviceRow: an empty row at the end of the loop selected in the site tree, made current.
  void AddDeviceRow();
  // DeleteDeviceRow: deletes the current row after the question, never the loop's last row; the
  // loop and panel figures are recalculated as after an edit.
  void DeleteDeviceRow();

  // The view was shown: sub-type list "None", type list from the catalogue, copy guards cleared.
  void OnDeviceViewShown();
  // A grid cell was clicked: the document is changed; in the sub-type column the sub-type list is
  // refilled for the row's type, sorted without regard to case.
  void OnGridCellClicked(bool sub_type_column);

 private:
  // The loop's recalculation after a handled change, with the spacing for the view.
  void Recalculate(int panel, int loop);

  Run& run_;
  LoopFormModel& form_;
};

}  // namespace velmora::loop
