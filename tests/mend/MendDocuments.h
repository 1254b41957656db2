#pragma once

#include <string>
#include <vector>

// Small documents made for the mending tests, each page marked by its number
// (every sample of its image holds it), and read back page by page.
struct PageFacts {
  int marker = 0;
  int rotation = 0;      // a PDF page's /Rotate, a TIFF page's Orientation tag
  std::string rawImage;  // the image's bytes as stored, still compressed
};

// Pages 1..count, Flate-compressed images; `rotations` gives pages their own /Rotate.
void MakePdf(const std::string& path, int count, const std::vector<int>& rotations = {});
// Pages 1..count, LZW-compressed; `orientations` gives pages an Orientation tag (0: none).
void MakeTiff(const std::string& path, int count, const std::vector<int>& orientations = {});

std::vector<PageFacts> ReadPdfPages(const std::string& path);
std::vector<PageFacts> ReadTiffPages(const std::string& path);
