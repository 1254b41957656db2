#include "dsm/SourceEvent.h"

SourceEvent::SourceEvent(TW_UINT32 sourceId, quint64 session, TW_UINT16 message, quint64 sequence)
    : QEvent(EventType()),
      sourceId(sourceId),
      session(session),
      message(message),
      sequence(sequence) {}

QEvent::Type SourceEvent::EventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

const SourceEvent* SourceEvent::From(const QEvent* event) {
  return event != nullptr && event->type() == EventType() ? static_cast<const SourceEvent*>(event)
                                                          : nullptr;
}
