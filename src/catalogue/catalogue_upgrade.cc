#include "catalogue/catalogue_upgrade.h"

#include <QFile>
#include <QTextStream>

#include "site/store_error.h"

namespace velmora::catalogue {

namespace {

const char* const kAddedColumns[] = {
    " ADD COLUMN Prot3 TEXT(15)", " ADD COLUMN Opt5 TEXT(15)", " ADD COLUMN Cur5S FLOAT",
    " ADD COLUMN Cur5A FLOAT",    " ADD COLUMN Part5 TEXT",    " ADD COLUMN Opt6 TEXT(15)",
    " ADD COLUMN Cur6S FLOAT",    " ADD COLUMN Cur6A FLOAT",   " ADD COLUMN Part6 TEXT",
    " ADD COLUMN Opt7 TEXT(15)",  " ADD COLUMN Cur7S FLOAT",   " ADD COLUMN Cur7A FLOAT",
    " ADD COLUMN Part7 TEXT",     " ADD COLUMN Opt8 TEXT(15)", " ADD COLUMN Cur8S FLOAT",
    " ADD COLUMN Cur8A FLOAT",    " ADD COLUMN Part8 TEXT"};

// The Apollo device type names, codes 101 to 127.
const char* const kApolloTypeTexts[] = {"1I1Ox", "1Ix",  "1Ox",  "1ZMx", "3I3Ox", "ADx",    "BASE",
                                        "CODd",  "ECU",  "FDx",  "HDd",  "HDx",   "IDd",    "IDx",
                                        "ISO",   "LED",  "MCPd", "MCPx", "ODBx",  "ODd",    "ODx",
                                        "OHDd",  "OHDx", "RLM",  "SDd",  "SDx",   "SPECIAL"};

// Packed board currents reset where the old table holds a value above 0.
struct PackedReset {
  const char* column;
  double value;
};
const PackedReset kPackedResets[] = {{"Cur0S", 407500045}, {"Cur0A", 45}, {"Cur1S", 2},
                                     {"Cur1A", 2},         {"Cur4S", 2},  {"Cur4A", 2},
                                     {"Cur2S", 2},         {"Cur2A", 2}};

}  // namespace

FixedPanelCodes ReadFixedPanelCodes(const QString& file) {
  FixedPanelCodes codes;
  QFile in(file);
  if (!in.open(QIODevice::ReadOnly | QIODevice::Text)) return codes;
  QTextStream stream(&in);
  while (!stream.atEnd()) {
    QString line = stream.readLine();
    const int hash = line.indexOf('#');
    if (hash >= 0) line.truncate(hash);
    const int equals = line.indexOf('=');
    if (equals < 0) continue;
    const QString key = line.left(equals).trimmed();
    const QString value = line.mid(equals + 1).trimmed();
    if (key.compare("FirstPanelCode", Qt::CaseInsensitive) == 0) codes.first = value;
    if (key.compare("SecondPanelCode", Qt::CaseInsensitive) == 0) codes.second = value;
  }
  return codes;
}

bool UpgradePanelSpec(site::Database& db, const QString& table, const FixedPanelCodes& codes) {
  if (!db.IsOpen() || !db.HasTable(table)) return false;
  if (db.ColumnIndex(table, "Prot3") >= 0) return false;
  site::Transaction transaction(&db);
  for (const char* column : kAddedColumns) db.ExecuteDdl("ALTER TABLE " + table + column);
  site::Table view(&db, table);
  view.Open();
  for (view.First(); !view.Eof(); view.Next()) {
    view.SetValue("Prot3", view.Text("SalesChannel") == u"Mornax" ? QStringLiteral("N/A")
                                                                  : QStringLiteral("OPT400"));
    const bool big = view.Text("Housing Type").left(3) == u"Big";
    view.SetValue("Opt5", big ? "OPT50" : "N/A");
    view.SetValue("Cur5S", big ? 805000040.0 : 0.0);
    view.SetValue("Cur5A", big ? 50.0 : 0.0);
    view.SetValue("Opt6", big ? "OPT" : "N/A");
    view.SetValue("Cur6S", big ? 55.0 : 0.0);
    view.SetValue("Cur6A", big ? 904.0 : 0.0);
    view.SetValue("Opt7", "OPT");
    view.SetValue("Cur7S", 12.0);
    view.SetValue("Cur7A", 32.0);
    view.SetValue("Opt8", "OPT");
    view.SetValue("Cur8S", 55.0);
    view.SetValue("Cur8A", 55.0);
    view.SetValue("Part5", "PIB");
    view.SetValue("Part6", "Printer");
    view.SetValue("Part7", "DACT");
    view.SetValue("Part8", "GPRS");
    for (const PackedReset& reset : kPackedResets) {
      if (view.HasField(reset.column) && !view.IsNull(reset.column) && view.Real(reset.column) > 0)
        view.SetValue(reset.column, reset.value);
    }
    const QString code = view.Text("Panel Code");
    double own = 0;
    if (!codes.first.isEmpty() && code == codes.first)
      own = 135;
    else if (!codes.second.isEmpty() && code == codes.second)
      own = 155;
    if (own > 0) {
      view.SetValue("StandbyCurrent", own);
      view.SetValue("AlarmCurrent", own);
    }
    view.Post();
  }
  view.Close();
  transaction.Commit();
  return true;
}

void UpgradeTranslation(site::Table& lookup) {
  if (!lookup.IsOpen()) return;
  if (lookup.HasField("ProtocolFile") &&
      lookup.Locate("ProtocolFile", "Qellon", site::Table::Match::kCaseInsensitive)) {
    lookup.SetValue("MaxLoopLength", 2000);
    lookup.Post();
  }
  site::Transaction transaction(lookup.Db());
  try {
    if (lookup.RecordCount() >= 4) {
      lookup.SetRecNo(4);
      lookup.SetValue("ID3", "Prot3");
      lookup.SetValue("ProtocolFile", "Apollo");
      lookup.SetValue("Protocol", "Apollo");
      lookup.SetValue("LowestV", 24);
      lookup.SetValue("MaxDetectorCount", 127);
      lookup.SetValue("MaxModuleCount", 127);
      lookup.SetValue("MaxLoopLength", 2000);
      lookup.SetValue("ResistanceToDevice", 0);
      lookup.Post();
    }
    lookup.Last();
    if (lookup.Int("ID6") <= 100) {
      for (int i = 0; i < 27; ++i) {
        lookup.Append();
        lookup.SetValue("ID1", 1000);
        lookup.SetValue("ID6", 101 + i);
        lookup.SetValue("Device Type Text", kApolloTypeTexts[i]);
        lookup.Post();
      }
    }
    const char* const captions[][2] = {
        {"Opt5", "PIB"}, {"Opt6", "Printer"}, {"Opt7", "DACT"}, {"Opt8", "GPRS"}};
    for (int i = 0; i < 4; ++i) {
      if (lookup.RecordCount() < 6 + i) break;
      lookup.SetRecNo(6 + i);
      lookup.SetValue("ID4", captions[i][0]);
      lookup.SetValue("Options", captions[i][1]);
      lookup.Post();
    }
    transaction.Commit();
  } catch (...) {
    lookup.Cancel();
    throw;
  }
  lookup.First();
}

bool RepairDefaultCableLength(site::Table& default_panel) {
  if (!default_panel.IsOpen() || default_panel.IsEmpty()) return false;
  default_panel.First();
  if (!default_panel.IsNull("CableLength") && default_panel.Int("CableLength") != -1) return false;
  site::Transaction transaction(default_panel.Db());
  try {
    default_panel.SetValue("CableLength", 250);
    default_panel.Post();
    transaction.Commit();
  } catch (...) {
    default_panel.Cancel();
    throw;
  }
  return true;
}

}  // namespace velmora::catalogue
