#pragma once

#include <string>

// Picture files for the viewer tests, written with the program's own imaging
// module into the test's private temporary folder.

// A colour PNG of the given size, pixel (x, y) = (x, y, 128); returns its path.
std::string WritePng(const std::string& name, int width, int height);

// A 1-bit PNG, white with a black first column; returns its path.
std::string WriteBlackAndWhitePng(const std::string& name, int width, int height);

// A TIFF of `pages` pages; page i is 100 + 10 i pixels wide, so a test can
// tell the pages apart by their size.
std::string WriteMultiPageTiff(const std::string& name, int pages);

// A file with a picture's extension and garbage inside.
std::string WriteBrokenPicture(const std::string& name);

// Any file; returns its path.
std::string WriteText(const std::string& name);
