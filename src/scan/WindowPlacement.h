#pragma once

#include <QList>
#include <QRect>

class QWidget;

// Where the main window was when it last closed: its top-left corner and its
// size, in the group "Settings" beside the other settings. A missing value
// reads as -1.
struct WindowPlacement {
  int x = -1;
  int y = -1;
  int width = -1;
  int height = -1;

  bool HasPosition() const { return x != -1 && y != -1; }
  bool HasSize() const { return width > 0 && height > 0; }
};

WindowPlacement ReadWindowPlacement();
void WriteWindowPlacement(const QRect& frame);

// Puts `window` where the placement says, inside the available area of the
// nearest screen, with a size no larger than that area. Does nothing without a
// stored position, or where the window system places windows itself.
void RestoreWindowPlacement(QWidget& window, const WindowPlacement& placement);
