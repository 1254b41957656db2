#pragma once

#include <string>
#include <vector>

#include "ocr/PageText.h"

// Where a writer gets the text of the pages it draws. The writer runs on a
// worker thread; implementations are safe to call from any thread.
class PageTextSource {
 public:
  virtual ~PageTextSource() = default;

  // Starts the pages not started yet, so that they are recognised side by side
  // while the writer waits for the first.
  virtual void Prepare(const std::vector<std::string>& pageFiles) = 0;
  // The text of one page file, waiting until it is known.
  virtual PageTextResult TextOf(const std::string& pageFile) = 0;
  // How many of these pages are finished, with or without text.
  virtual int CountFinished(const std::vector<std::string>& pageFiles) const = 0;
};
