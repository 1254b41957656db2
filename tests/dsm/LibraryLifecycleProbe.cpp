// A small TWAIN application that loads the manager library and ends in one of
// the ways that must not crash. Exit code 0 when the library behaved.
#include <dlfcn.h>

#include <QApplication>
#include <QCoreApplication>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "SaneTestConfig.h"
#include "twain/TwainTypes.h"

namespace {

using EntryProc = TW_UINT16 (*)(TW_IDENTITY*, TW_IDENTITY*, TW_UINT32, TW_UINT16, TW_UINT16,
                                TW_MEMREF);

struct Session {
  void* library = nullptr;
  EntryProc entry = nullptr;
  TW_IDENTITY application{};
  TW_IDENTITY source{};
  QObject parent;

  TW_UINT16 Manager(TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data) {
    return entry(&application, nullptr, DG_CONTROL, dat, message, data);
  }
  TW_UINT16 Source(TW_UINT32 group, TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data) {
    return entry(&application, &source, group, dat, message, data);
  }
  bool Open(const char* path) {
    library = ::dlopen(path, RTLD_NOW | RTLD_LOCAL);
    entry =
        library != nullptr ? reinterpret_cast<EntryProc>(::dlsym(library, "DSM_Entry")) : nullptr;
    if (entry == nullptr)
      return false;
    std::strcpy(application.ProductName, "Probe");
    void* handle = &parent;
    return Manager(DAT_PARENT, MSG_OPENDSM, &handle) == TWRC_SUCCESS &&
           Manager(DAT_IDENTITY, MSG_GETDEFAULT, &source) == TWRC_SUCCESS &&
           Manager(DAT_IDENTITY, MSG_OPENDS, &source) == TWRC_SUCCESS;
  }
  TW_UINT16 Enable(bool showUi) {
    TW_USERINTERFACE ui{static_cast<TW_BOOL>(showUi), 1, nullptr};
    return Source(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
  }
  void CloseEverything() {
    TW_USERINTERFACE ui{0, 1, nullptr};
    Source(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    Manager(DAT_IDENTITY, MSG_CLOSEDS, &source);
    void* handle = &parent;
    Manager(DAT_PARENT, MSG_CLOSEDSM, &handle);
  }
};

QPushButton* FindCancel() {
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->objectName() == "sourceScanDialog")
      return window->findChild<QPushButton*>("cancelButton");
  return nullptr;
}

// The program leaves main while the source's window is still open.
int ExitWithWindowOpen(const char* library) {
  static int argc = 1;
  static char name[] = "probe";
  static char* argv[] = {name, nullptr};
  auto application = std::make_unique<QApplication>(argc, argv);
  static Session session;  // as long-lived as the library's own manager
  if (!session.Open(library) || session.Enable(true) != TWRC_SUCCESS || FindCancel() == nullptr)
    return 2;
  application.reset();
  return 0;  // the library's static manager now ends without an application
}

// The program's own handling of a Cancel closes everything and unloads the
// library while the close request the source's Cancel posted is still queued.
int UnloadWithACloseRequestQueued(const char* library) {
  int argc = 1;
  char name[] = "probe";
  char* argv[] = {name, nullptr};
  QApplication application(argc, argv);
  Session session;
  if (!session.Open(library) || session.Enable(true) != TWRC_SUCCESS)
    return 2;
  QPushButton* cancel = FindCancel();
  if (cancel == nullptr)
    return 3;
  QMetaObject::invokeMethod(
      &application,
      [&session] {
        session.CloseEverything();
        ::dlclose(session.library);
      },
      Qt::QueuedConnection);
  cancel->click();
  QTimer::singleShot(500, &application, &QCoreApplication::quit);
  application.exec();
  return 0;
}

// A command line has no widgets: the source's window comes from a program of
// the manager's own, and closes with the source.
int ShowUiWithoutWidgets(const char* library) {
  int argc = 1;
  char name[] = "probe";
  char* argv[] = {name, nullptr};
  QCoreApplication application(argc, argv);
  Session session;
  if (!session.Open(library))
    return 2;
  const TW_UINT16 scanned = session.Enable(true);
  session.CloseEverything();
  return scanned == TWRC_SUCCESS ? 0 : 6;
}

// The program unloads the library in the middle of a feeder batch without
// closing anything (a signal cut its scan short); the process still ends.
int UnloadDuringAFeederBatch(const char* library) {
  UseSaneTestBackend("read-delay true\nread-delay-duration 20000\n");
  SelectSaneTestFeeder();
  Session session;
  if (!session.Open(library) || session.Enable(false) != TWRC_SUCCESS)
    return 2;
  ::dlclose(session.library);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3)
    return 64;
  QCoreApplication::setOrganizationName("Ferncastle");
  QCoreApplication::setApplicationName("DocketeerProbe");
  UseSaneTestBackend();
  const std::string mode = argv[1];
  if (mode == "exit-with-window-open")
    return ExitWithWindowOpen(argv[2]);
  if (mode == "unload-with-a-close-request-queued")
    return UnloadWithACloseRequestQueued(argv[2]);
  if (mode == "unload-during-a-feeder-batch")
    return UnloadDuringAFeederBatch(argv[2]);
  if (mode == "show-ui-without-widgets")
    return ShowUiWithoutWidgets(argv[2]);
  return 64;
}
