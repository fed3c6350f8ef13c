#pragma once

#include <functional>

#include "electrical/run.h"
#include "panel/panel_form_model.h"

namespace velmora::workspace {

// The site view variant of showing a property view: the site view docked, the "Site" tab active,
// the root selected, the current lines cleared, every panel's summaries and the root caption.
void ShowSiteView(Run& run);

// What the site tree does when the user acts on it: a click on a node decides the property view,
// the filters of the site tables, the active tab and the current lines; "Delete Panel" removes
// the panel of the node under the mouse after asking. The expand and collapse commands are those
// of site::SiteTreeModel.
class TreeReactions {
 public:
  // Loads a loop into the device view (LoadLoopIntoView of the loop settings), given the panel
  // and loop numbers. Until one is set, a loop click shows the device view without loading it.
  using LoopLoader = std::function<void(Run& run, int panel, int loop)>;

  TreeReactions(Run& run, panel::PanelFormModel& panel_form) : run_(run), panel_form_(panel_form) {}

  void SetLoopLoader(LoopLoader loader) { load_loop_ = std::move(loader); }

  // A mouse click on the selected node (moving the selection by keyboard does not call this).
  // False when the store failed and the reaction was undone.
  bool NodeClicked();

  // "Delete Panel" for the selected node (a loop or outputs node stands for its panel). Asks
  // "Are you sure you want to delete <node> ?"; with the root selected nothing happens. True
  // when the panel was deleted.
  bool DeletePanel();

 private:
  void ClickSteps();

  Run& run_;
  panel::PanelFormModel& panel_form_;
  LoopLoader load_loop_;
};

}  // namespace velmora::workspace
