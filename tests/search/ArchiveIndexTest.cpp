#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>

#include "SearchableDocuments.h"
#include "search/ArchiveIndex.h"

namespace fs = std::filesystem;

namespace {

using Found = std::set<std::pair<std::string, int>>;  // file name, page

class ArchiveIndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = archive_.path().toStdString();
    indexFolder_ = cache_.path().toStdString() + "/index/";
    Pdf("Insurance/House 2026-03-14.pdf",
        {"roof damage claim Müller", "the insurer pays the roofing costs"});
    Pdf("Bank/Statements/Month Ending 2026-11-30.pdf", {"balance of the account"});
    Pdf("Bank/Check 1042.pdf", {"pay to the order of Straße"});
    Pdf("Taxes/Bescheid 2025.pdf", {"Versicherungen und Steuern"});
    ASSERT_TRUE(WriteImageDocument(root_ + "/Scans/Receipt.tif"));
  }

  void Pdf(const std::string& relative, const std::vector<std::string>& pages) {
    fs::create_directories(fs::path(root_ + "/" + relative).parent_path());
    ASSERT_TRUE(WriteSearchablePdf(root_ + "/" + relative, pages)) << relative;
    fs::create_directories(root_ + "/Scans");
  }

  static Found Names(const std::vector<SearchHit>& hits) {
    Found found;
    for (const SearchHit& hit : hits)
      found.emplace(hit.name, hit.page);
    return found;
  }

  Found Search(ArchiveIndex& index, const std::string& words, const std::string& folder = {},
               int since = 0, int until = 0) {
    SearchQuery query;
    query.words = words;
    query.folder = folder;
    if (since)
      query.sinceDay = since;
    if (until)
      query.untilDay = until;
    return Names(index.Search(query));
  }

  QTemporaryDir archive_;
  QTemporaryDir cache_;
  std::string root_;
  std::string indexFolder_;
};

TEST_F(ArchiveIndexTest, QueriesFindTheirPages) {
  ArchiveIndex index(root_, indexFolder_, "eng");
  ASSERT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
  const Found house1 = {{"House 2026-03-14.pdf", 1}};
  const Found house2 = {{"House 2026-03-14.pdf", 2}};
  const Found statement = {{"Month Ending 2026-11-30.pdf", 1}};
  const Found check = {{"Check 1042.pdf", 1}};
  const Found receipt = {{"Receipt.tif", 1}};
  struct Case {
    const char* words;
    std::string folder;
    int since;
    int until;
    Found expected;
  } cases[] = {
      {"muller", "", 0, 0, house1},
      {"MÜLLER", "", 0, 0, house1},
      {"claims", "", 0, 0, house1},  // stemmed
      {"insurer roofing", "", 0, 0, house2},
      {"insurance roofing", "", 0, 0, house2},  // the folder's word counts on every page
      {"\"roofing costs\"", "", 0, 0, house2},
      {"\"costs roofing\"", "", 0, 0, {}},
      {"strasse", "", 0, 0, check},
      {"1042", "", 0, 0, check},
      {"receipt", "", 0, 0, receipt},
      {"balance", "Insurance", 0, 0, {}},
      {"balance", "Bank", 0, 0, statement},
      {"balance", root_ + "/Bank/Statements/", 0, 0, statement},
      {"", "", 20261101, 20261130, statement},
      {"", "", 20260301, 20260331, house1},
      {"steuern", "", 20250601, 20250630, {{"Bescheid 2025.pdf", 1}}},
      {"nothing-like-this", "", 0, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.words) + " in " + c.folder);
    EXPECT_EQ(Search(index, c.words, c.folder, c.since, c.until), c.expected);
  }
  // One hit per document, however many of its pages match.
  const Found insur = Search(index, "insur*");
  ASSERT_EQ(insur.size(), 1u);
  EXPECT_EQ(insur.begin()->first, "House 2026-03-14.pdf");
}

// A document holds the words of all its pages, its name, folder and year;
// the hit names the page with the most of them, then the first.
TEST_F(ArchiveIndexTest, DocumentsMatchAllTheirWordsOnAnyPage) {
  Pdf("Policies/Policy 2025-05-02.pdf",
      {"the checksum of the archive", "files compressed with a checksum"});
  Pdf("Notes/Memo.pdf", {"the program's behav-\nior was odd; send an e-\nmail to Jean-\nPierre",
                         "the patient was dying; Café Zoë"});
  ArchiveIndex index(root_, indexFolder_, "eng");
  ASSERT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
  const auto policy = [](int page) { return Found{{"Policy 2025-05-02.pdf", page}}; };
  const auto memo = [](int page) { return Found{{"Memo.pdf", page}}; };
  struct Case {
    const char* words;
    Found expected;
  } cases[] = {
      {"checksum compressed", policy(2)},
      {"archive compressed", policy(1)},
      {"policy compressed", policy(2)},  // a name word and a page word
      {"policies 2025 archive", policy(1)},
      {"\"checksum of\"", policy(1)},
      {"\"archive files\"", {}},  // a phrase stays within its page
      {"checksum -compressed", {}},
      {"behavior", memo(1)},  // hyphenated at a line end
      {"behav", {}},
      {"email", memo(1)},
      {"e-mail", memo(1)},
      {"jean-pierre", memo(1)},
      {"jeanpierre", memo(1)},
      {"die", memo(2)},  // word forms
      {"patients", memo(2)},
      {"cafe zoe", memo(2)},  // accents
      {"CAFÉ email", memo(1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.words);
    EXPECT_EQ(Search(index, c.words), c.expected);
  }
}

TEST_F(ArchiveIndexTest, TypedWordsPrefixesAndExclusions) {
  ArchiveIndex index(root_, indexFolder_, "eng");
  ASSERT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
  const auto typed = [&](const std::string& words) {
    SearchQuery query;
    query.words = words;
    query.lastWordIsPartial = true;
    return Names(index.Search(query));
  };
  const Found house2 = {{"House 2026-03-14.pdf", 2}};
  EXPECT_EQ(typed("insurer roofi"), house2);  // the word being typed
  EXPECT_EQ(typed("insurer roofing "), house2);
  // A word left out leaves out the document that holds it on any page.
  EXPECT_TRUE(Search(index, "roof* -damage").empty());
  EXPECT_EQ(Search(index, "pay -insurer"), (Found{{"Check 1042.pdf", 1}}));
}

TEST_F(ArchiveIndexTest, SnippetsAreReadForTheHitsAskedFor) {
  ArchiveIndex index(root_, indexFolder_, "eng");
  ASSERT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
  ASSERT_TRUE(index.IndexDocument(root_ + "/Scans/Receipt.tif", {"", "roofing nails paid"}));
  SearchQuery query;
  query.words = "roofing";
  std::vector<SearchHit> hits = index.Search(query);
  ASSERT_EQ(hits.size(), 2u);
  for (const SearchHit& hit : hits) {
    SCOPED_TRACE(hit.name);
    EXPECT_EQ(hit.page, 2);
    const std::string expected =
        hit.name == "Receipt.tif" ? "roofing nails paid" : "the insurer pays the roofing costs";
    EXPECT_EQ(SnippetText(hit.snippet), expected);
    EXPECT_EQ(SnippetText(index.SnippetFor(hit, query)), expected);
  }
  query.snippets = 1;
  int estimated = 0;
  hits = index.Search(query, &estimated);
  ASSERT_EQ(hits.size(), 2u);
  EXPECT_FALSE(hits[0].snippet.empty());
  EXPECT_TRUE(hits[1].snippet.empty());
  EXPECT_EQ(estimated, 2);
  // The next page of the list, counted the same, for words and for a phrase.
  for (const char* words : {"roofing", "\"roofing\""}) {
    SCOPED_TRACE(words);
    query.words = words;
    query.offset = 1;
    query.limit = 1;
    int total = 0;
    const std::vector<SearchHit> next = index.Search(query, &total);
    ASSERT_EQ(next.size(), 1u);
    EXPECT_EQ(next[0].path, hits[1].path);
    EXPECT_EQ(total, 2);
  }
}

TEST_F(ArchiveIndexTest, RecognisedTextOutlivesARebuild) {
  {
    ArchiveIndex index(root_, indexFolder_, "eng");
    ASSERT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
    ASSERT_TRUE(index.IndexDocument(root_ + "/Scans/Receipt.tif", {"hardware store nails"}));
  }
  {
    // Made for other languages: the index is built again, the recognised text is kept.
    ArchiveIndex index(root_, indexFolder_, "deu");
    ASSERT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
    EXPECT_EQ(index.AwaitingRecognition(10).size(), 1u);
  }
  ArchiveIndex english(root_, indexFolder_, "eng");
  ASSERT_EQ(english.Update(), ArchiveIndex::UpdateResult::Done);
  EXPECT_EQ(Search(english, "nails"), (Found{{"Receipt.tif", 1}}));
  EXPECT_TRUE(english.AwaitingRecognition(10).empty());
}

// The pages of a recognition stopped part way serve the same version of the
// document in the same languages only, and are never indexed.
TEST_F(ArchiveIndexTest, PagesRecognisedSoFarServeOneVersionAndAreNotIndexed) {
  const std::string receipt = root_ + "/Scans/Receipt.tif";
  {
    ArchiveIndex index(root_, indexFolder_, "eng");
    ASSERT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
    EXPECT_TRUE(index.RecognizedSoFar(receipt).empty());
    ASSERT_TRUE(index.KeepRecognizedSoFar(receipt, {"hardware store"}));
  }
  // As after a restart, with the index built anew (as when damaged) from
  // the documents and the text kept beside it.
  fs::remove_all(indexFolder_ + "db");
  ArchiveIndex index(root_, indexFolder_, "eng");
  ASSERT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
  EXPECT_EQ(index.RecognizedSoFar(receipt), std::vector<std::string>{"hardware store"});
  EXPECT_TRUE(ArchiveIndex(root_, indexFolder_, "deu").RecognizedSoFar(receipt).empty());
  EXPECT_TRUE(Search(index, "hardware").empty());
  EXPECT_EQ(index.AwaitingRecognition(10), std::vector<std::string>{receipt});

  fs::last_write_time(receipt, fs::last_write_time(receipt) + std::chrono::seconds(5));
  EXPECT_TRUE(index.RecognizedSoFar(receipt).empty());
}

TEST_F(ArchiveIndexTest, AnIndexOfAnEarlierFormatIsRebuilt) {
  {
    ArchiveIndex index(root_, indexFolder_, "eng");
    ASSERT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
  }
  // The first versions kept the database in the index folder itself.
  for (const auto& entry : fs::directory_iterator(indexFolder_ + "db"))
    fs::rename(entry.path(), indexFolder_ + entry.path().filename().string());
  fs::remove_all(indexFolder_ + "db");
  ArchiveIndex index(root_, indexFolder_, "eng");
  EXPECT_TRUE(Search(index, "muller").empty());
  ASSERT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
  EXPECT_EQ(Search(index, "muller"), (Found{{"House 2026-03-14.pdf", 1}}));
  EXPECT_FALSE(fs::exists(indexFolder_ + "iamglass"));
}

TEST_F(ArchiveIndexTest, PagesOfEarlierVersionsAreLeftOutThenDropped) {
  ArchiveIndex index(root_, indexFolder_, "eng");
  ASSERT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
  const auto indexBytes = [&] {
    std::uintmax_t bytes = 0;
    for (const auto& entry : fs::recursive_directory_iterator(indexFolder_ + "db"))
      bytes += entry.is_regular_file() ? entry.file_size() : 0;
    return bytes;
  };
  const std::string receipt = root_ + "/Scans/Receipt.tif";
  // Each version replaces the last: 3 x 500 pages, most of them out of date.
  for (const char* word : {"gravel", "sand", "cement"})
    ASSERT_TRUE(index.IndexDocument(receipt, std::vector<std::string>(500, word)));
  EXPECT_TRUE(Search(index, "sand").empty());
  EXPECT_EQ(Search(index, "cement").size(), 1u);
  const std::uintmax_t withEarlierVersions = indexBytes();
  // The next update builds the index afresh, from the text kept of the receipt.
  ASSERT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
  EXPECT_TRUE(Search(index, "gravel").empty());
  EXPECT_EQ(Search(index, "cement"), (Found{{"Receipt.tif", 1}}));
  EXPECT_EQ(Search(index, "muller").size(), 1u);
  EXPECT_EQ(index.DocumentCount(), 5);
  EXPECT_LT(indexBytes(), withEarlierVersions);
}

TEST_F(ArchiveIndexTest, PhrasesAreFoundOnTheirPageOnly) {
  // The first page has both words, more often but apart; the second has the phrase.
  Pdf("Letters/Note.pdf", {"costs costs costs for the roofing roofing", "the roofing costs"});
  ArchiveIndex index(root_, indexFolder_, "eng");
  ASSERT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
  EXPECT_EQ(Search(index, "\"roofing costs\""),
            (Found{{"House 2026-03-14.pdf", 2}, {"Note.pdf", 2}}));
  EXPECT_EQ(Search(index, "\"costs for the\" roofing"), (Found{{"Note.pdf", 1}}));
  EXPECT_EQ(Search(index, "damage-claim"), (Found{{"House 2026-03-14.pdf", 1}}));
  EXPECT_TRUE(Search(index, "claim-damage").empty());
  EXPECT_EQ(Search(index, "\"month ending\" balance"), (Found{{"Month Ending 2026-11-30.pdf", 1}}));
}

TEST_F(ArchiveIndexTest, StemmingFollowsTheRecognitionLanguages) {
  struct Case {
    const char* languages;
    bool findsVersicherung;
  } cases[] = {{"eng", false}, {"deu", true}, {"eng+deu", true}, {"xyz", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.languages);
    ArchiveIndex index(root_, indexFolder_, c.languages);
    ASSERT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
    EXPECT_EQ(Search(index, "versicherung").size(), c.findsVersicherung ? 1u : 0u);
    EXPECT_EQ(Search(index, "versicherungen").size(), 1u);
  }
}

TEST_F(ArchiveIndexTest, ReconciliationReadsOnlyWhatChanged) {
  {
    ArchiveIndex index(root_, indexFolder_, "eng");
    ASSERT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
  }
  // While the program is closed: one renamed, one deleted, one added.
  fs::rename(root_ + "/Bank/Check 1042.pdf", root_ + "/Bank/Check 1043.pdf");
  fs::remove(root_ + "/Taxes/Bescheid 2025.pdf");
  Pdf("Bank/Letter.pdf", {"overdraft notice"});
  ArchiveIndex index(root_, indexFolder_, "eng");
  int read = -1;
  EXPECT_EQ(index.Update([&](int, int total) {
    read = total;
    return true;
  }),
            ArchiveIndex::UpdateResult::Done);
  EXPECT_EQ(read, 2);
  EXPECT_EQ(Search(index, "strasse"), (Found{{"Check 1043.pdf", 1}}));
  EXPECT_TRUE(Search(index, "steuern").empty());
  EXPECT_EQ(Search(index, "overdraft"), (Found{{"Letter.pdf", 1}}));
  EXPECT_EQ(index.DocumentCount(), 5);
}

TEST_F(ArchiveIndexTest, AStoppedUpdateKeepsWhatItReadAndTheNextOneReadsTheRest) {
  for (int i = 0; i < 12; ++i)
    Pdf("Letters/Letter " + std::to_string(i) + ".pdf", {"letter number x" + std::to_string(i)});
  const int documents = 17;
  ArchiveIndex index(root_, indexFolder_, "eng");
  EXPECT_EQ(index.Update([](int done, int) { return done < 3; }),
            ArchiveIndex::UpdateResult::Stopped);
  EXPECT_EQ(index.DocumentCount(), 3);
  int total = 0;
  EXPECT_EQ(index.Update([&](int, int all) { return total = all, true; }),
            ArchiveIndex::UpdateResult::Done);
  EXPECT_EQ(total, documents - 3);
  EXPECT_EQ(Search(index, "letter").size(), 12u);
  EXPECT_EQ(Search(index, "x11"), (Found{{"Letter 11.pdf", 1}}));
}

TEST_F(ArchiveIndexTest, NewTextReplacesTheOld) {
  ArchiveIndex index(root_, indexFolder_, "eng");
  ASSERT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
  EXPECT_TRUE(index.IndexDocument(root_ + "/Scans/Receipt.tif", {"gravel", "sand"}));
  EXPECT_TRUE(index.IndexDocument(root_ + "/Scans/Receipt.tif", {"cement"}));
  EXPECT_TRUE(Search(index, "gravel").empty());
  EXPECT_TRUE(Search(index, "sand").empty());
  EXPECT_EQ(Search(index, "cement"), (Found{{"Receipt.tif", 1}}));
  // A document changed on disk is read again by the next update.
  Pdf("Bank/Check 1042.pdf", {"void", "cheque returned unpaid"});
  ASSERT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
  EXPECT_TRUE(Search(index, "strasse").empty());
  EXPECT_EQ(Search(index, "unpaid"), (Found{{"Check 1042.pdf", 2}}));
}

TEST_F(ArchiveIndexTest, ManyDocumentsAreIndexedAsOneChange) {
  ArchiveIndex index(root_, indexFolder_, "eng");
  ASSERT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
  std::vector<ArchiveIndex::DocumentText> batch;
  for (int i = 0; i < 150; ++i) {
    const std::string path = root_ + "/Scans/Slip " + std::to_string(i) + ".tif";
    ASSERT_TRUE(WriteImageDocument(path));
    batch.push_back({path, {"slip", i == 7 ? "gravel" : "sand"}});
  }
  batch.push_back({root_ + "/Scans/Gone.tif", {"gravel"}});
  // A document gone meanwhile is left out; the others are kept.
  EXPECT_FALSE(index.IndexDocuments(batch));
  EXPECT_EQ(Search(index, "gravel"), (Found{{"Slip 7.tif", 2}}));
  EXPECT_EQ(Search(index, "sand").size(), 149u);
  EXPECT_EQ(index.DocumentCount(), 155);
  EXPECT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
  EXPECT_EQ(Search(index, "gravel").size(), 1u);
}

TEST_F(ArchiveIndexTest, DamagedIndexIsRebuilt) {
  {
    ArchiveIndex index(root_, indexFolder_, "eng");
    ASSERT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
  }
  for (const auto& entry : fs::directory_iterator(indexFolder_ + "db"))
    std::ofstream(entry.path(), std::ios::trunc) << "not an index";
  ArchiveIndex index(root_, indexFolder_, "eng");
  EXPECT_TRUE(Search(index, "muller").empty());
  EXPECT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
  EXPECT_EQ(Search(index, "muller").size(), 1u);
}

TEST_F(ArchiveIndexTest, OneWriterAtATimeAndEveryoneSearches) {
  ArchiveIndex writer(root_, indexFolder_, "eng");
  ASSERT_EQ(writer.Update(), ArchiveIndex::UpdateResult::Done);
  ArchiveIndex other(root_, indexFolder_, "eng");
  Pdf("Bank/Letter.pdf", {"overdraft notice"});
  // While one writes, the other is refused and searches what was committed.
  ASSERT_EQ(writer.Update([&](int done, int) {
    EXPECT_EQ(other.Update(), ArchiveIndex::UpdateResult::Busy);
    EXPECT_FALSE(other.Problem().empty());
    EXPECT_EQ(Search(other, "muller").size(), 1u);
    return done == 0;
  }),
            ArchiveIndex::UpdateResult::Stopped);
  EXPECT_EQ(other.Update(), ArchiveIndex::UpdateResult::Done);
  // Text in hand: an image document becomes findable by its words at once.
  EXPECT_TRUE(writer.IndexDocument(root_ + "/Scans/Receipt.tif", {"hardware store nails"}));
  EXPECT_EQ(Search(other, "nails"), (Found{{"Receipt.tif", 1}}));
}

TEST_F(ArchiveIndexTest, ALargeFirstBuildIsRewrittenCompactlyAndKeepsWorking) {
  for (int i = 0; i < 120; ++i)
    ASSERT_TRUE(WriteImageDocument(root_ + "/Scans/Receipt " + std::to_string(1000 + i) + ".tif"));
  ArchiveIndex index(root_, indexFolder_, "eng");
  ASSERT_EQ(index.Update(), ArchiveIndex::UpdateResult::Done);
  EXPECT_EQ(Search(index, "1042").size(), 2u);  // the check and one receipt
  // Pages are still found by the ids their document recorded before the rewrite.
  EXPECT_EQ(Search(index, "insurer"), (Found{{"House 2026-03-14.pdf", 2}}));
  EXPECT_EQ(index.DocumentCount(), 125);
  EXPECT_TRUE(index.IndexDocument(root_ + "/Scans/Receipt 1000.tif", {"gravel"}));
  EXPECT_EQ(Search(index, "gravel"), (Found{{"Receipt 1000.tif", 1}}));
  ArchiveIndex other(root_, indexFolder_, "eng");
  EXPECT_EQ(Search(other, "gravel").size(), 1u);
  // Nothing of the rewrite is left beside the index.
  EXPECT_EQ(
      std::distance(fs::directory_iterator(fs::path(indexFolder_).parent_path().parent_path()),
                    fs::directory_iterator()),
      1);
}

}  // namespace
