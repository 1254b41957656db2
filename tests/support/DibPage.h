#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

// A page as a scanner hands it over: a bottom-up 24-bit device-independent
// bitmap at 300 dpi with rows padded to 4 bytes, filled with one shade.
inline std::vector<std::uint8_t> MakeFakePage(int width, int height, std::uint8_t shade) {
  const int stride = (width * 3 + 3) / 4 * 4;
  std::vector<std::uint8_t> bytes(40 + static_cast<std::size_t>(stride) * height, shade);
  const auto put = [&bytes](std::size_t offset, auto value) {
    std::memcpy(bytes.data() + offset, &value, sizeof value);
  };
  put(0, std::uint32_t{40});
  put(4, std::int32_t{width});
  put(8, std::int32_t{height});
  put(12, std::uint16_t{1});
  put(14, std::uint16_t{24});
  put(16, std::uint32_t{0});
  put(20, static_cast<std::uint32_t>(stride * height));
  put(24, std::int32_t{11811});
  put(28, std::int32_t{11811});
  put(32, std::uint32_t{0});
  put(36, std::uint32_t{0});
  return bytes;
}
