#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

// For code that runs a dialog with exec(): looks every 10 ms for the active
// modal window and runs `act` on it once `ready` holds, for at most `tries`
// turns; `gaveUp` runs when none came.
inline void WhenModalReady(std::function<bool(QWidget& modal)> ready,
                           std::function<void(QWidget& modal)> act, int tries = 1000,
                           std::function<void()> gaveUp = {}) {
  QTimer::singleShot(10, [ready, act, tries, gaveUp] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && ready(*modal))
      act(*modal);
    else if (tries > 0)
      WhenModalReady(ready, act, tries - 1, gaveUp);
    else if (gaveUp)
      gaveUp();
  });
}

// Runs `act` on the next modal window once it is shown.
inline void WhenModalShown(std::function<void(QWidget& modal)> act, int tries = 1000) {
  WhenModalReady([](QWidget&) { return true; }, std::move(act), tries);
}

// Runs `act` on the next modal window of type `T` once it is shown; other
// modal windows (progress) are left alone.
template <typename T>
void WhenModalShownAs(std::function<void(T& dialog)> act, int tries = 1000) {
  WhenModalReady([](QWidget& modal) { return qobject_cast<T*>(&modal) != nullptr; },
                 [act](QWidget& modal) { act(*qobject_cast<T*>(&modal)); }, tries);
}
