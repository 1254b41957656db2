#pragma once

#include <string_view>

// A Gregorian calendar date that does its arithmetic through the Julian day
// number. Stepping an invalid date leaves it unchanged, so a name with an
// impossible date can be carried along without special cases.
class CSimpleDate {
 public:
  // Field orders for reading a date from text.
  static constexpr int kMonthDayYear = 3;
  static constexpr int kDayMonthYear = 4;
  static constexpr int kYearMonthDay = 5;

  // The largest year whose arithmetic is defined; later dates are invalid.
  static constexpr int kMaxYear = 999999;

  // Today's local date.
  explicit CSimpleDate(int formatCode);
  // The date read from `text` in the field order of `formatCode`.
  CSimpleDate(std::string_view text, int formatCode);

  bool IsValid() const;
  int GetDay() const;
  int GetMonth() const;
  int GetYear() const;
  int DayNumber() const { return dayNumber_; }

  void SetToday();
  void Parse(std::string_view text);
  // Splits `text` at "/", "." and "-" and reads three numbers in the field
  // order of the format code; a year below 100 is taken as 19xx.
  void ParseFields(std::string_view text, int& month, int& day, int& year) const;
  void ComputeDayNumber();
  static int DayNumberFrom(int month, int day, int year);
  void SetFieldsFromDayNumber();
  static void FieldsFromDayNumber(int dayNumber, int& month, int& day, int& year);
  // Moves the day back to the last day of its month when it lies beyond it.
  void ClampDay();

  CSimpleDate& AddDays(int days);
  CSimpleDate& SubtractDays(int days);
  CSimpleDate& AddMonths(int months);
  CSimpleDate& AddYears(int years);

  static bool IsLeapYear(int year);
  // 0 for a month outside 1 to 12.
  static int DaysInMonth(int month, int year);

 private:
  void MoveToDayNumber(long long dayNumber);
  void MakeInvalid();

  int year_ = 0;
  int month_ = 0;
  int day_ = 0;
  int dayNumber_ = 0;
  int formatCode_ = kYearMonthDay;
};
