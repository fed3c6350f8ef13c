// The desktop program.
#include <QApplication>
#include <QMessageBox>

#include "i18n/settings.h"
#include "i18n/tr.h"
#include "i18n/translation.h"
#include "site/program_folder.h"
#include "site/run_state.h"
#include "site/store_error.h"
#include "ui/image_list.h"
#include "ui/main_form.h"
#include "ui/qt_prompter.h"
#include "velmora/version.h"
#include "workspace/workspace.h"

int main(int argc, char** argv) {
  // Older installations keep the language and country code machine-wide.
  const velmora::i18n::Settings settings = velmora::i18n::Settings::FromEnvironment();
  settings.CopyMachineSettings();

  QApplication app(argc, argv);
  // The title ("Velmora 2.09") is the main window's caption; it is not set as the display name,
  // which the platform would append to every window's caption.
  QApplication::setApplicationName(velmora::kProgramName);
  QApplication::setApplicationVersion(velmora::kVersion);
  QApplication::setDesktopFileName("velmora");
  QApplication::setWindowIcon(velmora::ui::ProgramIcon());

  // An installed program folder that is not writable is worked from a per-user copy.
  QString folder_problem;
  const velmora::site::ProgramFolder folder =
      velmora::site::ProgramFolder::FromEnvironment().WritableFor(&folder_problem);
  // After the application object, which resets the process locale, and before any text is made.
  velmora::i18n::SetUpTranslation(folder.LocaleFolder(), settings);
  velmora::ui::QtPrompter prompter;
  if (!folder_problem.isEmpty())
    prompter.Warn(folder_problem, velmora::site::Prompter::Icon::kWarning);
  velmora::workspace::Workspace workspace(folder, prompter);
  try {
    workspace.OpenTables();
  } catch (const velmora::site::StoreError& error) {
    QMessageBox::critical(nullptr, velmora::site::kApplicationTitle,
                          velmora::i18n::Tr(N_("Velmora cannot start: %1")).arg(error.Message()));
    return 1;
  }
  velmora::ui::TMainForm main_form(workspace, settings);
  prompter.SetParent(&main_form);
  // Always maximised: no window geometry is remembered between runs.
  main_form.showMaximized();
  return app.exec();
}
