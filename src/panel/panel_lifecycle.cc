#include "panel/panel_lifecycle.h"

#include "catalogue/lookup.h"
#include "electrical/site_rows.h"
#include "i18n/tr.h"
#include "panel/panel_rows.h"

namespace velmora::panel {
namespace {

using catalogue::Availability;
using electrical::IntAt;

void LowerPanelNumbers(SiteData& data, const QString& table, int column, int n) {
  site::Database& db = data.doc.Db();
  for (site::Row& row : db.Select(table)) {
    const qint64 number = IntAt(row, column);
    if (number > n) db.Update(table, row.rowid, {{column, number - 1}});
  }
}

int PanelCount(SiteData& data) { return int(data.doc.Db().Count("Panels")); }

// Every row of a table that belongs to panel `from`, written again for panel `to`.
void CopyRows(SiteData& data, const QString& table, int panel_column, int from, int to,
              int skip_column = -1) {
  site::Database& db = data.doc.Db();
  for (const site::Row& row :
       db.Select(table, site::Filter::Equals(db.Columns(table)[panel_column].name, from))) {
    std::vector<std::pair<int, QVariant>> values;
    for (int c = 0; c < int(row.values.size()); ++c) {
      if (c == skip_column) continue;  // the row key the store assigns
      values.emplace_back(c, c == panel_column ? QVariant(qint64(to)) : row.values[c]);
    }
    db.Insert(table, values);
  }
}

}  // namespace

Outcome AddPanel(SiteData& data, int* number) {
  const std::vector<catalogue::Variant>& variants = data.Variants();
  if (variants.empty())
    return Outcome::Refused(
        i18n::Tr(N_("No panel can be added: the catalogue offers no panel for the sales channel of "
                    "this site.")));
  const catalogue::PanelCounts counts = data.Counts();
  const catalogue::DefaultPanelValues defaults = data.catalogue.Defaults(counts.flags);
  const int p = PanelCount(data) + 1;
  *number = p;

  std::optional<qint64> type_id = defaults.type_id;
  std::optional<qint64> housing_id = defaults.housing_id;
  const bool valid = catalogue::ValidatePanelConfig(variants, type_id, housing_id, defaults.flags);
  const catalogue::Variant* variant =
      type_id && housing_id ? catalogue::FindVariant(variants, *type_id, *housing_id) : nullptr;
  const catalogue::PanelFlags flags =
      valid || variant == nullptr ? defaults.flags : catalogue::StandardFlags(*variant, counts);
  qint64 length = defaults.cable_length;
  if (!valid && variant != nullptr) {
    for (int i = 0; i < counts.flags.protocols; ++i) {
      if (variant->ProtocolAvailability(i) == Availability::kStandard &&
          catalogue::ProtocolOfKey(data.catalogue.Translation(), catalogue::ProtocolKey(i)))
        length = 250;
    }
  }

  const site::PanelColumns& pc = data.Cols().panels;
  std::vector<std::pair<int, QVariant>> values = {
      {pc.number, qint64(p)},
      {pc.name, DefaultPanelName(p)},
      {pc.type, type_id ? QVariant(*type_id) : QVariant()},
      {pc.housing, housing_id ? QVariant(*housing_id) : QVariant()},
      {pc.channel, data.SalesChannel()}};
  auto family = [&](const std::vector<int>& columns, const std::vector<bool>& set) {
    for (int i = 0; i < int(columns.size()); ++i) {
      if (columns[i] >= 0) values.emplace_back(columns[i], qint64(i < int(set.size()) && set[i]));
    }
  };
  family(pc.protocols, flags.protocols);
  family(pc.options, flags.options);
  family(pc.power_supplies, flags.power_supplies);
  data.doc.Db().Insert("Panels", values);
  if (variant == nullptr) return {};

  // Outputs: the panel's own, then each fitted board's in board order numbered after the ones
  // before it so that no number repeats, then 101 to 103.
  for (int n = 1; n <= int(variant->outputs.size()); ++n) {
    if (variant->outputs[n - 1] > 0) AppendOutputRow(data, p, n, variant->outputs[n - 1]);
  }
  int next = counts.outputs + 1;
  for (int i = 0; i < counts.flags.options && i < int(flags.options.size()); ++i) {
    if (!flags.options[i] || i >= int(variant->option_standby.size())) continue;
    const catalogue::PackedStandby packed =
        catalogue::DecodeOptionStandby(variant->option_standby[i]);
    for (qint64 c = 0; c < packed.outputs; ++c) AppendOutputRow(data, p, next++, packed.output_max);
  }
  for (int x = 0; x < 3; ++x) {
    if (variant->extra_outputs[x] > 0) AppendOutputRow(data, p, 101 + x, variant->extra_outputs[x]);
  }
  const int loops = LoopTotal(*variant, flags.options);
  for (int n = 1; n <= loops; ++n) AppendLoopRow(data, p, n, defaults, length);
  for (int n = 1; n <= loops; ++n) AppendBlankDeviceRow(data, p, n);
  return {};
}

Outcome DeletePanel(SiteData& data, int n) {
  if (n < 1 || n > PanelCount(data))
    return Outcome::Refused(i18n::Tr(N_("There is no panel %1.")).arg(n));
  site::Database& db = data.doc.Db();
  const site::SiteColumns& c = data.Cols();
  db.DeleteWhere("Devices", electrical::RowsOfPanel(n));
  db.DeleteWhere("Panels", electrical::PanelKey(n));
  db.DeleteWhere("Loops", electrical::LoopsOfPanel(n));
  db.DeleteWhere("Outputs", electrical::RowsOfPanel(n));
  LowerPanelNumbers(data, "Devices", c.devices.panel, n);
  LowerPanelNumbers(data, "Panels", c.panels.number, n);
  LowerPanelNumbers(data, "Loops", c.loops.panel, n);
  LowerPanelNumbers(data, "Outputs", c.outputs.panel, n);
  return {};
}

Outcome DuplicatePanel(SiteData& data, int n, int* number) {
  std::optional<site::Row> row = PanelRow(data, n);
  if (!row) return Outcome::Refused(i18n::Tr(N_("There is no panel %1.")).arg(n));
  const int p = PanelCount(data) + 1;
  *number = p;
  const site::SiteColumns& c = data.Cols();
  std::vector<std::pair<int, QVariant>> values;
  for (int i = 0; i < int(row->values.size()); ++i) {
    if (i == c.panels.number) {
      values.emplace_back(i, qint64(p));
    } else if (i == c.panels.name) {
      values.emplace_back(i, DefaultPanelName(p));
    } else {
      values.emplace_back(i, row->values[i]);
    }
  }
  data.doc.Db().Insert("Panels", values);
  CopyRows(data, "Loops", c.loops.panel, n, p);
  CopyRows(data, "Devices", c.devices.panel, n, p, c.devices.id);
  CopyRows(data, "Outputs", c.outputs.panel, n, p);
  return {};
}

Outcome RenamePanel(SiteData& data, int n, const QString& name) {
  std::optional<site::Row> row = PanelRow(data, n);
  if (!row) return Outcome::Refused(i18n::Tr(N_("There is no panel %1.")).arg(n));
  if (name.size() > kMaxPanelName)
    return Outcome::Refused(
        i18n::Tr(N_("A panel name has at most %1 characters.")).arg(kMaxPanelName));
  electrical::RowEdit edit(data.doc.Db(), "Panels", *row);
  edit.Set(data.Cols().panels.name, name);
  edit.Store();
  return {};
}

}  // namespace velmora::panel
