#include "app/CFoliantApp.h"

#include <cstdio>

#include "app/TerminationSignal.h"
#include "core/DebugLog.h"
#include "core/Version.h"
#include "scan/CFoliantDlg.h"

CFoliantApp::CFoliantApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationVersion(kVersionText);
  // Lets the desktop match the window to its desktop entry and icon.
  setDesktopFileName(QStringLiteral(DOCKETEER_APP_ID));
}

CFoliantApp::~CFoliantApp() = default;

bool CFoliantApp::InitInstance() {
  if (!OpenDebugLog()) {
    std::fputs("unable to open log file\n", stderr);
    return false;
  }
  started_ = true;
  Log(LOG_LOCATION, "CFoliantApp::InitInstance()");

  // From here on settings live under Ferncastle/Docketeer.
  setOrganizationName("Ferncastle");
  setApplicationName("Docketeer");

  TerminationSignal closeOnTerminate;
  CFoliantDlg dlg;
  closeOnTerminate.SetWindow(&dlg);
  dlg.exec();
  return false;
}

int CFoliantApp::ExitInstance() {
  if (!started_)
    return 1;
  Log(LOG_LOCATION, "CFoliantApp::ExitInstance()");
  CloseDebugLog();
  return 0;
}

int CFoliantApp::Run() {
  InitInstance();
  return ExitInstance();
}
