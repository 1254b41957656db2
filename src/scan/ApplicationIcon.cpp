#include "scan/ApplicationIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

QPixmap DrawIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 64.0, size / 64.0);

  painter.setPen(QPen(QColor(120, 80, 20), 1.5));
  painter.setBrush(QColor(214, 160, 70));
  painter.drawRoundedRect(QRectF(4, 14, 56, 44), 4, 4);  // the folder's back
  painter.setPen(QPen(QColor(90, 90, 90), 1.2));
  painter.setBrush(Qt::white);
  painter.drawRect(QRectF(14, 6, 34, 40));  // the sheet
  painter.setPen(QPen(QColor(60, 110, 190), 2));
  for (int line = 0; line < 4; ++line)
    painter.drawLine(QPointF(19, 14 + line * 7), QPointF(43, 14 + line * 7));
  painter.setPen(QPen(QColor(120, 80, 20), 1.5));
  painter.setBrush(QColor(240, 190, 95));
  QPainterPath front;
  front.moveTo(4, 28);
  front.lineTo(60, 28);
  front.lineTo(60, 56);
  front.quadTo(60, 58, 58, 58);
  front.lineTo(6, 58);
  front.quadTo(4, 58, 4, 56);
  front.closeSubpath();
  painter.drawPath(front);
  return pixmap;
}

}  // namespace

QIcon ApplicationIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256})
    icon.addPixmap(DrawIcon(size));
  return icon;
}
