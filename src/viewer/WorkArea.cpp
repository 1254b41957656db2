#include "viewer/WorkArea.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <limits>

namespace {

// Squared distance from a point to a rectangle (0 inside it).
qint64 DistanceSquared(const QPoint& point, const QRect& rect) {
  const qint64 dx = std::max({rect.left() - point.x(), 0, point.x() - rect.right()});
  const qint64 dy = std::max({rect.top() - point.y(), 0, point.y() - rect.bottom()});
  return dx * dx + dy * dy;
}

}  // namespace

QRect NearestArea(const QList<QRect>& areas, const QRect& rect) {
  QRect nearest;
  qint64 bestOverlap = 0;
  qint64 bestDistance = std::numeric_limits<qint64>::max();
  for (const QRect& candidate : areas) {
    const QRect overlap = candidate.intersected(rect);
    const qint64 area = overlap.isEmpty() ? 0 : qint64{overlap.width()} * overlap.height();
    const qint64 distance = DistanceSquared(rect.center(), candidate);
    if (area > bestOverlap || (bestOverlap == 0 && area == 0 && distance < bestDistance)) {
      nearest = candidate;
      bestOverlap = area;
      bestDistance = distance;
    }
  }
  return nearest;
}

QRect FitRectToArea(QRect rect, const QRect& area) {
  if (rect.left() < area.left())
    rect.moveLeft(area.left());
  if (rect.right() > area.right())
    rect.moveRight(area.right());
  if (rect.top() < area.top())
    rect.moveTop(area.top());
  if (rect.bottom() > area.bottom())
    rect.moveBottom(area.bottom());
  return rect;
}

QRect FitRectToWorkArea(const QRect& rect) {
  QList<QRect> areas;
  for (const QScreen* screen : QGuiApplication::screens())
    areas.append(screen->availableGeometry());
  const QRect area = NearestArea(areas, rect);
  return area.isEmpty() ? rect : FitRectToArea(rect, area);
}
