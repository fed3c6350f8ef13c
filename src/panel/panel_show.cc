#include "panel/panel_show.h"

#include "catalogue/lookup.h"
#include "electrical/run.h"
#include "panel/panel_rows.h"
#include "panel/panel_rules.h"
#include "site/images.h"

namespace velmora::panel {
namespace {

using catalogue::Availability;

QString Key(const char* prefix, int i) { return prefix + QString::number(i); }

bool Offered(Availability a) {
  return a == Availability::kStandard || a == Availability::kOptional;
}

// Whether some variant row of the pair offers item i of a family.
template <typename Of>
bool AnyRowOffers(const std::vector<Variant>& variants, qint64 type, qint64 housing, Of of) {
  for (const Variant& v : variants) {
    if (v.Is(type, housing) && Offered(of(v))) return true;
  }
  return false;
}

std::optional<qint64> OptionalInt(site::Table& table, const QString& column) {
  if (table.IsNull(column)) return std::nullopt;
  return table.Int(column);
}

}  // namespace

PanelFlags StandardFlags(const Variant& variant, const PanelCounts& counts) {
  PanelFlags flags;
  for (int i = 0; i < counts.flags.protocols; ++i)
    flags.protocols.push_back(variant.ProtocolAvailability(i) == Availability::kStandard);
  for (int i = 0; i < counts.flags.options; ++i)
    flags.options.push_back(variant.OptionAvailability(i) == Availability::kStandard);
  for (int i = 0; i < counts.flags.power_supplies; ++i)
    flags.power_supplies.push_back(variant.PowerSupplyAvailability(i) == Availability::kStandard);
  return flags;
}

bool ValidatePanelConfig(const std::vector<Variant>& variants, std::optional<qint64>& type_id,
                         std::optional<qint64>& housing_id, const PanelFlags& flags) {
  bool valid = type_id.has_value() && housing_id.has_value();
  if (valid) {
    const qint64 type = *type_id;
    const qint64 housing = *housing_id;
    for (int i = 0; valid && i < int(flags.protocols.size()); ++i) {
      if (flags.protocols[i] && !AnyRowOffers(variants, type, housing, [i](const Variant& v) {
            return v.ProtocolAvailability(i);
          }))
        valid = false;
    }
    for (int i = 0; valid && i < int(flags.options.size()); ++i) {
      if (flags.options[i] && !AnyRowOffers(variants, type, housing, [i](const Variant& v) {
            return v.OptionAvailability(i);
          }))
        valid = false;
    }
    for (int i = 0; valid && i < int(flags.power_supplies.size()); ++i) {
      if (flags.power_supplies[i] && !AnyRowOffers(variants, type, housing, [i](const Variant& v) {
            return v.PowerSupplyAvailability(i);
          }))
        valid = false;
    }
    if (FindVariant(variants, type, housing) == nullptr) valid = false;
  }
  if (!valid && !variants.empty()) {
    type_id = variants.front().type_id;
    housing_id = variants.front().housing_id;
  }
  return valid;
}

bool ValidatePanelConfig(Run& run, std::optional<qint64>& type_id,
                         std::optional<qint64>& housing_id, const PanelFlags& flags) {
  return ValidatePanelConfig(ReadVariants(run, CountColumns(run)), type_id, housing_id, flags);
}

void FillPanelLists(Run& run, PanelFormModel& form) {
  form.TypeBox().Clear();
  form.TypeCodeBox().Clear();
  form.ProtocolBox().Clear();
  form.OptionButtons().clear();
  form.PowerSupplyButtons().clear();
  site::Table& lookup = run.catalogue.Translation();
  const PanelCounts counts = CountColumns(run);
  for (const Variant& v : ReadVariants(run, counts)) {
    if (!v.type_id) continue;
    const QString name = catalogue::PanelTypeName(lookup, *v.type_id);
    if (name.isEmpty() || form.TypeBox().Contains(name)) continue;
    // The two boxes stay parallel: entry j of one belongs to entry j of the other.
    form.TypeBox().Append(name);
    form.TypeCodeBox().Append(v.group_code);
  }
  for (int i = 0; i < counts.flags.options; ++i) {
    const std::optional<QString> caption = catalogue::OptionCaption(lookup, i);
    form.OptionButtons().push_back(
        {caption.value_or(QString()), caption ? site::kImageNotAvailable : -1});
  }
  for (int i = 0; i < counts.flags.power_supplies; ++i) {
    const std::optional<QString> caption = catalogue::PowerSupplyCaption(lookup, i);
    form.PowerSupplyButtons().push_back(
        {caption.value_or(QString()), caption ? site::kImageNotAvailable : -1});
  }
}

bool ShowPanel(Run& run, PanelFormModel& form, int n) {
  run.tabs.SetActive(n == 0 ? run.tabs.Count() - 1 : n);
  if (n != 0 && run.tree.PanelNode(n) != nullptr) run.tree.Select(run.tree.PanelNode(n));

  site::Table& panels = run.doc.Panels();
  if (n == 0) {
    panels.Last();
    if (panels.IsEmpty()) return false;
  } else if (!LocatePanelRow(run, n)) {
    return false;
  }
  const PanelCounts counts = CountColumns(run);
  const std::vector<Variant> variants = ReadVariants(run, counts);
  std::optional<qint64> type_id = OptionalInt(panels, "Panel Type");
  std::optional<qint64> housing_id = OptionalInt(panels, "Housing Type");
  PanelFlags flags = ReadPanelFlags(panels, counts);

  if (!ValidatePanelConfig(variants, type_id, housing_id, flags) && type_id && housing_id) {
    if (const Variant* variant = FindVariant(variants, *type_id, *housing_id)) {
      // The panel no longer fits: the first variant with exactly its standard items. Its loops
      // and outputs stay as they are.
      flags = StandardFlags(*variant, counts);
      panels.SetValue("Panel Type", *type_id);
      panels.SetValue("Housing Type", *housing_id);
      for (int i = 0; i < counts.flags.protocols; ++i)
        panels.SetValue(Key("Prot", i), bool(flags.protocols[i]));
      for (int i = 0; i < counts.flags.options; ++i)
        panels.SetValue(Key("Opt", i), bool(flags.options[i]));
      for (int i = 0; i < counts.flags.power_supplies; ++i)
        panels.SetValue(Key("Psu", i), bool(flags.power_supplies[i]));
      panels.Post();
      run.state.MarkModified();
    }
  }

  site::Table& lookup = run.catalogue.Translation();
  if (type_id) form.TypeBox().Select(catalogue::PanelTypeName(lookup, *type_id));
  form.HousingBox().Clear();
  form.HousingCodeBox().Clear();
  const QString housing_name = housing_id ? catalogue::HousingName(lookup, *housing_id) : QString();
  std::vector<ChoiceButton>& options = form.OptionButtons();
  std::vector<ChoiceButton>& supplies = form.PowerSupplyButtons();
  if (int(options.size()) < counts.flags.options) options.resize(counts.flags.options);
  if (int(supplies.size()) < counts.flags.power_supplies)
    supplies.resize(counts.flags.power_supplies);
  bool first = true;
  bool variant_shown = false;
  for (const Variant& v : variants) {
    if (!type_id || !v.type_id || *v.type_id != *type_id) continue;
    if (first) {
      form.TypeCodeBox().Select(v.group_code);
      first = false;
    }
    form.HousingCodeBox().Append(v.panel_code);
    if (v.housing_id) {
      const QString name = catalogue::HousingName(lookup, *v.housing_id);
      if (!name.isEmpty()) form.HousingBox().Append(name);
    }
    form.HousingBox().Select(housing_name);
    // The variant row itself: the first row of the pair.
    if (!housing_id || !v.housing_id || *v.housing_id != *housing_id || variant_shown) continue;
    variant_shown = true;
    form.HousingCodeBox().Select(v.panel_code);
    for (int i = 0; i < counts.flags.power_supplies; ++i) {
      supplies[i].image = v.PowerSupplyAvailability(i) == Availability::kNotAvailable
                              ? site::kImageNotAvailable
                              : site::kImageUnticked;
    }
    for (int i = 0; i < counts.flags.options; ++i) {
      options[i].image = v.OptionAvailability(i) == Availability::kNotAvailable
                             ? site::kImageNotAvailable
                             : site::kImageUnticked;
    }
    ChoiceBox& box = form.ProtocolBox();
    box.Clear();
    QString last_standard;
    for (int i = 0; i < counts.flags.protocols; ++i) {
      const Availability a = v.ProtocolAvailability(i);
      if (!Offered(a)) continue;
      const std::optional<catalogue::Protocol> protocol =
          catalogue::ProtocolOfKey(lookup, catalogue::ProtocolKey(i));
      if (!protocol || protocol->name.isEmpty()) continue;
      box.Append(protocol->name);
      if (a == Availability::kStandard) {
        box.enabled = true;
        last_standard = protocol->name;
      }
    }
    if (!last_standard.isEmpty()) box.Select(last_standard);
  }

  for (int i = 0; i < counts.flags.options; ++i) {
    if (flags.options[i]) options[i].image = site::kImageTicked;
  }
  for (int i = 0; i < counts.flags.power_supplies; ++i) {
    if (flags.power_supplies[i]) supplies[i].image = site::kImageTicked;
  }
  bool any_protocol = false;
  for (int i = 0; i < counts.flags.protocols; ++i) {
    if (!flags.protocols[i]) continue;
    any_protocol = true;
    const std::optional<catalogue::Protocol> protocol =
        catalogue::ProtocolOfKey(lookup, catalogue::ProtocolKey(i));
    if (protocol) form.ProtocolBox().Select(protocol->name);
    SelectProtocolDeviceTable(run, i);
  }
  form.ProtocolBox().enabled = any_protocol;
  ApplyApolloRule(form);
  return true;
}

}  // namespace velmora::panel
