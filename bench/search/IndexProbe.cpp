// Throwaway comparison of the two candidate index libraries on a synthetic
// archive: build time, index size against the text, and query latency.
// Build: g++ -O2 -std=c++20 IndexProbe.cpp -lxapian -lsqlite3 -o probe
#include <sqlite3.h>
#include <xapian.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> MakeVocabulary(std::mt19937& random, int size) {
  std::vector<std::string> words;
  std::uniform_int_distribution<int> length(3, 10), letter('a', 'z');
  for (int i = 0; i < size; ++i) {
    std::string word;
    for (int n = length(random); n > 0; --n)
      word += static_cast<char>(letter(random));
    words.push_back(word);
  }
  return words;
}

std::vector<std::string> MakePages(std::mt19937& random, const std::vector<std::string>& words,
                                   int pages, int wordsPerPage) {
  // Zipf-like: squaring a uniform value favours the first words.
  std::uniform_real_distribution<double> uniform(0, 1);
  std::vector<std::string> result;
  result.reserve(pages);
  for (int p = 0; p < pages; ++p) {
    std::string text;
    for (int w = 0; w < wordsPerPage; ++w) {
      const double u = uniform(random);
      text += words[static_cast<std::size_t>(u * u * u * (words.size() - 1))];
      text += ' ';
    }
    result.push_back(std::move(text));
  }
  return result;
}

std::uintmax_t FolderSize(const std::filesystem::path& folder) {
  std::uintmax_t size = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    if (entry.is_regular_file())
      size += entry.file_size();
  return size;
}

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

double P95(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() * 95 / 100];
}

}  // namespace

int main(int argc, char** argv) {
  const int pages = argc > 1 ? std::atoi(argv[1]) : 100000;
  const std::filesystem::path work = argc > 2 ? argv[2] : "/tmp/index-probe";
  std::filesystem::remove_all(work);
  std::filesystem::create_directories(work);
  std::mt19937 random(42);
  const auto words = MakeVocabulary(random, 30000);
  const auto text = MakePages(random, words, pages, 200);
  std::uintmax_t textSize = 0;
  for (const auto& t : text)
    textSize += t.size();
  std::vector<std::string> queries;
  for (int i = 0; i < 200; ++i)
    queries.push_back(words[(i * 7919) % 3000] + " " + words[(i * 104729) % 8000]);

  {
    auto start = Clock::now();
    Xapian::WritableDatabase db((work / "xapian").string(), Xapian::DB_CREATE_OR_OVERWRITE);
    Xapian::TermGenerator generator;
    generator.set_stemmer(Xapian::Stem("english"));
    db.begin_transaction(false);
    for (int p = 0; p < pages; ++p) {
      Xapian::Document doc;
      generator.set_document(doc);
      generator.index_text(text[p]);
      doc.set_data(std::to_string(p));
      db.add_document(doc);
    }
    db.commit_transaction();
    db.close();
    const double build = Ms(Clock::now() - start);
    Xapian::Database reader((work / "xapian").string());
    Xapian::QueryParser parser;
    parser.set_database(reader);
    parser.set_stemmer(Xapian::Stem("english"));
    parser.set_default_op(Xapian::Query::OP_AND);
    std::vector<double> times;
    for (const auto& q : queries) {
      auto s = Clock::now();
      Xapian::Enquire enquire(reader);
      enquire.set_query(parser.parse_query(
          q, Xapian::QueryParser::FLAG_DEFAULT | Xapian::QueryParser::FLAG_WILDCARD));
      auto matches = enquire.get_mset(0, 50);
      for (auto it = matches.begin(); it != matches.end(); ++it)
        (void)it.get_document().get_data();
      times.push_back(Ms(Clock::now() - s));
    }
    std::printf("xapian: build %.0f ms, index %.1f MB (text %.1f MB, %.2fx), query p95 %.2f ms\n",
                build, FolderSize(work / "xapian") / 1e6, textSize / 1e6,
                double(FolderSize(work / "xapian")) / textSize, P95(times));
  }
  {
    auto start = Clock::now();
    sqlite3* db = nullptr;
    sqlite3_open((work / "fts.db").c_str(), &db);
    sqlite3_exec(db,
                 "CREATE VIRTUAL TABLE pages USING fts5(body, tokenize='porter unicode61 "
                 "remove_diacritics 2', detail=column); BEGIN;",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO pages(body) VALUES(?)", -1, &insert, nullptr);
    for (int p = 0; p < pages; ++p) {
      sqlite3_bind_text(insert, 1, text[p].c_str(), -1, SQLITE_STATIC);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT; INSERT INTO pages(pages) VALUES('optimize');", nullptr, nullptr,
                 nullptr);
    const double build = Ms(Clock::now() - start);
    sqlite3_stmt* query = nullptr;
    sqlite3_prepare_v2(db, "SELECT rowid FROM pages WHERE pages MATCH ? ORDER BY rank LIMIT 50", -1,
                       &query, nullptr);
    std::vector<double> times;
    for (const auto& q : queries) {
      auto s = Clock::now();
      sqlite3_bind_text(query, 1, q.c_str(), -1, SQLITE_TRANSIENT);
      while (sqlite3_step(query) == SQLITE_ROW) {
      }
      sqlite3_reset(query);
      times.push_back(Ms(Clock::now() - s));
    }
    sqlite3_finalize(query);
    sqlite3_close(db);
    std::printf("fts5:   build %.0f ms, index %.1f MB (text %.1f MB, %.2fx), query p95 %.2f ms\n",
                build, std::filesystem::file_size(work / "fts.db") / 1e6, textSize / 1e6,
                double(std::filesystem::file_size(work / "fts.db")) / textSize, P95(times));
  }
  std::filesystem::remove_all(work);
}
