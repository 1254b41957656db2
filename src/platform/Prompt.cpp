#include "platform/Prompt.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace {

Prompt::Responder& CurrentResponder() {
  static Prompt::Responder responder;
  return responder;
}

QMessageBox::StandardButtons ToButtons(PromptButtons buttons) {
  switch (buttons) {
    case PromptButtons::Ok:
      return QMessageBox::Ok;
    case PromptButtons::OkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case PromptButtons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case PromptButtons::YesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case PromptButtons::RetryCancel:
      return QMessageBox::Retry | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

QMessageBox::Icon ToIcon(PromptIcon icon) {
  switch (icon) {
    case PromptIcon::None:
      return QMessageBox::NoIcon;
    case PromptIcon::Information:
      return QMessageBox::Information;
    case PromptIcon::Warning:
      return QMessageBox::Warning;
    case PromptIcon::Error:
      return QMessageBox::Critical;
    case PromptIcon::Question:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

PromptAnswer FromButton(int button) {
  switch (button) {
    case QMessageBox::Ok:
      return PromptAnswer::Ok;
    case QMessageBox::Yes:
      return PromptAnswer::Yes;
    case QMessageBox::No:
      return PromptAnswer::No;
    case QMessageBox::Retry:
      return PromptAnswer::Retry;
    default:
      return PromptAnswer::Cancel;
  }
}

}  // namespace

PromptAnswer Prompt::Ask(QWidget* parent, const PromptRequest& request) {
  if (CurrentResponder())
    return CurrentResponder()(request);
  const QString caption =
      request.caption.isEmpty() ? QCoreApplication::applicationName() : request.caption;
  QMessageBox box(ToIcon(request.icon), caption, request.text, ToButtons(request.buttons), parent);
  box.setInformativeText(request.detail);
  return FromButton(box.exec());
}

void Prompt::ShowError(QWidget* parent, PromptId id, const QString& text, const QString& detail) {
  Ask(parent, Prompter::Error(id, text, detail));
}

void Prompt::ShowNotice(QWidget* parent, PromptId id, const QString& text) {
  Ask(parent, Prompter::Notice(id, text));
}

bool Prompt::AskYesNo(QWidget* parent, PromptId id, const QString& text, const QString& subject) {
  return Ask(parent, Prompter::YesNo(id, text, subject)) == PromptAnswer::Yes;
}

void Prompt::SetResponder(Responder responder) {
  CurrentResponder() = std::move(responder);
}
