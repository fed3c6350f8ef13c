#include "catalogue/catalogue.h"

#include "catalogue/catalogue_upgrade.h"
#include "catalogue/device_index.h"
#include "catalogue/device_seeding.h"
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
      translation_(&translation_db_, kTranslationTable),
      device_compat_(&data_db_, kFirstDeviceTable),
      device_index_(std::make_unique<DeviceIndex>()) {}

Catalogue::~Catalogue() = default;

const DeviceIndex& Catalogue::Devices() { return device_index_->Refresh(device_compat_); }

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
  device_compat_.Close();
  PrepareDeviceCatalogue(data_db_);
  // A protocol without a device table, or a table that is gone, leaves the catalogue empty.
  const QString name = device_compat_.Name();
  if (name.isEmpty() || !data_db_.HasTable(name)) return;
  try {
    device_compat_.Open();
  } catch (const site::StoreError&) {
    device_compat_.Close();
  }
}

void Catalogue::FilterPanelSpec(const QString& channel) {
  panel_spec_.SetFilter(site::Filter::SalesChannel(channel));
  panel_spec_.SetFiltered(true);
}

}  // namespace velmora::catalogue
