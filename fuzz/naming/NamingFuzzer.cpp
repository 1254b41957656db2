// Feeds arbitrary names through every predefined format, and arbitrary
// patterns and texts through the matcher. The first byte picks the target.
#include <cstddef>
#include <cstdint>
#include <string_view>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0)
    return 0;
  static const TodayClock::Fixed today(2012, 12, 31);
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 3) {
    case 0:
      FuzzNextName(input);
      break;
    case 1:
      FuzzMatcher(true, input);
      break;
    default:
      FuzzMatcher(false, input);
      break;
  }
  return 0;
}
