#include "workspace/site_properties.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDate>

#include "editor_fixture.h"
#include "electrical/recalculation.h"
#include "site/table.h"
#include "support/rows.h"

namespace velmora::workspace {
namespace {

using site::DetailView;
using ::testing::ElementsAre;

const QString kAllSiteData = "All site data will de deleted?";

// A run over the shipped catalogue: channels Tarvik, Halvo and Mornax besides "All", standby
// times 4, 24, 48 and 72 hours, alarm times 30 minutes and 1 hour; DefaultPanel gives Tarvik,
// 24 hours and 30 minutes.
class SitePropertiesTest : public testing::EditorTest {
 protected:
  void SetUp() override {
    workspace_.OpenTables();
    QObject::connect(&Form(), &SiteFormModel::FocusTree, [this] { ++focus_; });
    workspace_.StartSession();
  }

  SiteFormModel& Form() { return editor_.SiteForm(); }
  site::Table& Site() {
    site::Table& site = doc_.Site();
    site.First();
    return site;
  }
  void SetSite(const char* column, const QVariant& value) {
    Site().SetValue(column, value);
    Site().Post();
  }
  // The channels of the variants on offer, sorted.
  QStringList Channels(const std::vector<catalogue::Variant>& variants) {
    QStringList channels;
    for (const catalogue::Variant& v : variants) channels << v.sales_channel;
    channels.removeDuplicates();
    channels.sort();
    return channels;
  }
  void AddPanel() { ASSERT_TRUE(Done("add-panel")); }
  QString Battery(int p) {
    return doc_.Db()
        .Select("Panels", site::Filter::Equals("Panel Number", p))
        .front()
        .values[doc_.Db().ColumnIndex("Panels", "Battery Capacity")]
        .toString();
  }
  // True when the stored results are those of a whole recalculation of the site.
  bool ResultsAreWhole() {
    return electrical::RecalculatePanels(workspace_.Data(), {}, false).written_cells == 0;
  }

  int focus_ = 0;  // times the keyboard focus was sent to the tree
};

TEST_F(SitePropertiesTest, StartShowsTheDefaultTimesAndTheChannelsVariants) {
  EXPECT_THAT(Form().SalesChannels().entries, ElementsAre("Tarvik", "Halvo", "Mornax"));
  EXPECT_THAT(Form().StandbyTimes().entries,
              ElementsAre("4 Hours", "24 Hours", "48 Hours", "72 Hours"));
  EXPECT_THAT(Form().AlarmTimes().entries, ElementsAre("30 Minutes", "1 Hour"));

  EXPECT_EQ(Form().SalesChannels().SelectedText(), "Tarvik");
  EXPECT_EQ(Form().StandbyTimes().SelectedText(), "24 Hours");
  EXPECT_EQ(Form().AlarmTimes().SelectedText(), "30 Minutes");
  EXPECT_EQ(Form().FieldText("SiteDate"), QDate::currentDate().toString(Qt::ISODate));
  EXPECT_EQ(Form().FieldText("City"), "");  // the blank of a new site shows empty
  EXPECT_EQ(focus_, 1);
  // The Tarvik rows and the rows for all channels.
  EXPECT_EQ(workspace_.Data().Variants().size(), 12u);
  EXPECT_EQ(Channels(workspace_.Data().Variants()), QStringList({"All", "Tarvik"}));
}

TEST_F(SitePropertiesTest, EveryTextFieldStoresIntoItsColumnAndMarksTheSiteChanged) {
  prompter_.AnswerFile(home_.Path("Sites/fields.mdb"));
  ASSERT_TRUE(editor_.Save());
  for (const char* column : SiteFormModel::TextColumns()) {
    SCOPED_TRACE(column);
    ASSERT_TRUE(state_.SiteSaved());
    const QString text = QString("new ") + column;
    ASSERT_TRUE(Done("set-site-field", {{"field", column}, {"value", text}}));
    EXPECT_EQ(Site().Text(column), text);
    EXPECT_EQ(Form().FieldText(column), text);
    EXPECT_FALSE(state_.SiteSaved());
    ASSERT_TRUE(editor_.Save());
  }
  EXPECT_EQ(editor_.Tree().WindowCaption(), "Site : new SiteName");
  EXPECT_EQ(focus_, 1);  // typing leaves the keyboard where it is
}

TEST_F(SitePropertiesTest, AFieldThatCannotTakeTheTextIsRefusedAndNothingChanges) {
  const struct {
    const char* field;
    QString value;
  } cases[] = {{"SalesChannel", "Mornax"},  // no text field
               {"Nowhere", "x"},
               {"City", QString(kMaxSiteText + 1, 'c')},
               {"Comment", QString(kMaxSiteComment + 1, 'c')}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.field);
    EXPECT_EQ(Do("set-site-field", {{"field", c.field}, {"value", c.value}}).status,
              action::Status::kRefused);
    EXPECT_EQ(Site().Text("City"), " ");
    EXPECT_EQ(Site().Text("SalesChannel"), "Tarvik");
  }
  EXPECT_FALSE(editor_.History().canUndo());
  EXPECT_TRUE(
      Done("set-site-field", {{"field", "Comment"}, {"value", QString(kMaxSiteComment, 'c')}}));
}

TEST_F(SitePropertiesTest, ChoosingATimeStoresItsNumberAndRecalculatesEveryPanel) {
  AddPanel();
  AddPanel();
  const QString battery_before = Battery(1);
  ASSERT_TRUE(Done("set-standby-time", {{"time", "72 Hours"}}));
  EXPECT_EQ(Site().Real("StandbyTime"), 72.0);
  EXPECT_NE(Battery(1), battery_before);
  EXPECT_EQ(Battery(2), Battery(1));
  EXPECT_TRUE(ResultsAreWhole());
  EXPECT_EQ(Form().StandbyTimes().SelectedText(), "72 Hours");

  ASSERT_TRUE(Done("set-alarm-time", {{"time", "1 Hour"}}));
  EXPECT_EQ(Site().Real("AlarmTime"), 1.0);
  EXPECT_TRUE(ResultsAreWhole());
  // A time the list does not hold is refused.
  const action::Result wrong = Do("set-alarm-time", {{"time", "3 Days"}});
  EXPECT_EQ(wrong.status, action::Status::kRefused);
  EXPECT_THAT(wrong.messages, ElementsAre("There is no time \"3 Days\" in the list."));
  EXPECT_EQ(Site().Real("AlarmTime"), 1.0);
}

TEST_F(SitePropertiesTest, StoredTimesWithoutALookupRowLeaveTheirListsUnselected) {
  SetSite("StandbyTime", 5.0);
  SetSite("AlarmTime", 2.0);
  SetSite("SalesChannel", "Nowhere");
  focus_ = 0;
  editor_.Refresh();
  EXPECT_EQ(Form().StandbyTimes().selected, -1);
  EXPECT_EQ(Form().AlarmTimes().selected, -1);
  EXPECT_EQ(Form().SalesChannels().selected, -1);
  EXPECT_EQ(focus_, 0);
}

TEST_F(SitePropertiesTest, TheStoredChannelChosenAgainAsksNothingAndChangesNothing) {
  AddPanel();
  EXPECT_EQ(Do("set-sales-channel", {{"channel", "Tarvik"}}).status, action::Status::kUnchanged);
  EXPECT_TRUE(prompter_.Records().empty());
  EXPECT_EQ(Count("Panels"), 1);
  EXPECT_EQ(editor_.History().count(), 1);
}

TEST_F(SitePropertiesTest, DecliningAChannelChangeKeepsEverything) {
  AddPanel();
  ASSERT_TRUE(Done("set-site-field", {{"field", "SiteName"}, {"value", "Harbour"}}));
  prompter_.AnswerOk(false);
  EXPECT_EQ(Do("set-sales-channel", {{"channel", "Mornax"}}).status, action::Status::kDeclined);
  EXPECT_EQ(prompter_.Texts(), QStringList{kAllSiteData});
  EXPECT_EQ(Site().Text("SalesChannel"), "Tarvik");
  EXPECT_EQ(Form().SalesChannels().SelectedText(), "Tarvik");
  EXPECT_EQ(Site().Text("SiteName"), "Harbour");
  EXPECT_EQ(Count("Panels"), 1);
  EXPECT_EQ(editor_.Tabs().Count(), 2);
  EXPECT_EQ(editor_.History().count(), 2);
  // A channel the catalogue does not know is refused before any question.
  prompter_.Clear();
  EXPECT_EQ(Do("set-sales-channel", {{"channel", "Atlantis"}}).status, action::Status::kRefused);
  EXPECT_EQ(prompter_.Texts(), QStringList{"There is no sales channel Atlantis."});
}

TEST_F(SitePropertiesTest, AConfirmedChannelChangeEmptiesAndResetsTheSite) {
  AddPanel();
  AddPanel();
  ASSERT_TRUE(Done("set-site-field", {{"field", "SiteName"}, {"value", "Harbour"}}));
  ASSERT_TRUE(Done("set-site-field", {{"field", "City"}, {"value", "Portside"}}));
  ASSERT_TRUE(Done("set-standby-time", {{"time", "72 Hours"}}));
  SetSite("SiteDate", "2001-02-03");
  ASSERT_TRUE(Done("set-sales-channel", {{"channel", "Mornax"}, {"answer", "ok"}}));
  EXPECT_TRUE(prompter_.Records().empty());  // answered by the action itself

  for (const char* table : {"Panels", "Loops", "Devices", "Outputs", "Currents"})
    EXPECT_EQ(Count(table), 0) << table;
  EXPECT_EQ(editor_.Tabs().Count(), 1);
  EXPECT_EQ(editor_.Tree().Root()->ChildCount(), 0);
  EXPECT_EQ(editor_.Tree().Root()->text, "Panels 0 / Loops 0");
  EXPECT_EQ(Site().Text("SiteName"), " ");
  EXPECT_EQ(Site().Text("City"), " ");
  EXPECT_EQ(Site().Date("SiteDate"), QDate::currentDate());
  EXPECT_EQ(Site().Real("StandbyTime"), 24.0);
  EXPECT_EQ(Site().Real("AlarmTime"), 0.5);
  EXPECT_EQ(Site().Text("SalesChannel"), "Mornax");
  EXPECT_EQ(Channels(workspace_.Data().Variants()), QStringList({"All", "Mornax"}));
  // The view shows the reset site.
  EXPECT_EQ(editor_.Views().Current(), DetailView::kSite);
  EXPECT_EQ(Form().FieldText("SiteName"), "");
  EXPECT_EQ(Form().SalesChannels().SelectedText(), "Mornax");
  EXPECT_EQ(Form().StandbyTimes().SelectedText(), "24 Hours");
  // A panel added now comes from the new channel's catalogue.
  AddPanel();
  site::Table panels(&doc_.Db(), "Panels");
  panels.Open();
  EXPECT_EQ(panels.Text("SalesChannel"), "Mornax");
}

TEST_F(SitePropertiesTest, AChannelWithAnApostropheIsAChannelLikeAnyOther) {
  // One variant row for a channel of its own.
  site::Table spec(&catalogue_.DataDb(), "2010_2_PanelCompatibility");
  spec.Open();
  spec.Last();
  const qint64 type = spec.Int("ID1");
  const qint64 housing = spec.Int("ID2");
  testing::InsertRow(catalogue_.DataDb(), "2010_2_PanelCompatibility",
                     {{"ID1", type}, {"ID2", housing}, {"SalesChannel", "O'Neill"}});
  editor_.Refresh();
  EXPECT_THAT(Form().SalesChannels().entries, ElementsAre("Tarvik", "Halvo", "Mornax", "O'Neill"));

  ASSERT_TRUE(Done("set-sales-channel", {{"channel", "O'Neill"}, {"answer", "ok"}}));
  int own = 0, all = 0;
  for (const catalogue::Variant& v : workspace_.Data().Variants())
    (v.sales_channel == "All" ? all : own)++;
  EXPECT_EQ(own, 1);
  EXPECT_EQ(all, 8);  // every row for all channels
}

TEST_F(SitePropertiesTest, TheViewShowsTheRowsAgainWhenShownAndAfterOpeningASite) {
  SetSite("SiteName", "Written elsewhere");
  AddPanel();
  focus_ = 0;
  editor_.Show({DetailView::kSite, 0, 0});
  EXPECT_EQ(Form().FieldText("SiteName"), "Written elsewhere");
  EXPECT_EQ(focus_, 1);

  // A site of another channel, opened while the site view is on show.
  SetSite("SalesChannel", "Mornax");
  SetSite("StandbyTime", 48.0);
  const QString file = home_.Path("Sites/mornax.mdb");
  prompter_.AnswerFile(file);
  ASSERT_TRUE(editor_.Save());
  SetSite("SalesChannel", "Tarvik");
  ASSERT_TRUE(workspace_.OpenSiteFile(file));
  EXPECT_EQ(Form().SalesChannels().SelectedText(), "Mornax");
  EXPECT_EQ(Channels(workspace_.Data().Variants()), QStringList({"All", "Mornax"}));
  EXPECT_EQ(Form().StandbyTimes().SelectedText(), "48 Hours");
  EXPECT_EQ(editor_.Tree().WindowCaption(), "Site : Written elsewhere");
  EXPECT_TRUE(state_.SiteSaved());  // an opened site is its file until it is changed
}

}  // namespace
}  // namespace velmora::workspace
