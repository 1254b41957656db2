#include "cleanup/PageCleaner.h"

#include <leptonica/allheaders.h>

#include <algorithm>
#include <utility>

#include "cleanup/BlankPageDetector.h"
#include "cleanup/LeptonicaPix.h"
#include "cleanup/PageOrientation.h"
#include "cleanup/PageSketch.h"
#include "cleanup/PageTurns.h"
#include "cleanup/SkewCorrection.h"
#include "core/DebugLog.h"
#include "ocr/RecognitionLanguages.h"
#include "ocr/TextEngine.h"

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
  PageSketch sketch = SketchPage(page);
  if (!sketch.quarter) {
    // Too small to judge is left as scanned; only a failed allocation fails.
    if (page.Width() >= 4 && page.Height() >= 4)
      status = ImagingStatus::OutOfMemory;
    return done;
  }
  if (choices_.skipBlank && ReadPageMarks(sketch.quarter.get()).IsBlank()) {
    done.blank = true;
    return done;
  }
  sketch.quarter.reset();
  if (!choices_.upright && !choices_.deskew)
    return done;
  PixPtr inner = InnerInk(sketch.ink.get());
  if (!inner) {
    status = ImagingStatus::OutOfMemory;
    return done;
  }
  // A page without lines of text is left as scanned: nothing on it says
  // which way is up, and a stamp or a signature has no lines to level.
  TextLines lines = FindTextLines(inner.get(), choices_.upright);
  inner.reset();
  if (!lines.found)
    return done;
  if (choices_.upright) {
    const UprightVote vote = ReadAscenders(lines);
    if (vote.sure) {
      done.clockwiseTurn = vote.clockwiseTurn;
    } else if (vote.letters) {
      // Letters too few or too alike to count on: the recognition engine
      // reads them, which takes ten times as long, and turns only when sure.
      done.askedEngine = true;
      done.clockwiseTurn = engine_->UprightTurn(sketch.ink.get());
    }
  }
  sketch.ink.reset();
  lines.across.reset();
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
