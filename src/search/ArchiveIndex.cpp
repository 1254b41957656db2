#include "search/ArchiveIndex.h"

#include <sys/statvfs.h>
#include <xapian.h>

#include <QCryptographicHash>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <limits>
#include <map>
#include <numeric>
#include <optional>
#include <set>
#include <sstream>
#include <thread>
#include <unordered_map>
#include <unordered_set>

#include "core/DebugLog.h"
#include "core/Paths.h"
#include "naming/NameDate.h"
#include "search/DocumentRecord.h"
#include "search/DocumentText.h"
#include "search/IndexFault.h"
#include "search/IndexFiles.h"
#include "search/IndexLock.h"
#include "search/LanguageStemmer.h"
#include "search/ReadAhead.h"
#include "search/SearchWords.h"
#include "search/Snippet.h"
#include "search/TextCache.h"
#include "search/TextFolding.h"

namespace fs = std::filesystem;

namespace {

// Raised whenever what the index stores changes, so older indexes are rebuilt.
constexpr const char* kSchema = "7";
// A document is one entry with all its words, its name, folder and date (what
// a query matches), and, when it has several pages, one entry per page before
// it with that page's words alone (what the best page is chosen by). Pages
// are added in order, so a document's pages are the ids first..first+count-1.
constexpr Xapian::valueno kFirstDaySlot = 0;
constexpr Xapian::valueno kLastDaySlot = 1;
constexpr Xapian::valueno kDocumentSlot = 2;
constexpr Xapian::valueno kPagesSlot = 3;  // "first count", for several pages only
// Every document's entry holds this term; page entries do not.
const std::string kDocumentTerm = "E";
// The forms of the words in the index, by stem: "Z" + stem, as Xapian's
// query parser names stems, in the synonym table.
const std::string kStemKey = "Z";
// Terms a prefix stands for when the best page is chosen (all of them match
// the document): beyond these the first words it starts are enough.
constexpr std::size_t kMostPageTerms = 64;
// Longer "words" are noise (encoded data, lines of dashes) and would only
// grow the index.
constexpr std::size_t kLongestWord = 64;
// How many documents are read ahead of the one being indexed.
constexpr std::size_t kReadAhead = 8;
// Pages of changed or deleted documents stay in the index, left out of
// results (it keeps no list of a page's words to take them out by), until
// there are this many and they are half of it: then it is built afresh.
constexpr std::size_t kRebuildAfterDeadPages = 1000;
// The words a partly typed one stands for, the most frequent first.
constexpr Xapian::termcount kMostPartialForms = 100;
// The forms of this many words are remembered by a writer, as not to stem
// them again.
constexpr std::size_t kMostFormsSeen = 500000;
// Each commit rewrites the tail of every posting list touched since the last
// one, so a large build commits rarely: by pages, not by documents.
constexpr int kCommitEveryPages = 20000;
// After this many documents read at once, once the index has doubled since
// it was last rewritten compactly (as by a first build), it is rewritten
// again: growing it page by page leaves much of it empty. Doubling keeps the
// rewrites of an index written in batches to about its own size in all.
constexpr std::size_t kCompactAfter = 100;
// Below this much free space the index is not written.
constexpr unsigned long long kLeastFreeBytes = 64ull << 20;

std::optional<unsigned long long> FreeBytes(const std::string& folder) {
  struct statvfs status {};
  if (::statvfs(folder.c_str(), &status) != 0)
    return std::nullopt;
  return static_cast<unsigned long long>(status.f_bavail) * status.f_frsize;
}

// Terms and metadata keys are limited in length; long paths go by digest.
std::string Key(const std::string& text) {
  if (text.size() <= 160)
    return text;
  return "#" + QCryptographicHash::hash(QByteArray::fromStdString(text), QCryptographicHash::Sha1)
                   .toHex()
                   .toStdString();
}

std::string DayValue(int day) {
  char text[16];
  std::snprintf(text, sizeof text, "%08d", day);
  return text;
}

struct FileStamp {
  long long modified = 0;
  long long size = 0;
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

std::string StampText(const FileStamp& stamp) {
  return std::to_string(stamp.modified) + " " + std::to_string(stamp.size);
}

std::optional<FileStamp> StampOf(const fs::path& path) {
  std::error_code error;
  const auto size = fs::file_size(path, error);
  if (error)
    return std::nullopt;
  const auto modified = fs::last_write_time(path, error);
  if (error)
    return std::nullopt;
  return FileStamp{static_cast<long long>(modified.time_since_epoch().count()),
                   static_cast<long long>(size)};
}

int LocalDay(long long fileTimeTicks) {
  const auto fileTime = fs::file_time_type(fs::file_time_type::duration(fileTimeTicks));
  const auto system = std::chrono::file_clock::to_sys(fileTime);
  const std::time_t seconds = std::chrono::system_clock::to_time_t(system);
  std::tm local{};
  localtime_r(&seconds, &local);
  return (local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday;
}

std::string FolderOf(const std::string& relative) {
  const std::size_t slash = relative.rfind('/');
  return slash == std::string::npos ? std::string() : relative.substr(0, slash);
}

std::string NameOf(const std::string& relative) {
  const std::size_t slash = relative.rfind('/');
  return slash == std::string::npos ? relative : relative.substr(slash + 1);
}

std::string StemOf(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// Hidden entries and our own per-folder files are not documents.
bool IsHidden(const fs::path& path) {
  const std::string name = path.filename().string();
  return !name.empty() && name.front() == '.';
}

// The document's own words, counted on each of its pages: its name and folders.
std::string HeadingOf(const std::string& relative) {
  std::string folderWords = FolderOf(relative);
  std::replace(folderWords.begin(), folderWords.end(), '/', ' ');
  return FoldText(StemOf(NameOf(relative)) + " " + folderWords);
}

// A document's pages as its entry records them: the first page's id and the
// page count; none for a document of one page.
struct PageRange {
  Xapian::docid first = 0;
  Xapian::doccount count = 0;
};

PageRange PagesOf(const Xapian::Document& entry) {
  PageRange range;
  std::istringstream(entry.get_value(kPagesSlot)) >> range.first >> range.count;
  return range;
}

bool HasPhrases(const std::vector<std::string>& text,
                const std::vector<std::vector<std::string>>& phrases) {
  return std::all_of(phrases.begin(), phrases.end(), [&](const std::vector<std::string>& phrase) {
    return std::search(text.begin(), text.end(), phrase.begin(), phrase.end()) != text.end();
  });
}

// Pages of documents since changed or gone: the index keeps no list of each
// page's words, so pages are never taken out, only left out of results.
class LivePages : public Xapian::MatchDecider {
 public:
  explicit LivePages(const std::unordered_set<Xapian::docid>& dead) : dead_(dead) {}
  bool operator()(const Xapian::Document& document) const override {
    return dead_.count(document.get_docid()) == 0;
  }

 private:
  const std::unordered_set<Xapian::docid>& dead_;
};

// Each document's entry carries a checksum of what a hit shows of it, so a
// damaged index is rebuilt rather than naming files that are not there.
void SealEntry(Xapian::Document& document) {
  document.set_data(PageChecksum(document.get_value(kDocumentSlot), document.get_value(kPagesSlot),
                                 document.get_value(kFirstDaySlot),
                                 document.get_value(kLastDaySlot)));
}

void CheckSeal(const Xapian::Document& document) {
  if (document.get_data() !=
      PageChecksum(document.get_value(kDocumentSlot), document.get_value(kPagesSlot),
                   document.get_value(kFirstDaySlot), document.get_value(kLastDaySlot)))
    throw IndexDamaged{"a document does not match its checksum"};
}

// The hits from `first` on; `documents`, when given, receives how many
// documents match in all. Counting costs a pass over every matching entry,
// so it is done only when asked: Xapian's own count is an estimate.
Xapian::MSet CountedMSet(Xapian::Enquire& enquire, Xapian::doccount first, Xapian::doccount most,
                         const Xapian::MatchDecider* decider, int* documents) {
  if (!documents)
    return enquire.get_mset(first, most, 0, nullptr, decider);
  Xapian::ValueCountMatchSpy spy(kDocumentSlot);
  enquire.add_matchspy(&spy);
  const Xapian::MSet found =
      enquire.get_mset(first, most, std::numeric_limits<Xapian::doccount>::max(), nullptr, decider);
  enquire.clear_matchspies();
  *documents = static_cast<int>(std::distance(spy.values_begin(), spy.values_end()));
  return found;
}

// The terms any of which a page must hold to hold one word of the query; the
// first `typed` of them are the word as typed (or the words a prefix starts).
struct WordTerms {
  std::vector<std::string> terms;
  std::size_t typed = 1;
};

// A document found, and which of the query's words each of its pages holds:
// one bit a word (the first 32 words), and above them the same for the words
// as typed.
struct PagedDocument {
  std::string relative;
  PageRange pages;
  int day = 0;
  std::vector<std::uint64_t> held;
};

// Fills in the words held by each page of the documents of several pages,
// walking each term's postings once, in the order of the pages' ids.
void MarkWordsHeld(Xapian::Database& database, const std::vector<WordTerms>& words,
                   std::vector<PagedDocument>& documents) {
  std::vector<PagedDocument*> order;
  for (PagedDocument& document : documents)
    if (document.pages.count > 1) {
      document.held.assign(document.pages.count, 0);
      order.push_back(&document);
    }
  std::sort(order.begin(), order.end(), [](const PagedDocument* a, const PagedDocument* b) {
    return a->pages.first < b->pages.first;
  });
  for (std::size_t word = 0; word < words.size() && word < 32; ++word)
    for (std::size_t t = 0; t < words[word].terms.size(); ++t) {
      const std::string& term = words[word].terms[t];
      const std::uint64_t bits = (std::uint64_t{1} << word) |
                                 (t < words[word].typed ? std::uint64_t{1} << (32 + word) : 0);
      auto posting = database.postlist_begin(term);
      const auto end = database.postlist_end(term);
      for (PagedDocument* document : order) {
        posting.skip_to(document->pages.first);
        if (posting == end)
          break;
        for (; posting != end && *posting < document->pages.first + document->pages.count;
             ++posting)
          document->held[*posting - document->pages.first] |= bits;
      }
    }
}

// The bits of the words a page must hold itself: the phrases' words its heading lacks.
std::uint64_t WordsNeeded(const std::vector<WordTerms>& words,
                          const std::vector<std::string>& phraseWords,
                          const std::vector<std::string>& heading) {
  std::uint64_t needed = 0;
  for (std::size_t word = 0; word < words.size() && word < 32; ++word) {
    const std::vector<std::string>& terms = words[word].terms;
    if (terms.size() == 1 &&
        std::find(phraseWords.begin(), phraseWords.end(), terms.front()) != phraseWords.end() &&
        std::find(heading.begin(), heading.end(), terms.front()) == heading.end())
      needed |= std::uint64_t{1} << word;
  }
  return needed;
}

// How good a page is for the query: the most of its words, then the most of
// them as typed.
int PageScore(std::uint64_t held) {
  return __builtin_popcountll(held & 0xFFFFFFFFu) * 64 + __builtin_popcountll(held >> 32);
}

// A document's best page (1 onwards): the best score, then the first.
int BestPage(const PagedDocument& document) {
  int best = 1;
  int bestScore = -1;
  for (std::size_t page = 0; page < document.held.size(); ++page)
    if (const int score = PageScore(document.held[page]); score > bestScore) {
      best = static_cast<int>(page) + 1;
      bestScore = score;
    }
  return best;
}

// All its pages, the best first.
std::vector<int> PagesByWordsHeld(const PagedDocument& document) {
  std::vector<int> pages(std::max<std::size_t>(document.held.size(), 1));
  std::iota(pages.begin(), pages.end(), 1);
  if (document.held.empty())
    return pages;
  std::vector<int> scores(document.held.size());
  for (std::size_t page = 0; page < scores.size(); ++page)
    scores[page] = PageScore(document.held[page]);
  std::stable_sort(pages.begin(), pages.end(), [&](int a, int b) {
    return scores[static_cast<std::size_t>(a - 1)] > scores[static_cast<std::size_t>(b - 1)];
  });
  return pages;
}

std::unordered_set<Xapian::docid> ReadDead(const std::string& text) {
  std::unordered_set<Xapian::docid> dead;
  const char* at = text.c_str();
  char* end = nullptr;
  for (unsigned long id = std::strtoul(at, &end, 10); end != at;
       at = end, id = std::strtoul(at, &end, 10))
    dead.insert(static_cast<Xapian::docid>(id));
  return dead;
}

}  // namespace

class ArchiveIndex::Impl {
 public:
  Impl(std::string root, std::string folder, std::string languages)
      : root_(std::move(root)),
        folder_(RemoveTrailingSeparator(std::move(folder))),
        database_(folder_ + "/db"),
        languages_(std::move(languages)),
        stemmer_(StemmerForLanguages(languages_)),
        texts_(folder_ + "/text"),
        lock_(folder_ + "/lock") {}

  enum class Opened { Ready, Busy, Unwritable };
  Opened OpenWriter();
  // Commits nothing: closes the database and gives up the right to write.
  void CloseWriter();
  // Closes the database, discarding what was not committed; keeps the right to write.
  void AbandonWriter();
  Xapian::Database* OpenReader();
  void DropDamaged(const std::string& why);
  // What to do after an error of the database at the index's edge: damage
  // is dropped (rebuilt by the caller, which holds the lock) or marked for
  // the next writer; true when the caller may try again.
  bool Recover(const IndexFault& fault);
  bool Recover(const Xapian::Error& error) { return Recover(ClassifyIndexError(error)); }
  // Checks a database that changed since its writer last closed it; false
  // when it is damaged.
  bool CheckIfChangedOutside();
  // Starts afresh when most pages are of documents since changed or gone;
  // recognised text is kept, so only text layers are read again.
  void RebuildIfMostlyDead();
  void Commit();
  template <typename Work>
  bool Guarded(Work work);
  UpdateResult UpdateOpen(const Progress& progress);
  std::vector<std::string> Waiting(std::size_t most);
  std::map<std::string, FileStamp> FilesOnDisk() const;
  // The documents the index holds, and those of them that wait for recognition.
  std::map<std::string, FileStamp> FilesKnown(Xapian::Database& database,
                                              std::set<std::string>* waiting = nullptr) const;
  struct Text {
    std::vector<std::string> pages;
    bool final = false;  // no recognition is to follow
  };
  Text ReadText(const std::string& relative, const FileStamp& stamp) const;
  void KeepForSnippets(const std::string& relative, const FileStamp& stamp,
                       const std::vector<std::string>& pages) const;
  // `known` when the index may hold an earlier version to replace.
  void WriteDocument(const std::string& relative, const FileStamp& stamp,
                     const std::vector<std::string>& pages, bool final, bool known);
  void ForgetPages(const std::string& relative);
  void ForgetDocument(const std::string& relative);
  void Compact();
  // Compacts after a change of `documents` documents if the index has doubled.
  void CompactIfGrown(std::size_t documents);
  const std::unordered_set<Xapian::docid>& DeadPages(Xapian::Database& database);
  // Keeps the forms of the entry's words new to this writer under their stems.
  void NoteForms(const Xapian::Document& entry);
  void WriteForms();
  // The word and every form of it in the index (same stem).
  std::vector<std::string> Forms(Xapian::Database& database, const std::string& word) const;
  Xapian::Query WordQuery(Xapian::Database& database, const std::string& word) const;
  Xapian::Query MatchQuery(Xapian::Database& database, const QueryWords& words) const;
  // For each word of the query, the terms any of which a page must hold to hold it.
  std::vector<WordTerms> PageTerms(Xapian::Database& database, const QueryWords& words) const;
  std::vector<SearchHit> Search(Xapian::Database& database, const SearchQuery& query, int* total);
  std::string PageText(const std::string& relative, int page) const;
  std::string Relative(const std::string& path) const;

  std::string root_;
  std::string folder_;
  std::string database_;
  std::string languages_;
  Xapian::Stem stemmer_;
  TextCache texts_;
  std::unique_ptr<Xapian::WritableDatabase> writer_;
  std::unique_ptr<Xapian::Database> reader_;
  std::unordered_set<Xapian::docid> dead_;
  bool deadChanged_ = false;
  // Forms to add to the synonym table at the next commit, and the words this
  // writer has looked at already.
  std::map<std::string, std::set<std::string>> newForms_;
  std::unordered_set<std::string> formsSeen_;
  Xapian::rev readerRevision_ = 0;
  IndexLock lock_;
  // Why the last call could not do all it was asked; empty when it could.
  std::string problem_;
};

namespace {

// Marks the words of a snippet: the query's words as written, the other
// forms of its plain words (as the index knows them), and the words its
// prefixes start.
class WordMatcher {
 public:
  WordMatcher(const QueryWords& words,
              const std::function<std::vector<std::string>(const std::string&)>& forms) {
    for (const std::string& word : words.plain)
      for (std::string& form : forms(word))
        exact_.insert(std::move(form));
    for (const auto& phrase : words.phrases)
      exact_.insert(phrase.begin(), phrase.end());
    prefixes_ = words.prefixes;
    if (!words.partial.empty()) {
      for (std::string& form : forms(words.partial))
        exact_.insert(std::move(form));
      prefixes_.push_back(words.partial);
    }
  }

  bool operator()(const std::string& word) const {
    if (exact_.count(word) != 0)
      return true;
    return std::any_of(prefixes_.begin(), prefixes_.end(), [&](const std::string& prefix) {
      return word.compare(0, prefix.size(), prefix) == 0;
    });
  }

 private:
  std::unordered_set<std::string> exact_;
  std::vector<std::string> prefixes_;
};

}  // namespace

ArchiveIndex::Impl::Opened ArchiveIndex::Impl::OpenWriter() {
  if (writer_)
    return Opened::Ready;
  if (!lock_.IsHeld()) {
    if (auto problem = PrepareIndexFolder(folder_, database_)) {
      problem_ = "the index cannot be written: " + *problem;
      return Opened::Unwritable;
    }
    std::string why;
    // Whatever stands in the lock file's place is ours to clear, never to open.
    if (std::error_code error; fs::exists(fs::symlink_status(folder_ + "/lock", error)) &&
                               !fs::is_regular_file(fs::symlink_status(folder_ + "/lock", error)))
      fs::remove(folder_ + "/lock", error);
    switch (lock_.TryAcquire(why)) {
      case IndexLock::Result::Busy:
        problem_ = "another Docketeer is updating the index";
        return Opened::Busy;
      case IndexLock::Result::Unwritable:
        problem_ = "the index cannot be written: " + why;
        return Opened::Unwritable;
      case IndexLock::Result::Held:
        break;
    }
    // A reader that found damage leaves a marker; a database written by
    // anything but a writer that closed it is checked first.
    if (MarkerExists(folder_ + "/damaged"))
      DropDamaged("a search found it damaged");
    else if (!CheckIfChangedOutside())
      DropDamaged("changed since it was last closed, and damaged");
    if (!RemoveMarker(folder_ + "/damaged") || !RemoveMarker(folder_ + "/closed")) {
      problem_ = "the index cannot be written: " + folder_ + " is read-only";
      lock_.Release();
      return Opened::Unwritable;
    }
  }
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      // An index of the first versions lay in the folder itself.
      if (std::error_code ignored; fs::exists(folder_ + "/iamglass", ignored)) {
        DropDamaged("of an earlier version");
        for (fs::directory_iterator it(folder_, ignored);
             !ignored && it != fs::directory_iterator(); it.increment(ignored))
          if (const std::string name = it->path().filename().string();
              name == "iamglass" || name == "flintlock" || name.ends_with(".glass"))
            fs::remove(it->path(), ignored);
      }
      if (auto problem = PrepareIndexFolder(folder_, database_))
        throw IndexDamaged{*problem};
      auto database = std::make_unique<Xapian::WritableDatabase>(
          database_, Xapian::DB_CREATE_OR_OPEN | Xapian::DB_NO_TERMLIST);
      const bool current = database->get_metadata("schema") == kSchema &&
                           database->get_metadata("languages") == languages_ &&
                           database->get_metadata("root") == root_;
      if (!current) {
        // Made by another version or for other languages: start afresh.
        database.reset();
        database = std::make_unique<Xapian::WritableDatabase>(
            database_, Xapian::DB_CREATE_OR_OVERWRITE | Xapian::DB_NO_TERMLIST);
        database->set_metadata("schema", kSchema);
        database->set_metadata("languages", languages_);
        database->set_metadata("root", root_);
        database->commit();
      }
      dead_ = ReadDead(database->get_metadata("dead"));
      deadChanged_ = false;
      // Changes wait in a transaction between commits, so a failure discards
      // them instead of the database committing them again as it closes.
      database->begin_transaction();
      newForms_.clear();
      formsSeen_.clear();
      writer_ = std::move(database);
      reader_.reset();
      return Opened::Ready;
    } catch (const Xapian::Error& error) {
      if (!Recover(error))
        break;
    } catch (const IndexDamaged& damage) {
      problem_ = "the index cannot be written: " + damage.why;
      break;
    }
  }
  CloseWriter();
  return Opened::Unwritable;
}

void ArchiveIndex::Impl::AbandonWriter() {
  try {
    if (writer_) {
      writer_->cancel_transaction();
      writer_->close();
    }
  } catch (const Xapian::Error& error) {
    Log(LOG_LOCATION, "ArchiveIndex: closing: %s", error.get_msg().c_str());
  }
  writer_.reset();
}

void ArchiveIndex::Impl::CloseWriter() {
  AbandonWriter();
  if (lock_.IsHeld()) {
    WriteSmallFile(folder_ + "/closed", DatabaseFingerprint(database_));
    lock_.Release();
  }
}

bool ArchiveIndex::Impl::CheckIfChangedOutside() {
  if (!IsOpenableDatabase(database_) ||
      ReadSmallFile(folder_ + "/closed") == DatabaseFingerprint(database_))
    return true;
  // Every list, page and record is read and its checksum compared. Xapian's
  // own check (Database::check) would do less of it and trips sanitizers.
  try {
    Xapian::Database database(database_);
    for (auto term = database.allterms_begin(); term != database.allterms_end(); ++term)
      for (auto page = database.postlist_begin(*term); page != database.postlist_end(*term); ++page)
        (void)page.get_wdf();
    for (auto entry = database.postlist_begin(kDocumentTerm);
         entry != database.postlist_end(kDocumentTerm); ++entry)
      CheckSeal(database.get_document(*entry));
    FilesKnown(database);
    return true;
  } catch (const Xapian::Error& error) {
    Log(LOG_LOCATION, "ArchiveIndex: check: %s", error.get_msg().c_str());
  } catch (const IndexDamaged& damage) {
    Log(LOG_LOCATION, "ArchiveIndex: check: %s", damage.why.c_str());
  }
  return false;
}

bool ArchiveIndex::Impl::Recover(const IndexFault& fault) {
  switch (fault.kind) {
    case IndexFault::Kind::Missing:
      reader_.reset();
      return false;
    case IndexFault::Kind::Unwritable:
      // Never deleted for it: what was committed last is still searched.
      problem_ = "the index cannot be written: " + fault.why;
      Log(LOG_LOCATION, "ArchiveIndex: %s", problem_.c_str());
      AbandonWriter();
      reader_.reset();
      return false;
    case IndexFault::Kind::Damage:
      if (lock_.IsHeld()) {
        DropDamaged(fault.why);
        return true;
      }
      // Only the writer rebuilds; the next one to open it does.
      Log(LOG_LOCATION, "ArchiveIndex: damaged: %s", fault.why.c_str());
      CreateMarker(folder_ + "/damaged");
      problem_ = "the index is damaged and is built again at the next update";
      reader_.reset();
      return false;
  }
  return false;
}

void ArchiveIndex::Impl::DropDamaged(const std::string& why) {
  Log(LOG_LOCATION, "ArchiveIndex: rebuilding %s: %s", folder_.c_str(), why.c_str());
  AbandonWriter();
  reader_.reset();
  dead_.clear();
  std::error_code ignored;
  fs::remove_all(database_, ignored);
}

void ArchiveIndex::Impl::RebuildIfMostlyDead() {
  if (dead_.size() < kRebuildAfterDeadPages || dead_.size() * 2 < writer_->get_doccount())
    return;
  DropDamaged("most pages are of earlier versions");
  if (OpenWriter() != Opened::Ready)
    throw IndexDamaged{problem_};
}

void ArchiveIndex::Impl::Commit() {
  if (deadChanged_) {
    std::string text;
    for (const Xapian::docid id : dead_)
      text += std::to_string(id) + ' ';
    writer_->set_metadata("dead", text);
    deadChanged_ = false;
  }
  WriteForms();
  // Xapian may end the process when a disk fills up within a commit.
  if (const auto free = FreeBytes(folder_); free && *free < kLeastFreeBytes)
    throw Xapian::DatabaseError("too little free space on the disk holding the index", ENOSPC);
  writer_->commit_transaction();
  writer_->begin_transaction();
}

const std::unordered_set<Xapian::docid>& ArchiveIndex::Impl::DeadPages(Xapian::Database& database) {
  if (&database != writer_.get() && database.get_revision() != readerRevision_) {
    dead_ = ReadDead(database.get_metadata("dead"));
    readerRevision_ = database.get_revision();
  }
  return dead_;
}

Xapian::Database* ArchiveIndex::Impl::OpenReader() {
  if (writer_)
    return writer_.get();
  // Whatever stands in its place is never opened: a FIFO would block for ever.
  if (!IsOpenableDatabase(database_)) {
    reader_.reset();
    if (problem_.empty())
      problem_ = "there is no index yet";
    return nullptr;
  }
  try {
    if (reader_) {
      reader_->reopen();
    } else {
      auto database = std::make_unique<Xapian::Database>(database_);
      if (database->get_metadata("schema") != kSchema ||
          database->get_metadata("languages") != languages_) {
        if (problem_.empty())
          problem_ = "the index was made by another version or for other languages";
        return nullptr;
      }
      reader_ = std::move(database);
      dead_ = ReadDead(reader_->get_metadata("dead"));
      readerRevision_ = reader_->get_revision();
    }
    return reader_.get();
  } catch (const Xapian::Error& error) {
    // Missing or being rebuilt by the writer: nothing to find yet.
    reader_.reset();
    const IndexFault fault = ClassifyIndexError(error);
    if (fault.kind == IndexFault::Kind::Damage)
      Recover(fault);
    else if (problem_.empty())
      problem_ = "the index cannot be read: " + fault.why;
    return nullptr;
  }
}

std::string ArchiveIndex::Impl::Relative(const std::string& path) const {
  const std::string root = EnsureTrailingSeparator(root_);
  if (path.compare(0, root.size(), root) == 0)
    return path.substr(root.size());
  return path;
}

std::map<std::string, FileStamp> ArchiveIndex::Impl::FilesOnDisk() const {
  std::map<std::string, FileStamp> files;
  std::error_code error;
  fs::recursive_directory_iterator it(root_, fs::directory_options::skip_permission_denied, error);
  for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (IsHidden(it->path())) {
      if (it->is_directory(error))
        it.disable_recursion_pending();
      continue;
    }
    if (!it->is_regular_file(error) || KindOfDocument(it->path().native()) == DocumentKind::None)
      continue;
    if (const auto stamp = StampOf(it->path()))
      files.emplace(Relative(it->path().string()), *stamp);
  }
  return files;
}

std::map<std::string, FileStamp> ArchiveIndex::Impl::FilesKnown(
    Xapian::Database& database, std::set<std::string>* waiting) const {
  std::map<std::string, FileStamp> files;
  for (auto key = database.metadata_keys_begin("f:"); key != database.metadata_keys_end("f:");
       ++key) {
    const auto record = ReadDocumentRecord(database.get_metadata(*key));
    if (!record || *key != "f:" + Key(record->relative))
      throw IndexDamaged{"the record of a document does not match its checksum"};
    files.emplace(record->relative, FileStamp{record->modified, record->size});
    if (waiting && !record->final)
      waiting->insert(record->relative);
  }
  return files;
}

void ArchiveIndex::Impl::CompactIfGrown(std::size_t documents) {
  if (documents < kCompactAfter)
    return;
  const Xapian::doccount pages = writer_->get_doccount();
  const std::string before = writer_->get_metadata("compacted");
  if (!before.empty() && pages < 2 * std::strtoull(before.c_str(), nullptr, 10))
    return;
  Compact();
  if (writer_) {
    writer_->set_metadata("compacted", std::to_string(pages));
    Commit();
  }
}

void ArchiveIndex::Impl::Compact() {
  const std::string compacted = database_ + ".compact";
  const std::string previous = database_ + ".previous";
  std::error_code ignored;
  fs::remove_all(compacted, ignored);
  fs::remove_all(previous, ignored);
  try {
    writer_->cancel_transaction();  // all is committed
    // Pages are found by their ids, which the entries of their documents record.
    writer_->compact(compacted, Xapian::DBCOMPACT_NO_RENUMBER);
    writer_.reset();
    reader_.reset();
    fs::rename(database_, previous);
    fs::rename(compacted, database_);
  } catch (const Xapian::Error& error) {
    Log(LOG_LOCATION, "ArchiveIndex: not compacted: %s", error.get_msg().c_str());
    writer_.reset();  // opened again below, in a transaction
  } catch (const fs::filesystem_error& error) {
    Log(LOG_LOCATION, "ArchiveIndex: not compacted: %s", error.what());
    if (!fs::exists(database_, ignored))
      fs::rename(previous, database_, ignored);
  }
  fs::remove_all(compacted, ignored);
  fs::remove_all(previous, ignored);
  OpenWriter();
}

void ArchiveIndex::Impl::ForgetPages(const std::string& relative) {
  const std::string term = "D" + Key(relative);
  for (auto entry = writer_->postlist_begin(term); entry != writer_->postlist_end(term); ++entry) {
    deadChanged_ |= dead_.insert(*entry).second;
    const PageRange pages = PagesOf(writer_->get_document(*entry));
    for (Xapian::doccount page = 0; page < pages.count; ++page)
      dead_.insert(pages.first + page);
  }
}

void ArchiveIndex::Impl::ForgetDocument(const std::string& relative) {
  ForgetPages(relative);
  writer_->set_metadata("f:" + Key(relative), "");
  texts_.Remove(relative);
}

ArchiveIndex::Impl::Text ArchiveIndex::Impl::ReadText(const std::string& relative,
                                                      const FileStamp& stamp) const {
  if (auto cached = texts_.Get(relative, StampText(stamp), languages_))
    return {std::move(*cached), true};
  if (KindOfDocument(relative) != DocumentKind::Pdf)
    return {};
  ExtractedText extracted = ExtractPdfText(EnsureTrailingSeparator(root_) + relative);
  Text text{std::move(extracted.pages), false};
  // A document without any text waits for recognition; one too costly to
  // read is found by its name and the text read of it, never drawn to be read.
  text.final = extracted.cut ||
               std::any_of(text.pages.begin(), text.pages.end(), [](const std::string& page) {
                 return page.find_first_not_of(" \t\r\n\f") != std::string::npos;
               });
  // What was read of it serves snippets too, so they never read the rest.
  if (text.final)
    KeepForSnippets(relative, stamp, text.pages);
  return text;
}

void ArchiveIndex::Impl::KeepForSnippets(const std::string& relative, const FileStamp& stamp,
                                         const std::vector<std::string>& pages) const {
  // Reading a page back from a PDF for its snippet costs milliseconds, from
  // the compressed copy a few microseconds: a thousand hits print at once.
  if (!texts_.Put(relative, StampText(stamp), languages_, pages))
    Log(LOG_LOCATION, "ArchiveIndex: text of %s not kept", relative.c_str());
}

std::string ArchiveIndex::Impl::PageText(const std::string& relative, int page) const {
  if (auto cached = texts_.Page(relative, page))
    return *cached;
  if (KindOfDocument(relative) != DocumentKind::Pdf)
    return {};
  return ExtractPdfPage(EnsureTrailingSeparator(root_) + relative, page);
}

void ArchiveIndex::Impl::WriteDocument(const std::string& relative, const FileStamp& stamp,
                                       const std::vector<std::string>& pages, bool final,
                                       bool known) {
  // Looking up a document's pages flushes the writer's buffered changes, so
  // a document new to the index is not looked up.
  if (known)
    ForgetPages(relative);
  const std::string folder = FolderOf(relative);
  const std::string name = NameOf(relative);
  const NameMeaning meaning = ReadNameMeaning(StemOf(name));
  NameDate date;
  if (meaning.date) {
    date = *meaning.date;
  } else {
    date.firstDay = date.lastDay = LocalDay(stamp.modified);
  }
  // Words without positions and unstemmed: positions would be most of the
  // index, stems near half of it. Phrases are checked against the page's
  // text, other forms of a word are found through the synonym table.
  Xapian::Document entry;
  const auto addPageWords = [&](const std::string& text, Xapian::Document* page) {
    ForEachTextWord(text, [&](std::string_view word, bool) {
      if (word.size() > kLongestWord)
        return;
      const std::string term(word);
      entry.add_term(term);
      if (page)
        page->add_term(term);
    });
  };
  if (pages.size() > 1) {
    Xapian::docid first = 0;
    for (const std::string& text : pages) {
      Xapian::Document page;
      addPageWords(text, &page);
      const Xapian::docid id = writer_->add_document(page);
      first = first == 0 ? id : first;
    }
    entry.add_value(kPagesSlot, std::to_string(first) + " " + std::to_string(pages.size()));
  } else if (pages.size() == 1) {
    addPageWords(pages.front(), nullptr);
  }
  // The name, folders and years of the date count as the document's words.
  for (const std::string& word : WordsOf(HeadingOf(relative)))
    if (word.size() <= kLongestWord)
      entry.add_term(word);
  entry.add_term(std::to_string(date.firstDay / 10000));
  entry.add_term(std::to_string(date.lastDay / 10000));
  entry.add_boolean_term(kDocumentTerm);
  entry.add_boolean_term("D" + Key(relative));
  // Every folder above the document, so a search in a folder finds its subfolders too.
  for (std::size_t slash = 0; slash != std::string::npos && !folder.empty();) {
    slash = folder.find('/', slash + 1);
    entry.add_boolean_term("F" + Key(FoldText(folder.substr(0, slash))));
  }
  entry.add_value(kFirstDaySlot, DayValue(date.firstDay));
  entry.add_value(kLastDaySlot, DayValue(date.lastDay));
  entry.add_value(kDocumentSlot, relative);
  SealEntry(entry);
  NoteForms(entry);
  writer_->add_document(entry);
  writer_->set_metadata("f:" + Key(relative),
                        WriteDocumentRecord({stamp.modified, stamp.size, final, relative}));
}

void ArchiveIndex::Impl::NoteForms(const Xapian::Document& entry) {
  if (stemmer_.is_none())
    return;
  if (formsSeen_.size() > kMostFormsSeen)
    formsSeen_.clear();
  for (auto term = entry.termlist_begin(); term != entry.termlist_end(); ++term) {
    const std::string& word = *term;
    // Folded words never start with a capital: those are the document's own terms.
    if (word.empty() || (word.front() >= 'A' && word.front() <= 'Z') ||
        !formsSeen_.insert(word).second)
      continue;
    std::string stem = stemmer_(word);
    if (stem != word)
      newForms_[kStemKey + stem].insert(word);
  }
}

void ArchiveIndex::Impl::WriteForms() {
  // In order of stem: the synonym table writes each stem's forms once.
  for (const auto& [key, forms] : newForms_)
    for (const std::string& form : forms)
      writer_->add_synonym(key, form);
  newForms_.clear();
}

std::vector<std::string> ArchiveIndex::Impl::Forms(Xapian::Database& database,
                                                   const std::string& word) const {
  std::vector<std::string> forms = {word};
  if (stemmer_.is_none())
    return forms;
  const std::string stem = stemmer_(word);
  if (stem != word)
    forms.push_back(stem);
  const std::string key = kStemKey + stem;
  for (auto form = database.synonyms_begin(key); form != database.synonyms_end(key); ++form)
    if (*form != word && *form != stem)
      forms.push_back(*form);
  return forms;
}

Xapian::Query ArchiveIndex::Impl::WordQuery(Xapian::Database& database,
                                            const std::string& word) const {
  const std::vector<std::string> terms = Forms(database, word);
  if (terms.size() == 1)
    return Xapian::Query(word);
  // Any form matches; the form typed counts once more, so it ranks first.
  return Xapian::Query(Xapian::Query::OP_OR, Xapian::Query(word),
                       Xapian::Query(Xapian::Query::OP_SYNONYM, terms.begin(), terms.end()));
}

Xapian::Query ArchiveIndex::Impl::MatchQuery(Xapian::Database& database,
                                             const QueryWords& words) const {
  std::vector<Xapian::Query> parts;
  for (const std::string& word : words.plain)
    parts.push_back(WordQuery(database, word));
  for (const auto& phrase : words.phrases)
    for (const std::string& word : phrase)
      parts.emplace_back(word);
  for (const std::string& prefix : words.prefixes)
    parts.emplace_back(Xapian::Query::OP_WILDCARD, prefix);
  if (!words.partial.empty())
    parts.emplace_back(Xapian::Query::OP_OR, WordQuery(database, words.partial),
                       Xapian::Query(Xapian::Query::OP_WILDCARD, words.partial, kMostPartialForms,
                                     Xapian::Query::WILDCARD_LIMIT_MOST_FREQUENT));
  Xapian::Query match(Xapian::Query::OP_AND, parts.begin(), parts.end());
  for (const std::string& word : words.excluded)
    match = Xapian::Query(Xapian::Query::OP_AND_NOT, match, WordQuery(database, word));
  return match;
}

std::vector<WordTerms> ArchiveIndex::Impl::PageTerms(Xapian::Database& database,
                                                     const QueryWords& words) const {
  std::vector<WordTerms> groups;
  const auto startingWith = [&](const std::string& prefix, std::vector<std::string>& terms) {
    std::size_t count = 0;
    for (auto term = database.allterms_begin(prefix);
         term != database.allterms_end(prefix) && count < kMostPageTerms; ++term, ++count)
      terms.push_back(*term);
  };
  for (const std::string& word : words.plain)
    groups.push_back({Forms(database, word), 1});
  for (const auto& phrase : words.phrases)
    for (const std::string& word : phrase)
      groups.push_back({{word}, 1});
  for (const std::string& prefix : words.prefixes) {
    WordTerms& group = groups.emplace_back();
    startingWith(prefix, group.terms);
    group.typed = group.terms.size();
  }
  if (!words.partial.empty()) {
    WordTerms& group = groups.emplace_back();
    startingWith(words.partial, group.terms);
    group.typed = group.terms.size();
    for (const std::string& form : Forms(database, words.partial))
      group.terms.push_back(form);
  }
  return groups;
}

std::vector<SearchHit> ArchiveIndex::Impl::Search(Xapian::Database& database,
                                                  const SearchQuery& query, int* total) {
  if (total)
    *total = 0;
  const QueryWords words = ReadQueryWords(FoldText(query.words), query.lastWordIsPartial);
  Xapian::Query match;
  if (!words.Empty())
    match = MatchQuery(database, words);
  std::vector<Xapian::Query> filters;
  std::string folder = Relative(EnsureTrailingSeparator(query.folder));
  folder = RemoveTrailingSeparator(folder);
  while (!folder.empty() && folder.front() == '/')
    folder.erase(0, 1);
  if (!folder.empty())
    filters.emplace_back("F" + Key(FoldText(folder)));
  if (query.untilDay)
    filters.emplace_back(Xapian::Query::OP_VALUE_LE, kFirstDaySlot, DayValue(*query.untilDay));
  if (query.sinceDay)
    filters.emplace_back(Xapian::Query::OP_VALUE_GE, kLastDaySlot, DayValue(*query.sinceDay));
  if (match.empty()) {
    if (filters.empty())
      return {};
    match = Xapian::Query(kDocumentTerm);
  }
  // Only the documents' own entries, not those of their pages.
  filters.emplace_back(kDocumentTerm);
  for (const Xapian::Query& filter : filters)
    match = Xapian::Query(Xapian::Query::OP_FILTER, match, filter);

  Xapian::Enquire enquire(database);
  enquire.set_query(match);
  const std::unordered_set<Xapian::docid>& dead = DeadPages(database);
  const LivePages live(dead);
  const Xapian::MatchDecider* decider = dead.empty() ? nullptr : &live;
  const WordMatcher matcher(words, [&](const std::string& word) { return Forms(database, word); });
  std::optional<std::vector<WordTerms>> pageTerms;
  // The words of phrases, which a page must hold unless the heading does.
  std::vector<std::string> phraseWords;
  for (const auto& phrase : words.phrases)
    phraseWords.insert(phraseWords.end(), phrase.begin(), phrase.end());
  const bool phrases = !phraseWords.empty();
  std::vector<SearchHit> hits;
  const std::string root = EnsureTrailingSeparator(root_);
  // Hits before `query.offset` were shown already; phrases are checked
  // from the first, so only those that pass count towards it.
  const Xapian::doccount entries = std::max<Xapian::doccount>(database.get_doccount(), 1);
  const Xapian::doccount start = phrases ? 0 : static_cast<Xapian::doccount>(query.offset);
  int skip = phrases ? query.offset : 0;
  const Xapian::doccount batch = static_cast<Xapian::doccount>(
      std::min<long long>((std::max(query.limit, 1) + skip) * (phrases ? 4LL : 1LL), entries));
  for (Xapian::doccount offset = start; static_cast<int>(hits.size()) < query.limit;
       offset += batch) {
    const Xapian::MSet found =
        CountedMSet(enquire, offset, batch, decider, total && offset == start ? total : nullptr);
    std::vector<PagedDocument> documents;
    documents.reserve(found.size());
    for (auto it = found.begin(); it != found.end(); ++it) {
      const Xapian::Document entry = it.get_document();
      CheckSeal(entry);
      documents.push_back({entry.get_value(kDocumentSlot),
                           PagesOf(entry),
                           std::atoi(entry.get_value(kFirstDaySlot).c_str()),
                           {}});
    }
    if (!pageTerms && std::any_of(documents.begin(), documents.end(),
                                  [](const PagedDocument& d) { return d.pages.count > 1; }))
      pageTerms = PageTerms(database, words);
    if (pageTerms)
      MarkWordsHeld(database, *pageTerms, documents);
    for (const PagedDocument& document : documents) {
      if (static_cast<int>(hits.size()) >= query.limit)
        break;
      SearchHit hit;
      // The page's text is read only when a phrase needs it or a snippet is asked for.
      std::optional<std::string> text;
      if (phrases) {
        const std::vector<std::string> heading = WordsOf(HeadingOf(document.relative));
        const std::uint64_t needed = pageTerms ? WordsNeeded(*pageTerms, phraseWords, heading) : 0;
        hit.page = 0;
        for (const int page : PagesByWordsHeld(document)) {
          if (page - 1 < static_cast<int>(document.held.size()) &&
              (document.held[static_cast<std::size_t>(page - 1)] & needed) != needed)
            continue;
          std::string pageText = PageText(document.relative, page);
          std::vector<std::string> pageWords = heading;
          const std::vector<std::string> textWords = TextWordsOf(pageText);
          pageWords.insert(pageWords.end(), textWords.begin(), textWords.end());
          if (HasPhrases(pageWords, words.phrases)) {
            hit.page = page;
            text = std::move(pageText);
            break;
          }
        }
        if (hit.page == 0)
          continue;
        if (skip > 0 && skip--)
          continue;
      } else {
        hit.page = BestPage(document);
      }
      hit.path = root + document.relative;
      hit.folder = FolderOf(document.relative);
      hit.name = NameOf(document.relative);
      hit.day = document.day;
      if (static_cast<int>(hits.size()) < query.snippets) {
        if (!text)
          text = PageText(document.relative, hit.page);
        hit.snippet = MakeSnippet(*text, std::cref(matcher));
      }
      hits.push_back(std::move(hit));
    }
    if (found.size() < batch || !phrases)
      break;
  }
  return hits;
}

ArchiveIndex::ArchiveIndex(std::string archiveRoot, std::string indexFolder, std::string languages)
    : root_(RemoveTrailingSeparator(std::move(archiveRoot))),
      impl_(std::make_unique<Impl>(root_, std::move(indexFolder), std::move(languages))) {}

ArchiveIndex::~ArchiveIndex() = default;

ArchiveIndex::UpdateResult ArchiveIndex::Update(const Progress& progress) {
  impl_->problem_.clear();
  UpdateResult result = UpdateResult::Failed;
  for (int attempt = 0; attempt < 2; ++attempt) {
    switch (impl_->OpenWriter()) {
      case Impl::Opened::Busy:
        return UpdateResult::Busy;
      case Impl::Opened::Unwritable:
        return UpdateResult::Failed;
      case Impl::Opened::Ready:
        break;
    }
    if (impl_->Guarded([&] { result = impl_->UpdateOpen(progress); })) {
      impl_->problem_.clear();  // damage met on the way was rebuilt
      break;
    }
  }
  impl_->CloseWriter();
  return result;
}

// Every error of the database is caught here, at the edge: damage is
// dropped (and the caller tries once more), a write error leaves the index
// as last committed. True when `work` ran to its end.
template <typename Work>
bool ArchiveIndex::Impl::Guarded(Work work) {
  try {
    work();
    return true;
  } catch (const Xapian::DatabaseModifiedError& error) {
    // A writer moved on under a long read: the caller looks again.
    reader_.reset();
    problem_ = error.get_msg();
  } catch (const Xapian::Error& error) {
    Recover(error);
  } catch (const IndexDamaged& damage) {
    Recover(IndexFault{IndexFault::Kind::Damage, damage.why});
  } catch (const fs::filesystem_error& error) {
    Recover(IndexFault{IndexFault::Kind::Unwritable, error.what()});
  }
  if (problem_.empty())
    problem_ = "the index was damaged and is built again";
  return false;
}

ArchiveIndex::UpdateResult ArchiveIndex::Impl::UpdateOpen(const Progress& progress) {
  RebuildIfMostlyDead();
  const auto onDisk = FilesOnDisk();
  std::set<std::string> waiting;
  const auto known = FilesKnown(*writer_, &waiting);
  for (const auto& [relative, stamp] : known)
    if (!onDisk.count(relative))
      ForgetDocument(relative);
  std::vector<std::pair<std::string, FileStamp>> todo;
  for (const auto& [relative, stamp] : onDisk) {
    const auto found = known.find(relative);
    // Text recognised by another process that could not write it is kept beside the index.
    if (found == known.end() || !(found->second == stamp) ||
        (waiting.count(relative) && texts_.Get(relative, StampText(stamp), languages_)))
      todo.emplace_back(relative, stamp);
  }
  const int total = static_cast<int>(todo.size());
  if (progress && !progress(0, total)) {
    Commit();
    return UpdateResult::Stopped;
  }
  // Documents are read on every core, a few ahead of the one indexing them.
  ReadAhead<Text> reader(
      todo.size(),
      [&](std::size_t i) {
        try {
          return ReadText(todo[i].first, todo[i].second);
        } catch (const std::exception& error) {
          // Out of memory on a huge page, say: the document waits for recognition.
          Log(LOG_LOCATION, "ArchiveIndex: %s not read: %s", todo[i].first.c_str(), error.what());
          return Text();
        }
      },
      std::max(std::thread::hardware_concurrency(), 1u), kReadAhead);
  std::size_t pagesSinceCommit = 0;
  for (int i = 0; i < total; ++i) {
    const Text text = reader.Take(static_cast<std::size_t>(i));
    WriteDocument(todo[i].first, todo[i].second, text.pages, text.final,
                  known.count(todo[i].first) != 0);
    pagesSinceCommit += std::max<std::size_t>(text.pages.size(), 1);
    if (pagesSinceCommit >= kCommitEveryPages) {
      Commit();
      pagesSinceCommit = 0;
    }
    if (progress && !progress(i + 1, total)) {
      Commit();
      return UpdateResult::Stopped;
    }
  }
  writer_->set_metadata("built", "1");
  Commit();
  CompactIfGrown(static_cast<std::size_t>(total));
  return UpdateResult::Done;
}

bool ArchiveIndex::IndexDocument(const std::string& path,
                                 const std::vector<std::string>& pageTexts) {
  return IndexDocuments({{path, pageTexts}});
}

bool ArchiveIndex::IndexDocuments(const std::vector<DocumentText>& documents) {
  impl_->problem_.clear();
  bool all = true;
  // Text in hand is not in the file: kept for snippets and rebuilds, and so
  // for the next update when another process holds the index now.
  std::vector<std::pair<std::string, std::optional<FileStamp>>> stamps;
  for (const auto& [path, pageTexts] : documents) {
    const auto stamp = StampOf(path);
    all = all && stamp;  // gone already: the next update forgets it
    stamps.emplace_back(impl_->Relative(path), stamp);
    if (stamp)
      impl_->texts_.Put(stamps.back().first, StampText(*stamp), impl_->languages_, pageTexts);
  }
  bool written = false;
  for (int attempt = 0; attempt < 2 && !written; ++attempt) {
    if (impl_->OpenWriter() != Impl::Opened::Ready)
      break;
    written = impl_->Guarded([&] {
      for (std::size_t i = 0; i < documents.size(); ++i) {
        const auto& [relative, stamp] = stamps[i];
        if (!stamp)
          continue;
        const bool known = !impl_->writer_->get_metadata("f:" + Key(relative)).empty();
        impl_->WriteDocument(relative, *stamp, documents[i].second, true, known);
      }
      impl_->Commit();
      impl_->CompactIfGrown(documents.size());
    });
  }
  if (written)
    impl_->problem_.clear();
  impl_->CloseWriter();
  return written && all;
}

std::vector<SearchHit> ArchiveIndex::Search(const SearchQuery& query) {
  return Search(query, nullptr);
}

std::vector<SearchHit> ArchiveIndex::Search(const SearchQuery& query, int* total) {
  impl_->problem_.clear();
  std::vector<SearchHit> hits;
  for (int attempt = 0; attempt < 2; ++attempt) {
    Xapian::Database* database = impl_->OpenReader();
    if (!database)
      break;
    if (impl_->Guarded([&] { hits = impl_->Search(*database, query, total); })) {
      impl_->problem_.clear();  // a writer that moved on meanwhile is no problem
      return hits;
    }
  }
  if (total)
    *total = 0;
  return {};
}

std::vector<SnippetPart> ArchiveIndex::SnippetFor(const SearchHit& hit, const SearchQuery& query) {
  const QueryWords words = ReadQueryWords(FoldText(query.words), query.lastWordIsPartial);
  Xapian::Database* database = impl_->OpenReader();
  const auto forms = [&](const std::string& word) {
    try {
      if (database)
        return impl_->Forms(*database, word);
    } catch (const Xapian::Error& error) {
      // Changed under us: the snippet marks the word as typed only.
      Log(LOG_LOCATION, "ArchiveIndex: no forms of %s: %s", word.c_str(), error.get_msg().c_str());
    }
    return std::vector<std::string>{word};
  };
  const WordMatcher matcher(words, forms);
  return MakeSnippet(impl_->PageText(impl_->Relative(hit.path), hit.page), std::cref(matcher));
}

std::vector<std::string> ArchiveIndex::Impl::Waiting(std::size_t most) {
  std::vector<std::string> paths;
  Xapian::Database* database = OpenReader();
  if (!database)
    return paths;
  std::set<std::string> waiting;
  if (Guarded([&] { FilesKnown(*database, &waiting); }))
    for (auto it = waiting.begin(); it != waiting.end() && paths.size() < most; ++it)
      paths.push_back(EnsureTrailingSeparator(root_) + *it);
  return paths;
}

std::vector<std::string> ArchiveIndex::AwaitingRecognition(std::size_t most) {
  impl_->problem_.clear();
  return impl_->Waiting(most);
}

int ArchiveIndex::AwaitingRecognitionCount() {
  impl_->problem_.clear();
  return static_cast<int>(impl_->Waiting(std::numeric_limits<std::size_t>::max()).size());
}

std::vector<std::string> ArchiveIndex::RecognizedSoFar(const std::string& path) {
  const auto stamp = StampOf(path);
  if (!stamp)
    return {};
  auto pages = impl_->texts_.Get(impl_->Relative(path), StampText(*stamp), impl_->languages_,
                                 TextCache::Entry::Partial);
  return pages ? std::move(*pages) : std::vector<std::string>();
}

bool ArchiveIndex::KeepRecognizedSoFar(const std::string& path,
                                       const std::vector<std::string>& pages) {
  const auto stamp = StampOf(path);
  return stamp && impl_->texts_.Put(impl_->Relative(path), StampText(*stamp), impl_->languages_,
                                    pages, TextCache::Entry::Partial);
}

int ArchiveIndex::DocumentCount() {
  impl_->problem_.clear();
  Xapian::Database* database = impl_->OpenReader();
  int count = 0;
  if (database && !impl_->Guarded([&] {
        count = 0;
        for (auto key = database->metadata_keys_begin("f:");
             key != database->metadata_keys_end("f:"); ++key)
          ++count;
      }))
    count = 0;
  return count;
}

bool ArchiveIndex::HasBeenBuilt() {
  Xapian::Database* database = impl_->OpenReader();
  bool built = false;
  if (database)
    impl_->Guarded([&] { built = !database->get_metadata("built").empty(); });
  return built;
}

const std::string& ArchiveIndex::Problem() const {
  return impl_->problem_;
}
