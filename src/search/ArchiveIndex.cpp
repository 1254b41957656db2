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
constexpr const char* kSchema = "6";
constexpr Xapian::valueno kFirstDaySlot = 0;
constexpr Xapian::valueno kLastDaySlot = 1;
constexpr Xapian::valueno kDocumentSlot = 2;
constexpr Xapian::valueno kPageSlot = 3;
// Longer "words" are noise (encoded data, lines of dashes) and would only
// grow the index.
constexpr std::size_t kLongestWord = 64;
// How many documents are read ahead of the one being indexed.
constexpr std::size_t kReadAhead = 8;
// Pages of changed or deleted documents stay in the index, left out of
// results (it keeps no list of a page's words to take them out by), until
// there are this many and they are half of it: then it is built afresh.
constexpr std::size_t kRebuildAfterDeadPages = 1000;
// Index words sharing a stem's start that are stemmed to find its forms, and
// the words a partly typed one stands for, the most frequent first.
constexpr int kMostFormsScanned = 5000;
constexpr Xapian::termcount kMostPartialForms = 100;
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

bool HasPhrases(const std::vector<std::string>& text,
                const std::vector<std::vector<std::string>>& phrases) {
  return std::all_of(phrases.begin(), phrases.end(), [&](const std::vector<std::string>& phrase) {
    return std::search(text.begin(), text.end(), phrase.begin(), phrase.end()) != text.end();
  });
}

// The start that every word with the stem `stem` shares: stemmers cut
// endings and change at most the last letter of what is left (y to i).
std::string StemStart(const std::string& stem) {
  if (stem.size() <= 3)
    return stem;
  std::size_t end = stem.size() - 1;
  while (end > 0 && (static_cast<unsigned char>(stem[end]) & 0xC0) == 0x80)
    --end;
  return stem.substr(0, std::max<std::size_t>(end, 3));
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

// Each page carries a checksum of what a hit shows of it, so a damaged
// index is rebuilt rather than naming files that are not there.
void SealPage(Xapian::Document& document) {
  document.set_data(PageChecksum(document.get_value(kDocumentSlot), document.get_value(kPageSlot),
                                 document.get_value(kFirstDaySlot),
                                 document.get_value(kLastDaySlot)));
}

void CheckSeal(const Xapian::Document& document) {
  if (document.get_data() !=
      PageChecksum(document.get_value(kDocumentSlot), document.get_value(kPageSlot),
                   document.get_value(kFirstDaySlot), document.get_value(kLastDaySlot)))
    throw IndexDamaged{"a page does not match its checksum"};
}

// The hits from `first` on; `documents`, when given, receives how many
// documents match in all. Counting costs a pass over every matching page,
// so it is done only when asked: Xapian's own count is an estimate once
// pages are collapsed into documents.
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
  // `known` when the index may hold an earlier version to replace.
  void WriteDocument(const std::string& relative, const FileStamp& stamp,
                     const std::vector<std::string>& pages, bool final, bool known);
  void ForgetPages(const std::string& relative);
  void ForgetDocument(const std::string& relative);
  void Compact();
  // Compacts after a change of `documents` documents if the index has doubled.
  void CompactIfGrown(std::size_t documents);
  const std::unordered_set<Xapian::docid>& DeadPages(Xapian::Database& database);
  Xapian::Query WordQuery(Xapian::Database& database, const std::string& word) const;
  Xapian::Query MatchQuery(Xapian::Database& database, const QueryWords& words) const;
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
  Xapian::rev readerRevision_ = 0;
  IndexLock lock_;
  // Why the last call could not do all it was asked; empty when it could.
  std::string problem_;
};

namespace {

// Marks the words of a snippet: the query's words as written, the other
// forms of its plain words, and the words its prefixes start.
class WordMatcher {
 public:
  WordMatcher(const QueryWords& words, Xapian::Stem stemmer) : stemmer_(std::move(stemmer)) {
    auto addStem = [&](const std::string& word) {
      exact_.insert(word);
      const std::string stem = stemmer_(word);
      stems_.insert(stem);
      stemStarts_.push_back(StemStart(stem));
    };
    for (const std::string& word : words.plain)
      addStem(word);
    for (const auto& phrase : words.phrases)
      exact_.insert(phrase.begin(), phrase.end());
    prefixes_ = words.prefixes;
    if (!words.partial.empty()) {
      addStem(words.partial);
      prefixes_.push_back(words.partial);
    }
  }

  bool operator()(const std::string& word) {
    if (exact_.count(word) != 0)
      return true;
    for (const std::string& prefix : prefixes_)
      if (word.compare(0, prefix.size(), prefix) == 0)
        return true;
    // Stemming every word of every snippet would be most of its time: only
    // words that start as a stem of the query does can have that stem.
    if (std::none_of(stemStarts_.begin(), stemStarts_.end(), [&](const std::string& start) {
          return word.compare(0, start.size(), start) == 0;
        }))
      return false;
    auto stem = stems_of_.find(word);
    if (stem == stems_of_.end())
      stem = stems_of_.emplace(word, stemmer_(word)).first;
    return stems_.count(stem->second) != 0;
  }

 private:
  Xapian::Stem stemmer_;
  std::set<std::string> exact_;
  std::set<std::string> stems_;
  std::vector<std::string> stemStarts_;
  std::vector<std::string> prefixes_;
  std::unordered_map<std::string, std::string> stems_of_;
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
    for (auto page = database.postlist_begin(""); page != database.postlist_end(""); ++page)
      CheckSeal(database.get_document(*page));
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
    writer_->compact(compacted);
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
  for (auto page = writer_->postlist_begin(term); page != writer_->postlist_end(term); ++page)
    deadChanged_ |= dead_.insert(*page).second;
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
  // What was read of it serves snippets too, so they never read the rest.
  if (extracted.cut)
    texts_.Put(relative, StampText(stamp), languages_, extracted.pages);
  Text text{std::move(extracted.pages), false};
  // A document without any text waits for recognition; one too costly to
  // read is found by its name and the text read of it, never drawn to be read.
  text.final = extracted.cut ||
               std::any_of(text.pages.begin(), text.pages.end(), [](const std::string& page) {
                 return page.find_first_not_of(" \t\r\n\f") != std::string::npos;
               });
  return text;
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
  const std::vector<std::string> heading = WordsOf(HeadingOf(relative));
  std::vector<std::string> folderTerms;
  // Every folder above the document, so a search in a folder finds its subfolders too.
  for (std::size_t slash = 0; slash != std::string::npos && !folder.empty();) {
    slash = folder.find('/', slash + 1);
    folderTerms.push_back("F" + Key(FoldText(folder.substr(0, slash))));
  }
  const std::string documentTerm = "D" + Key(relative);
  const std::size_t count = std::max<std::size_t>(pages.size(), 1);
  for (std::size_t page = 0; page < count; ++page) {
    Xapian::Document document;
    // Words without positions and unstemmed: positions would be most of the
    // index, stems near half of it. Phrases are checked against the page's
    // text, other forms of a word are found by its stem when searching.
    for (const std::string& word : heading)
      if (word.size() <= kLongestWord)
        document.add_term(word);
    if (page < pages.size())
      ForEachWord(FoldText(pages[page]), [&](std::string_view word) {
        if (word.size() <= kLongestWord)
          document.add_term(std::string(word));
      });
    document.add_boolean_term(documentTerm);
    for (const std::string& term : folderTerms)
      document.add_boolean_term(term);
    document.add_value(kFirstDaySlot, DayValue(date.firstDay));
    document.add_value(kLastDaySlot, DayValue(date.lastDay));
    document.add_value(kDocumentSlot, relative);
    document.add_value(kPageSlot, std::to_string(page + 1));
    SealPage(document);
    writer_->add_document(document);
  }
  writer_->set_metadata("f:" + Key(relative),
                        WriteDocumentRecord({stamp.modified, stamp.size, final, relative}));
}

Xapian::Query ArchiveIndex::Impl::WordQuery(Xapian::Database& database,
                                            const std::string& word) const {
  std::vector<std::string> terms = {word};
  if (!stemmer_.is_none()) {
    const std::string stem = stemmer_(word);
    const std::string start = StemStart(stem);
    int scanned = 0;
    for (auto term = database.allterms_begin(start);
         term != database.allterms_end(start) && scanned < kMostFormsScanned; ++term, ++scanned)
      if (*term != word && stemmer_(*term) == stem)
        terms.push_back(*term);
  }
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
    match = Xapian::Query::MatchAll;
  }
  for (const Xapian::Query& filter : filters)
    match = Xapian::Query(Xapian::Query::OP_FILTER, match, filter);

  Xapian::Enquire enquire(database);
  enquire.set_query(match);
  // Phrases match their words anywhere on the page until checked below, where
  // a page that fails must not hide another page of its document.
  const bool phrases = !words.phrases.empty();
  if (!phrases)
    enquire.set_collapse_key(kDocumentSlot);
  const std::unordered_set<Xapian::docid>& dead = DeadPages(database);
  const LivePages live(dead);
  const Xapian::MatchDecider* decider = dead.empty() ? nullptr : &live;
  WordMatcher matcher(words, stemmer_);
  std::vector<SearchHit> hits;
  std::set<std::string> documentsFound;
  const std::string root = EnsureTrailingSeparator(root_);
  // Hits before `query.offset` were shown already; phrases are checked
  // from the first, so only those that pass count towards it.
  const Xapian::doccount pages = std::max<Xapian::doccount>(database.get_doccount(), 1);
  const Xapian::doccount start = phrases ? 0 : static_cast<Xapian::doccount>(query.offset);
  int skip = phrases ? query.offset : 0;
  const Xapian::doccount batch = static_cast<Xapian::doccount>(
      std::min<long long>((std::max(query.limit, 1) + skip) * (phrases ? 4LL : 1LL), pages));
  for (Xapian::doccount offset = start; static_cast<int>(hits.size()) < query.limit;
       offset += batch) {
    const Xapian::MSet found =
        CountedMSet(enquire, offset, batch, decider, total && offset == start ? total : nullptr);
    for (auto it = found.begin(); it != found.end(); ++it) {
      if (static_cast<int>(hits.size()) >= query.limit)
        break;
      const Xapian::Document document = it.get_document();
      CheckSeal(document);
      const std::string relative = document.get_value(kDocumentSlot);
      if (phrases && documentsFound.count(relative) != 0)
        continue;
      SearchHit hit;
      hit.page = std::atoi(document.get_value(kPageSlot).c_str());
      // The page's text is read only when a phrase needs it or a snippet is asked for.
      std::optional<std::string> text;
      if (phrases) {
        text = PageText(relative, hit.page);
        std::vector<std::string> pageWords = WordsOf(HeadingOf(relative));
        ForEachWord(FoldText(*text), [&](std::string_view word) { pageWords.emplace_back(word); });
        if (!HasPhrases(pageWords, words.phrases))
          continue;
        documentsFound.insert(relative);
        if (skip > 0 && skip--)
          continue;
      }
      hit.path = root + relative;
      hit.folder = FolderOf(relative);
      hit.name = NameOf(relative);
      hit.day = std::atoi(document.get_value(kFirstDaySlot).c_str());
      if (static_cast<int>(hits.size()) < query.snippets) {
        if (!text)
          text = PageText(relative, hit.page);
        hit.snippet = MakeSnippet(*text, std::ref(matcher));
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
  WordMatcher matcher(words, impl_->stemmer_);
  return MakeSnippet(impl_->PageText(impl_->Relative(hit.path), hit.page), std::ref(matcher));
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
