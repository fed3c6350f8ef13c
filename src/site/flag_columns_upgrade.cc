#include "site/flag_columns_upgrade.h"

#include "site/database.h"
#include "site/table.h"

namespace velmora::site {

bool UpgradeFlagColumns(Database& db, const QString& table) {
  if (!db.IsOpen() || !db.HasTable(table)) return false;
  if (db.ColumnIndex(table, "Prot3") >= 0) return false;
  static const char* const kAdded[] = {
      " ADD COLUMN Prot3 BIT NOT NULL", " ADD COLUMN Opt5 BIT NOT NULL",
      " ADD COLUMN Opt6 BIT NOT NULL", " ADD COLUMN Opt7 BIT NOT NULL",
      " ADD COLUMN Opt8 BIT NOT NULL"};
  Transaction transaction(&db);
  for (const char* column : kAdded) db.ExecuteDdl("ALTER TABLE " + table + column);
  Table rows(&db, table);
  rows.Open();
  for (rows.First(); !rows.Eof(); rows.Next()) {
    for (const char* name : {"Prot3", "Opt5", "Opt6", "Opt7", "Opt8"}) rows.SetValue(name, false);
    rows.Post();
  }
  rows.Close();
  transaction.Commit();
  return true;
}

}  // namespace velmora::site
