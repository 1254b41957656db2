#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/imaging/ImagingStatus.h"

// How a page file's picture goes into a PDF image: its compressed data copied
// as it stands wherever PDF reads it (JPEG, PNG image data, TIFF Group 4),
// black-and-white pages encoded as Group 4 (unless their PNG data is smaller
// still), anything else decoded and left to the PDF's own compression.
enum class PdfImageData { CopyJpeg, CopyPng, CopyFaxG4, EncodeFaxG4, EncodePixels };

struct PdfPageImage {
  std::string path;
  PdfImageData data = PdfImageData::EncodePixels;
  int width = 0;
  int height = 0;
  int components = 1;  // 1 grey or palette index, 3 RGB, 4 CMYK
  int bitsPerComponent = 8;
  std::vector<std::uint8_t> palette;  // RGB triplets: an indexed image
  bool invert = false;                // copied Group 4 whose white runs are black
  bool blackAndWhite = false;         // a 1-bit page of black and white, however stored
  // The file's bytes that make the image data, for the copied kinds.
  std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges;

  bool IsFax() const {
    return data == PdfImageData::CopyFaxG4 || data == PdfImageData::EncodeFaxG4;
  }
};

// Reads what a page file holds from its headers (decoding it only when its
// data cannot be copied), checking that the data to copy is whole.
ImagingStatus ProbePdfPageImage(const std::string& path, PdfPageImage& out);

// Hands the image's data to `sink`, reading the file again, so that a
// document's pages are in memory one at a time while it is written.
using PdfDataSink = std::function<void(const std::uint8_t* data, std::size_t size)>;
ImagingStatus WritePdfPageImage(const PdfPageImage& image, const PdfDataSink& sink);
