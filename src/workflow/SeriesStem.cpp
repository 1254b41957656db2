#include "workflow/SeriesStem.h"

#include <sys/stat.h>

#include "naming/FileNameFormat.h"
#include "workflow/AbandonedClaims.h"

namespace {

// Every extension a document of ours, or a picture of another program, may carry.
constexpr const char* kExtensions[] = {"",      ".pdf", ".tif", ".tiff", ".jpg",
                                       ".jpeg", ".png", ".gif", ".bmp"};

// A name beyond this many taken ones is not being scanned into by people.
constexpr int kMaxMoves = 1000;

bool Exists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

bool IsStemTaken(const std::string& folder, const std::string& name) {
  for (const char* extension : kExtensions)
    if (Exists(folder + name + extension))
      return true;
  return false;
}

std::string FirstFreeInSeries(const std::string& folder, const FileNameFormat& series,
                              std::string name) {
  for (int moves = 0; moves < kMaxMoves; ++moves) {
    if (!IsStemTaken(folder, name) && !Exists(AbandonedClaims::RecordPath(folder, name)))
      return name;
    std::string next = series.NextName(name);
    if (next.empty() || next == name)
      return {};
    name = std::move(next);
  }
  return {};
}
