#include <gtest/gtest.h>

#include <string>

#include "naming/CSimpleDate.h"
#include "naming/TodayClock.h"

namespace {

std::string Text(const CSimpleDate& date) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.GetYear(), date.GetMonth(),
                date.GetDay());
  return text;
}

CSimpleDate Ymd(const char* text) {
  return CSimpleDate(text, CSimpleDate::kYearMonthDay);
}

TEST(CSimpleDateTest, ParsesInTheFieldOrderOfItsFormatCode) {
  struct Case {
    const char* text;
    int formatCode;
    const char* expected;
  };
  const Case cases[] = {
      {"2012-12-31", 5, "2012-12-31"},
      {"2012/12/31", 2, "2012-12-31"},
      {"12/31/2012", 3, "2012-12-31"},
      {"12.31.2012", 0, "2012-12-31"},
      {"31.12.2012", 4, "2012-12-31"},
      {"31-12-2012", 1, "2012-12-31"},
      {"12-05-06", 5, "1912-05-06"},    // a two-digit year is 19xx
      {"2012-12", 5, "0000-00-00"},     // the missing day reads 0
      {"2012-12-31", 6, "0000-00-00"},  // unknown codes read nothing
      {"", 5, "0000-00-00"},
      {"99999999999999999999-01-01", 5, "0000-00-00"},  // no overflow
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Text(CSimpleDate(c.text, c.formatCode)), c.expected) << c.text << " " << c.formatCode;
  }
}

TEST(CSimpleDateTest, DayNumbersAgreeBothWays) {
  EXPECT_EQ(Ymd("2012-12-31").DayNumber(), 2456293);
  EXPECT_EQ(Ymd("2000-01-01").DayNumber(), 2451545);
  for (int dayNumber = 2415021; dayNumber < 2415021 + 200 * 366; dayNumber += 17) {
    int month = 0, day = 0, year = 0;
    CSimpleDate::FieldsFromDayNumber(dayNumber, month, day, year);
    ASSERT_EQ(CSimpleDate::DayNumberFrom(month, day, year), dayNumber);
  }
}

TEST(CSimpleDateTest, ValidityFollowsTheGregorianCalendar) {
  struct Case {
    const char* text;
    bool valid;
  };
  const Case cases[] = {{"2000-02-29", true},  {"1900-02-29", false}, {"2012-02-29", true},
                        {"2013-02-29", false}, {"2012-13-01", false}, {"2012-00-10", false},
                        {"2012-04-31", false}, {"2012-12-00", false}, {"2012-12-31", true}};
  for (const Case& c : cases)
    EXPECT_EQ(Ymd(c.text).IsValid(), c.valid) << c.text;
}

TEST(CSimpleDateTest, InvalidDatesReadZeroAndIgnoreEverySteps) {
  CSimpleDate date = Ymd("2012-13-01");
  date.AddDays(1).SubtractDays(40).AddMonths(1).AddYears(2);
  EXPECT_FALSE(date.IsValid());
  EXPECT_EQ(date.GetYear(), 0);
  EXPECT_EQ(date.GetMonth(), 0);
  EXPECT_EQ(date.GetDay(), 0);
}

TEST(CSimpleDateTest, StepsClampTheDayToTheTargetMonth) {
  struct Case {
    const char* start;
    int days, months, years;
    const char* expected;
  };
  const Case cases[] = {
      {"2012-01-31", 0, 1, 0, "2012-02-29"},   {"2013-01-31", 0, 1, 0, "2013-02-28"},
      {"2012-11-30", 0, 3, 0, "2013-02-28"},   {"2012-12-16", 15, 0, 0, "2012-12-31"},
      {"2012-12-31", -30, 0, 0, "2012-12-01"}, {"2012-02-29", 0, 0, 1, "2013-02-28"},
      {"2012-12-31", 1, 0, 0, "2013-01-01"},   {"2012-03-01", -1, 0, 0, "2012-02-29"},
      {"2012-08-31", 0, 18, 0, "2014-02-28"},  {"2012-05-15", 0, 0, -12, "2000-05-15"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.start << " + " << c.days << " days, " << c.months
                                    << " months, " << c.years << " years");
    CSimpleDate date = Ymd(c.start);
    if (c.days >= 0)
      date.AddDays(c.days);
    if (c.days < 0)
      date.SubtractDays(-c.days);
    date.AddMonths(c.months).AddYears(c.years);
    EXPECT_EQ(Text(date), c.expected);
    EXPECT_EQ(date.DayNumber(),
              CSimpleDate::DayNumberFrom(date.GetMonth(), date.GetDay(), date.GetYear()));
  }
}

TEST(CSimpleDateTest, StepsBeyondTheCalendarMakeTheDateInvalidInsteadOfOverflowing) {
  EXPECT_FALSE(Ymd("2012-01-01").AddDays(2'000'000'000).IsValid());
  EXPECT_FALSE(Ymd("2012-01-01").SubtractDays(2'000'000'000).IsValid());
  EXPECT_FALSE(Ymd("2012-01-01").AddYears(2'000'000'000).IsValid());
  EXPECT_FALSE(Ymd("2012-01-01").AddMonths(2'000'000'000).IsValid());
  EXPECT_FALSE(Ymd("1900-01-01").AddYears(-2000).IsValid());
}

TEST(CSimpleDateTest, TodayComesFromTheFixedClock) {
  const TodayClock::Fixed fixed(2012, 12, 31);
  const CSimpleDate today(CSimpleDate::kMonthDayYear);
  EXPECT_EQ(Text(today), "2012-12-31");
  EXPECT_EQ(today.DayNumber(), 2456293);
}

TEST(CSimpleDateTest, TodayWithoutAFixedClockIsAValidDate) {
  EXPECT_TRUE(CSimpleDate(CSimpleDate::kMonthDayYear).IsValid());
}

}  // namespace
