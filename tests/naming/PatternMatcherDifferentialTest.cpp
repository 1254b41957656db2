// Random patterns of the naming dialect against the same patterns written for
// std::regex (ECMAScript): both search leftmost and backtrack in the same
// order, so the matched text must agree.
#include <gtest/gtest.h>

#include <random>
#include <string>

// libstdc++'s regex trips GCC's maybe-uninitialized analysis inside its own headers.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <regex>
#pragma GCC diagnostic pop

#include "naming/PatternMatcher.h"

namespace {

struct Generated {
  std::string ours;
  std::string ecma;
  bool canBeEmpty = false;
};

class PatternGenerator {
 public:
  explicit PatternGenerator(unsigned seed) : random_(seed) {}

  Generated Pattern() {
    Generated pattern = Sequence(0);
    if (Pick(4) == 0)
      pattern = {"^" + pattern.ours, "^" + pattern.ecma, pattern.canBeEmpty};
    if (Pick(4) == 0)
      pattern = {pattern.ours + "$", pattern.ecma + "$", true};
    return pattern;
  }

  std::string Text() {
    std::string text;
    const int length = Pick(9);
    for (int at = 0; at < length; ++at)
      text += "abc"[Pick(3)];
    return text;
  }

 private:
  int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }

  Generated Sequence(int depth) {
    Generated sequence{"", "", true};
    const int terms = 1 + Pick(3);
    for (int at = 0; at < terms; ++at) {
      const Generated term = Term(depth);
      sequence = {sequence.ours + term.ours, sequence.ecma + term.ecma,
                  sequence.canBeEmpty && term.canBeEmpty};
    }
    return sequence;
  }

  // The bar binds tighter than concatenation, so "x|y" is one term.
  Generated Term(int depth) {
    Generated term = Quantified(depth);
    while (Pick(4) == 0) {
      const Generated right = Quantified(depth);
      term = {term.ours + "|" + right.ours, "(?:" + term.ecma + "|" + right.ecma + ")",
              term.canBeEmpty || right.canBeEmpty};
    }
    return term;
  }

  Generated Quantified(int depth) {
    const Generated atom = Atom(depth);
    static const char* const kQuantifiers[] = {"*", "+", "?", "*?", "+?", "??"};
    if (Pick(3) != 0)
      return atom;
    const std::string quantifier = kQuantifiers[Pick(6)];
    // Repeating what can match nothing does not compile.
    if (atom.canBeEmpty && quantifier[0] != '?')
      return atom;
    return {atom.ours + quantifier, "(?:" + atom.ecma + ")" + quantifier,
            atom.canBeEmpty || quantifier[0] != '+'};
  }

  Generated Atom(int depth) {
    switch (depth < 3 ? Pick(7) : Pick(3)) {
      case 0:
        return Literal(std::string(1, "abc"[Pick(3)]));
      case 1:
        return Literal(Pick(2) == 0 ? "." : "[^a]");
      case 2:
        return Literal(Pick(2) == 0 ? "[a-b]" : "[bc]");
      case 3:
      case 4: {
        const Generated inner = Sequence(depth + 1);
        return {"(" + inner.ours + ")", "(?:" + inner.ecma + ")", inner.canBeEmpty};
      }
      case 5: {
        const Generated inner = Sequence(depth + 1);
        return {"{" + inner.ours + "}", "(" + inner.ecma + ")", inner.canBeEmpty};
      }
      default: {
        const Generated inner = Atom(depth + 1);
        return {"!" + inner.ours, "(?!" + inner.ecma + ")", true};
      }
    }
  }

  static Generated Literal(const std::string& text) { return {text, text, false}; }

  std::mt19937 random_;
};

// The matched text, or "<none>"; a match that std::regex finds only at the very
// end of the text is out of reach of our search, which stops at the last character.
std::string EcmaMatch(const std::string& pattern, const std::string& text) {
  std::smatch match;
  const std::regex regex(pattern, std::regex::ECMAScript);
  if (!std::regex_search(text, match, regex))
    return "<none>";
  const auto start = static_cast<std::size_t>(match.position(0));
  if (start == text.size() && !text.empty())
    return "<none>";
  return std::to_string(start) + ":" + match.str(0);
}

std::string OurMatch(const PatternMatcher& matcher, const std::string& text) {
  MatchContext context;
  if (!matcher.Match(text, context))
    return "<none>";
  return std::to_string(context.whole.start) + ":" +
         text.substr(context.whole.start, context.whole.Length());
}

TEST(PatternMatcherDifferentialTest, AgreesWithEcmaScriptOnRandomPatterns) {
  PatternGenerator generator(20121231);
  for (int round = 0; round < 600; ++round) {
    const Generated pattern = generator.Pattern();
    PatternMatcher matcher;
    ASSERT_EQ(matcher.Parse(pattern.ours, true), PatternError::None) << pattern.ours;
    for (int sample = 0; sample < 6; ++sample) {
      const std::string text = generator.Text();
      ASSERT_EQ(OurMatch(matcher, text), EcmaMatch(pattern.ecma, text))
          << "pattern " << pattern.ours << " (" << pattern.ecma << ") text \"" << text << "\"";
    }
  }
}

}  // namespace
