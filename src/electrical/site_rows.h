#pragma once

#include <QString>
#include <QVariant>
#include <utility>
#include <vector>

#include "site/database.h"
#include "site/filter.h"

namespace velmora {
struct Run;
}

namespace velmora::electrical {

// The rows of one table that a keyed restriction selects, read once with their column positions.
// The recalculations read and write through these rather than through the views' cursors, so a
// view's filter and current row stay as they were; the views re-read on their next move.
class RowSet {
 public:
  // Throws site::StoreError when the table cannot be read.
  RowSet(site::Database& db, QString table, const site::Filter& filter = {});
  // The same for a catalogue table that may be missing (a closed store, an absent device or
  // specification table): no rows then, and no columns.
  static RowSet IfPresent(site::Database& db, QString table, const site::Filter& filter = {});

  // Position of a column, compared without regard to case; -1 when the table has none.
  int Col(const QString& column) const { return present_ ? db_->ColumnIndex(table_, column) : -1; }
  int ColumnCount() const { return present_ ? int(db_->Columns(table_).size()) : 0; }
  std::vector<site::Row>& Rows() { return rows_; }
  site::Row* First() { return rows_.empty() ? nullptr : &rows_.front(); }
  site::Database& Db() { return *db_; }
  const QString& Table() const { return table_; }

 private:
  struct Unread {};
  RowSet(site::Database& db, QString table, Unread) : db_(&db), table_(std::move(table)) {}

  site::Database* db_;
  QString table_;
  bool present_ = true;
  std::vector<site::Row> rows_;
};

// Collects the changed cells of one row of a RowSet and stores them in one write. A cell that
// already holds the value is not written again.
class RowEdit {
 public:
  RowEdit(RowSet& set, site::Row& row) : set_(set), row_(row) {}
  void Set(int column, const QVariant& value);  // ignored for a column the table lacks (-1)
  void Store();

 private:
  RowSet& set_;
  site::Row& row_;
  std::vector<std::pair<int, QVariant>> changes_;
};

// Cell readers with the rules of the store's cursors: an empty cell reads 0, "" or false.
const QVariant& CellAt(const site::Row& row, int column);
bool IsEmptyAt(const site::Row& row, int column);
double RealAt(const site::Row& row, int column);
qint64 IntAt(const site::Row& row, int column);
QString TextAt(const site::Row& row, int column);
bool BoolAt(const site::Row& row, int column);

// Older site files lack the status flags: Loops its OKBoolean, Panels its OKBooleanLoops and
// OKBooleanPSU. The flags are read and written only where the table has them.
bool HasLoopFlag(const RowSet& loops);
bool HasPanelFlags(const RowSet& panels);

// The keys of the site tables.
site::Filter PanelKey(int panel);                 // Panels "Panel Number"
site::Filter LoopsOfPanel(int panel);             // Loops "PanelNumber"
site::Filter LoopKey(int panel, int loop);        // Loops "PanelNumber", "LoopNumber"
site::Filter DevicesOfLoop(int panel, int loop);  // Devices "Panel", "Loop"
site::Filter RowsOfPanel(int panel);              // Outputs and Currents "Panel"

// Number of columns of a table whose names begin with a prefix, case as written ("Pro", "Opt",
// "Psu" of Panels).
int CountColumnsWithPrefix(site::Database& db, const QString& table, const QString& prefix);

// The panel's protocol: the index i of the last true "Prot"+i, i below the number of "Pro"
// columns; -1 when none is set.
int ProtocolIndexOfPanel(RowSet& panels, const site::Row& row);
// The panel's power supply: the last true "PSU"+j, j below the number of "Psu" columns; -1 when
// none is set.
int PowerSupplyIndexOfPanel(RowSet& panels, const site::Row& row);
// The protocol index of panel p; -1 when it has none set or there is no such panel.
int PanelProtocolIndex(Run& run, int panel);
// "Prot" followed by the protocol index of panel p; empty when the panel has none set or there
// is no such panel.
QString ProtocolKeyOfPanel(Run& run, int panel);

// The compatibility rows of a panel type and housing in table order, restricted as the
// catalogue's view of the table is (to the site's sales channel while a site is open).
RowSet SpecRowsOf(Run& run, qint64 type, qint64 housing);

}  // namespace velmora::electrical
