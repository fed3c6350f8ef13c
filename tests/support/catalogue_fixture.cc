#include "support/catalogue_fixture.h"

#include "support/rows.h"

namespace velmora::testing {

void CreateLookupTable(site::Database& db) {
  db.ExecuteDdl(
      "CREATE TABLE [Translation_Text] ([ID1] INTEGER, [Panel Type] TEXT, [ID2] INTEGER, "
      "[Housing Type] TEXT, [ID3] TEXT, [Protocol] TEXT, [ProtocolFile] TEXT, [MaxLoopLength] "
      "INTEGER, [LowestV] FLOAT, [MaxDetectorCount] INTEGER, [MaxModuleCount] INTEGER, "
      "[ResistanceToDevice] FLOAT, [ID4] TEXT, [Options] TEXT, [ID5] TEXT, [PowerSupply] TEXT, "
      "[ID6] INTEGER, [Device Type Text] TEXT, [ID7] INTEGER, [StandbyTimeText] TEXT, "
      "[StandbyTimeNumber] FLOAT, [ID8] INTEGER, [AlarmTimeText] TEXT, [AlarmTimeNumber] FLOAT, "
      "[ID9] INTEGER, [Outputs] TEXT)");
}

void CreateDeviceTable(site::Database& db, const QString& name) {
  db.ExecuteDdl("CREATE TABLE [" + name +
                "] ([DeviceTypeCode] FLOAT, [DeviceTypeText] TEXT(255), [DeviceCode] TEXT(255), "
                "[DeviceCount] INTEGER, [MaxPerLoop] INTEGER, [Isolator] YESNO, [DeviceGroup] "
                "TEXT(50), [BrandingCode] TEXT(255), [BrandingText] TEXT(255), [StandbyCurrent] "
                "FLOAT, [AlarmCurrent] FLOAT, [LastUpdated] TEXT(255), [Document] TEXT(255), "
                "[MinVoltage] INTEGER)");
}

void CreateOldPanelSpec(site::Database& db) {
  db.ExecuteDdl(
      "CREATE TABLE [2010_2_PanelCompatibility] ([ID1] INTEGER, [ID2] INTEGER, "
      "[Panel Group Code] TEXT, [Panel Code] TEXT, [Housing Type] TEXT, [SalesChannel] TEXT, "
      "[LoopCount] INTEGER, [Prot0] TEXT(15), [Prot1] TEXT(15), [Prot2] TEXT(15), [Opt0] TEXT(15), "
      "[Opt1] TEXT(15), [Opt2] TEXT(15), [Opt3] TEXT(15), [Opt4] TEXT(15), [Psu0] TEXT(15), "
      "[Psu1] TEXT(15), [Out1] INTEGER, [Out2] INTEGER, [Out101] INTEGER, [Out102] INTEGER, "
      "[Out103] INTEGER, [Cur0S] FLOAT, [Cur0A] FLOAT, [Cur1S] FLOAT, [Cur1A] FLOAT, [Cur2S] "
      "FLOAT, "
      "[Cur2A] FLOAT, [Cur3S] FLOAT, [Cur3A] FLOAT, [Cur4S] FLOAT, [Cur4A] FLOAT, [PCur0S] FLOAT, "
      "[PCur0A] FLOAT, [PCur1S] FLOAT, [PCur1A] FLOAT, [StandbyCurrent] FLOAT, [AlarmCurrent] "
      "FLOAT, [BattSize] FLOAT, [Part0] TEXT, [Part1] TEXT, [Part2] TEXT, [Part3] TEXT, [Part4] "
      "TEXT)");
}

void CreateOldDefaultPanel(site::Database& db) {
  db.ExecuteDdl(
      "CREATE TABLE [DefaultPanel] ([ID1] INTEGER, [ID2] INTEGER, [Prot0] BIT NOT NULL DEFAULT 0, "
      "[Prot1] BIT NOT NULL DEFAULT 0, [Prot2] BIT NOT NULL DEFAULT 0, [Opt0] BIT NOT NULL DEFAULT "
      "0, [Opt1] BIT NOT NULL DEFAULT 0, [Opt2] BIT NOT NULL DEFAULT 0, [Opt3] BIT NOT NULL "
      "DEFAULT 0, [Opt4] BIT NOT NULL DEFAULT 0, [Psu0] BIT NOT NULL DEFAULT 0, [Psu1] BIT NOT "
      "NULL DEFAULT 0, [Psu2] BIT NOT NULL DEFAULT 0, [CableSpec] INTEGER, [CableLength] INTEGER, "
      "[AlarmIndicators] INTEGER, [OneLocation] BIT NOT NULL DEFAULT 0, [OneLocationLength] "
      "INTEGER, [Spread] BIT NOT NULL DEFAULT 0, [SpreadLength] INTEGER, [StandbyTime] FLOAT, "
      "[AlarmTime] FLOAT, [SalesChannel] TEXT)");
}

void AddDevice(site::Database& db, const QString& table, qint64 type_code, const QString& code,
               const QString& group, const QString& branding, double standby, double alarm,
               qint64 min_voltage, qint64 max_per_loop, qint64 count) {
  InsertRow(db, table,
            {{"DeviceTypeCode", double(type_code)},
             {"DeviceTypeText", QString("T%1").arg(type_code)},
             {"DeviceCode", code},
             {"DeviceCount", count},
             {"MaxPerLoop", max_per_loop},
             {"Isolator", false},
             {"DeviceGroup", group},
             {"BrandingCode", branding},
             {"BrandingText", "Halvo"},
             {"StandbyCurrent", standby},
             {"AlarmCurrent", alarm},
             {"MinVoltage", min_voltage}});
}

}  // namespace velmora::testing
