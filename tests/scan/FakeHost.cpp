#include "FakeHost.h"

#include <QEvent>

bool NotificationForwarder::event(QEvent* event) {
  if (workflow != nullptr && workflow->OnScanNotification(event->type()))
    return true;
  return QObject::event(event);
}
