#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "naming/MatchContext.h"
#include "naming/PatternProgram.h"

// A compiled pattern of the naming dialect: braces capture, parentheses only
// group, "|" binds tighter than concatenation, "!" is a zero-width negation and
// a backslash before one of nine letters stands for a built-in sub-pattern.
class PatternMatcher {
 public:
  // Compiles `pattern`; without case sensitivity both pattern and text are
  // lower-cased. Returns PatternError::None on success.
  PatternError Parse(std::string_view pattern, bool caseSensitive);

  // Searches `text` for the leftmost match and fills `context`; `matchEnd`, when
  // given, receives the position just after the match. False when nothing
  // matches or no pattern has compiled.
  bool Match(std::string_view text, MatchContext& context, std::size_t* matchEnd = nullptr) const;

  int GroupCount() const { return program_.groupCount; }

  // Bounds the work of one Match; a search that runs out reports no match and
  // sets the context's stepLimitReached. Unlimited unless set.
  void SetStepLimit(std::uint64_t steps) { stepLimit_ = steps; }
  PatternError LastError() const { return lastError_; }

 private:
  bool CanStartAt(std::string_view text, std::size_t start) const;

  PatternProgram program_;
  bool caseSensitive_ = true;
  PatternError lastError_ = PatternError::NoPattern;
  std::uint64_t stepLimit_ = UINT64_MAX;
};
