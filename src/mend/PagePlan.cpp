#include "mend/PagePlan.h"

#include <algorithm>
#include <set>

namespace {

std::string PageText(int page) {
  return "page " + std::to_string(page);
}

std::optional<std::string> CheckPage(int page, int pageCount) {
  if (page < 1 || page > pageCount)
    return PageText(page) + " is not in the document of " + std::to_string(pageCount) + " pages";
  return std::nullopt;
}

}  // namespace

std::optional<std::string> PlanPages(int pageCount, const PageChanges& changes, PagePlan& plan) {
  plan = PagePlan{};
  std::vector<PlannedPage> pages = UnchangedPlan(pageCount).kept;
  for (const PageTurn& turn : changes.turns) {
    if (auto problem = CheckPage(turn.page, pageCount))
      return problem;
    if (turn.degrees % 90 != 0)
      return "pages turn by 90, 180 or 270 degrees, not " + std::to_string(turn.degrees);
    PlannedPage& page = pages[static_cast<std::size_t>(turn.page - 1)];
    page.quarterTurns = ((page.quarterTurns + turn.degrees / 90) % 4 + 4) % 4;
  }
  std::set<int> removed;
  for (int page : changes.removals) {
    if (auto problem = CheckPage(page, pageCount))
      return problem;
    removed.insert(page);
  }
  if (static_cast<int>(removed.size()) == pageCount)
    return std::string("every page would be removed");
  std::vector<PlannedPage> remaining;
  for (const PlannedPage& page : pages) {
    if (removed.count(page.source + 1) != 0)
      plan.removed.push_back(page);
    else
      remaining.push_back(page);
  }

  // Moved pages take their places; the others fill the free places in order.
  const int count = static_cast<int>(remaining.size());
  std::vector<std::optional<PlannedPage>> places(remaining.size());
  std::set<int> moved;
  for (const PageMove& move : changes.moves) {
    if (auto problem = CheckPage(move.from, pageCount))
      return problem;
    if (removed.count(move.from) != 0)
      return PageText(move.from) + " is removed and cannot be moved";
    if (move.to < 1 || move.to > count)
      return "the mended document has no " + PageText(move.to);
    if (!moved.insert(move.from).second)
      return PageText(move.from) + " is moved twice";
    auto& place = places[static_cast<std::size_t>(move.to - 1)];
    if (place)
      return "two pages are moved to " + PageText(move.to);
    place = pages[static_cast<std::size_t>(move.from - 1)];
  }
  auto next = remaining.begin();
  for (auto& place : places) {
    if (place)
      continue;
    while (moved.count(next->source + 1) != 0)
      ++next;
    place = *next++;
  }

  if (changes.splitAfter != 0 && (changes.splitAfter < 1 || changes.splitAfter >= count))
    return "the mended document has " + std::to_string(count) +
           " pages: it cannot be split after " + PageText(changes.splitAfter);
  const int split = changes.splitAfter == 0 ? count : changes.splitAfter;
  for (int i = 0; i < count; ++i)
    (i < split ? plan.kept : plan.rest).push_back(*places[static_cast<std::size_t>(i)]);
  return std::nullopt;
}

PagePlan UnchangedPlan(int pageCount) {
  PagePlan plan;
  for (int page = 0; page < pageCount; ++page)
    plan.kept.push_back(PlannedPage{page, 0});
  return plan;
}
