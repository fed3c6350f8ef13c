#include "catalogue/lookup.h"

#include <cmath>

#include "catalogue/cells.h"
#include "i18n/messages.h"
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

// Column positions of one family, resolved once per read; -1 when the table lacks the column.
struct Cols {
  explicit Cols(site::Table& lookup, std::initializer_list<const char*> names) {
    int i = 0;
    for (const char* name : names) at[i++] = lookup.IsOpen() ? lookup.FieldIndex(name) : -1;
  }
  bool Has(int i) const { return at[i] >= 0; }
  int at[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
};

const QVariant& CellAt(const site::Row& row, int index) {
  static const QVariant kEmpty;
  return index >= 0 && index < int(row.values.size()) ? row.values[index] : kEmpty;
}

bool SameHours(double a, double b) {
  return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(b));
}

// ID of the first (or last) row whose name column equals the text and whose key is set.
std::optional<qint64> IdOfName(site::Table& lookup, const char* key, const char* name_column,
                               const QString& name, Pick pick) {
  const Cols c(lookup, {key, name_column});
  if (!c.Has(0) || !c.Has(1)) return std::nullopt;
  std::optional<qint64> found;
  for (const site::Row& row : RowsOf(lookup)) {
    const std::optional<qint64> id = CellInt(CellAt(row, c.at[0]));
    if (!id || !CellTextEquals(CellAt(row, c.at[1]), name)) continue;
    found = id;
    if (pick == Pick::kFirst) break;
  }
  return found;
}

// The first row whose integer key equals the id.
const site::Row* RowOfIntKey(site::Table& lookup, int key_index, qint64 id) {
  if (key_index < 0) return nullptr;
  for (const site::Row& row : RowsOf(lookup)) {
    const std::optional<qint64> cell = CellInt(CellAt(row, key_index));
    if (cell && *cell == id) return &row;
  }
  return nullptr;
}

const site::Row* RowOfTextKey(site::Table& lookup, int key_index, const QString& key) {
  if (key_index < 0) return nullptr;
  for (const site::Row& row : RowsOf(lookup)) {
    if (CellTextEquals(CellAt(row, key_index), key)) return &row;
  }
  return nullptr;
}

QString NameOfId(site::Table& lookup, const char* key, const char* name_column, qint64 id) {
  const Cols c(lookup, {key, name_column});
  const site::Row* row = RowOfIntKey(lookup, c.at[0], id);
  return row ? CellText(CellAt(*row, c.at[1])) : QString();
}

Protocol ProtocolOfRow(site::Table& lookup, const site::Row& row) {
  const Cols c(lookup, {"ID3", "Protocol", "ProtocolFile", "MaxLoopLength", "LowestV",
                        "MaxDetectorCount", "MaxModuleCount", "ResistanceToDevice"});
  Protocol p;
  p.key = CellText(CellAt(row, c.at[0]));
  p.name = CellText(CellAt(row, c.at[1]));
  p.file = CellText(CellAt(row, c.at[2]));
  p.max_loop_length = CellInt(CellAt(row, c.at[3])).value_or(0);
  p.lowest_v = CellReal(CellAt(row, c.at[4])).value_or(0.0);
  p.max_detector_count = CellInt(CellAt(row, c.at[5])).value_or(0);
  p.max_module_count = CellInt(CellAt(row, c.at[6])).value_or(0);
  p.resistance_to_device = CellReal(CellAt(row, c.at[7])).value_or(0.0);
  return p;
}

std::optional<QString> Caption(site::Table& lookup, const char* key, const char* column,
                               const QString& value) {
  const Cols c(lookup, {key, column});
  const site::Row* row = RowOfTextKey(lookup, c.at[0], value);
  if (!row) return std::nullopt;
  return CellText(CellAt(*row, c.at[1]));
}

QStringList TimeTexts(site::Table& lookup, const char* key, const char* text) {
  const Cols c(lookup, {key, text});
  QStringList texts;
  if (!c.Has(0)) return texts;
  for (const site::Row& row : RowsOf(lookup)) {
    if (CellAt(row, c.at[0]).isNull()) continue;
    texts << CellText(CellAt(row, c.at[1]));
  }
  return texts;
}

double TimeNumber(site::Table& lookup, const char* key, const char* number, int index) {
  const Cols c(lookup, {key, number});
  double hours = 0.0;
  if (!c.Has(0)) return hours;
  for (const site::Row& row : RowsOf(lookup)) {
    const std::optional<qint64> id = CellInt(CellAt(row, c.at[0]));
    if (id && *id == index) hours = CellReal(CellAt(row, c.at[1])).value_or(0.0);
  }
  return hours;
}

std::optional<int> TimeIndex(site::Table& lookup, const char* key, const char* number,
                             double hours) {
  const Cols c(lookup, {key, number});
  std::optional<int> found;
  if (!c.Has(0) || !c.Has(1)) return found;
  for (const site::Row& row : RowsOf(lookup)) {
    const std::optional<qint64> id = CellInt(CellAt(row, c.at[0]));
    const std::optional<double> n = CellReal(CellAt(row, c.at[1]));
    if (id && n && SameHours(*n, hours)) found = int(*id);
  }
  return found;
}

QString TimeTextOfNumber(site::Table& lookup, const char* key, const char* text, const char* number,
                         double hours) {
  const Cols c(lookup, {key, text, number});
  if (!c.Has(0) || !c.Has(2)) return QString();
  for (const site::Row& row : RowsOf(lookup)) {
    if (CellAt(row, c.at[0]).isNull()) continue;
    const std::optional<double> n = CellReal(CellAt(row, c.at[2]));
    if (n && SameHours(*n, hours)) return CellText(CellAt(row, c.at[1]));
  }
  return QString();
}

}  // namespace

std::optional<qint64> PanelTypeId(site::Table& lookup, const QString& name, Pick pick) {
  return IdOfName(lookup, "ID1", "Panel Type", name, pick);
}

QString PanelTypeName(site::Table& lookup, qint64 id) {
  return NameOfId(lookup, "ID1", "Panel Type", id);
}

std::optional<qint64> HousingId(site::Table& lookup, const QString& name, Pick pick) {
  return IdOfName(lookup, "ID2", "Housing Type", name, pick);
}

QString HousingName(site::Table& lookup, qint64 id) {
  return NameOfId(lookup, "ID2", "Housing Type", id);
}

std::optional<Protocol> ProtocolOfKey(site::Table& lookup, const QString& key) {
  const site::Row* row = RowOfTextKey(lookup, lookup.IsOpen() ? lookup.FieldIndex("ID3") : -1, key);
  if (!row) return std::nullopt;
  return ProtocolOfRow(lookup, *row);
}

std::optional<Protocol> ProtocolOfName(site::Table& lookup, const QString& name) {
  const Cols c(lookup, {"ID3", "Protocol"});
  if (!c.Has(0) || !c.Has(1)) return std::nullopt;
  for (const site::Row& row : RowsOf(lookup)) {
    if (CellAt(row, c.at[0]).isNull()) continue;
    if (CellTextEquals(CellAt(row, c.at[1]), name)) return ProtocolOfRow(lookup, row);
  }
  return std::nullopt;
}

QString ProtocolKey(int index) { return QStringLiteral("Prot") + QString::number(index); }

std::optional<QString> OptionCaption(site::Table& lookup, int index) {
  return Caption(lookup, "ID4", "Options", QStringLiteral("Opt") + QString::number(index));
}

std::optional<QString> PowerSupplyCaption(site::Table& lookup, int index) {
  return Caption(lookup, "ID5", "PowerSupply", QStringLiteral("Psu") + QString::number(index));
}

QString LookupDeviceTypeText(site::Table& lookup, qint64 code) {
  const Cols c(lookup, {"ID6", "Device Type Text"});
  const site::Row* row = RowOfIntKey(lookup, c.at[0], code);
  const QString text = row ? CellText(CellAt(*row, c.at[1])) : QString();
  if (!text.isEmpty()) return text;
  return QStringLiteral("MissingDev") + QString::number(code);
}

std::optional<qint64> DeviceTypeCodeOfText(site::Table& lookup, const QString& text) {
  return IdOfName(lookup, "ID6", "Device Type Text", text, Pick::kFirst);
}

QString OutputName(site::Table& lookup, qint64 number) {
  const Cols c(lookup, {"ID9", "Outputs"});
  if (const site::Row* row = RowOfIntKey(lookup, c.at[0], number))
    return CellText(CellAt(*row, c.at[1]));
  return i18n::Text(i18n::Msg::kOutput) + ' ' + QString::number(number);
}

QStringList StandbyTimeTexts(site::Table& lookup) {
  return TimeTexts(lookup, "ID7", "StandbyTimeText");
}

QStringList AlarmTimeTexts(site::Table& lookup) {
  return TimeTexts(lookup, "ID8", "AlarmTimeText");
}

double StandbyTimeNumber(site::Table& lookup, int index) {
  return TimeNumber(lookup, "ID7", "StandbyTimeNumber", index);
}

double AlarmTimeNumber(site::Table& lookup, int index) {
  return TimeNumber(lookup, "ID8", "AlarmTimeNumber", index);
}

std::optional<int> StandbyTimeIndex(site::Table& lookup, double hours) {
  return TimeIndex(lookup, "ID7", "StandbyTimeNumber", hours);
}

std::optional<int> AlarmTimeIndex(site::Table& lookup, double hours) {
  return TimeIndex(lookup, "ID8", "AlarmTimeNumber", hours);
}

QString StandbyTimeTextOfNumber(site::Table& lookup, double hours) {
  return TimeTextOfNumber(lookup, "ID7", "StandbyTimeText", "StandbyTimeNumber", hours);
}

QString AlarmTimeTextOfNumber(site::Table& lookup, double hours) {
  return TimeTextOfNumber(lookup, "ID8", "AlarmTimeText", "AlarmTimeNumber", hours);
}

}  // namespace velmora::catalogue
