#include "site/site_columns.h"

#include "i18n/tr.h"
#include "site/store_error.h"

namespace velmora::site {
namespace {

class Resolver {
 public:
  Resolver(Database& db, const char* table) : db_(db), table_(table) {}
  int Required(const char* column) {
    const int index = db_.ColumnIndex(table_, column);
    if (index < 0) throw StoreError(i18n::Tr(N_("table %1 has no column %2")).arg(table_, column));
    return index;
  }
  int Optional(const char* column) { return db_.ColumnIndex(table_, column); }
  std::vector<int> Family(const char* head, const char* stem) {
    std::vector<int> columns;
    const int count = CountColumnsWithPrefix(db_, table_, head);
    for (int i = 0; i < count; ++i)
      columns.push_back(db_.ColumnIndex(table_, stem + QString::number(i)));
    return columns;
  }

 private:
  Database& db_;
  QString table_;
};

}  // namespace

int CountColumnsWithPrefix(Database& db, const QString& table, const QString& prefix) {
  int count = 0;
  for (const Column& column : db.Columns(table)) {
    if (column.name.startsWith(prefix, Qt::CaseSensitive)) ++count;
  }
  return count;
}

SiteColumns ResolveSiteColumns(Database& db) {
  SiteColumns c;
  {
    Resolver r(db, "Site");
    for (const char* column :
         {"SiteName", "SiteDate", "ContactName", "AddressLine1", "AddressLine2", "City",
          "State/Province", "PostalCode", "Country", "Phone", "Fax", "Email", "Comment"})
      c.site.texts.push_back(r.Required(column));
    c.site.name = c.site.texts[0];
    c.site.date = c.site.texts[1];
    c.site.standby = r.Required("StandbyTime");
    c.site.alarm = r.Required("AlarmTime");
    c.site.channel = r.Required("SalesChannel");
  }
  {
    Resolver r(db, "Panels");
    PanelColumns& p = c.panels;
    p.number = r.Required("Panel Number");
    p.name = r.Required("Panel Name");
    p.type = r.Required("Panel Type");
    p.housing = r.Required("Housing Type");
    p.channel = r.Required("SalesChannel");
    p.protocols = r.Family("Pro", "Prot");
    p.options = r.Family("Opt", "Opt");
    p.power_supplies = r.Family("Psu", "Psu");
    p.q_panel = r.Required("Quiescent Current Panel");
    p.a_panel = r.Required("Alarm Current Panel");
    p.q_total = r.Required("Quiescent Current Total");
    p.a_total = r.Required("Alarm Current Total");
    p.battery_capacity = r.Required("Battery Capacity");
    p.battery = r.Required("Battery");
    p.loop_loads = r.Required("Loop Loads");
    p.loops_ok = r.Optional("OKBooleanLoops");
    p.psu_ok = r.Optional("OKBooleanPSU");
  }
  {
    Resolver r(db, "Loops");
    LoopColumns& l = c.loops;
    l.panel = r.Required("PanelNumber");
    l.number = r.Required("LoopNumber");
    l.name = r.Required("Loop");
    l.cable = r.Required("CableSpec");
    l.resistance = r.Required("Resistance");
    l.length = r.Required("Length");
    l.alarm_indicators = r.Required("AlarmIndicators");
    l.one_location = r.Required("OneLocation");
    l.one_location_length = r.Required("OneLocationLength");
    l.spread = r.Required("Spread");
    l.spread_length = r.Required("SpreadLength");
    l.quiescent = r.Required("QuiescentCurrent");
    l.alarm = r.Required("AlarmCurrent");
    l.drop = r.Required("Drop");
    l.ok = r.Required("OK");
    l.ok_flag = r.Optional("OKBoolean");
  }
  {
    Resolver r(db, "Devices");
    DeviceColumns& d = c.devices;
    d.id = r.Required("ID");
    d.panel = r.Required("Panel");
    d.loop = r.Required("Loop");
    d.quantity = r.Required("DeviceQuantity");
    d.type_code = r.Required("DeviceTypeCode");
    d.type_text = r.Required("DeviceTypeText");
    d.sub_type = r.Required("DeviceSub-Type");
    d.unit_q = r.Required("UnitQuiesentCurrent");
    d.row_q = r.Required("QuiesentCurrent");
    d.unit_a = r.Required("UnitAlarmCurrent");
    d.row_a = r.Required("AlarmCurrent");
    d.lowest_v = r.Required("LowestV");
    d.group = r.Required("CountGroup");
  }
  {
    Resolver r(db, "Outputs");
    OutputColumns& o = c.outputs;
    o.panel = r.Required("Panel");
    o.number = r.Required("OutputNumber");
    o.name = r.Required("Output");
    o.max = r.Required("MAX");
    o.quiescent = r.Required("QuiesentCurrent");
    o.alarm = r.Required("AlarmCurrent");
  }
  {
    Resolver r(db, "Currents");
    CurrentColumns& k = c.currents;
    k.panel = r.Required("Panel");
    k.type = r.Required("CurrentType");
    k.description = r.Required("Description");
    k.quiescent = r.Required("QuiescentCurrent");
    k.alarm = r.Required("AlarmCurrent");
    k.comment = r.Required("Comment");
  }
  return c;
}

}  // namespace velmora::site
