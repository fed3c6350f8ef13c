#pragma once

// A run over the shipped catalogue in a program folder of its own, started as the main window
// starts it, for the tests of the property views. The catalogue's default panel is a VX-4 in its
// "Standard" housing (VXP-4020, four loops, protocol "Digital 2000", the 5 A supply standard).

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <memory>

#include "action/editor.h"
#include "i18n/translation.h"
#include "site/site_tree_model.h"
#include "site/table.h"
#include "support/scripted_prompter.h"
#include "support/test_home.h"
#include "workspace/workspace.h"

namespace velmora::ui {

class ViewsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (QApplication::instance() != nullptr) return;
    static int argc = 1;
    static char name[] = "view_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
  }

  void SetUp() override {
    i18n::SetUpTranslation(home_.Folder().LocaleFolder(), language_);
    workspace_ = std::make_unique<workspace::Workspace>(home_.Folder(), prompter_);
    editor_ = std::make_unique<action::Editor>(
        *workspace_, i18n::Settings(home_.Path("user"), home_.Path("machine")));
    workspace_->OpenTables();
    workspace_->StartSession();
  }

  void TearDown() override {
    EXPECT_TRUE(prompter_.AllAnswersUsed());
    editor_.reset();
    workspace_.reset();
    i18n::SetUpTranslation(home_.Folder().LocaleFolder(), "en");
  }

  workspace::Workspace& W() { return *workspace_; }
  action::Editor& E() { return *editor_; }

  // Carries an action out as a view does, its messages shown through the prompter.
  action::Result Do(const char* name,
                    std::initializer_list<std::pair<const char*, QJsonValue>> params = {}) {
    return E().Perform(action::Action::Make(name, params));
  }
  void AddPanel() { ASSERT_EQ(Do("add-panel").status, action::Status::kDone); }

  // A click on a node of the site tree: the panel's node (child 0), loop n (child n), or its
  // outputs node (child -1).
  void ClickNode(int panel, int child = 0) {
    site::TreeNode* node = E().Tree().PanelNode(panel);
    ASSERT_NE(node, nullptr);
    if (child == -1) node = node->Child(node->ChildCount() - 1);
    if (child > 0) node = node->Child(child - 1);
    E().Tree().Select(node);
    E().Show(E().FocusOf(node));
  }

  // A column of the first row of a site table matching a filter.
  QVariant Cell(const QString& table, const site::Filter& filter, const QString& column) {
    site::Table rows(&W().Doc().Db(), table);
    rows.SetFilter(filter);
    rows.SetFiltered(true);
    rows.Open();
    rows.First();
    return rows.Value(column);
  }

  static void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  }

  QString language_ = "en";
  testing::TestHome home_;
  testing::ScriptedPrompter prompter_;
  std::unique_ptr<workspace::Workspace> workspace_;
  std::unique_ptr<action::Editor> editor_;
};

}  // namespace velmora::ui
