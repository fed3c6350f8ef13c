#include "electrical/recalculation.h"

#include "electrical/device_rows.h"
#include "electrical/loop_check.h"
#include "electrical/loop_currents.h"
#include "electrical/output_check.h"
#include "electrical/run.h"
#include "electrical/site_status.h"
#include "i18n/messages.h"
#include "site/table.h"

namespace velmora::electrical {

using i18n::Msg;

void WarnPowerSupply(Run& run, const PanelPower& power) {
  if (power.quiescent_overload) {
    run.prompter.Warn(i18n::Text(Msg::kPowerSupplyOverload) + " : " +
                      i18n::Text(Msg::kQuiescentCurrent));
  }
  if (power.alarm_overload) {
    run.prompter.Warn(i18n::Text(Msg::kPowerSupplyOverload) + " : " +
                      i18n::Text(Msg::kAlarmCurrent));
  }
}

DeviceEdit RecalculateDeviceEdit(Run& run, int panel, int loop, qint64 length, qint64 v3) {
  site::Transaction transaction(&run.doc.Db());
  DeviceEdit result;
  UpdateDeviceRowCurrents(run, panel, loop);
  RecalculateLoopCurrents(run, panel, loop);
  result.power = RecalculateLoopPanel(run, panel, loop);
  WarnPowerSupply(run, result.power);
  result.spacing_text = DeviceSpacingText(run, panel, loop, length, v3);
  transaction.Commit();
  return result;
}

PanelPower RecalculateLoopPanel(Run& run, int panel, int loop) {
  site::Transaction transaction(&run.doc.Db());
  CheckLoopOverload(run, panel, loop);
  CollectLoopStatus(run, panel);
  ClearCurrentLines(run);
  WriteLoopLines(run, panel);
  const PanelPower power = CalculatePanelPower(run, panel);
  WriteTotalLine(run, panel, power);
  transaction.Commit();
  return power;
}

PanelPower RecalculateAlarmIndicators(Run& run, int panel, int loop) {
  site::Transaction transaction(&run.doc.Db());
  RecalculateLoopPanel(run, panel, loop);
  RecalculateLoopCurrents(run, panel, loop);
  const PanelPower power = RecalculateLoopPanel(run, panel, loop);
  transaction.Commit();
  return power;
}

OutputEdit RecalculateOutputEdit(Run& run, int panel) {
  site::Transaction transaction(&run.doc.Db());
  OutputEdit result;
  result.exceeded = CheckOutputCurrents(run, panel);
  if (result.exceeded) {
    transaction.Commit();
    run.prompter.Warn(i18n::Text(Msg::kSystemSpecificationExceeded));
    return result;
  }
  ClearCurrentLines(run);
  WriteOutputLines(run, panel);
  result.power = CalculatePanelPower(run, panel);
  WriteTotalLine(run, panel, result.power);
  UpdatePanelLoadStatus(run, panel);
  transaction.Commit();
  WarnPowerSupply(run, result.power);
  return result;
}

PanelShown RecalculateShownPanel(Run& run, int panel) {
  site::Transaction transaction(&run.doc.Db());
  PanelShown shown;
  ClearCurrentLines(run);
  RefreshPanelSummaries(run);
  WritePanelLine(run, panel);
  WriteLoopLines(run, panel);
  WriteOutputLines(run, panel);
  shown.power = CalculatePanelPower(run, panel);
  WriteTotalLine(run, panel, shown.power);
  shown.battery_text = ShowPanelBattery(run, panel);
  transaction.Commit();
  return shown;
}

void RecalculateShownSite(Run& run) {
  site::Transaction transaction(&run.doc.Db());
  ClearCurrentLines(run);
  RefreshPanelSummaries(run);
  transaction.Commit();
}

void RecalculateOpenedSite(Run& run) {
  site::Transaction transaction(&run.doc.Db());
  const qint64 panels = run.doc.Db().Count("Panels");
  for (int p = 1; p <= panels; ++p) UpdatePanelLoadStatus(run, p);
  transaction.Commit();
}

namespace {

// The current lines of one part of a panel with the total line below them: the total sums only
// the lines shown with it.
PanelPower LinesWithTotal(Run& run, int panel, void (*write_lines)(Run&, int)) {
  site::Transaction transaction(&run.doc.Db());
  ClearCurrentLines(run);
  write_lines(run, panel);
  const PanelPower power = CalculatePanelPower(run, panel);
  WriteTotalLine(run, panel, power);
  transaction.Commit();
  return power;
}

}  // namespace

PanelPower RecalculateShownLoop(Run& run, int panel) {
  return LinesWithTotal(run, panel, &WriteLoopLines);
}

PanelPower RecalculateShownOutputs(Run& run, int panel) {
  return LinesWithTotal(run, panel, &WriteOutputLines);
}

}  // namespace velmora::electrical
