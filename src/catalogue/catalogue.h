#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>

#include "catalogue/device_catalogue.h"
#include "catalogue/variant.h"
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
// Translation_Text). The rules read it through value snapshots (variants, device tables, the
// defaults) that are read once and kept until their table is written.
class Catalogue {
 public:
  explicit Catalogue(const site::ProgramFolder& folder);
  ~Catalogue();
  Catalogue(const Catalogue&) = delete;
  Catalogue& operator=(const Catalogue&) = delete;

  site::Database& DataDb() { return data_db_; }
  site::Database& TranslationDb() { return translation_db_; }

  // 2010_2_PanelCompatibility, DefaultPanel, Translation_Text as cursors.
  site::Table& PanelSpec() { return panel_spec_; }
  site::Table& DefaultPanel() { return default_panel_; }
  site::Table& Translation() { return translation_; }

  // The variant rows offered in a sales channel (its own rows and those for "All"), in table
  // order, for the flag counts of the site's Panels table.
  const std::vector<Variant>& Variants(const QString& channel, const FlagCounts& flags);
  // K, the number of panel outputs: columns of the compatibility table beginning with "Out",
  // less 3.
  int PanelOutputCount();
  // The distinct sales channels of the whole compatibility table except "All", in table order.
  QStringList SalesChannels();
  // The first row of DefaultPanel.
  DefaultPanelValues Defaults(const FlagCounts& flags);

  // The ProtocolFile of the last lookup row whose ID3 is "Prot" + index: the device table of a
  // protocol; empty when there is none.
  QString ProtocolFile(int protocol_index);
  // A device table by name, read once and kept until the table is written; empty when there
  // is no such table.
  const DeviceTable& DeviceTableNamed(const QString& name);
  // The device table of a protocol (none: an empty table).
  const DeviceTable& ProtocolDevices(int protocol_index);

  // The start-up openings, each with the upgrade that belongs to it; the caller interleaves
  // them with the site tables in the program's start-up order. They throw site::StoreError when
  // a data source or one of the first three tables cannot be opened. An upgrade that fails is
  // rolled back and only noted in UpgradeProblems(); the table then opens as it is.
  void OpenPanelSpec();     // upgrade of the compatibility table runs before it opens
  void OpenTranslation();   // lookup upgrade right after it opens
  void OpenDefaultPanel();  // flag-column schema step, then the default loop length repair
  // The device seeding: the program's own device rows written into the device tables.
  void OpenDeviceCatalogue();

  // Restricts the compatibility table's cursor to a sales channel and the rows for "All".
  void FilterPanelSpec(const QString& channel);

  // The battery range the battery sizing picks from: capacities in Ah as shown, and the model
  // codes at the same positions.
  const QStringList& BatteryCapacities() const { return battery_capacities_; }
  const QStringList& BatteryModels() const { return battery_models_; }

  const site::ProgramFolder& Folder() const { return folder_; }

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
  QStringList battery_capacities_;
  QStringList battery_models_;
  bool battery_range_loaded_ = false;
  QStringList upgrade_problems_;

  struct VariantCache {
    quint64 generation = 0;
    FlagCounts flags;
    std::vector<Variant> all;
    std::map<QString, std::vector<Variant>> by_channel;  // references stay valid
  };
  VariantCache variants_;
  struct DeviceTableCache {
    quint64 generation = 0;
    DeviceTable table;
  };
  std::map<QString, DeviceTableCache> device_tables_;
  void ReadAllVariants(const FlagCounts& flags);
};

}  // namespace velmora::catalogue
