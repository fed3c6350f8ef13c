#pragma once

// A run of the program in a temporary program folder, its site edited through the action layer
// as the views and scripts do.

#include <gtest/gtest.h>

#include <QJsonValue>
#include <initializer_list>
#include <utility>

#include "action/editor.h"
#include "catalogue/catalogue.h"
#include "site/run_state.h"
#include "site/site_document.h"
#include "support/scripted_prompter.h"
#include "support/test_home.h"
#include "workspace/workspace.h"

namespace velmora::testing {

// The fixture's run opens nothing itself: a test opens the tables and starts the session,
// over the shipped catalogue or one of its own.
class EditorTest : public ::testing::Test {
 protected:
  EditorTest()
      : workspace_(home_.Folder(), prompter_),
        editor_(workspace_, i18n::Settings(home_.Path("user"), home_.Path("machine"))),
        doc_(workspace_.Doc()),
        catalogue_(workspace_.Catalogue()),
        state_(workspace_.State()) {}

  // Carries an action out as the views do; its messages are shown through the prompter.
  action::Result Do(const char* name,
                    std::initializer_list<std::pair<const char*, QJsonValue>> params = {}) {
    const action::Result result = editor_.Execute(action::Action::Make(name, params), prompter_);
    if (!result.messages.isEmpty()) prompter_.Warn(result.messages.join("\n\n"), {});
    return result;
  }
  bool Done(const char* name,
            std::initializer_list<std::pair<const char*, QJsonValue>> params = {}) {
    return Do(name, params).status == action::Status::kDone;
  }

  qint64 Count(const QString& table, const site::Filter& filter = {}) {
    return doc_.Db().Count(table, filter);
  }

  TestHome home_;
  ScriptedPrompter prompter_;
  workspace::Workspace workspace_;
  action::Editor editor_;
  site::SiteDocument& doc_;
  catalogue::Catalogue& catalogue_;
  site::RunState& state_;
};

}  // namespace velmora::testing
