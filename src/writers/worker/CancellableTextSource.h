#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "ocr/PageTextSource.h"

// A page text source the user can stop: once cancelled, every page whose text
// is not known yet is answered at once without text, so the writer finishes
// the document with page images only for those pages.
class CancellableTextSource : public PageTextSource {
 public:
  explicit CancellableTextSource(std::shared_ptr<PageTextSource> source);

  void Cancel() { cancelled_.store(true); }
  bool IsCancelled() const { return cancelled_.load(); }

  void Prepare(const std::vector<std::string>& pageFiles) override;
  PageTextResult TextOf(const std::string& pageFile) override;
  int CountFinished(const std::vector<std::string>& pageFiles) const override;

 private:
  std::shared_ptr<PageTextSource> source_;
  std::atomic<bool> cancelled_{false};
};
