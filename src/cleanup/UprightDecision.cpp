#include "cleanup/UprightDecision.h"

namespace {

// The model's confidence from which its turn was right on every page of the
// clean-up benchmark's generated set (text in three alphabets, tables of
// capitals and digits, photographs with a caption, landscape tables; 200 and
// 300 dpi; grey, 1-bit and colour). A page without lines of text across a
// good part of it (a page number, a line of pencil, a stamp) needs more: the
// model read a few such pages upside down at a confidence of 1 to 3.
constexpr float kTrustedWithLines = 1.0f;
constexpr float kTrustedWithoutLines = 6.0f;

bool LettersDecide(const UprightEvidence& evidence) {
  return evidence.latinLetters && evidence.letters.sure;
}

}  // namespace

bool TrustsEngine(const UprightEvidence& evidence) {
  return evidence.engine && evidence.engine->read &&
         evidence.engine->confidence >=
             (evidence.textLines ? kTrustedWithLines : kTrustedWithoutLines);
}

bool NeedsEngine(const UprightEvidence& evidence) {
  if (evidence.engine)
    return false;
  return !LettersDecide(evidence) || evidence.letters.clockwiseTurn != 0;
}

int DecideUprightTurn(const UprightEvidence& evidence) {
  if (TrustsEngine(evidence))
    return evidence.engine->clockwiseTurn;
  return LettersDecide(evidence) ? evidence.letters.clockwiseTurn : 0;
}
