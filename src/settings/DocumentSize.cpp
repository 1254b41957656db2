#include "settings/DocumentSize.h"

#include <utility>

DocumentSize::DocumentSize(std::string name, std::int32_t width, std::int32_t height)
    : name_(std::move(name)), width_(width), height_(height) {}

void DocumentSize::SetSize(std::int32_t width, std::int32_t height) {
  width_ = width;
  height_ = height;
}
