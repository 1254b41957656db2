#pragma once

#include <optional>
#include <string>
#include <vector>

// What the user asks of a document's pages. Page numbers count from 1 and name
// the pages of the document as it is; the target of a move and the page a
// split follows count the pages of the result.
struct PageTurn {
  int page = 0;
  int degrees = 0;  // clockwise: 90, 180 or 270 (-90 is 270)
};

struct PageMove {
  int from = 0;
  int to = 0;
};

struct PageChanges {
  std::vector<PageTurn> turns;
  std::vector<int> removals;
  std::vector<PageMove> moves;
  int splitAfter = 0;  // 0: no split
};

// One page of a result: the source page (from 0) and the quarter turns
// clockwise to add to its own rotation.
struct PlannedPage {
  int source = 0;
  int quarterTurns = 0;

  friend bool operator==(const PlannedPage&, const PlannedPage&) = default;
};

// The documents a mend makes: the mended document, the rest after a split,
// and the removed pages, each in its order.
struct PagePlan {
  std::vector<PlannedPage> kept;
  std::vector<PlannedPage> rest;
  std::vector<PlannedPage> removed;
};

// Plans `changes` over a document of `pageCount` pages; the message says what
// does not fit (a page beyond the document, every page removed, two pages
// moved to one place...).
std::optional<std::string> PlanPages(int pageCount, const PageChanges& changes, PagePlan& plan);

// The plan that leaves a document of `pageCount` pages as it is.
PagePlan UnchangedPlan(int pageCount);
