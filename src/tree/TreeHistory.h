#pragma once

#include <QList>
#include <QPersistentModelIndex>

// The Back and Forward lists. Entries follow their items through sorting and
// become invalid when their items are deleted; invalid entries are dropped,
// never handed back.
class TreeHistory {
 public:
  explicit TreeHistory(int maxHistory) : maxHistory_(maxHistory) {}

  // A selection moved away from `previous`: the oldest entry goes once the
  // list holds more than the bound, so it keeps at most bound + 1 entries.
  void RecordLeaving(const QModelIndex& previous);

  bool CanGoBack();
  bool CanGoForward();
  // The entry to select, or an invalid index; `current` goes onto the other list.
  QModelIndex TakeBack(const QModelIndex& current);
  QModelIndex TakeForward(const QModelIndex& current);

  int BackCount();
  int ForwardCount();

 private:
  static void DropDeleted(QList<QPersistentModelIndex>& entries);
  static QModelIndex Take(QList<QPersistentModelIndex>& from, QList<QPersistentModelIndex>& to,
                          const QModelIndex& current);

  int maxHistory_;
  QList<QPersistentModelIndex> back_;
  QList<QPersistentModelIndex> forward_;
};
