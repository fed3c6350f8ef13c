#pragma once

#include <QObject>
#include <QString>
#include <QUndoStack>
#include <memory>
#include <vector>

#include "action/action.h"
#include "i18n/settings.h"
#include "loop/loop_form_model.h"
#include "panel/panel_form_model.h"
#include "site/detail_view.h"
#include "site/panel_tabs_model.h"
#include "site/prompter.h"
#include "site/site_tree_model.h"
#include "workspace/options_dialog.h"
#include "workspace/site_properties.h"
#include "workspace/workspace.h"

namespace velmora::electrical {
struct Recalculation;
}

namespace velmora::action {

// What the views show: the site, a panel, a loop of a panel or a panel's outputs. Choosing it is
// navigation, not a change of the site.
struct Focus {
  site::DetailView view = site::DetailView::kSite;
  int panel = 0;
  int loop = 0;
  bool operator==(const Focus&) const = default;
};

// What an action, an undo or a redo changed, for the views to render.
struct Change {
  bool replaced = false;   // a new or opened site: everything
  bool structure = false;  // panels or loops came or went, or were renamed or renumbered
  bool results = false;    // stored results changed (which panels: `panels`, or every one)
  std::vector<int> panels;
};

// The one path of every change to a site. Executing an action checks its input, asks its
// question, runs its rules, writes their rows and the recalculation of what they affect in one
// transaction, records the step in the history, and after the commit writes LoopLog.txt,
// returns the messages as data and tells the views once what changed. A refused action changes
// nothing. Undo and redo put every row back exactly. The editor also keeps what the views show
// (the site tree, the tab strip, the property view on show and its form) in step with the rows.
class Editor : public QObject {
  Q_OBJECT

 public:
  // `settings` holds the user's country code, which the defaults action writes.
  explicit Editor(workspace::Workspace& workspace,
                  i18n::Settings settings = i18n::Settings::FromEnvironment());
  ~Editor() override;

  workspace::Workspace& Work() { return workspace_; }

  // Carries an action out; questions go to `asker` unless the action answers them itself.
  Result Execute(const Action& action, site::Prompter& asker);
  Result Execute(const Action& action) { return Execute(action, workspace_.Prompter()); }
  // Carries an action out for the desktop's views and shows its messages, in one box, through
  // the workspace's prompter.
  Result Perform(const Action& action);

  // The history of the open site: one step per action that changed something.
  QUndoStack& History() { return *history_; }
  // Whether the actions are recorded (on by default). Work that never takes a step back, such as
  // building a whole site for a script, goes without; turning it off drops the history.
  void KeepHistory(bool keep);
  Result Undo();
  Result Redo();

  // Navigation: the property view, the tab and the tree node of a panel, loop or outputs. A
  // panel that no longer fits the catalogue is fitted to it on the way (an action of its own).
  Result Show(const Focus& focus);
  const Focus& Shown() const { return focus_; }

  site::SiteTreeModel& Tree() { return tree_; }
  site::PanelTabsModel& Tabs() { return tabs_; }
  site::DetailViewModel& Views() { return views_; }
  panel::PanelFormModel& PanelForm() { return panel_form_; }
  loop::LoopFormModel& LoopForm() { return loop_form_; }
  workspace::SiteFormModel& SiteForm() { return site_form_; }
  workspace::OptionsDialog& Options() { return options_; }

  // The focus a tree node stands for.
  Focus FocusOf(const site::TreeNode* node) const;

  // Brings the views in step with the rows once more, the site view's lists from the catalogue
  // included.
  void Refresh();

  // Save and Save As of the workspace; a done save makes the history's present step the saved
  // one.
  bool Save();
  bool SaveAs();

 signals:
  void Changed(const velmora::action::Change& change);

 private:
  friend class Step;
  void SiteReplaced();
  // Makes the focus point at something that exists, shows it and renders its form and lines.
  void Present(const Change& change);
  void SyncTree();
  void UpdateMarks(const std::vector<int>& panels);
  void UpdateSaved();
  // Drops the history after a step that could not be applied; `rows_saved`: the rows are those
  // of the saved file.
  void ForgetHistory(bool rows_saved);
  bool ApplyStep(class Step* step, bool forward);

  workspace::Workspace& workspace_;
  i18n::Settings settings_;
  std::unique_ptr<QUndoStack> history_;
  site::SiteTreeModel tree_;
  site::PanelTabsModel tabs_;
  site::DetailViewModel views_;
  panel::PanelFormModel panel_form_;
  loop::LoopFormModel loop_form_;
  workspace::SiteFormModel site_form_;
  workspace::OptionsDialog options_;
  Focus focus_;
  bool keep_history_ = true;
  QString step_failure_;  // why the last undo or redo could not be applied
  // While an action's change is presented: the results it has just written.
  const electrical::Recalculation* fresh_results_ = nullptr;
};

}  // namespace velmora::action
