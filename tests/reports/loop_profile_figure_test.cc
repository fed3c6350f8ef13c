#include "reports/loop_profile_figure.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "gui_application.h"
#include "support/profile_loops.h"

namespace velmora::reports {
namespace {

class ProfileFigureTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { EnsureGuiApplication(); }
};

ProfileFigure Designed() { return FigureOf(testing::DesignedLoop()); }

// A loop without devices: axes, legend and a note.
ProfileFigure Empty() {
  ProfileFigure f;
  f.length = 300;
  f.supply_v = 20;
  f.lumped_u = 20;
  return f;
}

TEST_F(ProfileFigureTest, TakesTheProfileAndTheDevicesMinimums) {
  const electrical::LoopProfile loop = testing::DesignedLoop();
  const ProfileFigure f = FigureOf(loop);
  EXPECT_EQ(f.distance, loop.profile.distance);
  EXPECT_EQ(f.broken, loop.profile.broken);
  EXPECT_EQ(f.break_gap, loop.profile.break_gap);
  ASSERT_EQ(f.lowest_v.size(), loop.input.devices.size());
  EXPECT_EQ(f.lowest_v[27], 16.0);  // the first call point
  EXPECT_EQ(f.weakest, loop.profile.weakest);
}

TEST_F(ProfileFigureTest, TravelsThroughAPrintStoreCell) {
  ProfileFigure f = Designed();
  f.lowest_v[3] = 0;
  const std::optional<ProfileFigure> back = FigureFromText(FigureText(f));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->length, f.length);
  EXPECT_NEAR(back->lumped_u, f.lumped_u, 1e-8);
  EXPECT_EQ(back->break_gap, f.break_gap);
  EXPECT_EQ(back->break_at, f.break_at);
  EXPECT_EQ(back->weakest, f.weakest);
  ASSERT_EQ(back->distance.size(), f.distance.size());
  // Ten significant digits are more than any figure shows.
  for (std::size_t i = 0; i < f.distance.size(); ++i) {
    EXPECT_NEAR(back->distance[i], f.distance[i], 1e-6);
    EXPECT_NEAR(back->healthy[i], f.healthy[i], 1e-8);
    EXPECT_NEAR(back->broken[i], f.broken[i], 1e-8);
    EXPECT_EQ(back->lowest_v[i], f.lowest_v[i]);
  }
  const std::optional<ProfileFigure> empty = FigureFromText(FigureText(ProfileFigure{}));
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->distance.empty());
}

TEST_F(ProfileFigureTest, NumbersAreWrittenInTheGeneralFormatWithTenDigits) {
  const std::pair<double, const char*> cases[] = {
      {0.0, "0"},      {-0.0, "-0"},
      {17.0, "17"},    {-3.0, "-3"},
      {300.0, "300"},  {9999999999.0, "9999999999"},
      {1e10, "1e+10"}, {-1e10, "-1e+10"},
      {12.5, "12.5"},  {26.911789662345, "26.91178966"},
      {1e-5, "1e-05"}, {123456789012.0, "1.23456789e+11"}};
  for (const auto& [value, text] : cases) {
    ProfileFigure f;
    f.length = value;
    EXPECT_EQ(FigureText(f).section(';', 1, 1), text) << value;
  }
}

TEST_F(ProfileFigureTest, RefusesATextThatIsNoFigure) {
  const QString good = "profile1;100;20;19;1;100;0;1;50,19.5,19,17";
  ASSERT_TRUE(FigureFromText(good));
  for (const char* bad :
       {"", "profile1", "figure;100;20;19;1;100;0;1;50,19.5,19,17",
        "profile1;100;20;19;1;100;0;2;50,19.5,19,17", "profile1;100;20;19;1;100;0;1;50,19.5,19",
        "profile1;100;20;19;1;100;0;1;50,19.5,x,17", "profile1;nan;20;19;1;100;0;1;50,19.5,19,17",
        "profile1;100;inf;19;1;100;0;1;50,19.5,19,17", "profile1;100;20;19;2;100;0;1;50,19.5,19,17",
        "profile1;100;20;19;1;100;1;1;50,19.5,19,17", "profile1;100;20;19;1;100;0;-1",
        "profile1;100;20;19;1;100;0;99999999999;50,19.5,19,17"}) {
    EXPECT_FALSE(FigureFromText(bad)) << bad;
  }
}

TEST_F(ProfileFigureTest, EveryCurvePointLiesInThePlot) {
  ProfileFigure far_check = Designed();
  far_check.lumped_u = 3.5;  // a loop the check finds far too long
  ProfileFigure high_minimum = Designed();
  high_minimum.lowest_v[0] = 21;  // a device that needs more than the protocol gives
  QImage image(800, 300, QImage::Format_ARGB32_Premultiplied);
  for (const ProfileFigure& f : {Designed(), far_check, high_minimum}) {
    for (FigureSize size : {FigureSize::kScreen, FigureSize::kCompact}) {
      const FigurePlot plot = PlotOf(f, QRectF(10, 10, 780, 280), size, &image);
      const QRectF area = plot.area.adjusted(-1e-6, -1e-6, 1e-6, 1e-6);
      ASSERT_TRUE(QRectF(10, 10, 780, 280).contains(plot.area));
      for (std::size_t i = 0; i < f.distance.size(); ++i) {
        EXPECT_TRUE(area.contains(plot.At(f.distance[i], f.healthy[i])));
        EXPECT_TRUE(area.contains(plot.At(f.distance[i], f.broken[i])));
        EXPECT_TRUE(area.contains(plot.At(f.distance[i], f.lowest_v[i])));
      }
      EXPECT_TRUE(area.contains(plot.At(0, f.supply_v)));
      EXPECT_TRUE(area.contains(plot.At(f.length, f.lumped_u)));
      EXPECT_NEAR(plot.DistanceAt(plot.At(f.break_at, 10).x()), f.break_at, 1e-9);
    }
  }
}

TEST_F(ProfileFigureTest, TicksAreRoundStepsWrittenExactly) {
  struct Case {
    double x0, x1, v0, v1, width, height;
    std::vector<QString> distances, voltages;
  };
  const Case cases[] = {
      {0,
       1040,
       15.8,
       20.3,
       600,
       90,
       {"0", "200", "400", "600", "800", "1000"},
       {"16", "17", "18", "19", "20"}},
      {0, 10, 12.1, 20.6, 150, 80, {"0", "5", "10"}, {"12.5", "15.0", "17.5", "20.0"}},
      {0, 1.2, 19.93, 20.05, 200, 60, {"0.0", "0.5", "1.0"}, {"19.95", "20.00", "20.05"}},
  };
  for (const Case& c : cases) {
    FigurePlot plot;
    plot.area = QRectF(0, 0, c.width, c.height);
    plot.x0 = c.x0;
    plot.x1 = c.x1;
    plot.v0 = c.v0;
    plot.v1 = c.v1;
    std::vector<QString> distances;
    for (const AxisTick& t : DistanceTicks(plot)) distances.push_back(t.label);
    std::vector<QString> voltages;
    for (const AxisTick& t : VoltageTicks(plot)) voltages.push_back(t.label);
    EXPECT_EQ(distances, c.distances);
    EXPECT_EQ(voltages, c.voltages);
  }
}

// How many pixels of an image are not white, inside and outside a rectangle.
std::pair<int, int> Painted(const QImage& image, const QRect& inside) {
  int in = 0;
  int out = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) == qRgb(255, 255, 255)) continue;
      ++(inside.contains(x, y) ? in : out);
    }
  }
  return {in, out};
}

TEST_F(ProfileFigureTest, PaintsOnlyInsideItsRectangle) {
  struct Canvas {
    QSize size;
    int dpi;
  };
  for (const ProfileFigure& f : {Designed(), Empty()}) {
    for (FigureSize size : {FigureSize::kScreen, FigureSize::kCompact}) {
      // Narrow rectangles wrap the legend; 150 dpi is a report page's preview.
      for (const Canvas& c :
           {Canvas{{700, 300}, 96}, Canvas{{260, 200}, 96}, Canvas{{1100, 360}, 150}}) {
        QImage image(c.size, QImage::Format_RGB32);
        image.setDotsPerMeterX(int(c.dpi / 0.0254));
        image.setDotsPerMeterY(int(c.dpi / 0.0254));
        image.fill(Qt::white);
        const QRect inside = image.rect().adjusted(20, 15, -20, -15);
        {
          QPainter p(&image);
          PaintProfileFigure(p, QRectF(inside), f, size);
        }
        const auto [in, out] = Painted(image, inside);
        EXPECT_GT(in, 1000);
        EXPECT_EQ(out, 0) << c.size.width() << "x" << c.size.height() << " at " << c.dpi;
      }
    }
  }
}

}  // namespace
}  // namespace velmora::reports
