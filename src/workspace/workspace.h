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
  // A new site: the working copy reset, the site defaults and the catalogue's defaults written.
  bool NewSite();
  // Open Site through the open dialog. False when cancelled or refused.
  bool OpenSite();
  // Opens a given file as the site (Open Site without the dialog): its stored texts in the
  // language of the run and every stored result brought up to date. False, with a warning that
  // names the file and the problem, when the file cannot be used; nothing then changes.
  bool OpenSiteFile(const QString& file);
  bool SaveSite();
  bool SaveSiteAs();
  // The exit prompt: offers to save while the site is unsaved; returns when the window may close.
  void ExitPrompt();

 signals:
  // The working copy was replaced (new or opened site): everything is read again.
  void SiteReplaced();

 private:
  bool ReplaceWorkingCopy(const QString& source, QString* error);
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
