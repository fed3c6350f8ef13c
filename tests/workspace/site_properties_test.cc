#include "workspace/site_properties.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDate>
#include <QFile>

#include "panel/panel_lifecycle.h"
#include "site/table.h"
#include "support/rows.h"
#include "support/scripted_prompter.h"
#include "support/test_home.h"
#include "workspace/workspace.h"

namespace velmora::workspace {
namespace {

using site::DetailView;
using site::Filter;
using ::testing::ElementsAre;

const QString kAllSiteData = "All site data will de deleted?";

// A run over the shipped catalogue: channels Tarvik, Halvo and Mornax besides "All", standby
// times 4, 24, 48 and 72 hours, alarm times 30 minutes and 1 hour; DefaultPanel gives Tarvik,
// 24 hours and 30 minutes.
class SitePropertiesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    workspace_ = std::make_unique<Workspace>(home_.Folder(), prompter_);
    workspace_->OpenTables();
    properties_ = std::make_unique<SiteProperties>(*workspace_);
    QObject::connect(&properties_->Form(), &SiteFormModel::FocusTree, [this] { ++focus_; });
    workspace_->StartSession();
  }

  SiteFormModel& Form() { return properties_->Form(); }
  site::Table& Site() {
    site::Table& site = workspace_->Doc().Site();
    site.First();
    return site;
  }
  void SetSite(const char* column, const QVariant& value) {
    Site().SetValue(column, value);
    Site().Post();
  }
  qint64 Rows(const QString& table) { return workspace_->Doc().Db().Count(table); }
  void AddPanel() { ASSERT_TRUE(panel::AddPanelExecute(workspace_->R(), workspace_->PanelForm())); }
  int ChannelIndex(const QString& channel) {
    return int(Form().SalesChannels().entries.indexOf(channel));
  }

  testing::TestHome home_;
  testing::ScriptedPrompter prompter_;
  std::unique_ptr<Workspace> workspace_;
  std::unique_ptr<SiteProperties> properties_;
  int focus_ = 0;  // times the keyboard focus was sent to the tree
};

TEST_F(SitePropertiesTest, StartShowsTheDefaultTimesAndFiltersTheCatalogueOnTheChannel) {
  EXPECT_THAT(Form().SalesChannels().entries, ElementsAre("Tarvik", "Halvo", "Mornax"));
  EXPECT_THAT(Form().StandbyTimes().entries,
              ElementsAre("4 Hours", "24 Hours", "48 Hours", "72 Hours"));
  EXPECT_THAT(Form().AlarmTimes().entries, ElementsAre("30 Minutes", "1 Hour"));

  EXPECT_EQ(Form().SalesChannels().SelectedText(), "Tarvik");
  EXPECT_EQ(Form().StandbyTimes().SelectedText(), "24 Hours");
  EXPECT_EQ(Form().AlarmTimes().SelectedText(), "30 Minutes");
  EXPECT_EQ(Form().FieldText("SiteDate"), QDate::currentDate().toString(Qt::ISODate));
  EXPECT_EQ(Form().FieldText("City"), " ");
  EXPECT_EQ(focus_, 1);

  site::Table& spec = workspace_->Catalogue().PanelSpec();
  EXPECT_TRUE(spec.Filtered());
  EXPECT_EQ(spec.GetFilter(), Filter::SalesChannel("Tarvik"));
  EXPECT_EQ(spec.RecordCount(), 12);  // the Tarvik rows and the rows for all channels
}

TEST_F(SitePropertiesTest, EveryTextFieldStoresIntoItsColumnAndMarksTheSiteChanged) {
  for (const char* column : SiteFormModel::TextColumns()) {
    workspace_->State().SetSiteSaved(true);
    const QString text = QString("new ") + column;
    properties_->OnTextChanged(column, text);
    EXPECT_EQ(Site().Text(column), text) << column;
    EXPECT_FALSE(workspace_->State().SiteSaved()) << column;
  }
  EXPECT_EQ(workspace_->Tree().WindowCaption(), "Site : new SiteName");
}

TEST_F(SitePropertiesTest, NothingIsStoredWhileLoading) {
  workspace_->State().SetSiteSaved(true);
  workspace_->State().SetLoading(true);
  properties_->OnTextChanged("SiteName", "Harbour");
  properties_->OnStandbyTimeChosen(3);
  workspace_->State().SetLoading(false);
  EXPECT_EQ(Site().Text("SiteName"), " ");
  EXPECT_EQ(Site().Real("StandbyTime"), 24.0);
  EXPECT_EQ(workspace_->Tree().WindowCaption(), "Site:");
  EXPECT_TRUE(workspace_->State().SiteSaved());
}

TEST_F(SitePropertiesTest, ChoosingATimeStoresItsNumberAndRecalculatesTheWholeSite) {
  AddPanel();
  const QString battery_before = [&] {
    site::Table panels(&workspace_->Doc().Db(), "Panels");
    panels.Open();
    return panels.Text("Battery Capacity");
  }();
  ASSERT_GT(Rows("Currents"), 0);  // the new panel's lines are on view
  workspace_->State().SetSiteSaved(true);

  properties_->OnStandbyTimeChosen(3);
  EXPECT_EQ(Site().Real("StandbyTime"), 72.0);
  EXPECT_EQ(workspace_->Views().Current(), DetailView::kSite);
  EXPECT_EQ(workspace_->Tabs().Active(), 0);
  EXPECT_EQ(workspace_->Tree().Selected(), workspace_->Tree().Root());
  EXPECT_EQ(Rows("Currents"), 0);
  site::Table panels(&workspace_->Doc().Db(), "Panels");
  panels.Open();
  EXPECT_NE(panels.Text("Battery Capacity"), battery_before);
  EXPECT_FALSE(workspace_->State().SiteSaved());

  properties_->OnAlarmTimeChosen(1);
  EXPECT_EQ(Site().Real("AlarmTime"), 1.0);
  // An entry that stands for no lookup row stores 0.
  properties_->OnAlarmTimeChosen(5);
  EXPECT_EQ(Site().Real("AlarmTime"), 0.0);
}

TEST_F(SitePropertiesTest, StoredTimesWithoutALookupRowLeaveTheirListsUnselected) {
  SetSite("StandbyTime", 5.0);
  SetSite("AlarmTime", 2.0);
  SetSite("SalesChannel", "Nowhere");
  focus_ = 0;
  properties_->LoadSiteIntoView();
  EXPECT_EQ(Form().StandbyTimes().selected, -1);
  EXPECT_EQ(Form().AlarmTimes().selected, -1);
  EXPECT_EQ(Form().SalesChannels().selected, -1);
  EXPECT_EQ(focus_, 0);
}

TEST_F(SitePropertiesTest, TheStoredChannelChosenAgainAsksNothing) {
  AddPanel();
  workspace_->State().SetSiteSaved(true);
  properties_->OnSalesChannelChosen(ChannelIndex("Tarvik"));
  EXPECT_TRUE(prompter_.Records().empty());
  EXPECT_EQ(Rows("Panels"), 1);
  EXPECT_FALSE(workspace_->State().SiteSaved());
}

TEST_F(SitePropertiesTest, CancellingAChannelChangeKeepsEverything) {
  AddPanel();
  properties_->OnTextChanged("SiteName", "Harbour");
  prompter_.AnswerOk(false);
  properties_->OnSalesChannelChosen(ChannelIndex("Mornax"));
  EXPECT_EQ(prompter_.Texts(), QStringList{kAllSiteData});
  EXPECT_EQ(Site().Text("SalesChannel"), "Tarvik");
  EXPECT_EQ(Form().SalesChannels().SelectedText(), "Tarvik");
  EXPECT_EQ(Site().Text("SiteName"), "Harbour");
  EXPECT_EQ(Rows("Panels"), 1);
  EXPECT_EQ(workspace_->Tabs().Count(), 2);
  EXPECT_EQ(workspace_->Catalogue().PanelSpec().GetFilter(), Filter::SalesChannel("Tarvik"));
}

TEST_F(SitePropertiesTest, AConfirmedChannelChangeEmptiesAndResetsTheSite) {
  AddPanel();
  AddPanel();
  properties_->OnTextChanged("SiteName", "Harbour");
  properties_->OnTextChanged("City", "Portside");
  properties_->OnStandbyTimeChosen(3);
  SetSite("SiteDate", "2001-02-03");
  prompter_.AnswerOk(true);
  properties_->OnSalesChannelChosen(ChannelIndex("Mornax"));

  for (const char* table : {"Panels", "Loops", "Devices", "Outputs", "Currents"})
    EXPECT_EQ(Rows(table), 0) << table;
  EXPECT_EQ(workspace_->Tabs().Count(), 1);
  EXPECT_EQ(workspace_->Tree().Root()->ChildCount(), 0);
  EXPECT_EQ(workspace_->Tree().Root()->text, "Panels 0 / Loops 0");
  EXPECT_EQ(Site().Text("SiteName"), " ");
  EXPECT_EQ(Site().Text("City"), " ");
  EXPECT_EQ(Site().Date("SiteDate"), QDate::currentDate());
  EXPECT_EQ(Site().Real("StandbyTime"), 24.0);
  EXPECT_EQ(Site().Real("AlarmTime"), 0.5);
  EXPECT_EQ(Site().Text("SalesChannel"), "Mornax");
  EXPECT_EQ(workspace_->Catalogue().PanelSpec().GetFilter(), Filter::SalesChannel("Mornax"));
  // The view shows the reset site.
  EXPECT_EQ(Form().FieldText("SiteName"), " ");
  EXPECT_EQ(Form().SalesChannels().SelectedText(), "Mornax");
  EXPECT_EQ(Form().StandbyTimes().SelectedText(), "24 Hours");
  EXPECT_FALSE(workspace_->State().SiteSaved());
  // A panel added now comes from the new channel's catalogue.
  AddPanel();
  site::Table panels(&workspace_->Doc().Db(), "Panels");
  panels.Open();
  EXPECT_EQ(panels.Text("SalesChannel"), "Mornax");
}

TEST_F(SitePropertiesTest, AChannelWithAnApostropheIsQuotedInTheFilter) {
  // One variant row for a channel of its own.
  site::Table spec(&workspace_->Catalogue().DataDb(), "2010_2_PanelCompatibility");
  spec.Open();
  spec.Last();
  const qint64 type = spec.Int("ID1");
  const qint64 housing = spec.Int("ID2");
  testing::InsertRow(workspace_->Catalogue().DataDb(), "2010_2_PanelCompatibility",
                     {{"ID1", type}, {"ID2", housing}, {"SalesChannel", "O'Neill"}});
  properties_->FillLists();
  EXPECT_THAT(Form().SalesChannels().entries, ElementsAre("Tarvik", "Halvo", "Mornax", "O'Neill"));

  prompter_.AnswerOk(true);
  properties_->OnSalesChannelChosen(ChannelIndex("O'Neill"));
  site::Table& filtered = workspace_->Catalogue().PanelSpec();
  EXPECT_EQ(filtered.GetFilter().Text(), "SalesChannel = 'O''Neill' Or SalesChannel = 'All'");
  int own = 0, all = 0;
  for (filtered.First(); !filtered.Eof(); filtered.Next())
    (filtered.Text("SalesChannel") == "All" ? all : own)++;
  EXPECT_EQ(own, 1);
  EXPECT_EQ(all, 8);  // every row for all channels
}

TEST_F(SitePropertiesTest, TheViewIsLoadedWhenShownAgainAndAfterOpeningASite) {
  SetSite("SiteName", "Written elsewhere");
  workspace_->Views().Show(DetailView::kPanel);
  workspace_->ShowSiteView();
  EXPECT_EQ(Form().FieldText("SiteName"), "Written elsewhere");

  // A site of another channel, opened while the site view is on show.
  SetSite("SalesChannel", "Mornax");
  SetSite("StandbyTime", 48.0);
  const QString file = home_.Path("Sites/mornax.mdb");
  prompter_.AnswerFile(file);
  ASSERT_TRUE(workspace_->SaveSite());
  SetSite("SalesChannel", "Tarvik");
  ASSERT_TRUE(workspace_->OpenSiteFile(file));
  EXPECT_EQ(Form().SalesChannels().SelectedText(), "Mornax");
  EXPECT_EQ(workspace_->Catalogue().PanelSpec().GetFilter(), Filter::SalesChannel("Mornax"));
  EXPECT_EQ(Form().StandbyTimes().SelectedText(), "48 Hours");
  EXPECT_EQ(workspace_->Tree().WindowCaption(), "Site : Written elsewhere");
}

}  // namespace
}  // namespace velmora::workspace
