#pragma once

#include <QIcon>

// The program's icon, the one the desktop entry names: a filing folder with a
// sheet of paper. The sizes rendered from its SVG are compiled in, so the
// window shows the same picture whether or not the program is installed.
QIcon ApplicationIcon();
