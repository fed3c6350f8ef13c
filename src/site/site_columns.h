#pragma once

#include <QString>
#include <vector>

#include "site/database.h"

namespace velmora::site {

// The column positions of the six site tables, looked up once when the working copy is opened.
// A column every layout has is required: a table without it is refused there, by name, rather
// than read as empty later. Columns that older layouts lack are -1 where a table has none.

struct SiteRowColumns {
  // The text fields in the order of the site view: SiteName ... Comment.
  std::vector<int> texts;
  int name = -1, date = -1, standby = -1, alarm = -1, channel = -1;
};

struct PanelColumns {
  int number = -1, name = -1, type = -1, housing = -1, channel = -1;
  // Prot0 ..., Opt0 ..., Psu0 ...: as many as Panels has columns beginning with "Pro", "Opt" and
  // "Psu" (case as written); -1 for a member of a family that the table does not carry.
  std::vector<int> protocols, options, power_supplies;
  int q_panel = -1, a_panel = -1, q_total = -1, a_total = -1;
  int battery_capacity = -1, battery = -1, loop_loads = -1;
  int loops_ok = -1, psu_ok = -1;  // older layouts have neither
  bool HasStatusFlags() const { return loops_ok >= 0 && psu_ok >= 0; }
};

struct LoopColumns {
  int panel = -1, number = -1, name = -1, cable = -1, resistance = -1, length = -1;
  int alarm_indicators = -1, one_location = -1, one_location_length = -1, spread = -1;
  int spread_length = -1, quiescent = -1, alarm = -1, drop = -1, ok = -1;
  int ok_flag = -1;  // OKBoolean; older layouts have none
};

struct DeviceColumns {
  int id = -1, panel = -1, loop = -1, quantity = -1, type_code = -1, type_text = -1;
  int sub_type = -1, unit_q = -1, row_q = -1, unit_a = -1, row_a = -1, lowest_v = -1;
  int group = -1;
};

struct OutputColumns {
  int panel = -1, number = -1, name = -1, max = -1, quiescent = -1, alarm = -1;
};

struct CurrentColumns {
  int panel = -1, type = -1, description = -1, quiescent = -1, alarm = -1, comment = -1;
};

struct SiteColumns {
  SiteRowColumns site;
  PanelColumns panels;
  LoopColumns loops;
  DeviceColumns devices;
  OutputColumns outputs;
  CurrentColumns currents;
};

// Resolves every column set of a site document. Throws StoreError naming the first required
// column that a table lacks.
SiteColumns ResolveSiteColumns(Database& db);

// Number of columns of a table whose names begin with a prefix, case as written.
int CountColumnsWithPrefix(Database& db, const QString& table, const QString& prefix);

}  // namespace velmora::site
