#pragma once

#include <QString>

#include "site/database.h"
#include "site/table.h"

namespace velmora::catalogue {

// The two panel codes whose own currents the compatibility upgrade sets (135 mA and 155 mA).
// They are catalogue data, kept in DBs/panel-upgrade.conf next to the catalogue.
struct FixedPanelCodes {
  QString first;
  QString second;
};
inline constexpr const char* kFixedPanelCodesFile = "DBs/panel-upgrade.conf";
// Reads "FirstPanelCode = ..." and "SecondPanelCode = ..." lines ('#' starts a comment). A file
// that is missing gives empty codes, which match no row.
FixedPanelCodes ReadFixedPanelCodes(const QString& file);

// Brings a compatibility table without Prot3 to the current layout: the Apollo protocol cell,
// option boards 5 to 8 and their values, in one transaction. A table that has Prot3 is left
// alone. True when the table was upgraded; throws site::StoreError after rolling back.
bool UpgradePanelSpec(site::Database& db, const QString& table, const FixedPanelCodes& codes);

// The lookup rows rewritten at every start (the Qellon loop length, the Apollo protocol in row 4,
// the Apollo device type names when missing, the captions of boards 5 to 8 in rows 6 to 9), on
// the open lookup cursor. Rows that the table does not have are not written. Throws
// site::StoreError after rolling back its transaction; the cursor ends on the first row.
void UpgradeTranslation(site::Table& lookup);

// DefaultPanel's CableLength becomes 250 when it is empty or -1. True when the row was changed.
bool RepairDefaultCableLength(site::Table& default_panel);

}  // namespace velmora::catalogue
