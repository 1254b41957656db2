#include "workflow/BlankPageKeeper.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

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
  count_ = 0;
}

std::string BlankPageKeeper::Place() const {
  return multiPage_ ? destinationFolder_ + documentName_ + " (blank pages)/" : kTrash;
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
  bool moved = false;
  if (!multiPage_) {
    moved = trash_ && trash_(pageFile);
  } else {
    std::error_code error;
    std::filesystem::create_directory(Place(), error);
    // A folder left by an earlier scan of the same name keeps its pages.
    bool nameTaken = true;
    for (int copy = 1; !moved && nameTaken && copy < 100; ++copy) {
      const int failure = FileClaims::RenameNoReplace(pageFile, KeptPath(pageFile, copy));
      moved = failure == 0;
      nameTaken = failure == EEXIST;
    }
  }
  Log(LOG_LOCATION, "BlankPageKeeper::SetAside(%s): %s", pageFile.c_str(),
      moved ? "set aside" : "kept in the document");
  if (moved)
    ++count_;
  return moved;
}

std::string BlankPageKeeper::Notice() const {
  if (count_ == 0)
    return {};
  const std::string pages = count_ == 1 ? "1 blank page" : std::to_string(count_) + " blank pages";
  return pages + " set aside in " + Place();
}
