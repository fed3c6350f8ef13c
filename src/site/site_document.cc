#include "site/site_document.h"

#include "i18n/tr.h"
#include "site/flag_columns_upgrade.h"
#include "site/store_error.h"

namespace velmora::site {

SiteDocument::SiteDocument(const ProgramFolder& folder)
    : db_(kSiteSource, folder.WorkingCopy()),
      site_(&db_, "Site"),
      panels_(&db_, "Panels"),
      loops_(&db_, "Loops"),
      devices_(&db_, "Devices"),
      outputs_(&db_, "Outputs"),
      currents_(&db_, "Currents") {}

void SiteDocument::Open() {
  db_.Open();
  // A journal mode the engine does not take is reported as the mode that stays, not as an error.
  const QString mode = db_.QueryValue("PRAGMA journal_mode = DELETE").toString();
  if (mode.compare("delete", Qt::CaseInsensitive) != 0) {
    db_.Close();
    throw StoreError(
        i18n::Tr(N_("Cannot open %1: it stays in journal mode %2")).arg(db_.FileName(), mode));
  }
  // Every edit commits, and waiting for the disk at each commit is most of what an edit costs.
  // The working copy holds nothing that outlives the run (the session starts from the template,
  // and only Save makes the user's file, which is flushed), so it is written without waiting.
  // A crash of the program still rolls back through the journal; a working copy damaged by a
  // crash of the machine is made again when the tables are opened.
  db_.Execute("PRAGMA synchronous = OFF");

  loops_.Open();
  site_.Open();
  UpgradeFlagColumns(db_, "Panels");
  cols_ = ResolveSiteColumns(db_);
  panels_.Open();
  outputs_.Open();
  currents_.Open();
  devices_.Open();
}

void SiteDocument::Release(ReleaseOrder order) {
  if (order == ReleaseOrder::kReplace) {
    for (Table* t : {&loops_, &panels_, &site_, &devices_, &outputs_, &currents_}) t->Close();
  } else {
    for (Table* t : {&loops_, &devices_, &outputs_, &currents_, &panels_, &site_}) t->Close();
  }
  db_.Close();
}

}  // namespace velmora::site
