#include "catalogue/variant.h"

namespace velmora::catalogue {
namespace {

Availability CellAvailability(const QStringList& cells, int i) {
  if (i < 0 || i >= cells.size()) return Availability::kNotAvailable;
  const Availability a = AvailabilityOf(cells[i]);
  // A cell that is missing or holds no known availability offers nothing.
  return a == Availability::kUnknown ? Availability::kNotAvailable : a;
}

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

}  // namespace

Availability Variant::ProtocolAvailability(int i) const { return CellAvailability(protocols, i); }
Availability Variant::OptionAvailability(int i) const { return CellAvailability(options, i); }
Availability Variant::PowerSupplyAvailability(int i) const {
  return CellAvailability(power_supplies, i);
}

int Variant::OptionLoops(int i) const {
  if (i < 0 || i >= options.size()) return 0;
  return OptionAddedLoops(options[i]);
}

int Variant::OwnOutputCount() const {
  int k = 0;
  for (qint64 max : outputs) {
    if (max > 0) ++k;
  }
  return k;
}

const Variant* FindVariant(const std::vector<Variant>& variants, qint64 type, qint64 housing) {
  for (const Variant& v : variants) {
    if (v.Is(type, housing)) return &v;
  }
  return nullptr;
}

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

}  // namespace velmora::catalogue
