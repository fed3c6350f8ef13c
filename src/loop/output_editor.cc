#include "loop/output_editor.h"

#include "electrical/recalculation.h"
#include "electrical/run.h"
#include "site/table.h"

namespace velmora::loop {

bool OnOutputFieldChanged(Run& run) {
  if (run.state.Loading() || run.tabs.PanelTabCount() < 1) return false;
  const site::TreeSelection selection = run.tree.ResolveTreeSelection();
  if (!selection.outputs_selected || selection.panel <= 0) return false;
  site::Table& outputs = run.doc.Outputs();
  site::Transaction transaction(&run.doc.Db());
  if (outputs.IsOpen() && outputs.GetState() != site::Table::State::kBrowse) outputs.Post();
  electrical::RecalculateOutputEdit(run, selection.panel);
  transaction.Commit();
  return true;
}

void OnOutputStoreChange(Run& run, const QString& table, const QString& /*column*/) {
  if (table.compare("Outputs", Qt::CaseInsensitive) == 0) {
    // The outputs grid writes through the Outputs view; other writes are the program's own.
    const site::Table& outputs = run.doc.Outputs();
    if (outputs.GetState() == site::Table::State::kBrowse) return;
  } else if (table.compare("DefaultPanel", Qt::CaseInsensitive) != 0) {
    return;
  }
  OnOutputFieldChanged(run);
}

}  // namespace velmora::loop
