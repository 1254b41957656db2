#include "platform/DesktopShell.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include "platform/PropertiesDlg.h"
#include "platform/trash/UserTrash.h"

DesktopShell::~DesktopShell() = default;

bool DesktopShell::OpenUrl(const QUrl& url) {
  return QDesktopServices::openUrl(url);
}

bool DesktopShell::OpenFolder(const QString& folder) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

namespace {

constexpr char kFileManagerService[] = "org.freedesktop.FileManager1";

// True when a file manager on the session bus can show item properties,
// running now or started on demand by the bus.
bool FileManagerOffered(const QDBusConnection& bus) {
  if (!bus.isConnected() || bus.interface() == nullptr)
    return false;
  if (bus.interface()->isServiceRegistered(kFileManagerService))
    return true;
  const QStringList activatable = bus.interface()->activatableServiceNames();
  return activatable.contains(kFileManagerService);
}

// A child of the modal dialog in front (if any), so its modality does not
// block the properties; not modal itself, like the file manager's.
void ShowOwnProperties(const QString& path) {
  QWidget* parent = QApplication::activeModalWidget();
  if (parent == nullptr)
    parent = QApplication::activeWindow();
  auto* dialog = new PropertiesDlg(path, parent);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->show();
}

}  // namespace

bool DesktopShell::ShowProperties(const QString& path) {
  if (!QFileInfo::exists(path))
    return false;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!FileManagerOffered(bus)) {
    ShowOwnProperties(path);
    return true;
  }
  QDBusMessage call =
      QDBusMessage::createMethodCall(kFileManagerService, "/org/freedesktop/FileManager1",
                                     kFileManagerService, "ShowItemProperties");
  call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
  // Asynchronous, so a slow file manager never freezes the window; when it
  // refuses, our own dialog steps in.
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), qApp);
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [watcher, path] {
    if (watcher->isError())
      ShowOwnProperties(path);
    watcher->deleteLater();
  });
  return true;
}

bool DesktopShell::MoveToTrash(const QString& path) {
  return MoveToUserTrash(QFile::encodeName(path).toStdString());
}

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

void DesktopShell::Replace(DesktopShell* shell) {
  gReplacement = shell;
}
