#include "app/cli_output.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <optional>

#include "i18n/display_format.h"
#include "i18n/messages.h"
#include "i18n/tr.h"

namespace velmora::app {
namespace {

using i18n::Msg;
using i18n::Text;
using i18n::Tr;

// A stored number without the noise of its binary form: 29.200000000000003 is written 29.2.
QJsonValue Real(double value) { return i18n::WithoutBinaryNoise(value); }

// A summary stored as display text ("1234", "10.3" or "10,3" in the number format it was written
// in) as a number; empty as null; anything else as the text it is.
QJsonValue StoredNumber(const QString& text) {
  if (text.trimmed().isEmpty()) return QJsonValue::Null;
  const std::optional<double> value = i18n::ParseNumber(text);
  return value ? Real(*value) : QJsonValue(text);
}

// The reasons of a loop's overload, [E01] to [E04], as the status text gives them; the same in
// every language.
QJsonArray Codes(const QString& status) {
  static const QRegularExpression kCode(QStringLiteral("\\[(E\\d\\d)\\]"));
  QJsonArray codes;
  for (const QRegularExpressionMatch& m : kCode.globalMatch(status)) codes.append(m.captured(1));
  return codes;
}

// Voltages of the profile to the tenth of a millivolt, distances to the centimetre: as far as
// the model's inputs (whole metres, the catalogue's currents) carry.
QJsonValue Rounded(double value, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return Real(std::round(value * scale) / scale);
}
QJsonValue Volts(const std::optional<double>& value) {
  return value ? Rounded(*value, 4) : QJsonValue(QJsonValue::Null);
}

QJsonValue ProfileJson(const std::optional<electrical::LoopProfile>& loop) {
  if (!loop) return QJsonValue::Null;
  const electrical::VoltageProfile& p = loop->profile;
  QJsonValue weakest = QJsonValue::Null;
  if (p.weakest >= 0) {
    const std::size_t w = std::size_t(p.weakest);
    const std::optional<double>& lowest = loop->input.devices[w].lowest_v;
    weakest = QJsonObject{{"device", p.weakest + 1},
                          {"name", loop->DeviceName(p.weakest)},
                          {"distance", Rounded(p.distance[w], 2)},
                          {"healthy", Volts(p.healthy[w])},
                          {"broken", Volts(p.broken[w])},
                          {"lowestV", Volts(lowest)},
                          {"margin", Volts(p.weakest_margin)}};
  }
  return QJsonObject{{"lowestHealthy", Volts(p.LowestHealthy())},
                     {"lowestBroken", Volts(p.LowestBroken())},
                     {"breakAt", p.Empty() ? QJsonValue(QJsonValue::Null) : Rounded(p.break_at, 2)},
                     {"weakestDevice", weakest},
                     {"minVoltageOk", p.MinimumsKept()},
                     {"devicesPerSection", Rounded(loop->sections.per_section, 2)}};
}

QJsonValue SiteValue(const QVariant& value) {
  if (value.isNull() || !value.isValid()) return QJsonValue::Null;
  switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
      return Real(value.toDouble());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
      return value.toLongLong();
    case QMetaType::Bool:
      return value.toBool();
    default:
      return value.toString();
  }
}

// Columns of text, each as wide as its widest cell; numbers right-aligned.
QString Columns(const std::vector<QStringList>& rows, const std::vector<bool>& right,
                const QString& indent) {
  std::vector<int> width;
  for (const QStringList& row : rows) {
    for (int c = 0; c < row.size(); ++c) {
      if (int(width.size()) <= c) width.push_back(0);
      width[c] = std::max(width[c], int(row[c].size()));
    }
  }
  QString out;
  for (const QStringList& row : rows) {
    QString line = indent;
    for (int c = 0; c < row.size(); ++c) {
      const bool last = c + 1 == row.size();
      const bool r = c < int(right.size()) && right[c];
      line +=
          r ? row[c].rightJustified(width[c]) : (last ? row[c] : row[c].leftJustified(width[c]));
      if (!last) line += "  ";
    }
    while (line.endsWith(' ')) line.chop(1);
    out += line + "\n";
  }
  return out;
}

QString Number(double value, int decimals) { return i18n::FormatNumber(value, decimals); }

QString CsvField(const QString& text) {
  if (!text.contains(QRegularExpression("[\",\r\n]"))) return text;
  QString quoted = text;
  quoted.replace("\"", "\"\"");
  return "\"" + quoted + "\"";
}

}  // namespace

QByteArray CheckJson(const SiteCheck& check) {
  QJsonObject site;
  for (const auto& [column, value] : check.site) site.insert(column, SiteValue(value));
  QJsonArray panels;
  for (const PanelCheck& p : check.panels) {
    QJsonArray loops;
    bool loops_ok = true;
    for (const LoopCheck& l : p.loops) {
      loops_ok = loops_ok && l.ok;
      loops.append(QJsonObject{{"number", l.number},
                               {"quiescent", Real(l.quiescent)},
                               {"alarm", Real(l.alarm)},
                               {"drop", Real(l.drop)},
                               {"ok", l.ok},
                               {"codes", Codes(l.status)},
                               {"status", l.status},
                               {"profile", ProfileJson(l.profile)}});
    }
    QJsonArray outputs;
    for (const OutputCheck& o : p.outputs) {
      outputs.append(QJsonObject{{"number", o.number},
                                 {"name", o.name},
                                 {"max", o.max},
                                 {"quiescent", Real(o.quiescent)},
                                 {"alarm", Real(o.alarm)}});
    }
    const QString box = Text(Msg::kBatteryBoxRequired);
    panels.append(QJsonObject{{"number", p.number},
                              {"name", p.name},
                              {"quiescentPanel", StoredNumber(p.quiescent_panel)},
                              {"alarmPanel", StoredNumber(p.alarm_panel)},
                              {"quiescentTotal", StoredNumber(p.quiescent_total)},
                              {"alarmTotal", StoredNumber(p.alarm_total)},
                              {"batteryCapacity", StoredNumber(p.battery_capacity)},
                              {"batteryBoxRequired", !box.isEmpty() && p.battery.endsWith(box)},
                              {"battery", p.battery},
                              {"loopsOk", loops_ok},
                              {"loopLoads", p.loop_loads},
                              {"psuOk", p.psu_ok},
                              {"loops", loops},
                              {"outputs", outputs}});
  }
  return QJsonDocument(QJsonObject{{"passed", check.Passed()}, {"site", site}, {"panels", panels}})
      .toJson(QJsonDocument::Indented);
}

QString CheckTable(const SiteCheck& check) {
  QString site_name;
  for (const auto& [column, value] : check.site) {
    if (column == "SiteName") site_name = value.toString().trimmed();
  }
  QString out = Text(Msg::kSite) + ": " + site_name + "\n";
  for (const PanelCheck& p : check.panels) {
    out += "\n" + Text(Msg::kPanel) + " " + QString::number(p.number) + ": " + p.name + "\n";
    std::vector<QStringList> rows;
    rows.push_back({Text(Msg::kLoop), Text(Msg::kQuiescentCurrentMa), Text(Msg::kAlarmCurrentMa),
                    Tr(N_("Drop (V)")), Tr(N_("Both ends (V)")), Tr(N_("Broken (V)")),
                    Text(Msg::kComment)});
    QStringList advisories;
    for (const LoopCheck& l : p.loops) {
      // The lowest voltage of any device fed from both ends and with the cable broken.
      const auto lowest = [&l](bool broken) {
        if (!l.profile) return QString();
        const std::optional<double> v =
            broken ? l.profile->profile.LowestBroken() : l.profile->profile.LowestHealthy();
        return v ? Number(*v, 2) : QString();
      };
      rows.push_back({QString::number(l.number), Number(l.quiescent, 2), Number(l.alarm, 2),
                      Number(l.drop, 3), lowest(false), lowest(true),
                      (l.ok ? "  " : "! ") + l.status});
      if (l.profile) {
        for (const QString& text : electrical::AdvisoryTexts(*l.profile))
          advisories << "  i " + Text(Msg::kLoop) + " " + QString::number(l.number) + ": " + text;
      }
    }
    if (!p.loops.empty()) out += Columns(rows, {true, true, true, true, true, true, false}, "  ");
    for (const QString& line : advisories) out += line + "\n";
    if (!p.outputs.empty()) {
      rows.clear();
      rows.push_back({Text(Msg::kOutput), "", Text(Msg::kMaximumValueMa),
                      Text(Msg::kQuiescentCurrentMa), Text(Msg::kAlarmCurrentMa)});
      for (const OutputCheck& o : p.outputs) {
        rows.push_back({QString::number(o.number), o.name, QString::number(o.max),
                        Number(o.quiescent, 2), Number(o.alarm, 2)});
      }
      out += Columns(rows, {true, false, true, true, true}, "  ");
    }
    rows.clear();
    rows.push_back({"", Text(Msg::kQuiescentCurrentMa), Text(Msg::kAlarmCurrentMa)});
    rows.push_back({Text(Msg::kPanel), p.quiescent_panel, p.alarm_panel});
    rows.push_back({Text(Msg::kTotal), p.quiescent_total, p.alarm_total,
                    p.psu_ok ? QString() : "! " + Text(Msg::kPowerSupplyOverload)});
    out += Columns(rows, {false, true, true, false}, "  ");
    out += "  " + Text(Msg::kBatteryCapacityAh) + ": " + p.battery_capacity + " => " + p.battery +
           "\n";
    out += "  " + Text(Msg::kOk) + ": " + p.loop_loads + "\n";
  }
  if (check.panels.empty()) out += Text(Msg::kPanels) + ": " + Text(Msg::kNone) + "\n";
  int loops_over = 0;
  int supplies_over = 0;
  for (const PanelCheck& p : check.panels) {
    supplies_over += p.psu_ok ? 0 : 1;
    for (const LoopCheck& l : p.loops) loops_over += l.ok ? 0 : 1;
  }
  out += "\n";
  if (loops_over == 0 && supplies_over == 0) {
    out += Tr(N_("Result: every loop and power supply passes.")) + "\n";
  } else {
    out += Tr(N_("Result: %1 loop(s) and %2 power supply(ies) overloaded."))
               .arg(loops_over)
               .arg(supplies_over) +
           "\n";
  }
  return out;
}

QString PartsTable(const std::vector<reports::TierRow>& parts, const QStringList& notes) {
  std::vector<QStringList> rows;
  for (const reports::TierRow& part : parts)
    rows.push_back({part.tiers[0], part.tiers[1], part.tiers[2]});
  QString text = rows.empty() ? Text(Msg::kPartsList) + ": " + Text(Msg::kNone) + "\n"
                              : Columns(rows, {true, false, false}, "");
  for (const QString& note : notes) text += "\n" + note + "\n";
  return text;
}

QString PartsCsv(const std::vector<reports::TierRow>& parts) {
  // The heading names the fields for programs: it is the same in every language.
  QString out = "Quantity,X,Part\r\n";
  for (const reports::TierRow& part : parts) {
    out += CsvField(part.tiers[0]) + "," + CsvField(part.tiers[1]) + "," + CsvField(part.tiers[2]) +
           "\r\n";
  }
  return out;
}

}  // namespace velmora::app
