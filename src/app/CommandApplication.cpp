#include "app/CommandApplication.h"

#include <cstdio>

#include "core/DebugLog.h"
#include "core/Version.h"

CommandApplication::CommandApplication() {
  // A command run inside a process that has one already (a test) uses that one.
  if (QCoreApplication::instance() == nullptr)
    application_ = std::make_unique<QCoreApplication>(argc_, argv_);
  QCoreApplication::setApplicationVersion(kVersionText);
  SetLogEcho(false);
  if (!OpenDebugLog()) {
    std::fputs("docketeer: unable to open log file\n", stderr);
    return;
  }
  ready_ = true;
  Log(LOG_LOCATION, "CFoliantApp::InitInstance()");
  QCoreApplication::setOrganizationName("Ferncastle");
  QCoreApplication::setApplicationName("Docketeer");
}

CommandApplication::~CommandApplication() {
  if (!ready_)
    return;
  Log(LOG_LOCATION, "CFoliantApp::ExitInstance()");
  CloseDebugLog();
}
