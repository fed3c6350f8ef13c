#include "catalogue/lookup.h"

#include <cmath>

#include "catalogue/column_cache.h"
#include "i18n/messages.h"
#include "site/cells.h"
#include "site/store_error.h"

namespace velmora::catalogue {

namespace {

// The lookup rows in stored order, read without moving the cursor; empty when the table is not
// open or cannot be read.
const std::vector<site::Row>& RowsOf(site::Table& lookup) {
  static const std::vector<site::Row> kNone;
  if (!lookup.IsOpen()) return kNone;
  try {
    return lookup.Rows();
  } catch (const site::StoreError&) {
    return kNone;
  }
}

// Column positions for a reader; all -1 when the table is not open.
template <int N>
std::array<int, N> Positions(site::Table& lookup, ColumnCache<N>& cache) {
  if (lookup.IsOpen()) return cache.Resolve(lookup);
  std::array<int, N> none;
  none.fill(-1);
  return none;
}

const QVariant& CellAt(const site::Row& row, int index) {
  static const QVariant kEmpty;
  return index >= 0 && index < int(row.values.size()) ? row.values[index] : kEmpty;
}

bool SameHours(double a, double b) {
  return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(b));
}

// Key of the first (or last) row whose name column equals the text and whose key is set.
std::optional<qint64> IdOfName(site::Table& lookup, ColumnCache<2>& cache, const QString& name,
                               Pick pick) {
  const auto [key, text] = Positions(lookup, cache);
  if (key < 0 || text < 0) return std::nullopt;
  std::optional<qint64> found;
  for (const site::Row& row : RowsOf(lookup)) {
    if (!site::CellTextEquals(CellAt(row, text), name)) continue;
    const std::optional<qint64> id = site::CellWhole(CellAt(row, key));
    if (!id) continue;
    found = id;
    if (pick == Pick::kFirst) break;
  }
  return found;
}

const site::Row* RowOfIntKey(site::Table& lookup, int key, qint64 id) {
  if (key < 0) return nullptr;
  for (const site::Row& row : RowsOf(lookup)) {
    const std::optional<qint64> cell = site::CellWhole(CellAt(row, key));
    if (cell && *cell == id) return &row;
  }
  return nullptr;
}

const site::Row* RowOfTextKey(site::Table& lookup, int key, const QString& text) {
  if (key < 0) return nullptr;
  for (const site::Row& row : RowsOf(lookup)) {
    if (site::CellTextEquals(CellAt(row, key), text)) return &row;
  }
  return nullptr;
}

QString NameOfId(site::Table& lookup, ColumnCache<2>& cache, qint64 id) {
  const auto [key, text] = Positions(lookup, cache);
  const site::Row* row = RowOfIntKey(lookup, key, id);
  return row ? site::CellText(CellAt(*row, text)) : QString();
}

ColumnCache<8>& ProtocolColumns() {
  static ColumnCache<8> cache({"ID3", "Protocol", "ProtocolFile", "MaxLoopLength", "LowestV",
                               "MaxDetectorCount", "MaxModuleCount", "ResistanceToDevice"});
  return cache;
}

Protocol ProtocolOfRow(const std::array<int, 8>& c, const site::Row& row) {
  Protocol p;
  p.key = site::CellText(CellAt(row, c[0]));
  p.name = site::CellText(CellAt(row, c[1]));
  p.file = site::CellText(CellAt(row, c[2]));
  p.max_loop_length = site::CellWhole(CellAt(row, c[3])).value_or(0);
  p.lowest_v = site::CellNumber(CellAt(row, c[4])).value_or(0.0);
  p.max_detector_count = site::CellWhole(CellAt(row, c[5])).value_or(0);
  p.max_module_count = site::CellWhole(CellAt(row, c[6])).value_or(0);
  p.resistance_to_device = site::CellNumber(CellAt(row, c[7])).value_or(0.0);
  return p;
}

std::optional<QString> Caption(site::Table& lookup, ColumnCache<2>& cache, const QString& key) {
  const auto [id, text] = Positions(lookup, cache);
  const site::Row* row = RowOfTextKey(lookup, id, key);
  if (!row) return std::nullopt;
  return site::CellText(CellAt(*row, text));
}

QStringList TimeTexts(site::Table& lookup, ColumnCache<3>& cache) {
  const auto [key, text, number] = Positions(lookup, cache);
  QStringList texts;
  if (key < 0) return texts;
  for (const site::Row& row : RowsOf(lookup)) {
    if (!CellAt(row, key).isNull()) texts << site::CellText(CellAt(row, text));
  }
  return texts;
}

double TimeNumber(site::Table& lookup, ColumnCache<3>& cache, int index) {
  const auto [key, text, number] = Positions(lookup, cache);
  double hours = 0.0;
  if (key < 0) return hours;
  for (const site::Row& row : RowsOf(lookup)) {
    const std::optional<qint64> id = site::CellWhole(CellAt(row, key));
    if (id && *id == index) hours = site::CellNumber(CellAt(row, number)).value_or(0.0);
  }
  return hours;
}

std::optional<int> TimeIndex(site::Table& lookup, ColumnCache<3>& cache, double hours) {
  const auto [key, text, number] = Positions(lookup, cache);
  std::optional<int> found;
  if (key < 0 || number < 0) return found;
  for (const site::Row& row : RowsOf(lookup)) {
    const std::optional<qint64> id = site::CellWhole(CellAt(row, key));
    const std::optional<double> n = site::CellNumber(CellAt(row, number));
    if (id && n && SameHours(*n, hours)) found = int(*id);
  }
  return found;
}

QString TimeTextOfNumber(site::Table& lookup, ColumnCache<3>& cache, double hours) {
  const auto [key, text, number] = Positions(lookup, cache);
  if (key < 0 || number < 0) return QString();
  for (const site::Row& row : RowsOf(lookup)) {
    if (CellAt(row, key).isNull()) continue;
    const std::optional<double> n = site::CellNumber(CellAt(row, number));
    if (n && SameHours(*n, hours)) return site::CellText(CellAt(row, text));
  }
  return QString();
}

ColumnCache<2> panel_type_columns({"ID1", "Panel Type"});
ColumnCache<2> housing_columns({"ID2", "Housing Type"});
ColumnCache<2> option_columns({"ID4", "Options"});
ColumnCache<2> power_supply_columns({"ID5", "PowerSupply"});
ColumnCache<2> device_type_columns({"ID6", "Device Type Text"});
ColumnCache<2> output_columns({"ID9", "Outputs"});
ColumnCache<3> standby_columns({"ID7", "StandbyTimeText", "StandbyTimeNumber"});
ColumnCache<3> alarm_columns({"ID8", "AlarmTimeText", "AlarmTimeNumber"});

}  // namespace

std::optional<qint64> PanelTypeId(site::Table& lookup, const QString& name, Pick pick) {
  return IdOfName(lookup, panel_type_columns, name, pick);
}

QString PanelTypeName(site::Table& lookup, qint64 id) {
  return NameOfId(lookup, panel_type_columns, id);
}

std::optional<qint64> HousingId(site::Table& lookup, const QString& name, Pick pick) {
  return IdOfName(lookup, housing_columns, name, pick);
}

QString HousingName(site::Table& lookup, qint64 id) {
  return NameOfId(lookup, housing_columns, id);
}

std::optional<Protocol> ProtocolOfKey(site::Table& lookup, const QString& key) {
  const std::array<int, 8> c = Positions(lookup, ProtocolColumns());
  const site::Row* row = RowOfTextKey(lookup, c[0], key);
  if (!row) return std::nullopt;
  return ProtocolOfRow(c, *row);
}

std::optional<Protocol> ProtocolOfName(site::Table& lookup, const QString& name) {
  const std::array<int, 8> c = Positions(lookup, ProtocolColumns());
  if (c[0] < 0 || c[1] < 0) return std::nullopt;
  for (const site::Row& row : RowsOf(lookup)) {
    if (!CellAt(row, c[0]).isNull() && site::CellTextEquals(CellAt(row, c[1]), name))
      return ProtocolOfRow(c, row);
  }
  return std::nullopt;
}

QString ProtocolKey(int index) { return QStringLiteral("Prot") + QString::number(index); }

std::optional<QString> OptionCaption(site::Table& lookup, int index) {
  return Caption(lookup, option_columns, QStringLiteral("Opt") + QString::number(index));
}

std::optional<QString> PowerSupplyCaption(site::Table& lookup, int index) {
  return Caption(lookup, power_supply_columns, QStringLiteral("Psu") + QString::number(index));
}

QString LookupDeviceTypeText(site::Table& lookup, qint64 code) {
  const auto [key, text] = Positions(lookup, device_type_columns);
  const site::Row* row = RowOfIntKey(lookup, key, code);
  const QString found = row ? site::CellText(CellAt(*row, text)) : QString();
  if (!found.isEmpty()) return found;
  return QStringLiteral("MissingDev") + QString::number(code);
}

std::optional<qint64> DeviceTypeCodeOfText(site::Table& lookup, const QString& text) {
  return IdOfName(lookup, device_type_columns, text, Pick::kFirst);
}

QString OutputName(site::Table& lookup, qint64 number) {
  const auto [key, text] = Positions(lookup, output_columns);
  if (const site::Row* row = RowOfIntKey(lookup, key, number))
    return site::CellText(CellAt(*row, text));
  return i18n::Text(i18n::Msg::kOutput) + ' ' + QString::number(number);
}

QStringList StandbyTimeTexts(site::Table& lookup) { return TimeTexts(lookup, standby_columns); }

QStringList AlarmTimeTexts(site::Table& lookup) { return TimeTexts(lookup, alarm_columns); }

double StandbyTimeNumber(site::Table& lookup, int index) {
  return TimeNumber(lookup, standby_columns, index);
}

double AlarmTimeNumber(site::Table& lookup, int index) {
  return TimeNumber(lookup, alarm_columns, index);
}

std::optional<int> StandbyTimeIndex(site::Table& lookup, double hours) {
  return TimeIndex(lookup, standby_columns, hours);
}

std::optional<int> AlarmTimeIndex(site::Table& lookup, double hours) {
  return TimeIndex(lookup, alarm_columns, hours);
}

QString StandbyTimeTextOfNumber(site::Table& lookup, double hours) {
  return TimeTextOfNumber(lookup, standby_columns, hours);
}

QString AlarmTimeTextOfNumber(site::Table& lookup, double hours) {
  return TimeTextOfNumber(lookup, alarm_columns, hours);
}

}  // namespace velmora::catalogue
