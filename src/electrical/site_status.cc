#include "electrical/site_status.h"

#include "electrical/run.h"
#include "electrical/site_rows.h"
#include "i18n/messages.h"

namespace velmora::electrical {

using i18n::Msg;

QString PanelStatusText(bool has_flags, bool loops_ok, bool supply_ok) {
  if (!has_flags) return QStringLiteral("-");
  if (loops_ok && supply_ok) return i18n::Text(Msg::kOk);
  if (!loops_ok && supply_ok) return i18n::Text(Msg::kLoopOverload);
  if (loops_ok) return i18n::Text(Msg::kPowerSupplyOverload);
  return i18n::Text(Msg::kLoopOverload) + " , " + i18n::Text(Msg::kPowerSupplyOverload);
}

bool CollectLoopStatus(Run& run, int panel) {
  site::Database& db = run.doc.Db();
  RowSet loops(db, "Loops", LoopsOfPanel(panel));
  const bool has_flag = HasLoopFlag(loops);
  const int c_flag = loops.Col("OKBoolean");
  const int c_ok = loops.Col("OK");
  const QString loop_ok = i18n::Text(Msg::kLoopOk);
  bool all_pass = true;
  for (const site::Row& row : loops.Rows()) {
    bool passes;
    if (has_flag) {
      passes = BoolAt(row, c_flag);
    } else {
      // Older layouts keep only the text; a passing loop may carry its drop after the words.
      const QString text = TextAt(row, c_ok);
      passes = text == loop_ok || text.startsWith(loop_ok + " (");
    }
    all_pass = all_pass && passes;
  }
  RowSet panels(db, "Panels", PanelKey(panel));
  if (site::Row* row = panels.First(); row != nullptr && HasPanelFlags(panels)) {
    RowEdit edit(panels, *row);
    edit.Set(panels.Col("OKBooleanLoops"), qint64(all_pass ? 1 : 0));
    edit.Store();
  }
  return all_pass;
}

void UpdatePanelLoadStatus(Run& run, int panel) {
  RowSet panels(run.doc.Db(), "Panels", PanelKey(panel));
  site::Row* row = panels.First();
  if (row == nullptr) return;
  const bool has_flags = HasPanelFlags(panels);
  RowEdit edit(panels, *row);
  edit.Set(panels.Col("Loop Loads"),
           PanelStatusText(has_flags, BoolAt(*row, panels.Col("OKBooleanLoops")),
                           BoolAt(*row, panels.Col("OKBooleanPSU"))));
  const int c_channel = panels.Col("SalesChannel");
  if (TextAt(*row, c_channel) == "Halvo") edit.Set(c_channel, QStringLiteral("Tarvik"));
  edit.Store();
}

}  // namespace velmora::electrical
