#include "panel/panel_show.h"

#include "catalogue/lookup.h"
#include "electrical/site_rows.h"
#include "panel/panel_rows.h"
#include "site/images.h"

namespace velmora::panel {
namespace {

using catalogue::Availability;

bool Offered(Availability a) {
  return a == Availability::kStandard || a == Availability::kOptional;
}

}  // namespace

void ApplyApolloRule(PanelFormModel& form) {
  ChoiceBox& box = form.ProtocolBox();
  if (box.Count() == 1 && box.entries.front().toUpper() == QLatin1String("APOLLO")) box.Clear();
  box.enabled = box.Count() >= 1;
}

void RenderPanelForm(SiteData& data, int n, PanelFormModel& form) {
  form.TypeBox().Clear();
  form.TypeCodeBox().Clear();
  form.HousingBox().Clear();
  form.HousingCodeBox().Clear();
  form.ProtocolBox().Clear();
  form.ProtocolBox().enabled = false;
  form.OptionButtons().clear();
  form.PowerSupplyButtons().clear();
  form.SetBatteryText(QString());
  form.SetPanelName(QString());
  site::Table& lookup = data.catalogue.Translation();
  const std::vector<catalogue::Variant>& variants = data.Variants();
  const site::PanelColumns& pc = data.Cols().panels;

  for (const catalogue::Variant& v : variants) {
    if (!v.type_id) continue;
    const QString name = catalogue::PanelTypeName(lookup, *v.type_id);
    if (name.isEmpty() || form.TypeBox().Contains(name)) continue;
    // The two boxes stay parallel: entry j of one belongs to entry j of the other.
    form.TypeBox().Append(name);
    form.TypeCodeBox().Append(v.group_code);
  }
  for (int i = 0; i < int(pc.options.size()); ++i) {
    const std::optional<QString> caption = catalogue::OptionCaption(lookup, i);
    form.OptionButtons().push_back(
        {caption.value_or(QString()), caption ? site::kImageNotAvailable : -1});
  }
  for (int i = 0; i < int(pc.power_supplies.size()); ++i) {
    const std::optional<QString> caption = catalogue::PowerSupplyCaption(lookup, i);
    form.PowerSupplyButtons().push_back(
        {caption.value_or(QString()), caption ? site::kImageNotAvailable : -1});
  }

  std::optional<site::Row> row = PanelRow(data, n);
  if (!row) return;
  form.SetPanelName(electrical::TextAt(*row, pc.name));
  form.SetBatteryText(electrical::TextAt(*row, pc.battery_capacity) + " => " +
                      electrical::TextAt(*row, pc.battery));
  const std::optional<qint64> type_id = site::CellWhole(electrical::CellAt(*row, pc.type));
  const std::optional<qint64> housing_id = site::CellWhole(electrical::CellAt(*row, pc.housing));
  const catalogue::PanelFlags flags = FlagsOf(data, *row);
  if (type_id) form.TypeBox().Select(catalogue::PanelTypeName(lookup, *type_id));
  const QString housing_name = housing_id ? catalogue::HousingName(lookup, *housing_id) : QString();
  std::vector<ChoiceButton>& options = form.OptionButtons();
  std::vector<ChoiceButton>& supplies = form.PowerSupplyButtons();
  bool first = true;
  bool variant_shown = false;
  for (const catalogue::Variant& v : variants) {
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
    for (int i = 0; i < int(supplies.size()); ++i) {
      supplies[i].image = v.PowerSupplyAvailability(i) == Availability::kNotAvailable
                              ? site::kImageNotAvailable
                              : site::kImageUnticked;
    }
    for (int i = 0; i < int(options.size()); ++i) {
      options[i].image = v.OptionAvailability(i) == Availability::kNotAvailable
                             ? site::kImageNotAvailable
                             : site::kImageUnticked;
    }
    ChoiceBox& box = form.ProtocolBox();
    QString last_standard;
    for (int i = 0; i < int(pc.protocols.size()); ++i) {
      const Availability a = v.ProtocolAvailability(i);
      if (!Offered(a)) continue;
      const std::optional<catalogue::Protocol> protocol =
          catalogue::ProtocolOfKey(lookup, catalogue::ProtocolKey(i));
      if (!protocol || protocol->name.isEmpty()) continue;
      box.Append(protocol->name);
      if (a == Availability::kStandard) last_standard = protocol->name;
    }
    if (!last_standard.isEmpty()) box.Select(last_standard);
  }
  for (int i = 0; i < int(options.size()) && i < int(flags.options.size()); ++i) {
    if (flags.options[i]) options[i].image = site::kImageTicked;
  }
  for (int i = 0; i < int(supplies.size()) && i < int(flags.power_supplies.size()); ++i) {
    if (flags.power_supplies[i]) supplies[i].image = site::kImageTicked;
  }
  bool any_protocol = false;
  for (int i = 0; i < int(flags.protocols.size()); ++i) {
    if (!flags.protocols[i]) continue;
    any_protocol = true;
    const std::optional<catalogue::Protocol> protocol =
        catalogue::ProtocolOfKey(lookup, catalogue::ProtocolKey(i));
    if (protocol) form.ProtocolBox().Select(protocol->name);
  }
  form.ProtocolBox().enabled = any_protocol;
  ApplyApolloRule(form);
}

}  // namespace velmora::panel
