#pragma once

#include <cstddef>
#include <cstdint>

enum class ImageFormat { Unknown, Bmp, Jpeg, Gif, Png, Tiff };

// Recognises a format by the first bytes of its data (at least 8 are needed).
ImageFormat DetectImageFormat(const std::uint8_t* data, std::size_t size);
