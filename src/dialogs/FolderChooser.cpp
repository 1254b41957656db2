#include "dialogs/FolderChooser.h"

#include <QFileDialog>

namespace {

FolderChooser::Responder& CurrentResponder() {
  static FolderChooser::Responder responder;
  return responder;
}

}  // namespace

QString FolderChooser::Choose(QWidget* parent, const QString& caption, const QString& startFolder) {
  if (CurrentResponder())
    return CurrentResponder()(parent, caption, startFolder);
  return QFileDialog::getExistingDirectory(parent, caption, startFolder, QFileDialog::ShowDirsOnly);
}

void FolderChooser::SetResponder(Responder responder) {
  CurrentResponder() = std::move(responder);
}
