#include "dsm/SourceDirectory.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace {

constexpr std::size_t kNameBytes = 32;

void CopyText(char (&target)[34], const std::string& text) {
  const std::string cut = CutUtf8(text, kNameBytes);
  std::memset(target, 0, sizeof target);
  std::memcpy(target, cut.data(), cut.size());
}

std::string BaseName(const SaneDeviceInfo& device) {
  std::string name = device.vendor;
  if (!device.model.empty())
    name += (name.empty() ? "" : " ") + device.model;
  return name.empty() ? device.name : name;
}

}  // namespace

std::string CutUtf8(const std::string& text, std::size_t bytes) {
  if (text.size() <= bytes)
    return text;
  std::size_t end = bytes;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
    --end;  // step back to the start of the character that does not fit
  return text.substr(0, end);
}

std::vector<std::string> MakeProductNames(const std::vector<SaneDeviceInfo>& devices) {
  std::vector<std::string> names;
  std::set<std::string> taken;
  for (const SaneDeviceInfo& device : devices) {
    const std::string base = BaseName(device);
    std::string name = CutUtf8(base, kNameBytes);
    for (int copy = 2; taken.count(name) != 0; ++copy) {
      const std::string suffix = " (" + std::to_string(copy) + ")";
      name = CutUtf8(base, kNameBytes - suffix.size()) + suffix;
    }
    taken.insert(name);
    names.push_back(name);
  }
  return names;
}

TW_UINT32 SourceDirectory::IdFor(const std::string& deviceName) {
  const auto [position, added] = ids_.emplace(deviceName, nextId_);
  if (added)
    ++nextId_;
  return position->second;
}

void SourceDirectory::Provide(const SaneDeviceInfo& device) {
  if (FindByDevice(device.name) != nullptr)
    return;
  const bool listed = listed_;
  std::vector<SaneDeviceInfo> devices;
  for (const SourceEntry& entry : entries_)
    devices.push_back(entry.device);
  devices.push_back(device);
  Update(devices);
  listed_ = listed;
}

void SourceDirectory::Update(const std::vector<SaneDeviceInfo>& devices) {
  std::vector<SaneDeviceInfo> sorted = devices;  // stable names whatever order SANE lists in
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const auto& a, const auto& b) { return a.name < b.name; });
  const std::vector<std::string> names = MakeProductNames(sorted);
  entries_.clear();
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    SourceEntry entry{sorted[i], {}};
    TW_IDENTITY& identity = entry.identity;
    identity.Id = IdFor(sorted[i].name);
    identity.Version = {1, 0, TWLG_USA, TWCY_USA, {}};
    CopyText(identity.Version.Info, "SANE " + sorted[i].type);
    identity.ProtocolMajor = kManagerProtocolMajor;
    identity.ProtocolMinor = kManagerProtocolMinor;
    identity.SupportedGroups = DG_CONTROL | DG_IMAGE | DF_DS2;
    CopyText(identity.Manufacturer, sorted[i].vendor);
    CopyText(identity.ProductFamily, sorted[i].model);
    CopyText(identity.ProductName, names[i]);
    entries_.push_back(entry);
  }
  listed_ = true;
}

const SourceEntry* SourceDirectory::FindById(TW_UINT32 id) const {
  for (const SourceEntry& entry : entries_)
    if (entry.identity.Id == id)
      return &entry;
  return nullptr;
}

const SourceEntry* SourceDirectory::FindByProductName(const std::string& productName) const {
  for (const SourceEntry& entry : entries_)
    if (productName == entry.identity.ProductName)
      return &entry;
  return nullptr;
}

const SourceEntry* SourceDirectory::FindByDevice(const std::string& deviceName) const {
  for (const SourceEntry& entry : entries_)
    if (entry.device.name == deviceName)
      return &entry;
  return nullptr;
}
