// Feeds arbitrary names through every predefined format, arbitrary patterns
// and texts through the matcher, and arbitrary text through the date reader.
// The first byte picks the target.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "naming/CSimpleDate.h"
#include "naming/FileNameFormat.h"
#include "naming/PatternMatcher.h"
#include "naming/TodayClock.h"

namespace {

// Exponential backtracking on a hostile pattern is expected; the limit keeps
// each input fast so the fuzzer looks for crashes and wrong positions instead.
constexpr std::uint64_t kStepLimit = 200000;

void CheckSpan(const MatchSpan& span, std::size_t size) {
  if (!span.Matched())
    return;
  if (span.start > span.end || span.end > size)
    __builtin_trap();
}

void FuzzNextName(std::string_view name) {
  for (const FileNameFormat& format : PredefinedFormats()) {
    const std::string next = format.NextName(name);
    if (name.empty() && next.empty() && !format.BaseName().empty())
      __builtin_trap();
    static_cast<void>(format.NextName(next));
  }
}

void FuzzMatcher(bool caseSensitive, std::string_view input) {
  const std::size_t cut = input.find('\0');
  const std::string_view pattern = input.substr(0, cut);
  const std::string_view text = cut == std::string_view::npos ? "" : input.substr(cut + 1);
  PatternMatcher matcher;
  if (matcher.Parse(pattern, caseSensitive) != PatternError::None)
    return;
  matcher.SetStepLimit(kStepLimit);
  MatchContext context;
  std::size_t end = 0;
  if (!matcher.Match(text, context, &end))
    return;
  CheckSpan(context.whole, text.size());
  if (end != context.whole.end)
    __builtin_trap();
  if (context.groups.size() != static_cast<std::size_t>(matcher.GroupCount()))
    __builtin_trap();
  for (const MatchSpan& group : context.groups)
    CheckSpan(group, text.size());
}

// Every field order, then steps in both directions: dates must stay valid or
// stay invalid, never overflow.
void FuzzDate(std::string_view text) {
  for (int formatCode = 0; formatCode <= 6; ++formatCode) {
    CSimpleDate date(text, formatCode);
    const bool valid = date.IsValid();
    date.AddDays(31).AddMonths(13).AddYears(401).SubtractDays(1000);
    if (!valid && date.IsValid())
      __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0)
    return 0;
  static const TodayClock::Fixed today(2012, 12, 31);
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 4) {
    case 0:
      FuzzNextName(input);
      break;
    case 1:
      FuzzMatcher(true, input);
      break;
    case 2:
      FuzzMatcher(false, input);
      break;
    default:
      FuzzDate(input);
      break;
  }
  return 0;
}
