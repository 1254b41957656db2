#pragma once

#include <cstdint>

// Rates of saving, combining and expanding, in bytes per second, as the
// estimated-speed settings keep them.

// Assumed when the size of the input cannot be determined.
inline constexpr std::int64_t kUnknownInputBytes = 1000000;

// bytes × 1000 / elapsed, with anything under 15 ms counted as 15 ms (the
// clock is no finer); clamped to what the setting can hold.
std::int32_t MeasuredRate(std::int64_t inputBytes, std::int64_t elapsedMilliseconds);

// bytes × 1000 / rate, with a stored rate below 1 taken as 1.
std::int64_t ExpectedMilliseconds(std::int64_t inputBytes, std::int32_t storedRate);
