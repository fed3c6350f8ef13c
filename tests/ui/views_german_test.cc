#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QTableView>

#include "i18n/tr.h"
#include "ui/device_details_form.h"
#include "ui/options_form.h"
#include "ui/output_details_form.h"
#include "ui/panel_details_form.h"
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

}  // namespace
}  // namespace velmora::ui
