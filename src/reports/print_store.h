#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

#include "site/database.h"
#include "site/program_folder.h"

namespace velmora::reports {

// The two reports of the program.
enum class ReportKind { kSite, kParts };

inline constexpr const char* kSiteReportName = "Report - Site Data";
inline constexpr const char* kPartsReportName = "Report - Partlist";
const char* ReportName(ReportKind kind);

// The print store ("Velmora Print", DBs/Print.db): plain rows of text that every report run
// deletes and rewrites, and the only thing the reports are rendered from.
class PrintStore {
 public:
  explicit PrintStore(const site::ProgramFolder& folder);
  site::Database& Db() { return db_; }
  // Opens the store when it is not open yet. Throws site::StoreError when it cannot be used.
  void Open();

 private:
  site::Database db_;
};

// One row of the panel-grouped tables (Panels, PanelDetails, Currents, Devices, PartsList).
struct TierRow {
  int panel = 0;
  QString tiers[4];
};

// One row of LoopProfiles: the voltage along a loop with its advisories, texts as shown.
struct ProfileRow {
  int panel = 0;
  int loop = 0;
  QString name;
  QString status;
  QString lowest_healthy;
  QString lowest_broken;
  QString weakest_device;
  QString margin;
  QStringList advisories;
  QString figure;  // FigureText of the loop's figure
};

// One row of the Loops table: a loop's figures in the order the report shows them (loop,
// cable, length, distribution, quiescent and alarm current, drop, voltage left, use of the
// current limit), its status and the lines that explain it. The first row of each panel holds
// the headings.
struct LoopLine {
  int panel = 0;
  int standing = 0;  // 0 within its limits, 1 near a limit, 2 overloaded
  QStringList cells;
  QString status;
  QStringList explanation;
};
inline constexpr int kLoopCells = 9;

// What a report is laid out from, read back from the print store in stored order.
struct ReportData {
  QHash<QString, QString> site;      // Site row by column name
  QHash<QString, QString> sections;  // Sections row by column name
  std::vector<TierRow> panels;
  std::vector<TierRow> details;
  std::vector<TierRow> currents;
  std::vector<TierRow> devices;
  std::vector<TierRow> parts;
  QStringList part_notes;  // said under the parts list
  std::vector<ProfileRow> profiles;
  std::vector<LoopLine> loops;
  std::vector<TierRow> battery;  // one line of the battery calculation in the first tier
};

ReportData ReadReportData(site::Database& print);

// Appends loops' rows to the Loops table.
class LoopWriter {
 public:
  explicit LoopWriter(site::Database& print);
  void Add(const LoopLine& line);

 private:
  site::Database& db_;
  int panel_;
  int standing_;
  int status_;
  int explanation_;
  int cells_[kLoopCells];
};

// Appends rows to one of the panel-grouped tables of the print store.
class TierWriter {
 public:
  TierWriter(site::Database& print, const QString& table);
  void Add(int panel, const QString& t1, const QString& t2 = {}, const QString& t3 = {},
           const QString& t4 = {});

 private:
  site::Database& db_;
  QString table_;
  int panel_;
  int tier_[4];
};

}  // namespace velmora::reports
