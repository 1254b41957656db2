#pragma once

#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "dsm/SaneStatus.h"
#include "twain/TwainTypes.h"

class DeviceSettings;

// A container built for an answer and the kind it is.
struct CapabilityValue {
  TW_HANDLE handle = nullptr;
  TW_UINT16 conType = TWON_ONEVALUE;
};
class SaneThread;

// Answers DAT_CAPABILITY for one open source. Each answer runs on the
// device's thread, where the SANE options live.
class SourceCapabilities {
 public:
  SourceCapabilities(SaneThread& thread, DeviceSettings& settings)
      : thread_(thread), settings_(settings) {}

  // MSG_GET gives the choices, MSG_GETCURRENT and MSG_GETDEFAULT one value.
  TwainOutcome Get(TW_UINT16 message, TW_CAPABILITY& capability);
  TwainOutcome Set(const TW_CAPABILITY& capability);
  // Notes every answer Get gives now, for the time the device's thread is
  // busy with a batch; GetNoted answers from them.
  void NoteAnswers();
  TwainOutcome GetNoted(TW_UINT16 message, TW_CAPABILITY& capability) const;
  // Back to the value the device had when opened; answers the new current value.
  TwainOutcome Reset(TW_CAPABILITY& capability);
  // Notes the device's own values as the defaults; on the device's thread.
  void RememberDefaults();
  TwainOutcome QuerySupport(TW_CAPABILITY& capability);
  // Pages the application wants from a batch; -1 for all the feeder holds.
  int TransferCount() const { return transferCount_; }
  TW_UINT16 TransferMechanism() const { return transferMechanism_; }

 private:
  CapabilityValue MakeContainer(TW_UINT16 cap, bool choices);
  CapabilityValue MakeDefault(TW_UINT16 cap);
  CapabilityValue Resolution(bool vertical, bool choices);
  CapabilityValue PixelType(bool choices);
  CapabilityValue PhysicalSize(bool vertical);
  TwainOutcome SetResolution(bool vertical, TW_UINT16 itemType, TW_UINT32 item);
  TwainOutcome SetPixelType(TW_UINT32 item);
  TwainOutcome SetFeeder(bool enabled);

  SaneThread& thread_;
  DeviceSettings& settings_;
  struct NotedAnswer {
    TW_UINT16 conType;
    std::vector<TW_UINT8> container;
  };
  std::map<std::pair<TW_UINT16, TW_UINT16>, NotedAnswer> noted_;  // by capability, message
  int transferCount_ = -1;
  TW_UINT16 transferMechanism_ = TWSX_NATIVE;
  std::optional<TW_UINT16> defaultPixelType_;
  std::optional<double> defaultResolution_[2];
};
