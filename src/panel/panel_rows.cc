#include "panel/panel_rows.h"

#include <algorithm>

#include "catalogue/lookup.h"
#include "electrical/run.h"
#include "i18n/messages.h"

namespace velmora::panel {
namespace {

constexpr double kResistancePerKm[] = {36, 23, 19, 13, 9, 8};

// The highest value of `number_column` among the rows of one panel, counting only values below
// `below` when it is given; 0 when there is none.
int HighestOf(Run& run, const QString& table, const QString& panel_column, int p,
              const QString& number_column, int below = 0) {
  site::Table rows(&run.doc.Db(), table);
  rows.SetFilter(site::Filter::Equals(panel_column, p));
  rows.SetFiltered(true);
  rows.Open();
  int highest = 0;
  for (rows.First(); !rows.Eof(); rows.Next()) {
    const int n = int(rows.Int(number_column));
    if (below > 0 && n >= below) continue;
    highest = std::max(highest, n);
  }
  return highest;
}

}  // namespace

bool LocatePanelRow(Run& run, int p) {
  if (p < 1) return false;
  return run.doc.Panels().Locate("Panel Number", p);
}

QString LoopText(int n) { return i18n::Text(i18n::Msg::kLoop) + " " + QString::number(n); }

double CableResistance(qint64 cable_spec) {
  const qint64 index = std::clamp<qint64>(cable_spec, 0, 5);
  return kResistancePerKm[index];
}

void AppendLoopRow(Run& run, site::Table& loops, int p, int n, const DefaultPanelValues& defaults,
                   qint64 length) {
  // A cable index outside the list would leave the loop without a resistance; such a default
  // is read as the first cable.
  const qint64 cable =
      defaults.cable_spec >= 0 && defaults.cable_spec <= 5 ? defaults.cable_spec : 0;
  loops.Append();
  loops.SetValue("PanelNumber", p);
  loops.SetValue("LoopNumber", n);
  loops.SetValue("Loop", LoopText(n));
  loops.SetValue("QuiescentCurrent", 0.0);
  loops.SetValue("AlarmCurrent", 0.0);
  loops.SetValue("Resistance", CableResistance(cable));
  if (run.doc.LoopsHaveOkBoolean()) loops.SetValue("OKBoolean", true);
  loops.SetValue("OK", i18n::Text(i18n::Msg::kLoopOk));
  loops.SetValue("CableSpec", cable);
  loops.SetValue("Length", length);
  loops.SetValue("AlarmIndicators", defaults.alarm_indicators);
  loops.SetValue("OneLocation", defaults.one_location);
  loops.SetValue("OneLocationLength", defaults.one_location_length);
  loops.SetValue("Spread", defaults.spread);
  loops.SetValue("SpreadLength", defaults.spread_length);
  loops.SetValue("Drop", 0.0);
  loops.Post();
}

void AppendBlankDeviceRow(Run& run, site::Table& devices, int p, int n) {
  // Device events come back on (to what they were) once the row is stored.
  site::FlagScope events(&run.state, &site::RunState::SetDeviceEventsOn,
                         &site::RunState::DeviceEventsOn, false);
  devices.Append();
  devices.SetValue("Panel", p);
  devices.SetValue("Loop", n);
  devices.SetValue("DeviceQuantity", 0);
  devices.SetValue("DeviceTypeCode", 0);
  devices.SetValue("DeviceSub-Type", " ");
  devices.SetValue("UnitQuiesentCurrent", 0.0);
  devices.SetValue("QuiesentCurrent", 0.0);
  devices.SetValue("UnitAlarmCurrent", 0.0);
  devices.SetValue("AlarmCurrent", 0.0);
  devices.Post();
}

void AppendOutputRow(Run& run, site::Table& outputs, int p, int n, qint64 max) {
  outputs.Append();
  outputs.SetValue("Panel", p);
  outputs.SetValue("OutputNumber", n);
  outputs.SetValue("Output", catalogue::OutputName(run.catalogue.Translation(), n));
  outputs.SetValue("MAX", max);
  outputs.SetValue("QuiesentCurrent", 0.0);
  outputs.SetValue("AlarmCurrent", 0.0);
  outputs.Post();
}

int HighestLoopNumber(Run& run, int p) {
  return HighestOf(run, "Loops", "PanelNumber", p, "LoopNumber");
}

int HighestDeviceLoop(Run& run, int p) { return HighestOf(run, "Devices", "Panel", p, "Loop"); }

int HighestOwnOutput(Run& run, int p) {
  return HighestOf(run, "Outputs", "Panel", p, "OutputNumber", 100);
}

void DeleteOutputs(Run& run, int p, int first, int last) {
  if (last < first) return;
  site::Table outputs(&run.doc.Db(), "Outputs");
  outputs.SetFilter(site::Filter::Equals("Panel", p));
  outputs.SetFiltered(true);
  outputs.Open();
  outputs.First();
  while (!outputs.Eof()) {
    const qint64 n = outputs.Int("OutputNumber");
    if (n >= first && n <= last) {
      outputs.Delete();
    } else {
      outputs.Next();
    }
  }
}

}  // namespace velmora::panel
