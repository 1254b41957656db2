#pragma once

#include <cstdint>
#include <string>
#include <utility>

// A named paper size in thousandths of an inch. Two sizes are equal when the
// names match byte for byte and both dimensions match.
class DocumentSize {
 public:
  DocumentSize() = default;
  DocumentSize(std::string name, std::int32_t width, std::int32_t height);

  const std::string& Name() const { return name_; }
  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }

  void SetName(std::string name) { name_ = std::move(name); }
  void SetSize(std::int32_t width, std::int32_t height);

  friend bool operator==(const DocumentSize&, const DocumentSize&) = default;

 private:
  std::string name_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
};
