#pragma once

#include <QString>
#include <optional>

#include "electrical/panel_power.h"

namespace velmora {
struct Run;
}

namespace velmora::loop {

class LoopFormModel;

// The loop settings of the device view: loading a loop into its controls, storing them, and the
// handling of each control's change with its limits and warnings. Every handler returns at once
// while the run is loading.
class LoopSettings {
 public:
  LoopSettings(Run& run, LoopFormModel& form) : run_(run), form_(form) {}

  // Fills the controls from the Loops row, opens the device table of the panel's protocol and
  // shows the device spacing, with Loading set meanwhile.
  void LoadLoopIntoView(int panel, int loop);

  // Writes the eight loop columns from the controls and runs RecalculateLoopPanel, in one
  // transaction. A length text that is not a whole number is reported and nothing is stored.
  // Nothing while Loading; nothing when the controls show no loop.
  std::optional<electrical::PanelPower> StoreLoopFromView();

  // The length field left, or Enter pressed in it.
  void OnLengthAccepted();
  // The spin fields of the two diagrams.
  void OnV1Changed(int value);
  void OnV3Changed(int value);
  void OnOneLocationClicked(bool ticked);
  void OnSpreadClicked(bool ticked);
  void OnCableChosen(int index);
  // The alarm-indicator field's text changed.
  void OnAlarmIndicatorsChanged(const QString& text);

  // The distance between devices of the loop for a length, into the spread diagram.
  void ShowDeviceSpacing(int panel, int loop, qint64 length);

  // "Prot" followed by the protocol index of the panel selected in the site tree; empty when it
  // has no protocol.
  QString CurrentProtocolKey();
  // MaxLoopLength of the protocol of the loop's panel; none when there is no lookup row for it
  // (or it holds no positive length): then any length is accepted.
  std::optional<qint64> MaxLoopLength();

 private:
  // Writes the loop row from the controls; false (with the message) when the length does not
  // convert.
  bool WriteLoopRow();

  Run& run_;
  LoopFormModel& form_;
};

// A whole number in the range of a stored integer, or none.
std::optional<qint64> WholeNumber(const QString& text);

}  // namespace velmora::loop
