#pragma once

// The desktop program's parts over a test's program folder, made in the program's order and
// taken down in the reverse one: the workspace, its editor, the tables opened, and the main
// window without its modal start screen.

#include <memory>

#include "action/editor.h"
#include "i18n/settings.h"
#include "support/test_home.h"
#include "ui/main_form.h"
#include "workspace/workspace.h"

namespace velmora::testing {

inline void OpenMainWindow(TestHome& home, site::Prompter& prompter,
                           std::unique_ptr<workspace::Workspace>& workspace,
                           std::unique_ptr<action::Editor>& editor,
                           std::unique_ptr<ui::TMainForm>& form) {
  workspace = std::make_unique<workspace::Workspace>(home.Folder(), prompter);
  const i18n::Settings settings(home.Path("user"), home.Path("machine"));
  editor = std::make_unique<action::Editor>(*workspace, settings);
  workspace->OpenTables();
  form = std::make_unique<ui::TMainForm>(*editor, settings);
  form->SetStartScreenModal(false);
}

inline void CloseMainWindow(std::unique_ptr<workspace::Workspace>& workspace,
                            std::unique_ptr<action::Editor>& editor,
                            std::unique_ptr<ui::TMainForm>& form) {
  form.reset();
  editor.reset();
  workspace.reset();
}

}  // namespace velmora::testing
