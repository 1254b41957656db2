#pragma once

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

// The matcher's program and backtracking stack grow by an eighth of their size,
// at least 4 and at most 1024 entries at a time, so short names stay small and
// long texts never double a large stack at once.
inline std::size_t GrowthStep(std::size_t capacity) {
  return std::clamp<std::size_t>(capacity / 8, 4, 1024);
}

template <typename T>
void ReserveForMore(std::vector<T>& array, std::size_t extra) {
  std::size_t capacity = array.capacity();
  while (capacity < array.size() + extra)
    capacity += GrowthStep(capacity);
  if (capacity != array.capacity())
    array.reserve(capacity);
}

template <typename T>
void AppendGrowing(std::vector<T>& array, T value) {
  ReserveForMore(array, 1);
  array.push_back(std::move(value));
}
