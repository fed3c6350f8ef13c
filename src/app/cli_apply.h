#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

#include "action/action.h"
#include "app/cli_session.h"

namespace velmora::app {

// One line of a script of actions (JSON Lines: one object a line, {"action": NAME, ...}).
struct ScriptLine {
  int number = 0;  // from 1, as an editor shows it
  action::Action action;
};

// Reads a script. Blank lines are skipped. A line that is no JSON object, names no action, an
// unknown action or an unknown parameter makes the whole script unusable: false, with the line
// named in `problem`. Parameters of the wrong kind are the line's own refusal when it runs.
bool ReadScript(const QByteArray& text, std::vector<ScriptLine>* lines, QString* problem);

// What one line did: its status and every message the desktop program would have shown for it
// (refusals, warnings, questions with the cautious answer they got).
struct LineReport {
  int line = 0;
  QString action;
  action::Status status = action::Status::kUnchanged;
  QStringList messages;
};

// Carries the lines out in order through the session's editor, as the desktop program would;
// a refused line changes nothing and the script goes on. Questions an action does not answer
// itself with its "answer" parameter get the cautious answer (No, Cancel).
std::vector<LineReport> RunScript(CliSession& session, const std::vector<ScriptLine>& lines);

// "done", "unchanged", "declined" or "refused".
QString StatusName(action::Status status);
// The report of `velmora-cli apply --json`.
QByteArray ScriptReportJson(const std::vector<LineReport>& lines, const QString& out);

}  // namespace velmora::app
