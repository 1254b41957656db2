#include "naming/NameDate.h"

#include <cctype>
#include <charconv>
#include <string>

#include "naming/CSimpleDate.h"
#include "naming/FileNameFormat.h"
#include "naming/FileNameWords.h"

namespace {

constexpr int kFirstYear = 1900;
constexpr int kLastYear = 2199;

int Number(std::string_view text) {
  int value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

int DayValue(int year, int month, int day) {
  return year * 10000 + month * 100 + day;
}

std::optional<NameDate> Months(int year, int firstMonth, int lastMonth) {
  if (year < kFirstYear || year > kLastYear || firstMonth < 1 || lastMonth > 12)
    return std::nullopt;
  return NameDate{DayValue(year, firstMonth, 1),
                  DayValue(year, lastMonth, CSimpleDate::DaysInMonth(lastMonth, year))};
}

// The index forms from the most to the least specific, so "2026-11-30" is read
// as a day before "2026" could be read as a year.
std::optional<NameDate> ReadDate(std::string_view text) {
  if (auto split = SplitAtMatch(IndexPattern(IndexType::YearMonthDay), text)) {
    const std::string& m = split->match;
    const CSimpleDate date(m, CSimpleDate::kYearMonthDay);
    if (date.IsValid() && date.GetYear() >= kFirstYear && date.GetYear() <= kLastYear) {
      const int day = DayValue(date.GetYear(), date.GetMonth(), date.GetDay());
      return NameDate{day, day};
    }
  }
  if (auto split = SplitAtMatch(IndexPattern(IndexType::YearQuarter), text)) {
    const int quarter = split->match.back() - '0';
    return Months(Number(split->match), quarter * 3 - 2, quarter * 3);
  }
  if (auto split = SplitAtMatch(IndexPattern(IndexType::YearHalf), text)) {
    const int half = split->match.back() - '0';
    return Months(Number(split->match), half * 6 - 5, half * 6);
  }
  if (auto split = SplitAtMatch(IndexPattern(IndexType::YearMonth), text)) {
    const int month = Number(std::string_view(split->match).substr(5));
    if (auto date = Months(Number(split->match), month, month))
      return date;
  }
  if (auto split = SplitAtMatch(IndexPattern(IndexType::YearOnly), text)) {
    // A longer run of digits is a counter, not a year.
    const bool longer =
        (!split->prefix.empty() &&
         std::isdigit(static_cast<unsigned char>(split->prefix.back()))) ||
        (!split->suffix.empty() && std::isdigit(static_cast<unsigned char>(split->suffix.front())));
    if (!longer)
      return Months(Number(split->match), 1, 12);
  }
  return std::nullopt;
}

}  // namespace

NameMeaning ReadNameMeaning(std::string_view name) {
  NameMeaning meaning;
  meaning.date = ReadDate(name);
  if (!meaning.date) {
    const std::size_t start = name.find_first_of("0123456789");
    if (start != std::string_view::npos) {
      const std::size_t end = name.find_first_not_of("0123456789", start);
      const std::string_view digits = name.substr(start, end - start);
      long long value = 0;
      if (std::from_chars(digits.data(), digits.data() + digits.size(), value).ec == std::errc())
        meaning.number = value;
    }
  }
  return meaning;
}

std::optional<NameDate> ReadTypedDate(std::string_view text) {
  // The whole text must be the date, in one of the three forms.
  const std::string pattern = text.size() == 10  ? "dddd-dd-dd"
                              : text.size() == 7 ? "dddd-dd"
                              : text.size() == 4 ? "dddd"
                                                 : "";
  if (pattern.empty())
    return std::nullopt;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (pattern[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(text[i])) : text[i] != '-')
      return std::nullopt;
  const int year = Number(text.substr(0, 4));
  if (text.size() == 4)
    return Months(year, 1, 12);
  const int month = Number(text.substr(5, 2));
  if (text.size() == 7)
    return Months(year, month, month);
  const CSimpleDate date(text, CSimpleDate::kYearMonthDay);
  if (!date.IsValid() || date.GetYear() != year || date.GetMonth() != month ||
      date.GetDay() != Number(text.substr(8, 2)) || year < kFirstYear || year > kLastYear)
    return std::nullopt;
  const int day = DayValue(year, month, date.GetDay());
  return NameDate{day, day};
}
