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
#include "cleanup/UprightDecision.h"
#include "core/DebugLog.h"
#include "ocr/OrientationDetector.h"
#include "ocr/RecognitionLanguages.h"

PageCleaner::PageCleaner(CleanupChoices choices, const std::string& languages,
                         std::string dataFolder)
    : choices_(choices),
      languages_(languages),
      latinLetters_(WrittenInLatin(languages)),
      orientation_(
          OrientationDetector::Shared(dataFolder.empty() ? RecognitionDataFolder() : dataFolder)) {
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
  if (choices_.skipBlank && ReadPageMarks(sketch).IsBlank()) {
    done.blank = true;
    return done;
  }
  sketch.quarter.reset();
  sketch.faint.reset();
  if (!choices_.upright && !choices_.deskew)
    return done;
  PixPtr inner = InnerInk(sketch.ink.get());
  if (!inner) {
    status = ImagingStatus::OutOfMemory;
    return done;
  }
  // A page without lines of text is not levelled: a stamp or a signature
  // has no lines to level by.
  TextLines lines = FindTextLines(inner.get(), choices_.upright);
  inner.reset();
  sketch.ink.reset();
  done.textLines = lines.found;
  if (choices_.upright)
    done.clockwiseTurn = UprightTurn(page, lines, done);
  lines.across.reset();
  if (!lines.found && done.clockwiseTurn == 0)
    return done;
  if (done.clockwiseTurn != 0)
    if (status = TurnPage(page, done.clockwiseTurn); !IsOk(status))
      return done;
  // Skew is the same in all four quarter turns, so the lines' measure holds
  // whichever way the page was turned.
  if (choices_.deskew && lines.found) {
    done.skewDegrees = lines.skewDegrees;
    status = RotatePage(page, done.skewDegrees);
  }
  if (done.clockwiseTurn != 0 || done.skewDegrees != 0)
    Log(LOG_LOCATION, "PageCleaner::Clean(): turned %d, levelled %.2f degrees", done.clockwiseTurn,
        done.skewDegrees);
  return done;
}

// The letters decide alone that a page of Latin text stands upright, which
// is most pages, in a few milliseconds. Any other page asks the orientation
// model, first at about 150 dpi (a few tenths of a second), and once more at
// up to 300 dpi when that reading is not one to act on: a table of capitals
// or a page of few words is often read right only there.
int PageCleaner::UprightTurn(const Bitmap& page, const TextLines& lines, PageCleanup& done) {
  constexpr int kFirstDpi = 150;
  constexpr int kSecondDpi = 300;
  UprightEvidence evidence;
  evidence.latinLetters = latinLetters_;
  // A stamp's few words are no lines of text: its ink spans a small share
  // of the page, where text, a table or a caption spans a good part of it.
  constexpr double kTextSpanShare = 0.25;
  evidence.textLines = lines.found && lines.spanShare >= kTextSpanShare;
  if (lines.found)
    evidence.letters = ReadAscenders(lines);
  if (!NeedsEngine(evidence))
    return DecideUprightTurn(evidence);
  for (int dpi : {kFirstDpi, kSecondDpi}) {
    if (dpi == kSecondDpi && (TrustsEngine(evidence) || EngineReduction(page, kSecondDpi) ==
                                                            EngineReduction(page, kFirstDpi)))
      break;
    PixPtr grey = GreyPixForEngine(page, dpi);
    if (!grey)
      break;
    evidence.engine = orientation_->Guess(grey.release());
    if (!evidence.engine->read && !done.askedEngine)
      break;  // no model, or nothing on the page it can read
    done.askedEngine = true;
    done.engineTurn = evidence.engine->clockwiseTurn;
    done.engineConfidence = evidence.engine->confidence;
  }
  return DecideUprightTurn(evidence);
}
