#include "naming/CSimpleDate.h"

#include <array>
#include <cstddef>

#include "core/ContractChecks.h"
#include "naming/TodayClock.h"

namespace {

constexpr std::array<int, 13> kDaysBeforeMonth = {0,   31,  59,  90,  120, 151, 181,
                                                  212, 243, 273, 304, 334, 365};

// Reads the leading decimal digits of a part, like atoi, but saturates instead
// of overflowing so that absurd text stays an ordinary invalid date.
int ReadLeadingNumber(std::string_view part) {
  constexpr int kCeiling = 1'000'000'000;
  std::size_t at = 0;
  while (at < part.size() && (part[at] == ' ' || part[at] == '\t'))
    ++at;
  int value = 0;
  for (; at < part.size() && part[at] >= '0' && part[at] <= '9'; ++at) {
    value = value >= kCeiling / 10 ? kCeiling : value * 10 + (part[at] - '0');
  }
  return value;
}

// The first three parts of `text` split at "/", "." and "-"; missing parts read as 0.
std::array<int, 3> ReadThreeNumbers(std::string_view text) {
  std::array<int, 3> numbers{};
  for (int& number : numbers) {
    const std::size_t cut = text.find_first_of("/.-");
    number = ReadLeadingNumber(text.substr(0, cut));
    if (cut == std::string_view::npos)
      break;
    text.remove_prefix(cut + 1);
  }
  return numbers;
}

}  // namespace

CSimpleDate::CSimpleDate(int formatCode) : formatCode_(formatCode) {
  SetToday();
  ComputeDayNumber();
}

CSimpleDate::CSimpleDate(std::string_view text, int formatCode) : formatCode_(formatCode) {
  Parse(text);
  ComputeDayNumber();
}

bool CSimpleDate::IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int CSimpleDate::DaysInMonth(int month, int year) {
  if (month < 1 || month > 12)
    return 0;
  const int leapDay = month == 2 && IsLeapYear(year) ? 1 : 0;
  return kDaysBeforeMonth[month] - kDaysBeforeMonth[month - 1] + leapDay;
}

bool CSimpleDate::IsValid() const {
  return year_ >= 0 && year_ <= kMaxYear && month_ >= 1 && month_ <= 12 && day_ >= 1 &&
         day_ <= DaysInMonth(month_, year_);
}

int CSimpleDate::GetDay() const {
  return IsValid() ? day_ : 0;
}
int CSimpleDate::GetMonth() const {
  return IsValid() ? month_ : 0;
}
int CSimpleDate::GetYear() const {
  return IsValid() ? year_ : 0;
}

void CSimpleDate::SetToday() {
  const CalendarDay today = TodayClock::Today();
  year_ = today.year;
  month_ = today.month;
  day_ = today.day;
}

void CSimpleDate::Parse(std::string_view text) {
  ParseFields(text, month_, day_, year_);
}

void CSimpleDate::ParseFields(std::string_view text, int& month, int& day, int& year) const {
  const auto [first, second, third] = ReadThreeNumbers(text);
  switch (formatCode_) {
    case 0:
    case 3:
      month = first, day = second, year = third;
      break;
    case 1:
    case 4:
      day = first, month = second, year = third;
      break;
    case 2:
    case 5:
      year = first, month = second, day = third;
      break;
    default:
      month = day = year = 0;
      return;
  }
  if (year < 100)
    year += 1900;
}

void CSimpleDate::ComputeDayNumber() {
  dayNumber_ = IsValid() ? DayNumberFrom(month_, day_, year_) : 0;
}

int CSimpleDate::DayNumberFrom(int month, int day, int year) {
  CheckPrecondition(CONTRACT_LOCATION, month >= 1 && month <= 12 && day >= 1 && day <= 31 &&
                                           year >= 0 && year <= kMaxYear);
  const int y = month <= 2 ? year - 1 : year;
  const int m = month <= 2 ? month + 12 : month;
  return y / 4 + (153 * m - 457) / 5 + y / 400 + 365 * y + day - y / 100 + 1721119;
}

void CSimpleDate::SetFieldsFromDayNumber() {
  FieldsFromDayNumber(dayNumber_, month_, day_, year_);
}

void CSimpleDate::FieldsFromDayNumber(int dayNumber, int& month, int& day, int& year) {
  // Fliegel and Van Flandern, in 64 bits so that no day number can overflow.
  long long l = static_cast<long long>(dayNumber) + 68569;
  const long long n = 4 * l / 146097;
  l -= (146097 * n + 3) / 4;
  const long long i = 4000 * (l + 1) / 1461001;
  l = l - 1461 * i / 4 + 31;
  const long long j = 80 * l / 2447;
  day = static_cast<int>(l - 2447 * j / 80);
  l = j / 11;
  month = static_cast<int>(j + 2 - 12 * l);
  year = static_cast<int>(100 * (n - 49) + i + l);
}

void CSimpleDate::ClampDay() {
  const int length = DaysInMonth(month_, year_);
  if (day_ > length)
    day_ = length;
}

CSimpleDate& CSimpleDate::AddDays(int days) {
  if (IsValid())
    MoveToDayNumber(static_cast<long long>(dayNumber_) + days);
  return *this;
}

CSimpleDate& CSimpleDate::SubtractDays(int days) {
  if (IsValid())
    MoveToDayNumber(static_cast<long long>(dayNumber_) - days);
  return *this;
}

CSimpleDate& CSimpleDate::AddMonths(int months) {
  CheckPrecondition(CONTRACT_LOCATION, months >= 0);
  if (!IsValid())
    return *this;
  const long long monthIndex = static_cast<long long>(month_) - 1 + months;
  const long long year = year_ + monthIndex / 12;
  if (year > kMaxYear) {
    MakeInvalid();
    return *this;
  }
  year_ = static_cast<int>(year);
  month_ = static_cast<int>(monthIndex % 12) + 1;
  ClampDay();
  ComputeDayNumber();
  return *this;
}

CSimpleDate& CSimpleDate::AddYears(int years) {
  if (!IsValid())
    return *this;
  const long long year = static_cast<long long>(year_) + years;
  if (year < 0 || year > kMaxYear) {
    MakeInvalid();
    return *this;
  }
  year_ = static_cast<int>(year);
  ClampDay();
  ComputeDayNumber();
  return *this;
}

// Steps that leave the calendar (before year 0 or after kMaxYear) give an
// invalid date instead of overflowing.
void CSimpleDate::MoveToDayNumber(long long dayNumber) {
  static const int last = DayNumberFrom(12, 31, kMaxYear);
  if (dayNumber < 0 || dayNumber > last) {
    MakeInvalid();
    return;
  }
  dayNumber_ = static_cast<int>(dayNumber);
  SetFieldsFromDayNumber();
  if (!IsValid())
    MakeInvalid();
}

void CSimpleDate::MakeInvalid() {
  year_ = month_ = day_ = dayNumber_ = 0;
}
