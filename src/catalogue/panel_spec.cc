#include "catalogue/panel_spec.h"

#include <cmath>

#include "catalogue/column_cache.h"
#include "site/cells.h"
#include "site/store_error.h"

namespace velmora::catalogue {

Availability AvailabilityOf(const QString& cell) {
  const QStringView head = QStringView(cell).left(3);
  if (head == u"STD") return Availability::kStandard;
  if (head == u"OPT") return Availability::kOptional;
  if (head == u"N/A") return Availability::kNotAvailable;
  return Availability::kUnknown;
}

std::optional<int> ProtocolMaxLoopCurrent(const QString& cell) {
  if (cell.size() < 6) return std::nullopt;
  int value = 0;
  for (int i = 3; i < 6; ++i) {
    const QChar c = cell.at(i);
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c.unicode() - u'0');
  }
  return value;
}

std::optional<QChar> OptionGroup(const QString& cell) {
  if (cell.size() < 4) return std::nullopt;
  return cell.at(3);
}

bool OptionHasLoopDigit(const QString& cell) { return cell.size() >= 5; }

int OptionAddedLoops(const QString& cell) {
  if (cell.size() < 5) return 0;
  const QChar c = cell.at(4);
  return c >= u'0' && c <= u'9' ? c.unicode() - u'0' : 0;
}

PackedStandby DecodeOptionStandby(double value) {
  PackedStandby packed;
  if (!std::isfinite(value)) return packed;
  packed.outputs = qint64(std::trunc(value / 100000000.0));
  packed.output_max = qint64(std::fmod(std::trunc(value / 10000.0), 10000.0));
  packed.standby = qint64(std::trunc(std::fmod(value, 10000.0)));
  return packed;
}

double OptionAlarmCurrent(double value) {
  if (!std::isfinite(value)) return 0.0;
  return std::fmod(value, 10000.0);
}

FlagCounts CountPanelColumns(site::Table& panels) {
  FlagCounts counts;
  for (const QString& name : panels.FieldNames()) {
    const QStringView head = QStringView(name).left(3);
    if (head == u"Pro")
      ++counts.protocols;
    else if (head == u"Opt")
      ++counts.options;
    else if (head == u"Psu")
      ++counts.power_supplies;
  }
  return counts;
}

int CountPanelOutputs(site::Table& panel_spec) {
  int outputs = 0;
  for (const QString& name : panel_spec.FieldNames()) {
    if (QStringView(name).left(3) == u"Out") ++outputs;
  }
  return outputs - 3;
}

QStringList SalesChannels(site::Database& db, const QString& table) {
  QStringList channels;
  if (!db.IsOpen() || !db.HasTable(table)) return channels;
  const int column = db.ColumnIndex(table, "SalesChannel");
  if (column < 0) return channels;
  for (const site::Row& row : db.Select(table)) {
    const QVariant& cell = row.values[column];
    if (cell.isNull()) continue;
    const QString channel = site::CellText(cell);
    if (channel == u"All" || channels.contains(channel)) continue;
    channels << channel;
  }
  return channels;
}

std::optional<int> FindVariantRow(site::Table& panel_spec, qint64 type_id, qint64 housing_id) {
  if (!panel_spec.IsOpen()) return std::nullopt;
  static ColumnCache<2> cache({"ID1", "ID2"});
  const auto [id1, id2] = cache.Resolve(panel_spec);
  if (id1 < 0 || id2 < 0) return std::nullopt;
  const std::vector<site::Row>& rows = panel_spec.Rows();
  for (int i = 0; i < int(rows.size()); ++i) {
    const std::optional<qint64> type = site::CellWhole(rows[i].values[id1]);
    const std::optional<qint64> housing = site::CellWhole(rows[i].values[id2]);
    if (type && housing && *type == type_id && *housing == housing_id) return i + 1;
  }
  return std::nullopt;
}

bool LocateVariantRow(site::Table& panel_spec, qint64 type_id, qint64 housing_id) {
  const std::optional<int> rec_no = FindVariantRow(panel_spec, type_id, housing_id);
  if (!rec_no) return false;
  panel_spec.SetRecNo(*rec_no);
  return true;
}

}  // namespace velmora::catalogue
