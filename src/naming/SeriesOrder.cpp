#include "naming/SeriesOrder.h"

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
    if (mineMoves) {
      std::string next = format.NextName(fromMine);
      mineMoves = next != fromMine;
      fromMine = std::move(next);
      if (fromMine == theirs)
        return theirs;
    }
    if (theirsMove) {
      std::string next = format.NextName(fromTheirs);
      theirsMove = next != fromTheirs;
      fromTheirs = std::move(next);
      if (fromTheirs == mine)
        return mine;
    }
  }
  return mine;
}
