#pragma once

#include <optional>

#include "cleanup/PageOrientation.h"
#include "ocr/OrientationDetector.h"

// What is known of which way up a page stands.
struct UprightEvidence {
  bool latinLetters = false;  // its languages are written in Latin, whose letters' vote holds
  bool textLines = false;     // lines of text across a good part of the page were found
  UprightVote letters;        // the letters' vote (none when no lines of text were found)
  std::optional<OrientationGuess> engine;  // the orientation model's reading, once asked
};

// True while the orientation model must still be asked: the letters' vote
// alone decides only that a page of Latin text is upright already.
bool NeedsEngine(const UprightEvidence& evidence);

// True when the model's reading is one to act on.
bool TrustsEngine(const UprightEvidence& evidence);

// The clockwise turn that stands the page upright: 0 unless the letters or
// the model are sure, and never against the model where it is sure.
int DecideUprightTurn(const UprightEvidence& evidence);
