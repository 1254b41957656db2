#include "tree/TreeHistory.h"

void TreeHistory::DropDeleted(QList<QPersistentModelIndex>& entries) {
  entries.removeIf([](const QPersistentModelIndex& entry) { return !entry.isValid(); });
}

void TreeHistory::RecordLeaving(const QModelIndex& previous) {
  if (!previous.isValid())
    return;
  DropDeleted(back_);
  if (back_.size() > maxHistory_)
    back_.removeFirst();
  back_.append(QPersistentModelIndex(previous));
}

bool TreeHistory::CanGoBack() {
  return BackCount() > 0;
}

bool TreeHistory::CanGoForward() {
  return ForwardCount() > 0;
}

int TreeHistory::BackCount() {
  DropDeleted(back_);
  return static_cast<int>(back_.size());
}

int TreeHistory::ForwardCount() {
  DropDeleted(forward_);
  return static_cast<int>(forward_.size());
}

QModelIndex TreeHistory::Take(QList<QPersistentModelIndex>& from, QList<QPersistentModelIndex>& to,
                              const QModelIndex& current) {
  DropDeleted(from);
  if (from.isEmpty())
    return {};
  const QModelIndex target = from.takeLast();
  if (current.isValid())
    to.append(QPersistentModelIndex(current));
  return target;
}

QModelIndex TreeHistory::TakeBack(const QModelIndex& current) {
  return Take(back_, forward_, current);
}

QModelIndex TreeHistory::TakeForward(const QModelIndex& current) {
  return Take(forward_, back_, current);
}
