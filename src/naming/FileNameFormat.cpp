#include "naming/FileNameFormat.h"

#include "core/ContractChecks.h"
#include "naming/FileNameWords.h"
#include "naming/NameIndex.h"
#include "naming/PatternMatcher.h"

namespace {

void AppendWord(std::string& text, std::string_view word) {
  if (word.empty())
    return;
  if (!text.empty())
    text += ' ';
  text += word;
}

// The counter pattern finds the leftmost w digits; the counter is the whole
// run they start, so "10000" under "nnnn" is read as 10000, not as 1000. The
// match is leftmost, so no digit can precede it.
void TakeWholeDigitRun(SplitText& split) {
  const std::size_t runEnd = split.suffix.find_first_not_of("0123456789");
  const std::size_t taken = runEnd == std::string::npos ? split.suffix.size() : runEnd;
  split.match += split.suffix.substr(0, taken);
  split.suffix.erase(0, taken);
}

}  // namespace

std::string FileNameFormat::BaseName() const {
  std::string name(RecurrenceWord(recurrence));
  AppendWord(name, ItemWord(item));
  AppendWord(name, RelationWord(relation));
  AppendWord(name, IndexWord(index));
  return name;
}

std::string FileNameFormat::NextName(std::string_view current) const {
  const std::string baseName = BaseName();  // checks every value's range
  if (index == IndexType::NoIndex)
    return current.empty() ? baseName : std::string(current);
  if (current.empty()) {
    // Drop the placeholder, keep the blank before it.
    return baseName.substr(0, baseName.size() - IndexWord(index).size()) + FirstIndexValue(*this);
  }
  std::optional<SplitText> split = SplitAtMatch(IndexPattern(index), current);
  if (!split)
    return std::string(current);
  if (CounterWidth(index) > 0)
    TakeWholeDigitRun(*split);
  const std::optional<std::string> value = NextIndexValue(*this, split->match);
  if (!value)
    return std::string(current);
  return split->prefix + *value + split->suffix;
}

std::optional<FileNameFormat> FileNameFormatFromValues(int recurrence, int item, int relation,
                                                       int index) {
  auto inRange = [](int value, int last) { return value >= 0 && value <= last; };
  if (!inRange(recurrence, kLastRecurrenceType) || !inRange(item, kLastItemType) ||
      !inRange(relation, kLastRelationType) || !inRange(index, kLastIndexType)) {
    return std::nullopt;
  }
  return FileNameFormat{static_cast<RecurrenceType>(recurrence), static_cast<ItemType>(item),
                        static_cast<RelationType>(relation), static_cast<IndexType>(index)};
}

const std::vector<FileNameFormat>& PredefinedFormats() {
  static const std::vector<FileNameFormat> formats = [] {
    constexpr int kValues[][4] = {
        {0, 1, 0, 0},  {0, 1, 3, 1},  {1, 1, 1, 9},  {1, 1, 1, 10}, {1, 1, 1, 11},
        {1, 2, 1, 8},  {1, 3, 1, 9},  {1, 3, 1, 10}, {1, 3, 1, 11}, {2, 0, 5, 1},
        {4, 0, 2, 1},  {6, 0, 2, 1},  {8, 0, 2, 1},  {10, 0, 2, 1}, {10, 0, 5, 2},
        {11, 5, 6, 1}, {14, 0, 2, 1}, {14, 0, 2, 2}, {14, 0, 1, 4}, {16, 0, 2, 1},
        {16, 0, 2, 2}, {16, 0, 1, 5}, {18, 0, 2, 1}, {18, 0, 2, 2}, {18, 0, 5, 3}};
    std::vector<FileNameFormat> list;
    for (const auto& v : kValues)
      list.push_back(*FileNameFormatFromValues(v[0], v[1], v[2], v[3]));
    return list;
  }();
  return formats;
}

std::optional<SplitText> SplitAtMatch(std::string_view pattern, std::string_view text) {
  PatternMatcher matcher;
  CheckPostcondition(CONTRACT_LOCATION, matcher.Parse(pattern, true) == PatternError::None);
  MatchContext context;
  if (!matcher.Match(text, context))
    return std::nullopt;
  CheckPostcondition(CONTRACT_LOCATION, !context.groups.empty() && context.groups[0].Matched());
  const MatchSpan group = context.groups[0];
  return SplitText{std::string(text.substr(0, group.start)),
                   std::string(text.substr(group.start, group.Length())),
                   std::string(text.substr(group.end))};
}
