#pragma once

#include <QString>
#include <functional>

#include "core/Prompter.h"

class QWidget;

// Modal message boxes. Every question and notice of the program goes through
// Ask(), so end-to-end tests can answer in advance and read what was asked.

class Prompt {
 public:
  using Responder = std::function<PromptAnswer(const PromptRequest&)>;

  static PromptAnswer Ask(QWidget* parent, const PromptRequest& request);

  // Shorthands: an error or notice with OK, and a Yes/No question.
  static void ShowError(QWidget* parent, PromptId id, const QString& text,
                        const QString& detail = {});
  static void ShowNotice(QWidget* parent, PromptId id, const QString& text);
  static bool AskYesNo(QWidget* parent, PromptId id, const QString& text,
                       const QString& subject = {});

  // Replaces the message box; an empty responder restores it.
  static void SetResponder(Responder responder);
};

// Asks with a message box over `owner`.
class WindowPrompter : public Prompter {
 public:
  explicit WindowPrompter(QWidget* owner) : owner_(owner) {}
  PromptAnswer Ask(const PromptRequest& request) override { return Prompt::Ask(owner_, request); }

 private:
  QWidget* owner_;
};
