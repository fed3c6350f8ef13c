#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include "i18n/tr.h"
#include "ui/device_details_form.h"
#include "ui/options_form.h"
#include "ui/output_details_form.h"
#include "ui/panel_details_form.h"
#include "ui/site_details_form.h"
#include "ui/window_texts.h"
#include "views_fixture.h"

namespace velmora::ui {
namespace {

// Texts whose German is the English word itself.
const QStringList kSameInGerman = {"Name", "X", "OK"};

// The property views and the options dialog made in a German run.
class GermanViewsTest : public ViewsTest {
 protected:
  void SetUp() override {
    home_.CopyFromBuild("locale/de/LC_MESSAGES/default.mo");
    language_ = "de";
    ViewsTest::SetUp();
  }

  // Every text the window shows through the window texts, with its English source: shown in
  // German.
  void ExpectGerman(QWidget* window) {
    QList<QObject*> objects = window->findChildren<QObject*>();
    objects.prepend(window);
    int texts = 0;
    for (QObject* object : objects) {
      for (const char* property :
           {"velmoraText", "velmoraHint", "velmoraWindowTitle", "velmoraTabCaption"}) {
        const QVariant english = object->property(property);
        if (!english.isValid()) continue;
        ++texts;
        const QString source = english.toString();
        if (!kSameInGerman.contains(source)) {
          EXPECT_NE(i18n::Tr(source), source) << "no German for \"" << source.toStdString() << "\"";
        }
      }
      if (auto* view = qobject_cast<QTableView*>(object); view && view->model()) {
        for (int c = 0; c < view->model()->columnCount(); ++c) {
          if (view->isColumnHidden(c)) continue;
          const QString source =
              view->model()->headerData(c, Qt::Horizontal, kEnglishSourceRole).toString();
          ++texts;
          EXPECT_NE(view->model()->headerData(c, Qt::Horizontal).toString(), source)
              << "column title \"" << source.toStdString() << "\" in English";
        }
      }
    }
    EXPECT_GE(texts, 5) << window->objectName().toStdString();
  }
};

TEST_F(GermanViewsTest, EveryViewSpeaksGerman) {
  TFormPanelDetails panel(E());
  TFormDeviceDetails devices(E());
  TFormOutputDetails outputs(E());
  TFormOptions options(E());
  AddPanel();
  ClickNode(1, 1);
  ClickNode(1, -1);
  for (QWidget* window : std::initializer_list<QWidget*>{&panel, &devices, &outputs, &options})
    ExpectGerman(window);

  EXPECT_EQ(panel.windowTitle(), "Eigenschaften der Zentrale");
  EXPECT_EQ(panel.findChild<QLabel*>("LabelHousing")->text(), "Gehäuse");
  EXPECT_EQ(panel.findChild<QGroupBox*>("GroupBoxPowerSupply")->title(), "Netzteil");
  EXPECT_EQ(devices.findChild<QLabel*>("LabelCableSpec")->text(), "Kabelquerschnitt");
  EXPECT_EQ(options.findChild<QTabWidget*>("PageControlOptions")->tabText(2),
            "Ringleitungsvorgaben");
}

TEST_F(GermanViewsTest, TheSiteDateShowsInGermanAndADateTypedThereIsStoredAsTheDate) {
  TFormSiteDetails site(E());
  auto* date = site.findChild<QLineEdit*>("DBEditSiteDate");
  ASSERT_NE(date, nullptr);
  ASSERT_EQ(Do("set-site-field", {{"field", "SiteDate"}, {"value", "2025-01-02"}}).status,
            action::Status::kDone);
  EXPECT_EQ(date->text(), "02.01.2025");

  site.show();
  site.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&site));
  date->setFocus();
  ASSERT_TRUE(date->hasFocus());
  date->selectAll();
  QTest::keyClicks(date, "3.1.2025");
  EXPECT_EQ(Cell("Site", {}, "SiteDate").toString(), "2025-01-03");
  // What the user types stays as typed while it is stored key by key, though the row holds "3."
  // as the number 3 on the way.
  EXPECT_EQ(date->text(), "3.1.2025");
  EXPECT_EQ(date->cursorPosition(), date->text().size());
  // Leaving the field shows the date in the language's form.
  date->clearFocus();
  EXPECT_EQ(date->text(), "03.01.2025");

  // Half a date is kept as typed and shown so; completed, it is stored as the date.
  date->setFocus();
  date->selectAll();
  QTest::keyClicks(date, "4.1.20");
  EXPECT_EQ(date->text(), "4.1.20");
  QTest::keyClicks(date, "25");
  EXPECT_EQ(Cell("Site", {}, "SiteDate").toString(), "2025-01-04");
  date->clearFocus();
  EXPECT_EQ(date->text(), "04.01.2025");
}

}  // namespace
}  // namespace velmora::ui
