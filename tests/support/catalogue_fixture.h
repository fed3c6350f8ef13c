#pragma once

#include <QString>

#include "site/database.h"

namespace velmora::testing {

// Small catalogue stores for tests, in the layouts the program meets: the current one and the
// older one from before the Apollo protocol and option boards 5 to 8.

// A lookup table "Translation_Text" with every family's columns and no rows.
void CreateLookupTable(site::Database& db);
// A device table with the 14 device columns and no rows.
void CreateDeviceTable(site::Database& db, const QString& name);
// The older compatibility table: Prot0..Prot2, Opt0..Opt4 with Cur0..4 and Part0..4, no rows.
void CreateOldPanelSpec(site::Database& db);
// The older DefaultPanel: flags Prot0..Prot2, Opt0..Opt4, Psu0..Psu2 and the loop defaults.
void CreateOldDefaultPanel(site::Database& db);

// A device row of the 14 columns (currents in A, voltage in mV).
void AddDevice(site::Database& db, const QString& table, qint64 type_code, const QString& code,
               const QString& group = "all", const QString& branding = "S00",
               double standby = 0.0003, double alarm = 0.004, qint64 min_voltage = 17000,
               qint64 max_per_loop = 128, qint64 count = 1);

}  // namespace velmora::testing
