#include <gtest/gtest.h>

#include "action/panel_site_fixture.h"
#include "catalogue/variant.h"
#include "site/images.h"

namespace velmora::action {
namespace {

using site::Filter;
using ::testing::ElementsAre;
using testing::InsertRow;

constexpr int kUnticked = site::kImageUnticked;
constexpr int kTicked = site::kImageTicked;
constexpr int kNotAvailable = site::kImageNotAvailable;

class PanelShowTest : public testing::PanelSiteTest {
 protected:
  // Stored panels with their tabs and subtrees, as an opened site has them.
  void OpenStoredPanels() { editor_.Refresh(); }
  Result Show(int n) { return editor_.Show({site::DetailView::kPanel, n, 0}); }
};

TEST_F(PanelShowTest, TheListsOfferTheTypesOfTheChannelWithParallelCodes) {
  StorePanel(1, 2, 10, {});
  OpenStoredPanels();
  Show(1);
  EXPECT_EQ(form_.TypeBox().entries, QStringList({"Alpha", "Beta"}));
  EXPECT_EQ(form_.TypeCodeBox().entries, QStringList({"G-ALPHA", "G-BETA"}));
  ASSERT_EQ(form_.OptionButtons().size(), 9u);
  EXPECT_EQ(form_.OptionButtons()[3].caption, "Board 3");
  EXPECT_EQ(form_.OptionButtons()[3].image, kNotAvailable);
  ASSERT_EQ(form_.PowerSupplyButtons().size(), 3u);
  EXPECT_EQ(form_.PowerSupplyButtons()[1].caption, "Supply B");
  // No lookup row: no caption; the variant shows it not available.
  EXPECT_EQ(form_.PowerSupplyButtons()[2].caption, "");
  EXPECT_EQ(form_.PowerSupplyButtons()[2].image, kNotAvailable);
}

TEST_F(PanelShowTest, AFittingPanelIsShownAsStored) {
  StorePanel(1, 1, 11, {"Prot1", "Opt0", "Opt4", "Psu1"});
  StorePanel(2, 2, 10, {});
  OpenStoredPanels();
  const int steps = editor_.History().count();

  EXPECT_EQ(Show(1).status, Status::kUnchanged);
  EXPECT_EQ(tabs_.Active(), 1);
  EXPECT_EQ(tree_.Selected(), tree_.PanelNode(1));
  EXPECT_EQ(views_.Current(), site::DetailView::kPanel);
  EXPECT_EQ(form_.TypeBox().SelectedText(), "Alpha");
  EXPECT_EQ(form_.TypeCodeBox().SelectedText(), "G-ALPHA");
  EXPECT_EQ(form_.HousingBox().entries, QStringList({"Small", "Large"}));
  EXPECT_EQ(form_.HousingBox().SelectedText(), "Large");
  EXPECT_EQ(form_.HousingCodeBox().SelectedText(), "ALPHA-L");
  EXPECT_EQ(form_.ProtocolBox().entries, QStringList({"Qellon", "Sigma"}));
  EXPECT_EQ(form_.ProtocolBox().SelectedText(), "Sigma");
  EXPECT_TRUE(form_.ProtocolBox().enabled);
  EXPECT_EQ(OptionImages(),
            std::vector<int>({kTicked, kUnticked, kUnticked, kNotAvailable, kTicked, kUnticked,
                              kNotAvailable, kNotAvailable, kNotAvailable}));
  EXPECT_EQ(SupplyImages(), std::vector<int>({kUnticked, kTicked, kNotAvailable}));
  EXPECT_EQ(SetFlags(1, "Opt", 9), QStringList({"Opt0", "Opt4"}));

  // Its only protocol is Apollo, so the box is empty.
  Show(2);
  EXPECT_EQ(tabs_.Active(), 2);
  EXPECT_EQ(form_.TypeBox().SelectedText(), "Beta");
  EXPECT_EQ(form_.ProtocolBox().Count(), 0);
  EXPECT_FALSE(form_.ProtocolBox().enabled);
  EXPECT_EQ(editor_.History().count(), steps);  // showing changed nothing
}

struct ResetCase {
  const char* name;
  int type;
  int housing;
  std::vector<const char*> flags;
};

class PanelResetTest : public PanelShowTest, public ::testing::WithParamInterface<ResetCase> {};

TEST_P(PanelResetTest, APanelThatNoLongerFitsIsResetToTheFirstVariant) {
  const ResetCase& c = GetParam();
  StorePanel(1, c.type, c.housing, c.flags);
  InsertRow(doc_.Db(), "Loops", {{"PanelNumber", 1}, {"LoopNumber", 1}, {"Length", 800}});
  InsertRow(doc_.Db(), "Outputs", {{"Panel", 1}, {"OutputNumber", 1}, {"MAX", 500}});
  OpenStoredPanels();

  const Result result = Show(1);
  EXPECT_EQ(result.status, Status::kDone);
  ASSERT_EQ(result.messages.size(), 1);
  EXPECT_TRUE(result.messages.front().contains("did not fit the catalogue"));

  EXPECT_EQ(PanelCell(1, "Panel Type").toInt(), 1);
  EXPECT_EQ(PanelCell(1, "Housing Type").toInt(), 10);
  EXPECT_EQ(SetFlags(1, "Prot", 4), QStringList({"Prot0"}));
  EXPECT_EQ(SetFlags(1, "Opt", 9), QStringList({"Opt4"}));
  EXPECT_EQ(SetFlags(1, "Psu", 3), QStringList({"Psu0"}));
  EXPECT_EQ(form_.TypeBox().SelectedText(), "Alpha");
  EXPECT_EQ(form_.HousingBox().SelectedText(), "Small");
  EXPECT_EQ(form_.ProtocolBox().SelectedText(), "Qellon");
  // The reset leaves loops and outputs alone, and can be taken back.
  EXPECT_THAT(LoopNumbers(1), ElementsAre(1));
  EXPECT_THAT(OutputNumbers(1), ElementsAre(1));
  EXPECT_EQ(editor_.History().undoText(), "Fit panel to the catalogue");
  editor_.Undo();
  EXPECT_EQ(PanelCell(1, "Panel Type").toInt(), c.type);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PanelResetTest,
    ::testing::Values(ResetCase{"OtherChannel", 3, 10, {"Prot0"}},
                      ResetCase{"ProtocolNotAvailable", 1, 11, {"Prot2", "Opt2"}},
                      ResetCase{"PowerSupplyNotAvailable", 1, 10, {"Prot0", "Psu2"}},
                      ResetCase{"NoSuchHousing", 1, 12, {"Prot0"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PanelShowTest, AResetToAVariantWithTwoStandardProtocolsSetsBoth) {
  // The first row of the channel's catalogue now has two standard protocols.
  const std::vector<site::Row> rows = catalogue_.DataDb().Select("2010_2_PanelCompatibility");
  catalogue_.DataDb().Update(
      "2010_2_PanelCompatibility", rows.front().rowid,
      {{catalogue_.DataDb().ColumnIndex("2010_2_PanelCompatibility", "Prot1"), "STD400"}});
  StorePanel(1, 3, 10, {"Prot0"});
  OpenStoredPanels();

  Show(1);
  EXPECT_EQ(SetFlags(1, "Prot", 4), QStringList({"Prot0", "Prot1"}));
  EXPECT_EQ(form_.ProtocolBox().entries, QStringList({"Qellon", "Sigma"}));
  EXPECT_EQ(form_.ProtocolBox().SelectedText(), "Sigma");
}

TEST_F(PanelShowTest, ValidationAcceptsOnlyFlagsTheVariantOffers) {
  const std::vector<catalogue::Variant>& variants =
      catalogue_.Variants("Tarvik", workspace_.Data().Flags());
  catalogue::PanelFlags flags;
  flags.protocols = {false, true, false, false};
  flags.options = {true, false, false, false, true, false, false, false, false};
  flags.power_supplies = {false, true, false};
  std::optional<qint64> type = 1;
  std::optional<qint64> housing = 11;
  EXPECT_TRUE(catalogue::ValidatePanelConfig(variants, type, housing, flags));
  EXPECT_EQ(housing, 11);

  flags.options[3] = true;  // not available on that variant
  EXPECT_FALSE(catalogue::ValidatePanelConfig(variants, type, housing, flags));
  EXPECT_EQ(type, 1);
  EXPECT_EQ(housing, 10);
}

}  // namespace
}  // namespace velmora::action
