#include "scan/ApplicationIcon.h"

#include <QString>

QIcon ApplicationIcon() {
  QIcon icon;
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
    icon.addFile(QStringLiteral(":/icons/%1x%1/" DOCKETEER_APP_ID ".png").arg(size),
                 QSize(size, size));
  }
  return icon;
}
