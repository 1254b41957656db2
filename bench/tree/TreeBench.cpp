// Run: tree_bench [--benchmark_filter=...]. The ratio of BM_TreeExpand to
// BM_QDirEntryInfoList is the figure that counts (at most 3); BM_ResyncAll
// must report zero insertions.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "tree/CTreeFileCtrl.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 20000;
constexpr int kFolders = 2000;

// <temp>/root/big with 20,000 files of a few types and 2,000 folders that
// each hold one file; <temp>/root50 with 50 folders of 100 files.
class Archive {
 public:
  Archive() {
    const std::string big = Root() + "/big";
    fs::create_directories(big);
    const char* types[] = {".pdf", ".tif", ".jpg", ".png"};
    for (int i = 0; i < kFiles; ++i)
      std::ofstream(big + "/Scan " + std::to_string(i) + types[i % 4]) << "x";
    for (int i = 0; i < kFolders; ++i) {
      const std::string folder = big + "/Folder " + std::to_string(i);
      fs::create_directory(folder);
      std::ofstream(folder + "/page.tif") << "x";
    }
    for (int i = 0; i < 50; ++i) {
      const std::string folder = Root50() + "/Year " + std::to_string(i);
      fs::create_directories(folder);
      for (int j = 0; j < 100; ++j)
        std::ofstream(folder + "/Doc " + std::to_string(j) + ".pdf") << "x";
    }
  }
  std::string Root() const { return dir_.path().toStdString() + "/root"; }
  std::string Root50() const { return dir_.path().toStdString() + "/root50"; }
  std::string Big() const { return Root() + "/big"; }

 private:
  QTemporaryDir dir_;
};

Archive& TheArchive() {
  static Archive archive;
  return archive;
}

void BM_QDirEntryInfoList(benchmark::State& state) {
  const QString folder = QString::fromStdString(TheArchive().Big());
  for (auto _ : state) {
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                                   QDir::DirsFirst | QDir::Name | QDir::IgnoreCase);
    benchmark::DoNotOptimize(entries.size());
  }
}
BENCHMARK(BM_QDirEntryInfoList)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

void BM_TreeExpand(benchmark::State& state) {
  CTreeFileCtrl tree;
  tree.SetRoot(TheArchive().Root());
  QTreeWidgetItem* big = tree.FindItemByPath(TheArchive().Big());
  for (auto _ : state) {
    big->setExpanded(true);
    state.PauseTiming();
    if (big->childCount() != kFiles + kFolders)
      state.SkipWithError("wrong number of children");
    big->setExpanded(false);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_TreeExpand)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

void BM_ResyncAll50ExpandedFolders(benchmark::State& state) {
  CTreeFileCtrl tree;
  tree.SetRoot(TheArchive().Root50());
  for (int i = 0; i < tree.topLevelItemCount(); ++i)
    tree.topLevelItem(i)->setExpanded(true);
  const long long before = tree.InsertedItemCount();
  for (auto _ : state)
    tree.ResyncAll();
  state.counters["insertions"] = static_cast<double>(tree.InsertedItemCount() - before);
}
BENCHMARK(BM_ResyncAll50ExpandedFolders)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  TheArchive();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
