#include <gtest/gtest.h>

#include "search/Snippet.h"

namespace {

std::string Marked(const std::vector<SnippetPart>& parts) {
  std::string text;
  for (const SnippetPart& part : parts)
    text += part.marked ? "[" + part.text + "]" : part.text;
  return text;
}

TEST(SnippetTest, MarksTheWordsAroundTheFirstHit) {
  const auto isRoof = [](const std::string& word) { return word == "roof" || word == "muller"; };
  struct Case {
    const char* text;
    int width;
    const char* expected;
  } cases[] = {
      {"The  roof\nof Herr Müller", 160, "The [roof] of Herr [Müller]"},
      {"nothing here to see", 160, "nothing here to see"},
      {"one two three four five six seven eight nine ten roof", 20, "ten [roof]"},
      {"roof one two three four", 12, "[roof] one two"},
      {"", 160, ""},
      {"a ro-\n of; the ro-\n  of", 160,
       "a [ro]- [of]; the [ro]- [of]"},  // hyphenated at a line end
      {"ro- of", 160, "ro- of"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Marked(MakeSnippet(c.text, isRoof, c.width)), c.expected);
  }
}

}  // namespace
