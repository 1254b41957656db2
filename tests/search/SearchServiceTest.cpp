// The window's search service recognises documents without text in the
// background: it yields to a scan and goes on where it stopped, also after
// the program was closed part way through a document.
#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "SearchableDocuments.h"
#include "ocr/PageRecognizer.h"
#include "search/ArchiveIndex.h"
#include "search/IndexLocation.h"
#include "search/panel/SearchService.h"

namespace {

using namespace std::chrono_literals;

constexpr int kPageWidth = 40;
constexpr auto kPatience = 60s;
const char* const kWords[] = {"", "orchard", "quarterly", "greenhouse", "harvest"};

// A TIFF of the pages `first` to `last`; page n is n times kPageWidth pixels wide.
bool WritePages(const std::string& tiff, int first, int last, const QTemporaryDir& scratch) {
  std::vector<std::string> files;
  for (int page = first; page <= last; ++page) {
    QImage image(page * kPageWidth, 60, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    files.push_back(scratch.filePath(QString("page%1.png").arg(page)).toStdString());
    if (!image.save(QString::fromStdString(files.back())))
      return false;
  }
  return WriteTiffDocument(tiff, files);
}

// What the fake engines were asked, shared with the test's thread.
struct Requests {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<int> pages;
  int whileStopped = 0;
  int holdPage = 0;  // this page is read only once the engine is stopped or released
  bool released = false;
  bool startFails = false;  // as without the language's data

  bool WaitFor(std::size_t count) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, kPatience, [&] { return pages.size() >= count; });
  }
  std::vector<int> Pages() {
    std::lock_guard lock(mutex);
    return pages;
  }
  void Release() {
    std::lock_guard lock(mutex);
    holdPage = 0;
    released = true;
  }
  bool Released() {
    std::lock_guard lock(mutex);
    return released;
  }
};

// Tells a page by its width and reads it as one word; counts what it was asked.
class FakeEngine : public PageRecognizer {
 public:
  explicit FakeEngine(std::shared_ptr<Requests> requests) : requests_(std::move(requests)) {}
  bool Start() override {
    std::lock_guard lock(requests_->mutex);
    return !requests_->startFails;
  }
  PageTextResult Recognize(const std::string& pageFile, int,
                           const std::atomic<bool>& stop) override {
    const int page = QImageReader(QString::fromStdString(pageFile)).size().width() / kPageWidth;
    bool hold = false;
    {
      std::lock_guard lock(requests_->mutex);
      requests_->whileStopped += stop.load() ? 1 : 0;
      requests_->pages.push_back(page);
      hold = page == requests_->holdPage;
    }
    requests_->changed.notify_all();
    PageTextResult result;
    if (hold) {
      // As a long page would: a stop ends it without text.
      for (auto until = std::chrono::steady_clock::now() + kPatience;
           !stop.load() && !requests_->Released() && std::chrono::steady_clock::now() < until;)
        std::this_thread::sleep_for(5ms);
      if (stop.load())
        return result;
    }
    result.recognized = page >= 1 && page <= 4;
    if (result.recognized)
      result.text.words.push_back(RecognizedWord{kWords[page]});
    return result;
  }

 private:
  std::shared_ptr<Requests> requests_;
};

class SearchServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = archive_.path().toStdString();
    tiff_ = root_ + "/Letters.tif";
  }

  std::unique_ptr<SearchService> Start(const std::shared_ptr<Requests>& requests) {
    auto service = std::make_unique<SearchService>(
        nullptr, [requests](const std::string&) { return std::make_unique<FakeEngine>(requests); });
    service->SetArchive(root_, "eng");
    return service;
  }

  // Lets the work queued until now run, and the work that queues in turn.
  static void Settle(SearchService& service) {
    service.WaitUntilIdle();
    service.WaitUntilIdle();
  }

  // The page each page's word is found on (0: nowhere), read once the service is gone.
  std::vector<int> PagesFound() {
    ArchiveIndex index(root_, IndexFolderForArchive(root_), "eng");
    EXPECT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
    EXPECT_TRUE(index.AwaitingRecognition(10).empty());
    std::vector<int> found;
    for (int page = 1; page <= 4; ++page) {
      SearchQuery query;
      query.words = kWords[page];
      const auto hits = index.Search(query);
      found.push_back(hits.size() == 1 ? hits[0].page : 0);
    }
    return found;
  }

  QTemporaryDir archive_;
  QTemporaryDir scratch_;
  std::string root_;
  std::string tiff_;
};

TEST_F(SearchServiceTest, ARecognitionClosedPartWayGoesOnFromTheNextPageAfterARestart) {
  ASSERT_TRUE(WritePages(tiff_, 1, 4, scratch_));
  auto first = std::make_shared<Requests>();
  first->holdPage = 3;
  {
    auto service = Start(first);
    ASSERT_TRUE(first->WaitFor(3));
  }  // the program closes while page 3 is read
  EXPECT_EQ(first->Pages(), (std::vector<int>{1, 2, 3}));
  {
    // What was read is kept but not searched: the document still waits.
    ArchiveIndex index(root_, IndexFolderForArchive(root_), "eng");
    ASSERT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
    EXPECT_EQ(index.AwaitingRecognition(10), std::vector<std::string>{tiff_});
    SearchQuery query;
    query.words = "orchard";
    EXPECT_TRUE(index.Search(query).empty());
  }

  auto second = std::make_shared<Requests>();
  {
    auto service = Start(second);
    ASSERT_TRUE(second->WaitFor(2));
    service->WaitUntilIdle();  // the document is stored
  }
  EXPECT_EQ(second->Pages(), (std::vector<int>{3, 4}));
  EXPECT_EQ(PagesFound(), (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(SearchServiceTest, APauseHoldsRecognitionUntilItEnds) {
  ASSERT_TRUE(WritePages(tiff_, 1, 3, scratch_));
  auto requests = std::make_shared<Requests>();
  requests->holdPage = 2;
  auto service = Start(requests);
  ASSERT_TRUE(requests->WaitFor(2));
  service->SetPaused(true);  // a scan starts while page 2 is read
  // A document saved during the scan brings an update, which must not start
  // recognition either.
  service->DocumentSaved(tiff_, {});
  Settle(*service);
  EXPECT_EQ(requests->Pages(), (std::vector<int>{1, 2}));
  requests->Release();
  service->SetPaused(false);
  ASSERT_TRUE(requests->WaitFor(4));
  service->WaitUntilIdle();
  service.reset();
  EXPECT_EQ(requests->Pages(), (std::vector<int>{1, 2, 2, 3}));
  EXPECT_EQ(requests->whileStopped, 0);
  EXPECT_EQ(PagesFound(), (std::vector<int>{1, 2, 3, 0}));
}

// A document rewritten while it is read: the text read is of neither version
// and is dropped; the new version is read from its first page.
TEST_F(SearchServiceTest, ADocumentChangedWhileReadIsReadAgain) {
  ASSERT_TRUE(WritePages(tiff_, 1, 2, scratch_));
  auto requests = std::make_shared<Requests>();
  requests->holdPage = 2;
  auto service = Start(requests);
  ASSERT_TRUE(requests->WaitFor(2));
  ASSERT_TRUE(WritePages(tiff_, 3, 4, scratch_));
  requests->Release();
  ASSERT_TRUE(requests->WaitFor(4));
  service->WaitUntilIdle();
  service.reset();
  EXPECT_EQ(requests->Pages(), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(PagesFound(), (std::vector<int>{0, 0, 1, 2}));
}

// Without the language's data nothing is read, however often recognition is
// tried again, and the document keeps waiting rather than being stored empty.
TEST_F(SearchServiceTest, AnEngineThatCannotStartLeavesDocumentsWaiting) {
  ASSERT_TRUE(WritePages(tiff_, 1, 2, scratch_));
  auto requests = std::make_shared<Requests>();
  requests->startFails = true;
  auto service = Start(requests);
  Settle(*service);
  service->DocumentSaved(tiff_, {});
  Settle(*service);
  service.reset();
  EXPECT_TRUE(requests->Pages().empty());
  ArchiveIndex index(root_, IndexFolderForArchive(root_), "eng");
  EXPECT_EQ(index.AwaitingRecognition(10), std::vector<std::string>{tiff_});
}

}  // namespace
