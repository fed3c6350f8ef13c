#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "site/database.h"
#include "site/table.h"

namespace velmora::catalogue {

// Device data the program carries itself and writes into the catalogue store before every open
// of the device catalogue: the Apollo table (created once) and rows for two of the maker's
// device tables (rewritten every time).
struct DeviceSeed {
  QStringList columns;            // the column-name row
  std::vector<QStringList> rows;  // device rows, 14 texts each in the order of `columns`
};

// Comma-separated text: the column-name row, then one device per line.
DeviceSeed ParseDeviceSeed(const QString& text);

const DeviceSeed& ApolloSeed();       // 209 rows, currents in mA
const DeviceSeed& FirstMakerSeed();   // 11 rows for "2000", currents in A
const DeviceSeed& SecondMakerSeed();  // 12 rows for "QELLON", currents in A

inline constexpr int kApolloSeedRows = 209;
inline constexpr int kFirstMakerSeedRows = 11;
inline constexpr int kSecondMakerSeedRows = 12;
inline constexpr const char* kApolloTable = "Apollo";
inline constexpr const char* kSecondMakerTable = "QELLON";

// Runs the three seeding steps on the catalogue store, each in a transaction of its own; a step
// that fails is rolled back without a message and the next one still runs. A store that is not
// open is opened for the steps and closed again; when that fails nothing is done.
void PrepareDeviceCatalogue(site::Database& db);

// Creates and fills the Apollo table unless a table of that name (in any case) exists. True when
// the table was created.
bool EnsureApolloTable(site::Database& db);

// Writes the first `row_count` seed rows into the named table. False (and nothing written) when
// the table is missing or a value does not convert.
bool AddMakerDevices(site::Database& db, const QString& table, const DeviceSeed& seed,
                     int row_count);

// Writes seed rows into an open table: a row whose DeviceCode matches is overwritten, otherwise a
// row is appended. Numbers are read with "." as the decimal separator whatever the locale; with
// `divide_currents`, real columns whose names contain "Current" are divided by 1000. Throws
// site::StoreError on a missing column or a text that does not convert; the caller rolls back.
// Does nothing when the table is not open. The table's row position is kept.
void WriteCatalogueRows(site::Table& table, const DeviceSeed& seed, int row_count,
                        bool divide_currents);

}  // namespace velmora::catalogue
