#pragma once

#include <QList>

#include "platform/Prompt.h"

// Answers the program's message boxes while it lives: each question takes the
// next scripted answer (Ok once they run out) and is kept in `asked`.
class ScriptedPrompt : public Prompter {
 public:
  explicit ScriptedPrompt(QList<PromptAnswer> answers = {});
  ~ScriptedPrompt() override;
  ScriptedPrompt(const ScriptedPrompt&) = delete;
  ScriptedPrompt& operator=(const ScriptedPrompt&) = delete;

  PromptAnswer Ask(const PromptRequest& request) override;

  QList<PromptRequest> asked;
  QList<PromptAnswer> answers;
};
