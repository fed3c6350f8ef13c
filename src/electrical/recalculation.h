#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "electrical/calc.h"
#include "electrical/site_data.h"

namespace velmora::electrical {

// One loop as the recalculation found it.
struct LoopResult {
  int panel = 0;
  int loop = 0;
  qint64 alarm_indicators = 0;  // the budget the totals spent
  LoopCheckInput input;
  LoopCheck check;
  bool passes = true;  // stored as OKBoolean
  QString status;      // stored as OK
};

// One panel as the recalculation found it.
struct PanelResult {
  int panel = 0;
  QString name;
  bool known = true;  // the catalogue has its variant for the site's sales channel
  int protocol = -1;  // index of its protocol flag; -1 when none is set
  ProtocolLimits limits;
  PanelPowerInput power_input;  // what its power and battery were worked out from
  PanelPower power;
  PanelState state;
  std::optional<double> housing_battery;
  double rounded_capacity = 0.0;
  QString battery;
  QString status;  // "Loop Loads"
  // The loops that count toward the protocol's detector and module limits.
  bool SupplyOk() const { return known && power.SupplyOk(); }
};

struct Recalculation {
  std::vector<LoopResult> loops;
  std::vector<PanelResult> panels;
  int written_cells = 0;  // cells that held another value before

  const LoopResult* Loop(int panel, int loop) const;
  const PanelResult* Panel(int panel) const;
};

// The warnings the checks give, as message boxes and the command-line tool show them: "Loop 4 :
// Loop Overload [E04]" for an overloaded loop (empty when it passes), and one line per current
// the panel's supply cannot give.
QString LoopOverloadWarning(const LoopResult& loop);
QStringList SupplyWarnings(const PanelResult& panel);

// Brings every stored result of the panels up to date from their rows, in one pass over the
// rows of each table: the currents, lowest voltage and count group of every device row from
// the device table of its panel's protocol; each loop's totals, drop, status text and flag; the
// panel's loop and supply flags, current texts, battery and status text. Only cells whose value
// changes are written. An empty list means every panel of the site. With `write` false nothing
// is stored: the results are only computed.
Recalculation RecalculatePanels(SiteData& data, const std::vector<int>& panels = {},
                                bool write = true);

// Every row of the site's panels, loops, devices and outputs, in stored order.
struct SiteRows {
  std::vector<site::Row> panels;
  std::vector<site::Row> loops;
  std::vector<site::Row> devices;
  std::vector<site::Row> outputs;
};
// The same for every panel of the site, from its rows as the caller has just read them: the
// rows are not read again. They are worked on and changed to the results.
Recalculation RecalculateRows(SiteData& data, SiteRows rows, bool write = true);

// The current lines of the panel on view (the scratch table Currents, rebuilt every time).
enum class LineSet {
  kNone,     // no panel on view: the table is emptied
  kPanel,    // the panel's own line, its loops, its outputs and the total
  kLoops,    // a loop on view: the panel's loop lines and their total
  kOutputs,  // the outputs on view: the output lines and their total
};
// With the technical detail on, the loop lines' status carries the drop. `known` is the panel's
// result as a recalculation of the current rows has just given it, when the caller has one; else
// the panel is worked out again.
void WriteCurrentLines(SiteData& data, int panel, LineSet lines, bool technical_detail,
                       const PanelResult* known = nullptr);

// The counted devices of a loop for the device spacing: quantity times min(DeviceCount, 1) of
// each row's device in its panel's device table.
qint64 SpacingDeviceCount(SiteData& data, int panel, int loop);

// The limits of a panel's protocol from its stored flags, type and housing.
ProtocolLimits PanelLimits(SiteData& data, int panel);

}  // namespace velmora::electrical
