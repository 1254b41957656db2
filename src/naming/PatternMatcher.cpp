#include "naming/PatternMatcher.h"

#include <string>

#include "naming/AsciiCase.h"
#include "naming/PatternCompiler.h"
#include "naming/PatternInterpreter.h"

PatternError PatternMatcher::Parse(std::string_view pattern, bool caseSensitive) {
  caseSensitive_ = caseSensitive;
  lastError_ = PatternCompiler::Compile(pattern, caseSensitive, program_);
  return lastError_;
}

bool PatternMatcher::CanStartAt(std::string_view text, std::size_t start) const {
  return start < text.size() && program_.firstBytes[static_cast<unsigned char>(text[start])];
}

bool PatternMatcher::Match(std::string_view text, MatchContext& context,
                           std::size_t* matchEnd) const {
  context = MatchContext{};
  if (lastError_ != PatternError::None)
    return false;
  std::string lowered;
  if (!caseSensitive_) {
    lowered = AsciiLowerCased(text);
    text = lowered;
  }
  PatternInterpreter interpreter(program_, text, stepLimit_);
  // Start positions run up to the last character; an empty text is tried once.
  const std::size_t lastStart = program_.anchored || text.empty() ? 0 : text.size() - 1;
  for (std::size_t start = 0; start <= lastStart; ++start) {
    if (program_.hasFirstBytes && !CanStartAt(text, start))
      continue;
    const std::optional<std::size_t> end = interpreter.RunAt(start);
    if (!end) {
      if (!interpreter.StepLimitReached())
        continue;
      context.stepLimitReached = true;
      return false;
    }
    context.whole = {start, *end};
    context.groups = interpreter.Groups();
    if (matchEnd != nullptr)
      *matchEnd = *end;
    return true;
  }
  return false;
}
