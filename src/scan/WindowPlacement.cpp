#include "scan/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <algorithm>

#include "viewer/WorkArea.h"

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

// Wayland and similar systems do not let a program place its windows.
bool CanPlaceWindows() {
  return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

QSize MinimumOf(const QWidget& window) {
  return window.minimumSize().expandedTo(window.minimumSizeHint());
}

// The frame the window system draws around the client area; none before the
// window is first mapped.
QMargins FrameOf(const QWidget& window) {
  const QRect frame = window.frameGeometry();
  const QRect client = window.geometry();
  return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
          frame.bottom() - client.bottom()};
}

}  // namespace

WindowPlacement ReadWindowPlacement() {
  const QSettings store;
  return {ReadNumber(store, kXPosition), ReadNumber(store, kYPosition), ReadNumber(store, kWidth),
          ReadNumber(store, kHeight)};
}

void WriteWindowPlacement(const WindowPlacement& placement) {
  QSettings store;
  store.setValue(kXPosition, placement.x);
  store.setValue(kYPosition, placement.y);
  store.setValue(kWidth, placement.width);
  store.setValue(kHeight, placement.height);
}

WindowPlacement PlacementOf(QPoint frameTopLeft, QSize clientSize, QSize minimum) {
  const QSize size = clientSize.expandedTo(minimum);
  return {frameTopLeft.x(), frameTopLeft.y(), size.width(), size.height()};
}

WindowPlacement PlacementOf(const QWidget& window) {
  if (window.isMaximized() || window.isMinimized() || window.isFullScreen()) {
    // The normal geometry is the client area; its frame adds the same margins.
    const QRect normal = window.normalGeometry();
    const QMargins frame = FrameOf(window);
    return PlacementOf(normal.topLeft() - QPoint(frame.left(), frame.top()), normal.size(),
                       MinimumOf(window));
  }
  return PlacementOf(window.frameGeometry().topLeft(), window.size(), MinimumOf(window));
}

RestoredPlacement PlaceWithin(const WindowPlacement& placement, const QList<QRect>& areas,
                              const QMargins& frame, QSize minimum, RestoredPlacement current) {
  if (!placement.HasPosition())
    return current;
  QSize client =
      placement.HasSize() ? QSize(placement.width, placement.height) : current.clientSize;
  client = client.expandedTo(minimum);
  const QSize extra(frame.left() + frame.right(), frame.top() + frame.bottom());
  QRect outer(QPoint(placement.x, placement.y), client + extra);
  const QRect workArea = NearestArea(areas, outer);
  if (workArea.isEmpty())
    return {outer.topLeft(), client};
  // A window larger than the screen would lose its title bar past the top or
  // left edge; it is made to fit first, as far as its minimum allows.
  client = client.boundedTo(workArea.size() - extra).expandedTo(minimum);
  outer.setSize(client + extra);
  outer = FitRectToArea(outer, workArea);
  // Even a window that cannot shrink that far keeps its title bar reachable.
  outer.moveTopLeft(
      QPoint(std::max(outer.left(), workArea.left()), std::max(outer.top(), workArea.top())));
  return {outer.topLeft(), client};
}

void RestoreWindowPlacement(QWidget& window, const WindowPlacement& placement) {
  if (!placement.HasPosition() || !CanPlaceWindows())
    return;
  QList<QRect> areas;
  for (const QScreen* screen : QGuiApplication::screens())
    areas.append(screen->availableGeometry());
  const RestoredPlacement placed = PlaceWithin(placement, areas, FrameOf(window), MinimumOf(window),
                                               {window.frameGeometry().topLeft(), window.size()});
  // A top-level window's move() places its frame, resize() its client area.
  window.resize(placed.clientSize);
  window.move(placed.frameTopLeft);
}
