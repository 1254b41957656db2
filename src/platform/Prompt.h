#pragma once

#include <QString>
#include <functional>

class QWidget;

// Modal message boxes. Every question and notice of the program goes through
// Ask(), so end-to-end tests can answer in advance and read what was asked.

enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class PromptIcon { None, Information, Warning, Error, Question };
enum class PromptAnswer { Ok, Cancel, Yes, No, Retry };

struct PromptRequest {
  QString text;
  QString caption;
  PromptButtons buttons = PromptButtons::Ok;
  PromptIcon icon = PromptIcon::None;
  // The system's or library's own words under the fixed text, e.g. why a write failed.
  QString detail;
};

class Prompt {
 public:
  using Responder = std::function<PromptAnswer(const PromptRequest&)>;

  static PromptAnswer Ask(QWidget* parent, const PromptRequest& request);

  // Shorthands: an error or notice with OK, and a Yes/No question.
  static void ShowError(QWidget* parent, const QString& text, const QString& detail = {});
  static void ShowNotice(QWidget* parent, const QString& text);
  static bool AskYesNo(QWidget* parent, const QString& text);

  // Replaces the message box; an empty responder restores it.
  static void SetResponder(Responder responder);
};
