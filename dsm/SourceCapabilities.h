#pragma once

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
  TwainOutcome QuerySupport(TW_CAPABILITY& capability);
  // Pages the application wants from a batch; -1 for all the feeder holds.
  int TransferCount() const { return transferCount_; }

 private:
  CapabilityValue MakeContainer(TW_UINT16 cap, bool choices);
  CapabilityValue Resolution(bool vertical, bool choices);
  CapabilityValue PixelType(bool choices);
  CapabilityValue PhysicalSize(bool vertical);
  TwainOutcome SetResolution(bool vertical, TW_UINT16 itemType, TW_UINT32 item);
  TwainOutcome SetPixelType(TW_UINT32 item);
  TwainOutcome SetFeeder(bool enabled);

  SaneThread& thread_;
  DeviceSettings& settings_;
  int transferCount_ = -1;
};
