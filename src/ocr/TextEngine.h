#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "ocr/PageText.h"

namespace tesseract {
class TessBaseAPI;
}
class Bitmap;
struct Pix;

// One recognition engine for one thread: the language model and, when its data
// is installed, the orientation model. Pages are turned upright for reading
// when orientation detection is sure; the page file itself is never changed.
class TextEngine {
 public:
  TextEngine(std::string dataFolder, std::string language);
  ~TextEngine();
  TextEngine(const TextEngine&) = delete;
  TextEngine& operator=(const TextEngine&) = delete;

  // Loads the models; false with StartFailure() when the language's data is
  // missing or unreadable. Recognize starts the engine itself when needed.
  bool Start();
  const std::string& StartFailure() const { return startFailure_; }

  // The words of a page file. Gives up after `timeLimitMs` of recognition or
  // as soon as `stop` is set; a page that gives up has no text at all, since
  // a partial text would let a search miss the rest without saying so.
  PageTextResult Recognize(const std::string& pageFile, int timeLimitMs,
                           const std::atomic<bool>& stop);

  // How far a page must be turned clockwise to stand upright: 0 unless the
  // orientation model is loaded and sure of its answer.
  int UprightTurn(const Bitmap& page, int dpi);
  // The same for a grey page the caller already holds for Leptonica, with its
  // resolution set.
  int UprightTurn(Pix* page);

 private:
  bool StartOrientation();
  int DetectTurn();
  std::string MissingLanguageFile() const;
  void ReadWords(PageText& text);

  std::string dataFolder_;
  std::string language_;
  std::unique_ptr<tesseract::TessBaseAPI> reader_;
  std::unique_ptr<tesseract::TessBaseAPI> orientation_;
  bool started_ = false;
  bool orientationTried_ = false;
  std::string startFailure_;
};
