#include "search/panel/SearchService.h"

#include <QEventLoop>
#include <QMetaObject>

#include "search/ArchiveIndex.h"
#include "search/IndexLocation.h"

namespace {

constexpr int kChangeDelayMs = 1500;

}  // namespace

// Lives in the index thread; owns the writing index.
class IndexWorker : public QObject {
  Q_OBJECT

 public:
  explicit IndexWorker(std::shared_ptr<std::atomic<bool>> stopping)
      : stopping_(std::move(stopping)) {}

  void Open(const std::string& root, const std::string& languages) {
    index_.reset();
    if (!root.empty())
      index_ = std::make_unique<ArchiveIndex>(root, IndexFolderForArchive(root), languages);
    Update();
  }
  void Update() {
    if (!index_)
      return;
    index_->Update([this](int done, int total) {
      emit progress(done, total);
      return !stopping_->load();
    });
    emit finished();
  }
  void Add(const std::string& path, const std::vector<std::string>& pageTexts) {
    if (index_ && index_->IndexDocument(path, pageTexts))
      emit finished();
  }

 signals:
  void progress(int done, int total);
  void finished();

 private:
  std::shared_ptr<std::atomic<bool>> stopping_;
  std::unique_ptr<ArchiveIndex> index_;
};

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
    if (index_)
      hits = index_->Search(query);
    if (number == latest_->load())
      emit found(QString::fromStdString(query.words), hits);
  }

 signals:
  void found(const QString& words, const std::vector<SearchHit>& hits);

 private:
  std::shared_ptr<std::atomic<int>> latest_;
  std::unique_ptr<ArchiveIndex> index_;
};

SearchService::SearchService(QObject* parent)
    : QObject(parent),
      latestQuery_(std::make_shared<std::atomic<int>>(0)),
      stopping_(std::make_shared<std::atomic<bool>>(false)) {
  qRegisterMetaType<std::vector<SearchHit>>("std::vector<SearchHit>");
  qRegisterMetaType<SearchQuery>("SearchQuery");
  indexer_ = new IndexWorker(stopping_);
  indexer_->moveToThread(&indexThread_);
  connect(&indexThread_, &QThread::finished, indexer_, &QObject::deleteLater);
  connect(indexer_, &IndexWorker::progress, this, &SearchService::indexingProgress);
  connect(indexer_, &IndexWorker::finished, this, &SearchService::indexingFinished);
  searcher_ = new QueryWorker(latestQuery_);
  searcher_->moveToThread(&queryThread_);
  connect(&queryThread_, &QThread::finished, searcher_, &QObject::deleteLater);
  connect(searcher_, &QueryWorker::found, this, &SearchService::resultsReady);
  // Indexing yields to everything the user does.
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

void SearchService::WaitUntilIdle() {
  for (QThread* thread : {&indexThread_, &queryThread_}) {
    QObject* worker = thread == &indexThread_ ? static_cast<QObject*>(indexer_) : searcher_;
    QMetaObject::invokeMethod(
        worker, [] {}, Qt::BlockingQueuedConnection);
  }
}

#include "SearchService.moc"
