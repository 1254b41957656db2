#pragma once

#include <cstddef>
#include <string>
#include <vector>

// How many bytes of drawing instructions each page of a PDF holds once
// decompressed: its content streams and the forms it draws. A small file can
// unpack to gigabytes of text operators, which a text reader turns into far
// more memory; this measures without interpreting anything, and stops
// counting a page past `most` bytes. Empty when the file cannot be read this
// way (the text reader then decides).
std::vector<std::size_t> PdfPageContentSizes(const std::string& path, std::size_t most);
