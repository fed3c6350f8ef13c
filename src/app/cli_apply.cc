#include "app/cli_apply.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include "i18n/tr.h"

namespace velmora::app {

bool ReadScript(const QByteArray& text, std::vector<ScriptLine>* lines, QString* problem) {
  lines->clear();
  const QList<QByteArray> raw = text.split('\n');
  for (int i = 0; i < raw.size(); ++i) {
    const QByteArray line = raw[i].trimmed();
    if (line.isEmpty()) continue;
    const int number = i + 1;
    const auto fail = [&](const QString& why) {
      *problem = i18n::Tr(N_("line %1: %2")).arg(number).arg(why);
      return false;
    };
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError)
      return fail(i18n::Tr(N_("not JSON (%1)")).arg(error.errorString()));
    if (!document.isObject()) return fail(i18n::Tr(N_("not a JSON object")));
    QJsonObject params = document.object();
    const QJsonValue name = params.take("action");
    if (!name.isString() || name.toString().isEmpty())
      return fail(i18n::Tr(N_("no \"action\" given")));
    ScriptLine script_line;
    script_line.number = number;
    script_line.action.name = name.toString();
    script_line.action.params = params;
    bool unknown = false;
    const QString wrong = action::CheckParameters(script_line.action, &unknown);
    if (unknown) return fail(wrong);
    lines->push_back(script_line);
  }
  return true;
}

std::vector<LineReport> RunScript(CliSession& session, const std::vector<ScriptLine>& lines) {
  std::vector<LineReport> reports;
  CliPrompter& prompter = session.Prompter();
  for (const ScriptLine& line : lines) {
    // What the workspace itself says or asks on the way (New asks about unsaved work) belongs
    // to the line as much as the action's own messages.
    prompter.Hold();
    const action::Result result = session.Editor().Execute(line.action, prompter);
    LineReport report;
    report.line = line.number;
    report.action = line.action.name;
    report.status = result.status;
    report.messages = prompter.Release() + result.messages;
    reports.push_back(report);
  }
  return reports;
}

QString StatusName(action::Status status) {
  switch (status) {
    case action::Status::kDone:
      return QStringLiteral("done");
    case action::Status::kUnchanged:
      return QStringLiteral("unchanged");
    case action::Status::kDeclined:
      return QStringLiteral("declined");
    case action::Status::kRefused:
      return QStringLiteral("refused");
  }
  return QString();
}

QByteArray ScriptReportJson(const std::vector<LineReport>& lines, const QString& out) {
  QJsonArray list;
  bool carried = true;
  for (const LineReport& line : lines) {
    carried = carried && line.status != action::Status::kRefused;
    list.append(QJsonObject{{"line", line.line},
                            {"action", line.action},
                            {"status", StatusName(line.status)},
                            {"messages", QJsonArray::fromStringList(line.messages)}});
  }
  const QJsonObject root{{"lines", list}, {"carried", carried}, {"out", out}};
  return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

}  // namespace velmora::app
