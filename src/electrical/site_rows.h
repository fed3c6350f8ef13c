#pragma once

#include <QString>
#include <QVariant>
#include <utility>
#include <vector>

#include "site/cells.h"
#include "site/database.h"
#include "site/filter.h"
#include "site/site_columns.h"

namespace velmora::electrical {

// The rows of one table that a keyed restriction selects, read once. The rules and the
// recalculation read and write through these, so nothing else needs to be told.
class RowSet {
 public:
  // Throws site::StoreError when the table cannot be read.
  RowSet(site::Database& db, QString table, const site::Filter& filter = {});

  std::vector<site::Row>& Rows() { return rows_; }
  site::Row* First() { return rows_.empty() ? nullptr : &rows_.front(); }
  site::Database& Db() { return *db_; }
  const QString& Table() const { return table_; }

 private:
  site::Database* db_;
  QString table_;
  std::vector<site::Row> rows_;
};

// Collects the changed cells of one row of a RowSet and stores them in one write. A cell that
// already holds the value is not written again.
class RowEdit {
 public:
  RowEdit(RowSet& set, site::Row& row) : db_(set.Db()), table_(set.Table()), row_(row) {}
  RowEdit(site::Database& db, const QString& table, site::Row& row)
      : db_(db), table_(table), row_(row) {}
  void Set(int column, const QVariant& value);  // ignored for a column the table lacks (-1)
  // Whether anything is waiting to be stored.
  bool Changed() const { return !changes_.empty(); }
  // Stores the changes; the number of cells written.
  int Store();

 private:
  site::Database& db_;
  QString table_;
  site::Row& row_;
  std::vector<std::pair<int, QVariant>> changes_;
};

// A cell of a row by column position, with the store's reading rules (site/cells.h).
const QVariant& CellAt(const site::Row& row, int column);
inline bool IsEmptyAt(const site::Row& row, int column) {
  return site::IsEmptyCell(CellAt(row, column));
}
inline double RealAt(const site::Row& row, int column) {
  return site::CellReal(CellAt(row, column));
}
inline qint64 IntAt(const site::Row& row, int column) { return site::CellInt(CellAt(row, column)); }
inline QString TextAt(const site::Row& row, int column) {
  return site::CellText(CellAt(row, column));
}
inline bool BoolAt(const site::Row& row, int column) { return site::CellBool(CellAt(row, column)); }
inline std::optional<double> NumberAt(const site::Row& row, int column) {
  return site::CellNumber(CellAt(row, column));
}

// Whether two cells hold the same value as the store compares them.
bool SameCell(const QVariant& a, const QVariant& b);

// The keys of the site tables.
site::Filter PanelKey(int panel);                 // Panels "Panel Number"
site::Filter LoopsOfPanel(int panel);             // Loops "PanelNumber"
site::Filter LoopKey(int panel, int loop);        // Loops "PanelNumber", "LoopNumber"
site::Filter DevicesOfLoop(int panel, int loop);  // Devices "Panel", "Loop"
site::Filter RowsOfPanel(int panel);              // Devices, Outputs and Currents "Panel"

// A new, empty device row at the end of a loop's rows: no quantity, no type, a blank sub-type.
void AppendBlankDeviceRow(site::Database& db, const site::DeviceColumns& c, int panel, int loop);

// The index of the last true flag among the columns of a family (Prot, Opt, Psu); -1 when none.
int LastTrueFlag(const site::Row& row, const std::vector<int>& family);

}  // namespace velmora::electrical
