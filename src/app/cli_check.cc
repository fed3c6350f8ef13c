#include "app/cli_check.h"

#include <QHash>
#include <algorithm>

#include "electrical/recalculation.h"
#include "electrical/site_rows.h"
#include "site/table.h"

namespace velmora::app {

using electrical::BoolAt;
using electrical::IntAt;
using electrical::RealAt;
using electrical::TextAt;

void RecalculateSite(SiteData& data) {
  site::Transaction transaction(&data.doc.Db());
  electrical::RecalculatePanels(data);
  transaction.Commit();
}

bool SiteCheck::Passed() const {
  return std::all_of(panels.begin(), panels.end(), [](const PanelCheck& panel) {
    return panel.psu_ok && std::all_of(panel.loops.begin(), panel.loops.end(),
                                       [](const LoopCheck& loop) { return loop.ok; });
  });
}

SiteCheck ReadSiteCheck(SiteData& data, bool technical_detail) {
  site::Database& doc = data.doc.Db();
  const site::SiteColumns& c = data.Cols();
  SiteCheck check;
  const std::vector<site::Row> site = doc.Select("Site");
  const std::vector<site::Column>& site_columns = doc.Columns("Site");
  for (int i = 0; i < int(site_columns.size()); ++i) {
    check.site.emplace_back(site_columns[i].name,
                            site.empty() ? QVariant() : site.front().values[i]);
  }
  // The verdicts as the rows give them, whatever layout the file has.
  const electrical::Recalculation found = electrical::RecalculatePanels(data, {}, false);
  const std::vector<site::Row> panels = doc.Select("Panels");
  const std::vector<site::Row> loops = doc.Select("Loops");
  const std::vector<site::Row> outputs = doc.Select("Outputs");
  // The loops and outputs of every panel, found in one pass over each table, in stored order.
  QHash<qint64, std::vector<const site::Row*>> loops_of;
  for (const site::Row& l : loops) loops_of[IntAt(l, c.loops.panel)].push_back(&l);
  QHash<qint64, std::vector<const site::Row*>> outputs_of;
  for (const site::Row& o : outputs) outputs_of[IntAt(o, c.outputs.panel)].push_back(&o);
  for (const site::Row& row : panels) {
    PanelCheck panel;
    panel.number = int(IntAt(row, c.panels.number));
    panel.name = TextAt(row, c.panels.name);
    panel.quiescent_panel = TextAt(row, c.panels.q_panel);
    panel.alarm_panel = TextAt(row, c.panels.a_panel);
    panel.quiescent_total = TextAt(row, c.panels.q_total);
    panel.alarm_total = TextAt(row, c.panels.a_total);
    panel.battery_capacity = TextAt(row, c.panels.battery_capacity);
    panel.battery = TextAt(row, c.panels.battery);
    panel.loop_loads = TextAt(row, c.panels.loop_loads);
    const electrical::PanelResult* result = found.Panel(panel.number);
    panel.psu_ok = result != nullptr && result->SupplyOk();
    for (const site::Row* row_of_loop : loops_of.value(panel.number)) {
      const site::Row& l = *row_of_loop;
      LoopCheck loop;
      loop.number = int(IntAt(l, c.loops.number));
      loop.quiescent = RealAt(l, c.loops.quiescent);
      loop.alarm = RealAt(l, c.loops.alarm);
      loop.drop = RealAt(l, c.loops.drop);
      loop.status = TextAt(l, c.loops.ok);
      if (technical_detail) loop.status = electrical::WithDrop(loop.status, loop.drop);
      const electrical::LoopResult* r = found.Loop(panel.number, loop.number);
      loop.ok = r != nullptr && r->passes;
      if (r != nullptr) {
        loop.codes = r->check.CodeList();
        loop.profile = electrical::ProfileOf(*r);
      }
      panel.loops.push_back(loop);
    }
    for (const site::Row* row_of_output : outputs_of.value(panel.number)) {
      const site::Row& o = *row_of_output;
      OutputCheck output;
      output.number = int(IntAt(o, c.outputs.number));
      output.name = TextAt(o, c.outputs.name);
      output.max = IntAt(o, c.outputs.max);
      output.quiescent = RealAt(o, c.outputs.quiescent);
      output.alarm = RealAt(o, c.outputs.alarm);
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
