#include "ui/loop_profile_view.h"

#include <gtest/gtest.h>

#include <QImage>

#include "support/profile_loops.h"
#include "widget_test.h"

namespace velmora::ui {
namespace {

class LoopProfileViewTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::EnsureApplication(); }
  void SetUp() override { view_.resize(760, 320); }

  // Hue of a pixel: blue for the curve fed from both ends, orange for the broken one.
  static int Hue(const QImage& image, QPointF at) {
    return QColor(image.pixel(at.toPoint())).hslHue();
  }

  LoopProfileView view_;
};

TEST_F(LoopProfileViewTest, NamesTheLoopsLowestVoltagesWeakestDeviceAndAdvisories) {
  view_.SetProfile(testing::DesignedLoop());
  const QStringList lines = view_.Summary().split('\n');
  ASSERT_EQ(lines.size(), 2);
  const electrical::VoltageProfile p = testing::DesignedLoop().profile;
  EXPECT_EQ(lines[0], QString("Lowest voltage %1 V fed from both ends, %2 V with the cable broken")
                          .arg(*p.LowestHealthy(), 0, 'f', 2)
                          .arg(*p.LowestBroken(), 0, 'f', 2));
  EXPECT_TRUE(
      lines[1].startsWith("Closest to its lowest operating voltage: Device 1 (OD - HV-OD220), "))
      << lines[1].toStdString();
  EXPECT_TRUE(lines[1].endsWith("V below it"));
  EXPECT_EQ(view_.Advisories(),
            QStringList{"Below the lowest operating voltage of a device with the cable broken"});
  // Shown elsewhere by the view's owner, the line of advisories leaves its room to the figure.
  const double below_the_line = view_.Plot().area.top();
  view_.SetAdvisoriesShown(false);
  EXPECT_LT(view_.Plot().area.top(), below_the_line);
  EXPECT_EQ(view_.Advisories().size(), 1);
  view_.SetAdvisoriesShown(true);

  view_.SetProfile(std::nullopt);
  EXPECT_FALSE(view_.Figure());
  EXPECT_EQ(view_.Summary(), "No voltage profile: the panel's protocol gives no lowest voltage");
  EXPECT_TRUE(view_.Advisories().isEmpty());
}

TEST_F(LoopProfileViewTest, ThePointerNamesTheDeviceUnderIt) {
  view_.SetProfile(testing::DesignedLoop());
  const reports::FigurePlot plot = view_.Plot();
  const reports::ProfileFigure& f = *view_.Figure();
  for (int device : {0, 12, 27, 39}) {
    const QPoint at = plot.At(f.distance[device], f.healthy[device]).toPoint();
    EXPECT_TRUE(view_.DeviceAt(at).startsWith(QString("Device %1 (").arg(device + 1)))
        << view_.DeviceAt(at).toStdString();
  }
  EXPECT_TRUE(view_.DeviceAt(QPoint(2, 2)).isEmpty());
}

TEST_F(LoopProfileViewTest, DrawsBothCurvesWhereTheDevicesAre) {
  electrical::LoopProfile loop = testing::DesignedLoop();
  view_.SetProfile(loop);
  QImage image(view_.size(), QImage::Format_RGB32);
  view_.render(&image);
  const reports::FigurePlot plot = view_.Plot();
  const reports::ProfileFigure& f = *view_.Figure();
  // Devices where the two curves lie apart: the healthy mark is blue, the broken one orange.
  for (int device : {10, 20, 30}) {
    EXPECT_NEAR(Hue(image, plot.At(f.distance[device], f.healthy[device])), 212, 10);
    EXPECT_NEAR(Hue(image, plot.At(f.distance[device], f.broken[device])), 30, 10);
  }
}

}  // namespace
}  // namespace velmora::ui
