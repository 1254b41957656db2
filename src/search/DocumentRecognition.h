#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <vector>

class TextEngine;

// The text of a document that has none stored: a picture file (its first
// page) or each page of a PDF without a text layer, rendered and read by the
// recognition engine. Nothing when `stop` was set meanwhile, so the document
// is read again later rather than indexed with part of its text.
std::optional<std::vector<std::string>> RecognizeDocument(const std::string& path,
                                                          TextEngine& engine,
                                                          const std::atomic<bool>& stop);
