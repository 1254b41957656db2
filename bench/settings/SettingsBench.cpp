// Per-folder preferences against QSettings reading and writing the same INI
// file, and catalogue loading: what selecting a folder and finishing a
// document cost.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <fstream>
#include <string>

#include "settings/AppSettings.h"
#include "settings/DocumentSizeCatalogue.h"
#include "settings/PerFolderPreferences.h"

namespace {

const char* const kPreferences =
    "[Settings]\r\nRecurrenceType=15\r\nItemType=4\r\nRelationType=4\r\nIndexType=4\r\n"
    "LastDestination=Quarterly Invoice For 2012 Q4\r\nMultiPage=1\r\nRotateNinety=0\r\n"
    "DocumentSizeName=Statement (large)\r\nDocumentSizeWidth=8500\r\nDocumentSizeHeight=11000\r\n";

std::string MakeFolder(const QTemporaryDir& dir) {
  const std::string folder = dir.path().toStdString() + "/";
  std::ofstream(folder + "_defaults.ini", std::ios::binary) << kPreferences;
  return folder;
}

void LoadPreferences(benchmark::State& state) {
  QTemporaryDir dir;
  const std::string folder = MakeFolder(dir);
  for (auto _ : state)
    benchmark::DoNotOptimize(PerFolderPreferences(folder).ReadAll());
}
BENCHMARK(LoadPreferences);

void LoadWithQSettings(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = QString::fromStdString(MakeFolder(dir) + "_defaults.ini");
  for (auto _ : state) {
    QSettings ini(path, QSettings::IniFormat);
    ini.beginGroup("Settings");
    for (const char* key :
         {"RecurrenceType", "ItemType", "RelationType", "IndexType", "LastDestination", "MultiPage",
          "RotateNinety", "DocumentSizeName", "DocumentSizeWidth", "DocumentSizeHeight"}) {
      benchmark::DoNotOptimize(ini.value(key));
    }
  }
}
BENCHMARK(LoadWithQSettings);

void SavePreferences(benchmark::State& state) {
  QTemporaryDir dir;
  const std::string folder = MakeFolder(dir);
  for (auto _ : state) {
    const PerFolderPreferences preferences(folder);
    preferences.WriteFormat(preferences.ReadFormat());
    preferences.WriteLastDestination("Quarterly Invoice For 2013 Q1");
    preferences.WriteMultiPage(true);
    preferences.WriteRotateNinety(false);
    preferences.WriteDocumentSize(DocumentSize("Statement (large)", 8500, 11000));
  }
}
BENCHMARK(SavePreferences)->Unit(benchmark::kMillisecond);

void SaveAllPreferences(benchmark::State& state) {
  QTemporaryDir dir;
  const std::string folder = MakeFolder(dir);
  FolderChoices choices = PerFolderPreferences(folder).ReadAll();
  int turn = 0;
  for (auto _ : state) {
    choices.lastDestination = "Quarterly Invoice For " + std::to_string(++turn);
    PerFolderPreferences(folder).WriteAll(choices);
  }
}
BENCHMARK(SaveAllPreferences)->Unit(benchmark::kMillisecond);

void SaveWithQSettings(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = QString::fromStdString(MakeFolder(dir) + "_defaults.ini");
  int turn = 0;
  for (auto _ : state) {
    QSettings ini(path, QSettings::IniFormat);
    // The same ten keys the preferences write.
    for (const char* key : {"RecurrenceType", "ItemType", "RelationType", "IndexType", "MultiPage",
                            "RotateNinety", "DocumentSizeWidth", "DocumentSizeHeight"}) {
      ini.setValue(QString("Settings/") + key, turn);
    }
    ini.setValue("Settings/LastDestination", QString("Quarterly Invoice For %1").arg(++turn));
    ini.setValue("Settings/DocumentSizeName", "Statement (large)");
    ini.sync();
  }
}
BENCHMARK(SaveWithQSettings)->Unit(benchmark::kMillisecond);

// What the main window writes after every completed document, up to the
// file on disk (the object writes it when it goes).
void SaveAppSettings(benchmark::State& state) {
  int turn = 0;
  for (auto _ : state) {
    AppSettings settings;
    settings.SetShowScannerUi(false);
    settings.SetArchiveRootFolder("/srv/archive/");
    settings.SetViewAfterSaving(++turn % 2 == 0);
    settings.SetUseDefaultViewer(false);
    settings.SetUpdateDestinationAfterScanning(true);
    settings.SetUnits(Units::Centimeters);
    settings.SetFileFormatType(FileFormatType::Tiff);
    settings.SetPixelType(PixelType::ColorHigh);
    settings.SetResolution(200);
  }
}
BENCHMARK(SaveAppSettings)->Unit(benchmark::kMillisecond);

void LoadCatalogue(benchmark::State& state) {
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/DocumentSizes.txt";
  SaveDocumentSizes(DocumentSizeCatalogue(200, DocumentSize("Statement (large)", 8500, 11000)),
                    path);
  for (auto _ : state)
    benchmark::DoNotOptimize(LoadDocumentSizes(path));
}
BENCHMARK(LoadCatalogue);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  // Keep the user's own settings out of it.
  QTemporaryDir home;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path());
  QCoreApplication::setOrganizationName("Ferncastle");
  QCoreApplication::setApplicationName("DocketeerBench");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
