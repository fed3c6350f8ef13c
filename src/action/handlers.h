#pragma once

#include <QJsonValue>
#include <QString>
#include <optional>
#include <set>

#include "action/action.h"
#include "action/editor.h"
#include "electrical/outcome.h"
#include "electrical/site_data.h"
#include "i18n/settings.h"
#include "site/prompter.h"

namespace velmora::action {

// What one action's handler works with and tells the editor: its parameters, its questions,
// the panels whose results the change affects, and the loop and panel whose checks speak.
class Context {
 public:
  Context(SiteData& data, const Action& action, site::Prompter& asker,
          const i18n::Settings& settings, const Focus& focus)
      : data(data), action(action), settings(settings), focus(focus), asker_(asker) {}

  SiteData& data;
  const Action& action;
  const i18n::Settings& settings;
  // What the views show before the action; the handler may move it.
  Focus focus;

  bool Has(const char* key) const { return action.params.contains(key); }
  int Int(const char* key) const { return int(action.params.value(key).toDouble()); }
  qint64 Int64(const char* key) const { return qint64(action.params.value(key).toDouble()); }
  double Number(const char* key) const { return action.params.value(key).toDouble(); }
  QString Text(const char* key) const { return action.params.value(key).toString(); }
  QJsonValue Value(const char* key) const { return action.params.value(key); }

  // A question with OK and Cancel, or Yes and No: the action's "answer" when it has one, else the
  // asker's.
  bool Confirm(const QString& question);
  bool AskYesNo(const QString& question);

  // The panels to recalculate after the rules; every panel of the site.
  void Recalculate(int panel) { panels.insert(panel); }
  void RecalculateAll() { all = true; }
  // The loop whose check speaks: its overload warning once per state and LoopLog.txt.
  void CheckedLoop(int panel, int loop) {
    loop_panel = panel;
    checked_loop = loop;
  }
  // Every loop of the recalculated panels speaks (a change of the panel itself).
  void CheckedPanelLoops() { panel_loops = true; }
  // The power-supply warnings of a panel follow the change.
  void WarnSupply(int panel) { supply_panel = panel; }

  // Takes the rule's messages; true when it refused.
  bool Refused(const Outcome& outcome) {
    messages << outcome.messages;
    return outcome.refused;
  }

  std::set<int> panels;
  bool all = false;
  int loop_panel = 0;
  int checked_loop = 0;
  bool panel_loops = false;
  int supply_panel = 0;
  QStringList messages;
  // For taking the defaults back: the country code before the change.
  std::optional<QString> old_country_code;
  std::optional<QString> new_country_code;

 private:
  bool Answer(bool ok_cancel, const QString& question);
  site::Prompter& asker_;
};

// Runs the handler of an action (not undo, redo or new-site) on the context.
Status RunHandler(Context& context);

}  // namespace velmora::action
