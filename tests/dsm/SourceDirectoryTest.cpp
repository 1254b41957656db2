#include <gtest/gtest.h>

#include <QString>
#include <set>

#include "dsm/SourceDirectory.h"

namespace {

TEST(SourceDirectory, ProductNamesAreUniqueAndFitAnIdentity) {
  const std::vector<SaneDeviceInfo> devices = {
      {"test:0", "Noname", "frontend-tester virtual device", "virtual device"},
      {"test:1", "Noname", "frontend-tester virtual device", "virtual device"},
      {"test:2", "Noname", "frontend-tester virtual device", "virtual device"},
      {"usb:1", "", "", "scanner"},
      {"usb:2", "Ünïcödé Ünïcödé Ünïcödé", "Scanner", "scanner"},
  };
  const std::vector<std::string> names = MakeProductNames(devices);
  EXPECT_EQ(names[0], "Noname frontend-tester virtual d");
  EXPECT_EQ(names[1], "Noname frontend-tester virtu (2)");
  EXPECT_EQ(names[3], "usb:1");
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
  for (const std::string& name : names) {
    EXPECT_LE(name.size(), 32u);
    EXPECT_EQ(QString::fromUtf8(name.c_str()).toUtf8().toStdString(), name) << "split character";
  }
}

TEST(SourceDirectory, DeviceKeepsItsIdWhenTheListChanges) {
  SourceDirectory directory(10);
  directory.Update({{"b", "V", "M", ""}, {"a", "V", "M", ""}});
  const TW_UINT32 idOfB = directory.FindByDevice("b")->identity.Id;
  directory.Update({{"c", "V", "N", ""}, {"b", "V", "M", ""}});
  EXPECT_EQ(directory.FindByDevice("b")->identity.Id, idOfB);
  EXPECT_NE(directory.FindByDevice("c")->identity.Id, idOfB);
  EXPECT_EQ(directory.FindByDevice("a"), nullptr);
  EXPECT_EQ(directory.FindByProductName("V N")->device.name, "c");
}

TEST(SourceDirectory, ProvidedDeviceStandsInUntilTheListingAndKeepsItsId) {
  SourceDirectory directory(10);
  directory.Provide({"b", "V", "M", ""});
  EXPECT_FALSE(directory.IsListed());
  const TW_UINT32 provisional = directory.FindByDevice("b")->identity.Id;
  EXPECT_STREQ(directory.FindByDevice("b")->identity.ProductName, "V M");
  directory.Update({{"a", "V", "N", ""}, {"b", "V", "M", ""}});
  EXPECT_TRUE(directory.IsListed());
  EXPECT_EQ(directory.FindByDevice("b")->identity.Id, provisional);
  EXPECT_EQ(directory.Entries().size(), 2u);
}

}  // namespace
