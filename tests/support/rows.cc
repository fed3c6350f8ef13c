#include "support/rows.h"

#include "site/table.h"

namespace velmora::testing {

void InsertRow(site::Database& db, const QString& table, Values values) {
  site::Table t(&db, table);
  t.Open();
  t.Append();
  for (const auto& [column, value] : values) t.SetValue(column, value);
  t.Post();
}

void ClearTable(site::Database& db, const QString& table) { db.DeleteWhere(table); }

}  // namespace velmora::testing
