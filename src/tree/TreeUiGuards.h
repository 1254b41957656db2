#pragma once

#include <QApplication>
#include <QWidget>

// Shows the wait cursor for the life of the guard; guards nest.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

// Turns a widget's painting off while many items change, and back on to
// what it was when `active` is set.
class RedrawOff {
 public:
  RedrawOff(QWidget& widget, bool active = true)
      : widget_(widget), restore_(active && widget.updatesEnabled()) {
    if (restore_)
      widget_.setUpdatesEnabled(false);
  }
  ~RedrawOff() {
    if (restore_)
      widget_.setUpdatesEnabled(true);
  }
  RedrawOff(const RedrawOff&) = delete;
  RedrawOff& operator=(const RedrawOff&) = delete;

 private:
  QWidget& widget_;
  bool restore_;
};
