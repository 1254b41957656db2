#include "RecordingShell.h"

#include <QFile>
#include <QUrl>

RecordingShell::RecordingShell() { DesktopShell::Replace(this); }

RecordingShell::~RecordingShell() { DesktopShell::Replace(nullptr); }

bool RecordingShell::OpenUrl(const QUrl& url) {
  calls << "OpenUrl " + url.toString();
  return succeeds;
}

bool RecordingShell::OpenFolder(const QString& folder) {
  calls << "OpenFolder " + folder;
  return succeeds;
}

bool RecordingShell::ShowProperties(const QString& path) {
  calls << "ShowProperties " + path;
  return succeeds;
}

// The trash of the private test HOME is real, so a trashed file really leaves
// its folder as it would for the user.
bool RecordingShell::MoveToTrash(const QString& path) {
  calls << "MoveToTrash " + path;
  return succeeds && QFile::moveToTrash(path);
}

bool RecordingShell::StartProgram(const QString& program, const QStringList& arguments) {
  calls << "StartProgram " + (QStringList{program} + arguments).join(' ');
  return succeeds;
}
