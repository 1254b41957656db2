#pragma once

#include <cstddef>
#include <vector>

// Where something matched, as byte positions in the text the caller passed in.
struct MatchSpan {
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  std::size_t start = npos;
  std::size_t end = npos;

  // A group that took no part in the match has neither start nor end.
  bool Matched() const { return start != npos && end != npos; }
  std::size_t Length() const { return end - start; }
};

// The result of one match: the whole match and each brace group, numbered from
// 0 in the order of their opening braces.
struct MatchContext {
  MatchSpan whole;
  std::vector<MatchSpan> groups;
  // The search gave up at the matcher's step limit.
  bool stepLimitReached = false;
};
