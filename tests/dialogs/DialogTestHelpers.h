#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QWidget>

#include "ModalDialogs.h"

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
