#pragma once

#include <QObject>
#include <QString>

#include "catalogue/catalogue.h"
#include "electrical/site_data.h"
#include "site/program_folder.h"
#include "site/prompter.h"
#include "site/run_state.h"
#include "site/site_document.h"

namespace velmora::workspace {

// The one object that owns a run of the program: the working copy and the catalogue, the
// document state, and the file lifecycle of the site document (New, Open, Save, Save As, the
// exit prompt). The edits of the site go through the action layer above it; the main window and
// the command-line tool each make one of their own.
class Workspace : public QObject {
  Q_OBJECT

 public:
  Workspace(const site::ProgramFolder& folder, site::Prompter& prompter);
  ~Workspace() override;

  SiteData& Data() { return data_; }
  const site::ProgramFolder& Folder() const { return folder_; }
  site::SiteDocument& Doc() { return doc_; }
  catalogue::Catalogue& Catalogue() { return catalogue_; }
  site::RunState& State() { return state_; }
  site::Prompter& Prompter() { return prompter_; }

  // Opens the catalogue and the working copy in the start-up order, each with its upgrade. A
  // missing working copy is made from the template first. Throws site::StoreError.
  void OpenTables();
  // What happens when the main window is first shown: reset the working copy, write the site
  // defaults and the catalogue defaults.
  void StartSession();

  // Reset working copy: the template over the working copy, file name empty, not saved.
  // False (with a warning) when the template cannot be copied; nothing then changes.
  bool ResetWorkingCopy();
  // New Site: first offers to save unsaved work (Cancel leaves everything as it was, and false
  // is returned), then MakeNewSite.
  bool NewSite();
  // The steps of a new site, without a question; false (with a warning) when the template
  // cannot be copied.
  bool MakeNewSite();
  // Open Site: first offers to save unsaved work, then the open dialog. False when cancelled or
  // refused.
  bool OpenSite();
  // Opens a given file as the site (Open Site without the dialog): its stored texts in the
  // language of the run and every stored result brought up to date. False, with a warning that
  // names the file and the problem, when the file cannot be used; nothing then changes.
  bool OpenSiteFile(const QString& file);
  // Save: to the site's file at once when it has one, else as Save As.
  bool SaveSite();
  // Save As: asks for a name, and before replacing another file.
  bool SaveSiteAs();
  // Writes the site into a file that must not exist yet, asking nothing and leaving the site's
  // own file and saved state as they are (the result of a script). False, with the reason.
  bool SaveNewCopy(const QString& file, QString* error);
  // While the site is unsaved, asks "Data is not saved. Do you want to save?" with Yes, No and
  // Cancel: Yes saves (asking again when the save is not done), No goes on without saving.
  // False for Cancel: whatever was about to happen does not.
  bool OfferToSave();
  // The exit prompt: OfferToSave; true when the window may close.
  bool ExitPrompt();

 signals:
  // The working copy was replaced (new or opened site): everything is read again.
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
  SiteData data_;
};

}  // namespace velmora::workspace
