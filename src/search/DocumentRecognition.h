#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

class PageRecognizer;

// The text of a document that has none stored, one string per page: a
// picture file (every page of a multi-page TIFF) or each page of a PDF without
// a text layer, drawn and read by the recognition engine. `pages` holds the
// pages read so far and grows as they are read; `pageRead`, when given, is
// called after each page but the last, with the pages read until then. False
// when `stop` was set meanwhile: the pages read until then stay in `pages`,
// and a later call with them goes on from the next page, so a document is
// never indexed with only part of its text nor read twice after a pause.
bool RecognizeDocument(
    const std::string& path, PageRecognizer& engine, const std::atomic<bool>& stop,
    std::vector<std::string>& pages,
    const std::function<void(const std::vector<std::string>& pages)>& pageRead = {});
