#pragma once

#include <cstddef>
#include <cstdint>

// Turns one line of SANE samples into one DIB row. `depth` is SANE's bits per
// sample (1, 8 or 16; 16-bit samples are in host order and keep their high
// byte). SANE lineart marks black with 1; the DIB palette has black at 0.

// RGB samples to BGR pixels.
void ConvertRgbRow(const std::uint8_t* line, int pixels, int depth, std::uint8_t* row);
// Grey samples to 8-bit grey pixels.
void ConvertGrayRow(const std::uint8_t* line, int pixels, int depth, std::uint8_t* row);
// One colour of a three-pass scan into its place (0 blue, 1 green, 2 red) of BGR pixels.
void ConvertChannelRow(const std::uint8_t* line, int pixels, int depth, int channel,
                       std::uint8_t* row);
// 1-bit SANE lineart to a 1-bit DIB row.
void ConvertLineartRow(const std::uint8_t* line, int pixels, std::uint8_t* row);
// 8-bit grey to 1-bit: at least half intensity is white.
void ThresholdGrayRow(const std::uint8_t* grey, int pixels, std::uint8_t* row);

// Bytes one line of `pixels` needs at `depth` with `channels` samples per pixel.
std::size_t SaneLineBytes(int pixels, int depth, int channels);
