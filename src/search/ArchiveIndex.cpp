#include "search/ArchiveIndex.h"

#include <xapian.h>

#include <QCryptographicHash>
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <future>
#include <map>
#include <set>
#include <sstream>
#include <unordered_map>

#include "core/DebugLog.h"
#include "core/Paths.h"
#include "naming/NameDate.h"
#include "search/DocumentText.h"
#include "search/LanguageStemmer.h"
#include "search/Snippet.h"
#include "search/TextFolding.h"

namespace fs = std::filesystem;

namespace {

// Raised whenever what the index stores changes, so older indexes are rebuilt.
constexpr const char* kSchema = "4";
constexpr Xapian::valueno kFirstDaySlot = 0;
constexpr Xapian::valueno kLastDaySlot = 1;
constexpr Xapian::valueno kDocumentSlot = 2;
// Each commit rewrites the tail of every posting list touched since the last
// one, so a large build commits rarely: by pages, not by documents.
constexpr int kCommitEveryPages = 20000;
// After this many documents read at once, once the index has doubled since
// it was last rewritten compactly (as by a first build), it is rewritten
// again: growing it page by page leaves much of it empty. Doubling keeps the
// rewrites of an index written in batches to about its own size in all.
constexpr std::size_t kCompactAfter = 100;

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

// The words of a folded query that stand for every word they start: those
// ending in "*", and the last one while it is still being typed.
std::vector<std::string> PrefixesOf(const std::string& words, bool lastIsPartial) {
  std::vector<std::string> tokens;
  std::string token;
  for (const char c : words + " ") {
    if (c == ' ' || c == '"' || c == '\t') {
      if (!token.empty())
        tokens.push_back(token);
      token.clear();
    } else {
      token += c;
    }
  }
  std::vector<std::string> prefixes;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    std::string& word = tokens[i];
    const bool star = word.back() == '*';
    if (star)
      word.pop_back();
    const bool typing =
        lastIsPartial && i + 1 == tokens.size() && words.back() != ' ' && words.back() != '"';
    if ((star || typing) && !word.empty())
      prefixes.push_back(word);
  }
  return prefixes;
}

// The document's own words, counted on each of its pages: its name and folders.
std::string HeadingOf(const std::string& relative) {
  std::string folderWords = FolderOf(relative);
  std::replace(folderWords.begin(), folderWords.end(), '/', ' ');
  return FoldText(StemOf(NameOf(relative)) + " " + folderWords);
}

bool IsWordByte(char c) {
  return static_cast<unsigned char>(c) >= 0x80 || std::isalnum(static_cast<unsigned char>(c));
}

std::vector<std::string> WordsOf(const std::string& folded) {
  std::vector<std::string> words;
  std::string word;
  for (const char c : folded + " ") {
    if (IsWordByte(c)) {
      word += c;
    } else if (!word.empty()) {
      words.push_back(std::move(word));
      word.clear();
    }
  }
  return words;
}

// The phrases of a folded query: words in quotes, and words joined by
// hyphens or the like ("e-mail"), which the query parser takes as phrases.
std::vector<std::vector<std::string>> PhrasesOf(const std::string& words) {
  std::vector<std::vector<std::string>> phrases;
  std::size_t i = 0;
  while (i < words.size()) {
    std::size_t end;
    if (words[i] == '"') {
      end = words.find('"', i + 1);
      if (end == std::string::npos)
        end = words.size();
      ++i;
    } else {
      end = words.find_first_of(" \t\"", i);
      if (end == std::string::npos)
        end = words.size();
    }
    std::string text = words.substr(i, end - i);
    if (!text.empty() && text.back() == '*')
      text.pop_back();
    std::vector<std::string> phrase = WordsOf(text);
    if (phrase.size() > 1)
      phrases.push_back(std::move(phrase));
    i = end + 1;
  }
  return phrases;
}

bool HasPhrases(const std::vector<std::string>& text,
                const std::vector<std::vector<std::string>>& phrases) {
  return std::all_of(phrases.begin(), phrases.end(), [&](const std::vector<std::string>& phrase) {
    return std::search(text.begin(), text.end(), phrase.begin(), phrase.end()) != text.end();
  });
}

}  // namespace

class ArchiveIndex::Impl {
 public:
  Impl(std::string root, std::string folder, std::string languages)
      : root_(std::move(root)),
        folder_(std::move(folder)),
        languages_(std::move(languages)),
        stemmer_(StemmerForLanguages(languages_)) {}

  bool OpenWriter();
  Xapian::Database* OpenReader();
  void DropDamaged(const char* why);
  std::map<std::string, FileStamp> FilesOnDisk() const;
  std::map<std::string, FileStamp> FilesKnown() const;
  std::vector<std::string> ReadText(const std::string& relative) const;
  void IndexText(const std::string& relative, const FileStamp& stamp,
                 const std::vector<std::string>& pages, bool known);
  // `final` when no recognition is to follow: the text is all there is;
  // `known` when the index may hold an earlier version to replace.
  void WriteDocument(const std::string& relative, const FileStamp& stamp,
                     const std::vector<std::string>& pages, bool final, bool known);
  void ForgetDocument(const std::string& relative);
  void Compact();
  // Compacts after a change of `documents` documents if the index has doubled.
  void CompactIfGrown(std::size_t documents);
  std::vector<SearchHit> Search(Xapian::Database& database, const SearchQuery& query) const;
  // Stemming every word of every snippet is most of a query's time; words
  // repeat, across pages too.
  using StemCache = std::unordered_map<std::string, std::string>;
  SearchHit MakeHit(const Xapian::Enquire& enquire, const Xapian::MSetIterator& it,
                    const std::string& page, const std::string& relative, const std::string& text,
                    const std::vector<std::string>& prefixes, StemCache& stems) const;
  std::string Relative(const std::string& path) const;

  std::string root_;
  std::string folder_;
  std::string languages_;
  Xapian::Stem stemmer_;
  std::unique_ptr<Xapian::WritableDatabase> writer_;
  std::unique_ptr<Xapian::Database> reader_;
};

bool ArchiveIndex::Impl::OpenWriter() {
  if (writer_)
    return true;
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      fs::create_directories(folder_);
      auto database =
          std::make_unique<Xapian::WritableDatabase>(folder_, Xapian::DB_CREATE_OR_OPEN);
      const bool current = database->get_metadata("schema") == kSchema &&
                           database->get_metadata("languages") == languages_ &&
                           database->get_metadata("root") == root_;
      if (!current) {
        // Made by another version or for other languages: start afresh.
        database.reset();
        database =
            std::make_unique<Xapian::WritableDatabase>(folder_, Xapian::DB_CREATE_OR_OVERWRITE);
        database->set_metadata("schema", kSchema);
        database->set_metadata("languages", languages_);
        database->set_metadata("root", root_);
        database->commit();
      }
      writer_ = std::move(database);
      reader_.reset();
      return true;
    } catch (const Xapian::DatabaseLockError&) {
      return false;
    } catch (const Xapian::Error& error) {
      DropDamaged(error.get_msg().c_str());
    } catch (const fs::filesystem_error& error) {
      Log(LOG_LOCATION, "ArchiveIndex: %s", error.what());
      return false;
    }
  }
  return false;
}

void ArchiveIndex::Impl::DropDamaged(const char* why) {
  Log(LOG_LOCATION, "ArchiveIndex: rebuilding %s: %s", folder_.c_str(), why);
  writer_.reset();
  reader_.reset();
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

Xapian::Database* ArchiveIndex::Impl::OpenReader() {
  if (writer_)
    return writer_.get();
  try {
    if (reader_) {
      reader_->reopen();
    } else {
      auto database = std::make_unique<Xapian::Database>(folder_);
      if (database->get_metadata("schema") != kSchema ||
          database->get_metadata("languages") != languages_)
        return nullptr;
      reader_ = std::move(database);
    }
    return reader_.get();
  } catch (const Xapian::Error&) {
    // Missing or being rebuilt by the writer: nothing to find yet.
    reader_.reset();
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

std::map<std::string, FileStamp> ArchiveIndex::Impl::FilesKnown() const {
  std::map<std::string, FileStamp> files;
  for (auto key = writer_->metadata_keys_begin("f:"); key != writer_->metadata_keys_end("f:");
       ++key) {
    std::istringstream record(writer_->get_metadata(*key));
    FileStamp stamp;
    std::string relative;
    char state = 0;
    record >> stamp.modified >> stamp.size >> state;
    record.get();
    std::getline(record, relative);
    if (!relative.empty())
      files.emplace(relative, stamp);
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
    writer_->commit();
  }
}

void ArchiveIndex::Impl::Compact() {
  const std::string current = RemoveTrailingSeparator(folder_);
  const std::string compacted = current + ".compact";
  const std::string previous = current + ".previous";
  std::error_code ignored;
  fs::remove_all(compacted, ignored);
  fs::remove_all(previous, ignored);
  try {
    writer_->compact(compacted);
    writer_.reset();
    reader_.reset();
    fs::rename(current, previous);
    fs::rename(compacted, current);
  } catch (const Xapian::Error& error) {
    Log(LOG_LOCATION, "ArchiveIndex: not compacted: %s", error.get_msg().c_str());
  } catch (const fs::filesystem_error& error) {
    Log(LOG_LOCATION, "ArchiveIndex: not compacted: %s", error.what());
    if (!fs::exists(current, ignored))
      fs::rename(previous, current, ignored);
  }
  fs::remove_all(compacted, ignored);
  fs::remove_all(previous, ignored);
  OpenWriter();
}

void ArchiveIndex::Impl::ForgetDocument(const std::string& relative) {
  writer_->delete_document("D" + Key(relative));
  writer_->set_metadata("f:" + Key(relative), "");
}

std::vector<std::string> ArchiveIndex::Impl::ReadText(const std::string& relative) const {
  if (KindOfDocument(relative) != DocumentKind::Pdf)
    return {};
  return ExtractPdfText(EnsureTrailingSeparator(root_) + relative).pages;
}

void ArchiveIndex::Impl::IndexText(const std::string& relative, const FileStamp& stamp,
                                   const std::vector<std::string>& pages, bool known) {
  // A document without any text waits for recognition.
  const bool hasText = std::any_of(pages.begin(), pages.end(), [](const std::string& page) {
    return page.find_first_not_of(" \t\r\n\f") != std::string::npos;
  });
  WriteDocument(relative, stamp, pages, hasText, known);
}

void ArchiveIndex::Impl::WriteDocument(const std::string& relative, const FileStamp& stamp,
                                       const std::vector<std::string>& pages, bool final,
                                       bool known) {
  // Deleting by term flushes the writer's buffered positions, so a document
  // new to the index is not looked up.
  if (known)
    writer_->delete_document("D" + Key(relative));
  const std::string folder = FolderOf(relative);
  const std::string name = NameOf(relative);
  const NameMeaning meaning = ReadNameMeaning(StemOf(name));
  NameDate date;
  if (meaning.date) {
    date = *meaning.date;
  } else {
    date.firstDay = date.lastDay = LocalDay(stamp.modified);
  }
  const std::string heading = HeadingOf(relative);

  Xapian::TermGenerator generator;
  generator.set_stemmer(stemmer_);
  generator.set_stemming_strategy(Xapian::TermGenerator::STEM_SOME);
  const std::size_t count = std::max<std::size_t>(pages.size(), 1);
  for (std::size_t page = 0; page < count; ++page) {
    const std::string text = page < pages.size() ? pages[page] : std::string();
    Xapian::Document document;
    generator.set_document(document);
    // Without positions: they would be most of the index and its build
    // time; phrases are checked against the page's text instead.
    generator.index_text_without_positions(heading);
    generator.index_text_without_positions(FoldText(text));
    document.add_boolean_term("D" + Key(relative));
    // Every folder above the document, so a search in a folder finds its subfolders too.
    for (std::size_t slash = 0; slash != std::string::npos && !folder.empty();) {
      slash = folder.find('/', slash + 1);
      document.add_boolean_term("F" + Key(FoldText(folder.substr(0, slash))));
    }
    document.add_value(kFirstDaySlot, DayValue(date.firstDay));
    document.add_value(kLastDaySlot, DayValue(date.lastDay));
    document.add_value(kDocumentSlot, relative);
    // The text is kept for snippets, compressed: it is read only for hits shown.
    // The path is in the document slot already.
    document.set_data(std::to_string(page + 1) + "\n" +
                      qCompress(QByteArray::fromStdString(text), 9).toStdString());
    writer_->add_document(document);
  }
  writer_->set_metadata("f:" + Key(relative),
                        StampText(stamp) + (final ? " t\n" : " r\n") + relative);
}

std::vector<SearchHit> ArchiveIndex::Impl::Search(Xapian::Database& database,
                                                  const SearchQuery& query) const {
  Xapian::QueryParser parser;
  parser.set_database(database);
  parser.set_stemmer(stemmer_);
  parser.set_stemming_strategy(Xapian::QueryParser::STEM_SOME);
  parser.set_default_op(Xapian::Query::OP_AND);
  unsigned flags = Xapian::QueryParser::FLAG_PHRASE | Xapian::QueryParser::FLAG_WILDCARD |
                   Xapian::QueryParser::FLAG_LOVEHATE;
  if (query.lastWordIsPartial)
    flags |= Xapian::QueryParser::FLAG_PARTIAL;
  Xapian::Query match;
  const std::string words = FoldText(query.words);
  if (words.find_first_not_of(" \t\"") != std::string::npos) {
    try {
      match = parser.parse_query(words, flags);
    } catch (const Xapian::QueryParserError&) {
      match = parser.parse_query(words, 0);
    }
    if (match.empty())
      return {};
  }
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

  // Words matched by a prefix are not among a hit's matching terms; the
  // snippet marks them by the prefix itself.
  const std::vector<std::string> prefixes = PrefixesOf(words, query.lastWordIsPartial);
  const std::vector<std::vector<std::string>> phrases = PhrasesOf(words);
  Xapian::Enquire enquire(database);
  enquire.set_query(match);
  // Phrases match their words anywhere on the page until checked below, where
  // a page that fails must not hide another page of its document.
  if (phrases.empty())
    enquire.set_collapse_key(kDocumentSlot);
  std::vector<SearchHit> hits;
  std::set<std::string> documentsFound;
  StemCache stems;
  const Xapian::doccount batch =
      static_cast<Xapian::doccount>(std::max(query.limit, 1) * (phrases.empty() ? 1 : 4));
  for (Xapian::doccount offset = 0; static_cast<int>(hits.size()) < query.limit; offset += batch) {
    const Xapian::MSet found = enquire.get_mset(offset, batch);
    if (found.empty())
      break;
    for (auto it = found.begin(); it != found.end(); ++it) {
      if (static_cast<int>(hits.size()) >= query.limit)
        break;
      const Xapian::Document document = it.get_document();
      const std::string data = document.get_data();
      const std::size_t newline = data.find('\n');
      if (newline == std::string::npos)
        continue;
      const std::string relative = document.get_value(kDocumentSlot);
      if (!phrases.empty() && documentsFound.count(relative) != 0)
        continue;
      const QByteArray packed = QByteArray::fromRawData(
          data.data() + newline + 1, static_cast<qsizetype>(data.size() - newline - 1));
      const std::string text = qUncompress(packed).toStdString();
      if (!phrases.empty()) {
        std::vector<std::string> pageWords = WordsOf(HeadingOf(relative));
        for (std::string& word : WordsOf(FoldText(text)))
          pageWords.push_back(std::move(word));
        if (!HasPhrases(pageWords, phrases))
          continue;
        documentsFound.insert(relative);
      }
      hits.push_back(
          MakeHit(enquire, it, data.substr(0, newline), relative, text, prefixes, stems));
    }
    if (found.size() < batch || phrases.empty())
      break;
  }
  return hits;
}

SearchHit ArchiveIndex::Impl::MakeHit(const Xapian::Enquire& enquire,
                                      const Xapian::MSetIterator& it, const std::string& page,
                                      const std::string& relative, const std::string& text,
                                      const std::vector<std::string>& prefixes,
                                      StemCache& stems) const {
  const std::string root = EnsureTrailingSeparator(root_);
  const Xapian::Document document = it.get_document();
  SearchHit hit;
  hit.page = std::atoi(page.c_str());
  hit.path = root + relative;
  hit.folder = FolderOf(relative);
  hit.name = NameOf(relative);
  hit.day = std::atoi(document.get_value(kFirstDaySlot).c_str());
  std::set<std::string> terms;
  for (auto term = enquire.get_matching_terms_begin(it); term != enquire.get_matching_terms_end(it);
       ++term)
    terms.insert(*term);
  Xapian::Stem stemmer = stemmer_;
  hit.snippet = MakeSnippet(text, [&](const std::string& word) {
    if (terms.count(word) != 0)
      return true;
    auto stem = stems.find(word);
    if (stem == stems.end())
      stem = stems.emplace(word, "Z" + stemmer(word)).first;
    if (terms.count(stem->second) != 0)
      return true;
    for (const std::string& prefix : prefixes)
      if (word.compare(0, prefix.size(), prefix) == 0)
        return true;
    return false;
  });
  return hit;
}

ArchiveIndex::ArchiveIndex(std::string archiveRoot, std::string indexFolder, std::string languages)
    : root_(RemoveTrailingSeparator(std::move(archiveRoot))),
      impl_(std::make_unique<Impl>(root_, std::move(indexFolder), std::move(languages))) {}

ArchiveIndex::~ArchiveIndex() = default;

ArchiveIndex::UpdateResult ArchiveIndex::Update(const Progress& progress) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!impl_->OpenWriter())
      return UpdateResult::Busy;
    try {
      const auto onDisk = impl_->FilesOnDisk();
      const auto known = impl_->FilesKnown();
      for (const auto& [relative, stamp] : known)
        if (!onDisk.count(relative))
          impl_->ForgetDocument(relative);
      std::vector<std::pair<std::string, FileStamp>> todo;
      for (const auto& [relative, stamp] : onDisk) {
        const auto found = known.find(relative);
        if (found == known.end() || !(found->second == stamp))
          todo.emplace_back(relative, stamp);
      }
      const int total = static_cast<int>(todo.size());
      if (progress && !progress(0, total)) {
        impl_->writer_->commit();
        return UpdateResult::Stopped;
      }
      // The next document's text is read on another thread while this one
      // is indexed, so reading and indexing overlap.
      auto read = [this](const std::string& relative) { return impl_->ReadText(relative); };
      std::future<std::vector<std::string>> next;
      if (total > 0)
        next = std::async(std::launch::async, read, todo[0].first);
      std::size_t pagesSinceCommit = 0;
      for (int i = 0; i < total; ++i) {
        std::vector<std::string> pages = next.get();
        if (i + 1 < total)
          next = std::async(std::launch::async, read, todo[i + 1].first);
        impl_->IndexText(todo[i].first, todo[i].second, pages, known.count(todo[i].first) != 0);
        pagesSinceCommit += std::max<std::size_t>(pages.size(), 1);
        if (pagesSinceCommit >= kCommitEveryPages) {
          impl_->writer_->commit();
          pagesSinceCommit = 0;
        }
        if (progress && !progress(i + 1, total)) {
          impl_->writer_->commit();
          return UpdateResult::Stopped;
        }
      }
      impl_->writer_->commit();
      impl_->CompactIfGrown(static_cast<std::size_t>(total));
      return UpdateResult::Done;
    } catch (const Xapian::Error& error) {
      impl_->DropDamaged(error.get_msg().c_str());
    }
  }
  return UpdateResult::Failed;
}

bool ArchiveIndex::IndexDocument(const std::string& path,
                                 const std::vector<std::string>& pageTexts) {
  return IndexDocuments({{path, pageTexts}});
}

bool ArchiveIndex::IndexDocuments(const std::vector<DocumentText>& documents) {
  if (!impl_->OpenWriter())
    return false;
  bool all = true;
  try {
    for (const auto& [path, pageTexts] : documents) {
      const auto stamp = StampOf(path);
      if (!stamp) {
        all = false;  // gone already: the next update forgets it
        continue;
      }
      const std::string relative = impl_->Relative(path);
      const bool known = !impl_->writer_->get_metadata("f:" + Key(relative)).empty();
      impl_->WriteDocument(relative, *stamp, pageTexts, true, known);
    }
    impl_->writer_->commit();
    impl_->CompactIfGrown(documents.size());
    return all;
  } catch (const Xapian::Error& error) {
    impl_->DropDamaged(error.get_msg().c_str());
    return false;
  }
}

std::vector<SearchHit> ArchiveIndex::Search(const SearchQuery& query) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    Xapian::Database* database = impl_->OpenReader();
    if (!database)
      return {};
    try {
      return impl_->Search(*database, query);
    } catch (const Xapian::DatabaseModifiedError&) {
      // The writer moved on under a long search: look again at the new state.
      impl_->reader_.reset();
    } catch (const Xapian::Error& error) {
      Log(LOG_LOCATION, "ArchiveIndex: search failed: %s", error.get_msg().c_str());
      return {};
    }
  }
  return {};
}

std::vector<std::string> ArchiveIndex::AwaitingRecognition(std::size_t most) {
  std::vector<std::string> paths;
  if (!impl_->OpenWriter())
    return paths;
  try {
    Xapian::WritableDatabase& database = *impl_->writer_;
    for (auto key = database.metadata_keys_begin("f:");
         key != database.metadata_keys_end("f:") && paths.size() < most; ++key) {
      std::istringstream record(database.get_metadata(*key));
      long long number = 0;
      char state = 0;
      std::string relative;
      record >> number >> number >> state;
      record.get();
      std::getline(record, relative);
      if (state == 'r' && !relative.empty())
        paths.push_back(EnsureTrailingSeparator(root_) + relative);
    }
  } catch (const Xapian::Error& error) {
    impl_->DropDamaged(error.get_msg().c_str());
  }
  return paths;
}

int ArchiveIndex::DocumentCount() {
  Xapian::Database* database = impl_->OpenReader();
  if (!database)
    return 0;
  try {
    int count = 0;
    for (auto key = database->metadata_keys_begin("f:"); key != database->metadata_keys_end("f:");
         ++key)
      ++count;
    return count;
  } catch (const Xapian::Error&) {
    return 0;
  }
}
