#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>

// Finds a child by object name and fails the test when it is missing.
template <typename T>
T* Child(const QWidget& parent, const char* name) {
  T* child = parent.findChild<T*>(name);
  if (child == nullptr)
    ADD_FAILURE() << "no child named " << name;
  return child;
}

inline void Click(const QWidget& parent, const char* name) {
  if (auto* button = Child<QAbstractButton>(parent, name)) {
    QTest::mouseClick(button, Qt::LeftButton);
  }
}

// Runs `act` on the next modal dialog once it is shown (within about ten
// seconds), for code that runs a dialog with exec().
inline void WhenModalShown(std::function<void(QWidget& modal)> act, int triesLeft = 1000) {
  QTimer::singleShot(10, [act, triesLeft] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      act(*modal);
    } else if (triesLeft > 0) {
      WhenModalShown(act, triesLeft - 1);
    }
  });
}
