#pragma once

#include <atomic>
#include <string>

#include "ocr/PageText.h"

// What reads the words of a page file: the recognition engine, or a stand-in
// where a caller is tried without one.
class PageRecognizer {
 public:
  virtual ~PageRecognizer() = default;

  // Loads what reading needs; false when it cannot read at all (a language
  // that is not installed).
  virtual bool Start() = 0;
  // The words of a page file; none once `stop` is set or after `timeLimitMs`.
  virtual PageTextResult Recognize(const std::string& pageFile, int timeLimitMs,
                                   const std::atomic<bool>& stop) = 0;
};
