// Planning a mend: which page goes where, and what is refused before any file is touched.
#include <gtest/gtest.h>

#include "mend/PagePlan.h"

namespace {

TEST(PagePlan, MovedPagesTakeTheirPlacesAndTheOthersKeepTheirOrder) {
  PageChanges changes;
  changes.turns = {{2, 90}, {2, 90}, {5, -90}};
  changes.removals = {3, 3};
  changes.moves = {{5, 1}, {1, 5}};
  changes.splitAfter = 3;
  PagePlan plan;
  ASSERT_FALSE(PlanPages(6, changes, plan).has_value());
  // Without page 3: 1 2 4 5 6 → 5 first, 1 at the fifth place, the rest in order.
  EXPECT_EQ(plan.kept, (std::vector<PlannedPage>{{4, 3}, {1, 2}, {3, 0}}));
  EXPECT_EQ(plan.rest, (std::vector<PlannedPage>{{5, 0}, {0, 0}}));
  EXPECT_EQ(plan.removed, (std::vector<PlannedPage>{{2, 0}}));
}

TEST(PagePlan, ChangesThatDoNotFitTheDocumentAreRefused) {
  const PageChanges cases[] = {
      {{{0, 90}}, {}, {}, 0},
      {{{5, 90}}, {}, {}, 0},
      {{{1, 45}}, {}, {}, 0},
      {{}, {5}, {}, 0},
      {{}, {1, 2, 3, 4}, {}, 0},
      {{}, {2}, {{2, 1}}, 0},
      {{}, {2}, {{1, 4}}, 0},
      {{}, {}, {{1, 2}, {3, 2}}, 0},
      {{}, {}, {{1, 2}, {1, 3}}, 0},
      {{}, {}, {}, 4},
      {{}, {}, {}, -1},
  };
  for (const PageChanges& changes : cases) {
    SCOPED_TRACE(&changes - cases);
    PagePlan plan;
    EXPECT_TRUE(PlanPages(4, changes, plan).has_value());
  }
}

}  // namespace
