#pragma once

#include <memory>
#include <mutex>
#include <string>

namespace tesseract {
class TessBaseAPI;
}
class Bitmap;
struct Pix;

// What the orientation model reads of a page.
struct OrientationGuess {
  bool read = false;      // the model is installed and found something to judge by
  int clockwiseTurn = 0;  // 0, 90, 180 or 270 to stand the page upright
  float confidence = 0;   // the model's own measure; how far to trust it is the caller's call
};

// The orientation model, loaded on first use. It takes about three times the
// memory of a fast language model and a small share of a page's reading time,
// so one copy serves all the engines of a pool, one page at a time.
class OrientationDetector {
 public:
  explicit OrientationDetector(std::string dataFolder);
  ~OrientationDetector();
  OrientationDetector(const OrientationDetector&) = delete;
  OrientationDetector& operator=(const OrientationDetector&) = delete;

  // The one detector of `dataFolder` that every engine of the program shares,
  // alive while one of them holds it.
  static std::shared_ptr<OrientationDetector> Shared(const std::string& dataFolder);

  // How far a page must be turned clockwise to stand upright: 0 unless the
  // model is installed and sure of its answer.
  int UprightTurn(const Bitmap& page, int dpi);
  // The same for a grey or 1-bit page held for Leptonica, its resolution set.
  int UprightTurn(Pix* page);
  // What the model reads of a grey or 1-bit page held for Leptonica, its
  // resolution set, whatever its confidence. Takes the page, and frees it as
  // soon as the model holds its own copy.
  OrientationGuess Guess(Pix* page);
  // Frees the model; the next page loads it again.
  void Unload();

 private:
  bool StartLocked();
  OrientationGuess DetectLocked();

  std::mutex mutex_;
  std::string dataFolder_;
  std::unique_ptr<tesseract::TessBaseAPI> api_;
  bool tried_ = false;
};
