#pragma once

// A site in a temporary program folder over a small panel catalogue, edited through the action
// layer as the program does, for the tests of the panel rules and of what the views show.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QStringList>
#include <vector>

#include "editor_fixture.h"
#include "electrical/site_rows.h"
#include "panel/panel_form_model.h"
#include "site/detail_view.h"
#include "site/panel_tabs_model.h"
#include "site/site_tree_model.h"
#include "support/rows.h"

namespace velmora::testing {

// Catalogue of the fixture, channel Tarvik unless said otherwise:
//   type 1 "Alpha" (group G-ALPHA): housing 10 "Small" ALPHA-S with 2 loops, housing 11
//     "Large" ALPHA-L with 4 loops and a third output;
//   type 2 "Beta" (G-BETA, channel All): housing 10 BETA-S offering only Apollo, housing 12
//     "Big Box" BETA-B with two standard protocols;
//   type 3 "Gamma" (G-GAMMA): housing 10 GAMMA-S, channel Mornax only.
// Protocols: Prot0 "Qellon" (3000 m), Prot1 "Sigma" (2000 m), Prot2 "Delta", Prot3 "Apollo".
// Boards of the Alpha variants: Opt0 "OPT12" (group 1, two loops, two 400 mA outputs), Opt1
// "OPT10" (group 1, no loops), Opt2 "OPT", Opt3 "N/A", Opt4 "STD", Opt5 "OPT50" (eight 500 mA
// outputs). Power supplies: Psu0 standard, Psu1 optional, Psu2 not available.
// DefaultPanel: Alpha/Small with Prot0, Opt4 and Psu0, loops of 1500 m on cable 2.
class PanelSiteTest : public EditorTest {
 protected:
  PanelSiteTest()
      : tree_(editor_.Tree()),
        tabs_(editor_.Tabs()),
        views_(editor_.Views()),
        form_(editor_.PanelForm()) {}

  void SetUp() override {
    workspace_.OpenTables();
    WriteCatalogue();
    workspace_.StartSession();  // the site of DefaultPanel's channel, Tarvik
    prompter_.Clear();
  }

  // The panel view of panel p.
  void ShowPanel(int p) { editor_.Show({site::DetailView::kPanel, p, 0}); }

  void WriteCatalogue() {
    // One transaction per store: the rows are written in one go rather than synced one by one.
    site::Transaction lookup_rows(&catalogue_.TranslationDb());
    site::Transaction data_rows(&catalogue_.DataDb());
    site::Database& lookup = catalogue_.TranslationDb();
    ClearTable(lookup, "Translation_Text");
    InsertRow(lookup, "Translation_Text", {{"ID1", 1}, {"Panel Type", "Alpha"}});
    InsertRow(lookup, "Translation_Text", {{"ID1", 2}, {"Panel Type", "Beta"}});
    InsertRow(lookup, "Translation_Text", {{"ID1", 3}, {"Panel Type", "Gamma"}});
    InsertRow(lookup, "Translation_Text", {{"ID2", 10}, {"Housing Type", "Small"}});
    InsertRow(lookup, "Translation_Text", {{"ID2", 11}, {"Housing Type", "Large"}});
    InsertRow(lookup, "Translation_Text", {{"ID2", 12}, {"Housing Type", "Big Box"}});
    const struct {
      const char* key;
      const char* name;
      const char* file;
      int max_length;
    } protocols[] = {{"Prot0", "Qellon", "QELLON", 3000},
                     {"Prot1", "Sigma", "2000", 2000},
                     {"Prot2", "Delta", "2000", 2500},
                     {"Prot3", "Apollo", "Apollo", 2000}};
    for (const auto& p : protocols) {
      InsertRow(lookup, "Translation_Text",
                {{"ID3", p.key},
                 {"Protocol", p.name},
                 {"ProtocolFile", p.file},
                 {"MaxLoopLength", p.max_length}});
    }
    for (int i = 0; i < 9; ++i) {
      InsertRow(lookup, "Translation_Text",
                {{"ID4", QString("Opt%1").arg(i)}, {"Options", QString("Board %1").arg(i)}});
    }
    // Psu2 has no caption.
    InsertRow(lookup, "Translation_Text", {{"ID5", "Psu0"}, {"PowerSupply", "Supply A"}});
    InsertRow(lookup, "Translation_Text", {{"ID5", "Psu1"}, {"PowerSupply", "Supply B"}});

    site::Database& data = catalogue_.DataDb();
    ClearTable(data, "2010_2_PanelCompatibility");
    AddVariant(1, 10, "G-ALPHA", "ALPHA-S", "Tarvik", 2, {"STD500", "OPT400", "N/A", "N/A"}, 0);
    AddVariant(1, 11, "G-ALPHA", "ALPHA-L", "Tarvik", 4, {"STD500", "OPT400", "N/A", "N/A"}, 300);
    AddVariant(2, 10, "G-BETA", "BETA-S", "All", 2, {"N/A", "N/A", "N/A", "OPT400"}, 0);
    AddVariant(2, 12, "G-BETA", "BETA-B", "All", 2, {"STD500", "STD400", "N/A", "N/A"}, 0);
    AddVariant(3, 10, "G-GAMMA", "GAMMA-S", "Mornax", 2, {"STD500", "N/A", "N/A", "N/A"}, 0);

    ClearTable(data, "DefaultPanel");
    InsertRow(data, "DefaultPanel",
              {{"ID1", 1},
               {"ID2", 10},
               {"Prot0", true},
               {"Opt4", true},
               {"Psu0", true},
               {"CableSpec", 2},
               {"CableLength", 1500},
               {"AlarmIndicators", 3},
               {"OneLocation", false},
               {"OneLocationLength", 0},
               {"Spread", true},
               {"SpreadLength", 10},
               {"StandbyTime", 24.0},
               {"AlarmTime", 0.5},
               {"SalesChannel", "Tarvik"}});
    data_rows.Commit();
    lookup_rows.Commit();
  }

  void AddVariant(int type, int housing, const char* group, const char* code, const char* channel,
                  int loops, const QStringList& protocols, int out3) {
    InsertRow(catalogue_.DataDb(), "2010_2_PanelCompatibility",
              {{"ID1", type},
               {"ID2", housing},
               {"Panel Group Code", group},
               {"Panel Code", code},
               {"Housing Type", "box"},
               {"SalesChannel", channel},
               {"LoopCount", loops},
               {"Prot0", protocols[0]},
               {"Prot1", protocols[1]},
               {"Prot2", protocols[2]},
               {"Prot3", protocols[3]},
               {"Opt0", "OPT12"},
               {"Opt1", "OPT10"},
               {"Opt2", "OPT"},
               {"Opt3", "N/A"},
               {"Opt4", "STD"},
               {"Opt5", "OPT50"},
               {"Opt6", "N/A"},
               {"Opt7", "N/A"},
               {"Opt8", "N/A"},
               {"Psu0", "STD"},
               {"Psu1", "OPT"},
               {"Psu2", "N/A"},
               {"Out1", 500},
               {"Out2", 500},
               {"Out3", out3},
               {"Out4", 0},
               {"Out101", 100},
               {"Out102", 0},
               {"Out103", 0},
               {"Cur0S", 204000045.0},
               {"Cur1S", 12.0},
               {"Cur5S", 805000040.0},
               {"PCur0S", 5000.0},
               {"PCur0A", 5000.0},
               {"PCur1S", 5000.0},
               {"PCur1A", 5000.0},
               {"StandbyCurrent", 100.0},
               {"AlarmCurrent", 200.0},
               {"BattSize", 18.0}});
  }

  // Adds a panel through the "Add Panel" action and checks that it was added.
  void AddPanel() { ASSERT_TRUE(Done("add-panel")); }

  // A stored panel row written directly, as an opened site would hold it.
  void StorePanel(int p, int type, int housing, const std::vector<const char*>& flags) {
    site::Table panels(&doc_.Db(), "Panels");
    panels.Open();
    panels.Append();
    panels.SetValue("Panel Number", p);
    panels.SetValue("Panel Name", QString("Stored%1").arg(p));
    panels.SetValue("Panel Type", type);
    panels.SetValue("Housing Type", housing);
    for (const char* flag : flags) panels.SetValue(flag, true);
    panels.Post();
  }

  // A column of the rows of a table matching a filter, in stored order.
  std::vector<qint64> Ints(const QString& table, const site::Filter& filter,
                           const QString& column) {
    site::Table rows(&doc_.Db(), table);
    rows.SetFilter(filter);
    rows.SetFiltered(!filter.IsEmpty());
    rows.Open();
    std::vector<qint64> values;
    for (rows.First(); !rows.Eof(); rows.Next()) values.push_back(rows.Int(column));
    return values;
  }
  std::vector<qint64> LoopNumbers(int p) {
    return Ints("Loops", site::Filter::Equals("PanelNumber", p), "LoopNumber");
  }
  std::vector<qint64> DeviceLoops(int p) {
    return Ints("Devices", site::Filter::Equals("Panel", p), "Loop");
  }
  std::vector<qint64> OutputNumbers(int p) {
    return Ints("Outputs", site::Filter::Equals("Panel", p), "OutputNumber");
  }

  // A cell of the Panels row of panel p.
  QVariant PanelCell(int p, const QString& column) {
    const std::vector<site::Row> rows =
        doc_.Db().Select("Panels", site::Filter::Equals("Panel Number", p));
    EXPECT_FALSE(rows.empty()) << "no panel " << p;
    if (rows.empty()) return QVariant();
    return rows.front().values[doc_.Db().ColumnIndex("Panels", column)];
  }
  bool PanelFlag(int p, const QString& flag) { return site::CellBool(PanelCell(p, flag)); }
  // Names of the set flags of a family ("Prot", "Opt", "Psu") of panel p.
  QStringList SetFlags(int p, const QString& prefix, int count) {
    QStringList set;
    for (int i = 0; i < count; ++i) {
      if (PanelFlag(p, prefix + QString::number(i))) set << prefix + QString::number(i);
    }
    return set;
  }

  QStringList ChildTexts(int p) {
    QStringList texts;
    const site::TreeNode* node = tree_.PanelNode(p);
    if (node == nullptr) return {"<no panel node>"};
    for (const auto& child : node->children) texts << child->text;
    return texts;
  }
  QStringList PanelNodeTexts() {
    QStringList texts;
    for (const auto& node : tree_.Root()->children) texts << node->text;
    return texts;
  }
  QStringList TabCaptions() {
    QStringList captions;
    for (int i = 0; i < tabs_.Count(); ++i) captions << tabs_.Caption(i);
    return captions;
  }
  std::vector<int> OptionImages() {
    std::vector<int> images;
    for (const panel::ChoiceButton& b : form_.OptionButtons()) images.push_back(b.image);
    return images;
  }
  std::vector<int> SupplyImages() {
    std::vector<int> images;
    for (const panel::ChoiceButton& b : form_.PowerSupplyButtons()) images.push_back(b.image);
    return images;
  }

  site::SiteTreeModel& tree_;
  site::PanelTabsModel& tabs_;
  site::DetailViewModel& views_;
  panel::PanelFormModel& form_;
};

}  // namespace velmora::testing
