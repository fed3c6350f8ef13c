#pragma once

#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "action/editor.h"
#include "app/cli_prompter.h"
#include "reports/print_store.h"
#include "site/program_folder.h"
#include "workspace/workspace.h"

namespace velmora::app {

// One run of the command-line tool on one site file. The tool never writes to the
// installation or to the user's file: it works in a private program folder holding copies of
// the installation's databases, and the site is opened into that folder's working copy.
class CliSession {
 public:
  // `home` is the installation's program folder (VELMORA_HOME or the executable's folder).
  explicit CliSession(site::ProgramFolder home);
  ~CliSession();

  // Makes the private program folder and opens the catalogue and the working copy. False, with
  // the reason, when the installation is incomplete or a database cannot be opened.
  bool Start(QString* error);
  // Opens a site file into the working copy. False, with the reason, when it cannot be used.
  bool OpenSite(const QString& file, QString* error);

  workspace::Workspace& Ws() { return *workspace_; }
  SiteData& Data() { return workspace_->Data(); }
  action::Editor& Editor() { return *editor_; }
  reports::PrintStore& Print() { return *print_; }
  const site::ProgramFolder& Home() const { return home_; }
  CliPrompter& Prompter() { return prompter_; }

 private:
  site::ProgramFolder home_;
  QTemporaryDir dir_;
  CliPrompter prompter_;
  std::unique_ptr<workspace::Workspace> workspace_;
  std::unique_ptr<action::Editor> editor_;
  std::unique_ptr<reports::PrintStore> print_;
};

}  // namespace velmora::app
