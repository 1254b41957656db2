#pragma once

#include <string>

#include "app/ExitStatus.h"
#include "core/Prompter.h"
#include "platform/Prompt.h"

class CommandOutcome;

// The answers a command gives in place of the user.
struct CommandAnswers {
  // Replace an existing document or page file.
  bool overwrite = false;
  // Move the original of a converted file to the trash.
  bool removeOriginal = false;
};

// Answers every question of the workflow and the archive commands while it
// lives, so a command never waits for a user: existing files are replaced
// only with `overwrite`, scanned pages are always kept, and every error
// message becomes a failure of the outcome with its exit status.
class CommandPrompt : public Prompter {
 public:
  CommandPrompt(CommandOutcome& outcome, CommandAnswers answers);
  ~CommandPrompt() override;
  CommandPrompt(const CommandPrompt&) = delete;
  CommandPrompt& operator=(const CommandPrompt&) = delete;

  PromptAnswer Ask(const PromptRequest& request) override;

  // The exit status of a command that meets the message `id`.
  static ExitStatus ExitStatusFor(PromptId id);
  // Tells on standard error where a killed scan left its pages, and what finishes them.
  static void TellLeftPages(const std::string& pageFolder);

 private:
  PromptAnswer AnswerQuestion(const PromptRequest& request);
  void TakeMessage(const PromptRequest& request);

  CommandOutcome& outcome_;
  CommandAnswers answers_;
};
