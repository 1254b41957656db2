#pragma once

#include <QObject>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "search/SearchTypes.h"

class IndexWorker;
class PageRecognizer;
class QueryWorker;

// Keeps the archive index of the window's root current and answers queries,
// both off the window's thread: one thread brings the index up to date (at
// start, and a moment after the archive changed), another searches, so a
// query never waits for indexing. Results of queries overtaken by a newer
// one are dropped.
class SearchService : public QObject {
  Q_OBJECT

 public:
  // Makes the engine that reads documents without text, for the given
  // languages; by default the recognition engine of the installed data.
  using Recognizers = std::function<std::unique_ptr<PageRecognizer>(const std::string& languages)>;

  explicit SearchService(QObject* parent = nullptr, Recognizers recognizers = {});
  ~SearchService() override;

  // Opens the index of `root` and brings it up to date; an empty root stops searching.
  void SetArchive(const std::string& root, const std::string& languages);
  // Something below the root changed: update soon (several changes, one update).
  void ArchiveChanged();
  // A document written just now, with its text per page in hand; an empty
  // list reads the document as an update would.
  void DocumentSaved(const std::string& path, const std::vector<std::string>& pageTexts);
  // A new query: its first page comes with the count of all documents found.
  void Search(const SearchQuery& query);
  // A later page (query.offset > 0) of the query last asked for; not counted again.
  void SearchMore(const SearchQuery& query);
  // Recognition of documents without text waits while paused (a scan runs).
  void SetPaused(bool paused);

  // Waits until the queued work is done (for tests and for leaving).
  void WaitUntilIdle();

 signals:
  void indexingProgress(int done, int total);
  void indexingFinished();
  // The hits from the `offset`th on; `total` counts every document found,
  // given with the first page (offset 0) only, -1 with the pages after it.
  void resultsReady(const QString& words, int offset, const std::vector<SearchHit>& hits,
                    int total);
  // The same hits again, every one now with its snippet.
  void snippetsReady(const QString& words, int offset, const std::vector<SearchHit>& hits);

 private:
  void Stop();

  QThread indexThread_;
  QThread queryThread_;
  IndexWorker* indexer_ = nullptr;
  QueryWorker* searcher_ = nullptr;
  QTimer changeDelay_;
  std::shared_ptr<std::atomic<int>> latestQuery_;
  std::shared_ptr<std::atomic<bool>> stopping_;
  std::shared_ptr<std::atomic<bool>> halt_;
};
