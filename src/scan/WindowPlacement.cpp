#include "scan/WindowPlacement.h"

#include "viewer/WorkArea.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <algorithm>

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
  const QRect workArea = NearestArea(areas, frame);
  if (workArea.isEmpty())
    return;
  // A window larger than the screen would lose its title bar past the top or
  // left edge; it is made to fit first.
  size = size.boundedTo(workArea.size());
  frame.setSize(size);
  frame = FitRectToArea(frame, workArea);
  // Even a window that cannot shrink that far keeps its title bar reachable.
  frame.moveTopLeft(
      QPoint(std::max(frame.left(), workArea.left()), std::max(frame.top(), workArea.top())));
  window.resize(size - frameExtra);
  window.move(frame.topLeft());
}
