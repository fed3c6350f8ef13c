#pragma once

#include <QString>

namespace velmora::site {

class Database;

// The schema step for tables that carry the panel flag families (a site's Panels table and the
// catalogue's DefaultPanel): a table without "Prot3" gains Prot3 and Opt5 ... Opt8 as non-null
// yes/no columns, false in every row, in one transaction. A table that has Prot3 is left alone,
// even when some of the other columns are missing. Returns true when the table was upgraded.
bool UpgradeFlagColumns(Database& db, const QString& table);

}  // namespace velmora::site
