// The archive index under faults: damage, files that are not what they
// should be, a full disk, names no line-based record survives, costly PDFs.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QByteArray>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>

#include "FileSizeLimit.h"
#include "SearchableDocuments.h"
#include "search/ArchiveIndex.h"

namespace fs = std::filesystem;

namespace {

using Names = std::set<std::string>;

// A one-page PDF whose text is `word` drawn `times` times, its content
// compressed: a small file that unpacks to much.
bool WriteRepetitivePdf(const std::string& path, const std::string& word, int times) {
  std::string content;
  for (int i = 0; i < times; ++i)
    content += "BT /F1 12 Tf 72 720 Td (" + word + ") Tj ET\n";
  QByteArray packed = qCompress(QByteArray::fromStdString(content)).mid(4);  // zlib stream
  std::vector<std::string> objects = {
      "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R "
      "/Resources << /Font << /F1 5 0 R >> >> >>",
      "<< /Length " + std::to_string(packed.size()) + " /Filter /FlateDecode >>\nstream\n" +
          packed.toStdString() + "\nendstream",
      "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"};
  std::string pdf = "%PDF-1.4\n";
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const std::size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (const std::size_t offset : offsets) {
    char line[24];
    std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
    pdf += line;
  }
  pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) +
         " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  return static_cast<bool>(std::ofstream(path, std::ios::binary) << pdf);
}

class IndexFaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = archive_.path().toStdString();
    folder_ = cache_.path().toStdString() + "/index";
    database_ = folder_ + "/db";
    fs::create_directories(root_ + "/Insurance");
    fs::create_directories(root_ + "/Bank");
    ASSERT_TRUE(WriteSearchablePdf(root_ + "/Insurance/House.pdf", {"roof Müller", "insurer"}));
    ASSERT_TRUE(WriteSearchablePdf(root_ + "/Bank/Check 1042.pdf", {"pay to the order of"}));
  }

  // As the command line does: update, search, and once more when the
  // search found the index damaged.
  Names Find(ArchiveIndex& index, const std::string& words) {
    Names names;
    for (int attempt = 0; attempt < 2; ++attempt) {
      index.Update();
      SearchQuery query;
      query.words = words;
      names.clear();
      for (const SearchHit& hit : index.Search(query))
        names.insert(hit.name);
      if (index.Problem().empty())
        break;
    }
    return names;
  }

  void FlipBytes(unsigned seed, int count) {
    std::mt19937 random(seed);
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(database_))
      if (entry.path().filename() != "flintlock" && fs::file_size(entry.path()) > 0)
        files.push_back(entry.path());
    for (int i = 0; i < count; ++i) {
      const fs::path& file = files[random() % files.size()];
      std::fstream stream(file, std::ios::in | std::ios::out | std::ios::binary);
      stream.seekp(static_cast<std::streamoff>(random() % fs::file_size(file)));
      stream.put(static_cast<char>(random()));
    }
  }

  QTemporaryDir archive_;
  QTemporaryDir cache_;
  std::string root_;
  std::string folder_;
  std::string database_;
};

TEST_F(IndexFaultsTest, DamageAndStrangeFilesAreRebuiltWithoutHanging) {
  const auto replaceWith = [&](const std::string& path, bool fifo) {
    fs::remove_all(path);
    if (fifo)
      ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    else
      std::ofstream(path) << "not an index";
  };
  struct Case {
    const char* fault;
    std::function<void()> apply;
  } cases[] = {
      {"every file truncated",
       [&] {
         for (const auto& entry : fs::directory_iterator(database_))
           fs::resize_file(entry.path(), fs::file_size(entry.path()) / 2);
       }},
      {"db is a file", [&] { replaceWith(database_, false); }},
      {"db is a FIFO", [&] { replaceWith(database_, true); }},
      {"db is a dangling link",
       [&] { fs::remove_all(database_), fs::create_symlink(folder_ + "/nowhere", database_); }},
      {"a table is a FIFO", [&] { replaceWith(database_ + "/postlist.glass", true); }},
      {"the lock is a FIFO", [&] { replaceWith(folder_ + "/lock", true); }},
      {"a kept text is a FIFO",
       [&] {
         for (const auto& entry : fs::directory_iterator(folder_ + "/text"))
           replaceWith(entry.path().string(), true);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    {
      ArchiveIndex index(root_, folder_, "eng");
      ASSERT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
      ASSERT_TRUE(index.IndexDocument(root_ + "/Bank/Check 1042.pdf", {"pay to the order of"}));
    }
    c.apply();
    ArchiveIndex index(root_, folder_, "eng");
    EXPECT_EQ(Find(index, "muller"), Names{"House.pdf"});
    EXPECT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done) << index.Problem();
    EXPECT_EQ(Find(index, "order"), Names{"Check 1042.pdf"});
  }
}

TEST_F(IndexFaultsTest, BytesFlippedAnywhereNeverGiveWrongAnswers) {
  for (unsigned seed = 1; seed <= 12; ++seed) {
    SCOPED_TRACE(seed);
    fs::remove_all(folder_);
    {
      ArchiveIndex index(root_, folder_, "eng");
      ASSERT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
    }
    FlipBytes(seed, 30);
    ArchiveIndex index(root_, folder_, "eng");
    EXPECT_EQ(Find(index, "muller"), Names{"House.pdf"});
    EXPECT_EQ(Find(index, "order"), Names{"Check 1042.pdf"});
    EXPECT_EQ(Find(index, "insurance"), Names{"House.pdf"});
  }
}

TEST_F(IndexFaultsTest, AnIndexThatCannotBeWrittenIsKeptAndStillSearched) {
  {
    ArchiveIndex index(root_, folder_, "eng");
    ASSERT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
  }
  for (int i = 0; i < 40; ++i) {
    std::string words = "overdraft";
    for (int j = 0; j < 150; ++j)
      words += " w" + std::to_string(i) + "x" + std::to_string(j);
    ASSERT_TRUE(WriteSearchablePdf(root_ + "/Bank/Letter " + std::to_string(i) + ".pdf", {words}));
  }
  ArchiveIndex index(root_, folder_, "eng");
  {
    // As a full disk: no file of the index may grow.
    FileSizeLimit full(16384);
    ASSERT_TRUE(full.Active());
    EXPECT_EQ(index.Update(), ArchiveIndex::UpdateResult::Failed);
    EXPECT_FALSE(index.Problem().empty());
    SearchQuery query;
    query.words = "muller";
    EXPECT_EQ(index.Search(query).size(), 1u);  // the index as last written
    // Another writer holds it meanwhile: refused, not waited for.
  }
  EXPECT_TRUE(fs::exists(database_ + "/iamglass"));
  EXPECT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done) << index.Problem();
  EXPECT_EQ(Find(index, "overdraft").size(), 40u) << index.Problem();
}

TEST_F(IndexFaultsTest, AwkwardNamesAndCostlyDocuments) {
  const std::string longWord(246, 'w');
  const std::string lineFeed = root_ + "/Bank/Check\n1043.pdf";
  ASSERT_TRUE(WriteSearchablePdf(lineFeed, {"cashier"}));
  fs::create_directories(root_ + "/Long " + longWord);
  ASSERT_TRUE(
      WriteSearchablePdf(root_ + "/Long " + longWord + "/Deed " + longWord + ".pdf", {"parcel"}));
  // 8 MiB of text operators packed into a small file; a page below the cap is read.
  ASSERT_TRUE(WriteRepetitivePdf(root_ + "/Bank/Hostile.pdf", "hostile", 200000));
  ASSERT_TRUE(WriteRepetitivePdf(root_ + "/Bank/Harmless.pdf", "harmless", 10));
  ASSERT_LT(fs::file_size(root_ + "/Bank/Hostile.pdf"), 200000u);

  ArchiveIndex index(root_, folder_, "eng");
  ASSERT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done) << index.Problem();
  int read = -1;
  for (int i = 0; i < 3; ++i)
    ASSERT_EQ(index.Update([&](int, int total) { return read = total, true; }),
              ArchiveIndex::UpdateResult::Done);
  EXPECT_EQ(read, 0);  // nothing is read again, whatever its name holds
  EXPECT_EQ(Find(index, "cashier"), Names{"Check\n1043.pdf"});
  EXPECT_EQ(Find(index, "parcel"), Names{"Deed " + longWord + ".pdf"});
  EXPECT_EQ(Find(index, "deed long"), Names{"Deed " + longWord + ".pdf"});
  EXPECT_EQ(Find(index, "harmless"), Names{"Harmless.pdf"});
  EXPECT_TRUE(Find(index, "hostile").count("Hostile.pdf") == 1);  // by its name only
  EXPECT_EQ(index.AwaitingRecognitionCount(), 0);                 // never drawn to be read either
  SearchQuery query;
  query.words = "hostile";
  const std::vector<SearchHit> hits = index.Search(query);
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_EQ(SnippetText(hits[0].snippet), "");  // nor read for a snippet

  fs::remove(lineFeed);
  EXPECT_TRUE(Find(index, "cashier").empty());
  EXPECT_EQ(index.DocumentCount(), 5);
}

}  // namespace
