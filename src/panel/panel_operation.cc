#include "panel/panel_operation.h"

#include <algorithm>
#include <exception>
#include <optional>

#include "electrical/run.h"
#include "i18n/tr.h"
#include "panel/panel_form_model.h"
#include "panel/panel_lifecycle.h"
#include "site/store_error.h"

namespace velmora::panel {

void RestoreTabsAndTree(Run& run) {
  const int active = run.tabs.Active();
  const site::TreeSelection selection = run.tree.ResolveTreeSelection();
  for (site::Table* view : {&run.doc.Panels(), &run.doc.Loops(), &run.doc.Devices(),
                            &run.doc.Outputs(), &run.doc.Currents()}) {
    if (view->IsOpen()) view->Cancel();
  }
  run.tabs.RemovePanelTabs();
  run.tree.Clear();
  RebuildPanelsFromStoredRows(run);
  UpdateRootCaption(run);
  run.tabs.SetActive(std::min(active, run.tabs.Count() - 1));
  site::TreeNode* node = run.tree.PanelNode(selection.panel);
  if (node != nullptr && selection.loop > 0 && selection.loop <= node->ChildCount())
    node = node->Child(selection.loop - 1);
  run.tree.Select(node);
}

bool RunPanelOperation(Run& run, PanelFormModel* form, const std::function<bool()>& body) {
  bool done = false;
  std::optional<QString> error;
  std::exception_ptr other;
  {
    site::Transaction transaction(&run.doc.Db());
    try {
      done = body();
      transaction.Commit();
    } catch (const site::StoreError& e) {
      error = e.Message();
    } catch (...) {
      other = std::current_exception();
    }
  }  // rolled back here unless committed
  if (error || other) {
    try {
      RestoreTabsAndTree(run);
    } catch (const std::exception&) {
      // The rows are back as they were; a tree that cannot be rebuilt now is rebuilt on the next
      // open of the site.
    }
  }
  if (form != nullptr) form->NotifyChanged();
  if (other) std::rethrow_exception(other);
  if (error) {
    run.prompter.Warn(i18n::Tr(N_("The change could not be stored and has been undone.")) + "\n" +
                      *error);
    return false;
  }
  return done;
}

}  // namespace velmora::panel
