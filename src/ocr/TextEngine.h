#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

#include "ocr/PageRecognizer.h"

namespace tesseract {
class TessBaseAPI;
}
class Bitmap;
class OrientationDetector;
struct Pix;

// One recognition engine for one thread: the language model and, when its data
// is installed, the orientation model, which engines may share. Pages are
// turned upright for reading when orientation detection is sure; the page file
// itself is never changed.
class TextEngine : public PageRecognizer {
 public:
  // Without a shared `orientation` the engine loads its own on first use.
  TextEngine(std::string dataFolder, std::string language,
             std::shared_ptr<OrientationDetector> orientation = nullptr);
  ~TextEngine() override;
  TextEngine(const TextEngine&) = delete;
  TextEngine& operator=(const TextEngine&) = delete;

  // Loads the models; false with StartFailure() when the language's data is
  // missing or unreadable. Recognize starts the engine itself when needed.
  bool Start() override;
  const std::string& StartFailure() const { return startFailure_; }

  // The words of a page file. Gives up after `timeLimitMs` of recognition or
  // as soon as `stop` is set; a page that gives up has no text at all, since
  // a partial text would let a search miss the rest without saying so.
  PageTextResult Recognize(const std::string& pageFile, int timeLimitMs,
                           const std::atomic<bool>& stop) override;

  // How far a page must be turned clockwise to stand upright: 0 unless the
  // orientation model is loaded and sure of its answer.
  int UprightTurn(const Bitmap& page, int dpi);
  // The same for a grey page the caller already holds for Leptonica, with its
  // resolution set.
  int UprightTurn(Pix* page);

 private:
  struct Deadline {
    std::chrono::steady_clock::time_point at;
    int limitMs = 0;
  };

  bool LoadPage(const std::string& pageFile, Bitmap& page, PageTextResult& result);
  PageTextResult Read(Bitmap page, int turn, const Deadline& deadline,
                      const std::atomic<bool>& stop, bool* upright);
  bool ReadUpright(const PageText& text);
  int OrientationTurn(const Bitmap& page, int dpi);
  std::string MissingLanguageFile() const;
  void ReadWords(PageText& text);

  std::string dataFolder_;
  std::string language_;
  std::unique_ptr<tesseract::TessBaseAPI> reader_;
  std::shared_ptr<OrientationDetector> orientation_;
  bool started_ = false;
  std::string startFailure_;
};
