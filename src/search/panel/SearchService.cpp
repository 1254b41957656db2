#include "search/panel/SearchService.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QMetaObject>
#include <algorithm>
#include <filesystem>
#include <utility>

#include "core/ThreadPriority.h"
#include "ocr/OrientationDetector.h"
#include "ocr/RecognitionLanguages.h"
#include "ocr/TextEngine.h"
#include "search/ArchiveIndex.h"
#include "search/DocumentRecognition.h"
#include "search/IndexLocation.h"

namespace {

constexpr int kChangeDelayMs = 1500;
constexpr int kProgressEveryMs = 100;

}  // namespace

// Lives in the index thread; owns the writing index. Between updates it
// recognises the documents that have no text, one per turn of its event loop
// so that updates are never held up for more than one document; `halt` (set
// while a scan runs, and when leaving) stops a recognition at once. Each page
// read is kept beside the index, so a halted document goes on from the next
// page, also after a restart.
class IndexWorker : public QObject {
  Q_OBJECT

 public:
  IndexWorker(std::shared_ptr<std::atomic<bool>> stopping, std::shared_ptr<std::atomic<bool>> halt,
              SearchService::Recognizers recognizers)
      : stopping_(std::move(stopping)),
        halt_(std::move(halt)),
        recognizers_(std::move(recognizers)) {}

  void Open(const std::string& root, const std::string& languages) {
    index_.reset();
    engine_.reset();
    languages_ = languages;
    if (!root.empty())
      index_ = std::make_unique<ArchiveIndex>(root, IndexFolderForArchive(root), languages);
    Update();
  }
  void Update() {
    if (!index_)
      return;
    // A few lines a second are enough to read; one per document would flood
    // the window's queue when thousands of small documents go by.
    QElapsedTimer sinceShown;
    sinceShown.start();
    index_->Update([&](int done, int total) {
      if (done == 0 || done == total || sinceShown.elapsed() >= kProgressEveryMs) {
        emit progress(done, total);
        sinceShown.restart();
      }
      return !stopping_->load();
    });
    emit finished();
    RecognizeSoon();
  }
  void Add(const std::string& path, const std::vector<std::string>& pageTexts) {
    if (!index_)
      return;
    // Without text in hand the file itself is read (its text layer, or it
    // waits for recognition), never indexed as having none.
    if (pageTexts.empty())
      Update();
    else
      Store(path, pageTexts);
  }
  void RecognizeSoon() {
    if (!recognitionQueued_) {
      recognitionQueued_ = true;
      QMetaObject::invokeMethod(this, &IndexWorker::RecognizeNext, Qt::QueuedConnection);
    }
  }

 signals:
  void progress(int done, int total);
  void finished();

 private:
  void RecognizeNext() {
    recognitionQueued_ = false;
    if (!index_ || halt_->load())
      return;
    const std::vector<std::string> waiting = index_->AwaitingRecognition(1);
    if (waiting.empty())
      return;
    // Asked every time: an engine that could not start would read every
    // page as empty, and the documents would be stored as having no text.
    if (!engine_)
      engine_ = recognizers_(languages_);
    if (!engine_ || !engine_->Start())
      return;  // no language data: the documents stay findable by name
    const std::string& path = waiting.front();
    const Stamp stamp = StampOf(path);
    std::vector<std::string> pages = index_->RecognizedSoFar(path);
    // Pages of a document that changed while it was read are of neither version.
    const auto unchanged = [&] { return StampOf(path) == stamp; };
    const bool read = RecognizeDocument(path, *engine_, *halt_, pages, [&](const auto& soFar) {
      if (unchanged())
        index_->KeepRecognizedSoFar(path, soFar);
    });
    if (!read)
      return;  // halted: goes on from the page it reached when the scan is over
    if (unchanged())
      Store(path, pages);
    RecognizeSoon();
  }

  void Store(const std::string& path, const std::vector<std::string>& pageTexts) {
    if (index_->IndexDocument(path, pageTexts))
      emit finished();
  }

  // Modification time and size: a document changed on disk is read afresh.
  using Stamp = std::pair<std::filesystem::file_time_type, std::uintmax_t>;
  static Stamp StampOf(const std::string& path) {
    std::error_code error;
    return {std::filesystem::last_write_time(path, error), std::filesystem::file_size(path, error)};
  }

  std::shared_ptr<std::atomic<bool>> stopping_;
  std::shared_ptr<std::atomic<bool>> halt_;
  std::unique_ptr<ArchiveIndex> index_;
  SearchService::Recognizers recognizers_;
  std::unique_ptr<PageRecognizer> engine_;
  std::string languages_;
  bool recognitionQueued_ = false;
};

// About a screenful of results.
constexpr int kFirstSnippets = 20;

// Lives in the query thread; owns a reading index of the same folder.
class QueryWorker : public QObject {
  Q_OBJECT

 public:
  explicit QueryWorker(std::shared_ptr<std::atomic<int>> latest) : latest_(std::move(latest)) {}

  void Open(const std::string& root, const std::string& languages) {
    index_.reset();
    if (!root.empty())
      index_ = std::make_unique<ArchiveIndex>(root, IndexFolderForArchive(root), languages);
  }
  void Search(int number, const SearchQuery& query) {
    if (number != latest_->load())
      return;  // the user typed on
    std::vector<SearchHit> hits;
    // Counting every match is a pass over all of them: done for the first
    // page of a query only, never for the pages after it.
    int total = -1;
    // Snippets are read from the documents themselves: a screenful first,
    // so the list shows at once, the rest after it unless the user typed on.
    SearchQuery first = query;
    first.snippets = std::min(query.snippets, kFirstSnippets);
    if (index_)
      hits = query.offset == 0 ? index_->Search(first, &total) : index_->Search(first);
    if (query.offset == 0 && total < 0)
      total = static_cast<int>(hits.size());
    if (number != latest_->load())
      return;
    const QString words = QString::fromStdString(query.words);
    emit found(words, query.offset, hits, total);
    if (hits.size() <= static_cast<std::size_t>(first.snippets))
      return;
    for (std::size_t i = first.snippets; i < hits.size(); ++i) {
      if (number != latest_->load())
        return;
      hits[i].snippet = index_->SnippetFor(hits[i], query);
    }
    emit snippetsFound(words, query.offset, hits);
  }

 signals:
  void found(const QString& words, int offset, const std::vector<SearchHit>& hits, int total);
  void snippetsFound(const QString& words, int offset, const std::vector<SearchHit>& hits);

 private:
  std::shared_ptr<std::atomic<int>> latest_;
  std::unique_ptr<ArchiveIndex> index_;
};

SearchService::SearchService(QObject* parent, Recognizers recognizers)
    : QObject(parent),
      latestQuery_(std::make_shared<std::atomic<int>>(0)),
      stopping_(std::make_shared<std::atomic<bool>>(false)),
      halt_(std::make_shared<std::atomic<bool>>(false)) {
  qRegisterMetaType<std::vector<SearchHit>>("std::vector<SearchHit>");
  qRegisterMetaType<SearchQuery>("SearchQuery");
  if (!recognizers)
    recognizers = [](const std::string& languages) -> std::unique_ptr<PageRecognizer> {
      const std::string data = RecognitionDataFolder();
      return std::make_unique<TextEngine>(data, languages, OrientationDetector::Shared(data));
    };
  indexer_ = new IndexWorker(stopping_, halt_, std::move(recognizers));
  indexer_->moveToThread(&indexThread_);
  connect(&indexThread_, &QThread::finished, indexer_, &QObject::deleteLater);
  connect(indexer_, &IndexWorker::progress, this, &SearchService::indexingProgress);
  connect(indexer_, &IndexWorker::finished, this, &SearchService::indexingFinished);
  searcher_ = new QueryWorker(latestQuery_);
  searcher_->moveToThread(&queryThread_);
  connect(&queryThread_, &QThread::finished, searcher_, &QObject::deleteLater);
  connect(searcher_, &QueryWorker::found, this, &SearchService::resultsReady);
  connect(searcher_, &QueryWorker::snippetsFound, this, &SearchService::snippetsReady);
  // Indexing and recognition yield to everything the user does: Qt's lowest
  // priority changes nothing for ordinary Linux threads, a nice value does.
  connect(&indexThread_, &QThread::started, [] { LowerThreadPriority(); });
  indexThread_.start(QThread::LowestPriority);
  queryThread_.start();
  changeDelay_.setSingleShot(true);
  changeDelay_.setInterval(kChangeDelayMs);
  connect(&changeDelay_, &QTimer::timeout, this, [this] {
    QMetaObject::invokeMethod(indexer_, [worker = indexer_] { worker->Update(); });
  });
}

SearchService::~SearchService() {
  Stop();
}

void SearchService::Stop() {
  stopping_->store(true);
  halt_->store(true);
  changeDelay_.stop();
  indexThread_.quit();
  queryThread_.quit();
  indexThread_.wait();
  queryThread_.wait();
}

void SearchService::SetArchive(const std::string& root, const std::string& languages) {
  QMetaObject::invokeMethod(
      searcher_, [worker = searcher_, root, languages] { worker->Open(root, languages); });
  QMetaObject::invokeMethod(
      indexer_, [worker = indexer_, root, languages] { worker->Open(root, languages); });
}

void SearchService::SetPaused(bool paused) {
  if (halt_->exchange(paused) && !paused)
    QMetaObject::invokeMethod(indexer_, [worker = indexer_] { worker->RecognizeSoon(); });
}

void SearchService::ArchiveChanged() {
  changeDelay_.start();
}

void SearchService::DocumentSaved(const std::string& path,
                                  const std::vector<std::string>& pageTexts) {
  QMetaObject::invokeMethod(indexer_,
                            [worker = indexer_, path, pageTexts] { worker->Add(path, pageTexts); });
}

void SearchService::Search(const SearchQuery& query) {
  const int number = ++*latestQuery_;
  QMetaObject::invokeMethod(searcher_,
                            [worker = searcher_, number, query] { worker->Search(number, query); });
}

void SearchService::SearchMore(const SearchQuery& query) {
  // Belongs to the query now shown: dropped as that is when the user types on.
  const int number = latestQuery_->load();
  QMetaObject::invokeMethod(searcher_,
                            [worker = searcher_, number, query] { worker->Search(number, query); });
}

void SearchService::WaitUntilIdle() {
  for (QThread* thread : {&indexThread_, &queryThread_}) {
    QObject* worker = thread == &indexThread_ ? static_cast<QObject*>(indexer_) : searcher_;
    QMetaObject::invokeMethod(
        worker, [] {}, Qt::BlockingQueuedConnection);
  }
}

#include "SearchService.moc"
