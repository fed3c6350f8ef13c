#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "catalogue/panel_spec.h"

namespace velmora::catalogue {

// The flag-column counts of the site's Panels table and the number K of panel outputs of the
// compatibility table (Out1 ... OutK).
struct PanelCounts {
  FlagCounts flags;
  int outputs = 0;
};

// One row of the panel compatibility table, read once. A cell the table does not carry reads
// empty, which counts as not available.
struct Variant {
  std::optional<qint64> type_id;     // ID1
  std::optional<qint64> housing_id;  // ID2
  QString group_code;                // Panel Group Code
  QString panel_code;                // Panel Code
  QString sales_channel;             // SalesChannel
  qint64 loop_count = 0;
  QStringList protocols;                // Prot<i> cells
  QStringList options;                  // Opt<i> cells
  QStringList power_supplies;           // Psu<i> cells
  std::vector<qint64> outputs;          // Out1 ... OutK
  qint64 extra_outputs[3] = {0, 0, 0};  // Out101, Out102, Out103
  std::vector<double> option_standby;   // Cur<i>S, packed with the outputs a board adds
  std::vector<double> option_alarm;     // Cur<i>A
  QStringList option_parts;             // Part<i>
  double standby_current = 0.0;         // the panel's own, mA
  double alarm_current = 0.0;
  // PCur<j>S and PCur<j>A: what supply j delivers. An empty cell, or no such column, is smaller
  // than any current.
  std::vector<std::optional<double>> supply_standby;
  std::vector<std::optional<double>> supply_alarm;
  std::optional<double> battery_size;  // BattSize, Ah

  bool Is(qint64 type, qint64 housing) const {
    return type_id && housing_id && *type_id == type && *housing_id == housing;
  }
  Availability ProtocolAvailability(int i) const;
  Availability OptionAvailability(int i) const;
  Availability PowerSupplyAvailability(int i) const;
  // The loops that board i adds when fitted: the decimal value of its cell's 5th character.
  int OptionLoops(int i) const;
  // Outputs with a maximum above 0 among Out1 ... OutK.
  int OwnOutputCount() const;
};

// The variant row of a type and housing: the first matching row, or nullptr.
const Variant* FindVariant(const std::vector<Variant>& variants, qint64 type, qint64 housing);

// The flags of a panel, as stored in its Panels row or in DefaultPanel.
struct PanelFlags {
  std::vector<bool> protocols;
  std::vector<bool> options;
  std::vector<bool> power_supplies;
  bool operator==(const PanelFlags&) const = default;
};

// The flags a variant gives a panel by itself: exactly its standard items.
PanelFlags StandardFlags(const Variant& variant, const PanelCounts& counts);

// Whether a type, housing and flags fit the variants. When they do not, type and housing become
// those of the first variant (left as they are when there is none).
bool ValidatePanelConfig(const std::vector<Variant>& variants, std::optional<qint64>& type_id,
                         std::optional<qint64>& housing_id, const PanelFlags& flags);

// The first row of DefaultPanel: type, housing and flags of a new panel and its loop defaults.
// Without a row every value keeps its default here and the type and housing are unknown.
struct DefaultPanelValues {
  std::optional<qint64> type_id;
  std::optional<qint64> housing_id;
  PanelFlags flags;
  qint64 cable_spec = 0;
  qint64 cable_length = 250;
  qint64 alarm_indicators = 0;
  bool one_location = false;
  qint64 one_location_length = 0;
  bool spread = true;
  qint64 spread_length = 0;
};

}  // namespace velmora::catalogue
