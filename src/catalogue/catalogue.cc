#include "catalogue/catalogue.h"

#include "catalogue/catalogue_upgrade.h"
#include "catalogue/device_seeding.h"
#include "catalogue/lookup.h"
#include "catalogue/panel_spec.h"
#include "site/cells.h"
#include "site/filter.h"
#include "site/flag_columns_upgrade.h"
#include "site/store_error.h"

namespace velmora::catalogue {

namespace {

// The battery range of the maker, used when a catalogue has no BatteryModels table.
const char* const kDefaultCapacities[] = {"7.2", "12", "18", "26", "45", "65"};
const char* const kDefaultModels[] = {"VB-1207", "VB-1212", "VB-1218",
                                      "VB-1226", "VB-1245", "VB-1265"};
const char kBatteryTable[] = "BatteryModels";
const char kBatteryRange[] = "Halvo";

}  // namespace

Catalogue::Catalogue(const site::ProgramFolder& folder)
    : folder_(folder),
      data_db_(site::kDataSource, folder.Catalogue()),
      translation_db_(site::kTranslationSource, folder.Translation()),
      panel_spec_(&data_db_, kPanelSpecTable),
      default_panel_(&data_db_, kDefaultPanelTable),
      translation_(&translation_db_, kTranslationTable) {}

Catalogue::~Catalogue() = default;

void Catalogue::OpenDataSource() {
  data_db_.Open();
  if (!battery_range_loaded_) LoadBatteryRange();
}

void Catalogue::LoadBatteryRange() {
  battery_range_loaded_ = true;
  battery_capacities_.clear();
  battery_models_.clear();
  try {
    if (data_db_.HasTable(kBatteryTable)) {
      site::Table range(&data_db_, kBatteryTable);
      range.SetFilter(site::Filter::Equals("Range", kBatteryRange));
      range.SetFiltered(true);
      range.SetSort("Position");
      range.Open();
      for (range.First(); !range.Eof(); range.Next()) {
        battery_capacities_ << range.Text("Capacity").trimmed();
        battery_models_ << range.Text("Model").trimmed();
      }
    }
  } catch (const site::StoreError& error) {
    upgrade_problems_ << error.Message();
    battery_capacities_.clear();
    battery_models_.clear();
  }
  if (battery_capacities_.isEmpty()) {
    for (const char* capacity : kDefaultCapacities) battery_capacities_ << capacity;
    for (const char* model : kDefaultModels) battery_models_ << model;
  }
}

void Catalogue::OpenPanelSpec() {
  OpenDataSource();
  try {
    UpgradePanelSpec(data_db_, kPanelSpecTable,
                     ReadFixedPanelCodes(folder_.Path(kFixedPanelCodesFile)));
  } catch (const site::StoreError& error) {
    upgrade_problems_ << error.Message();
  }
  panel_spec_.Open();
}

void Catalogue::OpenTranslation() {
  translation_db_.Open();
  translation_.Open();
  try {
    UpgradeTranslation(translation_);
  } catch (const site::StoreError& error) {
    upgrade_problems_ << error.Message();
    translation_.First();
  }
}

void Catalogue::OpenDefaultPanel() {
  OpenDataSource();
  try {
    site::UpgradeFlagColumns(data_db_, kDefaultPanelTable);
  } catch (const site::StoreError& error) {
    upgrade_problems_ << error.Message();
  }
  default_panel_.Open();
  try {
    RepairDefaultCableLength(default_panel_);
  } catch (const site::StoreError& error) {
    upgrade_problems_ << error.Message();
  }
}

void Catalogue::OpenDeviceCatalogue() {
  OpenDataSource();
  PrepareDeviceCatalogue(data_db_);
  device_tables_.clear();
}

void Catalogue::FilterPanelSpec(const QString& channel) {
  panel_spec_.SetFilter(site::Filter::SalesChannel(channel));
  panel_spec_.SetFiltered(true);
}

namespace {

const QVariant& At(const site::Row& row, int index) {
  static const QVariant kEmpty;
  return index >= 0 && index < int(row.values.size()) ? row.values[index] : kEmpty;
}

}  // namespace

int Catalogue::PanelOutputCount() {
  if (!data_db_.IsOpen() || !data_db_.HasTable(kPanelSpecTable)) return 0;
  int outputs = 0;
  for (const site::Column& column : data_db_.Columns(kPanelSpecTable)) {
    if (QStringView(column.name).left(3) == u"Out") ++outputs;
  }
  return std::max(0, outputs - 3);
}

void Catalogue::ReadAllVariants(const FlagCounts& flags) {
  variants_ = VariantCache{};
  variants_.flags = flags;
  if (!data_db_.IsOpen()) return;
  variants_.generation = data_db_.Generation(kPanelSpecTable);
  std::vector<site::Row> rows;
  try {
    if (!data_db_.HasTable(kPanelSpecTable)) return;
    rows = data_db_.Select(kPanelSpecTable);
  } catch (const site::StoreError&) {
    return;
  }
  auto col = [this](const QString& name) { return data_db_.ColumnIndex(kPanelSpecTable, name); };
  auto family = [&](const QString& prefix, int count, const QString& suffix = {}) {
    std::vector<int> columns;
    for (int i = 0; i < count; ++i) columns.push_back(col(prefix + QString::number(i) + suffix));
    return columns;
  };
  const int id1 = col("ID1"), id2 = col("ID2"), group = col("Panel Group Code");
  const int code = col("Panel Code"), channel = col("SalesChannel"), loops = col("LoopCount");
  const int standby = col("StandbyCurrent"), alarm = col("AlarmCurrent");
  const int battery = col("BattSize");
  const std::vector<int> prot = family("Prot", flags.protocols);
  const std::vector<int> opt = family("Opt", flags.options);
  const std::vector<int> psu = family("Psu", flags.power_supplies);
  const std::vector<int> cur_s = family("Cur", flags.options, "S");
  const std::vector<int> cur_a = family("Cur", flags.options, "A");
  const std::vector<int> part = family("Part", flags.options);
  const std::vector<int> pcur_s = family("PCur", flags.power_supplies, "S");
  const std::vector<int> pcur_a = family("PCur", flags.power_supplies, "A");
  const int outputs = PanelOutputCount();
  std::vector<int> out;
  for (int n = 1; n <= outputs; ++n) out.push_back(col("Out" + QString::number(n)));
  const int extra[3] = {col("Out101"), col("Out102"), col("Out103")};
  auto supply_limit = [](const site::Row& row, int c) -> std::optional<double> {
    // An empty cell, or no column at all, is smaller than any current.
    return c < 0 ? std::nullopt : site::CellNumber(At(row, c));
  };

  variants_.all.reserve(rows.size());
  for (const site::Row& row : rows) {
    Variant v;
    v.type_id = site::CellWhole(At(row, id1));
    v.housing_id = site::CellWhole(At(row, id2));
    v.group_code = site::CellText(At(row, group));
    v.panel_code = site::CellText(At(row, code));
    v.sales_channel = site::CellText(At(row, channel));
    v.loop_count = std::max<qint64>(0, site::CellWhole(At(row, loops)).value_or(0));
    for (int c : prot) v.protocols << site::CellText(At(row, c));
    for (int c : opt) v.options << site::CellText(At(row, c));
    for (int c : psu) v.power_supplies << site::CellText(At(row, c));
    for (int c : cur_s) v.option_standby.push_back(site::CellReal(At(row, c)));
    for (int c : cur_a) v.option_alarm.push_back(site::CellReal(At(row, c)));
    for (int c : part) v.option_parts << site::CellText(At(row, c));
    for (int c : pcur_s) v.supply_standby.push_back(supply_limit(row, c));
    for (int c : pcur_a) v.supply_alarm.push_back(supply_limit(row, c));
    for (int c : out) v.outputs.push_back(site::CellInt(At(row, c)));
    for (int i = 0; i < 3; ++i) v.extra_outputs[i] = site::CellInt(At(row, extra[i]));
    v.standby_current = site::CellReal(At(row, standby));
    v.alarm_current = site::CellReal(At(row, alarm));
    v.battery_size = site::CellNumber(At(row, battery));
    variants_.all.push_back(std::move(v));
  }
}

const std::vector<Variant>& Catalogue::Variants(const QString& channel, const FlagCounts& flags) {
  const quint64 generation = data_db_.IsOpen() ? data_db_.Generation(kPanelSpecTable) : 0;
  if (generation != variants_.generation || !(flags == variants_.flags) ||
      (variants_.all.empty() && generation == 0))
    ReadAllVariants(flags);
  auto it = variants_.by_channel.find(channel);
  if (it != variants_.by_channel.end()) return it->second;
  std::vector<Variant> offered;
  for (const Variant& v : variants_.all) {
    if (v.sales_channel == channel || v.sales_channel == u"All") offered.push_back(v);
  }
  return variants_.by_channel.emplace(channel, std::move(offered)).first->second;
}

QStringList Catalogue::SalesChannels() {
  return catalogue::SalesChannels(data_db_, kPanelSpecTable);
}

DefaultPanelValues Catalogue::Defaults(const FlagCounts& flags) {
  DefaultPanelValues d;
  d.flags.protocols.assign(flags.protocols, false);
  d.flags.options.assign(flags.options, false);
  d.flags.power_supplies.assign(flags.power_supplies, false);
  if (!data_db_.IsOpen() || !data_db_.HasTable(kDefaultPanelTable)) return d;
  const std::vector<site::Row> rows = data_db_.Select(kDefaultPanelTable);
  if (rows.empty()) return d;
  const site::Row& row = rows.front();
  auto cell = [&](const QString& name) -> const QVariant& {
    return At(row, data_db_.ColumnIndex(kDefaultPanelTable, name));
  };
  d.type_id = site::CellWhole(cell("ID1"));
  d.housing_id = site::CellWhole(cell("ID2"));
  for (int i = 0; i < flags.protocols; ++i)
    d.flags.protocols[i] = site::CellBool(cell("Prot" + QString::number(i)));
  for (int i = 0; i < flags.options; ++i)
    d.flags.options[i] = site::CellBool(cell("Opt" + QString::number(i)));
  for (int i = 0; i < flags.power_supplies; ++i)
    d.flags.power_supplies[i] = site::CellBool(cell("Psu" + QString::number(i)));
  d.cable_spec = site::CellWhole(cell("CableSpec")).value_or(0);
  // A missing length is repaired to 250 m at start-up; read it the same way meanwhile.
  const std::optional<qint64> length = site::CellWhole(cell("CableLength"));
  d.cable_length = !length || *length == -1 ? 250 : *length;
  d.alarm_indicators = site::CellWhole(cell("AlarmIndicators")).value_or(0);
  d.one_location = site::CellBool(cell("OneLocation"));
  d.one_location_length = site::CellWhole(cell("OneLocationLength")).value_or(0);
  d.spread = site::CellBool(cell("Spread"));
  d.spread_length = site::CellWhole(cell("SpreadLength")).value_or(0);
  return d;
}

QString Catalogue::ProtocolFile(int protocol_index) {
  if (protocol_index < 0 || !translation_.IsOpen()) return QString();
  const QString key = ProtocolKey(protocol_index);
  const int id3 = translation_.FieldIndex("ID3");
  const int protocol_file = translation_.FieldIndex("ProtocolFile");
  if (id3 < 0 || protocol_file < 0) return QString();
  QString file;
  // The last row carrying the key names the table.
  try {
    for (const site::Row& row : translation_.Rows()) {
      if (site::CellTextEquals(At(row, id3), key)) file = site::CellText(At(row, protocol_file));
    }
  } catch (const site::StoreError&) {
    file.clear();
  }
  return file;
}

const DeviceTable& Catalogue::DeviceTableNamed(const QString& name) {
  static const DeviceTable kNone;
  if (name.isEmpty() || !data_db_.IsOpen()) return kNone;
  const QString table = data_db_.ResolveTable(name);
  if (table.isEmpty()) return kNone;
  const quint64 generation = data_db_.Generation(table);
  auto it = device_tables_.find(table);
  if (it != device_tables_.end() && it->second.generation == generation) return it->second.table;
  std::vector<Device> devices;
  try {
    const bool sortable = data_db_.ColumnIndex(table, "DeviceTypeCode") >= 0;
    const std::vector<site::Row> rows =
        data_db_.Select(table, {}, sortable ? QStringLiteral("DeviceTypeCode") : QString());
    auto c = [&](const char* column) { return data_db_.ColumnIndex(table, column); };
    const int type = c("DeviceTypeCode"), text = c("DeviceTypeText"), code = c("DeviceCode");
    const int count = c("DeviceCount"), max = c("MaxPerLoop"), isolator = c("Isolator");
    const int group = c("DeviceGroup"), branding = c("BrandingCode");
    const int standby = c("StandbyCurrent"), alarm = c("AlarmCurrent"), volts = c("MinVoltage");
    devices.reserve(rows.size());
    for (const site::Row& row : rows) {
      Device d;
      const std::optional<qint64> type_code = site::CellWhole(At(row, type));
      d.has_type = type_code.has_value();
      d.type_code = type_code.value_or(0);
      d.type_text = site::CellText(At(row, text));
      d.code = site::IsEmptyCell(At(row, code)) ? QString() : site::CellText(At(row, code));
      d.count = site::CellWhole(At(row, count)).value_or(0);
      d.max_per_loop = site::CellWhole(At(row, max)).value_or(0);
      d.isolator = site::CellBool(At(row, isolator));
      d.group = site::CellText(At(row, group));
      d.branding_code = site::CellText(At(row, branding));
      d.standby_current = site::CellNumber(At(row, standby)).value_or(0.0);
      d.alarm_current = site::CellNumber(At(row, alarm)).value_or(0.0);
      d.min_voltage = site::CellWhole(At(row, volts)).value_or(0);
      devices.push_back(std::move(d));
    }
  } catch (const site::StoreError&) {
    devices.clear();
  }
  DeviceTableCache& cached = device_tables_[table];
  cached.generation = generation;
  cached.table = DeviceTable(std::move(devices));
  return cached.table;
}

const DeviceTable& Catalogue::ProtocolDevices(int protocol_index) {
  return DeviceTableNamed(ProtocolFile(protocol_index));
}

}  // namespace velmora::catalogue
