#include "reports/print_store.h"

#include <QFileInfo>

#include "i18n/tr.h"
#include "site/store_error.h"

namespace velmora::reports {
namespace {

const char* const kTables[] = {"Site",     "Sections", "Panels",   "PanelDetails",
                               "Currents", "Devices",  "PartsList"};

// Tables that came after the store's first layout, made when a store lacks them: the store of
// an older installation (a user's copy is kept across versions) works on.
struct AddedTable {
  const char* name;
  const char* definition;
};
const AddedTable kAddedTables[] = {
    {"Loops",
     "CREATE TABLE \"Loops\" (\"PanelNumber\" INTEGER, \"Standing\" INTEGER, \"Loop\" TEXT, "
     "\"Cable\" TEXT, \"Length\" TEXT, \"Distribution\" TEXT, \"QuiescentCurrent\" TEXT, "
     "\"AlarmCurrent\" TEXT, \"Drop\" TEXT, \"Left\" TEXT, \"LimitUse\" TEXT, \"Status\" TEXT, "
     "\"Explanation\" TEXT)"},
    {"Battery", "CREATE TABLE \"Battery\" (\"PanelNumber\" INTEGER, \"Line\" TEXT)"},
    // The voltage along every loop that has one, in the loops' stored order: the loop's name
    // and status as the Currents lines give them, its two lowest voltages, the device closest to
    // its own lowest operating voltage with its margin, the advisories (one a line) and the
    // figure as one line of text.
    {"LoopProfiles",
     "CREATE TABLE \"LoopProfiles\" (\"PanelNumber\" INTEGER, \"LoopNumber\" INTEGER, "
     "\"Loop\" TEXT, \"Status\" TEXT, \"LowestHealthy\" TEXT, \"LowestBroken\" TEXT, "
     "\"WeakestDevice\" TEXT, \"Margin\" TEXT, \"Advisories\" TEXT, \"Figure\" TEXT)"},
};
const char* const kLoopColumns[kLoopCells] = {
    "Loop",         "Cable", "Length", "Distribution", "QuiescentCurrent",
    "AlarmCurrent", "Drop",  "Left",   "LimitUse"};

QHash<QString, QString> FirstRow(site::Database& db, const QString& table) {
  QHash<QString, QString> values;
  const std::vector<site::Row> rows = db.Select(table);
  const std::vector<site::Column>& columns = db.Columns(table);
  for (int i = 0; i < int(columns.size()); ++i) {
    const QVariant value = rows.empty() ? QVariant() : rows.front().values[i];
    values.insert(columns[i].name, value.isNull() ? QString() : value.toString());
  }
  return values;
}

std::vector<TierRow> TierRows(site::Database& db, const QString& table) {
  const int panel = db.ColumnIndex(table, "PanelNumber");
  int tier[4];
  for (int t = 0; t < 4; ++t) tier[t] = db.ColumnIndex(table, QString("Tier %1").arg(t + 1));
  std::vector<TierRow> result;
  for (const site::Row& row : db.Select(table)) {
    TierRow r;
    r.panel = panel < 0 ? 0 : row.values[panel].toInt();
    for (int t = 0; t < 4; ++t) {
      if (tier[t] >= 0 && !row.values[tier[t]].isNull())
        r.tiers[t] = row.values[tier[t]].toString();
    }
    result.push_back(std::move(r));
  }
  return result;
}

std::vector<ProfileRow> ProfileRows(site::Database& db) {
  const auto column = [&db](const char* name) { return db.ColumnIndex("LoopProfiles", name); };
  const int panel = column("PanelNumber");
  const int loop = column("LoopNumber");
  const int texts[] = {column("Loop"),         column("Status"),        column("LowestHealthy"),
                       column("LowestBroken"), column("WeakestDevice"), column("Margin"),
                       column("Advisories"),   column("Figure")};
  std::vector<ProfileRow> result;
  for (const site::Row& row : db.Select("LoopProfiles")) {
    const auto text = [&row](int c) {
      return c < 0 || row.values[c].isNull() ? QString() : row.values[c].toString();
    };
    ProfileRow r;
    r.panel = panel < 0 ? 0 : row.values[panel].toInt();
    r.loop = loop < 0 ? 0 : row.values[loop].toInt();
    r.name = text(texts[0]);
    r.status = text(texts[1]);
    r.lowest_healthy = text(texts[2]);
    r.lowest_broken = text(texts[3]);
    r.weakest_device = text(texts[4]);
    r.margin = text(texts[5]);
    r.advisories = text(texts[6]).split('\n', Qt::SkipEmptyParts);
    r.figure = text(texts[7]);
    result.push_back(std::move(r));
  }
  return result;
}

}  // namespace

const char* ReportName(ReportKind kind) {
  return kind == ReportKind::kSite ? kSiteReportName : kPartsReportName;
}

PrintStore::PrintStore(const site::ProgramFolder& folder)
    : db_(site::kPrintSource, folder.PrintStore()) {}

void PrintStore::Open() {
  if (db_.IsOpen()) return;
  // A missing store would be created empty here and fail later at every table; say so now.
  if (!QFileInfo(db_.FileName()).isFile())
    throw site::StoreError(i18n::Tr(N_("The print store %1 is missing")).arg(db_.FileName()));
  db_.Open();
  for (const char* table : kTables) {
    if (!db_.HasTable(table)) {
      db_.Close();
      throw site::StoreError(
          i18n::Tr(N_("The print store %1 has no table %2")).arg(db_.FileName(), table));
    }
  }
  try {
    for (const AddedTable& table : kAddedTables) {
      if (!db_.HasTable(table.name)) db_.ExecuteDdl(table.definition);
    }
  } catch (const site::StoreError&) {
    db_.Close();
    throw;
  }
}

ReportData ReadReportData(site::Database& print) {
  ReportData data;
  data.site = FirstRow(print, "Site");
  data.sections = FirstRow(print, "Sections");
  data.panels = TierRows(print, "Panels");
  data.details = TierRows(print, "PanelDetails");
  data.currents = TierRows(print, "Currents");
  data.devices = TierRows(print, "Devices");
  // The list's own rows belong to panel 1; its notes are stored as rows of panel 0.
  for (const TierRow& row : TierRows(print, "PartsList")) {
    if (row.panel == 0) {
      data.part_notes << row.tiers[2];
    } else {
      data.parts.push_back(row);
    }
  }
  data.profiles = ProfileRows(print);
  data.battery.clear();
  const int battery_panel = print.ColumnIndex("Battery", "PanelNumber");
  const int battery_line = print.ColumnIndex("Battery", "Line");
  for (const site::Row& row : print.Select("Battery")) {
    TierRow r;
    r.panel = row.values[battery_panel].toInt();
    r.tiers[0] = row.values[battery_line].toString();
    data.battery.push_back(std::move(r));
  }
  const int panel = print.ColumnIndex("Loops", "PanelNumber");
  const int standing = print.ColumnIndex("Loops", "Standing");
  const int status = print.ColumnIndex("Loops", "Status");
  const int explanation = print.ColumnIndex("Loops", "Explanation");
  std::vector<int> cells;
  for (const char* column : kLoopColumns) cells.push_back(print.ColumnIndex("Loops", column));
  for (const site::Row& row : print.Select("Loops")) {
    LoopLine line;
    line.panel = row.values[panel].toInt();
    line.standing = row.values[standing].toInt();
    for (int c : cells) line.cells << row.values[c].toString();
    line.status = row.values[status].toString();
    const QString lines = row.values[explanation].toString();
    if (!lines.isEmpty()) line.explanation = lines.split('\n');
    data.loops.push_back(std::move(line));
  }
  return data;
}

LoopWriter::LoopWriter(site::Database& print)
    : db_(print),
      panel_(print.ColumnIndex("Loops", "PanelNumber")),
      standing_(print.ColumnIndex("Loops", "Standing")),
      status_(print.ColumnIndex("Loops", "Status")),
      explanation_(print.ColumnIndex("Loops", "Explanation")) {
  for (int c = 0; c < kLoopCells; ++c) cells_[c] = print.ColumnIndex("Loops", kLoopColumns[c]);
}

void LoopWriter::Add(const LoopLine& line) {
  std::vector<std::pair<int, QVariant>> values = {{panel_, line.panel},
                                                  {standing_, line.standing},
                                                  {status_, line.status},
                                                  {explanation_, line.explanation.join('\n')}};
  values.reserve(4 + kLoopCells);
  for (int c = 0; c < kLoopCells; ++c) values.emplace_back(cells_[c], line.cells.value(c));
  db_.Insert("Loops", values);
}

TierWriter::TierWriter(site::Database& print, const QString& table)
    : db_(print), table_(table), panel_(print.ColumnIndex(table, "PanelNumber")) {
  for (int t = 0; t < 4; ++t) tier_[t] = print.ColumnIndex(table, QString("Tier %1").arg(t + 1));
}

void TierWriter::Add(int panel, const QString& t1, const QString& t2, const QString& t3,
                     const QString& t4) {
  const QString* tiers[4] = {&t1, &t2, &t3, &t4};
  std::vector<std::pair<int, QVariant>> values;
  values.reserve(5);
  if (panel_ >= 0) values.emplace_back(panel_, panel);
  for (int t = 0; t < 4; ++t) {
    if (tier_[t] >= 0) values.emplace_back(tier_[t], *tiers[t]);
  }
  db_.Insert(table_, values);
}

}  // namespace velmora::reports
