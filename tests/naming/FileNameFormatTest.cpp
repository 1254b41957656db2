#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "core/ContractError.h"
#include "naming/CSimpleDate.h"
#include "naming/FileNameFormat.h"
#include "naming/FileNameWords.h"
#include "naming/TodayClock.h"

namespace {

FileNameFormat Format(int recurrence, int item, int relation, int index) {
  const std::optional<FileNameFormat> format =
      FileNameFormatFromValues(recurrence, item, relation, index);
  EXPECT_TRUE(format.has_value());
  return format.value_or(FileNameFormat{});
}

// Each name of `series` is the next name of the one before it.
void ExpectSeries(const FileNameFormat& format, const std::vector<std::string>& series) {
  for (std::size_t at = 1; at < series.size(); ++at) {
    EXPECT_EQ(format.NextName(series[at - 1]), series[at]) << format.BaseName();
  }
}

TEST(FileNameFormatTest, DefaultFormatIsMonthlyEndingYearMonthDay) {
  EXPECT_EQ(FileNameFormat{}, Format(11, 0, 2, 1));
  EXPECT_EQ(FileNameFormat{}.BaseName(), "Monthly Ending yyyy-mm-dd");
}

TEST(FileNameFormatTest, PredefinedFormatsAreListedInOrderWithTheirBaseNames) {
  const std::vector<std::string> expected = {
      "Item",
      "Item Dated yyyy-mm-dd",
      "Item nnnn",
      "Item nnnnn",
      "Item nnnnnn",
      "Page nnn",
      "Check nnnn",
      "Check nnnnn",
      "Check nnnnnn",
      "Day of yyyy-mm-dd",
      "Week Ending yyyy-mm-dd",
      "Two Weeks Ending yyyy-mm-dd",
      "Half Month Ending yyyy-mm-dd",
      "Month Ending yyyy-mm-dd",
      "Month of yyyy-mm",
      "Monthly Statement Due yyyy-mm-dd",
      "Quarter Ending yyyy-mm-dd",
      "Quarter Ending yyyy-mm",
      "Quarter yyyy Qn",
      "Half Year Ending yyyy-mm-dd",
      "Half Year Ending yyyy-mm",
      "Half Year yyyy Hn",
      "Year Ending yyyy-mm-dd",
      "Year Ending yyyy-mm",
      "Year of yyyy",
  };
  const std::vector<FileNameFormat>& formats = PredefinedFormats();
  ASSERT_EQ(formats.size(), expected.size());
  for (std::size_t at = 0; at < formats.size(); ++at) {
    EXPECT_EQ(formats[at].BaseName(), expected[at]) << at + 1;
  }
  EXPECT_EQ(formats[5], Format(1, 2, 1, 8));
  EXPECT_EQ(formats[18], Format(14, 0, 1, 4));
}

TEST(FileNameFormatTest, BaseNameJoinsOnlyTheWordsThatExist) {
  EXPECT_EQ(Format(0, 0, 0, 0).BaseName(), "");
  EXPECT_EQ(Format(7, 4, 4, 0).BaseName(), "Bi-Weekly Invoice for");
  EXPECT_EQ(Format(17, 6, 6, 5).BaseName(), "Semi-Annually Report Due yyyy Hn");
  EXPECT_EQ(Format(0, 0, 1, 3).BaseName(), "yyyy");
}

TEST(FileNameFormatTest, FromValuesRefusesOutOfRangeValues) {
  EXPECT_TRUE(FileNameFormatFromValues(19, 6, 6, 11).has_value());
  EXPECT_TRUE(FileNameFormatFromValues(0, 0, 0, 0).has_value());
  const int refused[][4] = {{20, 0, 0, 0}, {-1, 0, 0, 0}, {0, 7, 0, 0},
                            {0, -1, 0, 0}, {0, 0, 7, 0},  {0, 0, -1, 0},
                            {0, 0, 0, 12}, {0, 0, 0, -1}, {2147483647, 0, 0, 0}};
  for (const auto& v : refused) {
    EXPECT_FALSE(FileNameFormatFromValues(v[0], v[1], v[2], v[3]).has_value())
        << v[0] << " " << v[1] << " " << v[2] << " " << v[3];
  }
}

TEST(FileNameFormatTest, OutOfRangeValuesInsideTheLibraryAreContractFailures) {
  FileNameFormat format;
  format.recurrence = static_cast<RecurrenceType>(20);
  EXPECT_THROW(format.NextName("Month Ending 2012-12-31"), contract_error);
  format = FileNameFormat{};
  format.index = static_cast<IndexType>(12);
  EXPECT_THROW(format.BaseName(), contract_error);
  format = FileNameFormat{};
  format.item = static_cast<ItemType>(-1);
  EXPECT_THROW(format.NextName(""), contract_error);
}

TEST(FileNameFormatTest, DatedSeriesStepByTheirPeriod) {
  ExpectSeries(Format(10, 0, 2, 1),
               {"Month Ending 2012-11-30", "Month Ending 2012-12-31", "Month Ending 2013-01-31",
                "Month Ending 2013-02-28", "Month Ending 2013-03-31"});
  ExpectSeries(Format(10, 0, 2, 1),
               {"Month Ending 2012-12-31", "Month Ending 2013-01-31", "Month Ending 2013-02-28"});
  ExpectSeries(Format(10, 0, 2, 1), {"Month Ending 2012-01-31", "Month Ending 2012-02-29"});
  ExpectSeries(Format(10, 0, 5, 2), {"Month of 2012-11", "Month of 2012-12", "Month of 2013-01"});
  ExpectSeries(Format(18, 0, 5, 3), {"Year of 2011", "Year of 2012", "Year of 2013"});
  ExpectSeries(Format(2, 0, 5, 1), {"Day of 2012-02-28", "Day of 2012-02-29", "Day of 2012-03-01"});
  ExpectSeries(Format(4, 0, 2, 1), {"Week Ending 2012-12-28", "Week Ending 2013-01-04"});
  ExpectSeries(Format(6, 0, 2, 1), {"Two Weeks Ending 2012-12-21", "Two Weeks Ending 2013-01-04"});
  ExpectSeries(Format(11, 5, 6, 1),
               {"Monthly Statement Due 2012-12-15", "Monthly Statement Due 2013-01-15"});
  ExpectSeries(Format(12, 0, 2, 1), {"2012-12-31", "2013-02-28", "2013-04-30"});
  ExpectSeries(Format(14, 0, 2, 1), {"Quarter Ending 2012-11-30", "Quarter Ending 2013-02-28",
                                     "Quarter Ending 2013-05-31"});
  ExpectSeries(Format(14, 0, 2, 2), {"Quarter Ending 2012-10", "Quarter Ending 2013-01"});
  ExpectSeries(Format(16, 0, 2, 1), {"Half Year Ending 2012-08-31", "Half Year Ending 2013-02-28",
                                     "Half Year Ending 2013-08-31"});
  ExpectSeries(Format(16, 0, 2, 2), {"Half Year Ending 2012-07", "Half Year Ending 2013-01"});
  ExpectSeries(Format(18, 0, 2, 1),
               {"Year Ending 2012-02-29", "Year Ending 2013-02-28", "Year Ending 2014-02-28",
                "Year Ending 2015-02-28", "Year Ending 2016-02-29"});
  ExpectSeries(Format(18, 0, 2, 2), {"Year Ending 2012-12", "Year Ending 2013-12"});
}

TEST(FileNameFormatTest, HalfMonthSeriesRunFirstAndSixteenth) {
  ExpectSeries(Format(8, 0, 2, 1), {"2012-12-01", "2012-12-16", "2013-01-01", "2013-01-16",
                                    "2013-02-01", "2013-02-16", "2013-03-01"});
  ExpectSeries(Format(9, 0, 2, 1), {"2012-02-15", "2012-03-01"});
  ExpectSeries(Format(8, 0, 2, 1), {"2012-02-10", "2012-02-25"});
  ExpectSeries(Format(8, 0, 2, 1), {"2012-02-11", "2012-03-01"});  // the 26th moves on
  // A short February must not push the series off the 1st.
  ExpectSeries(Format(8, 0, 2, 1), {"2013-02-16", "2013-03-01", "2013-03-16"});
  ExpectSeries(Format(8, 0, 2, 1), {"2012-02-16", "2012-03-01"});
  ExpectSeries(Format(8, 0, 2, 1), {"2012-04-16", "2012-05-01"});
}

TEST(FileNameFormatTest, QuartersAndHalvesRollOverIntoTheNextYear) {
  ExpectSeries(Format(14, 0, 1, 4),
               {"Quarter 2012 Q2", "Quarter 2012 Q3", "Quarter 2012 Q4", "Quarter 2013 Q1"});
  ExpectSeries(Format(15, 0, 1, 4), {"2012 Q4", "2013 Q1"});
  ExpectSeries(Format(16, 0, 1, 5),
               {"Half Year 2012 H1", "Half Year 2012 H2", "Half Year 2013 H1"});
  ExpectSeries(Format(17, 0, 1, 5), {"9999 H2", "10000 H1"});
}

TEST(FileNameFormatTest, PeriodsOnlyStepUnderTheirOwnRecurrence) {
  // A half-year recurrence leaves a quarter alone, and a quarterly one a half,
  // so no name ever reaches a period that does not exist.
  EXPECT_EQ(Format(16, 0, 1, 4).NextName("2012 Q4"), "2012 Q4");
  EXPECT_EQ(Format(14, 0, 1, 5).NextName("2012 H2"), "2012 H2");
  EXPECT_EQ(Format(10, 0, 1, 4).NextName("2012 Q2"), "2012 Q2");
  EXPECT_EQ(Format(1, 0, 1, 5).NextName("2012 H1"), "2012 H1");
}

TEST(FileNameFormatTest, CountersStepOnlyWhenSequentialAndOutgrowTheirWidth) {
  ExpectSeries(Format(1, 3, 1, 9), {"Check 0041", "Check 0042"});
  ExpectSeries(Format(1, 3, 1, 9), {"Check 9999", "Check 10000"});
  ExpectSeries(Format(1, 2, 1, 8), {"Page 009", "Page 010", "Page 011"});
  ExpectSeries(Format(1, 0, 0, 7), {"99", "100"});
  ExpectSeries(Format(1, 0, 0, 6), {"Item 9", "Item 10"});
  ExpectSeries(Format(1, 1, 1, 11), {"Item 999999", "Item 1000000"});
  ExpectSeries(Format(1, 1, 1, 10), {"Item 00009", "Item 00010"});
  // The counter is the whole run of digits where the first w digits stand.
  EXPECT_EQ(Format(1, 1, 1, 7).NextName("Item 0123"), "Item 0124");
  EXPECT_EQ(Format(10, 3, 1, 9).NextName("Check 0041"), "Check 0041");
  EXPECT_EQ(Format(0, 3, 1, 9).NextName("Check 0041"), "Check 0041");
}

TEST(FileNameFormatTest, CountersPastTheirWidthKeepCountingByOne) {
  ExpectSeries(Format(1, 3, 1, 9), {"Check 9998", "Check 9999", "Check 10000", "Check 10001"});
  ExpectSeries(Format(1, 2, 1, 8), {"Page 999", "Page 1000", "Page 1001"});
  ExpectSeries(Format(1, 0, 0, 6), {"Item 9", "Item 10", "Item 11"});
  ExpectSeries(Format(1, 3, 1, 9), {"Check 0007", "Check 0008"});
  ExpectSeries(Format(1, 0, 0, 7), {"Item 0099", "Item 0100"});
  // A run written wider than the counter keeps its leading zeros.
  ExpectSeries(Format(1, 0, 0, 9), {"Item 00123", "Item 00124"});
  // Only the run itself: text after it, digits included, stays as it was.
  ExpectSeries(Format(1, 3, 1, 9), {"Check 9999 p2", "Check 10000 p2", "Check 10001 p2"});
  ExpectSeries(Format(1, 3, 1, 9), {"A1 Check 0041 (2)", "A1 Check 0042 (2)"});
  EXPECT_EQ(Format(10, 3, 1, 9).NextName("Check 10000"), "Check 10000");
}

TEST(FileNameFormatTest, MonthEndsStayOnMonthEnds) {
  ExpectSeries(Format(10, 0, 2, 1),
               {"Month Ending 2013-01-31", "Month Ending 2013-02-28", "Month Ending 2013-03-31",
                "Month Ending 2013-04-30", "Month Ending 2013-05-31"});
  ExpectSeries(Format(14, 0, 2, 1), {"Quarter Ending 2012-03-31", "Quarter Ending 2012-06-30",
                                     "Quarter Ending 2012-09-30", "Quarter Ending 2012-12-31",
                                     "Quarter Ending 2013-03-31"});
  ExpectSeries(Format(15, 0, 2, 1), {"2012-04-30", "2012-07-31"});
  ExpectSeries(Format(18, 0, 2, 1), {"2011-02-28", "2012-02-29", "2013-02-28"});
  // Other days keep their day, clamped only when the target month is short.
  ExpectSeries(Format(11, 5, 6, 1), {"Due 2012-12-15", "Due 2013-01-15", "Due 2013-02-15"});
  ExpectSeries(Format(10, 0, 2, 1), {"2012-12-30", "2013-01-30", "2013-02-28"});
  ExpectSeries(Format(18, 0, 2, 1), {"2012-04-29", "2013-04-29"});
  // Day steps are not month steps: a week after a month end is just a week on.
  ExpectSeries(Format(4, 0, 2, 1), {"2013-01-31", "2013-02-07", "2013-02-14"});
  ExpectSeries(Format(10, 0, 2, 1), {"9999-12-31", "10000-01-31"});
}

// The position of a name's index on the scale its recurrence steps along, read
// from the index text: a counter's value, a date's month or day number, a
// half month, a quarter or a half.
int IndexOrdinal(const FileNameFormat& format, const std::string& value) {
  using enum RecurrenceType;
  const RecurrenceType r = format.recurrence;
  int year = 0, month = 1, day = 1, period = 0;
  switch (format.index) {
    case IndexType::YearQuarter:
    case IndexType::YearHalf:
      EXPECT_EQ(std::sscanf(value.c_str(), "%d %*c%d", &year, &period), 2) << value;
      return year * (format.index == IndexType::YearQuarter ? 4 : 2) + period - 1;
    case IndexType::YearMonthDay:
    case IndexType::YearMonth:
    case IndexType::YearOnly:
      std::sscanf(value.c_str(), "%d-%d-%d", &year, &month, &day);
      if (r == Day || r == Daily || r == Week || r == Weekly || r == TwoWeeks || r == BiWeekly)
        return CSimpleDate::DayNumberFrom(month, day, year);
      if (r == HalfMonth || r == SemiMonthly)  // from the 11th on, a step reaches next month
        return year * 24 + (month - 1) * 2 + (day >= 11 ? 1 : 0);
      return year * 12 + month - 1;
    default:
      return std::stoi(value);
  }
}

// A thousand steps from the start of a series (and from a counter at 9990):
// every step moves the index on by the same amount, so nothing is skipped or
// repeated, the text before the index stays, counters keep their width, and
// month steps keep a month end on month ends and any other day on its day.
TEST(FileNameFormatTest, LongSeriesNeverSkipRepeatOrDrift) {
  for (const int startDay : {31, 15}) {
    const TodayClock::Fixed today(2012, 1, startDay);
    for (const FileNameFormat& format : PredefinedFormats()) {
      if (format.recurrence == RecurrenceType::Current)
        continue;  // today's value each time, covered on its own
      const std::string base = format.BaseName();
      const std::string prefix = base.substr(0, base.size() - IndexWord(format.index).size());
      const int width = CounterWidth(format.index);
      std::vector<std::string> starts = {format.NextName("")};
      if (width > 0)
        starts.push_back(prefix + std::string(width > 4 ? width - 4 : 0, '0') + "9990");
      const bool monthSteps =
          format.index == IndexType::YearMonthDay && format.recurrence >= RecurrenceType::Month;
      for (const std::string& start : starts) {
        std::set<std::string> seen = {start};
        std::string name = start;
        int firstStride = 0;
        for (int step = 0; step < 1000; ++step) {
          const std::string next = format.NextName(name);
          ASSERT_EQ(next.substr(0, prefix.size()), prefix) << next;
          const std::string value = next.substr(prefix.size());
          const int stride =
              IndexOrdinal(format, value) - IndexOrdinal(format, name.substr(prefix.size()));
          if (step == 0)
            firstStride = stride;
          ASSERT_TRUE(stride > 0 && stride == firstStride)
              << base << ": " << name << " -> " << next;
          ASSERT_TRUE(seen.insert(next).second) << base << ": " << next;
          if (width > 0) {
            char padded[32];
            std::snprintf(padded, sizeof padded, "%0*d", width, std::stoi(value));
            ASSERT_EQ(value, padded) << base;
          }
          if (monthSteps) {
            int year = 0, month = 0, day = 0;
            std::sscanf(value.c_str(), "%d-%d-%d", &year, &month, &day);
            const int expected = startDay == 31 ? CSimpleDate::DaysInMonth(month, year) : 15;
            ASSERT_EQ(day, expected) << base << ": " << next;
          }
          name = next;
        }
      }
    }
  }
}

TEST(FileNameFormatTest, CurrentRecurrenceTakesTodaysValue) {
  const TodayClock::Fixed today(2013, 5, 7);
  EXPECT_EQ(Format(0, 1, 3, 1).NextName("Item Dated 2001-01-01"), "Item Dated 2013-05-07");
  EXPECT_EQ(Format(0, 1, 3, 1).NextName("Item Dated 2001-13-01"), "Item Dated 2013-05-07");
  EXPECT_EQ(Format(0, 0, 0, 2).NextName("x 1999-01 y"), "x 2013-05 y");
  EXPECT_EQ(Format(0, 0, 0, 3).NextName("1999"), "2013");
  EXPECT_EQ(Format(0, 0, 1, 4).NextName("Quarter 2001 Q1"), "Quarter 2013 Q2");
  EXPECT_EQ(Format(0, 0, 1, 5).NextName("Half 2001 H2"), "Half 2013 H1");
}

TEST(FileNameFormatTest, NewSeriesStartWithTodayOrOne) {
  const TodayClock::Fixed today(2012, 12, 31);
  struct Case {
    FileNameFormat format;
    const char* expected;
  };
  const Case cases[] = {
      {Format(10, 0, 2, 1), "Month Ending 2012-12-31"},
      {Format(1, 3, 1, 9), "Check 0001"},
      {Format(0, 1, 0, 0), "Item"},
      {Format(1, 2, 1, 8), "Page 001"},
      {Format(10, 0, 5, 2), "Month of 2012-12"},
      {Format(18, 0, 5, 3), "Year of 2012"},
      {Format(14, 0, 1, 4), "Quarter 2012 Q4"},
      {Format(16, 0, 1, 5), "Half Year 2012 H2"},
      {Format(0, 0, 0, 1), "2012-12-31"},
      {Format(1, 0, 0, 6), "1"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.format.NextName(""), c.expected) << c.expected;
}

TEST(FileNameFormatTest, FirstPeriodFollowsTodaysMonth) {
  struct Case {
    int month;
    const char* quarter;
    const char* half;
  };
  const Case cases[] = {{1, "2013 Q1", "2013 H1"}, {3, "2013 Q1", "2013 H1"},
                        {4, "2013 Q2", "2013 H1"}, {6, "2013 Q2", "2013 H1"},
                        {7, "2013 Q3", "2013 H2"}, {10, "2013 Q4", "2013 H2"}};
  for (const Case& c : cases) {
    const TodayClock::Fixed today(2013, c.month, 1);
    EXPECT_EQ(Format(0, 0, 0, 4).NextName(""), c.quarter) << c.month;
    EXPECT_EQ(Format(0, 0, 0, 5).NextName(""), c.half) << c.month;
  }
}

TEST(FileNameFormatTest, UserTextAlwaysGivesAName) {
  const TodayClock::Fixed today(2012, 12, 31);
  const std::string longName = std::string(100000, 'x') + " 2012-12-31 " + std::string(50, '7');
  struct Case {
    FileNameFormat format;
    std::string current;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {Format(10, 0, 2, 1), "Misc", "Misc"},
      {Format(10, 0, 2, 1), "Month Ending 2012-13-01", "Month Ending 0000-00-00"},
      {Format(10, 0, 2, 1), "Month Ending 0000-00-00", "Month Ending 0000-00-00"},
      {Format(10, 0, 5, 2), "Month of 2012-13", "Month of 0000-00"},
      {Format(1, 1, 3, 1), "Item Dated 2012-12-31", "Item Dated 2012-12-31"},
      {Format(1, 1, 3, 1), "Item Dated 2012-12-32", "Item Dated 0000-00-00"},
      {Format(10, 0, 2, 1), "Acme Month Ending 2012-12-31 (copy)",
       "Acme Month Ending 2013-01-31 (copy)"},
      {Format(10, 0, 2, 1), "Größe 2012-12-31 für Zürich", "Größe 2013-01-31 für Zürich"},
      {Format(1, 3, 1, 9), "１２３４ Check", "１２３４ Check"},
      {Format(10, 0, 2, 1), "2012-12-31 2012-12-31", "2013-01-31 2012-12-31"},
      {Format(14, 0, 1, 4), "2012 Q5 2012 Q1", "2012 Q5 2012 Q2"},
      {Format(1, 0, 0, 9), "12345678901234567890", "12345678901234567891"},
      {Format(1, 0, 0, 9), "99999999999999999999 x", "100000000000000000000 x"},
      {Format(10, 0, 2, 1), longName,
       std::string(100000, 'x') + " 2013-01-31 " + std::string(50, '7')},
      {Format(0, 1, 0, 0), "anything at all", "anything at all"},
      {Format(0, 1, 0, 0), "", "Item"},
      {Format(0, 0, 0, 0), "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.format.NextName(c.current), c.expected) << c.current.substr(0, 60);
  }
}

TEST(FileNameFormatTest, EveryPredefinedFormatWalksItsSeriesAndReadsItsOwnNames) {
  // Ten years of steps from a new series: each name must be read back by the
  // next step, so an index never gets stuck or turns into an impossible date.
  const TodayClock::Fixed today(2012, 1, 31);
  for (const FileNameFormat& format : PredefinedFormats()) {
    const bool moves =
        format.recurrence != RecurrenceType::Current && format.index != IndexType::NoIndex;
    std::string name = format.NextName("");
    for (int step = 0; step < 250; ++step) {
      const std::string next = format.NextName(name);
      ASSERT_EQ(next != name, moves) << format.BaseName() << ": " << name;
      ASSERT_EQ(next.find("-00"), std::string::npos) << format.BaseName() << ": " << name;
      name = next;
    }
  }
}

TEST(FileNameFormatTest, SplitAtMatchCutsAroundTheFirstGroup) {
  const std::optional<SplitText> split = SplitAtMatch("x{[0-9]+}y", "ab x12y cd");
  ASSERT_TRUE(split.has_value());
  EXPECT_EQ(split->prefix, "ab x");
  EXPECT_EQ(split->match, "12");
  EXPECT_EQ(split->suffix, "y cd");
  EXPECT_FALSE(SplitAtMatch("{[0-9]}", "none").has_value());
  EXPECT_THROW(SplitAtMatch("{[0-9]", "1"), contract_error);
  EXPECT_THROW(SplitAtMatch("[0-9]", "1"), contract_error);  // no group to cut at
}

}  // namespace
