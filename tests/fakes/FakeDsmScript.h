#pragma once

// The script of the fake data source manager: what each call answers, which
// pages and events the one source delivers, and the record of the calls the
// fake received, in order. The fake owns one instance (FakeDsm_Script); the
// tests fill it in before driving the program's TWAIN layers.

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "DibPage.h"
#include "twain/TwainTypes.h"

// A capability container the source answers a MSG_GET with. `items` holds the
// items of an array or enumeration, the item of a one-value, and the minimum,
// maximum, step, default and current value of a range.
struct FakeCapability {
  TW_UINT16 containerType = TWON_ONEVALUE;
  TW_UINT16 itemType = TWTY_FIX32;
  std::vector<TW_UINT32> items;
  TW_UINT32 currentIndex = 0;
};

// A one-value MSG_SET the source received, read from its container.
struct FakeCapabilitySet {
  TW_UINT16 capability;
  TW_UINT16 containerType;
  TW_UINT16 itemType;
  TW_UINT32 item;
  std::size_t containerSize;
};

struct FakeDsmScript {
  // Return codes by call name (as recorded), taken before the default
  // behaviour: queued codes first, one per call, then the fixed code. A
  // scripted code other than the call's success code changes nothing else.
  std::map<std::string, std::deque<TW_UINT16>> queuedCodes;
  std::map<std::string, TW_UINT16> fixedCodes;

  // The sources: the default identity (none when hasDefaultSource is false)
  // and the one the selection dialog returns.
  bool hasDefaultSource = true;
  std::string defaultSourceName = "Fake Flatbed";
  std::string userSelectedName = "Fake Feeder";

  std::map<TW_UINT16, FakeCapability> capabilities;
  TW_IMAGELAYOUT layout{};
  // Device-independent bitmaps delivered one per native transfer.
  std::deque<std::vector<std::uint8_t>> pages;
  // Once `pages` runs out, `repeatedPage` is delivered `repeatCount` more
  // times, each copy made at its transfer: a long batch holds one page at a time.
  std::vector<std::uint8_t> repeatedPage;
  int repeatCount = 0;
  // Counts answered by MSG_ENDXFER in turn; once empty, the pages left.
  std::deque<TW_UINT16> pendingCounts;
  // Source messages posted to the parent window when the source is enabled.
  std::vector<TW_UINT16> eventsOnEnable;
  // Whether an end of transfer that leaves pages pending announces the next
  // page with a transfer-ready of its own, as a feeder that reads ahead does.
  bool announceEachPage = true;

  // What the fake received.
  std::vector<std::string> calls;
  std::vector<FakeCapabilitySet> capabilitySets;
  std::vector<TW_IMAGELAYOUT> layoutsSet;
  std::vector<TW_USERINTERFACE> userInterfaces;
  TW_IDENTITY appIdentity{};
  QObject* parent = nullptr;
  QObject* enabledParent = nullptr;
  int wrongDestinations = 0;

  // Manager and source state, as a strict manager keeps it.
  bool managerOpen = false;
  bool sourceOpen = false;
  bool sourceEnabled = false;
  bool transferReady = false;
  bool announcementPending = false;  // dropped by a reset, as a real source's would be
  int eventType = 0;

  void Fail(const std::string& call, TW_UINT16 code = TWRC_FAILURE) { fixedCodes[call] = code; }
  void Queue(const std::string& call, std::vector<TW_UINT16> codes) {
    auto& queue = queuedCodes[call];
    queue.insert(queue.end(), codes.begin(), codes.end());
  }
};

// A source's own event, posted to the parent window.
class FakeSourceEvent : public QEvent {
 public:
  FakeSourceEvent(int type, TW_UINT16 message, bool announcement = false)
      : QEvent(static_cast<QEvent::Type>(type)), message_(message), announcement_(announcement) {}
  TW_UINT16 Message() const { return message_; }
  // Posted by the fake itself for the next page of a batch.
  bool IsAnnouncement() const { return announcement_; }

 private:
  TW_UINT16 message_;
  bool announcement_;
};

inline void PostFakeSourceEvent(const FakeDsmScript& script, QObject* receiver, TW_UINT16 message) {
  QCoreApplication::postEvent(receiver, new FakeSourceEvent(script.eventType, message));
}

extern "C" {
using FakeDsmScriptProc = FakeDsmScript* (*)();
}
inline constexpr const char kFakeDsmScriptName[] = "FakeDsm_Script";
