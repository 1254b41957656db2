#include <gtest/gtest.h>

#include "naming/NameDate.h"

namespace {

struct NameCase {
  const char* name;
  int firstDay;  // 0: no date
  int lastDay;
  long long number;  // -1: no number
};

TEST(NameDateTest, NamesCarryTheirDateOrNumber) {
  const NameCase cases[] = {
      {"Month Ending 2026-11-30", 20261130, 20261130, -1},
      {"Quarter Ending 2026 Q4", 20261001, 20261231, -1},
      {"Half Year 2024 H1", 20240101, 20240630, -1},
      {"Statement Due 2024-02", 20240201, 20240229, -1},
      {"Yearly Of 2025", 20250101, 20251231, -1},
      {"Check 1042", 0, 0, 1042},
      {"Invoice 10425", 0, 0, 10425},
      {"Item 0007", 0, 0, 7},
      {"Receipt 2026-13-40", 20260101, 20261231, -1},
      {"Letter from the insurer", 0, 0, -1},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.name);
    const NameMeaning meaning = ReadNameMeaning(c.name);
    EXPECT_EQ(meaning.date ? meaning.date->firstDay : 0, c.firstDay);
    EXPECT_EQ(meaning.date ? meaning.date->lastDay : 0, c.lastDay);
    EXPECT_EQ(meaning.number.value_or(-1), c.number);
  }
}

TEST(NameDateTest, TypedDatesAreWholeDaysMonthsOrYears) {
  const NameCase cases[] = {
      {"2026-11-30", 20261130, 20261130, 0},
      {"2026-02", 20260201, 20260228, 0},
      {"2026", 20260101, 20261231, 0},
      {"2026-02-30", 0, 0, 0},
      {"2026-13-01", 0, 0, 0},
      {"2026-1", 0, 0, 0},
      {"26-11-30", 0, 0, 0},
      {"today", 0, 0, 0},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto date = ReadTypedDate(c.name);
    EXPECT_EQ(date ? date->firstDay : 0, c.firstDay);
    EXPECT_EQ(date ? date->lastDay : 0, c.lastDay);
  }
}

}  // namespace
