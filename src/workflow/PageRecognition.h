#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/FileFormatType.h"

class PageTextSource;
class Prompter;
class RecognitionPool;

// Text recognition for the PDF documents the window writes: one pool of
// engines, started with the first page and kept while the language stays the
// same, following the stored settings unless the command line chose for this run.
class PageRecognition {
 public:
  PageRecognition();
  ~PageRecognition();
  PageRecognition(const PageRecognition&) = delete;
  PageRecognition& operator=(const PageRecognition&) = delete;

  // The command line's choice for this run, over the stored settings; an empty
  // optional leaves the stored value in force.
  static void SetRunChoice(std::optional<bool> searchable, std::optional<std::string> language);
  // The recognition languages in force ("deu+eng").
  static std::string Language();

  // Starts recognising a page file just written for a document in `format`.
  void PageSaved(FileFormatType format, const std::string& pageFile);
  // The text of the pages of a document in `format`: none unless it is a PDF
  // and recognition is on.
  std::shared_ptr<PageTextSource> ForDocument(FileFormatType format);
  // The recognised text of each page, words separated by blanks; nothing
  // unless every page was recognised. Call before DocumentWritten.
  std::vector<std::string> PageTexts(const std::vector<std::string>& pageFiles) const;
  // How many of these page files are recognised (or failed); -1 when no
  // recognition runs for them.
  int CountRead(const std::vector<std::string>& pageFiles) const;
  // After a document is written: forgets its pages and tells the user, once,
  // of a problem that kept every page from being read (a missing language).
  void DocumentWritten(const std::vector<std::string>& pageFiles, Prompter& prompter);

 private:
  std::shared_ptr<RecognitionPool> Pool(FileFormatType format);

  std::shared_ptr<RecognitionPool> pool_;
  std::string poolFolder_;
};
