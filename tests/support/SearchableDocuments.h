#pragma once

#include <string>
#include <vector>

// Small documents for the archive search tests, written by our own writers:
// a PDF whose pages carry the given words as their text layer (one string of
// words per page), and a one-page TIFF with nothing to read but its name.
bool WriteSearchablePdf(const std::string& path, const std::vector<std::string>& pageWords);
bool WriteImageDocument(const std::string& path);
// A PDF of JPEG page files without a text layer, as a scan without recognition.
bool WritePdfWithoutText(const std::string& path, const std::vector<std::string>& jpegPages);
// A multi-page TIFF of page files, as Combine to TIFF writes it.
bool WriteTiffDocument(const std::string& path, const std::vector<std::string>& pages);
