#pragma once

#include <QString>
#include <QVariant>
#include <initializer_list>
#include <utility>

#include "site/database.h"

namespace velmora::testing {

using Values = std::initializer_list<std::pair<const char*, QVariant>>;

// Appends one row with the given column values (through a cursor, as the program writes).
void InsertRow(site::Database& db, const QString& table, Values values);
// Deletes every row of a table.
void ClearTable(site::Database& db, const QString& table);

}  // namespace velmora::testing
