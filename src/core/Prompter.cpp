#include "core/Prompter.h"

PromptRequest Prompter::Error(PromptId id, const QString& text, const QString& detail) {
  return {text, {}, PromptButtons::Ok, PromptIcon::Error, detail, id};
}

PromptRequest Prompter::Notice(PromptId id, const QString& text) {
  return {text, {}, PromptButtons::Ok, PromptIcon::Information, {}, id};
}

PromptRequest Prompter::YesNo(PromptId id, const QString& text, const QString& subject) {
  return {text, {}, PromptButtons::YesNo, PromptIcon::Question, {}, id, subject};
}

void Prompter::ShowError(PromptId id, const QString& text, const QString& detail) {
  Ask(Error(id, text, detail));
}

void Prompter::ShowNotice(PromptId id, const QString& text) {
  Ask(Notice(id, text));
}

bool Prompter::AskYesNo(PromptId id, const QString& text, const QString& subject) {
  return Ask(YesNo(id, text, subject)) == PromptAnswer::Yes;
}
