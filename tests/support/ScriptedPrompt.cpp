#include "ScriptedPrompt.h"

ScriptedPrompt::ScriptedPrompt(QList<PromptAnswer> scripted) : answers(std::move(scripted)) {
  Prompt::SetResponder([this](const PromptRequest& request) { return Ask(request); });
}

PromptAnswer ScriptedPrompt::Ask(const PromptRequest& request) {
  asked << request;
  return answers.isEmpty() ? PromptAnswer::Ok : answers.takeFirst();
}

ScriptedPrompt::~ScriptedPrompt() { Prompt::SetResponder({}); }
