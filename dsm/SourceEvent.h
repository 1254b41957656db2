#pragma once

#include <QEvent>

#include "twain/TwainTypes.h"

// A source's message to the application (transfer ready, close request),
// posted to the parent object and recognised again by DAT_EVENT.
class SourceEvent final : public QEvent {
 public:
  SourceEvent(TW_UINT32 sourceId, quint64 session, TW_UINT16 message, quint64 sequence = 0);

  static QEvent::Type EventType();
  // The source event inside `event`, or null for any other event.
  static const SourceEvent* From(const QEvent* event);

  TW_UINT32 sourceId;
  quint64 session;
  TW_UINT16 message;
  quint64 sequence;  // which announcement of a page this is
};
