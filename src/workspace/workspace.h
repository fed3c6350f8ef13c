#pragma once

#include <QObject>
#include <QString>

#include "catalogue/catalogue.h"
#include "electrical/run.h"
#include "loop/device_row_editor.h"
#include "loop/loop_form_model.h"
#include "loop/loop_settings.h"
#include "panel/panel_form_model.h"
#include "site/detail_view.h"
#include "site/panel_tabs_model.h"
#include "site/program_folder.h"
#include "site/prompter.h"
#include "site/run_state.h"
#include "site/site_document.h"
#include "site/site_tree_model.h"
#include "workspace/tree_reactions.h"

namespace velmora::workspace {

// The one object that owns a run of the program: the working copy and the catalogue with their
// cursors, the document state and event flags, the form models of the tree and tab strip, and
// the file lifecycle of the site document (New, Open, Save, Save As, the exit prompt). The main
// window holds it; the command-line tool makes one of its own.
class Workspace : public QObject {
  Q_OBJECT

 public:
  Workspace(const site::ProgramFolder& folder, site::Prompter& prompter);
  ~Workspace() override;

  Run& R() { return run_; }
  const site::ProgramFolder& Folder() const { return folder_; }
  site::SiteDocument& Doc() { return doc_; }
  catalogue::Catalogue& Catalogue() { return catalogue_; }
  site::RunState& State() { return state_; }
  site::SiteTreeModel& Tree() { return tree_; }
  site::PanelTabsModel& Tabs() { return tabs_; }
  site::DetailViewModel& Views() { return views_; }
  site::Prompter& Prompter() { return prompter_; }
  panel::PanelFormModel& PanelForm() { return panel_form_; }
  TreeReactions& TreeActions() { return tree_reactions_; }
  loop::LoopFormModel& LoopForm() { return loop_form_; }
  loop::LoopSettings& LoopSettings() { return loop_settings_; }
  loop::DeviceRowEditor& DeviceRows() { return device_rows_; }

  // Opens the catalogue and the working copy in the start-up order, each with its upgrade. A
  // missing working copy is made from the template first. Throws site::StoreError.
  void OpenTables();
  // What happens when the main window is first shown: reset the working copy, write the site
  // defaults and the catalogue defaults, show the site view, switch the event flags on.
  void StartSession();

  // Reset working copy: the template over the working copy, file name empty, not saved.
  // False (with a warning) when the template cannot be copied; nothing then changes.
  bool ResetWorkingCopy();
  // New Site: first offers to save unsaved work (Cancel leaves everything as it was, and false
  // is returned), then MakeNewSite.
  bool NewSite();
  // The steps of a new site, without a question.
  void MakeNewSite();
  // Open Site: first offers to save unsaved work, then the open dialog. False when cancelled or
  // refused.
  bool OpenSite();
  // Opens a given file as the site (Open Site without the dialog). False, with a warning that
  // names the file and the problem, when the file cannot be used; nothing then changes.
  bool OpenSiteFile(const QString& file);
  // Save: to the site's file at once when it has one, else as Save As.
  bool SaveSite();
  // Save As: asks for a name, and before replacing another file.
  bool SaveSiteAs();
  // While the site is unsaved, asks "Data is not saved. Do you want to save?" with Yes, No and
  // Cancel: Yes saves (asking again when the save is not done), No goes on without saving.
  // False for Cancel: whatever was about to happen does not.
  bool OfferToSave();
  // The exit prompt: OfferToSave; true when the window may close.
  bool ExitPrompt();

  // The site defaults of a new site in the single Site row (appended when missing).
  void WriteSiteDefaults();
  // StandbyTime, AlarmTime and SalesChannel from DefaultPanel into the Site row.
  void ApplyDefaultSiteTimes();
  // Empties the site tree and writes the root's zero counts.
  void EmptySiteTree();
  // The site view variant of showing a property view.
  void ShowSiteView();

  static QString RootCaptionWithZeroCounts();

 signals:
  // The working copy was replaced (new or opened site): views re-read everything.
  void SiteReplaced();
  // The site was saved to `file`.
  void Saved(const QString& file);

 private:
  bool ReplaceWorkingCopy(const QString& source, QString* error);
  bool Save(bool choose_name);
  void RefreshStoredTexts();
  site::Prompter::FileDialog SaveDialog() const;

  site::ProgramFolder folder_;
  site::Prompter& prompter_;
  site::SiteDocument doc_;
  catalogue::Catalogue catalogue_;
  site::RunState state_;
  site::SiteTreeModel tree_;
  site::PanelTabsModel tabs_;
  site::DetailViewModel views_;
  Run run_;
  panel::PanelFormModel panel_form_;
  TreeReactions tree_reactions_;
  loop::LoopFormModel loop_form_;
  loop::LoopSettings loop_settings_;
  loop::DeviceRowEditor device_rows_;
};

}  // namespace velmora::workspace
