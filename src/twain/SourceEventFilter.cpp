#include "twain/SourceEventFilter.h"

#include "twain/TwainManager.h"

SourceEventFilter::SourceEventFilter(TwainManager& manager, QObject* parent)
    : QObject(parent), manager_(manager) {}

bool SourceEventFilter::eventFilter(QObject* watched, QEvent* event) {
  if (manager_.PreTranslateMessage(event))
    return true;
  return QObject::eventFilter(watched, event);
}
