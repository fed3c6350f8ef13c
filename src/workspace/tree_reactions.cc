#include "workspace/tree_reactions.h"

#include "electrical/panel_power.h"
#include "electrical/recalculation.h"
#include "i18n/messages.h"
#include "panel/panel_lifecycle.h"
#include "panel/panel_operation.h"
#include "panel/panel_show.h"

namespace velmora::workspace {
namespace {

void FilterOn(site::Table& view, const site::Filter& filter) {
  view.SetFilter(filter);
  view.SetFiltered(true);
}

// View events are off while the program moves through the tables, and on again afterwards.
class ViewEventsOff {
 public:
  explicit ViewEventsOff(site::RunState& state) : state_(state) { state_.SetViewEventsOn(false); }
  ~ViewEventsOff() { state_.SetViewEventsOn(true); }
  ViewEventsOff(const ViewEventsOff&) = delete;
  ViewEventsOff& operator=(const ViewEventsOff&) = delete;

 private:
  site::RunState& state_;
};

}  // namespace

void ShowSiteView(Run& run) {
  run.views.Show(site::DetailView::kSite);
  run.tabs.SetActive(0);
  run.tree.Select(run.tree.Root());
  electrical::RecalculateShownSite(run);
  panel::UpdateRootCaption(run);
}

void TreeReactions::ClickSteps() {
  ViewEventsOff view_events(run_.state);
  const site::TreeSelection selection = run_.tree.ResolveTreeSelection();
  const int p = selection.panel;
  electrical::PanelPower verdict;
  if (p > 0) verdict = electrical::CalculatePanelPower(run_, p);

  if (selection.root_selected || p == 0) {
    ShowSiteView(run_);
    return;
  }
  site::Filter loops_of_panel = site::Filter::Equals("PanelNumber", p);
  if (selection.loop == 0 && !selection.outputs_selected) {
    electrical::ClearCurrentLines(run_);
    run_.views.Show(site::DetailView::kPanel);
    panel::FillPanelLists(run_, panel_form_);
    panel::ShowPanel(run_, panel_form_, p);
    run_.doc.Devices().SetFiltered(false);
    FilterOn(run_.doc.Loops(), site::Filter::Equals("PanelNumber", run_.tabs.Active()));
    electrical::RefreshPanelSummaries(run_);
    electrical::WritePanelLine(run_, p);
    electrical::WriteLoopLines(run_, p);
    electrical::WriteOutputLines(run_, p);
    electrical::WriteTotalLine(run_, p, verdict);
    panel_form_.SetBatteryText(electrical::ShowPanelBattery(run_, p));
  } else if (!selection.outputs_selected) {
    electrical::ClearCurrentLines(run_);
    FilterOn(run_.doc.Devices(), site::Filter::Equals("Panel", p).And("Loop", selection.loop));
    run_.tabs.SetActive(p);
    FilterOn(run_.doc.Loops(), loops_of_panel);
    if (load_loop_) load_loop_(run_, p, selection.loop);
    electrical::WriteLoopLines(run_, p);
    electrical::WriteTotalLine(run_, p, verdict);
    run_.views.Show(site::DetailView::kDevices);
  } else {
    electrical::ClearCurrentLines(run_);
    FilterOn(run_.doc.Outputs(), site::Filter::Equals("Panel", p));
    run_.tabs.SetActive(p);
    FilterOn(run_.doc.Loops(), loops_of_panel);
    run_.views.Show(site::DetailView::kOutputs);
    electrical::WriteOutputLines(run_, p);
    electrical::WriteTotalLine(run_, p, verdict);
  }
}

bool TreeReactions::NodeClicked() {
  return panel::RunPanelOperation(run_, &panel_form_, [this] {
    ClickSteps();
    return true;
  });
}

bool TreeReactions::DeletePanel() {
  return panel::RunPanelOperation(run_, &panel_form_, [this] {
    site::TreeNode* clicked = run_.tree.Selected();
    if (clicked == nullptr) return false;
    if (clicked->Level() == 2) run_.tree.Select(clicked->parent);
    site::TreeNode* node = run_.tree.Selected();
    const int p = run_.tree.ResolveTreeSelection().panel;
    if (node->Level() != 1 || p < 1) return false;
    const QString question = i18n::Text(i18n::Msg::kSureToDelete) + " " + node->text + " ?";
    if (!run_.prompter.ConfirmOkCancel(question)) {
      run_.tree.Select(clicked);
      return false;
    }
    panel::DeletePanelRows(run_, p);
    ClickSteps();
    return true;
  });
}

}  // namespace velmora::workspace
