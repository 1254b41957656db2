#include "scan/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <algorithm>
#include <limits>

namespace {

const QString kXPosition = QStringLiteral("Settings/XPosition");
const QString kYPosition = QStringLiteral("Settings/YPosition");
const QString kWidth = QStringLiteral("Settings/WindowWidth");
const QString kHeight = QStringLiteral("Settings/WindowHeight");

int ReadNumber(const QSettings& store, const QString& key) {
  bool ok = false;
  const int value = store.value(key, -1).toInt(&ok);
  return ok ? value : -1;
}

long long OverlapArea(const QRect& a, const QRect& b) {
  const QRect overlap = a.intersected(b);
  return overlap.isEmpty() ? 0 : static_cast<long long>(overlap.width()) * overlap.height();
}

long long DistanceSquared(const QRect& area, const QPoint& point) {
  const long long dx = point.x() - std::clamp(point.x(), area.left(), area.right());
  const long long dy = point.y() - std::clamp(point.y(), area.top(), area.bottom());
  return dx * dx + dy * dy;
}

// Wayland and similar systems do not let a program place its windows.
bool CanPlaceWindows() {
  return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

}  // namespace

WindowPlacement ReadWindowPlacement() {
  const QSettings store;
  return {ReadNumber(store, kXPosition), ReadNumber(store, kYPosition), ReadNumber(store, kWidth),
          ReadNumber(store, kHeight)};
}

void WriteWindowPlacement(const QRect& frame) {
  QSettings store;
  store.setValue(kXPosition, frame.left());
  store.setValue(kYPosition, frame.top());
  store.setValue(kWidth, frame.width());
  store.setValue(kHeight, frame.height());
}

QRect NearestWorkArea(const QList<QRect>& areas, const QRect& window) {
  QRect best;
  long long bestOverlap = 0;
  long long bestDistance = std::numeric_limits<long long>::max();
  for (const QRect& area : areas) {
    const long long overlap = OverlapArea(area, window);
    const long long distance = DistanceSquared(area, window.center());
    if (overlap > bestOverlap || (bestOverlap == 0 && overlap == 0 && distance < bestDistance)) {
      best = area;
      bestOverlap = overlap;
      bestDistance = distance;
    }
  }
  return best;
}

QRect MoveInsideWorkArea(QRect window, const QRect& workArea) {
  if (window.left() < workArea.left())
    window.moveLeft(workArea.left());
  if (window.right() > workArea.right())
    window.moveRight(workArea.right());
  if (window.top() < workArea.top())
    window.moveTop(workArea.top());
  if (window.bottom() > workArea.bottom())
    window.moveBottom(workArea.bottom());
  return window;
}

void RestoreWindowPlacement(QWidget& window, const WindowPlacement& placement) {
  if (!placement.HasPosition() || !CanPlaceWindows())
    return;
  QList<QRect> areas;
  for (const QScreen* screen : QGuiApplication::screens())
    areas.append(screen->availableGeometry());
  // The frame around the client area, as the window system adds it.
  const QSize frameExtra = window.frameGeometry().size() - window.geometry().size();
  QSize size = placement.HasSize() ? QSize(placement.width, placement.height)
                                   : window.frameGeometry().size();
  QRect frame(QPoint(placement.x, placement.y), size);
  const QRect workArea = NearestWorkArea(areas, frame);
  if (workArea.isEmpty())
    return;
  // A window larger than the screen would lose its title bar past the top or
  // left edge; it is made to fit first.
  size = size.boundedTo(workArea.size());
  frame.setSize(size);
  frame = MoveInsideWorkArea(frame, workArea);
  // Even a window that cannot shrink that far keeps its title bar reachable.
  frame.moveTopLeft(
      QPoint(std::max(frame.left(), workArea.left()), std::max(frame.top(), workArea.top())));
  window.resize(size - frameExtra);
  window.move(frame.topLeft());
}
