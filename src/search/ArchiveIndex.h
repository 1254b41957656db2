#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "search/SearchTypes.h"

// The full-text index of one archive root: one entry per document with all
// its words, its name, folder and the date its name carries, which queries
// match; and for a document of several pages one entry per page, which name
// the best page. It holds the words, not the text: snippets are read from a
// compressed copy of each document's text kept beside the index (or from the
// document when there is none).
// It lives outside the archive (IndexFolderForArchive) and can always be
// rebuilt: a missing, damaged or outdated index is quietly made anew. An
// index that cannot be written (a full or read-only disk) is never deleted
// for it: it is searched as it was last written, and Problem() says why it
// may be out of date. No error of the database leaves this class.
//
// One object is used by one thread at a time. Several objects on the same
// index may live in several threads or processes: one of them writes at a
// time (the others' Update reports Busy meanwhile), all of them search.
class ArchiveIndex {
 public:
  ArchiveIndex(std::string archiveRoot, std::string indexFolder, std::string languages);
  ~ArchiveIndex();
  ArchiveIndex(const ArchiveIndex&) = delete;
  ArchiveIndex& operator=(const ArchiveIndex&) = delete;

  // Called with (documents done, documents to do) now and then; returning
  // false stops the update (what is done so far is kept).
  using Progress = std::function<bool(int done, int total)>;

  // Busy: another object or process is writing the index; Failed: it
  // cannot be written (Problem() says why). Either way searches answer
  // from the index as it is.
  enum class UpdateResult { Done, Stopped, Busy, Failed };

  // Brings the index in step with the disk: documents gone are dropped, new
  // and changed ones (by modification time and size) are read; unchanged
  // ones are not opened. Image documents are indexed by name and date.
  UpdateResult Update(const Progress& progress = {});

  // Indexes one document now with text already in hand, one string per page,
  // and takes it off the recognition list. False when the index is held by
  // another writer or cannot be written: the text is kept beside the index
  // all the same, for the next update to index.
  bool IndexDocument(const std::string& path, const std::vector<std::string>& pageTexts);

  // The same for many documents at once (path, page texts), written as one
  // change: much faster than one by one when there are many.
  using DocumentText = std::pair<std::string, std::vector<std::string>>;
  bool IndexDocuments(const std::vector<DocumentText>& documents);

  // Documents whose text only recognition can give (images, PDFs without a
  // text layer), not recognised yet: at most `most` absolute paths.
  std::vector<std::string> AwaitingRecognition(std::size_t most);

  // The pages read so far of a recognition that stopped part way (a pause,
  // the program closed), for the document as it is now and the index's
  // languages; empty when there are none. They are kept apart from the
  // index, never searched, so a document is never found by part of its text
  // as if that were all of it.
  std::vector<std::string> RecognizedSoFar(const std::string& path);
  bool KeepRecognizedSoFar(const std::string& path, const std::vector<std::string>& pages);

  // The documents that match, best first, one hit per document, from the
  // `query.offset`th on. The first `query.snippets` hits come with their
  // snippet. `total`, when given, receives how many documents match in all
  // (for a phrase, how many hold its words, as only the pages read are checked).
  std::vector<SearchHit> Search(const SearchQuery& query);
  std::vector<SearchHit> Search(const SearchQuery& query, int* total);

  // The snippet of a hit found without one, read from the document (or the
  // text kept of it) when the hit is shown.
  std::vector<SnippetPart> SnippetFor(const SearchHit& hit, const SearchQuery& query);

  // How many documents the index holds.
  int DocumentCount();
  // How many of them wait for recognition.
  int AwaitingRecognitionCount();
  // True once an update has gone through the whole archive.
  bool HasBeenBuilt();

  // Why the last call could not do all it was asked (the index could not be
  // written, was busy, damaged, missing); empty when it could.
  const std::string& Problem() const;

  const std::string& ArchiveRoot() const { return root_; }

 private:
  class Impl;
  std::string root_;
  std::unique_ptr<Impl> impl_;
};
