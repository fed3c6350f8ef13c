#include "ui/output_details_form.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <cmath>

#include "i18n/display_format.h"
#include "ui/editable_grid_model.h"
#include "views_fixture.h"

namespace velmora::ui {
namespace {

using site::Filter;

constexpr int kQuiescent = 2;
constexpr int kAlarm = 3;
const QString kExceeded = "System specification exceeded.";

// The outputs view of a new panel (VXP-4020: two outputs of 1000 mA, two of 500 mA).
class OutputDetailsFormTest : public ViewsTest {
 protected:
  void SetUp() override {
    ViewsTest::SetUp();
    view_ = std::make_unique<TFormOutputDetails>(E());
    view_->resize(800, 300);
    view_->show();
    AddPanel();
    ClickNode(1, -1);
    Settle();
  }
  void TearDown() override {
    view_.reset();
    ViewsTest::TearDown();
  }

  EditableGridModel* Model() { return view_->GridModel(); }
  QString Shown(int row, int column) {
    return Model()->data(Model()->index(row, column)).toString();
  }
  double Stored(int output, const char* column) {
    return Cell("Outputs", Filter::Equals("Panel", 1).And("OutputNumber", output), column)
        .toDouble();
  }

  std::unique_ptr<TFormOutputDetails> view_;
};

TEST_F(OutputDetailsFormTest, ShowsThePanelsOutputsInFourCentredColumns) {
  ASSERT_EQ(Model()->rowCount(), 4);
  EXPECT_EQ(Shown(0, 0), "Sounder Circuit 1");
  EXPECT_EQ(Shown(0, 1), "1000");
  EXPECT_EQ(Shown(3, 1), "500");
  const QStringList titles = {"Output", "Maximum Value (mA)", "Quiescent Current (mA)",
                              "Alarm Current (mA)"};
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(Model()->headerData(c, Qt::Horizontal).toString(), titles[c]);
    EXPECT_EQ(view_->Grid()->columnWidth(c), int(std::lround(800 * 0.24)));
  }
  EXPECT_TRUE(view_->Grid()->isColumnHidden(4));
  EXPECT_FALSE(Model()->flags(Model()->index(0, 1)) & Qt::ItemIsEditable);
  EXPECT_TRUE(Model()->flags(Model()->index(0, kAlarm)) & Qt::ItemIsEditable);
}

TEST_F(OutputDetailsFormTest, AValueAboveItsMaximumIsRefusedWithAWarning) {
  // Typed into the grid as the user does.
  const QModelIndex cell = Model()->index(3, kQuiescent);
  view_->Grid()->setCurrentIndex(cell);
  view_->Grid()->edit(cell);
  auto* editor = qobject_cast<QLineEdit*>(view_->Grid()->indexWidget(cell));
  ASSERT_NE(editor, nullptr);
  editor->selectAll();
  QTest::keyClicks(editor, "500");
  QTest::keyClick(editor, Qt::Key_Return);
  Settle();
  EXPECT_EQ(Stored(4, "QuiesentCurrent"), 500.0);  // equal to the maximum: accepted
  EXPECT_TRUE(prompter_.Warnings().isEmpty());

  ASSERT_TRUE(Model()->setData(Model()->index(3, kAlarm), "120"));
  // Too much is refused: the cell keeps what it had and the message names the output's limit.
  Model()->setData(Model()->index(3, kAlarm), "501");
  ASSERT_EQ(prompter_.Warnings().size(), 1);
  EXPECT_EQ(prompter_.Warnings()[0], kExceeded + "\nAuxiliary 24 V 2 carries at most 500 mA.");
  EXPECT_EQ(Stored(4, "AlarmCurrent"), 120.0);
  EXPECT_EQ(Stored(4, "QuiesentCurrent"), 500.0);
  EXPECT_EQ(Shown(3, kAlarm), "120");
  EXPECT_EQ(Shown(3, kQuiescent), "500");
}

TEST_F(OutputDetailsFormTest, ATextThatIsNoNumberIsRefused) {
  EXPECT_FALSE(Model()->setData(Model()->index(0, kQuiescent), "12,5x"));
  EXPECT_EQ(prompter_.Warnings(), QStringList({"'12,5x' is not a valid floating point value"}));
  EXPECT_EQ(Stored(1, "QuiesentCurrent"), 0.0);
}

TEST_F(OutputDetailsFormTest, NumbersAreShownAndTakenInTheFormOfTheLanguage) {
  const struct {
    const char* language;
    const char* typed;
    double stored;
    const char* shown;
  } cases[] = {{"de", "12,5", 12.5, "12,5"},
               {"de", "7.25", 7.25, "7,25"},  // the C form is taken too, never as 725
               {"en", "12.5", 12.5, "12.5"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.language) + " " + c.typed);
    i18n::SetDisplayLanguage(c.language);
    ASSERT_TRUE(Model()->setData(Model()->index(0, kQuiescent), c.typed));
    EXPECT_EQ(Stored(1, "QuiesentCurrent"), c.stored);
    EXPECT_EQ(Shown(0, kQuiescent), c.shown);
  }
  i18n::SetDisplayLanguage("en");
  EXPECT_TRUE(prompter_.Warnings().isEmpty()) << prompter_.Warnings().join("\n").toStdString();
}

}  // namespace
}  // namespace velmora::ui
