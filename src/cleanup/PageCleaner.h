#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "core/CleanupChoices.h"
#include "platform/imaging/Bitmap.h"

class TextEngine;

// What the clean-up did to the last page.
struct PageCleanup {
  bool blank = false;      // nothing on it; written as scanned, for setting aside
  int clockwiseTurn = 0;   // 0, 90, 180 or 270 to stand it upright
  double skewDegrees = 0;  // turned clockwise by this to level it (negative: the other way)
  bool askedEngine =
      false;  // its letters were too few to tell up, so the recognition engine read it
};

// Cleans scanned pages one at a time on the writer's thread, before they are
// written, and keeps what it did for the workflow to read afterwards. Lives
// for a document so that the orientation model is loaded once.
class PageCleaner {
 public:
  // `dataFolder` holds the recognition engine's orientation data; empty
  // looks for it where the engine keeps it.
  explicit PageCleaner(CleanupChoices choices, std::string dataFolder = {});
  ~PageCleaner();
  PageCleaner(const PageCleaner&) = delete;
  PageCleaner& operator=(const PageCleaner&) = delete;

  const CleanupChoices& Choices() const { return choices_; }

  // Cleans `page` (which may be a view: a changed page becomes a bitmap of its
  // own, in the same format and resolution). A blank page is left as it is.
  ImagingStatus Clean(Bitmap& page);
  PageCleanup LastCleanup() const;

 private:
  PageCleanup CleanPage(Bitmap& page, ImagingStatus& status);

  CleanupChoices choices_;
  std::unique_ptr<TextEngine> engine_;
  mutable std::mutex mutex_;
  PageCleanup last_;
};
