#include "platform/DesktopShell.h"

#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QUrl>

DesktopShell::~DesktopShell() = default;

bool DesktopShell::OpenUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

bool DesktopShell::OpenFolder(const QString& folder) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

bool DesktopShell::ShowProperties(const QString& path) {
  // Without a file manager of our own, the folder that holds the item is the
  // nearest thing to its properties.
  return OpenFolder(path);
}

bool DesktopShell::MoveToTrash(const QString& path) { return QFile::moveToTrash(path); }

bool DesktopShell::StartProgram(const QString& program, const QStringList& arguments) {
  return QProcess::startDetached(program, arguments);
}

namespace {
DesktopShell* gReplacement = nullptr;
}

DesktopShell& DesktopShell::Instance() {
  static DesktopShell desktop;
  return gReplacement != nullptr ? *gReplacement : desktop;
}

void DesktopShell::Replace(DesktopShell* shell) { gReplacement = shell; }
