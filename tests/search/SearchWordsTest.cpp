#include <gtest/gtest.h>

#include <QByteArray>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "search/SearchWords.h"
#include "search/TextCache.h"

namespace {

using Words = std::vector<std::string>;

TEST(SearchWordsTest, SplitsFoldedTextIntoWords) {
  struct Case {
    const char* text;
    Words expected;
  } cases[] = {
      {"roof, claim-42 (müller)", {"roof", "claim", "42", "müller"}},
      {"„versicherung“ — «steuern»", {"versicherung", "steuern"}},
      {"e\xcc\x81t\xc3\xa9 x", {"e\xcc\x81t\xc3\xa9", "x"}},  // a combining mark stays in its word
      {"  \n\t ", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(WordsOf(c.text), c.expected);
  }
}

TEST(SearchWordsTest, JoinsWordsHyphenatedAtALineEnd) {
  struct Case {
    const char* text;
    Words expected;  // "+" marks a joined word kept beside its parts
  } cases[] = {
      {"the behav-\nior of", {"the", "behavior", "of"}},
      {"behav\u2010 \r\n  ior", {"behavior"}},
      {"Versicherungs\u00AD\nnehmer", {"versicherungsnehmer"}},
      {"an e-\nmail", {"an", "e", "+email", "mail"}},
      {"Baden-\nWürttemberg", {"baden", "+badenwurttemberg", "wurttemberg"}},
      {"--dry-\nrun", {"dry", "+dryrun", "run"}},
      {"abc12-\nfoo", {"abc12", "foo"}},  // no letter before the hyphen
      {"a2bc-\nfoo", {"a2bc", "+a2bcfoo", "foo"}},
      {"end -\nnext", {"end", "next"}},
      {"behav-\n\nior", {"behav", "ior"}},
      {"last-", {"last"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Words words;
    ForEachTextWord(c.text, [&](std::string_view word, bool extra) {
      words.push_back((extra ? "+" : "") + std::string(word));
    });
    EXPECT_EQ(words, c.expected);
  }
}

TEST(SearchWordsTest, ReadsWhatAQueryAsksFor) {
  struct Case {
    const char* query;
    bool typing;
    Words plain;
    std::vector<Words> phrases;
    Words prefixes;
    std::string partial;
    Words excluded;
  } cases[] = {
      {"roof claim", false, {"roof", "claim"}, {}, {}, "", {}},
      {"roof claim", true, {"roof"}, {}, {}, "claim", {}},
      {"roof claim ", true, {"roof", "claim"}, {}, {}, "", {}},
      {"\"roofing costs\" insur*", true, {}, {{"roofing", "costs"}}, {"insur"}, "", {}},
      {"damage-claim +roof -hail", false, {"roof"}, {{"damage", "claim"}}, {}, "", {"hail"}},
      {"\"month end", true, {}, {{"month", "end"}}, {}, "", {}},
      {"\"roof\" * -", false, {"roof"}, {}, {}, "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.query);
    const QueryWords words = ReadQueryWords(c.query, c.typing);
    EXPECT_EQ(words.plain, c.plain);
    EXPECT_EQ(words.phrases, c.phrases);
    EXPECT_EQ(words.prefixes, c.prefixes);
    EXPECT_EQ(words.partial, c.partial);
    EXPECT_EQ(words.excluded, c.excluded);
  }
}

TEST(TextCacheTest, KeepsTheTextOfOneVersion) {
  QTemporaryDir folder;
  const TextCache cache(folder.filePath("text").toStdString());
  EXPECT_FALSE(cache.Get("a/b.tif", "1 2", "eng"));
  EXPECT_FALSE(cache.Page("a/b.tif", 1));
  ASSERT_TRUE(cache.Put("a/b.tif", "1 2", "eng", {"first page", "", "third\npage"}));
  EXPECT_EQ(cache.Get("a/b.tif", "1 2", "eng"), (Words{"first page", "", "third\npage"}));
  EXPECT_FALSE(cache.Get("a/b.tif", "1 3", "eng"));  // the file changed since
  EXPECT_FALSE(cache.Get("a/b.tif", "1 2", "deu"));  // recognised in other languages
  EXPECT_EQ(cache.Page("a/b.tif", 3), "third\npage");
  EXPECT_EQ(cache.Page("a/b.tif", 2), "");
  EXPECT_FALSE(cache.Page("a/b.tif", 4));
  cache.Remove("a/b.tif");
  EXPECT_FALSE(cache.Page("a/b.tif", 1));
}

TEST(TextCacheTest, ADamagedFileHoldsNoText) {
  QTemporaryDir folder;
  const TextCache cache(folder.filePath("text").toStdString());
  ASSERT_TRUE(cache.Put("b.tif", "1 2", "eng", {"first page"}));
  for (const auto& entry :
       std::filesystem::directory_iterator(folder.filePath("text").toStdString()))
    std::ofstream(entry.path(), std::ios::trunc) << "docketeer-text 2\n1 2\neng\n999999999999 \n";
  EXPECT_FALSE(cache.Page("b.tif", 1));
  EXPECT_FALSE(cache.Get("b.tif", "1 2", "eng"));
}

// Pages of a recognition stopped part way are kept apart: never taken for the
// document's text, only gone on from. A complete entry of the format written
// before partial ones existed still reads.
TEST(TextCacheTest, APartialEntryIsNeverTakenForTheWholeText) {
  QTemporaryDir folder;
  const std::string text = folder.filePath("text").toStdString();
  const TextCache cache(text);
  ASSERT_TRUE(cache.Put("c.tif", "5 6", "eng", {"placeholder"}));
  const QByteArray page = qCompress(QByteArray("kept text"));
  for (const auto& entry : std::filesystem::directory_iterator(text))
    std::ofstream(entry.path(), std::ios::binary | std::ios::trunc)
        << "docketeer-text 2\n5 6\neng\n0 " << page.size() << " \n"
        << page.toStdString();
  EXPECT_EQ(cache.Get("c.tif", "5 6", "eng"), (Words{"", "kept text"}));
  EXPECT_EQ(cache.Page("c.tif", 2), "kept text");

  using Entry = TextCache::Entry;
  ASSERT_TRUE(cache.Put("c.tif", "5 7", "eng", {"one", "two"}, Entry::Partial));
  EXPECT_EQ(cache.Get("c.tif", "5 7", "eng", Entry::Partial), (Words{"one", "two"}));
  EXPECT_FALSE(cache.Get("c.tif", "5 7", "eng"));
  EXPECT_FALSE(cache.Page("c.tif", 1));
  EXPECT_FALSE(cache.Get("c.tif", "5 8", "eng", Entry::Partial));
  EXPECT_FALSE(cache.Get("c.tif", "5 7", "deu", Entry::Partial));
  ASSERT_TRUE(cache.Put("c.tif", "5 7", "eng", {"one", "two", "three"}));
  EXPECT_FALSE(cache.Get("c.tif", "5 7", "eng", Entry::Partial));
  EXPECT_EQ(cache.Get("c.tif", "5 7", "eng"), (Words{"one", "two", "three"}));
}

}  // namespace
