#include "ocr/OrientationDetector.h"

#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>

#include <filesystem>
#include <map>
#include <system_error>
#include <utility>

#include "core/DebugLog.h"
#include "ocr/EngineImage.h"

namespace {

// The model's confidence from which a turn is trusted; below it a page of
// little text, a table or a picture could be turned wrongly.
constexpr float kSureOrientation = 10.0f;

}  // namespace

OrientationDetector::OrientationDetector(std::string dataFolder)
    : dataFolder_(std::move(dataFolder)) {}

std::shared_ptr<OrientationDetector> OrientationDetector::Shared(const std::string& dataFolder) {
  static std::mutex mutex;
  static std::map<std::string, std::weak_ptr<OrientationDetector>> detectors;
  std::lock_guard lock(mutex);
  std::weak_ptr<OrientationDetector>& kept = detectors[dataFolder];
  std::shared_ptr<OrientationDetector> detector = kept.lock();
  if (!detector) {
    detector = std::make_shared<OrientationDetector>(dataFolder);
    kept = detector;
  }
  return detector;
}

OrientationDetector::~OrientationDetector() {
  if (api_)
    api_->End();
}

void OrientationDetector::Unload() {
  std::lock_guard lock(mutex_);
  if (api_)
    api_->End();
  api_.reset();
  tried_ = false;
}

bool OrientationDetector::StartLocked() {
  if (tried_)
    return api_ != nullptr;
  tried_ = true;
  const std::string dataFile = dataFolder_ + "osd.traineddata";
  std::error_code error;
  if (!std::filesystem::is_regular_file(dataFile, error)) {
    Log(LOG_LOCATION, "OrientationDetector::StartLocked(): no %s; pages are read as scanned",
        dataFile.c_str());
    return false;
  }
  api_ = std::make_unique<tesseract::TessBaseAPI>();
  QuietenEngine(*api_);
  if (api_->Init(dataFolder_.c_str(), "osd", tesseract::OEM_TESSERACT_ONLY) != 0) {
    Log(LOG_LOCATION, "OrientationDetector::StartLocked(): %s cannot be loaded", dataFile.c_str());
    api_.reset();
    return false;
  }
  api_->SetPageSegMode(tesseract::PSM_OSD_ONLY);
  return true;
}

int OrientationDetector::UprightTurn(const Bitmap& page, int dpi) {
  std::lock_guard lock(mutex_);
  if (!StartLocked())
    return 0;
  SetEnginePage(*api_, page, dpi);
  const OrientationGuess guess = DetectLocked();
  return guess.confidence >= kSureOrientation ? guess.clockwiseTurn : 0;
}

int OrientationDetector::UprightTurn(Pix* page) {
  std::lock_guard lock(mutex_);
  if (!StartLocked())
    return 0;
  api_->SetImage(page);
  const OrientationGuess guess = DetectLocked();
  return guess.confidence >= kSureOrientation ? guess.clockwiseTurn : 0;
}

OrientationGuess OrientationDetector::Guess(Pix* page) {
  std::lock_guard lock(mutex_);
  const bool started = StartLocked();
  if (started)
    api_->SetImage(page);
  pixDestroy(&page);
  return started ? DetectLocked() : OrientationGuess{};
}

OrientationGuess OrientationDetector::DetectLocked() {
  int degrees = 0;
  float confidence = 0;
  const char* script = nullptr;
  float scriptConfidence = 0;
  const bool detected =
      api_->DetectOrientationScript(&degrees, &confidence, &script, &scriptConfidence);
  api_->Clear();
  if (!detected || degrees % 90 != 0)
    return {};
  // The model reports how far the page was turned clockwise from upright.
  return OrientationGuess{
      .read = true, .clockwiseTurn = (360 - degrees) % 360, .confidence = confidence};
}
