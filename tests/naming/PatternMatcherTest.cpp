#include <gtest/gtest.h>

#include <string>

#include "naming/PatternMatcher.h"

namespace {

constexpr const char* kNoMatch = "<no match>";

// The whole match and every group as "whole|g0|g1", a group that took no part
// as "-", or kNoMatch.
std::string Describe(std::string_view pattern, std::string_view text, bool caseSensitive = true) {
  PatternMatcher matcher;
  const PatternError error = matcher.Parse(pattern, caseSensitive);
  if (error != PatternError::None)
    return "<error " + std::to_string(static_cast<int>(error)) + ">";
  MatchContext context;
  if (!matcher.Match(text, context))
    return kNoMatch;
  std::string description(text.substr(context.whole.start, context.whole.Length()));
  for (const MatchSpan& group : context.groups) {
    description += '|';
    description += group.Matched() ? std::string(text.substr(group.start, group.Length())) : "-";
  }
  return description;
}

struct MatchCase {
  const char* pattern;
  const char* text;
  const char* expected;
};

void ExpectMatches(const std::vector<MatchCase>& cases, bool caseSensitive = true) {
  for (const MatchCase& c : cases) {
    EXPECT_EQ(Describe(c.pattern, c.text, caseSensitive), c.expected)
        << "pattern \"" << c.pattern << "\" text \"" << c.text << "\"";
  }
}

TEST(PatternMatcherTest, FindsTheNamingIndexesAtTheLeftmostPlace) {
  ExpectMatches({
      {"{[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]}", "Statement 2012-12-31 final",
       "2012-12-31|2012-12-31"},
      {"{[0-9][0-9]}", "Item 0123", "01|01"},
      {"{[0-9][0-9][0-9][0-9] Q[1-4]}", "2012 Q5", kNoMatch},
      {"{[0-9][0-9][0-9][0-9] Q[1-4]}", "2012Q4", kNoMatch},
      {"{[0-9][0-9][0-9][0-9] Q[1-4]}", "Q 2011 Q2 2012 Q4", "2011 Q2|2011 Q2"},
      {"{[0-9][0-9][0-9][0-9] H[1-2]}", "Half Year 2012 H2", "2012 H2|2012 H2"},
  });
}

TEST(PatternMatcherTest, ReportsGroupPositionsInTheTextAsPassedIn) {
  PatternMatcher matcher;
  ASSERT_EQ(matcher.Parse("{[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]}", true),
            PatternError::None);
  MatchContext context;
  std::size_t end = 0;
  ASSERT_TRUE(matcher.Match("Statement 2012-12-31 final", context, &end));
  EXPECT_EQ(context.groups[0].start, 10u);
  EXPECT_EQ(context.groups[0].end, 20u);
  EXPECT_EQ(end, 20u);

  ASSERT_EQ(matcher.Parse("{q[1-4]}", false), PatternError::None);
  ASSERT_TRUE(matcher.Match("2012 Q3", context));
  EXPECT_EQ(context.groups[0].start, 5u);
  EXPECT_EQ(context.groups[0].end, 7u);
}

TEST(PatternMatcherTest, BarBindsTighterThanConcatenation) {
  ExpectMatches({
      {"ab|cd", "abd", "abd"},
      {"ab|cd", "acd", "acd"},
      {"ab|cd", "ab", kNoMatch},
      {"ab|cd", "xxacdxx", "acd"},
      {"(ab)|(cd)", "cd", "cd"},
      {"a|b|c", "c", "c"},
      {"{a}|{b}", "b", "b|-|b"},
      {"x|", "y", ""},  // an empty right side matches the empty text
  });
}

TEST(PatternMatcherTest, QuantifiersAreGreedyOrLazyInBacktrackingOrder) {
  ExpectMatches({
      {"{a*}", "aaa", "aaa|aaa"},
      {"{a*?}", "aaa", "|"},
      {"{a+?}", "aaa", "a|a"},
      {"{a+}", "baaa", "aaa|aaa"},
      {"{a?}a", "a", "a|"},
      {"{a??}a", "aa", "a|"},
      {"{.*}b", "abab", "abab|aba"},
      {"{.*?}b", "abab", "ab|a"},
      {"<{[^>]+}>", "x<tag>y<z>", "<tag>|tag"},
      {"{(ab)+}", "ababa", "abab|abab"},
      {"a*", "", ""},
  });
}

TEST(PatternMatcherTest, ClassesTakeRangesEscapesAndNegation) {
  ExpectMatches({
      {"[a-c]+", "xxbcax", "bca"},
      {"[^a-c]", "abcd", "d"},
      {"[^a]", "a", kNoMatch},  // never the end of the text
      {"[\\]]", "a]", "]"},
      {"[\\t]", "a\tb", "\t"},
      {"[-x]+", "a-x-", "-x-"},
      {"[a\\-z]+", "b-az", "-az"},
      {".", "", kNoMatch},
  });
}

TEST(PatternMatcherTest, EscapesStandForBuiltInsOrThemselves) {
  ExpectMatches({
      {"\\d+", "ab123c", "123"},
      {"\\z", "ab123c", "123"},
      {"\\w", "12ab3", "ab"},
      {"\\h\\h", "zz0fz", "0f"},
      {"\\a\\c", "!1b", "1b"},
      {"x\\by", "x\ty", "x\ty"},
      {"\\q", "say 'hi' now", "'hi'"},
      {"\\q", "say \"it's\"", "\"it's\""},
      {"a\\nb", "a\r\nb", "a\r\nb"},
      {"a\\nb", "a\rb", "a\rb"},
      {"a\\nb", "a\nb", "a\nb"},
      {"\\.", "a.b", "."},
      {"\\t", "at", "t"},  // outside a class "\t" is the letter
      {"a\\", "a\\", "a\\"},
      {"\\d*", "x", ""},  // the quantifier applies to the whole built-in
  });
}

TEST(PatternMatcherTest, BackReferencesRepeatTheGroupsText) {
  ExpectMatches({
      {"{[a-z]+}-\\0", "abc-abd ab-ab", "ab-ab|ab"},
      {"{a}{b}\\1\\0", "abba", "abba|a|b"},
      {"{x*}y\\0", "xxyxx", "xxyxx|xx"},
  });
  ExpectMatches({{"{a}\\0", "aA", "aA|a"}}, false);
}

TEST(PatternMatcherTest, NegationIsZeroWidth) {
  ExpectMatches({
      {"a!b", "ac", "a"},
      {"a!b", "ab", kNoMatch},
      {"a!b", "abac", "a"},
      {"a!b.", "abac", "ac"},
      {"!{x}{.}", "x1", "1|-|1"},  // groups of a negated atom are undone
      {"!!a.", "ab", "a"},
      {"!!ab", "ab", kNoMatch},
      {"a!(bc)", "abd", "a"},
      {"a!", "a!", "a!"},
  });
}

TEST(PatternMatcherTest, AnchorsAndLiteralCaretAndDollar) {
  ExpectMatches({
      {"^ab", "xab", kNoMatch},
      {"^ab", "abx", "ab"},
      {"b$", "abab", "b"},
      {"ab$", "abx", kNoMatch},
      {"a$b", "a$b", "a$b"},
      {"a^b", "a^b", "a^b"},
      {"{a$}", "a$", "a$|a$"},
  });
}

TEST(PatternMatcherTest, SearchStopsAtTheLastCharacter) {
  // Start positions run up to the last character, so an empty match is never
  // found at the very end, but an empty text is tried once.
  ExpectMatches({
      {"x?", "", ""},
      {"$", "", ""},
      {"$", "abc", kNoMatch},
  });
}

TEST(PatternMatcherTest, CaseInsensitivePatternsIgnoreCaseInBothTexts) {
  ExpectMatches(
      {
          {"{Q[1-4]}", "2012 q3", "q3|q3"},
          {"ABC", "xAbC", "AbC"},
          {"[A-Z]+", "123Hello", "Hello"},
      },
      false);
  ExpectMatches({{"Q", "q", kNoMatch}});
}

TEST(PatternMatcherTest, UnmatchedCloserEndsThePatternWithoutError) {
  ExpectMatches({
      {"ab)cd", "xab", "ab"},
      {"a]b", "a", "a"},
      {"a}b", "a", "a"},
  });
}

TEST(PatternMatcherTest, CompileErrorsHaveTheirCodes) {
  const std::string deeplyNested(5000, '(');
  struct Case {
    const char* pattern;
    PatternError error;
  };
  const Case cases[] = {
      {"[z-a]", PatternError::ReversedRange},
      {"[a-]", PatternError::MissingClosingBracket},
      {"[a", PatternError::MissingClosingBracket},
      {"[a\\", PatternError::MissingClosingBracket},
      {"[]", PatternError::EmptyClass},
      {"[^]", PatternError::EmptyClass},
      {"{ab", PatternError::MissingClosingBrace},
      {"{ab)", PatternError::MissingClosingBrace},
      {"(ab", PatternError::MissingClosingParenthesis},
      {"(ab}", PatternError::MissingClosingParenthesis},
      {"{a}\\3", PatternError::UnknownGroup},
      {"\\0{a}", PatternError::UnknownGroup},
      {"\\99999999999999", PatternError::UnknownGroup},
      {"(a?)*", PatternError::RepeatedEmptyMatch},
      {"(a*)+", PatternError::RepeatedEmptyMatch},
      {"(!a)*?", PatternError::RepeatedEmptyMatch},
      {"{}+", PatternError::RepeatedEmptyMatch},
      {"{x?}\\0*", PatternError::RepeatedEmptyMatch},
      {"", PatternError::NoPattern},
      {deeplyNested.c_str(), PatternError::OutOfMemory},
  };
  for (const Case& c : cases) {
    PatternMatcher matcher;
    EXPECT_EQ(matcher.Parse(c.pattern, true), c.error) << c.pattern;
    MatchContext context;
    EXPECT_FALSE(matcher.Match("anything", context)) << c.pattern;
  }
}

TEST(PatternMatcherTest, RepeatingWhatCannotBeEmptyCompiles) {
  for (const char* pattern : {"(a?)?", "(ab?)*", "{a}\\0*", "\\z+", "(a|b)+", "[0-9]*?"}) {
    PatternMatcher matcher;
    EXPECT_EQ(matcher.Parse(pattern, true), PatternError::None) << pattern;
  }
}

TEST(PatternMatcherTest, CountsBraceGroups) {
  PatternMatcher matcher;
  ASSERT_EQ(matcher.Parse("{a}({b}{c})\\d", true), PatternError::None);
  EXPECT_EQ(matcher.GroupCount(), 3);
}

TEST(PatternMatcherTest, LongTextsDoNotExhaustTheCallStack) {
  const std::string text(50000, 'a');
  PatternMatcher matcher;
  ASSERT_EQ(matcher.Parse("^{(a|b)*}c", true), PatternError::None);
  MatchContext context;
  EXPECT_FALSE(matcher.Match(text, context));
  ASSERT_EQ(matcher.Parse("{a*}", true), PatternError::None);
  ASSERT_TRUE(matcher.Match(text, context));
  EXPECT_EQ(context.groups[0].Length(), text.size());
}

TEST(PatternMatcherTest, StepLimitTurnsRunawayBacktrackingIntoNoMatch) {
  PatternMatcher matcher;
  ASSERT_EQ(matcher.Parse("{((a|a)+)+}b", true), PatternError::None);
  matcher.SetStepLimit(100000);
  MatchContext context;
  EXPECT_FALSE(matcher.Match(std::string(40, 'a'), context));
  EXPECT_TRUE(context.stepLimitReached);
  EXPECT_TRUE(matcher.Match("aab", context));
  EXPECT_FALSE(context.stepLimitReached);
  EXPECT_EQ(context.groups[0].Length(), 2u);
}

}  // namespace
