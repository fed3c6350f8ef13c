#pragma once

#include <functional>

namespace velmora {
struct Run;
}

namespace velmora::panel {

class PanelFormModel;

// Runs one user action (a close-up, a click, adding or deleting a panel) in one transaction of
// the working copy. The body answers whether it did its work. When the store fails, the
// transaction is rolled back, the panel tabs and the site tree are rebuilt from the stored panels
// so they match the rows again, the failure is shown as a warning, and the answer is false.
// The form model, when given, is told to render again either way.
bool RunPanelOperation(Run& run, PanelFormModel* form, const std::function<bool()>& body);

// Rebuilds the panel tabs and the site tree from the stored panels, keeping the active tab and
// the selected node where they still exist.
void RestoreTabsAndTree(Run& run);

}  // namespace velmora::panel
