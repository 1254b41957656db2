#include "cleanup/PageCleaner.h"

#include <leptonica/allheaders.h>

#include <algorithm>
#include <utility>

#include "cleanup/BlankPageDetector.h"
#include "cleanup/LeptonicaPix.h"
#include "cleanup/PageOrientation.h"
#include "cleanup/PageTurns.h"
#include "cleanup/SkewCorrection.h"
#include "core/DebugLog.h"
#include "ocr/GreyPage.h"
#include "ocr/RecognitionLanguages.h"
#include "ocr/TextEngine.h"

namespace {

// The orientation model reads letters best at about 150 dpi or more.
constexpr int kOrientationDpi = 150;

// The page as the orientation model sees it: ink and paper only, so that
// scanner noise makes no letters, at a resolution where letters are legible.
PixPtr OrientationImage(Pix* halfGrey, int paper) {
  PixPtr grey(pixClone(halfGrey));
  const int dpi = pixGetXRes(halfGrey);
  if (dpi > 0 && dpi < kOrientationDpi - 10) {
    const auto factor = static_cast<l_float32>(double(kOrientationDpi) / dpi);
    grey.reset(pixScaleGrayLI(halfGrey, factor, factor));
    if (!grey)
      return nullptr;
  }
  PixPtr ink(pixThresholdToBinary(grey.get(), InkThreshold(paper)));
  if (ink)
    pixSetResolution(ink.get(), std::max<int>(dpi, kOrientationDpi),
                     std::max<int>(dpi, kOrientationDpi));
  return ink;
}

}  // namespace

PageCleaner::PageCleaner(CleanupChoices choices, std::string dataFolder)
    : choices_(choices),
      engine_(std::make_unique<TextEngine>(
          dataFolder.empty() ? RecognitionDataFolder() : std::move(dataFolder), std::string())) {
  // Leptonica's notes on pages it finds hard to measure are no concern of
  // the user's; its errors still reach standard error.
  setMsgSeverity(L_SEVERITY_ERROR);
}

PageCleaner::~PageCleaner() = default;

PageCleanup PageCleaner::LastCleanup() const {
  std::lock_guard lock(mutex_);
  return last_;
}

ImagingStatus PageCleaner::Clean(Bitmap& page) {
  std::lock_guard lock(mutex_);
  ImagingStatus status = ImagingStatus::Ok;
  last_ = CleanPage(page, status);
  return status;
}

PageCleanup PageCleaner::CleanPage(Bitmap& page, ImagingStatus& status) {
  PageCleanup done;
  if (!choices_.Any())
    return done;
  PixPtr half = HalfSizeGrey(page);
  if (!half) {
    // Too small to judge is left as scanned; only a failed allocation fails.
    if (page.Width() >= 2 && page.Height() >= 2)
      status = ImagingStatus::OutOfMemory;
    return done;
  }
  const int paper = PaperGrey(half.get());
  if (choices_.skipBlank && ReadPageMarks(half.get()).IsBlank()) {
    done.blank = true;
    return done;
  }
  if (!choices_.upright && !choices_.deskew)
    return done;
  PixPtr ink = InkImage(page, half.get(), InkThreshold(paper));
  if (!ink) {
    status = ImagingStatus::OutOfMemory;
    return done;
  }
  // A page without lines of text is left as scanned: nothing on it says
  // which way is up, and a stamp or a signature has no lines to level.
  const TextLines lines = FindTextLines(ink.get(), choices_.upright);
  ink.reset();
  if (!lines.found)
    return done;
  if (choices_.upright) {
    const UprightVote vote = ReadAscenders(lines);
    if (vote.sure) {
      done.clockwiseTurn = vote.clockwiseTurn;
    } else if (vote.letters) {
      // Letters too few or too alike to count on: the recognition engine
      // reads them, which takes ten times as long, and turns only when sure.
      PixPtr osd = OrientationImage(half.get(), paper);
      if (!osd) {
        status = ImagingStatus::OutOfMemory;
        return done;
      }
      done.askedEngine = true;
      done.clockwiseTurn = engine_->UprightTurn(osd.get());
    }
  }
  half.reset();
  if (done.clockwiseTurn != 0)
    if (status = TurnPage(page, done.clockwiseTurn); !IsOk(status))
      return done;
  // Skew is the same in all four quarter turns, so the lines' measure holds
  // whichever way the page was turned.
  if (choices_.deskew) {
    done.skewDegrees = lines.skewDegrees;
    status = RotatePage(page, done.skewDegrees);
  }
  if (done.clockwiseTurn != 0 || done.skewDegrees != 0)
    Log(LOG_LOCATION, "PageCleaner::Clean(): turned %d, levelled %.2f degrees", done.clockwiseTurn,
        done.skewDegrees);
  return done;
}
