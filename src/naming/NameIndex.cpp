#include "naming/NameIndex.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "naming/CSimpleDate.h"
#include "naming/FileNameWords.h"

namespace {

constexpr int kMonthsPerQuarter = 3;
constexpr int kMonthsPerHalf = 6;

template <typename... Values>
std::string Formatted(const char* format, Values... values) {
  char text[64];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

bool IsDateIndex(IndexType index) {
  return index == IndexType::YearMonthDay || index == IndexType::YearMonth ||
         index == IndexType::YearOnly;
}

bool IsPeriodIndex(IndexType index) {
  return index == IndexType::YearQuarter || index == IndexType::YearHalf;
}

// An invalid date reads 0 in every field, so it is written as 0000-00-00.
std::string FormatDate(IndexType index, const CSimpleDate& date) {
  if (index == IndexType::YearMonthDay) {
    return Formatted("%04d-%02d-%02d", date.GetYear(), date.GetMonth(), date.GetDay());
  }
  if (index == IndexType::YearMonth)
    return Formatted("%04d-%02d", date.GetYear(), date.GetMonth());
  return Formatted("%04d", date.GetYear());
}

std::string FormatPeriod(IndexType index, int year, int period) {
  return Formatted(index == IndexType::YearQuarter ? "%04d Q%d" : "%04d H%d", year, period);
}

// A counter zero-padded to its width ("0001" under "nnnn").
std::string FormatCounter(IndexType index, int value) {
  return Formatted("%0*d", CounterWidth(index), value);
}

int MonthsPerPeriod(IndexType index) {
  return index == IndexType::YearQuarter ? kMonthsPerQuarter : kMonthsPerHalf;
}

// Half-monthly series run 1st, 16th, 1st of the next month: fifteen days on,
// and from the 26th onwards back to the 1st and one month on. A step that
// crosses into the next month (from the 16th of February) lands on its 1st, so
// a short month never pushes the series off its days.
void StepHalfMonth(CSimpleDate& date) {
  const int month = date.GetMonth();
  date.AddDays(15);
  if (date.GetMonth() != month) {
    date.SubtractDays(date.GetDay() - 1);
  } else if (date.GetDay() >= 26) {
    date.SubtractDays(date.GetDay() - 1).AddMonths(1);
  }
}

struct DateStep {
  int days;
  int months;
  int years;
};

// How far each recurrence moves a date, by recurrence value; Current and the
// half-month pair are handled on their own.
constexpr std::array<DateStep, kLastRecurrenceType + 1> kDateSteps = {{
    {0, 0, 0},  {0, 0, 0},   // Current, Sequential
    {1, 0, 0},  {1, 0, 0},   // Day, Daily
    {7, 0, 0},  {7, 0, 0},   // Week, Weekly
    {14, 0, 0}, {14, 0, 0},  // TwoWeeks, BiWeekly
    {0, 0, 0},  {0, 0, 0},   // HalfMonth, SemiMonthly
    {0, 1, 0},  {0, 1, 0},   // Month, Monthly
    {0, 2, 0},  {0, 2, 0},   // TwoMonths, BiMonthly
    {0, 3, 0},  {0, 3, 0},   // Quarter, Quarterly
    {0, 6, 0},  {0, 6, 0},   // HalfYear, SemiAnnually
    {0, 0, 1},  {0, 0, 1},   // Year, Yearly
}};

bool IsLastDayOfMonth(const CSimpleDate& date) {
  return date.IsValid() &&
         date.GetDay() == CSimpleDate::DaysInMonth(date.GetMonth(), date.GetYear());
}

// Adding months or years keeps the day, clamped to the target month; a date on
// the last day of its month moves to the last day of the target month instead,
// so a series of month ends never drifts to the 28th after one February.
void StepByMonths(const DateStep& step, CSimpleDate& date) {
  const bool monthEnd = IsLastDayOfMonth(date);
  date.AddMonths(step.months).AddYears(step.years);
  if (monthEnd && date.IsValid())
    date.AddDays(CSimpleDate::DaysInMonth(date.GetMonth(), date.GetYear()) - date.GetDay());
}

void StepDate(RecurrenceType recurrence, CSimpleDate& date) {
  if (recurrence == RecurrenceType::Current) {
    date = CSimpleDate(CSimpleDate::kMonthDayYear);
  } else if (recurrence == RecurrenceType::HalfMonth || recurrence == RecurrenceType::SemiMonthly) {
    StepHalfMonth(date);
  } else {
    const DateStep step = kDateSteps[static_cast<std::size_t>(recurrence)];
    if (step.months != 0 || step.years != 0)
      StepByMonths(step, date);
    else
      date.AddDays(step.days);
  }
}

std::string NextDateValue(const FileNameFormat& format, std::string_view match) {
  std::string text(match);
  if (format.index == IndexType::YearMonth)
    text += "-01";
  if (format.index == IndexType::YearOnly)
    text += "-01-01";
  CSimpleDate date(text, CSimpleDate::kYearMonthDay);
  StepDate(format.recurrence, date);
  return FormatDate(format.index, date);
}

// Reads exactly `digits` decimal digits from the front of `text`.
std::optional<int> ReadDigits(std::string_view text, int digits) {
  if (text.size() < static_cast<std::size_t>(digits))
    return std::nullopt;
  int value = 0;
  for (int at = 0; at < digits; ++at) {
    const char c = text[static_cast<std::size_t>(at)];
    if (c < '0' || c > '9')
      return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

bool StepsPeriod(RecurrenceType recurrence, IndexType index) {
  using enum RecurrenceType;
  if (index == IndexType::YearQuarter)
    return recurrence == Quarter || recurrence == Quarterly;
  return recurrence == HalfYear || recurrence == SemiAnnually;
}

// "yyyy Qn" or "yyyy Hn": recurrence Current moves to today's period, the
// matching recurrence to the next one (the last period rolls into next year).
std::optional<std::string> NextPeriodValue(const FileNameFormat& format, std::string_view match) {
  const std::optional<int> year = ReadDigits(match, 4);
  const std::optional<int> period =
      match.size() == 7 ? ReadDigits(match.substr(6), 1) : std::nullopt;
  if (!year || !period)
    return std::nullopt;
  const int periodsPerYear = 12 / MonthsPerPeriod(format.index);
  if (format.recurrence == RecurrenceType::Current)
    return FirstIndexValue(format);
  if (!StepsPeriod(format.recurrence, format.index))
    return FormatPeriod(format.index, *year, *period);
  if (*period >= periodsPerYear)
    return FormatPeriod(format.index, *year + 1, 1);
  return FormatPeriod(format.index, *year, *period + 1);
}

bool IsDigitRun(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Steps the decimal number in `digits` by one, digit by digit, so a run of any
// length neither overflows nor loses its leading zeros: "0099" gives "0100",
// "9999" gives "10000".
std::string Incremented(std::string digits) {
  for (auto at = digits.rbegin(); at != digits.rend(); ++at) {
    if (*at != '9') {
      ++*at;
      return digits;
    }
    *at = '0';
  }
  return '1' + digits;
}

// `match` is the whole run of digits at the counter's place, at least as long
// as the counter's width.
std::optional<std::string> NextCounterValue(const FileNameFormat& format, std::string_view match) {
  if (!IsDigitRun(match) || match.size() < static_cast<std::size_t>(CounterWidth(format.index)))
    return std::nullopt;
  if (format.recurrence != RecurrenceType::Sequential)
    return std::string(match);
  return Incremented(std::string(match));
}

}  // namespace

std::string FirstIndexValue(const FileNameFormat& format) {
  const CSimpleDate today(CSimpleDate::kMonthDayYear);
  if (IsDateIndex(format.index))
    return FormatDate(format.index, today);
  if (IsPeriodIndex(format.index)) {
    const int period = (today.GetMonth() - 1) / MonthsPerPeriod(format.index) + 1;
    return FormatPeriod(format.index, today.GetYear(), period);
  }
  return FormatCounter(format.index, 1);
}

std::optional<std::string> NextIndexValue(const FileNameFormat& format, std::string_view match) {
  if (IsDateIndex(format.index))
    return NextDateValue(format, match);
  if (IsPeriodIndex(format.index))
    return NextPeriodValue(format, match);
  return NextCounterValue(format, match);
}
