#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/FileFormatType.h"
#include "writers/WriteWorker.h"

class CommandOutcome;

// Runs each writer operation in place and tells what it writes on the
// progress line (recognition page by page for a searchable PDF). A failure's
// reason goes to the outcome, which reports it when the workflow tells of the
// failed save.
class ConsoleWriteWorker : public WriteWorker {
 public:
  ConsoleWriteWorker(FileFormatType format, CommandOutcome& outcome);

  ResultCode Save(const std::vector<std::string>& pageFiles, const std::string& fileName, int width,
                  int height) override;
  ResultCode Save(PageImageHandle image, const std::string& fileName, int resolution,
                  bool rotate) override;
  ResultCode Expand(const std::string& sourceFile, const std::string& folder,
                    const std::string& nameFormat, std::vector<std::string>& files,
                    PageSize& pageSize) override;
  std::string GetErrorText() const override { return errorText_; }

  void SetPageTextSource(std::shared_ptr<PageTextSource> source) override {
    textSource_ = std::move(source);
  }
  void SetPageCleaner(std::shared_ptr<PageCleaner> cleaner) override {
    cleaner_ = std::move(cleaner);
  }
  void SetProgressCaption(const std::string& caption) override { caption_ = caption; }
  void SetExpectedRate(unsigned int) override {}
  unsigned int MeasuredRate() override { return measuredRate_; }

 private:
  // `inputs` are the files the operation reads; a failure that names one is bad input.
  template <typename Operation>
  ResultCode Run(const std::string& target, const std::vector<std::string>& inputs,
                 std::uint64_t inputBytes, Operation operation);

  FileFormatType format_;
  CommandOutcome& outcome_;
  std::shared_ptr<PageTextSource> textSource_;
  std::shared_ptr<PageCleaner> cleaner_;
  std::string caption_;
  std::string errorText_;
  unsigned int measuredRate_ = 0;
};
