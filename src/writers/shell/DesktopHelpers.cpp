#include "writers/shell/DesktopHelpers.h"

#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include "core/DebugLog.h"
#include "platform/DesktopShell.h"
#include "viewer/PictureViewerWnd.h"

namespace {

// The built-in viewer of the last ViewFile; QPointer clears itself when the
// user closes the window.
QPointer<QWidget> gViewer;

// A program needs a moment to put up its window; the owner is raised after
// it instead of blocking the window while waiting.
constexpr int kRaiseOwnerDelayMs = 1000;

void RaiseOwnerLater(QWidget* owner) {
  if (owner == nullptr)
    return;
  QTimer::singleShot(kRaiseOwnerDelayMs, owner, [owner] {
    owner->raise();
    owner->activateWindow();
  });
}

QString ToQString(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

bool IsPictureFile(const std::string& path) {
  static const QStringList kPictureSuffixes{"bmp", "tif", "tiff", "gif", "jpg", "jpeg", "png"};
  return kPictureSuffixes.contains(QFileInfo(ToQString(path)).suffix(), Qt::CaseInsensitive);
}

bool ViewFile(const std::string& path, bool useDefaultViewer, bool keepFocus, QWidget* owner) {
  if (gViewer != nullptr) {
    CloseViewer(gViewer);
    gViewer = nullptr;
  }
  if (!IsPictureFile(path) || useDefaultViewer) {
    if (!DesktopShell::Instance().OpenUrl(QUrl::fromLocalFile(ToQString(path)))) {
      Log(LOG_LOCATION, "Helper::ViewFile(): no program opened %s", path.c_str());
      return false;
    }
    if (keepFocus)
      RaiseOwnerLater(owner);
    return true;
  }
  gViewer = PictureViewerWnd::Open(ToQString(path), owner, keepFocus);
  return gViewer != nullptr;
}

QList<QStringList> PageViewerCommands(const QString& path, int page) {
  const QString number = QString::number(page);
  return {{"evince", "-i", number, path}, {"okular", "-p", number, path}, {"mupdf", path, number}};
}

bool ViewFileAtPage(const std::string& path, int page, bool useDefaultViewer, QWidget* owner) {
  const bool isPdf = QFileInfo(ToQString(path)).suffix().compare("pdf", Qt::CaseInsensitive) == 0;
  if (page <= 1 || (IsPictureFile(path) && !useDefaultViewer) || !isPdf) {
    const bool shown = ViewFile(path, useDefaultViewer, false, owner);
    if (auto* viewer = qobject_cast<PictureViewerWnd*>(gViewer.data()); viewer && page > 1)
      viewer->ShowPage(page - 1);
    return shown;
  }
  if (gViewer != nullptr) {
    CloseViewer(gViewer);
    gViewer = nullptr;
  }
  for (QStringList command : PageViewerCommands(ToQString(path), page)) {
    const QString program = command.takeFirst();
    if (DesktopShell::Instance().StartProgram(program, command))
      return true;
  }
  return ViewFile(path, true, false, owner);
}

void CloseViewer(QWidget* viewer) {
  if (viewer != nullptr)
    viewer->close();
}

QWidget* CurrentViewer() {
  return gViewer;
}

bool ExploreFolder(const std::string& path) {
  return DesktopShell::Instance().OpenFolder(ToQString(path));
}

bool ShowFileProperties(const std::string& path) {
  return DesktopShell::Instance().ShowProperties(ToQString(path));
}

bool RunProgram(const QString& program, const QStringList& arguments, bool keepFocus,
                QWidget* owner) {
  const bool started = DesktopShell::Instance().StartProgram(program, arguments);
  if (!started)
    Log(LOG_LOCATION, "Helper::RunProgram(): %s did not start", qUtf8Printable(program));
  else if (keepFocus)
    RaiseOwnerLater(owner);
  return started;
}
