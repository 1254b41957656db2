#include <gtest/gtest.h>

#include "app/CommandOutcome.h"
#include "app/CommandPrompt.h"

namespace {

struct Case {
  PromptId id;
  PromptButtons buttons;
  CommandAnswers answers;
  PromptAnswer answer;
  ExitStatus status;
};

// Each question and message a command can meet, by id: the wording never matters.
TEST(CommandPromptTest, EveryPromptIdGivesItsAnswerAndExitStatus) {
  using B = PromptButtons;
  using A = PromptAnswer;
  const Case cases[] = {
      {PromptId::ReplaceDocument, B::YesNo, {}, A::No, kExitWrite},
      {PromptId::ReplaceDocument, B::YesNo, {true, false}, A::Yes, kExitDone},
      {PromptId::OverwritePage, B::YesNo, {}, A::No, kExitWrite},
      {PromptId::OverwritePage, B::YesNo, {true, false}, A::Yes, kExitDone},
      {PromptId::DeletePageFiles, B::YesNo, {true, true}, A::No, kExitDone},
      {PromptId::DeleteOriginal, B::YesNo, {}, A::No, kExitDone},
      {PromptId::DeleteOriginal, B::YesNo, {false, true}, A::Yes, kExitDone},
      {PromptId::Other, B::YesNo, {true, true}, A::No, kExitWrite},
      {PromptId::NoScanners, B::Ok, {}, A::Ok, kExitScanner},
      {PromptId::ScannerError, B::Ok, {}, A::Ok, kExitScanner},
      {PromptId::ScannerInitError, B::Ok, {}, A::Ok, kExitScanner},
      {PromptId::SaveFailed, B::Ok, {}, A::Ok, kExitWrite},
      {PromptId::ExpandFailed, B::Ok, {}, A::Ok, kExitInput},
      {PromptId::NoPagesFound, B::Ok, {}, A::Ok, kExitInput},
      {PromptId::SavedWithoutText, B::Ok, {}, A::Ok, kExitDone},  // a warning only
      {PromptId::NoDestinationName, B::Ok, {}, A::Ok, kExitWrite},
      {PromptId::TrashFailed, B::OkCancel, {}, A::Cancel, kExitWrite},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.id));
    CommandOutcome outcome;
    CommandPrompt prompt(outcome, c.answers);
    PromptRequest request{"words that change", {}, c.buttons};
    request.id = c.id;
    EXPECT_EQ(prompt.Ask(request), c.answer);
    EXPECT_EQ(outcome.Status(), c.status);
  }
}

// The command line answers every box raised while it lives, and only then.
TEST(CommandPromptTest, AnswersThroughThePromptWhileItLives) {
  CommandOutcome outcome;
  {
    CommandPrompt prompt(outcome, {true, false});
    EXPECT_TRUE(Prompt::AskYesNo(nullptr, PromptId::OverwritePage, "?", "/a/b"));
    Prompt::ShowError(nullptr, PromptId::ScannerError, "!");
  }
  EXPECT_EQ(outcome.Status(), kExitScanner);
}

// A failed write reports the writer's own words when it left them, with the
// status they call for: an input it could not read, or an output it could not write.
TEST(CommandPromptTest, AFailedSaveTakesTheWritersReasonAndStatus) {
  for (const ExitStatus status : {kExitWrite, kExitInput}) {
    CommandOutcome outcome;
    outcome.SetWriteFailure("/a/Page 001.tif: page cannot be read", status);
    CommandPrompt prompt(outcome, {});
    PromptRequest request{"There was an error saving the file."};
    request.id = PromptId::SaveFailed;
    prompt.Ask(request);
    EXPECT_EQ(outcome.Status(), status);
    EXPECT_TRUE(outcome.TakeWriteFailure().empty());
    EXPECT_EQ(outcome.WriteFailureStatus(), kExitWrite);
  }
}

}  // namespace
