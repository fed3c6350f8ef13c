#include "panel/panel_rules.h"

#include <algorithm>

#include "catalogue/lookup.h"
#include "electrical/site_rows.h"
#include "i18n/tr.h"
#include "panel/panel_rows.h"

namespace velmora::panel {
namespace {

using catalogue::Availability;
using catalogue::PanelFlags;
using catalogue::Pick;
using catalogue::Variant;
using electrical::IntAt;

Outcome NoPanel(int panel) {
  return Outcome::Refused(i18n::Tr(N_("There is no panel %1.")).arg(panel));
}

// The common part of the two housing choices, for the housing id chosen.
Outcome ApplyHousing(SiteData& data, int p, std::optional<qint64> housing_id) {
  std::optional<site::Row> row = PanelRow(data, p);
  if (!row) return NoPanel(p);
  const site::PanelColumns& pc = data.Cols().panels;
  const std::vector<Variant>& variants = data.Variants();
  if (!housing_id || electrical::IsEmptyAt(*row, pc.type) ||
      catalogue::FindVariant(variants, IntAt(*row, pc.type), *housing_id) == nullptr) {
    // Without a variant for the pair nothing fits: the panel keeps its housing, loops and outputs.
    return Outcome::Refused(i18n::Tr(N_("The panel type does not come in this housing.")));
  }
  const qint64 type_id = IntAt(*row, pc.type);
  {
    electrical::RowEdit edit(data.doc.Db(), "Panels", *row);
    edit.Set(pc.housing, *housing_id);
    edit.Store();
  }
  const catalogue::PanelCounts counts = data.Counts();
  const Variant* first = nullptr;
  qint64 loops = 0;
  int k = 0;
  for (const Variant& v : variants) {
    if (!v.Is(type_id, *housing_id)) continue;
    if (first == nullptr) first = &v;
    loops = v.loop_count;
    k = v.OwnOutputCount();
    WriteFlags(data, *row, catalogue::StandardFlags(v, counts));
  }
  // The panel's own outputs follow the variant; board outputs numbered beyond them go when the
  // variant has fewer, and outputs from 100 on stay.
  const int m = HighestOwnOutput(data, p);
  if (k < m) {
    DeleteOutputs(data, p, k + 1, m);
  } else {
    for (int n = m + 1; n <= k; ++n) {
      const qint64 max = n - 1 < int(first->outputs.size()) ? first->outputs[n - 1] : 0;
      AppendOutputRow(data, p, n, max);
    }
  }
  // The panel gets exactly the variant's loops; loops that boards had added do not stay.
  const int e = HighestLoopNumber(data, p);
  if (loops < e) {
    RemovePanelLoopsAbove(data, p, int(loops));
  } else {
    AddPanelLoops(data, p, e + 1, int(loops));
  }
  return {};
}

// The common part of the two type choices, for the type id chosen.
Outcome ApplyType(SiteData& data, int p, std::optional<qint64> type_id) {
  std::optional<site::Row> row = PanelRow(data, p);
  if (!row) return NoPanel(p);
  const Variant* first = nullptr;
  if (type_id) {
    for (const Variant& v : data.Variants()) {
      if (v.type_id && *v.type_id == *type_id && v.housing_id) {
        first = &v;
        break;
      }
    }
  }
  if (first == nullptr)
    return Outcome::Refused(i18n::Tr(
        N_("The catalogue offers no such panel type for the sales channel of this site.")));
  const site::PanelColumns& pc = data.Cols().panels;
  {
    electrical::RowEdit edit(data.doc.Db(), "Panels", *row);
    edit.Set(pc.type, *type_id);
    edit.Set(pc.housing, *first->housing_id);
    edit.Store();
  }
  WriteFlags(data, *row, catalogue::StandardFlags(*first, data.Counts()));
  // Then the housing as the housing box shows it: the name of the type's first housing.
  site::Table& lookup = data.catalogue.Translation();
  const QString housing = catalogue::HousingName(lookup, *first->housing_id);
  return ApplyHousing(data, p, catalogue::HousingId(lookup, housing));
}

// The panel's variant for a rule, or the refusal.
const Variant* VariantForRule(SiteData& data, const site::Row& row, Outcome* refusal) {
  const Variant* variant = VariantOf(data, row);
  if (variant == nullptr)
    *refusal = Outcome::Refused(i18n::Tr(
        N_("The catalogue has no data for this panel in the sales channel of this site.")));
  return variant;
}

std::optional<int> IndexOfCaption(int count, const QString& caption,
                                  std::optional<QString> (*caption_of)(site::Table&, int),
                                  site::Table& lookup) {
  for (int i = 0; i < count; ++i) {
    const std::optional<QString> text = caption_of(lookup, i);
    if (text && text->trimmed() == caption.trimmed()) return i;
  }
  bool ok = false;
  const int number = caption.trimmed().toInt(&ok);
  if (ok && number >= 0 && number < count) return number;
  return std::nullopt;
}

}  // namespace

Outcome SelectPanelType(SiteData& data, int panel, const QString& name) {
  return ApplyType(data, panel,
                   catalogue::PanelTypeId(data.catalogue.Translation(), name, Pick::kLast));
}

Outcome SelectPanelTypeCode(SiteData& data, int panel, const QString& code) {
  std::optional<qint64> type_id;
  for (const Variant& v : data.Variants()) {
    if (v.group_code == code && v.type_id) type_id = v.type_id;
  }
  return ApplyType(data, panel, type_id);
}

Outcome SelectHousing(SiteData& data, int panel, const QString& name) {
  return ApplyHousing(data, panel, catalogue::HousingId(data.catalogue.Translation(), name));
}

Outcome SelectHousingCode(SiteData& data, int panel, const QString& code) {
  std::optional<site::Row> row = PanelRow(data, panel);
  if (!row) return NoPanel(panel);
  std::optional<qint64> housing_id;
  for (const Variant& v : data.Variants()) {
    if (v.panel_code == code && v.housing_id) housing_id = v.housing_id;
  }
  return ApplyHousing(data, panel, housing_id);
}

bool ProtocolOffered(SiteData& data, int panel, const QString& name) {
  std::optional<site::Row> row = PanelRow(data, panel);
  const auto protocol = catalogue::ProtocolOfName(data.catalogue.Translation(), name);
  if (!row || !protocol) return false;
  const Variant* variant = VariantOf(data, *row);
  if (variant == nullptr) return false;
  const site::PanelColumns& pc = data.Cols().panels;
  for (int i = 0; i < int(pc.protocols.size()); ++i) {
    if (catalogue::ProtocolKey(i) != protocol->key || pc.protocols[i] < 0) continue;
    const Availability a = variant->ProtocolAvailability(i);
    return a == Availability::kStandard || a == Availability::kOptional;
  }
  return false;
}

bool ProtocolWouldChange(SiteData& data, int panel, const QString& name) {
  std::optional<site::Row> row = PanelRow(data, panel);
  const auto protocol = catalogue::ProtocolOfName(data.catalogue.Translation(), name);
  if (!row || !protocol) return false;
  const int column = data.doc.Db().ColumnIndex("Panels", protocol->key);
  return column >= 0 && !electrical::BoolAt(*row, column);
}

Outcome SelectProtocol(SiteData& data, int panel, const QString& name) {
  std::optional<site::Row> row = PanelRow(data, panel);
  if (!row) return NoPanel(panel);
  const auto protocol = catalogue::ProtocolOfName(data.catalogue.Translation(), name);
  const site::PanelColumns& pc = data.Cols().panels;
  int index = -1;
  for (int i = 0; protocol && i < int(pc.protocols.size()); ++i) {
    if (catalogue::ProtocolKey(i) == protocol->key) index = i;
  }
  Outcome refusal;
  const Variant* variant = VariantForRule(data, *row, &refusal);
  if (variant == nullptr) return refusal;
  const Availability a = variant->ProtocolAvailability(index);
  if (index < 0 || pc.protocols[index] < 0 ||
      (a != Availability::kStandard && a != Availability::kOptional))
    return Outcome::Refused(
        i18n::Tr(N_("The protocol %1 is not offered for this panel.")).arg(name));
  if (electrical::BoolAt(*row, pc.protocols[index])) return {};

  PanelFlags flags = FlagsOf(data, *row);
  for (int i = 0; i < int(flags.protocols.size()); ++i) flags.protocols[i] = i == index;
  WriteFlags(data, *row, flags);

  site::Database& db = data.doc.Db();
  const site::LoopColumns& lc = data.Cols().loops;
  // A protocol without a stored maximum length leaves the lengths alone.
  if (protocol->max_loop_length > 0) {
    for (site::Row& loop : db.Select("Loops", electrical::LoopsOfPanel(panel))) {
      if (IntAt(loop, lc.length) <= protocol->max_loop_length) continue;
      electrical::RowEdit edit(db, "Loops", loop);
      edit.Set(lc.length, protocol->max_loop_length);
      edit.Store();
    }
  }
  const int max_loop = HighestDeviceLoop(data, panel);
  db.DeleteWhere("Devices", electrical::RowsOfPanel(panel));
  for (int n = 1; n <= max_loop; ++n) AppendBlankDeviceRow(data, panel, n);
  // The currents of those loops go back to zero; the recalculation that follows writes the
  // loops' totals from their new, blank rows.
  std::vector<bool> cleared(size_t(std::max(max_loop, 0)) + 1, false);
  for (site::Row& loop : db.Select("Loops", electrical::LoopsOfPanel(panel))) {
    const qint64 n = IntAt(loop, lc.number);
    if (n < 1 || n > max_loop || cleared[n]) continue;
    cleared[n] = true;
    electrical::RowEdit edit(db, "Loops", loop);
    edit.Set(lc.quiescent, 0.0);
    edit.Set(lc.alarm, 0.0);
    edit.Store();
  }
  return {};
}

Outcome ToggleOptionBoard(SiteData& data, int panel, int i) {
  std::optional<site::Row> row = PanelRow(data, panel);
  if (!row) return NoPanel(panel);
  const site::PanelColumns& pc = data.Cols().panels;
  if (i < 0 || i >= int(pc.options.size()) || pc.options[i] < 0)
    return Outcome::Refused(i18n::Tr(N_("There is no such option board.")));
  Outcome refusal;
  const Variant* variant = VariantForRule(data, *row, &refusal);
  if (variant == nullptr) return refusal;
  if (variant->OptionAvailability(i) == Availability::kNotAvailable)
    return Outcome::Refused(i18n::Tr(N_("This option board is not available for this panel.")));

  PanelFlags flags = FlagsOf(data, *row);
  const bool tick = !flags.options[i];
  flags.options[i] = tick;
  // The other boards of its exclusion group are cleared; the loops and outputs they had added
  // stay.
  const QString cell = variant->options.value(i);
  for (int e = 0; e < int(flags.options.size()); ++e) {
    const QString other = variant->options.value(e);
    if (e == i || cell.size() <= 3 || other.size() <= 3 || cell.at(3) != other.at(3)) continue;
    flags.options[e] = false;
  }
  WriteFlags(data, *row, flags);

  const int f = HighestDeviceLoop(data, panel);
  const int m = HighestOwnOutput(data, panel);
  if (catalogue::OptionHasLoopDigit(cell)) {
    const int a = variant->OptionLoops(i);
    const catalogue::PackedStandby packed = catalogue::DecodeOptionStandby(
        i < int(variant->option_standby.size()) ? variant->option_standby[i] : 0.0);
    const int c = int(packed.outputs);
    if (tick) {
      AddPanelLoops(data, panel, f + 1, f + a);
      for (int n = m + 1; n <= m + c; ++n) AppendOutputRow(data, panel, n, packed.output_max);
    } else {
      RemovePanelLoopsAbove(data, panel, f - a);
      DeleteOutputs(data, panel, m - c + 1, m);
    }
  }
  return {};
}

Outcome SelectPowerSupply(SiteData& data, int panel, int i) {
  std::optional<site::Row> row = PanelRow(data, panel);
  if (!row) return NoPanel(panel);
  const site::PanelColumns& pc = data.Cols().panels;
  if (i < 0 || i >= int(pc.power_supplies.size()) || pc.power_supplies[i] < 0)
    return Outcome::Refused(i18n::Tr(N_("There is no such power supply.")));
  Outcome refusal;
  const Variant* variant = VariantForRule(data, *row, &refusal);
  if (variant == nullptr) return refusal;
  if (variant->PowerSupplyAvailability(i) == Availability::kNotAvailable)
    return Outcome::Refused(i18n::Tr(N_("This power supply is not available for this panel.")));
  PanelFlags flags = FlagsOf(data, *row);
  for (int j = 0; j < int(flags.power_supplies.size()); ++j) flags.power_supplies[j] = j == i;
  WriteFlags(data, *row, flags);
  return {};
}

bool FitsCatalogue(SiteData& data, int panel) {
  std::optional<site::Row> row = PanelRow(data, panel);
  if (!row) return true;
  const site::PanelColumns& pc = data.Cols().panels;
  std::optional<qint64> type = site::CellWhole(electrical::CellAt(*row, pc.type));
  std::optional<qint64> housing = site::CellWhole(electrical::CellAt(*row, pc.housing));
  return catalogue::ValidatePanelConfig(data.Variants(), type, housing, FlagsOf(data, *row));
}

Outcome FitPanelToCatalogue(SiteData& data, int panel) {
  std::optional<site::Row> row = PanelRow(data, panel);
  if (!row) return NoPanel(panel);
  const site::PanelColumns& pc = data.Cols().panels;
  std::optional<qint64> type = site::CellWhole(electrical::CellAt(*row, pc.type));
  std::optional<qint64> housing = site::CellWhole(electrical::CellAt(*row, pc.housing));
  const std::vector<Variant>& variants = data.Variants();
  if (catalogue::ValidatePanelConfig(variants, type, housing, FlagsOf(data, *row))) return {};
  const Variant* variant =
      type && housing ? catalogue::FindVariant(variants, *type, *housing) : nullptr;
  if (variant == nullptr)
    return Outcome::Refused(
        i18n::Tr(N_("The catalogue offers no panel for the sales channel of this site.")));
  {
    electrical::RowEdit edit(data.doc.Db(), "Panels", *row);
    edit.Set(pc.type, *type);
    edit.Set(pc.housing, *housing);
    edit.Store();
  }
  WriteFlags(data, *row, catalogue::StandardFlags(*variant, data.Counts()));
  Outcome outcome;
  outcome.Tell(i18n::Tr(N_("%1 did not fit the catalogue of this site's sales channel and has been "
                           "set to the first panel the catalogue offers, with its standard "
                           "items."))
                   .arg(electrical::TextAt(*row, pc.name)));
  return outcome;
}

std::optional<int> OptionBoardIndex(SiteData& data, const QString& caption) {
  return IndexOfCaption(int(data.Cols().panels.options.size()), caption, &catalogue::OptionCaption,
                        data.catalogue.Translation());
}

std::optional<int> PowerSupplyIndex(SiteData& data, const QString& caption) {
  return IndexOfCaption(int(data.Cols().panels.power_supplies.size()), caption,
                        &catalogue::PowerSupplyCaption, data.catalogue.Translation());
}

}  // namespace velmora::panel
