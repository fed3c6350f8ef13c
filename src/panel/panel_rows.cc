#include "panel/panel_rows.h"

#include <algorithm>

#include "catalogue/lookup.h"
#include "electrical/site_rows.h"
#include "i18n/messages.h"
#include "site/cables.h"

namespace velmora::panel {
namespace {

using electrical::IntAt;

int HighestOf(SiteData& data, const QString& table, const site::Filter& filter, int column,
              int below = 0) {
  int highest = 0;
  for (const site::Row& row : data.doc.Db().Select(table, filter)) {
    const int n = int(IntAt(row, column));
    if (below > 0 && n >= below) continue;
    highest = std::max(highest, n);
  }
  return highest;
}

}  // namespace

std::optional<site::Row> PanelRow(SiteData& data, int p) {
  if (p < 1) return std::nullopt;
  std::vector<site::Row> rows = data.doc.Db().Select("Panels", electrical::PanelKey(p));
  if (rows.empty()) return std::nullopt;
  return std::move(rows.front());
}

catalogue::PanelFlags FlagsOf(SiteData& data, const site::Row& panel) {
  const site::PanelColumns& c = data.Cols().panels;
  catalogue::PanelFlags flags;
  for (int column : c.protocols) flags.protocols.push_back(electrical::BoolAt(panel, column));
  for (int column : c.options) flags.options.push_back(electrical::BoolAt(panel, column));
  for (int column : c.power_supplies)
    flags.power_supplies.push_back(electrical::BoolAt(panel, column));
  return flags;
}

void WriteFlags(SiteData& data, site::Row& panel, const catalogue::PanelFlags& flags) {
  const site::PanelColumns& c = data.Cols().panels;
  electrical::RowEdit edit(data.doc.Db(), "Panels", panel);
  auto family = [&](const std::vector<int>& columns, const std::vector<bool>& values) {
    for (int i = 0; i < int(columns.size()) && i < int(values.size()); ++i)
      edit.Set(columns[i], qint64(values[i] ? 1 : 0));
  };
  family(c.protocols, flags.protocols);
  family(c.options, flags.options);
  family(c.power_supplies, flags.power_supplies);
  edit.Store();
}

const catalogue::Variant* VariantOf(SiteData& data, const site::Row& panel) {
  const site::PanelColumns& c = data.Cols().panels;
  if (electrical::IsEmptyAt(panel, c.type) || electrical::IsEmptyAt(panel, c.housing))
    return nullptr;
  return catalogue::FindVariant(data.Variants(), IntAt(panel, c.type), IntAt(panel, c.housing));
}

QString LoopText(int n) { return i18n::Text(i18n::Msg::kLoop) + " " + QString::number(n); }

QString DefaultPanelName(int p) { return i18n::Text(i18n::Msg::kPanel) + QString::number(p); }

void AppendLoopRow(SiteData& data, int p, int n, const catalogue::DefaultPanelValues& defaults,
                   qint64 length) {
  const site::LoopColumns& c = data.Cols().loops;
  // A cable index outside the list would leave the loop without a resistance; such a default is
  // read as the first cable.
  const qint64 cable = site::CableAt(defaults.cable_spec) ? defaults.cable_spec : 0;
  std::vector<std::pair<int, QVariant>> values = {
      {c.panel, qint64(p)},
      {c.number, qint64(n)},
      {c.name, LoopText(n)},
      {c.quiescent, 0.0},
      {c.alarm, 0.0},
      {c.resistance, site::kCables[cable].ohm_per_km},
      {c.ok, i18n::Text(i18n::Msg::kLoopOk)},
      {c.cable, cable},
      {c.length, length},
      {c.alarm_indicators, defaults.alarm_indicators},
      {c.one_location, qint64(defaults.one_location ? 1 : 0)},
      {c.one_location_length, defaults.one_location_length},
      {c.spread, qint64(defaults.spread ? 1 : 0)},
      {c.spread_length, defaults.spread_length},
      {c.drop, 0.0}};
  // Older layouts have no OKBoolean.
  if (c.ok_flag >= 0) values.emplace_back(c.ok_flag, qint64(1));
  data.doc.Db().Insert("Loops", values);
}

void AppendBlankDeviceRow(SiteData& data, int p, int n) {
  electrical::AppendBlankDeviceRow(data.doc.Db(), data.Cols().devices, p, n);
}

void AppendOutputRow(SiteData& data, int p, int n, qint64 max) {
  const site::OutputColumns& c = data.Cols().outputs;
  data.doc.Db().Insert("Outputs", {{c.panel, qint64(p)},
                                   {c.number, qint64(n)},
                                   {c.name, catalogue::OutputName(data.catalogue.Translation(), n)},
                                   {c.max, max},
                                   {c.quiescent, 0.0},
                                   {c.alarm, 0.0}});
}

int HighestLoopNumber(SiteData& data, int p) {
  return HighestOf(data, "Loops", electrical::LoopsOfPanel(p), data.Cols().loops.number);
}

int HighestDeviceLoop(SiteData& data, int p) {
  return HighestOf(data, "Devices", electrical::RowsOfPanel(p), data.Cols().devices.loop);
}

int HighestOwnOutput(SiteData& data, int p) {
  return HighestOf(data, "Outputs", electrical::RowsOfPanel(p), data.Cols().outputs.number, 100);
}

void DeleteOutputs(SiteData& data, int p, int first, int last) {
  if (last < first) return;
  const int c_number = data.Cols().outputs.number;
  for (const site::Row& row : data.doc.Db().Select("Outputs", electrical::RowsOfPanel(p))) {
    const qint64 n = IntAt(row, c_number);
    if (n >= first && n <= last) data.doc.Db().Delete("Outputs", row.rowid);
  }
}

void AddPanelLoops(SiteData& data, int p, int first, int last) {
  if (last < first) return;
  const catalogue::DefaultPanelValues defaults = data.catalogue.Defaults(data.Flags());
  for (int n = first; n <= last; ++n) {
    AppendLoopRow(data, p, n, defaults, defaults.cable_length);
    AppendBlankDeviceRow(data, p, n);
  }
}

void RemovePanelLoopsAbove(SiteData& data, int p, int n) {
  site::Database& db = data.doc.Db();
  for (const site::Row& row : db.Select("Loops", electrical::LoopsOfPanel(p))) {
    if (IntAt(row, data.Cols().loops.number) > n) db.Delete("Loops", row.rowid);
  }
  for (const site::Row& row : db.Select("Devices", electrical::RowsOfPanel(p))) {
    if (IntAt(row, data.Cols().devices.loop) > n) db.Delete("Devices", row.rowid);
  }
}

int LoopTotal(const catalogue::Variant& variant, const std::vector<bool>& options) {
  int loops = int(variant.loop_count);
  for (int i = 0; i < int(options.size()); ++i) {
    const int a = variant.OptionLoops(i);
    if (options[i] && a > 0) loops += a;
  }
  return loops;
}

}  // namespace velmora::panel
