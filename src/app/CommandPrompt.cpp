#include "app/CommandPrompt.h"

#include <cstdio>
#include <string>

#include "app/CommandOutcome.h"
#include "core/DebugLog.h"
#include "workflow/AbandonedClaims.h"

ExitStatus CommandPrompt::ExitStatusFor(PromptId id) {
  switch (id) {
    case PromptId::NoScanners:
    case PromptId::ScannerError:
    case PromptId::ScannerInitError:
      return kExitScanner;
    case PromptId::NoPagesFound:
    case PromptId::ExpandFailed:
      return kExitInput;
    // The document was written; only its text layer is missing.
    case PromptId::SavedWithoutText:
      return kExitDone;
    default:
      return kExitWrite;
  }
}

CommandPrompt::CommandPrompt(CommandOutcome& outcome, CommandAnswers answers)
    : outcome_(outcome), answers_(answers) {
  Prompt::SetResponder([this](const PromptRequest& request) { return Ask(request); });
}

CommandPrompt::~CommandPrompt() {
  Prompt::SetResponder({});
}

PromptAnswer CommandPrompt::Ask(const PromptRequest& request) {
  Log(LOG_LOCATION, "CommandPrompt::Ask(): %s", request.text.toStdString().c_str());
  if (request.buttons == PromptButtons::YesNo || request.buttons == PromptButtons::YesNoCancel)
    return AnswerQuestion(request);
  TakeMessage(request);
  return request.buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::Cancel;
}

PromptAnswer CommandPrompt::AnswerQuestion(const PromptRequest& request) {
  switch (request.id) {
    case PromptId::ReplaceDocument:
    case PromptId::OverwritePage:
      if (answers_.overwrite)
        return PromptAnswer::Yes;
      outcome_.Fail(kExitWrite,
                    request.subject.toStdString() + " already exists; --overwrite replaces it");
      return PromptAnswer::No;
    // Pages already on disk are never thrown away by a command.
    case PromptId::DeletePageFiles:
      return PromptAnswer::No;
    case PromptId::DeleteOriginal:
      return answers_.removeOriginal ? PromptAnswer::Yes : PromptAnswer::No;
    default:
      // A question nobody foresaw is answered the careful way and told.
      TakeMessage(request);
      return PromptAnswer::No;
  }
}

void CommandPrompt::TakeMessage(const PromptRequest& request) {
  const std::string text = request.text.toStdString();
  // Found on the way, not a failure of this command: told with what finishes them.
  if (request.id == PromptId::InterruptedScanPages) {
    TellLeftPages(request.subject.toStdString());
    return;
  }
  if (request.id == PromptId::SaveFailed || request.id == PromptId::ExpandFailed) {
    // The writer knows whether it could not read its input or not write its output.
    const ExitStatus status = outcome_.WriteFailureStatus();
    const std::string reason = outcome_.TakeWriteFailure();
    outcome_.Fail(reason.empty() ? ExitStatusFor(request.id) : status,
                  reason.empty() ? text : reason);
    return;
  }
  if (request.id == PromptId::SavedWithoutText) {
    // The window's words point to its settings; a command has its own option.
    outcome_.Warn("the PDF was written without searchable text: " + request.detail.toStdString() +
                  "; install the language's data (apt install tesseract-ocr-LANG) or "
                  "choose another with --ocr-language");
    return;
  }
  outcome_.Fail(ExitStatusFor(request.id), text);
}

void CommandPrompt::TellLeftPages(const std::string& pageFolder) {
  std::fprintf(stderr, "docketeer: %s; \"docketeer combine %s\" makes them one document\n",
               AbandonedClaims::LeftPagesNotice(pageFolder).c_str(), pageFolder.c_str());
}
