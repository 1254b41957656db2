#include "twain/ScanSource.h"

#include <QMetaObject>

// Queued on this object: a notice still pending when the source goes is dropped.
void ScanSource::Post(Notice notice) {
  QMetaObject::invokeMethod(
      this,
      [this, notice] {
        switch (notice) {
          case Notice::Page:
            emit pageReady();
            break;
          case Notice::Complete:
            emit scanComplete();
            break;
          case Notice::Cancelled:
            emit scanCancelled();
            break;
          case Notice::Failed:
            emit scanFailed();
            break;
        }
      },
      Qt::QueuedConnection);
}
