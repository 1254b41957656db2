#include "dsm/SourceCapabilities.h"

#include <algorithm>
#include <cmath>

#include "dsm/CapabilityContainer.h"
#include "dsm/DeviceSettings.h"
#include "dsm/Fix32.h"
#include "dsm/SaneThread.h"
#include "twain/GlobalMemory.h"

namespace {

constexpr TW_UINT16 kSupportedCaps[] = {CAP_SUPPORTEDCAPS,    CAP_XFERCOUNT,     CAP_FEEDERENABLED,
                                        CAP_UICONTROLLABLE,   CAP_DEVICEONLINE,  ICAP_XFERMECH,
                                        ICAP_PIXELTYPE,       ICAP_UNITS,        ICAP_PHYSICALWIDTH,
                                        ICAP_PHYSICALHEIGHT,  ICAP_XRESOLUTION,  ICAP_YRESOLUTION,
                                        ICAP_IMAGEFILEFORMAT, ICAP_BITDEPTH,     ICAP_COMPRESSION,
                                        ICAP_BITORDER,        ICAP_PLANARCHUNKY, ICAP_PIXELFLAVOR};

// Capabilities with one value only: pages are not compressed, and rows come
// chunky, most significant bit first, 0 the darkest.
std::optional<TW_UINT32> FixedValueOf(TW_UINT16 cap) {
  switch (cap) {
    case ICAP_COMPRESSION:
      return TWCP_NONE;
    case ICAP_BITORDER:
      return TWBO_MSBFIRST;
    case ICAP_PLANARCHUNKY:
      return TWPC_CHUNKY;
    case ICAP_PIXELFLAVOR:
      return TWPF_CHOCOLATE;
    default:
      return std::nullopt;
  }
}

// Bits per pixel of the pages a pixel type gives (16-bit samples become 8).
TW_UINT32 BitDepthOf(TW_UINT16 pixelType) {
  return pixelType == TWPT_RGB ? 24 : pixelType == TWPT_GRAY ? 8 : 1;
}

constexpr TwainOutcome kSuccess{TWRC_SUCCESS, TWCC_SUCCESS};
constexpr TwainOutcome kBadValue{TWRC_FAILURE, TWCC_BADVALUE};
constexpr TwainOutcome kUnsupported{TWRC_FAILURE, TWCC_CAPUNSUPPORTED};

constexpr TW_UINT32 kReadOnly = TWQC_GET | TWQC_GETCURRENT | TWQC_GETDEFAULT;
constexpr TW_UINT32 kNegotiable = kReadOnly | TWQC_SET | TWQC_RESET;

// What each capability answers, exactly as Get, Set and Reset below handle it.
TW_UINT32 OperationsOf(TW_UINT16 cap) {
  switch (cap) {
    case CAP_SUPPORTEDCAPS:
    case CAP_UICONTROLLABLE:
    case CAP_DEVICEONLINE:
    case ICAP_PHYSICALWIDTH:
    case ICAP_PHYSICALHEIGHT:
      return kReadOnly;
    case CAP_FEEDERENABLED:
      return kReadOnly | TWQC_SET;
    default:
      return kNegotiable;
  }
}

bool IsSupported(TW_UINT16 cap) {
  return std::find(std::begin(kSupportedCaps), std::end(kSupportedCaps), cap) !=
         std::end(kSupportedCaps);
}

CapabilityValue One(TW_UINT16 itemType, TW_UINT32 item) {
  return {MakeOneValue(itemType, item), TWON_ONEVALUE};
}

CapabilityValue OneOrChoices(bool choices, TW_UINT16 itemType, const std::vector<TW_UINT32>& items,
                             TW_UINT32 current) {
  if (!choices)
    return One(itemType, current);
  const auto found = std::find(items.begin(), items.end(), current);
  const auto index = static_cast<TW_UINT32>(found != items.end() ? found - items.begin() : 0);
  return {MakeEnumeration(itemType, items, index, index), TWON_ENUMERATION};
}

bool IsSixteenBit(TW_UINT16 itemType) {
  return itemType == TWTY_UINT16 || itemType == TWTY_INT16 || itemType == TWTY_BOOL;
}

}  // namespace

TwainOutcome SourceCapabilities::Get(TW_UINT16 message, TW_CAPABILITY& capability) {
  if (!IsSupported(capability.Cap))
    return kUnsupported;
  const bool choices = message == MSG_GET;
  const CapabilityValue value = thread_.Run([&] {
    return message == MSG_GETDEFAULT ? MakeDefault(capability.Cap)
                                     : MakeContainer(capability.Cap, choices);
  });
  if (value.handle == nullptr)
    return {TWRC_FAILURE, TWCC_CAPUNSUPPORTED};
  capability.hContainer = value.handle;
  capability.ConType = value.conType;
  return kSuccess;
}

CapabilityValue SourceCapabilities::MakeContainer(TW_UINT16 cap, bool choices) {
  if (const std::optional<TW_UINT32> fixed = FixedValueOf(cap))
    return OneOrChoices(choices, TWTY_UINT16, {*fixed}, *fixed);
  switch (cap) {
    case CAP_SUPPORTEDCAPS:
      return {MakeArray(TWTY_UINT16, {std::begin(kSupportedCaps), std::end(kSupportedCaps)}),
              TWON_ARRAY};
    case CAP_XFERCOUNT:
      return One(TWTY_INT16, static_cast<TW_UINT16>(transferCount_));
    case CAP_FEEDERENABLED:
      return One(TWTY_BOOL, settings_.IsFeeder() ? 1 : 0);
    case CAP_UICONTROLLABLE:
    case CAP_DEVICEONLINE:  // an open source is a device that answered
      return One(TWTY_BOOL, 1);
    case ICAP_BITDEPTH: {
      const TW_UINT32 depth = BitDepthOf(settings_.PixelType());
      return OneOrChoices(choices, TWTY_UINT16, {depth}, depth);
    }
    case ICAP_XFERMECH:
      return OneOrChoices(choices, TWTY_UINT16, {TWSX_NATIVE, TWSX_FILE, TWSX_MEMORY},
                          transferMechanism_);
    case ICAP_IMAGEFILEFORMAT:  // files are written as bitmaps only
      return OneOrChoices(choices, TWTY_UINT16, {TWFF_BMP}, TWFF_BMP);
    case ICAP_UNITS:
      return OneOrChoices(choices, TWTY_UINT16, {TWUN_INCHES}, TWUN_INCHES);
    case ICAP_PIXELTYPE:
      return PixelType(choices);
    case ICAP_PHYSICALWIDTH:
    case ICAP_PHYSICALHEIGHT:
      return PhysicalSize(cap == ICAP_PHYSICALHEIGHT);
    default:
      return Resolution(cap == ICAP_YRESOLUTION, choices);
  }
}

// The value a reset gives back, where it differs from the current one.
CapabilityValue SourceCapabilities::MakeDefault(TW_UINT16 cap) {
  switch (cap) {
    case CAP_XFERCOUNT:
      return One(TWTY_INT16, 0xFFFF);
    case ICAP_XFERMECH:
      return One(TWTY_UINT16, TWSX_NATIVE);
    case ICAP_PIXELTYPE:
      if (defaultPixelType_)
        return One(TWTY_UINT16, *defaultPixelType_);
      break;
    case ICAP_XRESOLUTION:
    case ICAP_YRESOLUTION:
      if (const auto& dpi = defaultResolution_[cap == ICAP_YRESOLUTION ? 1 : 0])
        return One(TWTY_FIX32, Fix32ToWord(ToFix32(*dpi)));
      break;
    default:
      break;
  }
  return MakeContainer(cap, false);
}

CapabilityValue SourceCapabilities::Resolution(bool vertical, bool choices) {
  const std::optional<double> current = settings_.Resolution(vertical);
  if (!current)
    return {};
  const TW_UINT32 currentWord = Fix32ToWord(ToFix32(*current));
  const NumberChoices offered = settings_.ResolutionChoices(vertical);
  if (!choices || offered.IsEmpty())
    return One(TWTY_FIX32, currentWord);
  if (offered.isRange)
    return {MakeRange(TWTY_FIX32, Fix32ToWord(ToFix32(offered.minimum)),
                      Fix32ToWord(ToFix32(offered.maximum)),
                      Fix32ToWord(ToFix32(std::max(offered.step, 1.0))), currentWord, currentWord),
            TWON_RANGE};
  std::vector<TW_UINT32> items;
  for (double value : offered.list)
    items.push_back(Fix32ToWord(ToFix32(value)));
  return OneOrChoices(true, TWTY_FIX32, items, currentWord);
}

CapabilityValue SourceCapabilities::PixelType(bool choices) {
  std::vector<TW_UINT32> items;
  for (TW_UINT16 type : settings_.PixelTypes())
    items.push_back(type);
  return OneOrChoices(choices, TWTY_UINT16, items, settings_.PixelType());
}

CapabilityValue SourceCapabilities::PhysicalSize(bool vertical) {
  const std::optional<FrameInches> glass = settings_.PhysicalArea();
  if (!glass)
    return {};
  return One(TWTY_FIX32, Fix32ToWord(ToFix32(vertical ? glass->bottom : glass->right)));
}

TwainOutcome SourceCapabilities::Set(const TW_CAPABILITY& capability) {
  if (!IsSupported(capability.Cap))
    return kUnsupported;
  const std::optional<SetValue> value = ReadSetValue(capability);
  if (!value)
    return kBadValue;
  if (const std::optional<TW_UINT32> fixed = FixedValueOf(capability.Cap))
    return value->item == *fixed ? kSuccess : kBadValue;
  switch (capability.Cap) {
    case ICAP_BITDEPTH:  // the depth follows the pixel type
      return value->item == thread_.Run([this] { return BitDepthOf(settings_.PixelType()); })
                 ? kSuccess
                 : kBadValue;
    case ICAP_XRESOLUTION:
    case ICAP_YRESOLUTION:
      return SetResolution(capability.Cap == ICAP_YRESOLUTION, value->itemType, value->item);
    case ICAP_PIXELTYPE:
      return IsSixteenBit(value->itemType) ? SetPixelType(value->item) : kBadValue;
    case ICAP_UNITS:
      return value->item == TWUN_INCHES ? kSuccess : kBadValue;
    case ICAP_XFERMECH:
      if (value->item != TWSX_NATIVE && value->item != TWSX_FILE && value->item != TWSX_MEMORY)
        return kBadValue;
      transferMechanism_ = static_cast<TW_UINT16>(value->item);
      return kSuccess;
    case ICAP_IMAGEFILEFORMAT:
      return value->item == TWFF_BMP ? kSuccess : kBadValue;
    case CAP_XFERCOUNT: {  // a count of pages, or -1 for all
      if (!IsSixteenBit(value->itemType))
        return kBadValue;
      const auto count = static_cast<TW_INT16>(value->item & 0xFFFF);
      if (count == 0 || count < -1)
        return kBadValue;
      transferCount_ = count;
      return kSuccess;
    }
    case CAP_FEEDERENABLED:
      return SetFeeder(value->item != 0);
    default:
      return {TWRC_FAILURE, TWCC_CAPBADOPERATION};
  }
}

TwainOutcome SourceCapabilities::SetResolution(bool vertical, TW_UINT16 itemType, TW_UINT32 item) {
  double wanted = 0;
  if (itemType == TWTY_FIX32)
    wanted = FromFix32(WordToFix32(item));
  else if (IsSixteenBit(itemType) || itemType == TWTY_UINT32)
    wanted = item;
  else
    return kBadValue;
  if (wanted <= 0)
    return kBadValue;
  const std::optional<double> applied = thread_.Run([&]() -> std::optional<double> {
    // Outside what the device offers is refused; inside, the nearest is taken.
    const NumberChoices offered = settings_.ResolutionChoices(vertical);
    const double lowest = offered.isRange ? offered.minimum
                          : offered.list.empty()
                              ? wanted
                              : *std::min_element(offered.list.begin(), offered.list.end());
    const double highest = offered.isRange ? offered.maximum
                           : offered.list.empty()
                               ? wanted
                               : *std::max_element(offered.list.begin(), offered.list.end());
    if (wanted < lowest - 0.01 || wanted > highest + 0.01)
      return std::nullopt;
    if (!settings_.SetResolution(vertical, wanted))
      return std::nullopt;
    return settings_.Resolution(vertical);
  });
  if (!applied)
    return kBadValue;
  return std::abs(*applied - wanted) < 0.01 ? kSuccess : TwainOutcome{TWRC_CHECKSTATUS, 0};
}

TwainOutcome SourceCapabilities::SetPixelType(TW_UINT32 item) {
  const auto type = static_cast<TW_UINT16>(item);
  if (type == TWPT_PALETTE)
    return kBadValue;  // no palette scans: callers fall back to RGB
  const bool set = thread_.Run([&] { return settings_.SetPixelType(type); });
  return set ? kSuccess : kBadValue;
}

TwainOutcome SourceCapabilities::SetFeeder(bool enabled) {
  const bool set = thread_.Run([&] {
    for (const std::string& source : settings_.Sources())
      if (IsFeederSourceName(source) == enabled)
        return settings_.SetSource(source);
    return false;
  });
  return set ? kSuccess : kBadValue;
}

void SourceCapabilities::NoteAnswers() {
  noted_.clear();
  for (TW_UINT16 cap : kSupportedCaps)
    for (TW_UINT16 message : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT}) {
      TW_CAPABILITY capability{cap, TWON_DONTCARE16, nullptr};
      if (Get(message, capability).returnCode != TWRC_SUCCESS)
        continue;
      const auto* bytes = static_cast<const TW_UINT8*>(GlobalLock(capability.hContainer));
      noted_[{cap, message}] = {capability.ConType,
                                {bytes, bytes + GlobalSize(capability.hContainer)}};
      GlobalUnlock(capability.hContainer);
      GlobalFree(capability.hContainer);
    }
}

TwainOutcome SourceCapabilities::GetNoted(TW_UINT16 message, TW_CAPABILITY& capability) const {
  if (!IsSupported(capability.Cap))
    return kUnsupported;
  const auto found = noted_.find({capability.Cap, message});
  if (found == noted_.end())
    return {TWRC_FAILURE, TWCC_CAPSEQERROR};
  TW_HANDLE copy = GlobalAlloc(found->second.container.size());
  auto* bytes = static_cast<TW_UINT8*>(GlobalLock(copy));
  if (bytes == nullptr)
    return {TWRC_FAILURE, TWCC_LOWMEMORY};
  std::copy(found->second.container.begin(), found->second.container.end(), bytes);
  GlobalUnlock(copy);
  capability.hContainer = copy;
  capability.ConType = found->second.conType;
  return kSuccess;
}

void SourceCapabilities::RememberDefaults() {
  defaultPixelType_ = settings_.PixelType();
  defaultResolution_[0] = settings_.Resolution(false);
  defaultResolution_[1] = settings_.Resolution(true);
}

TwainOutcome SourceCapabilities::Reset(TW_CAPABILITY& capability) {
  if (!IsSupported(capability.Cap))
    return kUnsupported;
  if ((OperationsOf(capability.Cap) & TWQC_RESET) == 0)
    return {TWRC_FAILURE, TWCC_CAPBADOPERATION};
  bool reset = true;
  switch (capability.Cap) {
    case CAP_XFERCOUNT:
      transferCount_ = -1;
      break;
    case ICAP_XFERMECH:
      transferMechanism_ = TWSX_NATIVE;
      break;
    case ICAP_PIXELTYPE:
      reset = !defaultPixelType_ ||
              thread_.Run([&] { return settings_.SetPixelType(*defaultPixelType_); });
      break;
    case ICAP_XRESOLUTION:
    case ICAP_YRESOLUTION: {
      const bool vertical = capability.Cap == ICAP_YRESOLUTION;
      const std::optional<double> wanted = defaultResolution_[vertical ? 1 : 0];
      reset = !wanted || thread_.Run([&] { return settings_.SetResolution(vertical, *wanted); });
      break;
    }
    default:  // units: inches are the only ones
      break;
  }
  if (!reset)
    return {TWRC_FAILURE, TWCC_BUMMER};
  return Get(MSG_GETCURRENT, capability);
}

TwainOutcome SourceCapabilities::QuerySupport(TW_CAPABILITY& capability) {
  if (!IsSupported(capability.Cap))
    return kUnsupported;
  capability.ConType = TWON_ONEVALUE;
  capability.hContainer = MakeOneValue(TWTY_INT32, OperationsOf(capability.Cap));
  return capability.hContainer != nullptr ? kSuccess : TwainOutcome{TWRC_FAILURE, TWCC_LOWMEMORY};
}
