#pragma once

#include <QEvent>

// Posted by a monitor thread to the tree when something below its folder
// changed; `index` is the monitor's position when its thread started.
class FolderChangedEvent : public QEvent {
 public:
  static constexpr QEvent::Type kType = QEvent::User;  // 1024

  explicit FolderChangedEvent(int index) : QEvent(kType), index_(index) {}
  int Index() const { return index_; }

 private:
  int index_;
};
