#include "app/cli_output.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

#include "electrical/number_format.h"
#include "i18n/messages.h"

namespace velmora::app {
namespace {

using i18n::Msg;
using i18n::Text;

// A summary stored as display text ("1234", "10.3" in the user's number format) as a number;
// empty as null; anything else as the text it is.
QJsonValue StoredNumber(const QString& text) {
  if (text.trimmed().isEmpty()) return QJsonValue::Null;
  QString c_form = text.trimmed();
  const QString separator = electrical::DecimalSeparator();
  if (separator != ".") c_form.replace(separator, ".");
  bool ok = false;
  const double value = c_form.toDouble(&ok);
  return ok ? QJsonValue(value) : QJsonValue(text);
}

QJsonValue SiteValue(const QVariant& value) {
  if (value.isNull() || !value.isValid()) return QJsonValue::Null;
  switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
      return value.toDouble();
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

QString Number(double value, int decimals) { return QString::number(value, 'f', decimals); }

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
    for (const LoopCheck& l : p.loops) {
      loops.append(QJsonObject{{"number", l.number},
                               {"quiescent", l.quiescent},
                               {"alarm", l.alarm},
                               {"drop", l.drop},
                               {"status", l.status},
                               {"ok", l.ok}});
    }
    QJsonArray outputs;
    for (const OutputCheck& o : p.outputs) {
      outputs.append(QJsonObject{{"number", o.number},
                                 {"name", o.name},
                                 {"max", o.max},
                                 {"quiescent", o.quiescent},
                                 {"alarm", o.alarm}});
    }
    panels.append(QJsonObject{{"number", p.number},
                              {"name", p.name},
                              {"quiescentPanel", StoredNumber(p.quiescent_panel)},
                              {"alarmPanel", StoredNumber(p.alarm_panel)},
                              {"quiescentTotal", StoredNumber(p.quiescent_total)},
                              {"alarmTotal", StoredNumber(p.alarm_total)},
                              {"batteryCapacity", StoredNumber(p.battery_capacity)},
                              {"battery", p.battery},
                              {"loopLoads", p.loop_loads},
                              {"psuOk", p.psu_ok},
                              {"loops", loops},
                              {"outputs", outputs}});
  }
  return QJsonDocument(QJsonObject{{"site", site}, {"panels", panels}})
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
                    "Drop (V)", Text(Msg::kComment)});
    for (const LoopCheck& l : p.loops) {
      rows.push_back({QString::number(l.number), Number(l.quiescent, 2), Number(l.alarm, 2),
                      Number(l.drop, 3), (l.ok ? "  " : "! ") + l.status});
    }
    if (!p.loops.empty()) out += Columns(rows, {true, true, true, true, false}, "  ");
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
    out += "Result: every loop and power supply passes.\n";
  } else {
    out += QString("Result: %1 loop(s) and %2 power supply(ies) overloaded.\n")
               .arg(loops_over)
               .arg(supplies_over);
  }
  return out;
}

QString PartsTable(const std::vector<reports::TierRow>& parts) {
  std::vector<QStringList> rows;
  for (const reports::TierRow& part : parts)
    rows.push_back({part.tiers[0], part.tiers[1], part.tiers[2]});
  if (rows.empty()) return Text(Msg::kPartsList) + ": " + Text(Msg::kNone) + "\n";
  return Columns(rows, {true, false, false}, "");
}

QString PartsCsv(const std::vector<reports::TierRow>& parts) {
  QString out = "Quantity,X,Part\r\n";
  for (const reports::TierRow& part : parts) {
    out += CsvField(part.tiers[0]) + "," + CsvField(part.tiers[1]) + "," + CsvField(part.tiers[2]) +
           "\r\n";
  }
  return out;
}

}  // namespace velmora::app
