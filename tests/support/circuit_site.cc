#include "support/circuit_site.h"

#include "site/table.h"

namespace velmora::testing {

CircuitSite::CircuitSite()
    : folder_(home_.Folder()), doc_(folder_), catalogue_(folder_), data_{doc_, catalogue_} {
  catalogue_.OpenPanelSpec();
  catalogue_.OpenTranslation();
  catalogue_.OpenDefaultPanel();
  catalogue_.OpenDeviceCatalogue();
  doc_.Open();
  // Nothing here needs to outlive the test: one transaction per store spares the disk.
  for (site::Database* db : {&doc_.Db(), &DataDb(), &LookupDb()}) db->Begin();
  for (const char* table : {"Site", "Panels", "Loops", "Devices", "Outputs", "Currents"})
    ClearTable(doc_.Db(), table);
  InsertRow(doc_.Db(), "Site", {{"SiteName", "Test"}, {"StandbyTime", 0.0}, {"AlarmTime", 0.0}});
  ClearTable(LookupDb(), catalogue::kTranslationTable);
  ClearTable(DataDb(), catalogue::kPanelSpecTable);
  if (!DataDb().HasTable("TestDevices")) {
    DataDb().ExecuteDdl(
        "CREATE TABLE [TestDevices] ([DeviceTypeCode] FLOAT, [DeviceTypeText] TEXT(255), "
        "[DeviceCode] TEXT(255), [DeviceCount] INTEGER, [MaxPerLoop] INTEGER, [Isolator] YESNO, "
        "[DeviceGroup] TEXT(50), [BrandingCode] TEXT(255), [BrandingText] TEXT(255), "
        "[StandbyCurrent] FLOAT, [AlarmCurrent] FLOAT, [LastUpdated] TEXT(255), "
        "[Document] TEXT(255), [MinVoltage] INTEGER)");
  }
  catalogue_.PanelSpec().Refresh();
  catalogue_.Translation().Refresh();
}

electrical::Recalculation CircuitSite::Recalculate() {
  return electrical::RecalculatePanels(data_);
}

CircuitSite::~CircuitSite() {
  for (site::Database* db : {&doc_.Db(), &DataDb(), &LookupDb()}) {
    while (db->IsOpen() && db->TransactionDepth() > 0) db->Rollback();
  }
  doc_.Release(site::SiteDocument::ReleaseOrder::kReplace);
}

void CircuitSite::AddProtocol(int index, const QString& name, qint64 max_loop_length,
                              double lowest_v, qint64 max_detectors, qint64 max_modules,
                              double resistance_to_device) {
  InsertRow(LookupDb(), catalogue::kTranslationTable,
            {{"ID3", QString("Prot%1").arg(index)},
             {"Protocol", name},
             {"ProtocolFile", "TestDevices"},
             {"MaxLoopLength", max_loop_length},
             {"LowestV", lowest_v},
             {"MaxDetectorCount", max_detectors},
             {"MaxModuleCount", max_modules},
             {"ResistanceToDevice", resistance_to_device}});
}

void CircuitSite::AddDeviceType(qint64 code, const QString& text) {
  InsertRow(LookupDb(), catalogue::kTranslationTable, {{"ID6", code}, {"Device Type Text", text}});
}

void CircuitSite::AddDevice(qint64 type_code, const QString& code, qint64 count,
                            qint64 max_per_loop, const QString& group, double standby_a,
                            double alarm_a, qint64 min_mv, const QString& branding) {
  InsertRow(DataDb(), "TestDevices",
            {{"DeviceTypeCode", double(type_code)},
             {"DeviceTypeText", code},
             {"DeviceCode", code},
             {"DeviceCount", count},
             {"MaxPerLoop", max_per_loop},
             {"Isolator", false},
             {"DeviceGroup", group},
             {"BrandingCode", branding},
             {"StandbyCurrent", standby_a},
             {"AlarmCurrent", alarm_a},
             {"MinVoltage", min_mv}});
}

void CircuitSite::AddSpec(Values cells) {
  site::Table spec(&DataDb(), catalogue::kPanelSpecTable);
  spec.Open();
  spec.Append();
  spec.SetValue("ID1", 1);
  spec.SetValue("ID2", 1);
  spec.SetValue("SalesChannel", "All");
  for (const auto& [column, value] : cells) spec.SetValue(column, value);
  spec.Post();
}

void CircuitSite::AddPanel(int panel, int protocol, int supply, Values cells) {
  site::Table panels(&doc_.Db(), "Panels");
  panels.Open();
  panels.Append();
  panels.SetValue("Panel Number", panel);
  panels.SetValue("Panel Name", QString("Panel%1").arg(panel));
  panels.SetValue("Panel Type", 1);
  panels.SetValue("Housing Type", 1);
  panels.SetValue("SalesChannel", "Tarvik");
  if (protocol >= 0) panels.SetValue(QString("Prot%1").arg(protocol), true);
  if (supply >= 0) panels.SetValue(QString("Psu%1").arg(supply), true);
  for (const char* flag : {"OKBooleanLoops", "OKBooleanPSU"}) {
    if (panels.HasField(flag)) panels.SetValue(flag, true);
  }
  for (const auto& [column, value] : cells) panels.SetValue(column, value);
  panels.Post();
}

void CircuitSite::AddLoop(int panel, int loop, Values cells) {
  site::Table loops(&doc_.Db(), "Loops");
  loops.Open();
  loops.Append();
  loops.SetValue("PanelNumber", panel);
  loops.SetValue("LoopNumber", loop);
  loops.SetValue("Loop", QString("Loop %1").arg(loop));
  loops.SetValue("CableSpec", 0);
  loops.SetValue("Resistance", 36.0);
  loops.SetValue("Length", 250);
  loops.SetValue("AlarmIndicators", 10);
  loops.SetValue("OneLocation", true);
  loops.SetValue("OneLocationLength", 20);
  loops.SetValue("Spread", false);
  loops.SetValue("SpreadLength", 0);
  loops.SetValue("QuiescentCurrent", 0.0);
  loops.SetValue("AlarmCurrent", 0.0);
  loops.SetValue("Drop", 0.0);
  loops.SetValue("OK", "Loop OK");
  if (loops.HasField("OKBoolean")) loops.SetValue("OKBoolean", true);
  for (const auto& [column, value] : cells) loops.SetValue(column, value);
  loops.Post();
}

void CircuitSite::AddDeviceRow(int panel, int loop, Values cells) {
  site::Table devices(&doc_.Db(), "Devices");
  devices.Open();
  devices.Append();
  devices.SetValue("Panel", panel);
  devices.SetValue("Loop", loop);
  for (const auto& [column, value] : cells) devices.SetValue(column, value);
  devices.Post();
}

void CircuitSite::AddOutput(int panel, int number, qint64 max, double quiescent, double alarm) {
  InsertRow(doc_.Db(), "Outputs",
            {{"Panel", panel},
             {"OutputNumber", number},
             {"Output", QString("Output %1").arg(number)},
             {"MAX", max},
             {"QuiesentCurrent", quiescent},
             {"AlarmCurrent", alarm}});
}

void CircuitSite::SetSiteHours(double standby, double alarm) {
  site::Table site(&doc_.Db(), "Site");
  site.Open();
  site.First();
  site.SetValue("StandbyTime", standby);
  site.SetValue("AlarmTime", alarm);
  site.Post();
}

QVariant CircuitSite::Cell(const QString& table, const site::Filter& filter,
                           const QString& column) {
  const std::vector<site::Row> rows = doc_.Db().Select(table, filter);
  if (rows.empty()) return QVariant();
  const int index = doc_.Db().ColumnIndex(table, column);
  return index < 0 ? QVariant() : rows.front().values[index];
}

}  // namespace velmora::testing
