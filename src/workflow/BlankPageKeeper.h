#pragma once

#include <functional>
#include <string>
#include <utility>

// Where the blank pages the clean-up finds go: never deleted. The blank page
// of a single-page document goes to the trash; the blank pages of a
// multi-page document, and a page no trash takes, are kept in a folder beside
// it, named after it, so the document holds only its real pages and nothing
// is lost.
class BlankPageKeeper {
 public:
  // Moves a file to the desktop's trash; false when it could not.
  using Trasher = std::function<bool(const std::string& path)>;

  explicit BlankPageKeeper(Trasher trash = {}) : trash_(std::move(trash)) {}

  // `destinationFolder` ends in "/"; the pages of `documentName` are counted
  // from here on.
  void StartDocument(const std::string& destinationFolder, const std::string& documentName,
                     bool multiPage);

  // Moves the page file just written away from the document; false when it
  // cannot be moved, and then the page stays in the document.
  bool SetAside(const std::string& pageFile);

  int Count() const { return count_; }
  // The trash, or the folder beside a multi-page document.
  std::string Place() const;
  // "2 blank pages set aside in ..."; empty when none was.
  std::string Notice() const;

 private:
  std::string KeptPath(const std::string& pageFile, int copy) const;
  bool KeepBeside(const std::string& pageFile) const;

  Trasher trash_;
  std::string destinationFolder_;
  std::string documentName_;
  bool multiPage_ = false;
  bool keptBeside_ = false;  // a page no trash took went beside the document
  int count_ = 0;
};
