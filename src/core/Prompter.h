#pragma once

#include "core/PromptRequest.h"

// Whoever answers the questions of a piece of work that has no window of its
// own: a message box over the main window, the command line, a test.
class Prompter {
 public:
  virtual ~Prompter() = default;
  virtual PromptAnswer Ask(const PromptRequest& request) = 0;

  // Shorthands: an error or notice with OK, and a Yes/No question.
  void ShowError(PromptId id, const QString& text, const QString& detail = {});
  void ShowNotice(PromptId id, const QString& text);
  bool AskYesNo(PromptId id, const QString& text, const QString& subject = {});

  static PromptRequest Error(PromptId id, const QString& text, const QString& detail = {});
  static PromptRequest Notice(PromptId id, const QString& text);
  static PromptRequest YesNo(PromptId id, const QString& text, const QString& subject = {});
};
