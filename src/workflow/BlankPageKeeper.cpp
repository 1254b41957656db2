#include "workflow/BlankPageKeeper.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "core/DebugLog.h"
#include "platform/claims/FileClaims.h"

namespace {

constexpr char kTrash[] = "the trash";

std::string Extension(const std::string& path) {
  return std::filesystem::path(path).extension().string();
}

}  // namespace

void BlankPageKeeper::StartDocument(const std::string& destinationFolder,
                                    const std::string& documentName, bool multiPage) {
  destinationFolder_ = destinationFolder;
  documentName_ = documentName;
  multiPage_ = multiPage;
  keptBeside_ = false;
  count_ = 0;
}

std::string BlankPageKeeper::Place() const {
  return multiPage_ || keptBeside_ ? destinationFolder_ + documentName_ + " (blank pages)/"
                                   : kTrash;
}

std::string BlankPageKeeper::KeptPath(const std::string& pageFile, int copy) const {
  char name[64];
  if (copy < 2)
    std::snprintf(name, sizeof name, "Blank page %03d", count_ + 1);
  else
    std::snprintf(name, sizeof name, "Blank page %03d (%d)", count_ + 1, copy);
  return Place() + name + Extension(pageFile);
}

bool BlankPageKeeper::SetAside(const std::string& pageFile) {
  bool moved = !multiPage_ && trash_ && trash_(pageFile);
  if (!moved) {
    // Where no trash takes it (none can be had), the page is kept beside the document.
    const bool wasBeside = std::exchange(keptBeside_, true);
    moved = KeepBeside(pageFile);
    keptBeside_ = moved || wasBeside;
  }
  Log(LOG_LOCATION, "BlankPageKeeper::SetAside(%s): %s", pageFile.c_str(),
      moved ? "set aside" : "kept in the document");
  if (moved)
    ++count_;
  return moved;
}

bool BlankPageKeeper::KeepBeside(const std::string& pageFile) const {
  std::error_code error;
  std::filesystem::create_directory(Place(), error);
  // A folder left by an earlier scan of the same name keeps its pages.
  for (int copy = 1; copy < 100; ++copy) {
    const int failure = FileClaims::RenameNoReplace(pageFile, KeptPath(pageFile, copy));
    if (failure != EEXIST)
      return failure == 0;
  }
  return false;
}

std::string BlankPageKeeper::Notice() const {
  if (count_ == 0)
    return {};
  const std::string pages = count_ == 1 ? "1 blank page" : std::to_string(count_) + " blank pages";
  return pages + " set aside in " + Place();
}
