#include "workspace/tab_reactions.h"

#include "electrical/recalculation.h"
#include "panel/panel_operation.h"
#include "panel/panel_show.h"
#include "workspace/tree_reactions.h"

namespace velmora::workspace {

bool PageControlPanelsChange(Run& run, panel::PanelFormModel& panel_form, int index) {
  if (index < 0 || index >= run.tabs.Count()) return false;
  return panel::RunPanelOperation(run, &panel_form, [&] {
    // The program moves through Panels here; the panel-name handler must not take it for an edit.
    site::FlagScope view_events(&run.state, &site::RunState::SetViewEventsOn,
                                &site::RunState::ViewEventsOn, false);
    if (index == 0) {
      ShowSiteView(run);
      return true;
    }
    run.views.Show(site::DetailView::kPanel);
    panel::FillPanelLists(run, panel_form);
    if (!panel::ShowPanel(run, panel_form, index)) return false;
    run.doc.Loops().SetFilter(site::Filter::Equals("PanelNumber", index));
    run.doc.Loops().SetFiltered(true);
    run.doc.Devices().SetFiltered(false);
    const electrical::PanelShown shown = electrical::RecalculateShownPanel(run, index);
    panel_form.SetBatteryText(shown.battery_text);
    return true;
  });
}

}  // namespace velmora::workspace
