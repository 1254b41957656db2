#pragma once

#include <QList>
#include <QRect>

// Moves `rect` onto `area` without changing its size: first its left (top)
// edge, then its right (bottom) edge, so a rect larger than the area ends
// aligned to the area's right (bottom) edge.
QRect FitRectToArea(QRect rect, const QRect& area);

// The area that shares the most with `rect`, or the closest one when none
// overlaps; an empty rect for no areas.
QRect NearestArea(const QList<QRect>& areas, const QRect& rect);

// FitRectToArea with the work area (the screen without panels) of the screen
// nearest to `rect`. Without any screen the rect stays as it is.
QRect FitRectToWorkArea(const QRect& rect);
