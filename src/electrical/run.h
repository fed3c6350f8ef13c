#pragma once

#include "catalogue/catalogue.h"
#include "site/detail_view.h"
#include "site/panel_tabs_model.h"
#include "site/program_folder.h"
#include "site/prompter.h"
#include "site/run_state.h"
#include "site/site_document.h"
#include "site/site_tree_model.h"

namespace velmora {

// What every operation of the core works on: the working copy, the catalogue, the state of the
// run, the site tree and tab strip models, the detail view on show and the prompter. The
// workspace owns them; operations receive this bundle of references.
struct Run {
  site::ProgramFolder folder;
  site::SiteDocument& doc;
  catalogue::Catalogue& catalogue;
  site::RunState& state;
  site::SiteTreeModel& tree;
  site::PanelTabsModel& tabs;
  site::DetailViewModel& views;
  site::Prompter& prompter;
};

}  // namespace velmora
