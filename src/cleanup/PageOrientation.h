#pragma once

struct TextLines;

// Which way up a page's text stands, read from its letters: Latin text has
// far more ascenders (b, d, h, k, l) than descenders (g, p, q), so the side
// most strokes stick out to is up.
struct UprightVote {
  int clockwiseTurn = 0;  // 0, 90, 180 or 270 to stand the page upright
  bool letters = false;   // strokes enough to count were found
  bool sure = false;      // the count leaves no reasonable doubt
  float confidence = 0;   // ascenders over descenders in standard deviations; negative: upside down
};

// Reads the ascenders of the lines found on a page's ink image.
UprightVote ReadAscenders(const TextLines& lines);
