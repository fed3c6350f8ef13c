#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "site/database.h"
#include "site/program_folder.h"
#include "site/table.h"

namespace velmora::catalogue {

inline constexpr const char* kPanelSpecTable = "2010_2_PanelCompatibility";
inline constexpr const char* kDefaultPanelTable = "DefaultPanel";
inline constexpr const char* kTranslationTable = "Translation_Text";
inline constexpr const char* kFirstDeviceTable = "2000";

// The reference catalogue of one run: the catalogue store ("Velmora Data": panel compatibility
// table, DefaultPanel, the device tables) and the lookup store ("Velmora Translation":
// Translation_Text), with the four cursors the program reads them through.
class DeviceIndex;

class Catalogue {
 public:
  explicit Catalogue(const site::ProgramFolder& folder);
  ~Catalogue();
  Catalogue(const Catalogue&) = delete;
  Catalogue& operator=(const Catalogue&) = delete;

  site::Database& DataDb() { return data_db_; }
  site::Database& TranslationDb() { return translation_db_; }

  // 2010_2_PanelCompatibility; filtered by the site's sales channel while a site is open.
  site::Table& PanelSpec() { return panel_spec_; }
  site::Table& DefaultPanel() { return default_panel_; }
  site::Table& Translation() { return translation_; }
  // The device table of the current protocol (ADOTableDeviceCompat); starts as "2000".
  site::Table& DeviceCompat() { return device_compat_; }

  // The start-up openings, each with the upgrade that belongs to it; the caller interleaves
  // them with the site tables in the program's start-up order. They throw site::StoreError when
  // a data source or one of the first three tables cannot be opened. An upgrade that fails is
  // rolled back and only noted in UpgradeProblems(); the table then opens as it is.
  void OpenPanelSpec();     // upgrade of the compatibility table runs before it opens
  void OpenTranslation();   // lookup upgrade right after it opens
  void OpenDefaultPanel();  // flag-column schema step, then the default loop length repair
  // Device seeding runs before every open. A device table that does not exist (or no name)
  // leaves the device catalogue closed: the readers then see an empty catalogue.
  void OpenDeviceCatalogue();

  // Restricts the compatibility table to a sales channel and the rows for "All".
  void FilterPanelSpec(const QString& channel);

  // The battery range the battery sizing picks from: capacities in Ah as shown, and the model
  // codes at the same positions.
  const QStringList& BatteryCapacities() const { return battery_capacities_; }
  const QStringList& BatteryModels() const { return battery_models_; }

  const site::ProgramFolder& Folder() const { return folder_; }

  // The open device table as the device readers see it, kept until its rows change.
  const DeviceIndex& Devices();

  // A start-up upgrade that fails is rolled back and the table opens as it is; the reason is
  // kept here (one line per failure) for the caller to show or log. Nothing is shown from here.
  const QStringList& UpgradeProblems() const { return upgrade_problems_; }

 private:
  void OpenDataSource();
  void LoadBatteryRange();

  site::ProgramFolder folder_;
  site::Database data_db_;
  site::Database translation_db_;
  site::Table panel_spec_;
  site::Table default_panel_;
  site::Table translation_;
  site::Table device_compat_;
  QStringList battery_capacities_;
  QStringList battery_models_;
  bool battery_range_loaded_ = false;
  QStringList upgrade_problems_;
  std::unique_ptr<DeviceIndex> device_index_;
};

}  // namespace velmora::catalogue
