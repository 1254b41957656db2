#pragma once

#include <QList>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Where the main window was when it last closed: the top-left corner of its
// frame and the size of its client area (without the frame the window system
// adds), in the group "Settings" beside the other settings. A missing value
// reads as -1.
struct WindowPlacement {
  int x = -1;
  int y = -1;
  int width = -1;
  int height = -1;

  bool HasPosition() const { return x != -1 && y != -1; }
  bool HasSize() const { return width > 0 && height > 0; }
  bool operator==(const WindowPlacement&) const = default;
};

WindowPlacement ReadWindowPlacement();
void WriteWindowPlacement(const WindowPlacement& placement);

// What a window shows now, to be stored: a size below `minimum` (a window
// closed while the window system had it shrunk or unmapped) is stored as
// `minimum`, so the next start never opens cut.
WindowPlacement PlacementOf(QPoint frameTopLeft, QSize clientSize, QSize minimum);
// The placement of `window`, its normal geometry when it is maximised or minimised.
WindowPlacement PlacementOf(const QWidget& window);

// Where a stored placement puts the window: its frame's top-left corner and
// its client size, at least `minimum`, the frame (client plus `frame`) moved
// inside the nearest of `areas` and made no larger than it. Without a stored
// position it keeps `current`.
struct RestoredPlacement {
  QPoint frameTopLeft;
  QSize clientSize;
  bool operator==(const RestoredPlacement&) const = default;
};
RestoredPlacement PlaceWithin(const WindowPlacement& placement, const QList<QRect>& areas,
                              const QMargins& frame, QSize minimum, RestoredPlacement current);

// Puts `window` where the placement says, on the work areas of the screens.
// Does nothing without a stored position, or where the window system places
// windows itself.
void RestoreWindowPlacement(QWidget& window, const WindowPlacement& placement);
