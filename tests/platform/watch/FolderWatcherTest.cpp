#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/watch/FolderWatcher.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class FolderWatcherTest : public ::testing::Test {
 protected:
  void SetUp() override { root_ = dir_.path().toStdString(); }

  std::unique_ptr<FolderWatcher> Watch(FolderWatcher::Options options = {}) {
    auto watcher = std::make_unique<FolderWatcher>(
        root_, options,
        [this] {
          ++notices_;
          return keepWatching_.load();
        },
        [this] { ready_ = true; });
    EXPECT_TRUE(WaitUntil([&] { return ready_.load(); }));
    return watcher;
  }
  template <typename Condition>
  static bool WaitUntil(Condition condition, std::chrono::milliseconds limit = 10s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
      if (std::chrono::steady_clock::now() > end)
        return false;
      std::this_thread::sleep_for(5ms);
    }
    return true;
  }
  void Touch(const std::string& relative) { std::ofstream(root_ + "/" + relative) << "x"; }

  QTemporaryDir dir_;
  std::string root_;
  std::atomic<int> notices_ = 0;
  std::atomic<bool> ready_ = false;
  std::atomic<bool> keepWatching_ = true;
};

TEST_F(FolderWatcherTest, OneNoticePerBurstOfChanges) {
  FolderWatcher::Options options;
  options.quietMilliseconds = 1000;  // generous: a loaded machine may pause the writer
  options.maxBurstMilliseconds = 10000;
  auto watcher = Watch(options);
  for (int i = 0; i < 50; ++i)
    Touch("file" + std::to_string(i));
  EXPECT_TRUE(WaitUntil([&] { return notices_.load() >= 1; }));
  std::this_thread::sleep_for(1200ms);
  // One notice, or two when a loaded machine pauses the writer past the quiet
  // time; never one per change.
  EXPECT_GE(notices_.load(), 1);
  EXPECT_LE(notices_.load(), 2);
}

TEST_F(FolderWatcherTest, FoldersBelowAndFoldersMadeLaterAreWatched) {
  fs::create_directories(root_ + "/a/b");
  auto watcher = Watch();
  Touch("a/b/deep.pdf");
  ASSERT_TRUE(WaitUntil([&] { return notices_.load() == 1; }));
  fs::create_directories(root_ + "/new/inner");
  ASSERT_TRUE(WaitUntil([&] { return notices_.load() == 2; }));
  Touch("new/inner/late.pdf");
  EXPECT_TRUE(WaitUntil([&] { return notices_.load() == 3; }));
}

TEST_F(FolderWatcherTest, FileChangesDoNotCountWhenOnlyFoldersAreWatched) {
  FolderWatcher::Options options;
  options.includeFiles = false;
  options.quietMilliseconds = 50;
  auto watcher = Watch(options);
  // A folder change is seen first, so the silence after the file change
  // below comes from the filter, not from a watcher that is not running.
  fs::create_directory(root_ + "/folder");
  ASSERT_TRUE(WaitUntil([&] { return notices_.load() == 1; }));
  Touch("file.pdf");
  Touch("folder/inner.pdf");
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(notices_.load(), 1);
}

TEST_F(FolderWatcherTest, BoundedWatchesCoverTheNearestFoldersFirst) {
  fs::create_directories(root_ + "/a/deep");
  FolderWatcher::Options options;
  options.maxWatchedFolders = 2;  // the root and "a"
  auto watcher = Watch(options);
  Touch("a/deep/unseen.pdf");
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(notices_.load(), 0);
  Touch("a/seen.pdf");
  EXPECT_TRUE(WaitUntil([&] { return notices_.load() == 1; }));
}

TEST_F(FolderWatcherTest, SymbolicLinksAreNotFollowed) {
  QTemporaryDir outside;
  fs::create_directory_symlink(outside.path().toStdString(), root_ + "/link");
  fs::create_directory_symlink(root_, root_ + "/loop");
  auto watcher = Watch();
  std::ofstream(outside.path().toStdString() + "/elsewhere.pdf") << "x";
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(notices_.load(), 0);
}

TEST_F(FolderWatcherTest, HandlerEndsTheWatchByReturningFalse) {
  keepWatching_ = false;
  auto watcher = Watch();
  Touch("one.pdf");
  ASSERT_TRUE(WaitUntil([&] { return notices_.load() == 1; }));
  Touch("two.pdf");
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(notices_.load(), 1);
}

TEST_F(FolderWatcherTest, StoppingIsImmediateEvenInTheMiddleOfABurst) {
  FolderWatcher::Options options;
  options.quietMilliseconds = 5000;
  options.maxBurstMilliseconds = 60000;
  auto watcher = Watch(options);
  Touch("burst.pdf");
  std::this_thread::sleep_for(50ms);
  const auto start = std::chrono::steady_clock::now();
  watcher.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  EXPECT_EQ(notices_.load(), 0);
}

TEST_F(FolderWatcherTest, MissingFolderEndsTheThreadQuietly) {
  root_ += "/missing";
  FolderWatcher watcher(
      root_, {}, [this] { return ++notices_, true; }, [this] { ready_ = true; });
  std::this_thread::sleep_for(100ms);
  watcher.Stop();
  EXPECT_FALSE(ready_.load());
  EXPECT_EQ(notices_.load(), 0);
}

TEST_F(FolderWatcherTest, DeletedRootIsReportedOnce) {
  auto watcher = Watch();
  fs::remove_all(root_);
  EXPECT_TRUE(WaitUntil([&] { return notices_.load() == 1; }));
}

}  // namespace
