#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "catalogue/panel_spec.h"
#include "site/table.h"

namespace velmora {
struct Run;
}

namespace velmora::panel {

// The flag-column counts and the number of panel outputs, counted afresh by every operation.
struct PanelCounts {
  catalogue::FlagCounts flags;
  int outputs = 0;  // K: Out1 ... OutK
};
PanelCounts CountColumns(Run& run);

// One row of the (filtered) panel compatibility table, as the panel rules read it. A cell the
// table does not carry reads empty, which counts as not available.
struct Variant {
  std::optional<qint64> type_id;     // ID1
  std::optional<qint64> housing_id;  // ID2
  QString group_code;                // Panel Group Code
  QString panel_code;                // Panel Code
  qint64 loop_count = 0;
  QStringList protocols;                // Prot<i> cells
  QStringList options;                  // Opt<i> cells
  QStringList power_supplies;           // Psu<i> cells
  std::vector<qint64> outputs;          // Out1 ... OutK
  qint64 extra_outputs[3] = {0, 0, 0};  // Out101, Out102, Out103
  std::vector<double> option_standby;   // Cur<i>S, packed with the outputs a board adds

  bool Is(qint64 type, qint64 housing) const {
    return type_id && housing_id && *type_id == type && *housing_id == housing;
  }
  catalogue::Availability ProtocolAvailability(int i) const;
  catalogue::Availability OptionAvailability(int i) const;
  catalogue::Availability PowerSupplyAvailability(int i) const;
  // The loops that board i adds when fitted: the decimal value of its cell's 5th character.
  int OptionLoops(int i) const;
  // Outputs with a maximum above 0 among Out1 ... OutK.
  int OwnOutputCount() const;
};

// Every row of the compatibility table as its (sales-channel) filter shows it, in table order.
std::vector<Variant> ReadVariants(Run& run, const PanelCounts& counts);
// The variant row of a type and housing: the first matching row, or nullptr.
const Variant* FindVariant(const std::vector<Variant>& variants, qint64 type, qint64 housing);

// The flags of a panel, as stored in its Panels row or in DefaultPanel.
struct PanelFlags {
  std::vector<bool> protocols;
  std::vector<bool> options;
  std::vector<bool> power_supplies;
};

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
DefaultPanelValues ReadDefaultPanel(Run& run, const PanelCounts& counts);

// The flags of the current row of a Panels cursor.
PanelFlags ReadPanelFlags(site::Table& panels, const PanelCounts& counts);

}  // namespace velmora::panel
