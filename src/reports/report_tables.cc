#include "reports/report_tables.h"

#include <QHash>
#include <algorithm>
#include <vector>

#include "catalogue/lookup.h"
#include "electrical/number_format.h"
#include "electrical/run.h"
#include "electrical/site_rows.h"
#include "i18n/messages.h"
#include "i18n/tr.h"
#include "reports/parts_list.h"
#include "reports/print_store.h"
#include "site/table.h"

namespace velmora::reports {
namespace {

using electrical::BoolAt;
using electrical::IntAt;
using electrical::RealAt;
using electrical::RowSet;
using electrical::TextAt;
using i18n::Msg;
using i18n::Text;
using i18n::Tr;

const char* const kSiteColumns[] = {
    "SiteName", "SiteDate",       "ContactName", "AddressLine1", "AddressLine2",
    "City",     "State/Province", "PostalCode",  "Country",      "Phone",
    "Fax",      "Email",          "Comment",     "SalesChannel"};

// A current of a loop or output in whole mA, a half going to the even neighbour.
QString WholeMilliamperes(double value) {
  return electrical::FixedNumber(electrical::RoundHalfEven(value), 0);
}

// Rows of a site table grouped by their panel number, each group in table order.
std::vector<std::vector<const site::Row*>> GroupByPanel(RowSet& set, int panel_column, int panels) {
  std::vector<std::vector<const site::Row*>> groups(panels + 1);
  for (const site::Row& row : set.Rows()) {
    const qint64 p = IntAt(row, panel_column);
    if (p >= 1 && p <= panels) groups[p].push_back(&row);
  }
  return groups;
}

void FillPanelDetails(Run& run, TierWriter& out, RowSet& panels, const site::Row& row) {
  site::Table& lookup = run.catalogue.Translation();
  site::Table& spec = run.catalogue.PanelSpec();
  const int number = int(IntAt(row, panels.Col("Panel Number")));
  const qint64 type = IntAt(row, panels.Col("Panel Type"));
  const qint64 housing = IntAt(row, panels.Col("Housing Type"));

  // The type's order code from its first row, the variant's code from the row of this type
  // and housing: the code of the first row with the housing alone may belong to another type.
  QString group_code;
  QString variant_code;
  bool type_found = false;
  const int s_id1 = spec.FieldIndex("ID1");
  const int s_id2 = spec.FieldIndex("ID2");
  for (const site::Row& s : spec.Rows()) {
    if (IntAt(s, s_id1) != type) continue;
    if (!type_found) {
      group_code = TextAt(s, spec.FieldIndex("Panel Group Code"));
      type_found = true;
    }
    if (IntAt(s, s_id2) == housing) {
      variant_code = TextAt(s, spec.FieldIndex("Panel Code"));
      break;
    }
  }

  out.Add(number, Tr(N_("Name")), TextAt(row, panels.Col("Panel Name")));
  out.Add(number, Tr(N_("Type")), group_code, catalogue::PanelTypeName(lookup, type));
  out.Add(number, Tr(N_("Housing")), variant_code, catalogue::HousingName(lookup, housing));
  const int protocol = electrical::ProtocolIndexOfPanel(panels, row);
  if (protocol >= 0) {
    const auto found = catalogue::ProtocolOfKey(lookup, catalogue::ProtocolKey(protocol));
    out.Add(number, Tr(N_("Protocol")), found ? found->name : QString());
  }
  out.Add(number, Text(Msg::kBatteryCapacityAh),
          TextAt(row, panels.Col("Battery Capacity")) + " => ", TextAt(row, panels.Col("Battery")));
  const int supply = electrical::PowerSupplyIndexOfPanel(panels, row);
  out.Add(
      number, Tr(N_("Power Supply")),
      supply < 0 ? QString() : catalogue::PowerSupplyCaption(lookup, supply).value_or(QString()));
  const int options = electrical::CountColumnsWithPrefix(run.doc.Db(), "Panels", "Opt");
  bool first = true;
  for (int i = 0; i < options; ++i) {
    if (!BoolAt(row, panels.Col(QString("Opt%1").arg(i)))) continue;
    out.Add(number, first ? Tr(N_("Options")) : QString(),
            catalogue::OptionCaption(lookup, i).value_or(QString()));
    first = false;
  }
}

}  // namespace

void FillSiteAndSections(Run& run, site::Database& print) {
  RowSet site(run.doc.Db(), "Site");
  const site::Row* row = site.First();
  std::vector<std::pair<int, QVariant>> values;
  for (const char* column : kSiteColumns) {
    const int to = print.ColumnIndex("Site", column);
    const int from = site.Col(column);
    if (to >= 0 && row != nullptr && from >= 0) values.emplace_back(to, row->values[from]);
  }
  site::Table& lookup = run.catalogue.Translation();
  const double standby = row ? RealAt(*row, site.Col("StandbyTime")) : 0.0;
  const double alarm = row ? RealAt(*row, site.Col("AlarmTime")) : 0.0;
  values.emplace_back(print.ColumnIndex("Site", "StandbyTime"),
                      catalogue::StandbyTimeTextOfNumber(lookup, standby));
  values.emplace_back(print.ColumnIndex("Site", "AlarmTime"),
                      catalogue::AlarmTimeTextOfNumber(lookup, alarm));
  print.DeleteWhere("Site");
  print.Insert("Site", values);

  const std::pair<const char*, QString> labels[] = {
      {"PanelProperties", Tr(N_("Panel Properties"))},
      {"TotalCurrents", Text(Msg::kTotalCurrents)},
      {"DeviceProperties", Tr(N_("Device Properties"))},
      {"SiteName", Tr(N_("Site Name"))},
      {"SiteDate", Tr(N_("Site Date"))},
      {"ContactName", Tr(N_("Contact Name"))},
      {"AddressLine1", Tr(N_("Address Line 1"))},
      {"AddressLine2", Tr(N_("Address Line 2"))},
      {"City", Tr(N_("City"))},
      {"State/Province", Tr(N_("State/Province"))},
      {"PostalCode", Tr(N_("Postal Code"))},
      {"Country", Tr(N_("Country"))},
      {"Phone", Tr(N_("Phone"))},
      {"Fax", Tr(N_("Fax"))},
      {"Email", Tr(N_("Email"))},
      {"Comment", Text(Msg::kComment)},
      {"SalesChannel", Tr(N_("Sales Channel"))},
      {"StandbyTime", Tr(N_("System Standby Time"))},
      {"AlarmTime", Tr(N_("Alarm Time"))},
      {"Partlist", Text(Msg::kPartsList)},
  };
  std::vector<std::pair<int, QVariant>> section_values;
  for (const auto& [column, text] : labels)
    section_values.emplace_back(print.ColumnIndex("Sections", column), text);
  print.DeleteWhere("Sections");
  print.Insert("Sections", section_values);
}

void FillReportTables(Run& run, site::Database& print) {
  site::Transaction transaction(&print);
  FillSiteAndSections(run, print);

  site::Database& doc = run.doc.Db();
  RowSet panels(doc, "Panels");
  const int p_number = panels.Col("Panel Number");
  print.DeleteWhere("Panels");
  print.DeleteWhere("PanelDetails");
  TierWriter panel_rows(print, "Panels");
  TierWriter detail_rows(print, "PanelDetails");
  for (const site::Row& row : panels.Rows()) {
    panel_rows.Add(int(IntAt(row, p_number)), TextAt(row, panels.Col("Panel Name")));
    FillPanelDetails(run, detail_rows, panels, row);
  }

  print.DeleteWhere("Currents");
  print.DeleteWhere("Devices");
  TierWriter current_rows(print, "Currents");
  TierWriter device_rows(print, "Devices");
  const int count = int(panels.Rows().size());
  std::vector<const site::Row*> panel_of_number(count + 1, nullptr);
  for (const site::Row& row : panels.Rows()) {
    const qint64 p = IntAt(row, p_number);
    if (p >= 1 && p <= count && panel_of_number[p] == nullptr) panel_of_number[p] = &row;
  }
  // Whole tables, read once: no view filter is involved, so none needs restoring.
  RowSet loops(doc, "Loops");
  RowSet outputs(doc, "Outputs");
  RowSet devices(doc, "Devices");
  const auto loops_of = GroupByPanel(loops, loops.Col("PanelNumber"), count);
  auto outputs_of = GroupByPanel(outputs, outputs.Col("Panel"), count);
  const auto devices_of = GroupByPanel(devices, devices.Col("Panel"), count);
  const bool has_psu_flag = run.doc.PanelsHaveStatusFlags();
  const int o_number = outputs.Col("OutputNumber");
  const int d_loop = devices.Col("Loop");
  const int d_sub_type = devices.Col("DeviceSub-Type");

  for (int p = 1; p <= count; ++p) {
    const site::Row* panel = panel_of_number[p];
    auto panel_text = [&](const char* column) {
      return panel ? TextAt(*panel, panels.Col(column)) : QString();
    };
    current_rows.Add(p, Text(Msg::kDescription), Text(Msg::kQuiescentCurrentMa),
                     Text(Msg::kAlarmCurrentMa), Text(Msg::kComment));
    current_rows.Add(p, Text(Msg::kPanel), panel_text("Quiescent Current Panel"),
                     panel_text("Alarm Current Panel"), Text(Msg::kNotAvailable));
    for (const site::Row* loop : loops_of[p]) {
      current_rows.Add(p, TextAt(*loop, loops.Col("Loop")),
                       WholeMilliamperes(RealAt(*loop, loops.Col("QuiescentCurrent"))),
                       WholeMilliamperes(RealAt(*loop, loops.Col("AlarmCurrent"))),
                       TextAt(*loop, loops.Col("OK")));
    }
    std::stable_sort(outputs_of[p].begin(), outputs_of[p].end(),
                     [o_number](const site::Row* a, const site::Row* b) {
                       return IntAt(*a, o_number) < IntAt(*b, o_number);
                     });
    for (const site::Row* output : outputs_of[p]) {
      current_rows.Add(p, TextAt(*output, outputs.Col("Output")),
                       WholeMilliamperes(RealAt(*output, outputs.Col("QuiesentCurrent"))),
                       WholeMilliamperes(RealAt(*output, outputs.Col("AlarmCurrent"))),
                       Text(Msg::kNotAvailable));
    }
    const bool psu_overload = has_psu_flag && panel && !BoolAt(*panel, panels.Col("OKBooleanPSU"));
    current_rows.Add(p, Text(Msg::kTotal), panel_text("Quiescent Current Total"),
                     panel_text("Alarm Current Total"),
                     Text(psu_overload ? Msg::kPowerSupplyOverload : Msg::kNotAvailable));

    // Device rows by loop; the single blank is the placeholder row of a new loop.
    device_rows.Add(p, Text(Msg::kLoop), Text(Msg::kQuantityOfDevices), Text(Msg::kDeviceType),
                    Text(Msg::kDeviceSubType));
    qint64 highest = 0;
    QHash<qint64, std::vector<const site::Row*>> rows_of_loop;
    for (const site::Row* device : devices_of[p]) {
      if (TextAt(*device, d_sub_type) == " ") continue;
      const qint64 l = IntAt(*device, d_loop);
      highest = std::max(highest, l);
      rows_of_loop[l].push_back(device);
    }
    for (qint64 l = 1; l <= highest; ++l) {
      const auto found = rows_of_loop.constFind(l);
      if (found == rows_of_loop.cend()) continue;
      device_rows.Add(p, Text(Msg::kLoop) + " " + QString::number(l));
      for (const site::Row* device : *found) {
        device_rows.Add(
            p, QString::number(l), QString::number(IntAt(*device, devices.Col("DeviceQuantity"))),
            TextAt(*device, devices.Col("DeviceTypeText")), TextAt(*device, d_sub_type));
      }
    }
  }
  transaction.Commit();
}

void FillPartsReportTables(Run& run, site::Database& print, const i18n::Settings& settings) {
  site::Transaction transaction(&print);
  print.DeleteWhere("PartsList");
  FillSiteAndSections(run, print);
  BuildPartsList(run, print, settings);
  transaction.Commit();
}

}  // namespace velmora::reports
