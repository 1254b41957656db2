#pragma once

// Writes a small GIF with several frames through giflib (our own encoder
// writes single frames only): frame i is filled with colour index i % 2,
// black and white alternating.

#include <gif_lib.h>

#include <string>
#include <vector>

namespace test_images {

inline bool WriteFramesGif(const std::string& path, int frames, int width, int height) {
  int error = 0;
  GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
  if (gif == nullptr)
    return false;
  const GifColorType colours[] = {{0, 0, 0}, {255, 255, 255}};
  ColorMapObject* map = GifMakeMapObject(2, colours);
  bool ok = EGifPutScreenDesc(gif, width, height, 1, 0, map) != GIF_ERROR;
  std::vector<GifPixelType> line(static_cast<std::size_t>(width));
  for (int f = 0; ok && f < frames; ++f) {
    std::fill(line.begin(), line.end(), static_cast<GifPixelType>(f % 2));
    ok = EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) != GIF_ERROR;
    for (int y = 0; ok && y < height; ++y)
      ok = EGifPutLine(gif, line.data(), width) != GIF_ERROR;
  }
  ok = EGifCloseFile(gif, &error) != GIF_ERROR && ok;
  GifFreeMapObject(map);
  return ok;
}

}  // namespace test_images
