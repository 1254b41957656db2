// A scriptable data source manager with one source, loaded by the tests in
// place of the real manager. It answers like a strict manager (closing while
// a source is open, disabling during a transfer and the like are refused)
// unless the script says otherwise, and records every call it receives.
#include <cstdio>
#include <cstring>
#include <utility>

#include "FakeDsmScript.h"
#include "twain/GlobalMemory.h"

namespace {

FakeDsmScript& Script() {
  static FakeDsmScript script;
  if (script.eventType == 0)
    script.eventType = QEvent::registerEventType();
  return script;
}

constexpr TW_UINT32 kAppId = 7;
constexpr TW_UINT32 kSourceId = 11;

std::string CapabilityName(TW_UINT16 capability) {
  switch (capability) {
    case ICAP_PIXELTYPE:
      return "ICAP_PIXELTYPE";
    case ICAP_UNITS:
      return "ICAP_UNITS";
    case ICAP_XRESOLUTION:
      return "ICAP_XRESOLUTION";
    case ICAP_YRESOLUTION:
      return "ICAP_YRESOLUTION";
    case ICAP_PHYSICALWIDTH:
      return "ICAP_PHYSICALWIDTH";
    case ICAP_PHYSICALHEIGHT:
      return "ICAP_PHYSICALHEIGHT";
    default: {
      char text[16];
      std::snprintf(text, sizeof text, "0x%04x", capability);
      return text;
    }
  }
}

std::string CallName(TW_UINT32 group, TW_UINT16 type, TW_UINT16 message, TW_MEMREF data) {
  if (group == DG_CONTROL && type == DAT_CAPABILITY) {
    const auto* request = static_cast<const TW_CAPABILITY*>(data);
    const char* verb = message == MSG_SET ? "SetCapability " : "GetCapability ";
    return verb + CapabilityName(request != nullptr ? request->Cap : 0);
  }
  struct Known {
    TW_UINT32 group;
    TW_UINT16 type;
    TW_UINT16 message;
    const char* name;
  };
  static constexpr Known kKnown[] = {
      {DG_CONTROL, DAT_PARENT, MSG_OPENDSM, "OpenDsm"},
      {DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, "CloseDsm"},
      {DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, "GetDefault"},
      {DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, "UserSelect"},
      {DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, "OpenDs"},
      {DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, "CloseDs"},
      {DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, "ProcessEvent"},
      {DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, "EndXfer"},
      {DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, "ResetXfers"},
      {DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, "DisableDs"},
      {DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, "EnableDs"},
      {DG_IMAGE, DAT_IMAGEINFO, MSG_GET, "GetImageInfo"},
      {DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, "GetImageLayout"},
      {DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, "SetImageLayout"},
      {DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, "GetNativeXfer"},
  };
  for (const Known& known : kKnown) {
    if (known.group == group && known.type == type && known.message == message)
      return known.name;
  }
  char text[48];
  std::snprintf(text, sizeof text, "Unknown %u/0x%04x/0x%04x", group, type, message);
  return text;
}

bool ScriptedCode(FakeDsmScript& script, const std::string& call, TW_UINT16& code) {
  auto queued = script.queuedCodes.find(call);
  if (queued != script.queuedCodes.end() && !queued->second.empty()) {
    code = queued->second.front();
    queued->second.pop_front();
    return true;
  }
  auto fixed = script.fixedCodes.find(call);
  if (fixed == script.fixedCodes.end())
    return false;
  code = fixed->second;
  return true;
}

void FillIdentity(TW_IDENTITY& identity, const std::string& name) {
  std::memset(&identity, 0, sizeof identity);
  identity.Id = kSourceId;
  identity.ProtocolMajor = TWON_PROTOCOLMAJOR;
  identity.ProtocolMinor = TWON_PROTOCOLMINOR;
  identity.SupportedGroups = DG_CONTROL | DG_IMAGE;
  std::snprintf(identity.Manufacturer, sizeof identity.Manufacturer, "Fake Works");
  std::snprintf(identity.ProductName, sizeof identity.ProductName, "%s", name.c_str());
}

TW_HANDLE BuildContainer(const FakeCapability& capability) {
  const std::size_t itemSize = capability.itemType == TWTY_UINT16 ? 2 : 4;
  const std::size_t count = capability.items.size();
  std::size_t header = 0;
  switch (capability.containerType) {
    case TWON_ARRAY:
      header = offsetof(TW_ARRAY, ItemList);
      break;
    case TWON_ENUMERATION:
      header = offsetof(TW_ENUMERATION, ItemList);
      break;
    case TWON_RANGE:
      header = sizeof(TW_RANGE);
      break;
    default:
      header = sizeof(TW_ONEVALUE);
      break;
  }
  const bool isList =
      capability.containerType == TWON_ARRAY || capability.containerType == TWON_ENUMERATION;
  TW_HANDLE handle = GlobalAlloc(header + (isList ? count * itemSize : 0));
  auto* bytes = static_cast<unsigned char*>(GlobalLock(handle));
  std::memcpy(bytes, &capability.itemType, 2);
  if (isList) {
    const auto numItems = static_cast<TW_UINT32>(count);
    std::memcpy(bytes + 2, &numItems, 4);
    if (capability.containerType == TWON_ENUMERATION) {
      std::memcpy(bytes + 6, &capability.currentIndex, 4);
    }
    for (std::size_t i = 0; i < count; ++i) {
      std::memcpy(bytes + header + i * itemSize, &capability.items[i], itemSize);
    }
  } else {
    for (std::size_t i = 0; i < count && 2 + i * 4 + 4 <= header; ++i) {
      std::memcpy(bytes + 2 + i * 4, &capability.items[i], 4);
    }
  }
  GlobalUnlock(handle);
  return handle;
}

TW_UINT16 GetCapability(FakeDsmScript& script, TW_CAPABILITY& request) {
  auto found = script.capabilities.find(request.Cap);
  if (found == script.capabilities.end())
    return TWRC_FAILURE;
  request.ConType = found->second.containerType;
  request.hContainer = BuildContainer(found->second);
  return TWRC_SUCCESS;
}

TW_UINT16 SetCapability(FakeDsmScript& script, const TW_CAPABILITY& request) {
  const void* data = GlobalLock(request.hContainer);
  if (data == nullptr)
    return TWRC_FAILURE;
  TW_ONEVALUE value;
  std::memcpy(&value, data, sizeof value);
  script.capabilitySets.push_back(
      {request.Cap, request.ConType, value.ItemType, value.Item, GlobalSize(request.hContainer)});
  GlobalUnlock(request.hContainer);
  return TWRC_SUCCESS;
}

TW_UINT16 Answer(TW_UINT16 code, bool allowed) {
  return allowed ? code : TWRC_FAILURE;
}

TW_UINT16 ManagerCall(FakeDsmScript& script, TW_IDENTITY* origin, TW_UINT16 type, TW_UINT16 message,
                      TW_MEMREF data) {
  if (type == DAT_PARENT && message == MSG_OPENDSM) {
    if (script.managerOpen)
      return TWRC_FAILURE;
    script.managerOpen = true;
    origin->Id = kAppId;
    script.appIdentity = *origin;
    script.parent = *static_cast<QObject**>(data);
    return TWRC_SUCCESS;
  }
  if (type == DAT_PARENT && message == MSG_CLOSEDSM) {
    if (!script.managerOpen || script.sourceOpen)
      return TWRC_FAILURE;
    script.managerOpen = false;
    return TWRC_SUCCESS;
  }
  auto* identity = static_cast<TW_IDENTITY*>(data);
  switch (message) {
    case MSG_GETDEFAULT:
      if (!script.hasDefaultSource)
        return TWRC_FAILURE;
      FillIdentity(*identity, script.defaultSourceName);
      return TWRC_SUCCESS;
    case MSG_USERSELECT:
      FillIdentity(*identity, script.userSelectedName);
      return TWRC_SUCCESS;
    case MSG_OPENDS:
      if (!script.managerOpen || script.sourceOpen || identity->Id != kSourceId) {
        return TWRC_FAILURE;
      }
      script.sourceOpen = true;
      return TWRC_SUCCESS;
    case MSG_CLOSEDS:
      if (!script.sourceOpen || script.sourceEnabled)
        return TWRC_FAILURE;
      script.sourceOpen = false;
      return TWRC_SUCCESS;
    default:
      return TWRC_FAILURE;
  }
}

TW_UINT16 EnableSource(FakeDsmScript& script, const TW_USERINTERFACE& ui) {
  script.userInterfaces.push_back(ui);
  if (!script.sourceOpen || script.sourceEnabled)
    return TWRC_FAILURE;
  script.sourceEnabled = true;
  auto* parent = static_cast<QObject*>(ui.hParent);
  script.enabledParent = parent;
  for (TW_UINT16 message : script.eventsOnEnable)
    PostFakeSourceEvent(script, parent, message);
  return TWRC_SUCCESS;
}

TW_UINT16 ProcessEvent(FakeDsmScript& script, TW_EVENT& event) {
  auto* received = static_cast<QEvent*>(event.pEvent);
  if (received == nullptr || received->type() != script.eventType)
    return TWRC_NOTDSEVENT;
  const auto* sourceEvent = static_cast<FakeSourceEvent*>(received);
  if (sourceEvent->IsAnnouncement() && !std::exchange(script.announcementPending, false)) {
    event.TWMessage = MSG_NULL;  // the batch was reset after it was posted
    return TWRC_DSEVENT;
  }
  event.TWMessage = sourceEvent->Message();
  if (event.TWMessage == MSG_XFERREADY)
    script.transferReady = true;
  script.calls.push_back("ProcessEvent " + std::to_string(event.TWMessage));
  return TWRC_DSEVENT;
}

TW_UINT16 NativeTransfer(FakeDsmScript& script, TW_HANDLE& image) {
  if (!script.transferReady || (script.pages.empty() && script.repeatCount == 0))
    return TWRC_FAILURE;
  std::vector<std::uint8_t> page;
  if (script.pages.empty()) {
    page = script.repeatedPage;
    --script.repeatCount;
  } else {
    page = std::move(script.pages.front());
    script.pages.pop_front();
  }
  image = GlobalAlloc(page.size());
  std::memcpy(GlobalLock(image), page.data(), page.size());
  GlobalUnlock(image);
  return TWRC_XFERDONE;
}

TW_UINT16 EndTransfer(FakeDsmScript& script, TW_PENDINGXFERS& pending) {
  if (!script.transferReady)
    return TWRC_FAILURE;
  if (!script.pendingCounts.empty()) {
    pending.Count = script.pendingCounts.front();
    script.pendingCounts.pop_front();
  } else {
    pending.Count = static_cast<TW_UINT16>(script.pages.size() + script.repeatCount);
  }
  script.transferReady = pending.Count != 0;
  if (script.transferReady && script.announceEachPage && script.enabledParent != nullptr) {
    script.announcementPending = true;
    QCoreApplication::postEvent(script.enabledParent,
                                new FakeSourceEvent(script.eventType, MSG_XFERREADY, true));
  }
  return TWRC_SUCCESS;
}

TW_UINT16 SourceCall(FakeDsmScript& script, TW_UINT32 group, TW_UINT16 type, TW_UINT16 message,
                     TW_MEMREF data) {
  const bool open = script.sourceOpen;
  const bool enabled = script.sourceEnabled;
  if (group == DG_CONTROL && type == DAT_CAPABILITY) {
    auto& request = *static_cast<TW_CAPABILITY*>(data);
    if (!open)
      return TWRC_FAILURE;
    return message == MSG_GET ? GetCapability(script, request) : SetCapability(script, request);
  }
  if (group == DG_CONTROL && type == DAT_USERINTERFACE && message == MSG_ENABLEDS) {
    return EnableSource(script, *static_cast<TW_USERINTERFACE*>(data));
  }
  if (group == DG_CONTROL && type == DAT_USERINTERFACE) {
    script.userInterfaces.push_back(*static_cast<TW_USERINTERFACE*>(data));
    if (!enabled || script.transferReady)
      return TWRC_FAILURE;
    script.sourceEnabled = false;
    script.announcementPending = false;
    return TWRC_SUCCESS;
  }
  if (type == DAT_EVENT)
    return Answer(ProcessEvent(script, *static_cast<TW_EVENT*>(data)), open);
  if (type == DAT_PENDINGXFERS && message == MSG_ENDXFER) {
    return EndTransfer(script, *static_cast<TW_PENDINGXFERS*>(data));
  }
  if (type == DAT_PENDINGXFERS) {
    static_cast<TW_PENDINGXFERS*>(data)->Count = 0;
    script.transferReady = false;
    script.announcementPending = false;
    script.pages.clear();
    script.repeatCount = 0;
    return Answer(TWRC_SUCCESS, enabled);
  }
  if (type == DAT_IMAGEINFO)
    return Answer(TWRC_SUCCESS, script.transferReady);
  if (type == DAT_IMAGELAYOUT && message == MSG_GET) {
    *static_cast<TW_IMAGELAYOUT*>(data) = script.layout;
    return Answer(TWRC_SUCCESS, open);
  }
  if (type == DAT_IMAGELAYOUT) {
    script.layoutsSet.push_back(*static_cast<TW_IMAGELAYOUT*>(data));
    return Answer(TWRC_SUCCESS, open && !enabled);
  }
  if (type == DAT_IMAGENATIVEXFER)
    return NativeTransfer(script, *static_cast<TW_HANDLE*>(data));
  return TWRC_FAILURE;
}

// The code a call answers when the script takes it over.
bool IsSuccessCode(const std::string& call, TW_UINT16 code) {
  if (call == "GetNativeXfer")
    return code == TWRC_XFERDONE;
  return code == TWRC_SUCCESS;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) FakeDsmScript* FakeDsm_Script() {
  return &Script();
}

extern "C" __attribute__((visibility("default"))) TW_UINT16 DSM_Entry(
    TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 type,
    TW_UINT16 message, TW_MEMREF data) {
  FakeDsmScript& script = Script();
  const std::string call = CallName(group, type, message, data);
  if (type != DAT_EVENT)
    script.calls.push_back(call);
  TW_UINT16 code = TWRC_SUCCESS;
  if (ScriptedCode(script, call, code) && !IsSuccessCode(call, code)) {
    if (message == MSG_USERSELECT)
      std::memset(data, 0, sizeof(TW_IDENTITY));
    return code;
  }
  if (destination == nullptr)
    return ManagerCall(script, origin, type, message, data);
  if (destination->Id != kSourceId || origin->Id != kAppId)
    ++script.wrongDestinations;
  return SourceCall(script, group, type, message, data);
}
