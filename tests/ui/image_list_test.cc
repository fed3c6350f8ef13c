#include "ui/image_list.h"

#include <gtest/gtest.h>

#include <QImage>
#include <set>

#include "site/images.h"
#include "widget_test.h"

namespace velmora::ui {
namespace {

// How many pixels two pictures differ in.
int Difference(const QImage& a, const QImage& b) {
  int differing = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) differing += a.pixel(x, y) != b.pixel(x, y);
  }
  return differing;
}

TEST(ImageListTest, EveryRoleHasItsOwnPictureAndOtherPositionsNone) {
  testing::EnsureApplication();
  const std::set<int> roles = {site::kImageRoot,
                               site::kImageExpandAll,
                               site::kImageExpandPanelDetails,
                               site::kImageCollapseAll,
                               site::kImageCollapsePanelDetails,
                               site::kImagePanel,
                               site::kImageUnticked,
                               site::kImageTicked,
                               site::kImageNotAvailable,
                               site::kImageLoop,
                               site::kImageOutputs};
  for (int i = 0; i < ImageList::kCount; ++i) {
    EXPECT_EQ(ImageList::Has(i), roles.count(i) == 1) << i;
    if (ImageList::Has(i)) {
      EXPECT_EQ(ImageList::Pixmap(i).size(), QSize(16, 16)) << i;
    }
  }
  // No two roles look alike (a plus and a minus differ in a dozen pixels or so) ...
  for (int i : roles) {
    for (int j : roles) {
      if (i >= j) continue;
      EXPECT_GT(Difference(ImageList::Pixmap(i).toImage(), ImageList::Pixmap(j).toImage()), 10)
          << i << " " << j;
    }
  }
  // ... and the three states of a choice button differ in a good part of the box.
  const int states[] = {site::kImageUnticked, site::kImageTicked, site::kImageNotAvailable};
  for (int i : states) {
    for (int j : states) {
      if (i >= j) continue;
      EXPECT_GT(Difference(ImageList::Pixmap(i).toImage(), ImageList::Pixmap(j).toImage()), 25)
          << i << " " << j;
    }
  }
}

TEST(ImageListTest, TheProgramIconComesAtEverySizeAsked) {
  testing::EnsureApplication();
  for (int size : {16, 32, 48, 256}) EXPECT_EQ(ProgramPixmap(size).size(), QSize(size, size));
  EXPECT_FALSE(ProgramIcon().isNull());
}

}  // namespace
}  // namespace velmora::ui
