#include "naming/SeriesOrder.h"

namespace {

// One step of a walk along the series; false once the walk stands still.
bool Step(const FileNameFormat& format, std::string& name) {
  std::string next = format.NextName(name);
  const bool moved = next != name;
  name = std::move(next);
  return moved;
}

}  // namespace

std::string LaterInSeries(const FileNameFormat& format, const std::string& mine,
                          const std::string& theirs, int maxSteps) {
  if (theirs.empty() || mine == theirs)
    return mine;
  // Both walks advance together, so the usual case (one step apart) costs two steps.
  std::string fromMine = mine;
  std::string fromTheirs = theirs;
  bool mineMoves = true;
  bool theirsMove = true;
  for (int step = 0; step < maxSteps && (mineMoves || theirsMove); ++step) {
    if (mineMoves && (mineMoves = Step(format, fromMine)) && fromMine == theirs)
      return theirs;
    if (theirsMove && (theirsMove = Step(format, fromTheirs)) && fromTheirs == mine)
      return mine;
  }
  return mine;
}
