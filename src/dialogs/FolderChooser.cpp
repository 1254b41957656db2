#include "dialogs/FolderChooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

FolderChooser::Responder& CurrentResponder() {
  static FolderChooser::Responder responder;
  return responder;
}

// A root that does not exist yet (the default one before the first run) opens
// the chooser at its nearest existing parent rather than somewhere unrelated.
QString NearestExistingFolder(const QString& folder) {
  QString candidate = QDir::cleanPath(folder);
  while (!candidate.isEmpty() && !QFileInfo(candidate).isDir()) {
    const QString parent = QFileInfo(candidate).path();
    if (parent == candidate)
      break;
    candidate = parent;
  }
  return candidate;
}

}  // namespace

QString FolderChooser::Choose(QWidget* parent, const QString& caption, const QString& startFolder) {
  if (CurrentResponder())
    return CurrentResponder()(parent, caption, startFolder);
  return QFileDialog::getExistingDirectory(parent, caption, NearestExistingFolder(startFolder),
                                           QFileDialog::ShowDirsOnly);
}

void FolderChooser::SetResponder(Responder responder) {
  CurrentResponder() = std::move(responder);
}
