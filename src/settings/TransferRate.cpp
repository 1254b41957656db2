#include "settings/TransferRate.h"

#include <algorithm>
#include <limits>

namespace {
constexpr std::int64_t kShortestMeasurableMilliseconds = 15;
}

std::int32_t MeasuredRate(std::int64_t inputBytes, std::int64_t elapsedMilliseconds) {
  const std::int64_t elapsed = std::max(elapsedMilliseconds, kShortestMeasurableMilliseconds);
  const std::int64_t bytes = std::clamp<std::int64_t>(inputBytes, 0, kUnknownInputBytes * 1000000);
  const std::int64_t rate = bytes * 1000 / elapsed;
  return static_cast<std::int32_t>(
      std::min<std::int64_t>(rate, std::numeric_limits<std::int32_t>::max()));
}

std::int64_t ExpectedMilliseconds(std::int64_t inputBytes, std::int32_t storedRate) {
  const std::int64_t rate = std::max<std::int32_t>(storedRate, 1);
  const std::int64_t bytes = std::clamp<std::int64_t>(inputBytes, 0, kUnknownInputBytes * 1000000);
  return bytes * 1000 / rate;
}
