#include "dsm/CapabilityContainer.h"

#include <cstring>

#include "dsm/HandleRegistry.h"
#include "twain/GlobalMemory.h"

namespace {

void PutItem(TW_UINT8* list, std::size_t index, TW_UINT16 itemType, TW_UINT32 item) {
  const std::size_t size = CapabilityItemSize(itemType);
  std::memcpy(list + index * size, &item, size);  // little-endian: the low bytes
}

TW_UINT32 GetItem(const TW_UINT8* list, std::size_t index, TW_UINT16 itemType) {
  TW_UINT32 item = 0;
  const std::size_t size = CapabilityItemSize(itemType);
  std::memcpy(&item, list + index * size, size);
  return item;
}

template <typename Container, typename Fill>
TW_HANDLE MakeContainer(std::size_t bytes, Fill fill) {
  TW_HANDLE handle = GlobalAlloc(bytes);
  auto* container = static_cast<Container*>(GlobalLock(handle));
  if (container == nullptr)
    return GlobalFree(handle);
  fill(*container);
  GlobalUnlock(handle);
  return handle;
}

// A locked view of a container the application handed over.
class LockedBlock {
 public:
  explicit LockedBlock(TW_HANDLE handle)
      : handle_(handle), data_(static_cast<const TW_UINT8*>(GlobalLock(handle))) {}
  ~LockedBlock() { GlobalUnlock(handle_); }
  LockedBlock(const LockedBlock&) = delete;
  LockedBlock& operator=(const LockedBlock&) = delete;
  const TW_UINT8* Data() const { return data_; }
  std::size_t Size() const { return data_ != nullptr ? GlobalSize(handle_) : 0; }

 private:
  TW_HANDLE handle_;
  const TW_UINT8* data_;
};

}  // namespace

TW_HANDLE MakeOneValue(TW_UINT16 itemType, TW_UINT32 item) {
  return MakeContainer<TW_ONEVALUE>(sizeof(TW_ONEVALUE), [&](TW_ONEVALUE& value) {
    value.ItemType = itemType;
    value.Item = item;
  });
}

TW_HANDLE MakeArray(TW_UINT16 itemType, const std::vector<TW_UINT32>& items) {
  const std::size_t bytes =
      offsetof(TW_ARRAY, ItemList) + items.size() * CapabilityItemSize(itemType);
  return MakeContainer<TW_ARRAY>(bytes, [&](TW_ARRAY& array) {
    array.ItemType = itemType;
    array.NumItems = static_cast<TW_UINT32>(items.size());
    for (std::size_t i = 0; i < items.size(); ++i)
      PutItem(reinterpret_cast<TW_UINT8*>(&array) + offsetof(TW_ARRAY, ItemList), i, itemType,
              items[i]);
  });
}

TW_HANDLE MakeEnumeration(TW_UINT16 itemType, const std::vector<TW_UINT32>& items,
                          TW_UINT32 currentIndex, TW_UINT32 defaultIndex) {
  const std::size_t bytes =
      offsetof(TW_ENUMERATION, ItemList) + items.size() * CapabilityItemSize(itemType);
  return MakeContainer<TW_ENUMERATION>(bytes, [&](TW_ENUMERATION& enumeration) {
    enumeration.ItemType = itemType;
    enumeration.NumItems = static_cast<TW_UINT32>(items.size());
    enumeration.CurrentIndex = currentIndex;
    enumeration.DefaultIndex = defaultIndex;
    for (std::size_t i = 0; i < items.size(); ++i)
      PutItem(reinterpret_cast<TW_UINT8*>(&enumeration) + offsetof(TW_ENUMERATION, ItemList), i,
              itemType, items[i]);
  });
}

TW_HANDLE MakeRange(TW_UINT16 itemType, TW_UINT32 minimum, TW_UINT32 maximum, TW_UINT32 step,
                    TW_UINT32 defaultValue, TW_UINT32 currentValue) {
  return MakeContainer<TW_RANGE>(sizeof(TW_RANGE), [&](TW_RANGE& range) {
    range.ItemType = itemType;
    range.MinValue = minimum;
    range.MaxValue = maximum;
    range.StepSize = step;
    range.DefaultValue = defaultValue;
    range.CurrentValue = currentValue;
  });
}

std::optional<SetValue> ReadSetValue(const TW_CAPABILITY& capability) {
  if (!handle_registry::IsBlock(capability.hContainer))
    return std::nullopt;
  const LockedBlock block(capability.hContainer);
  if (block.Data() == nullptr)
    return std::nullopt;
  if (capability.ConType == TWON_ONEVALUE && block.Size() >= sizeof(TW_ONEVALUE)) {
    TW_ONEVALUE value;
    std::memcpy(&value, block.Data(), sizeof value);
    const std::size_t itemSize = CapabilityItemSize(value.ItemType);
    if (itemSize == 0)
      return std::nullopt;
    const TW_UINT32 mask = itemSize >= 4 ? ~0u : (1u << (8 * itemSize)) - 1;
    return SetValue{value.ItemType, value.Item & mask};
  }
  constexpr std::size_t kListOffset = offsetof(TW_ENUMERATION, ItemList);
  if (capability.ConType != TWON_ENUMERATION || block.Size() < kListOffset)
    return std::nullopt;
  TW_ENUMERATION header;
  std::memcpy(&header, block.Data(), kListOffset);
  const std::size_t itemSize = CapabilityItemSize(header.ItemType);
  if (itemSize == 0 || header.CurrentIndex >= header.NumItems ||
      (block.Size() - kListOffset) / itemSize <= header.CurrentIndex)
    return std::nullopt;
  return SetValue{header.ItemType,
                  GetItem(block.Data() + kListOffset, header.CurrentIndex, header.ItemType)};
}
