#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "core/CleanupChoices.h"
#include "platform/imaging/Bitmap.h"

class OrientationDetector;
struct TextLines;

// What the clean-up did to the last page.
struct PageCleanup {
  bool blank = false;        // nothing on it; written as scanned, for setting aside
  int clockwiseTurn = 0;     // 0, 90, 180 or 270 to stand it upright
  double skewDegrees = 0;    // turned clockwise by this to level it (negative: the other way)
  bool textLines = false;    // lines of text were found on it
  bool askedEngine = false;  // the orientation model was asked: the letters alone could not tell
  int engineTurn = 0;        // the model's turn and its confidence, when asked
  float engineConfidence = 0;
};

// Cleans scanned pages one at a time on the writer's thread, before they are
// written, and keeps what it did for the workflow to read afterwards. Lives
// for a document so that the orientation model is loaded once.
class PageCleaner {
 public:
  // `languages` are the recognition languages ("deu+eng"): they say whether
  // the letters' own vote on up and down can be trusted. `dataFolder` holds
  // the recognition engine's orientation data; empty looks for it where the
  // engine keeps it.
  explicit PageCleaner(CleanupChoices choices, const std::string& languages = "eng",
                       std::string dataFolder = {});
  ~PageCleaner();
  PageCleaner(const PageCleaner&) = delete;
  PageCleaner& operator=(const PageCleaner&) = delete;

  const CleanupChoices& Choices() const { return choices_; }
  const std::string& Languages() const { return languages_; }

  // Cleans `page` (which may be a view: a changed page becomes a bitmap of its
  // own, in the same format and resolution). A blank page is left as it is.
  ImagingStatus Clean(Bitmap& page);
  PageCleanup LastCleanup() const;

 private:
  PageCleanup CleanPage(Bitmap& page, ImagingStatus& status);
  int UprightTurn(const Bitmap& page, const TextLines& lines, PageCleanup& done);

  CleanupChoices choices_;
  std::string languages_;
  bool latinLetters_;
  std::shared_ptr<OrientationDetector> orientation_;
  mutable std::mutex mutex_;
  PageCleanup last_;
};
