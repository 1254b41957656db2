#include "workflow/DocumentPaths.h"

#include <cstdio>
#include <utility>

#include "core/Paths.h"

DocumentPaths::DocumentPaths(std::string destinationFolder, std::string destinationName,
                             FileFormatType format, bool isMultiPageDocument)
    : destinationFolder_(EnsureTrailingSeparator(std::move(destinationFolder))),
      destinationName_(std::move(destinationName)),
      format_(format),
      isMultiPageDocument_(isMultiPageDocument) {}

std::string DocumentPaths::GetExtension(FileFormatType format) {
  return FileFormatExtension(format);
}

bool DocumentPaths::IsContainerFormat() const {
  return ::IsContainerFormat(format_);
}

bool DocumentPaths::HasPageFiles() const {
  return isMultiPageDocument_ || IsContainerFormat();
}

FileFormatType DocumentPaths::GetPageFileFormat() const {
  return PageFileFormat(format_);
}

std::string DocumentPaths::GetPageName(int pageNumber) const {
  if (!HasPageFiles())
    return {};
  char name[32];
  std::snprintf(name, sizeof name, "Page %03d", pageNumber);
  return name;
}

std::string DocumentPaths::GetPagePath(int pageNumber) const {
  const std::string base = HasPageFiles() ? GetDocumentFolder() + GetPageName(pageNumber)
                                          : destinationFolder_ + destinationName_;
  return base + "." + GetExtension(GetPageFileFormat());
}

std::string DocumentPaths::GetDestinationPath() const {
  if (isMultiPageDocument_ && !IsMultiPageFormat(format_))
    return GetDocumentFolder();
  return GetCombinedPath();
}

std::string DocumentPaths::GetDocumentFolder() const {
  return destinationFolder_ + destinationName_ + "/";
}

std::string DocumentPaths::GetCombinedPath() const {
  return destinationFolder_ + destinationName_ + "." + GetExtension(format_);
}
