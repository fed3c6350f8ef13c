#pragma once

// A run over the shipped catalogue in a program folder of its own, started as the main window
// starts it, for the tests of the property views. The catalogue's default panel is a VX-4 in its
// "Standard" housing (VXP-4020, four loops, protocol "Digital 2000", the 5 A supply standard).

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <memory>

#include "i18n/translation.h"
#include "panel/panel_lifecycle.h"
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
    workspace_->OpenTables();
    workspace_->StartSession();
    // As the site view does when it shows the new site.
    site::Table& site = W().Doc().Site();
    site.First();
    W().Catalogue().FilterPanelSpec(site.Text("SalesChannel"));
  }

  void TearDown() override {
    EXPECT_TRUE(prompter_.AllAnswersUsed());
    workspace_.reset();
    i18n::SetUpTranslation(home_.Folder().LocaleFolder(), "en");
  }

  workspace::Workspace& W() { return *workspace_; }

  void AddPanel() { ASSERT_TRUE(panel::AddPanelExecute(W().R(), W().PanelForm())); }

  // A click on a node of the site tree: the panel's node (child 0), loop n (child n), or its
  // outputs node (child -1).
  void ClickNode(int panel, int child = 0) {
    site::TreeNode* node = W().Tree().PanelNode(panel);
    ASSERT_NE(node, nullptr);
    if (child == -1) node = node->Child(node->ChildCount() - 1);
    if (child > 0) node = node->Child(child - 1);
    W().Tree().Select(node);
    ASSERT_TRUE(W().TreeActions().NodeClicked());
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
};

}  // namespace velmora::ui
