#pragma once

#include <string>
#include <vector>

// One recognised word in pixels of the upright page (see PageText): its box,
// and the line it sits on, so that words of a line share one height.
struct RecognizedWord {
  std::string text;  // UTF-8
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int lineTop = 0;
  int lineBottom = 0;
  int baseline = 0;  // of the line, below the word's middle
};

// The text of one page file. The engine reads the page turned upright: the
// image as stored turned `clockwiseTurn` degrees (0, 90, 180 or 270) clockwise,
// `width` by `height` pixels after the turn; word boxes are in that frame.
struct PageText {
  int width = 0;
  int height = 0;
  int clockwiseTurn = 0;
  std::vector<RecognizedWord> words;
};

// A page's text, or why there is none (the page is still written, as an image).
struct PageTextResult {
  bool recognized = false;
  PageText text;
  std::string failure;
};

// The page's words in reading order, separated by blanks: what search indexes.
inline std::string PlainText(const PageText& page) {
  std::string text;
  for (const RecognizedWord& word : page.words) {
    if (!text.empty())
      text += ' ';
    text += word.text;
  }
  return text;
}
