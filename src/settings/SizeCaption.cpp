#include "settings/SizeCaption.h"

#include "settings/LengthValue.h"

std::string SizeCaption(std::int32_t width, std::int32_t height, Units units) {
  LengthValue length(units);
  length.Set(width);
  std::string caption = length.FormatWithSuffix() + " x ";
  length.Set(height);
  return caption + length.FormatWithSuffix();
}

std::string SizeCaption(const DocumentSize& size, Units units) {
  return SizeCaption(size.Width(), size.Height(), units);
}
