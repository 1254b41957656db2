#include <gtest/gtest.h>

#include "naming/SeriesOrder.h"

namespace {

TEST(SeriesOrderTest, TheNameFurtherAlongTheSeriesIsTheLater) {
  const FileNameFormat months{RecurrenceType::Monthly, ItemType::NoItem, RelationType::NoRelation,
                              IndexType::YearMonth};
  const struct {
    const char* mine;
    const char* theirs;
    const char* later;
  } cases[] = {
      {"2012-12", "2012-11", "2012-12"},
      {"2012-12", "2013-02", "2013-02"},
      {"2012-12", "2012-12", "2012-12"},
      {"2012-12", "", "2012-12"},
      {"2012-12", "Tax papers", "2012-12"},
      // Further apart than the walk goes: the caller's own name.
      {"2012-12", "2099-01", "2012-12"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.mine) + " / " + c.theirs);
    EXPECT_EQ(LaterInSeries(months, c.mine, c.theirs, 24), c.later);
  }
}

}  // namespace
