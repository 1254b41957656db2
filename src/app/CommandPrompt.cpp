#include "app/CommandPrompt.h"

#include <string>

#include "app/CommandOutcome.h"
#include "core/DebugLog.h"

namespace {

bool StartsWith(const std::string& text, const char* prefix) {
  return text.rfind(prefix, 0) == 0;
}

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

// "The destination /a/b already exists.  Do you want ..." gives "/a/b".
std::string ExistingPath(const std::string& question) {
  const std::size_t end = question.find(" already exists.");
  for (const std::string prefix : {"The destination ", "The temporary folder "})
    if (StartsWith(question, prefix.c_str()) && end != std::string::npos)
      return question.substr(prefix.size(), end - prefix.size());
  return question;
}

}  // namespace

CommandPrompt::CommandPrompt(CommandOutcome& outcome, CommandAnswers answers)
    : outcome_(outcome), answers_(answers) {
  Prompt::SetResponder([this](const PromptRequest& request) { return Answer(request); });
}

CommandPrompt::~CommandPrompt() {
  Prompt::SetResponder({});
}

PromptAnswer CommandPrompt::Answer(const PromptRequest& request) {
  const std::string text = request.text.toStdString();
  Log(LOG_LOCATION, "CommandPrompt::Answer(): %s", text.c_str());
  if (request.buttons == PromptButtons::YesNo || request.buttons == PromptButtons::YesNoCancel)
    return AnswerQuestion(text);
  TakeMessage(text);
  return request.buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::Cancel;
}

PromptAnswer CommandPrompt::AnswerQuestion(const std::string& text) {
  if (Contains(text, " already exists.  Do you want to")) {
    if (answers_.overwrite)
      return PromptAnswer::Yes;
    outcome_.Fail(kExitWrite, ExistingPath(text) + " already exists; --overwrite replaces it");
    return PromptAnswer::No;
  }
  // Pages already on disk are never thrown away by a command.
  if (StartsWith(text, "Do you want to delete the temporary folder"))
    return PromptAnswer::No;
  if (StartsWith(text, "Do you want to delete the original file?"))
    return answers_.removeOriginal ? PromptAnswer::Yes : PromptAnswer::No;
  // A question nobody foresaw is answered the careful way and told.
  TakeMessage(text);
  return PromptAnswer::No;
}

void CommandPrompt::TakeMessage(const std::string& text) {
  if (StartsWith(text, "Error communicating with scanner") ||
      StartsWith(text, "No scanners were detected") || StartsWith(text, "Error initializing")) {
    outcome_.Fail(kExitScanner, text);
    return;
  }
  if (StartsWith(text, "There was an error saving") ||
      StartsWith(text, "There was an error expanding")) {
    const std::string reason = outcome_.TakeWriteFailure();
    outcome_.Fail(kExitWrite, reason.empty() ? text : reason);
    return;
  }
  outcome_.Fail(kExitWrite, text);
}
