#pragma once

#include <gtest/gtest.h>

#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "electrical/site_data.h"
#include "i18n/settings.h"
#include "reports/print_store.h"
#include "site/database.h"
#include "support/rows.h"
#include "support/scripted_prompter.h"
#include "support/test_home.h"
#include "workspace/workspace.h"

namespace velmora::reports {

// A run over a temporary program folder with the shipped catalogue, a blank working copy, the
// print store and settings of its own.
class ReportFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    workspace_ = std::make_unique<workspace::Workspace>(home_.Folder(), prompter_);
    workspace_->OpenTables();
    store_ = std::make_unique<PrintStore>(home_.Folder());
    store_->Open();
  }

  SiteData& R() { return workspace_->Data(); }
  site::Database& Doc() { return workspace_->Doc().Db(); }
  site::Database& Print() { return store_->Db(); }
  i18n::Settings Settings() const {
    return i18n::Settings(settings_dir_.filePath("user"), settings_dir_.filePath("machine"));
  }

  // The rows of a panel-grouped print table: panel number, then the tiers it has.
  std::vector<QStringList> Rows(const QString& table) {
    std::vector<QStringList> rows;
    const int tiers = table == "Currents" || table == "Devices" ? 4 : 3;
    for (const site::Row& row : Print().Select(table)) {
      QStringList cells{row.values[Print().ColumnIndex(table, "PanelNumber")].toString()};
      for (int t = 1; t <= tiers; ++t)
        cells << row.values[Print().ColumnIndex(table, QString("Tier %1").arg(t))].toString();
      rows.push_back(cells);
    }
    return rows;
  }
  // The rows of one panel without the panel number.
  std::vector<QStringList> RowsOf(const QString& table, int panel) {
    std::vector<QStringList> rows;
    for (QStringList row : Rows(table)) {
      if (row.takeFirst() == QString::number(panel)) rows.push_back(row);
    }
    return rows;
  }

  testing::TestHome home_;
  testing::ScriptedPrompter prompter_;
  QTemporaryDir settings_dir_;
  std::unique_ptr<workspace::Workspace> workspace_;
  std::unique_ptr<PrintStore> store_;
};

}  // namespace velmora::reports
