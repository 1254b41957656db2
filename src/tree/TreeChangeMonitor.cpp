#include "tree/TreeChangeMonitor.h"

#include <QCoreApplication>
#include <QString>
#include <algorithm>
#include <utility>

#include "core/DebugLog.h"
#include "core/Paths.h"
#include "tree/CTreeFileCtrlThreadInfo.h"
#include "tree/FolderChangedEvent.h"

TreeChangeMonitor::TreeChangeMonitor(QObject& receiver, Callbacks callbacks)
    : receiver_(receiver), callbacks_(std::move(callbacks)) {}

TreeChangeMonitor::~TreeChangeMonitor() {
  StopAll();
}

void TreeChangeMonitor::Start(const std::string& path, bool includeFiles) {
  const std::string folder = EnsureTrailingSeparator(path);
  for (const auto& monitor : monitors_)
    if (monitor->Path() == folder)
      return;
  Log(LOG_LOCATION, "TreeChangeMonitor::Start(): %s", folder.c_str());
  const int index = Count();
  // The threads only read the atomic flag and post, never send.
  CTreeFileCtrlThreadInfo::Callbacks callbacks{[this] { return AutoRefresh(); },
                                               [this](int changed) {
                                                 QCoreApplication::postEvent(
                                                     &receiver_, new FolderChangedEvent(changed),
                                                     Qt::LowEventPriority);
                                               }};
  monitors_.push_back(
      std::make_unique<CTreeFileCtrlThreadInfo>(folder, index, includeFiles, std::move(callbacks)));
}

void TreeChangeMonitor::StopAll() {
  if (monitors_.empty())
    return;
  for (const auto& monitor : monitors_)
    monitor->RequestStop();
  monitors_.clear();  // each record waits for its thread
  // Notices already on their way belong to folders no longer watched.
  QCoreApplication::removePostedEvents(&receiver_, FolderChangedEvent::kType);
}

void TreeChangeMonitor::Stop(const std::string& path) {
  const QString folder = QString::fromStdString(EnsureTrailingSeparator(path));
  const auto found = std::find_if(monitors_.begin(), monitors_.end(), [&](const auto& monitor) {
    return QString::fromStdString(monitor->Path()).compare(folder, Qt::CaseInsensitive) == 0;
  });
  if (found != monitors_.end())
    monitors_.erase(found);
}

void TreeChangeMonitor::OnFolderChanged(int index) {
  // A notice from a monitor stopped meanwhile; the re-check does not need it.
  if (index < 0 || index >= Count())
    return;
  if (!AutoRefresh() || callbacks_.busy())
    return;
  callbacks_.resync();
}
