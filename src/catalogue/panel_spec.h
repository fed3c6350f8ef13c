#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "site/table.h"

namespace velmora::catalogue {

// Availability of a Prot/Opt/Psu cell of the panel compatibility table, from its first three
// characters compared exactly.
enum class Availability { kStandard, kOptional, kNotAvailable, kUnknown };
Availability AvailabilityOf(const QString& cell);

// Protocol cell: characters 4 to 6 as a whole number (the protocol's maximum loop current, mA);
// nothing when the cell is shorter or holds no number there.
std::optional<int> ProtocolMaxLoopCurrent(const QString& cell);

// Option cell: the 4th character (exclusion group), when present.
std::optional<QChar> OptionGroup(const QString& cell);
// Option cell: whether a 5th character is present, and its decimal value (0 when not a digit).
bool OptionHasLoopDigit(const QString& cell);
int OptionAddedLoops(const QString& cell);

// Cur<i>S = outputs x 100000000 + output maximum x 10000 + standby current.
struct PackedStandby {
  qint64 outputs = 0;
  qint64 output_max = 0;
  qint64 standby = 0;
};
PackedStandby DecodeOptionStandby(double value);
// Cur<i>A: the part below 10000, fraction kept.
double OptionAlarmCurrent(double value);

// Numbers of protocol, option-board and power-supply columns of the site's Panels table:
// columns whose names begin with "Pro", "Opt" and "Psu" (case as written).
struct FlagCounts {
  int protocols = 0;
  int options = 0;
  int power_supplies = 0;
  bool operator==(const FlagCounts&) const = default;
};
FlagCounts CountPanelColumns(site::Table& panels);
// K: the number of columns of the compatibility table whose names begin with "Out", less 3.
int CountPanelOutputs(site::Table& panel_spec);

// The distinct SalesChannel values other than "All" of the whole compatibility table `table`
// of `db`, in table order; none when the table or its column is missing.
QStringList SalesChannels(site::Database& db, const QString& table);

// The position (RecNo) of the variant row in the filtered table, without moving the cursor.
std::optional<int> FindVariantRow(site::Table& panel_spec, qint64 type_id, qint64 housing_id);
// Moves the cursor to the variant row: the first row (of the filtered table) with ID1 = type and
// ID2 = housing. False when there is none.
bool LocateVariantRow(site::Table& panel_spec, qint64 type_id, qint64 housing_id);

}  // namespace velmora::catalogue
