#pragma once

#include <QString>
#include <memory>

#include "site/database.h"
#include "site/program_folder.h"
#include "site/site_columns.h"
#include "site/table.h"

namespace velmora::site {

// The working copy of the site document ("Velmora Site", DBs/Site.mdb) with the six site tables
// the views and operations work on. Whole files are copied over the working copy only while it
// is released.
class SiteDocument {
 public:
  explicit SiteDocument(const ProgramFolder& folder);

  Database& Db() { return db_; }
  // The column positions of the six tables, resolved when the working copy was opened.
  const SiteColumns& Cols() const { return cols_; }
  const QString& WorkingCopy() const { return db_.FileName(); }

  Table& Site() { return site_; }
  Table& Panels() { return panels_; }
  Table& Loops() { return loops_; }
  Table& Devices() { return devices_; }
  Table& Outputs() { return outputs_; }
  Table& Currents() { return currents_; }

  // Opens the connection and the tables in the order Loops, Site, Panels, Outputs, Currents,
  // Devices. Opening Panels runs the schema step of older documents. Throws StoreError.
  void Open();

  enum class ReleaseOrder {
    kReplace,  // New and Open: Loops, Panels, Site, Devices, Outputs, Currents
    kSave,     // Save: Loops, Devices, Outputs, Currents, Panels, Site
  };
  // Looks the column positions up again (after a change of a table's layout).
  void ResolveColumns() { cols_ = ResolveSiteColumns(db_); }

  // Closes the tables in the given order and then the connection.
  void Release(ReleaseOrder order);
  bool IsOpen() const { return db_.IsOpen(); }

  // Number of columns of a site table, for the checks on older layouts.
  int ColumnCount(const QString& table) { return int(db_.Columns(table).size()); }
  // Loops with at least 16 columns carry OKBoolean.
  bool LoopsHaveOkBoolean() const { return cols_.loops.ok_flag >= 0; }
  // Panels of older site files lack OKBooleanLoops and OKBooleanPSU (however many flag columns
  // they have); the flags are read and written only where both are there.
  bool PanelsHaveStatusFlags() const { return cols_.panels.HasStatusFlags(); }

 private:
  Database db_;
  SiteColumns cols_;
  Table site_;
  Table panels_;
  Table loops_;
  Table devices_;
  Table outputs_;
  Table currents_;
};

}  // namespace velmora::site
