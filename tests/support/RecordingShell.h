#pragma once

#include <QStringList>

#include "platform/DesktopShell.h"

// Stands in for the desktop while it lives: records every request as one line
// ("OpenUrl <url>", "OpenFolder <path>", ...) and answers with `succeeds`.
class RecordingShell : public DesktopShell {
 public:
  RecordingShell();
  ~RecordingShell() override;

  bool OpenUrl(const QUrl& url) override;
  bool OpenFolder(const QString& folder) override;
  bool ShowProperties(const QString& path) override;
  bool MoveToTrash(const QString& path) override;
  bool StartProgram(const QString& program, const QStringList& arguments) override;

  QStringList calls;
  bool succeeds = true;
};
