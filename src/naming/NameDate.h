#pragma once

#include <optional>
#include <string_view>

// What the index a name carries says when the name is read back: the first and
// last day of the date or period ("2026 Q4" runs from October 1st to December
// 31st), or a plain number ("Check 1042"). Days are year*10000+month*100+day.
struct NameDate {
  int firstDay = 0;
  int lastDay = 0;
};

struct NameMeaning {
  std::optional<NameDate> date;
  std::optional<long long> number;
};

// Reads the date, period or counter of a document name without its extension.
// A four-digit run counts as a year only between 1900 and 2199; otherwise the
// first run of digits is the name's number.
NameMeaning ReadNameMeaning(std::string_view name);

// A date typed by a user as "2026-11-30", "2026-11" or "2026": the days it
// covers; nothing when the text is not such a date.
std::optional<NameDate> ReadTypedDate(std::string_view text);
