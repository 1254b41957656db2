#include <gtest/gtest.h>

#include "ScannedPageMaker.h"
#include "cleanup/PageCleaner.h"
#include "cleanup/UprightDecision.h"

using scanned_pages::Content;
using scanned_pages::Mode;
using scanned_pages::Recipe;
using scanned_pages::Script;

namespace {

OrientationGuess Engine(int turn, float confidence) {
  return OrientationGuess{.read = true, .clockwiseTurn = turn, .confidence = confidence};
}

UprightVote Letters(int turn, bool sure) {
  return UprightVote{.clockwiseTurn = turn, .letters = true, .sure = sure, .confidence = 9};
}

TEST(UprightDecision, TrustsLettersOnlyInLatinAndNeverTurnsAgainstASureEngine) {
  struct Case {
    const char* name;
    UprightEvidence evidence;
    bool asksEngine;  // before the engine's answer is known
    int turn;
  };
  const Case cases[] = {
      {"latin upright: letters alone", {true, true, Letters(0, true), {}}, false, 0},
      {"latin turned: the engine confirms",
       {true, true, Letters(180, true), Engine(180, 9)},
       true,
       180},
      {"latin turned, engine unsure: letters",
       {true, true, Letters(180, true), Engine(0, 0.5)},
       true,
       180},
      {"latin turned, engine sure otherwise",
       {true, true, Letters(180, true), Engine(0, 12)},
       true,
       0},
      {"latin letters unsure: the engine",
       {true, true, Letters(90, false), Engine(270, 4)},
       true,
       270},
      {"cyrillic: letters never count", {false, true, Letters(180, true), Engine(0, 1)}, true, 0},
      {"cyrillic: the engine turns", {false, true, Letters(0, true), Engine(90, 3)}, true, 90},
      {"no model installed", {false, true, Letters(180, true), OrientationGuess{}}, true, 0},
      {"no lines: a faint guess is no answer",
       {true, false, UprightVote{}, Engine(180, 3)},
       true,
       0},
      {"no lines: a sure model turns", {true, false, UprightVote{}, Engine(180, 9)}, true, 180},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UprightEvidence before = c.evidence;
    before.engine.reset();
    EXPECT_EQ(NeedsEngine(before), c.asksEngine);
    EXPECT_EQ(DecideUprightTurn(c.asksEngine ? c.evidence : before), c.turn);
  }
}

// Pages whose letters cannot vote, in their own mode, stood upright by the
// orientation model.
TEST(UprightDecision, PagesTheLettersCannotJudgeAreTurnedByTheModel) {
  struct Case {
    Recipe recipe;
    const char* languages;
  };
  const Case cases[] = {
      {{.content = Content::Text, .dpi = 200, .clockwiseTurn = 180, .script = Script::Cyrillic},
       "rus"},
      {{.content = Content::Text, .dpi = 200, .clockwiseTurn = 0, .script = Script::Greek}, "ell"},
      {{.content = Content::CapitalsTable, .dpi = 200, .clockwiseTurn = 90, .mode = Mode::OneBit},
       "eng"},
      {{.content = Content::LandscapeTable, .dpi = 200, .clockwiseTurn = 270, .mode = Mode::Colour},
       "deu+eng"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.languages << " turned " << c.recipe.clockwiseTurn);
    Bitmap page = scanned_pages::MakeBitmap(c.recipe);
    const PixelFormat format = page.Format();
    PageCleaner cleaner({.upright = true}, c.languages);
    ASSERT_TRUE(IsOk(cleaner.Clean(page)));
    EXPECT_EQ(cleaner.LastCleanup().clockwiseTurn, (360 - c.recipe.clockwiseTurn) % 360);
    EXPECT_EQ(page.Format(), format);
  }
}

}  // namespace
