#include "ui/about_form.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QTextEdit>

#include "i18n/messages.h"
#include "site/run_state.h"
#include "widget_test.h"

namespace velmora::ui {
namespace {

TEST(AboutFormTest, TheVersionLineFollowsTheApplicationTitle) {
  const struct {
    const char* title;
    const char* line;
  } cases[] = {{"Velmora 2.09", "V 2.09"},
               {"Velmora", "V "},
               {"", "V "},
               {"Velmora 3.1 beta", "V 3.1 beta"},
               {"Release7", "V 7"}};
  for (const auto& c : cases) EXPECT_EQ(TFormAbout::VersionLine(c.title), c.line) << c.title;
  EXPECT_EQ(TFormAbout::VersionLine("Velmora 2.09", "Version x"), "Ve2.09");
}

TEST(AboutFormTest, ShowsNameVersionDisclaimerAndAnUntickedSwitchThatFeedsTheRun) {
  testing::EnsureApplication();
  site::RunState state;
  TFormAbout about(site::kApplicationTitle, state);
  EXPECT_EQ(about.windowTitle(), "About Velmora");
  EXPECT_FALSE(about.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_EQ(about.findChild<QLabel*>("LabelProgramName")->text(), "Velmora by Pexmor");
  EXPECT_EQ(about.findChild<QLabel*>("LabelVersion")->text(), "V 2.09");
  EXPECT_EQ(about.findChild<QLabel*>("ImageProgramIcon")->pixmap().size(), QSize(32, 32));
  auto* text = about.findChild<QTextEdit*>("MemoDisclaimer");
  EXPECT_TRUE(text->isReadOnly());
  EXPECT_EQ(text->size(), QSize(450, 160));
  EXPECT_TRUE(text->toPlainText().contains(i18n::Text(i18n::Msg::kDisclaimer2)));

  auto* detail = about.findChild<QCheckBox*>("CheckBoxTechnicalDetail");
  // The switch says what it is and, in its tooltip, what it does.
  EXPECT_EQ(detail->text(), "Technical detail");
  EXPECT_TRUE(detail->toolTip().contains("voltage drop")) << detail->toolTip().toStdString();
  EXPECT_FALSE(detail->isChecked());
  detail->click();
  EXPECT_TRUE(state.TechnicalDetail());
  about.close();
  EXPECT_TRUE(state.TechnicalDetail());
  EXPECT_TRUE(detail->isChecked());
}

}  // namespace
}  // namespace velmora::ui
