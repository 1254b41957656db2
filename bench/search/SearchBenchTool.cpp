// The archive index measured by compare_search.py beside pdftotext and pdfgrep:
//   make-archive DIR DOCUMENTS PAGES   text PDFs of synthetic words (Qt's PDF writer)
//   index DIR CACHE                    brings the index up to date; prints seconds
//   synthetic DIR CACHE PAGES          an index of PAGES pages straight from text
//   query DIR CACHE ROUNDS WORDS...    every document each query finds, without snippets
//                                      (as pdfgrep -l lists them): prints them, the number
//                                      of hits and the p95 in ms
//   query-shown DIR CACHE ROUNDS WORDS...  the hits the window lists, each with its snippet
//   query-screen DIR CACHE ROUNDS WORDS... the hits the window lists, a screenful with snippets
//   print DIR CACHE LIMIT WORDS...         the first LIMIT hits of one query with their
//                                          snippets, printed as `docketeer search` does
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "search/ArchiveIndex.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// Zipf-like words from a fixed vocabulary, the same for every run.
class Words {
 public:
  Words() : random_(7) {
    std::uniform_int_distribution<int> length(3, 10), letter('a', 'z');
    for (int i = 0; i < 20000; ++i) {
      std::string word;
      for (int n = length(random_); n > 0; --n)
        word += static_cast<char>(letter(random_));
      vocabulary_.push_back(word);
    }
  }
  std::string Page(int count) {
    std::uniform_real_distribution<double> uniform(0, 1);
    std::string text;
    for (int i = 0; i < count; ++i) {
      const double u = uniform(random_);
      text += vocabulary_[static_cast<std::size_t>(u * u * u * (vocabulary_.size() - 1))];
      text += (i % 12 == 11) ? '\n' : ' ';
    }
    return text;
  }

 private:
  std::mt19937 random_;
  std::vector<std::string> vocabulary_;
};

constexpr int kWordsPerPage = 250;
// As many hits as the window lists.
constexpr int kShownHits = 100;
// As many as the window shows at once.
constexpr int kScreenHits = 20;

std::string DocumentPath(const std::string& root, int document) {
  return root + "/Folder " + std::to_string(document % 20) + "/Statement Ending 2026-" +
         std::to_string(10 + document % 3) + "-" + std::to_string(10 + document % 18) + " " +
         std::to_string(document) + ".pdf";
}

int MakeArchive(const std::string& root, int documents, int pages) {
  Words words;
  for (int d = 0; d < documents; ++d) {
    const std::string path = DocumentPath(root, d);
    fs::create_directories(fs::path(path).parent_path());
    QPdfWriter writer(QString::fromStdString(path));
    writer.setResolution(72);
    QPainter painter(&writer);
    painter.setFont(QFont("DejaVu Sans", 9));
    for (int p = 0; p < pages; ++p) {
      if (p > 0)
        writer.newPage();
      painter.drawText(QRect(40, 40, 520, 760), Qt::TextWordWrap,
                       QString::fromStdString(words.Page(kWordsPerPage)));
    }
  }
  return 0;
}

std::uintmax_t FolderBytes(const std::string& folder) {
  std::uintmax_t bytes = 0;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file())
      bytes += entry.file_size();
  return bytes;
}

int Index(const std::string& root, const std::string& cache) {
  ArchiveIndex index(root, cache, "eng");
  const auto start = Clock::now();
  const auto result = index.Update();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("index %.3f s, %llu bytes, result %d\n", seconds,
              static_cast<unsigned long long>(FolderBytes(cache)), static_cast<int>(result));
  return result == ArchiveIndex::UpdateResult::Done ? 0 : 1;
}

int Synthetic(const std::string& root, const std::string& cache, int pages) {
  Words words;
  ArchiveIndex index(root, cache, "eng");
  constexpr int kPagesPerDocument = 100;
  std::uintmax_t textBytes = 0;
  // Written in batches, as a first build of a large archive is.
  constexpr int kDocumentsPerBatch = 250;
  std::vector<ArchiveIndex::DocumentText> batch;
  const auto start = Clock::now();
  for (int d = 0; d * kPagesPerDocument < pages; ++d) {
    const std::string path = DocumentPath(root, d);
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << "placeholder";
    std::vector<std::string> texts;
    for (int p = 0; p < kPagesPerDocument; ++p)
      texts.push_back(words.Page(kWordsPerPage));
    for (const auto& text : texts)
      textBytes += text.size();
    batch.emplace_back(path, std::move(texts));
    if (batch.size() == kDocumentsPerBatch || (d + 1) * kPagesPerDocument >= pages) {
      if (!index.IndexDocuments(batch))
        return 1;
      batch.clear();
    }
  }
  std::printf("synthetic build %.3f s\n",
              std::chrono::duration<double>(Clock::now() - start).count());
  std::printf("synthetic %d pages, text %llu bytes, index %llu bytes\n", pages,
              static_cast<unsigned long long>(textBytes),
              static_cast<unsigned long long>(FolderBytes(cache)));
  return 0;
}

int Query(const std::string& root, const std::string& cache, int rounds, int limit, int snippets,
          const std::vector<std::string>& queries) {
  ArchiveIndex index(root, cache, "eng");
  std::vector<double> times;
  for (const std::string& words : queries) {
    SearchQuery query;
    query.words = words;
    query.limit = limit;
    query.snippets = snippets;
    std::vector<SearchHit> hits;
    for (int r = 0; r < rounds; ++r) {
      const auto start = Clock::now();
      hits = index.Search(query);
      times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    if (snippets == 0)
      for (const SearchHit& hit : hits)
        std::printf("found %s\n", hit.path.c_str());
    std::printf("hits %zu %s\n", hits.size(), words.c_str());
  }
  std::sort(times.begin(), times.end());
  std::printf("p95 %.3f ms\n", times[times.size() * 95 / 100]);
  return 0;
}

int Print(const std::string& root, const std::string& cache, int limit,
          const std::vector<std::string>& words) {
  ArchiveIndex index(root, cache, "eng");
  SearchQuery query;
  for (const std::string& word : words)
    query.words += (query.words.empty() ? "" : " ") + word;
  query.limit = limit;
  for (const SearchHit& hit : index.Search(query))
    std::printf("%s\t%d\t%s\n", hit.path.c_str(), hit.page, SnippetText(hit.snippet).c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() >= 4 && args[0] == "make-archive") {
    QGuiApplication application(argc, argv);  // fonts for the PDF writer
    return MakeArchive(args[1], std::stoi(args[2]), std::stoi(args[3]));
  }
  QCoreApplication application(argc, argv);
  if (args.size() >= 3 && args[0] == "index")
    return Index(args[1], args[2]);
  if (args.size() >= 4 && args[0] == "synthetic")
    return Synthetic(args[1], args[2], std::stoi(args[3]));
  if (args.size() >= 5 && args[0] == "query")
    return Query(args[1], args[2], std::stoi(args[3]), 1000000, 0, {args.begin() + 4, args.end()});
  if (args.size() >= 5 && args[0] == "query-shown")
    return Query(args[1], args[2], std::stoi(args[3]), kShownHits, kShownHits,
                 {args.begin() + 4, args.end()});
  if (args.size() >= 5 && args[0] == "query-screen")
    return Query(args[1], args[2], std::stoi(args[3]), kShownHits, kScreenHits,
                 {args.begin() + 4, args.end()});
  if (args.size() >= 5 && args[0] == "print")
    return Print(args[1], args[2], std::stoi(args[3]), {args.begin() + 4, args.end()});
  std::fputs("usage: see the head of SearchBenchTool.cpp\n", stderr);
  return 2;
}
