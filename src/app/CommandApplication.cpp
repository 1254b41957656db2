#include "app/CommandApplication.h"

#include <atomic>
#include <cstdio>

#include "core/DebugLog.h"
#include "core/Version.h"

namespace {

std::atomic<bool> gVerbose{false};

void LogQtMessage(QtMsgType, const QMessageLogContext& context, const QString& message) {
  Log(LOG_LOCATION, "%s: %s", context.category != nullptr ? context.category : "qt",
      message.toLocal8Bit().constData());
}

}  // namespace

void CommandApplication::SetVerbose(bool verbose) {
  gVerbose.store(verbose);
}

CommandApplication::CommandApplication() {
  // A command run inside a process that has one already (a test) uses that one.
  if (QCoreApplication::instance() == nullptr)
    application_ = std::make_unique<QCoreApplication>(argc_, argv_);
  QCoreApplication::setApplicationVersion(kVersionText);
  SetLogEcho(gVerbose.load());
  if (!OpenDebugLog()) {
    std::fputs("docketeer: unable to open log file\n", stderr);
    return;
  }
  previousHandler_ = qInstallMessageHandler(&LogQtMessage);
  ready_ = true;
  Log(LOG_LOCATION, "CFoliantApp::InitInstance()");
  QCoreApplication::setOrganizationName("Ferncastle");
  QCoreApplication::setApplicationName("Docketeer");
}

CommandApplication::~CommandApplication() {
  if (!ready_)
    return;
  Log(LOG_LOCATION, "CFoliantApp::ExitInstance()");
  qInstallMessageHandler(previousHandler_);
  CloseDebugLog();
}
