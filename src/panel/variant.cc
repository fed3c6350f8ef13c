#include "panel/variant.h"

#include <cmath>

#include "electrical/run.h"

namespace velmora::panel {
namespace {

using catalogue::Availability;

std::optional<qint64> IntOf(const QVariant& v) {
  if (v.isNull() || !v.isValid()) return std::nullopt;
  bool ok = false;
  if (v.typeId() == QMetaType::Double) {
    const double d = v.toDouble();
    if (!std::isfinite(d)) return std::nullopt;
    return qint64(std::llround(d));
  }
  if (v.typeId() == QMetaType::QString) {
    const QString text = v.toString().trimmed();
    const qint64 n = text.toLongLong(&ok);
    if (ok) return n;
    const double d = text.toDouble(&ok);
    if (ok && std::isfinite(d)) return qint64(std::llround(d));
    return std::nullopt;
  }
  const qint64 n = v.toLongLong(&ok);
  return ok ? std::optional<qint64>(n) : std::nullopt;
}

double RealOf(const QVariant& v) {
  if (v.isNull() || !v.isValid()) return 0.0;
  if (v.typeId() == QMetaType::QString) return v.toString().trimmed().toDouble();
  return v.toDouble();
}

QString TextOf(const QVariant& v) {
  if (v.isNull() || !v.isValid()) return QString();
  if (v.typeId() == QMetaType::Double) return QString::number(v.toDouble(), 'g', 15);
  return v.toString();
}

bool BoolOf(const QVariant& v) {
  if (v.isNull() || !v.isValid()) return false;
  if (v.typeId() == QMetaType::QString) {
    const QString text = v.toString().trimmed();
    if (text.compare("true", Qt::CaseInsensitive) == 0) return true;
    return text.toDouble() != 0.0;
  }
  return v.toDouble() != 0.0;
}

// Column positions of one table, looked up once per read.
class Columns {
 public:
  explicit Columns(site::Table& table) : table_(table) {}
  int operator()(const QString& name) const { return table_.FieldIndex(name); }

 private:
  site::Table& table_;
};

const QVariant& At(const site::Row& row, int index) {
  static const QVariant kEmpty;
  return index >= 0 && index < int(row.values.size()) ? row.values[index] : kEmpty;
}

std::vector<int> Indexes(const Columns& columns, const QString& prefix, int count,
                         const QString& suffix = {}) {
  std::vector<int> indexes;
  indexes.reserve(count);
  for (int i = 0; i < count; ++i) indexes.push_back(columns(prefix + QString::number(i) + suffix));
  return indexes;
}

Availability CellAvailability(const QStringList& cells, int i) {
  if (i < 0 || i >= cells.size()) return Availability::kNotAvailable;
  const Availability a = catalogue::AvailabilityOf(cells[i]);
  // A cell that is missing or holds no known availability offers nothing.
  return a == Availability::kUnknown ? Availability::kNotAvailable : a;
}

}  // namespace

PanelCounts CountColumns(Run& run) {
  PanelCounts counts;
  counts.flags = catalogue::CountPanelColumns(run.doc.Panels());
  counts.outputs = std::max(0, catalogue::CountPanelOutputs(run.catalogue.PanelSpec()));
  return counts;
}

Availability Variant::ProtocolAvailability(int i) const { return CellAvailability(protocols, i); }
Availability Variant::OptionAvailability(int i) const { return CellAvailability(options, i); }
Availability Variant::PowerSupplyAvailability(int i) const {
  return CellAvailability(power_supplies, i);
}

int Variant::OptionLoops(int i) const {
  if (i < 0 || i >= options.size()) return 0;
  return catalogue::OptionAddedLoops(options[i]);
}

int Variant::OwnOutputCount() const {
  int k = 0;
  for (qint64 max : outputs) {
    if (max > 0) ++k;
  }
  return k;
}

std::vector<Variant> ReadVariants(Run& run, const PanelCounts& counts) {
  site::Table& spec = run.catalogue.PanelSpec();
  const Columns col(spec);
  const int id1 = col("ID1");
  const int id2 = col("ID2");
  const int group = col("Panel Group Code");
  const int code = col("Panel Code");
  const int loops = col("LoopCount");
  const std::vector<int> prot = Indexes(col, "Prot", counts.flags.protocols);
  const std::vector<int> opt = Indexes(col, "Opt", counts.flags.options);
  const std::vector<int> psu = Indexes(col, "Psu", counts.flags.power_supplies);
  const std::vector<int> cur = Indexes(col, "Cur", counts.flags.options, "S");
  std::vector<int> out;
  for (int n = 1; n <= counts.outputs; ++n) out.push_back(col("Out" + QString::number(n)));
  const int extra[3] = {col("Out101"), col("Out102"), col("Out103")};

  std::vector<Variant> variants;
  const std::vector<site::Row>& rows = spec.Rows();
  variants.reserve(rows.size());
  for (const site::Row& row : rows) {
    Variant v;
    v.type_id = IntOf(At(row, id1));
    v.housing_id = IntOf(At(row, id2));
    v.group_code = TextOf(At(row, group));
    v.panel_code = TextOf(At(row, code));
    v.loop_count = std::max<qint64>(0, IntOf(At(row, loops)).value_or(0));
    for (int index : prot) v.protocols << TextOf(At(row, index));
    for (int index : opt) v.options << TextOf(At(row, index));
    for (int index : psu) v.power_supplies << TextOf(At(row, index));
    for (int index : cur) v.option_standby.push_back(RealOf(At(row, index)));
    for (int index : out) v.outputs.push_back(IntOf(At(row, index)).value_or(0));
    for (int i = 0; i < 3; ++i) v.extra_outputs[i] = IntOf(At(row, extra[i])).value_or(0);
    variants.push_back(std::move(v));
  }
  return variants;
}

const Variant* FindVariant(const std::vector<Variant>& variants, qint64 type, qint64 housing) {
  for (const Variant& v : variants) {
    if (v.Is(type, housing)) return &v;
  }
  return nullptr;
}

namespace {

std::vector<bool> Flags(const site::Row& row, const std::vector<int>& indexes) {
  std::vector<bool> flags;
  flags.reserve(indexes.size());
  for (int index : indexes) flags.push_back(BoolOf(At(row, index)));
  return flags;
}

PanelFlags ReadFlags(site::Table& table, const site::Row& row, const PanelCounts& counts) {
  const Columns col(table);
  PanelFlags flags;
  flags.protocols = Flags(row, Indexes(col, "Prot", counts.flags.protocols));
  flags.options = Flags(row, Indexes(col, "Opt", counts.flags.options));
  flags.power_supplies = Flags(row, Indexes(col, "Psu", counts.flags.power_supplies));
  return flags;
}

}  // namespace

DefaultPanelValues ReadDefaultPanel(Run& run, const PanelCounts& counts) {
  DefaultPanelValues d;
  site::Table& table = run.catalogue.DefaultPanel();
  d.flags.protocols.assign(counts.flags.protocols, false);
  d.flags.options.assign(counts.flags.options, false);
  d.flags.power_supplies.assign(counts.flags.power_supplies, false);
  if (!table.IsOpen()) return d;
  const std::vector<site::Row>& rows = table.Rows();
  if (rows.empty()) return d;
  const site::Row& row = rows.front();
  const Columns col(table);
  d.type_id = IntOf(At(row, col("ID1")));
  d.housing_id = IntOf(At(row, col("ID2")));
  d.flags = ReadFlags(table, row, counts);
  d.cable_spec = IntOf(At(row, col("CableSpec"))).value_or(0);
  // A missing length is repaired to 250 m at start-up; read it the same way meanwhile.
  const std::optional<qint64> length = IntOf(At(row, col("CableLength")));
  d.cable_length = !length || *length == -1 ? 250 : *length;
  d.alarm_indicators = IntOf(At(row, col("AlarmIndicators"))).value_or(0);
  d.one_location = BoolOf(At(row, col("OneLocation")));
  d.one_location_length = IntOf(At(row, col("OneLocationLength"))).value_or(0);
  d.spread = BoolOf(At(row, col("Spread")));
  d.spread_length = IntOf(At(row, col("SpreadLength"))).value_or(0);
  return d;
}

PanelFlags ReadPanelFlags(site::Table& panels, const PanelCounts& counts) {
  PanelFlags flags;
  auto read = [&](const QString& prefix, int count) {
    std::vector<bool> values;
    for (int i = 0; i < count; ++i) values.push_back(panels.Bool(prefix + QString::number(i)));
    return values;
  };
  flags.protocols = read("Prot", counts.flags.protocols);
  flags.options = read("Opt", counts.flags.options);
  flags.power_supplies = read("Psu", counts.flags.power_supplies);
  return flags;
}

}  // namespace velmora::panel
