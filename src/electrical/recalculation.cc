#include "electrical/recalculation.h"

#include <QHash>
#include <algorithm>

#include "catalogue/lookup.h"
#include "electrical/number_format.h"
#include "electrical/site_rows.h"
#include "i18n/messages.h"
#include "i18n/tr.h"

namespace velmora::electrical {
namespace {

using i18n::Msg;

// The rows of the panels being recalculated, read once per table.
SiteRows ReadRows(site::Database& db, const std::vector<int>& panels) {
  SiteRows rows;
  if (panels.empty()) {
    rows.panels = db.Select("Panels");
    rows.loops = db.Select("Loops");
    rows.devices = db.Select("Devices");
    rows.outputs = db.Select("Outputs");
    return rows;
  }
  auto append = [](std::vector<site::Row>& to, std::vector<site::Row> from) {
    to.insert(to.end(), std::make_move_iterator(from.begin()), std::make_move_iterator(from.end()));
  };
  for (int p : panels) {
    append(rows.panels, db.Select("Panels", PanelKey(p)));
    append(rows.loops, db.Select("Loops", LoopsOfPanel(p)));
    append(rows.devices, db.Select("Devices", RowsOfPanel(p)));
    append(rows.outputs, db.Select("Outputs", RowsOfPanel(p)));
  }
  return rows;
}

std::vector<const catalogue::Variant*> VariantsOf(const std::vector<catalogue::Variant>& variants,
                                                  const site::Row& panel,
                                                  const site::PanelColumns& c) {
  std::vector<const catalogue::Variant*> matching;
  if (IsEmptyAt(panel, c.type) || IsEmptyAt(panel, c.housing)) return matching;
  const qint64 type = IntAt(panel, c.type);
  const qint64 housing = IntAt(panel, c.housing);
  for (const catalogue::Variant& v : variants) {
    if (v.Is(type, housing)) matching.push_back(&v);
  }
  return matching;
}

ProtocolLimits LimitsOf(SiteData& data, int protocol, const catalogue::Variant* variant) {
  ProtocolLimits limits;
  if (protocol < 0) return limits;
  const QString key = catalogue::ProtocolKey(protocol);
  if (variant != nullptr) {
    if (const auto current = catalogue::ProtocolMaxLoopCurrent(variant->protocols.value(protocol)))
      limits.max_current = double(*current);
  }
  if (const auto p = catalogue::ProtocolOfKey(data.catalogue.Translation(), key)) {
    limits.name = p->name;
    limits.lowest_v = p->lowest_v;
    limits.max_first = p->resistance_to_device;
    limits.max_detectors = p->max_detector_count;
    limits.max_modules = p->max_module_count;
    if (p->max_loop_length > 0) limits.max_length = p->max_loop_length;
  }
  return limits;
}

DeviceRowValues ValuesOf(const site::Row& row, const site::DeviceColumns& d) {
  DeviceRowValues v;
  v.quantity = IntAt(row, d.quantity);
  v.type_code = IntAt(row, d.type_code);
  v.unit_q = RealAt(row, d.unit_q);
  v.unit_a = NumberAt(row, d.unit_a);
  if (IsEmptyAt(row, d.unit_a)) v.unit_a.reset();
  v.row_q = RealAt(row, d.row_q);
  v.row_a = RealAt(row, d.row_a);
  v.lowest_v = IsEmptyAt(row, d.lowest_v) ? std::nullopt : NumberAt(row, d.lowest_v);
  v.type_text = TextAt(row, d.type_text);
  v.sub_type = TextAt(row, d.sub_type);
  v.quantity_text = TextAt(row, d.quantity);
  return v;
}

QString SubTypeOf(const site::Row& row, const site::DeviceColumns& d) {
  return IsEmptyAt(row, d.sub_type) ? QStringLiteral(" ") : TextAt(row, d.sub_type);
}

LoopGeometry GeometryOf(const site::Row& row, const site::LoopColumns& l) {
  LoopGeometry g;
  g.one_location = BoolAt(row, l.one_location);
  g.one_location_length = IntAt(row, l.one_location_length);
  g.spread_length = IntAt(row, l.spread_length);
  g.length = IntAt(row, l.length);
  g.ohm_per_km = RealAt(row, l.resistance);
  return g;
}

struct SiteHours {
  double standby = 0.0;
  double alarm = 0.0;
};

SiteHours ReadHours(SiteData& data) {
  SiteHours hours;
  const std::vector<site::Row> site_rows = data.doc.Db().Select("Site");
  if (!site_rows.empty()) {
    hours.standby = RealAt(site_rows.front(), data.Cols().site.standby);
    hours.alarm = RealAt(site_rows.front(), data.Cols().site.alarm);
  }
  return hours;
}

}  // namespace

const LoopResult* Recalculation::Loop(int panel, int loop) const {
  for (const LoopResult& r : loops) {
    if (r.panel == panel && r.loop == loop) return &r;
  }
  return nullptr;
}

const PanelResult* Recalculation::Panel(int panel) const {
  for (const PanelResult& r : panels) {
    if (r.panel == panel) return &r;
  }
  return nullptr;
}

QString LoopOverloadWarning(const LoopResult& loop) {
  if (!loop.check.Overloaded()) return QString();
  return i18n::Text(Msg::kLoop) + " " + QString::number(loop.loop) + " : " +
         i18n::Text(Msg::kLoopOverload) + loop.check.Codes();
}

QStringList SupplyWarnings(const PanelResult& panel) {
  QStringList warnings;
  const QString overload = i18n::Text(Msg::kPowerSupplyOverload) + " : ";
  if (panel.power.quiescent_overload) warnings << overload + i18n::Text(Msg::kQuiescentCurrent);
  if (panel.power.alarm_overload) warnings << overload + i18n::Text(Msg::kAlarmCurrent);
  return warnings;
}

Recalculation RecalculatePanels(SiteData& data, const std::vector<int>& which, bool write) {
  return RecalculateRows(data, ReadRows(data.doc.Db(), which), write);
}

Recalculation RecalculateRows(SiteData& data, SiteRows rows, bool write) {
  Recalculation result;
  site::Database& db = data.doc.Db();
  const site::SiteColumns& cols = data.Cols();
  const site::PanelColumns& pc = cols.panels;
  const site::LoopColumns& lc = cols.loops;
  const site::DeviceColumns& dc = cols.devices;
  const site::OutputColumns& oc = cols.outputs;
  const SiteHours hours = ReadHours(data);
  const std::vector<catalogue::Variant>& variants = data.Variants();
  const QStringList& capacities = data.catalogue.BatteryCapacities();
  const QStringList& models = data.catalogue.BatteryModels();

  // The rows of each panel and loop, in stored order.
  QHash<qint64, std::vector<site::Row*>> loops_of;
  for (site::Row& r : rows.loops) loops_of[IntAt(r, lc.panel)].push_back(&r);
  QHash<std::pair<qint64, qint64>, std::vector<site::Row*>> devices_of;
  for (site::Row& r : rows.devices)
    devices_of[{IntAt(r, dc.panel), IntAt(r, dc.loop)}].push_back(&r);
  QHash<qint64, std::vector<site::Row*>> outputs_of;
  for (site::Row& r : rows.outputs) outputs_of[IntAt(r, oc.panel)].push_back(&r);

  auto store = [&](RowEdit& edit) {
    if (write) {
      result.written_cells += edit.Store();
    } else if (edit.Changed()) {
      ++result.written_cells;
    }
  };

  for (site::Row& panel_row : rows.panels) {
    PanelResult pr;
    pr.panel = int(IntAt(panel_row, pc.number));
    pr.name = TextAt(panel_row, pc.name);
    const std::vector<const catalogue::Variant*> matching = VariantsOf(variants, panel_row, pc);
    const catalogue::Variant* variant = matching.empty() ? nullptr : matching.front();
    pr.known = variant != nullptr;
    pr.protocol = LastTrueFlag(panel_row, pc.protocols);
    pr.limits = LimitsOf(data, pr.protocol, variant);
    const catalogue::DeviceTable& devices = data.catalogue.ProtocolDevices(pr.protocol);

    double loops_q = 0.0;
    double loops_a = 0.0;
    bool loops_ok = true;
    for (site::Row* loop_row : loops_of.value(pr.panel)) {
      LoopResult lr;
      lr.panel = pr.panel;
      lr.loop = int(IntAt(*loop_row, lc.number));
      std::vector<DeviceRowValues> values;
      for (site::Row* device_row : devices_of.value({pr.panel, lr.loop})) {
        const catalogue::Device* device = devices.FirstOfTypeAndCode(
            IntAt(*device_row, dc.type_code), SubTypeOf(*device_row, dc));
        const RowCurrents rc = DeviceRowCurrents(IntAt(*device_row, dc.quantity), device);
        RowEdit edit(db, "Devices", *device_row);
        edit.Set(dc.unit_q, rc.unit_q);
        edit.Set(dc.unit_a, rc.unit_a);
        edit.Set(dc.row_q, rc.row_q);
        edit.Set(dc.row_a, rc.row_a);
        edit.Set(dc.lowest_v, rc.lowest_v);
        edit.Set(dc.group, rc.group);
        store(edit);
        values.push_back(ValuesOf(*device_row, dc));
      }
      lr.alarm_indicators = IntAt(*loop_row, lc.alarm_indicators);
      const LoopTotals totals = LoopCurrents(lr.alarm_indicators, values);
      lr.input.geometry = GeometryOf(*loop_row, lc);
      lr.input.quiescent = totals.quiescent;
      lr.input.alarm = totals.alarm;
      lr.input.limits = pr.limits;
      lr.input.devices = std::move(values);
      lr.check = CheckLoop(lr.input);
      // A panel the catalogue does not know has no limits to check its loops against: they never
      // pass for want of them.
      lr.passes = pr.known && !lr.check.Overloaded();
      lr.status = pr.known || lr.check.Overloaded() ? LoopStatusText(lr.check)
                                                    : i18n::Tr(N_("No catalogue data"));
      RowEdit edit(db, "Loops", *loop_row);
      edit.Set(lc.quiescent, totals.quiescent);
      edit.Set(lc.alarm, totals.alarm);
      edit.Set(lc.drop, lr.check.drop);
      edit.Set(lc.ok, lr.status);
      edit.Set(lc.ok_flag, qint64(lr.passes ? 1 : 0));
      store(edit);
      loops_q += totals.quiescent;
      loops_a += totals.alarm;
      loops_ok = loops_ok && lr.passes;
      result.loops.push_back(std::move(lr));
    }

    PanelPowerInput in;
    in.loops_q = loops_q;
    in.loops_a = loops_a;
    for (site::Row* output : outputs_of.value(pr.panel)) {
      in.outputs_q += RealAt(*output, oc.quiescent);
      in.outputs_a += RealAt(*output, oc.alarm);
    }
    in.standby_hours = hours.standby;
    in.alarm_hours = hours.alarm;
    const int supply = LastTrueFlag(panel_row, pc.power_supplies);
    in.supply_chosen = supply >= 0;
    if (variant != nullptr) {
      in.own_q = variant->standby_current;
      in.own_a = variant->alarm_current;
      if (supply >= 0) {
        in.supply_q = supply < int(variant->supply_standby.size()) ? variant->supply_standby[supply]
                                                                   : std::nullopt;
        in.supply_a = supply < int(variant->supply_alarm.size()) ? variant->supply_alarm[supply]
                                                                 : std::nullopt;
      }
      for (int i = 0; i < int(pc.options.size()); ++i) {
        if (pc.options[i] < 0 || !BoolAt(panel_row, pc.options[i])) continue;
        // Every matching row adds its board currents.
        for (const catalogue::Variant* v : matching) {
          in.options_q += i < int(v->option_standby.size())
                              ? double(catalogue::DecodeOptionStandby(v->option_standby[i]).standby)
                              : 0.0;
          in.options_a += i < int(v->option_alarm.size())
                              ? catalogue::OptionAlarmCurrent(v->option_alarm[i])
                              : 0.0;
        }
      }
      pr.housing_battery = variant->battery_size;
    }
    pr.power_input = in;
    pr.power = PanelPowerOf(in);
    pr.state.has_flags = pc.HasStatusFlags();
    pr.state.known = pr.known;
    pr.state.loops_ok = loops_ok;
    pr.state.supply_chosen = pr.power.supply_chosen;
    pr.state.supply_ok = pr.SupplyOk();
    pr.status = PanelStatusText(pr.state);
    pr.rounded_capacity = RoundedBatteryCapacity(pr.power.battery_capacity);
    RowEdit edit(db, "Panels", panel_row);
    edit.Set(pc.loops_ok, qint64(loops_ok ? 1 : 0));
    edit.Set(pc.psu_ok, qint64(pr.SupplyOk() ? 1 : 0));
    if (pr.known) {
      pr.battery = BatteryChoice(capacities, models, pr.rounded_capacity, pr.housing_battery);
      edit.Set(pc.q_panel, CurrentText(pr.power.q_panel));
      edit.Set(pc.a_panel, CurrentText(pr.power.a_panel));
      edit.Set(pc.q_total, CurrentText(pr.power.q_total));
      edit.Set(pc.a_total, CurrentText(pr.power.a_total));
      edit.Set(pc.battery_capacity, FixedNumber(pr.rounded_capacity, 1));
    } else {
      // Without its variant the panel's own currents and the limits are not known: nothing is
      // computed as if they were zero.
      pr.battery = i18n::Tr(N_("No catalogue data"));
      for (int c : {pc.q_panel, pc.a_panel, pc.q_total, pc.a_total, pc.battery_capacity})
        edit.Set(c, QStringLiteral("-"));
    }
    edit.Set(pc.battery, pr.battery);
    edit.Set(pc.loop_loads, pr.status);
    store(edit);
    result.panels.push_back(std::move(pr));
  }
  return result;
}

ProtocolLimits PanelLimits(SiteData& data, int panel) {
  const std::vector<site::Row> rows = data.doc.Db().Select("Panels", PanelKey(panel));
  if (rows.empty()) return {};
  const site::PanelColumns& pc = data.Cols().panels;
  const std::vector<const catalogue::Variant*> matching =
      VariantsOf(data.Variants(), rows.front(), pc);
  return LimitsOf(data, LastTrueFlag(rows.front(), pc.protocols),
                  matching.empty() ? nullptr : matching.front());
}

qint64 SpacingDeviceCount(SiteData& data, int panel, int loop) {
  site::Database& db = data.doc.Db();
  const std::vector<site::Row> panels = db.Select("Panels", PanelKey(panel));
  if (panels.empty()) return 0;
  const catalogue::DeviceTable& devices =
      data.catalogue.ProtocolDevices(LastTrueFlag(panels.front(), data.Cols().panels.protocols));
  const site::DeviceColumns& dc = data.Cols().devices;
  qint64 n = 0;
  for (const site::Row& row : db.Select("Devices", DevicesOfLoop(panel, loop))) {
    if (const catalogue::Device* device = devices.FirstOfCode(TextAt(row, dc.sub_type)))
      n += IntAt(row, dc.quantity) * std::min<qint64>(device->count, 1);
  }
  return n;
}

void WriteCurrentLines(SiteData& data, int panel, LineSet lines, bool technical_detail,
                       const PanelResult* known) {
  site::Database& db = data.doc.Db();
  const site::CurrentColumns& k = data.Cols().currents;
  db.DeleteWhere("Currents");
  if (lines == LineSet::kNone) return;
  Recalculation found;
  const PanelResult* pr = known != nullptr && known->panel == panel ? known : nullptr;
  if (pr == nullptr) {
    found = RecalculatePanels(data, {panel}, false);
    pr = found.Panel(panel);
  }
  if (pr == nullptr) return;
  double q = 0.0;
  double a = 0.0;
  auto line = [&](int type, const QString& description, double quiescent, double alarm,
                  const QString& comment) {
    db.Insert("Currents", {{k.panel, qint64(panel)},
                           {k.type, qint64(type)},
                           {k.description, description},
                           {k.quiescent, quiescent},
                           {k.alarm, alarm},
                           {k.comment, comment}});
    q += quiescent;
    a += alarm;
  };
  const QString not_available = i18n::Text(Msg::kNotAvailable);
  if (lines == LineSet::kPanel) {
    const std::vector<site::Row> panels = db.Select("Panels", PanelKey(panel));
    const site::PanelColumns& pc = data.Cols().panels;
    // The line carries the figures as the panel's texts hold them.
    line(1, i18n::Text(Msg::kPanel), TextAt(panels.front(), pc.q_panel).trimmed().toDouble(),
         TextAt(panels.front(), pc.a_panel).trimmed().toDouble(), not_available);
  }
  if (lines == LineSet::kPanel || lines == LineSet::kLoops) {
    const site::LoopColumns& lc = data.Cols().loops;
    for (const site::Row& row : db.Select("Loops", LoopsOfPanel(panel))) {
      QString status = TextAt(row, lc.ok);
      if (technical_detail) status = WithDrop(status, RealAt(row, lc.drop));
      line(2, TextAt(row, lc.name), RealAt(row, lc.quiescent), RealAt(row, lc.alarm), status);
    }
  }
  if (lines == LineSet::kPanel || lines == LineSet::kOutputs) {
    const site::OutputColumns& oc = data.Cols().outputs;
    std::vector<site::Row> outputs = db.Select("Outputs", RowsOfPanel(panel));
    std::erase_if(outputs, [&](const site::Row& r) { return IntAt(r, oc.number) == 100; });
    // The panel's own outputs first, then the extra ones numbered above 100.
    std::stable_sort(outputs.begin(), outputs.end(), [&](const site::Row& x, const site::Row& y) {
      const qint64 m = IntAt(x, oc.number);
      const qint64 n = IntAt(y, oc.number);
      if ((m > 100) != (n > 100)) return n > 100;
      return m < n;
    });
    for (const site::Row& row : outputs)
      line(3, TextAt(row, oc.name), RealAt(row, oc.quiescent), RealAt(row, oc.alarm),
           not_available);
  }
  QString verdict = not_available;
  if (!pr->known) {
    verdict = i18n::Tr(N_("No catalogue data"));
  } else if (!pr->power.supply_chosen) {
    verdict = i18n::Tr(N_("No power supply chosen"));
  } else if (pr->power.Overloaded()) {
    verdict = i18n::Text(Msg::kPowerSupplyOverload);
  }
  const double total_q = q;
  const double total_a = a;
  line(10, i18n::Text(Msg::kTotal), total_q, total_a, verdict);
}

}  // namespace velmora::electrical
