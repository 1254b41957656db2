#pragma once

#include <map>
#include <string>
#include <vector>

#include "dsm/SaneApi.h"
#include "twain/TwainTypes.h"

// The TWAIN protocol the manager and its sources speak, in every identity they give.
inline constexpr TW_UINT16 kManagerProtocolMajor = 2;
inline constexpr TW_UINT16 kManagerProtocolMinor = 4;

struct SourceEntry {
  SaneDeviceInfo device;
  TW_IDENTITY identity{};
};

// The devices SANE lists, as TWAIN identities. A device keeps its Id for the
// manager's lifetime; its product name is vendor and model, made unique and
// cut to the 32 characters an identity holds.
class SourceDirectory {
 public:
  explicit SourceDirectory(TW_UINT32 firstId) : nextId_(firstId) {}

  void Update(const std::vector<SaneDeviceInfo>& devices);
  // Stands in for the listing until it comes: this one device, as it was
  // listed before. The directory counts as listed only after Update.
  void Provide(const SaneDeviceInfo& device);
  bool IsListed() const { return listed_; }
  const std::vector<SourceEntry>& Entries() const { return entries_; }
  const SourceEntry* FindById(TW_UINT32 id) const;
  const SourceEntry* FindByProductName(const std::string& productName) const;
  const SourceEntry* FindByDevice(const std::string& deviceName) const;

 private:
  TW_UINT32 IdFor(const std::string& deviceName);

  TW_UINT32 nextId_;
  bool listed_ = false;
  std::map<std::string, TW_UINT32> ids_;
  std::vector<SourceEntry> entries_;
};

// Cuts `text` to at most `bytes` bytes without splitting a UTF-8 character.
std::string CutUtf8(const std::string& text, std::size_t bytes);
// One product name per device, in the order given.
std::vector<std::string> MakeProductNames(const std::vector<SaneDeviceInfo>& devices);
