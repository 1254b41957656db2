#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <string>

#include "core/ContractError.h"
#include "settings/AppSettings.h"

namespace {

class AppSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { QSettings().clear(); }

  static void Store(const QString& key, const QVariant& value) { QSettings().setValue(key, value); }
  static QVariant Stored(const QString& key) { return QSettings().value(key); }

  AppSettings settings_;
};

TEST_F(AppSettingsTest, AFreshProfileReadsTheDefaults) {
  EXPECT_FALSE(settings_.GetShowScannerUi());
  EXPECT_EQ(settings_.GetResolution(), 200);
  EXPECT_EQ(settings_.GetPixelType(), PixelType::ColorHigh);
  EXPECT_EQ(settings_.GetFileFormatType(), FileFormatType::Tiff);
  EXPECT_TRUE(settings_.GetViewAfterSaving());
  EXPECT_FALSE(settings_.GetUseDefaultViewer());
  EXPECT_TRUE(settings_.GetUpdateDestinationAfterScanning());
  EXPECT_EQ(settings_.GetEstimatedSavingSpeed(), 1000000);
  EXPECT_EQ(settings_.GetEstimatedCombiningSpeed(), 100000);
  EXPECT_EQ(settings_.GetEstimatedExpandingSpeed(), 100000);

  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  EXPECT_EQ(settings_.GetArchiveRootFolder(), documents.toStdString() + "/Docketeer/");
  EXPECT_EQ(AppSettings::DefaultArchiveRootFolder(), settings_.GetArchiveRootFolder());
}

TEST_F(AppSettingsTest, ValuesWrittenAreReadBack) {
  settings_.SetResolution(600);
  settings_.SetPixelType(PixelType::Gray);
  settings_.SetFileFormatType(FileFormatType::PdfUncompressed);
  settings_.SetUnits(Units::Millimeters);
  settings_.SetViewAfterSaving(false);
  settings_.SetUseDefaultViewer(true);
  settings_.SetUpdateDestinationAfterScanning(false);
  settings_.SetEstimatedSavingSpeed(123);
  settings_.SetEstimatedCombiningSpeed(456);
  settings_.SetEstimatedExpandingSpeed(789);
  settings_.SetArchiveRootFolder("/srv/archive/");

  const AppSettings reread;
  EXPECT_EQ(reread.GetResolution(), 600);
  EXPECT_EQ(reread.GetPixelType(), PixelType::Gray);
  EXPECT_EQ(reread.GetFileFormatType(), FileFormatType::PdfUncompressed);
  // The stored numbers are the ones earlier versions wrote and read.
  EXPECT_EQ(Stored("Settings/PixelType").toInt(), 2);
  EXPECT_EQ(Stored("Settings/FileFormatType").toInt(), 7);
  EXPECT_EQ(reread.GetUnits(), Units::Millimeters);
  EXPECT_FALSE(reread.GetViewAfterSaving());
  EXPECT_TRUE(reread.GetUseDefaultViewer());
  EXPECT_FALSE(reread.GetUpdateDestinationAfterScanning());
  EXPECT_EQ(reread.GetEstimatedSavingSpeed(), 123);
  EXPECT_EQ(reread.GetEstimatedCombiningSpeed(), 456);
  EXPECT_EQ(reread.GetEstimatedExpandingSpeed(), 789);
  EXPECT_EQ(reread.GetArchiveRootFolder(), "/srv/archive/");
}

TEST_F(AppSettingsTest, WritesReachTheFileWhenTheObjectGoes) {
  {
    AppSettings settings;
    settings.SetResolution(600);
    settings.SetScannerOrigin("HP/Scanjet", ScannerOrigin::BottomRight);
  }
  QFile file(QSettings().fileName());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray text = file.readAll();
  EXPECT_TRUE(text.contains("[Settings]")) << text.toStdString();
  EXPECT_TRUE(text.contains("Resolution=600")) << text.toStdString();
  EXPECT_TRUE(text.contains("Origin=4")) << text.toStdString();
}

TEST_F(AppSettingsTest, ShowScannerUiIsWrittenButAlwaysReadsFalse) {
  settings_.SetShowScannerUi(true);
  EXPECT_EQ(Stored("Settings/ShowScannerUi").toInt(), 1);
  EXPECT_FALSE(settings_.GetShowScannerUi());
}

TEST_F(AppSettingsTest, BooleansReadAnyNonZeroAsTrueAndWriteOneOrZero) {
  Store("Settings/ViewAfterSaving", 0);
  Store("Settings/UseDefaultViewer", 7);
  Store("Settings/UpdateDestinationAfterScanning", -1);
  EXPECT_FALSE(settings_.GetViewAfterSaving());
  EXPECT_TRUE(settings_.GetUseDefaultViewer());
  EXPECT_TRUE(settings_.GetUpdateDestinationAfterScanning());
  settings_.SetUseDefaultViewer(settings_.GetUseDefaultViewer());
  EXPECT_EQ(Stored("Settings/UseDefaultViewer").toInt(), 1);
}

TEST_F(AppSettingsTest, UnusableStoredValuesReadAsTheirDefaults) {
  Store("Settings/Resolution", 123);    // not offered
  Store("Settings/PixelType", -1);      // not a pixel type
  Store("Settings/FileFormatType", 4);  // written by writers, never offered
  Store("Settings/Units", 3);           // not a unit
  Store("Settings/ViewAfterSaving", "yes please");
  Store("Settings/EstimatedSavingSpeed", "99999999999");
  Store("Settings/ArchiveRootFolder", "relative/folder");
  EXPECT_EQ(settings_.GetResolution(), 200);
  EXPECT_EQ(settings_.GetPixelType(), PixelType::ColorHigh);
  EXPECT_EQ(settings_.GetFileFormatType(), FileFormatType::Tiff);
  EXPECT_EQ(settings_.GetUnits(), DefaultUnits());
  EXPECT_TRUE(settings_.GetViewAfterSaving());
  EXPECT_EQ(settings_.GetEstimatedSavingSpeed(), 1000000);
  EXPECT_EQ(settings_.GetArchiveRootFolder(), AppSettings::DefaultArchiveRootFolder());
  Store("Settings/ArchiveRootFolder", "");
  EXPECT_EQ(settings_.GetArchiveRootFolder(), AppSettings::DefaultArchiveRootFolder());
}

TEST_F(AppSettingsTest, NumbersBeyondEitherEnumerationReadAsTheDefaults) {
  struct Row {
    int pixelType;
    int fileFormatType;
  };
  for (const Row row : {Row{4, 8}, Row{-1, -1}, Row{2147483647, -2147483647 - 1}}) {
    Store("Settings/PixelType", row.pixelType);
    Store("Settings/FileFormatType", row.fileFormatType);
    EXPECT_EQ(settings_.GetPixelType(), PixelType::ColorHigh) << row.pixelType;
    EXPECT_EQ(settings_.GetFileFormatType(), FileFormatType::Tiff) << row.fileFormatType;
  }
}

TEST_F(AppSettingsTest, ArchiveRootAlwaysEndsInASeparator) {
  Store("Settings/ArchiveRootFolder", "/srv/archive");
  EXPECT_EQ(settings_.GetArchiveRootFolder(), "/srv/archive/");
}

TEST_F(AppSettingsTest, AnArchiveRootWhoseNameIsNotUtf8KeepsItsBytes) {
  for (const std::string root : {"/srv/\xff\xfe-archive/", "/srv/Arch\xc3\xafv/"}) {
    settings_.SetArchiveRootFolder(root);
    EXPECT_EQ(AppSettings().GetArchiveRootFolder(), root);
  }
  // A UTF-8 root stays text, as earlier versions stored and read it.
  EXPECT_EQ(Stored("Settings/ArchiveRootFolder").typeId(), QMetaType::QString);
}

TEST_F(AppSettingsTest, UnitsDefaultFollowsTheLocaleOnEveryRead) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(settings_.GetUnits(), Units::Inches);
  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  EXPECT_EQ(settings_.GetUnits(), Units::Centimeters);
  QLocale::setDefault(saved);
}

TEST_F(AppSettingsTest, OfferedLists) {
  EXPECT_EQ(AppSettings::OfferedResolutions(),
            (std::vector<std::int32_t>{75, 100, 150, 200, 300, 600, 1200, 2400, 4800, 9600}));
  std::vector<std::int32_t> pixelTypes;
  for (const PixelType pixelType : AppSettings::OfferedPixelTypes())
    pixelTypes.push_back(PixelTypeValue(pixelType));
  EXPECT_EQ(pixelTypes, (std::vector<std::int32_t>{3, 2, 1, 0}));
  std::vector<std::int32_t> formats;
  for (const FileFormatType format : AppSettings::OfferedFileFormatTypes())
    formats.push_back(FileFormatTypeValue(format));
  EXPECT_EQ(formats, (std::vector<std::int32_t>{0, 1, 2, 3, 5, 6, 7}));
  EXPECT_EQ(AppSettings::OfferedNameFormats(), PredefinedFormats());
}

class FakeDataSource : public IDataSourceSize {
 public:
  explicit FakeDataSource(ScanAreaSize size) : size_(size) {}
  ScanAreaSize GetDataSourceSize() override {
    ++calls;
    return size_;
  }
  int calls = 0;

 private:
  ScanAreaSize size_;
};

TEST_F(AppSettingsTest, ScanAreaAsksTheSourceOnceTheOriginIsKnownAndRemembersIt) {
  FakeDataSource source({8500, 14000});
  EXPECT_EQ(settings_.GetScanArea("Flatbed 3000", source), (ScanAreaSize{8500, 11693}));
  EXPECT_EQ(source.calls, 0);

  settings_.SetScannerOrigin("Flatbed 3000", ScannerOrigin::TopRight);
  EXPECT_EQ(settings_.GetScannerOrigin("Flatbed 3000"), ScannerOrigin::TopRight);
  EXPECT_EQ(settings_.GetScanArea("Flatbed 3000", source), (ScanAreaSize{8500, 14000}));
  EXPECT_EQ(settings_.GetScanArea("Flatbed 3000", source), (ScanAreaSize{8500, 14000}));
  EXPECT_EQ(source.calls, 1);
  EXPECT_EQ(Stored("Flatbed 3000/Width").toInt(), 8500);
  EXPECT_EQ(Stored("Flatbed 3000/Height").toInt(), 14000);
}

TEST_F(AppSettingsTest, ScanAreaUsesAStoredAreaOnlyWhenBothSidesAreKnown) {
  FakeDataSource source({1000, 1000});
  Store("Scanner/Width", 9000);
  EXPECT_EQ(settings_.GetScanArea("Scanner", source), AppSettings::DefaultScanArea());
  Store("Scanner/Height", 12000);
  EXPECT_EQ(settings_.GetScanArea("Scanner", source), (ScanAreaSize{9000, 12000}));
  EXPECT_EQ(source.calls, 0);
}

TEST_F(AppSettingsTest, ScanAreaIgnoresAnEmptySizeFromTheSource) {
  FakeDataSource source({0, 0});
  settings_.SetScannerOrigin("Scanner", ScannerOrigin::BottomLeft);
  EXPECT_EQ(settings_.GetScanArea("Scanner", source), AppSettings::DefaultScanArea());
  EXPECT_FALSE(Stored("Scanner/Width").isValid());
}

TEST_F(AppSettingsTest, WithoutAScannerNothingIsTouched) {
  FakeDataSource source({1, 1});
  settings_.SetScannerOrigin("", ScannerOrigin::TopLeft);
  EXPECT_EQ(settings_.GetScannerOrigin(""), ScannerOrigin::Unknown);
  EXPECT_EQ(settings_.GetScanArea("", source), AppSettings::DefaultScanArea());
  EXPECT_EQ(source.calls, 0);
  EXPECT_EQ(QSettings().allKeys(), QStringList());
}

TEST_F(AppSettingsTest, EveryScannerNameStaysOneGroup) {
  const std::string names[] = {"HP/Scanjet 200", "Canon\\LiDE", "50% off/\\", "Settings"};
  for (int i = 0; i < 4; ++i) {
    settings_.SetScannerOrigin(names[i], static_cast<ScannerOrigin>(i + 1));
  }
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(settings_.GetScannerOrigin(names[i]), static_cast<ScannerOrigin>(i + 1)) << names[i];
  }
  EXPECT_EQ(QSettings().childGroups().size(), 4);
  EXPECT_NE(AppSettings::ScannerGroupName("a/b"), AppSettings::ScannerGroupName("a\\b"));
  EXPECT_NE(AppSettings::ScannerGroupName("a%2Fb"), AppSettings::ScannerGroupName("a/b"));
}

TEST_F(AppSettingsTest, UnknownOriginValuesReadAsUnknown) {
  Store("Scanner/Origin", 9);
  EXPECT_EQ(settings_.GetScannerOrigin("Scanner"), ScannerOrigin::Unknown);
}

}  // namespace
