#include "app/cli_check.h"

#include <QHash>
#include <algorithm>

#include "catalogue/device_catalogue.h"
#include "electrical/device_rows.h"
#include "electrical/loop_check.h"
#include "electrical/loop_currents.h"
#include "electrical/panel_power.h"
#include "electrical/recalculation.h"
#include "electrical/run.h"
#include "electrical/site_rows.h"
#include "electrical/site_status.h"
#include "i18n/messages.h"
#include "site/table.h"

namespace velmora::app {

using electrical::BoolAt;
using electrical::IntAt;
using electrical::RealAt;
using electrical::RowSet;
using electrical::TextAt;

void RecalculateSite(Run& run) {
  site::Database& doc = run.doc.Db();
  site::Transaction transaction(&doc);
  const QString open_table = run.catalogue.DeviceCompat().Name();
  RowSet panels(doc, "Panels");
  RowSet loops(doc, "Loops");
  const int p_number = panels.Col("Panel Number");
  const int l_panel = loops.Col("PanelNumber");
  const int l_number = loops.Col("LoopNumber");
  for (const site::Row& panel : panels.Rows()) {
    const int p = int(IntAt(panel, p_number));
    catalogue::SelectProtocolDeviceTable(run.catalogue,
                                         electrical::ProtocolIndexOfPanel(panels, panel));
    for (const site::Row& loop : loops.Rows()) {
      if (IntAt(loop, l_panel) != p) continue;
      const int l = int(IntAt(loop, l_number));
      electrical::UpdateDeviceRowCurrents(run, p, l);
      electrical::RecalculateLoopCurrents(run, p, l);
      electrical::CheckLoopOverload(run, p, l);
    }
    electrical::CollectLoopStatus(run, p);
  }
  if (run.catalogue.DeviceCompat().Name() != open_table) {
    run.catalogue.DeviceCompat().SetName(open_table);
    run.catalogue.OpenDeviceCatalogue();
  }
  electrical::RecalculateShownSite(run);
  transaction.Commit();
}

bool SiteCheck::Passed() const {
  return std::all_of(panels.begin(), panels.end(), [](const PanelCheck& panel) {
    return panel.psu_ok && std::all_of(panel.loops.begin(), panel.loops.end(),
                                       [](const LoopCheck& loop) { return loop.ok; });
  });
}

SiteCheck ReadSiteCheck(Run& run) {
  site::Database& doc = run.doc.Db();
  SiteCheck check;
  RowSet site(doc, "Site");
  const std::vector<site::Column>& site_columns = doc.Columns("Site");
  for (int c = 0; c < int(site_columns.size()); ++c) {
    check.site.emplace_back(site_columns[c].name,
                            site.First() ? site.First()->values[c] : QVariant());
  }

  RowSet panels(doc, "Panels");
  RowSet loops(doc, "Loops");
  RowSet outputs(doc, "Outputs");
  // The loops and outputs of every panel, found in one pass over each table, in stored order.
  QHash<qint64, std::vector<const site::Row*>> loops_of;
  for (const site::Row& l : loops.Rows())
    loops_of[IntAt(l, loops.Col("PanelNumber"))].push_back(&l);
  QHash<qint64, std::vector<const site::Row*>> outputs_of;
  for (const site::Row& o : outputs.Rows())
    outputs_of[IntAt(o, outputs.Col("Panel"))].push_back(&o);
  const bool loop_flag = run.doc.LoopsHaveOkBoolean();
  const bool panel_flags = run.doc.PanelsHaveStatusFlags();
  for (const site::Row& row : panels.Rows()) {
    PanelCheck panel;
    panel.number = int(IntAt(row, panels.Col("Panel Number")));
    panel.name = TextAt(row, panels.Col("Panel Name"));
    panel.quiescent_panel = TextAt(row, panels.Col("Quiescent Current Panel"));
    panel.alarm_panel = TextAt(row, panels.Col("Alarm Current Panel"));
    panel.quiescent_total = TextAt(row, panels.Col("Quiescent Current Total"));
    panel.alarm_total = TextAt(row, panels.Col("Alarm Current Total"));
    panel.battery_capacity = TextAt(row, panels.Col("Battery Capacity"));
    panel.battery = TextAt(row, panels.Col("Battery"));
    panel.loop_loads = TextAt(row, panels.Col("Loop Loads"));
    panel.psu_ok = panel_flags ? BoolAt(row, panels.Col("OKBooleanPSU"))
                               : !electrical::CalculatePanelPower(run, panel.number).Overloaded();
    for (const site::Row* row_of_loop : loops_of.value(panel.number)) {
      const site::Row& l = *row_of_loop;
      LoopCheck loop;
      loop.number = int(IntAt(l, loops.Col("LoopNumber")));
      loop.quiescent = RealAt(l, loops.Col("QuiescentCurrent"));
      loop.alarm = RealAt(l, loops.Col("AlarmCurrent"));
      loop.drop = RealAt(l, loops.Col("Drop"));
      loop.status = TextAt(l, loops.Col("OK"));
      loop.ok = loop_flag ? BoolAt(l, loops.Col("OKBoolean"))
                          : !loop.status.startsWith(i18n::Text(i18n::Msg::kLoopOverload));
      panel.loops.push_back(loop);
    }
    for (const site::Row* row_of_output : outputs_of.value(panel.number)) {
      const site::Row& o = *row_of_output;
      OutputCheck output;
      output.number = int(IntAt(o, outputs.Col("OutputNumber")));
      output.name = TextAt(o, outputs.Col("Output"));
      output.max = IntAt(o, outputs.Col("MAX"));
      output.quiescent = RealAt(o, outputs.Col("QuiesentCurrent"));
      output.alarm = RealAt(o, outputs.Col("AlarmCurrent"));
      panel.outputs.push_back(output);
    }
    std::stable_sort(
        panel.outputs.begin(), panel.outputs.end(),
        [](const OutputCheck& a, const OutputCheck& b) { return a.number < b.number; });
    check.panels.push_back(std::move(panel));
  }
  return check;
}

}  // namespace velmora::app
