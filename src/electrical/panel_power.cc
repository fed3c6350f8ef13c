#include "electrical/panel_power.h"

#include <QHash>
#include <algorithm>
#include <cmath>
#include <limits>

#include "catalogue/catalogue.h"
#include "catalogue/panel_spec.h"
#include "electrical/number_format.h"
#include "electrical/run.h"
#include "electrical/site_rows.h"
#include "electrical/site_status.h"
#include "i18n/messages.h"
#include "site/run_state.h"

namespace velmora::electrical {
namespace {

using i18n::Msg;

struct SiteHours {
  double standby = 0.0;
  double alarm = 0.0;
};

SiteHours ReadSiteHours(Run& run) {
  RowSet site(run.doc.Db(), "Site");
  SiteHours hours;
  if (const site::Row* row = site.First()) {
    hours.standby = RealAt(*row, site.Col("StandbyTime"));
    hours.alarm = RealAt(*row, site.Col("AlarmTime"));
  }
  return hours;
}

// What the loops and the outputs of one panel draw.
struct Draw {
  double loops_q = 0.0;
  double loops_a = 0.0;
  double outputs_q = 0.0;
  double outputs_a = 0.0;
};

void AddLoops(RowSet& loops, Draw* draw) {
  const int c_q = loops.Col("QuiescentCurrent");
  const int c_a = loops.Col("AlarmCurrent");
  for (const site::Row& row : loops.Rows()) {
    draw->loops_q += RealAt(row, c_q);
    draw->loops_a += RealAt(row, c_a);
  }
}

void AddOutputs(RowSet& outputs, Draw* draw) {
  const int c_q = outputs.Col("QuiesentCurrent");
  const int c_a = outputs.Col("AlarmCurrent");
  for (const site::Row& row : outputs.Rows()) {
    draw->outputs_q += RealAt(row, c_q);
    draw->outputs_a += RealAt(row, c_a);
  }
}

// The supply limit of one cell: none without the column; an empty cell is smaller than any
// number, as the store compares.
std::optional<double> SupplyLimit(RowSet& spec, const site::Row& row, const QString& column) {
  const int c = spec.Col(column);
  if (c < 0) return std::nullopt;
  return IsEmptyAt(row, c) ? -std::numeric_limits<double>::infinity() : RealAt(row, c);
}

struct PanelResult {
  PanelPower power;
  std::optional<double> housing_battery;  // BattSize of the first specification row
};

PanelResult PowerOf(Run& run, RowSet& panels, const site::Row& panel_row, const SiteHours& hours,
                    const Draw& draw) {
  PanelResult result;
  PanelPower& p = result.power;
  RowSet spec = SpecRowsOf(run, IntAt(panel_row, panels.Col("Panel Type")),
                           IntAt(panel_row, panels.Col("Housing Type")));
  double own_q = 0.0;
  double own_a = 0.0;
  std::optional<double> max_q;
  std::optional<double> max_a;
  if (const site::Row* first = spec.First()) {
    own_q = RealAt(*first, spec.Col("StandbyCurrent"));
    own_a = RealAt(*first, spec.Col("AlarmCurrent"));
    const int supply = PowerSupplyIndexOfPanel(panels, panel_row);
    if (supply >= 0) {
      max_q = SupplyLimit(spec, *first, "PCur" + QString::number(supply) + "S");
      max_a = SupplyLimit(spec, *first, "PCur" + QString::number(supply) + "A");
    }
    const int c_batt = spec.Col("BattSize");
    if (!IsEmptyAt(*first, c_batt)) result.housing_battery = RealAt(*first, c_batt);
  }

  double options_q = 0.0;
  double options_a = 0.0;
  const int options = CountColumnsWithPrefix(panels.Db(), panels.Table(), "Opt");
  for (int i = 0; i < options; ++i) {
    if (!BoolAt(panel_row, panels.Col("Opt" + QString::number(i)))) continue;
    const int c_s = spec.Col("Cur" + QString::number(i) + "S");
    const int c_a = spec.Col("Cur" + QString::number(i) + "A");
    // Every matching specification row adds its board currents.
    for (const site::Row& row : spec.Rows()) {
      options_q += double(catalogue::DecodeOptionStandby(RealAt(row, c_s)).standby);
      options_a += catalogue::OptionAlarmCurrent(RealAt(row, c_a));
    }
  }

  p.q_panel = own_q + options_q;
  p.a_panel = own_a + options_a;
  p.q_total = own_q + draw.loops_q + options_q + draw.outputs_q;
  p.a_total = own_a + draw.loops_a + options_a + draw.outputs_a;
  p.quiescent_overload = max_q && p.q_total > *max_q;
  p.alarm_overload = max_a && p.a_total > *max_a;
  p.battery_capacity = BatteryCapacity(p.q_total, p.a_total, hours.standby, hours.alarm);
  return result;
}

double Hundredths(double capacity) {
  // A capacity that is meant to be a whole number of hundredths must not lose one to the
  // binary noise of its computation. Kept in floating point: an absurd capacity (a huge typed
  // current) stays a number instead of overflowing an integer.
  const double scaled = capacity * 100.0;
  return std::trunc(scaled + (scaled >= 0 ? 1e-7 : -1e-7));
}

void InsertLine(Run& run, int panel, int type, const QString& description, double quiescent,
                double alarm, const QString& comment) {
  site::Database& db = run.doc.Db();
  db.Insert("Currents", {{db.ColumnIndex("Currents", "Panel"), qint64(panel)},
                         {db.ColumnIndex("Currents", "CurrentType"), qint64(type)},
                         {db.ColumnIndex("Currents", "Description"), description},
                         {db.ColumnIndex("Currents", "QuiescentCurrent"), quiescent},
                         {db.ColumnIndex("Currents", "AlarmCurrent"), alarm},
                         {db.ColumnIndex("Currents", "Comment"), comment}});
}

}  // namespace

double BatteryCapacity(double q_total, double a_total, double standby_hours, double alarm_hours) {
  const double q = q_total / 1000.0;
  const double a = a_total / 1000.0;
  const double plain = 1.25 * (q * standby_hours + a * alarm_hours);
  const double capacity = a > plain / 20.0 ? 1.25 * (standby_hours * q + 1.75 * alarm_hours * a)
                                           : 1.25 * (standby_hours * q + alarm_hours * a);
  return Hundredths(capacity) / 100.0;
}

double RoundedBatteryCapacity(double capacity) {
  // Whole hundredths divided by ten are exact at the halves, so the tie goes to the even tenth.
  return RoundHalfEven(Hundredths(capacity) / 10.0) / 10.0;
}

QString BatteryChoice(const QStringList& capacities, const QStringList& models, double rounded,
                      const std::optional<double>& housing_battery) {
  const qint64 wanted = std::llround(rounded * 10.0);
  for (int i = 0; i < capacities.size(); ++i) {
    const double capacity = capacities[i].trimmed().toDouble();
    if (std::llround(capacity * 10.0) < wanted) continue;
    QString battery = capacities[i] + " => " + models.value(i);
    if (!housing_battery || *housing_battery < capacity)
      battery += " - " + i18n::Text(Msg::kBatteryBoxRequired);
    return battery;
  }
  return i18n::Text(Msg::kSystemSpecificationExceeded);
}

PanelPower CalculatePanelPower(Run& run, int panel) {
  site::Database& db = run.doc.Db();
  RowSet panels(db, "Panels", PanelKey(panel));
  site::Row* row = panels.First();
  if (row == nullptr) return {};
  Draw draw;
  RowSet loops(db, "Loops", LoopsOfPanel(panel));
  AddLoops(loops, &draw);
  RowSet outputs(db, "Outputs", RowsOfPanel(panel));
  AddOutputs(outputs, &draw);
  const PanelResult result = PowerOf(run, panels, *row, ReadSiteHours(run), draw);
  if (HasPanelFlags(panels)) {
    RowEdit edit(panels, *row);
    edit.Set(panels.Col("OKBooleanPSU"), qint64(result.power.Overloaded() ? 0 : 1));
    edit.Store();
  }
  return result.power;
}

void RefreshPanelSummaries(Run& run) {
  // The program itself walks the panels here; the panel view's handlers keep still meanwhile.
  site::FlagScope quiet(&run.state, &site::RunState::SetViewEventsOn, &site::RunState::ViewEventsOn,
                        false);
  site::Database& db = run.doc.Db();
  const SiteHours hours = ReadSiteHours(run);
  // Every panel is visited, so the loops and outputs are read once for all of them.
  QHash<qint64, Draw> draws;
  {
    RowSet loops(db, "Loops");
    const int c_panel = loops.Col("PanelNumber");
    const int c_q = loops.Col("QuiescentCurrent");
    const int c_a = loops.Col("AlarmCurrent");
    for (const site::Row& row : loops.Rows()) {
      Draw& d = draws[IntAt(row, c_panel)];
      d.loops_q += RealAt(row, c_q);
      d.loops_a += RealAt(row, c_a);
    }
    RowSet outputs(db, "Outputs");
    const int o_panel = outputs.Col("Panel");
    const int o_q = outputs.Col("QuiesentCurrent");
    const int o_a = outputs.Col("AlarmCurrent");
    for (const site::Row& row : outputs.Rows()) {
      Draw& d = draws[IntAt(row, o_panel)];
      d.outputs_q += RealAt(row, o_q);
      d.outputs_a += RealAt(row, o_a);
    }
  }

  RowSet panels(db, "Panels");
  const bool has_flags = HasPanelFlags(panels);
  const int c_number = panels.Col("Panel Number");
  const int c_loops_ok = panels.Col("OKBooleanLoops");
  for (site::Row& row : panels.Rows()) {
    const PanelResult result = PowerOf(run, panels, row, hours, draws.value(IntAt(row, c_number)));
    const PanelPower& p = result.power;
    const double rounded = RoundedBatteryCapacity(p.battery_capacity);
    RowEdit edit(panels, row);
    if (has_flags) edit.Set(panels.Col("OKBooleanPSU"), qint64(p.Overloaded() ? 0 : 1));
    edit.Set(panels.Col("Quiescent Current Panel"), CurrentText(p.q_panel));
    edit.Set(panels.Col("Alarm Current Panel"), CurrentText(p.a_panel));
    edit.Set(panels.Col("Quiescent Current Total"), CurrentText(p.q_total));
    edit.Set(panels.Col("Alarm Current Total"), CurrentText(p.a_total));
    edit.Set(panels.Col("Battery Capacity"), FixedNumber(rounded, 1));
    edit.Set(panels.Col("Battery"),
             BatteryChoice(run.catalogue.BatteryCapacities(), run.catalogue.BatteryModels(),
                           rounded, result.housing_battery));
    edit.Set(panels.Col("Loop Loads"),
             PanelStatusText(has_flags, BoolAt(row, c_loops_ok), !p.Overloaded()));
    edit.Store();
  }
}

void ClearCurrentLines(Run& run) { run.doc.Db().DeleteWhere("Currents"); }

void WritePanelLine(Run& run, int panel) {
  RowSet panels(run.doc.Db(), "Panels", PanelKey(panel));
  const site::Row* row = panels.First();
  if (row == nullptr) return;
  // The line carries the figures as the panel's texts hold them.
  InsertLine(run, panel, 1, i18n::Text(Msg::kPanel),
             TextAt(*row, panels.Col("Quiescent Current Panel")).trimmed().toDouble(),
             TextAt(*row, panels.Col("Alarm Current Panel")).trimmed().toDouble(),
             i18n::Text(Msg::kNotAvailable));
}

void WriteLoopLines(Run& run, int panel) {
  RowSet loops(run.doc.Db(), "Loops", LoopsOfPanel(panel));
  const int c_name = loops.Col("Loop");
  const int c_q = loops.Col("QuiescentCurrent");
  const int c_a = loops.Col("AlarmCurrent");
  const int c_ok = loops.Col("OK");
  for (const site::Row& row : loops.Rows()) {
    InsertLine(run, panel, 2, TextAt(row, c_name), RealAt(row, c_q), RealAt(row, c_a),
               TextAt(row, c_ok));
  }
}

void WriteOutputLines(Run& run, int panel) {
  RowSet outputs(run.doc.Db(), "Outputs", RowsOfPanel(panel));
  const int c_number = outputs.Col("OutputNumber");
  std::vector<const site::Row*> lines;
  for (const site::Row& row : outputs.Rows()) {
    if (IntAt(row, c_number) != 100) lines.push_back(&row);
  }
  // The panel's own outputs first, then the extra ones numbered above 100.
  std::stable_sort(lines.begin(), lines.end(), [&](const site::Row* a, const site::Row* b) {
    const qint64 x = IntAt(*a, c_number);
    const qint64 y = IntAt(*b, c_number);
    if ((x > 100) != (y > 100)) return y > 100;
    return x < y;
  });
  const int c_name = outputs.Col("Output");
  const int c_q = outputs.Col("QuiesentCurrent");
  const int c_a = outputs.Col("AlarmCurrent");
  for (const site::Row* row : lines) {
    InsertLine(run, panel, 3, TextAt(*row, c_name), RealAt(*row, c_q), RealAt(*row, c_a),
               i18n::Text(Msg::kNotAvailable));
  }
}

void WriteTotalLine(Run& run, int panel, const PanelPower& verdict) {
  RowSet lines(run.doc.Db(), "Currents", RowsOfPanel(panel));
  const int c_type = lines.Col("CurrentType");
  const int c_q = lines.Col("QuiescentCurrent");
  const int c_a = lines.Col("AlarmCurrent");
  double q = 0.0;
  double a = 0.0;
  for (const site::Row& row : lines.Rows()) {
    if (IntAt(row, c_type) == 10) continue;  // an earlier total is not a line of its own
    q += RealAt(row, c_q);
    a += RealAt(row, c_a);
  }
  InsertLine(run, panel, 10, i18n::Text(Msg::kTotal), q, a,
             verdict.Overloaded() ? i18n::Text(Msg::kPowerSupplyOverload)
                                  : i18n::Text(Msg::kNotAvailable));
}

QString ShowPanelBattery(Run& run, int panel) {
  RowSet panels(run.doc.Db(), "Panels", PanelKey(panel));
  const site::Row* row = panels.First();
  if (row == nullptr) return QString();
  return TextAt(*row, panels.Col("Battery Capacity")) + " => " +
         TextAt(*row, panels.Col("Battery"));
}

}  // namespace velmora::electrical
