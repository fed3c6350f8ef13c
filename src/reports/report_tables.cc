#include "reports/report_tables.h"

#include <QHash>
#include <algorithm>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

#include "catalogue/lookup.h"
#include "electrical/battery_explain.h"
#include "electrical/loop_explain.h"
#include "electrical/loop_profile.h"
#include "electrical/number_format.h"
#include "electrical/recalculation.h"
#include "electrical/site_rows.h"
#include "i18n/display_format.h"
#include "i18n/messages.h"
#include "i18n/tr.h"
#include "reports/loop_profile_figure.h"
#include "reports/parts_list.h"
#include "reports/print_store.h"
#include "site/cables.h"
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
std::vector<std::vector<const site::Row*>> GroupByPanel(const std::vector<site::Row>& rows,
                                                        int panel_column, int panels) {
  std::vector<std::vector<const site::Row*>> groups(panels + 1);
  for (const site::Row& row : rows) {
    const qint64 p = IntAt(row, panel_column);
    if (p >= 1 && p <= panels) groups[p].push_back(&row);
  }
  return groups;
}

// The headings of a panel's loop evidence.
LoopLine LoopHeadings(int panel) {
  LoopLine line;
  line.panel = panel;
  // Short headings: nine columns share the width of a portrait page in every language.
  line.cells = {Tr(N_("No.")),
                Text(Msg::kCable),
                Tr(N_("Length (m)")),
                Tr(N_("Distribution")),
                Text(Msg::kQuiescentCurrentMa),
                Text(Msg::kAlarmCurrentMa),
                Tr(N_("Voltage Drop (V)")),
                Tr(N_("Voltage Left (V)")),
                Tr(N_("Use of Current Limit"))};
  line.status = Tr(N_("Status"));
  return line;
}

// One loop's evidence: its cable and distribution as stored, its currents as the current lines
// print them, and what the check found, with the explanation of its status.
LoopLine LoopEvidence(SiteData& data, int panel, const site::Row& row,
                      const electrical::LoopResult* result, bool technical_detail) {
  const site::LoopColumns& lc = data.Cols().loops;
  LoopLine line;
  line.panel = panel;
  // A distance and its unit stay on one line.
  const QString distribution =
      (BoolAt(row, lc.one_location)
           ? Tr(N_("One location at %1 m")).arg(IntAt(row, lc.one_location_length))
           : Tr(N_("Spread from %1 m")).arg(IntAt(row, lc.spread_length)))
          .replace(" m", QStringLiteral("\u00a0m"));
  QString drop = QStringLiteral("-");
  QString left = QStringLiteral("-");
  QString use = QStringLiteral("-");
  if (result != nullptr) {
    const electrical::LoopHeadroom headroom = HeadroomOf(result->input, result->check);
    drop = i18n::FormatNumber(result->check.drop, 3);
    if (headroom.left) left = i18n::FormatNumber(*headroom.left, 3);
    if (headroom.current) use = electrical::PercentText(*headroom.current);
    line.standing = int(electrical::StandingOf(result->check, headroom));
    line.explanation = electrical::LoopExplanation(*result);
  }
  line.cells = {QString::number(IntAt(row, lc.number)),
                // The cross-section and its unit stay on one line.
                Tr(site::CableText(IntAt(row, lc.cable))).replace(' ', QChar(0x00a0)),
                QString::number(IntAt(row, lc.length)), distribution,
                WholeMilliamperes(RealAt(row, lc.quiescent)),
                WholeMilliamperes(RealAt(row, lc.alarm)), drop, left, use};
  line.status = TextAt(row, lc.ok);
  if (technical_detail) line.status = electrical::WithDrop(line.status, RealAt(row, lc.drop));
  if (line.standing == int(electrical::Standing::kNearLimit))
    line.status += ", " + Tr(N_("near the limit"));
  return line;
}

void FillPanelDetails(SiteData& data, TierWriter& out, const site::Row& row) {
  site::Table& lookup = data.catalogue.Translation();
  const site::PanelColumns& pc = data.Cols().panels;
  const int number = int(IntAt(row, pc.number));
  const qint64 type = IntAt(row, pc.type);
  const qint64 housing = IntAt(row, pc.housing);

  // The type's order code from its first row, the variant's code from the row of this type
  // and housing: the code of the first row with the housing alone may belong to another type.
  QString group_code;
  QString variant_code;
  bool type_found = false;
  for (const catalogue::Variant& v : data.Variants()) {
    if (!v.type_id || *v.type_id != type) continue;
    if (!type_found) {
      group_code = v.group_code;
      type_found = true;
    }
    if (v.housing_id && *v.housing_id == housing) {
      variant_code = v.panel_code;
      break;
    }
  }

  out.Add(number, Tr(N_("Name")), TextAt(row, pc.name));
  out.Add(number, Tr(N_("Type")), group_code, catalogue::PanelTypeName(lookup, type));
  out.Add(number, Tr(N_("Housing")), variant_code, catalogue::HousingName(lookup, housing));
  const int protocol = electrical::LastTrueFlag(row, pc.protocols);
  if (protocol >= 0) {
    const auto found = catalogue::ProtocolOfKey(lookup, catalogue::ProtocolKey(protocol));
    out.Add(number, Tr(N_("Protocol")), found ? found->name : QString());
  }
  out.Add(number, Text(Msg::kBatteryCapacityAh), TextAt(row, pc.battery_capacity) + " => ",
          TextAt(row, pc.battery));
  const int supply = electrical::LastTrueFlag(row, pc.power_supplies);
  out.Add(
      number, Tr(N_("Power Supply")),
      supply < 0 ? QString() : catalogue::PowerSupplyCaption(lookup, supply).value_or(QString()));
  bool first = true;
  for (int i = 0; i < int(pc.options.size()); ++i) {
    if (!BoolAt(row, pc.options[i])) continue;
    out.Add(number, first ? Tr(N_("Options")) : QString(),
            catalogue::OptionCaption(lookup, i).value_or(QString()));
    first = false;
  }
}

const char* const kProfileColumns[] = {"PanelNumber",   "LoopNumber",   "Loop",          "Status",
                                       "LowestHealthy", "LowestBroken", "WeakestDevice", "Margin",
                                       "Advisories",    "Figure"};
constexpr int kProfileCells = int(std::size(kProfileColumns));

// Appends to LoopProfiles the voltage along a loop as the report shows it, beside the loop's
// status as its Currents line gives it.
class ProfileWriter {
 public:
  explicit ProfileWriter(site::Database& print) : db_(print) {
    for (int c = 0; c < kProfileCells; ++c)
      columns_[c] = print.ColumnIndex("LoopProfiles", kProfileColumns[c]);
  }

  // Nothing for a loop that has no profile (its protocol gives no lowest voltage).
  void Add(int panel, const QString& name, const QString& status,
           const electrical::LoopResult* result) {
    if (result == nullptr) return;
    const std::optional<electrical::LoopProfile> loop = electrical::ProfileOf(*result);
    if (!loop) return;
    const electrical::VoltageProfile& p = loop->profile;
    const auto volts = [](const std::optional<double>& v) {
      return v ? i18n::FormatNumber(*v, 2) : QString();
    };
    const QVariant cells[kProfileCells] = {panel,
                                           result->loop,
                                           name,
                                           status,
                                           volts(p.LowestHealthy()),
                                           volts(p.LowestBroken()),
                                           loop->DeviceName(p.weakest),
                                           volts(p.weakest_margin),
                                           electrical::AdvisoryTexts(*loop).join('\n'),
                                           FigureText(FigureOf(*loop))};
    std::vector<std::pair<int, QVariant>> values;
    values.reserve(kProfileCells);
    for (int c = 0; c < kProfileCells; ++c) values.emplace_back(columns_[c], cells[c]);
    db_.Insert("LoopProfiles", values);
  }

 private:
  site::Database& db_;
  int columns_[kProfileCells];
};

// The results of a recalculation by panel and by panel and loop number; the first one of each,
// as Recalculation::Panel and Recalculation::Loop find it.
class ResultsByNumber {
 public:
  explicit ResultsByNumber(const electrical::Recalculation& state) {
    for (const electrical::LoopResult& r : state.loops) {
      if (!loops_.contains({r.panel, r.loop})) loops_.insert({r.panel, r.loop}, &r);
    }
    for (const electrical::PanelResult& r : state.panels) {
      if (!panels_.contains(r.panel)) panels_.insert(r.panel, &r);
    }
  }
  const electrical::LoopResult* Loop(int panel, int loop) const {
    return loops_.value({panel, loop}, nullptr);
  }
  const electrical::PanelResult* Panel(int panel) const { return panels_.value(panel, nullptr); }

 private:
  QHash<std::pair<int, int>, const electrical::LoopResult*> loops_;
  QHash<int, const electrical::PanelResult*> panels_;
};

}  // namespace

void FillSiteAndSections(SiteData& data, site::Database& print) {
  RowSet site(data.doc.Db(), "Site");
  const site::Row* row = site.First();
  std::vector<std::pair<int, QVariant>> values;
  for (const char* column : kSiteColumns) {
    const int to = print.ColumnIndex("Site", column);
    const int from = data.doc.Db().ColumnIndex("Site", column);
    if (to >= 0 && row != nullptr && from >= 0) values.emplace_back(to, row->values[from]);
  }
  site::Table& lookup = data.catalogue.Translation();
  const double standby = row ? RealAt(*row, data.Cols().site.standby) : 0.0;
  const double alarm = row ? RealAt(*row, data.Cols().site.alarm) : 0.0;
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

void FillReportTables(SiteData& data, site::Database& print, bool technical_detail) {
  site::Transaction transaction(&print);
  FillSiteAndSections(data, print);

  site::Database& doc = data.doc.Db();
  const site::SiteColumns& c = data.Cols();
  const std::vector<site::Row> panels = doc.Select("Panels");
  print.DeleteWhere("Panels");
  print.DeleteWhere("PanelDetails");
  TierWriter panel_rows(print, "Panels");
  TierWriter detail_rows(print, "PanelDetails");
  for (const site::Row& row : panels) {
    panel_rows.Add(int(IntAt(row, c.panels.number)), TextAt(row, c.panels.name));
    FillPanelDetails(data, detail_rows, row);
  }

  print.DeleteWhere("Currents");
  print.DeleteWhere("Devices");
  print.DeleteWhere("LoopProfiles");
  print.DeleteWhere("Loops");
  print.DeleteWhere("Battery");
  const int battery_panel = print.ColumnIndex("Battery", "PanelNumber");
  const int battery_line = print.ColumnIndex("Battery", "Line");
  TierWriter current_rows(print, "Currents");
  TierWriter device_rows(print, "Devices");
  ProfileWriter profile_rows(print);
  LoopWriter loop_rows(print);
  const int count = int(panels.size());
  std::vector<const site::Row*> panel_of_number(count + 1, nullptr);
  for (const site::Row& row : panels) {
    const qint64 p = IntAt(row, c.panels.number);
    if (p >= 1 && p <= count && panel_of_number[p] == nullptr) panel_of_number[p] = &row;
  }
  // Whole tables, read once.
  const std::vector<site::Row> loops = doc.Select("Loops");
  const std::vector<site::Row> outputs = doc.Select("Outputs");
  const std::vector<site::Row> devices = doc.Select("Devices");
  const auto loops_of = GroupByPanel(loops, c.loops.panel, count);
  auto outputs_of = GroupByPanel(outputs, c.outputs.panel, count);
  const auto devices_of = GroupByPanel(devices, c.devices.panel, count);
  // What each panel's supply verdict is, as the stored rows give it.
  const electrical::Recalculation recalculation =
      electrical::RecalculateRows(data, {panels, loops, devices, outputs}, false);
  const ResultsByNumber state(recalculation);

  for (int p = 1; p <= count; ++p) {
    const site::Row* panel = panel_of_number[p];
    auto panel_text = [&](int column) { return panel ? TextAt(*panel, column) : QString(); };
    current_rows.Add(p, Text(Msg::kDescription), Text(Msg::kQuiescentCurrentMa),
                     Text(Msg::kAlarmCurrentMa), Text(Msg::kComment));
    current_rows.Add(p, Text(Msg::kPanel), panel_text(c.panels.q_panel),
                     panel_text(c.panels.a_panel), Text(Msg::kNotAvailable));
    for (const site::Row* loop : loops_of[p]) {
      QString status = TextAt(*loop, c.loops.ok);
      if (technical_detail) status = electrical::WithDrop(status, RealAt(*loop, c.loops.drop));
      current_rows.Add(p, TextAt(*loop, c.loops.name),
                       WholeMilliamperes(RealAt(*loop, c.loops.quiescent)),
                       WholeMilliamperes(RealAt(*loop, c.loops.alarm)), status);
      profile_rows.Add(p, TextAt(*loop, c.loops.name), status,
                       state.Loop(p, int(IntAt(*loop, c.loops.number))));
    }
    std::stable_sort(outputs_of[p].begin(), outputs_of[p].end(),
                     [&](const site::Row* a, const site::Row* b) {
                       return IntAt(*a, c.outputs.number) < IntAt(*b, c.outputs.number);
                     });
    for (const site::Row* output : outputs_of[p]) {
      current_rows.Add(p, TextAt(*output, c.outputs.name),
                       WholeMilliamperes(RealAt(*output, c.outputs.quiescent)),
                       WholeMilliamperes(RealAt(*output, c.outputs.alarm)),
                       Text(Msg::kNotAvailable));
    }
    QString verdict = Text(Msg::kNotAvailable);
    if (const electrical::PanelResult* r = state.Panel(p); r && c.panels.HasStatusFlags()) {
      if (!r->known) {
        verdict = Tr(N_("No catalogue data"));
      } else if (!r->power.supply_chosen) {
        verdict = Tr(N_("No power supply chosen"));
      } else if (r->power.Overloaded()) {
        verdict = Text(Msg::kPowerSupplyOverload);
      }
    }
    current_rows.Add(p, Text(Msg::kTotal), panel_text(c.panels.q_total),
                     panel_text(c.panels.a_total), verdict);

    loop_rows.Add(LoopHeadings(p));
    for (const site::Row* loop : loops_of[p]) {
      loop_rows.Add(LoopEvidence(data, p, *loop, state.Loop(p, int(IntAt(*loop, c.loops.number))),
                                 technical_detail));
    }
    if (const electrical::PanelResult* r = state.Panel(p)) {
      for (const QString& line : electrical::BatteryCalculation(
               *r, data.catalogue.BatteryCapacities(), data.catalogue.BatteryModels()))
        print.Insert("Battery", {{battery_panel, p}, {battery_line, line}});
    }

    // Device rows by loop; the single blank is the placeholder row of a new loop.
    device_rows.Add(p, Text(Msg::kLoop), Text(Msg::kQuantityOfDevices), Text(Msg::kDeviceType),
                    Text(Msg::kDeviceSubType));
    qint64 highest = 0;
    QHash<qint64, std::vector<const site::Row*>> rows_of_loop;
    for (const site::Row* device : devices_of[p]) {
      if (TextAt(*device, c.devices.sub_type) == " ") continue;
      const qint64 l = IntAt(*device, c.devices.loop);
      highest = std::max(highest, l);
      rows_of_loop[l].push_back(device);
    }
    for (qint64 l = 1; l <= highest; ++l) {
      const auto found = rows_of_loop.constFind(l);
      if (found == rows_of_loop.cend()) continue;
      device_rows.Add(p, Text(Msg::kLoop) + " " + QString::number(l));
      for (const site::Row* device : *found) {
        device_rows.Add(p, QString::number(l), QString::number(IntAt(*device, c.devices.quantity)),
                        TextAt(*device, c.devices.type_text), TextAt(*device, c.devices.sub_type));
      }
    }
  }
  transaction.Commit();
}

void FillPartsReportTables(SiteData& data, site::Database& print, const i18n::Settings& settings) {
  site::Transaction transaction(&print);
  print.DeleteWhere("PartsList");
  FillSiteAndSections(data, print);
  BuildPartsList(data, print, settings);
  transaction.Commit();
}

}  // namespace velmora::reports
