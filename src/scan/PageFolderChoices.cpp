#include "scan/PageFolderChoices.h"

#include <cstdio>

namespace {

// The name format of a multi-page document's own folder: "Page 001" onwards.
const FileNameFormat kPageNumberingFormat{RecurrenceType::Sequential, ItemType::Page,
                                          RelationType::BlankRelation, IndexType::Counter3};

}  // namespace

FolderChoices PageFolderChoices(int pageNumber, bool rotateNinety, const DocumentSize& size) {
  char pageName[32];
  std::snprintf(pageName, sizeof pageName, "Page %03d", pageNumber);
  return FolderChoices{kPageNumberingFormat, pageName, false, rotateNinety, size, CleanupChoices{}};
}
