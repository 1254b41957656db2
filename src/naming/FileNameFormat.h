#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How the index at the end of a name moves on to the next name, and the word
// the recurrence adds to the name. Pairs such as Week and Weekly differ only in
// their word.
enum class RecurrenceType : std::int32_t {
  Current = 0,
  Sequential = 1,
  Day = 2,
  Daily = 3,
  Week = 4,
  Weekly = 5,
  TwoWeeks = 6,
  BiWeekly = 7,
  HalfMonth = 8,
  SemiMonthly = 9,
  Month = 10,
  Monthly = 11,
  TwoMonths = 12,
  BiMonthly = 13,
  Quarter = 14,
  Quarterly = 15,
  HalfYear = 16,
  SemiAnnually = 17,
  Year = 18,
  Yearly = 19,
};

enum class ItemType : std::int32_t {
  NoItem = 0,
  Item = 1,
  Page = 2,
  Check = 3,
  Invoice = 4,
  Statement = 5,
  Report = 6,
};

enum class RelationType : std::int32_t {
  NoRelation = 0,
  BlankRelation = 1,
  Ending = 2,
  Dated = 3,
  For = 4,
  Of = 5,
  Due = 6,
};

// The kind of index at the end of a name: a date, a period or a counter of
// one to six digits.
enum class IndexType : std::int32_t {
  NoIndex = 0,
  YearMonthDay = 1,
  YearMonth = 2,
  YearOnly = 3,
  YearQuarter = 4,
  YearHalf = 5,
  Counter1 = 6,
  Counter2 = 7,
  Counter3 = 8,
  Counter4 = 9,
  Counter5 = 10,
  Counter6 = 11,
};

inline constexpr int kLastRecurrenceType = 19;
inline constexpr int kLastItemType = 6;
inline constexpr int kLastRelationType = 6;
inline constexpr int kLastIndexType = 11;

// Describes how the destination names of one folder are built and advanced.
// Out-of-range values are a contract failure here; data from outside comes in
// through FileNameFormatFromValues, which refuses them.
struct FileNameFormat {
  RecurrenceType recurrence = RecurrenceType::Monthly;
  ItemType item = ItemType::NoItem;
  RelationType relation = RelationType::Ending;
  IndexType index = IndexType::YearMonthDay;

  // The words of the format, joined by single blanks ("Quarter yyyy Qn").
  std::string BaseName() const;

  // The name that follows `current`, or the first name of a new series when
  // `current` is empty. Never fails on user text: a name without a readable
  // index comes back unchanged.
  std::string NextName(std::string_view current) const;

  friend bool operator==(const FileNameFormat&, const FileNameFormat&) = default;
};

// A format from four integers read from outside data (a per-folder file);
// nothing when any value is out of range.
std::optional<FileNameFormat> FileNameFormatFromValues(int recurrence, int item, int relation,
                                                       int index);

// The 25 formats offered to the user, in the order they are listed.
const std::vector<FileNameFormat>& PredefinedFormats();

// A text cut around the first brace group of a match.
struct SplitText {
  std::string prefix;
  std::string match;
  std::string suffix;
};

// Finds the leftmost match of `pattern` (compiled case-sensitive) in `text` and
// cuts the text around its first brace group; nothing when there is no match.
// A pattern that does not compile is a contract failure.
std::optional<SplitText> SplitAtMatch(std::string_view pattern, std::string_view text);
