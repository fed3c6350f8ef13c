#include "reports/print_store.h"

#include <QFileInfo>

#include "i18n/tr.h"
#include "site/store_error.h"

namespace velmora::reports {
namespace {

const char* const kTables[] = {"Site",     "Sections", "Panels",    "PanelDetails",
                               "Currents", "Devices",  "PartsList", "LoopProfiles"};

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
  return data;
}

TierWriter::TierWriter(site::Database& print, const QString& table)
    : db_(print), table_(table), panel_(print.ColumnIndex(table, "PanelNumber")) {
  for (int t = 0; t < 4; ++t) tier_[t] = print.ColumnIndex(table, QString("Tier %1").arg(t + 1));
}

void TierWriter::Add(int panel, const QString& t1, const QString& t2, const QString& t3,
                     const QString& t4) {
  const QString* tiers[4] = {&t1, &t2, &t3, &t4};
  std::vector<std::pair<int, QVariant>> values;
  if (panel_ >= 0) values.emplace_back(panel_, panel);
  for (int t = 0; t < 4; ++t) {
    if (tier_[t] >= 0) values.emplace_back(tier_[t], *tiers[t]);
  }
  db_.Insert(table_, values);
}

}  // namespace velmora::reports
