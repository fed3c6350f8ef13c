#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "catalogue/device_catalogue.h"
#include "catalogue/lookup.h"
#include "catalogue/panel_spec.h"
#include "support/test_home.h"

namespace velmora::catalogue {
namespace {

// The shipped catalogue opened the way the program opens it at start-up.
class ShippedCatalogueTest : public ::testing::Test {
 protected:
  ShippedCatalogueTest() {
    home_.CopyFromBuild("DBs/panel-upgrade.conf");
    catalogue_.OpenPanelSpec();
    catalogue_.OpenTranslation();
    catalogue_.OpenDefaultPanel();
    catalogue_.OpenDeviceCatalogue();
  }
  testing::TestHome home_;
  Catalogue catalogue_{home_.Folder()};
};

TEST_F(ShippedCatalogueTest, OpensWithoutProblemsAndOffersARealisticSite) {
  EXPECT_TRUE(catalogue_.UpgradeProblems().isEmpty())
      << catalogue_.UpgradeProblems().join("\n").toStdString();
  EXPECT_EQ(SalesChannels(catalogue_.PanelSpec()), QStringList({"Tarvik", "Halvo", "Mornax"}));
  EXPECT_EQ(catalogue_.BatteryCapacities(), QStringList({"7.2", "12", "18", "26", "45", "65"}));
  EXPECT_EQ(catalogue_.BatteryModels().size(), 6);
  EXPECT_EQ(catalogue_.DeviceCompat().Name(), "2000");
  EXPECT_FALSE(ListDeviceTypes(catalogue_).isEmpty());
  EXPECT_EQ(ProtocolOfKey(catalogue_.Translation(), "Prot3")->file, "Apollo");
  for (int protocol = 0; protocol < 4; ++protocol) {
    SCOPED_TRACE(protocol);
    SelectProtocolDeviceTable(catalogue_, protocol);
    EXPECT_GE(AllDevices(catalogue_).size(), 8u);
    for (const QString& type : ListDeviceTypes(catalogue_)) {
      EXPECT_FALSE(type.startsWith("MissingDev")) << type.toStdString();
      EXPECT_FALSE(ListDeviceSubTypes(catalogue_, type).isEmpty()) << type.toStdString();
    }
  }
}

}  // namespace
}  // namespace velmora::catalogue
