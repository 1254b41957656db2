#include "scan/HelpLauncher.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

#include "core/DebugLog.h"
#include "platform/DesktopShell.h"
#include "platform/InstallLayout.h"

QStringList HelpIndexCandidates() {
  const QString programFolder = QCoreApplication::applicationDirPath();
  return {
      programFolder + QStringLiteral("/help/index.html"),
      QString::fromStdString(InstallLayout::HelpFolder()) + QStringLiteral("/index.html"),
  };
}

QString FindHelpIndex() {
  for (const QString& candidate : HelpIndexCandidates()) {
    const QFileInfo file(candidate);
    if (file.isFile())
      return file.canonicalFilePath();
  }
  return {};
}

bool LaunchHelp() {
  const QString index = FindHelpIndex();
  if (index.isEmpty()) {
    Log(LOG_LOCATION, "LaunchHelp(): no user's guide found");
    return false;
  }
  Log(LOG_LOCATION, "LaunchHelp(): %s", index.toUtf8().constData());
  return DesktopShell::Instance().OpenUrl(QUrl::fromLocalFile(index));
}
