#include "app/ConsoleWriteWorker.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

#include "app/CommandOutcome.h"
#include "app/ProgressLine.h"
#include "core/DebugLog.h"
#include "core/Paths.h"
#include "ocr/PageTextSource.h"
#include "settings/TransferRate.h"
#include "twain/GlobalMemory.h"
#include "writers/CreateDocumentWriter.h"
#include "writers/FailureText.h"

namespace {

constexpr auto kProgressInterval = std::chrono::milliseconds(200);

// A failure that names one of the files the operation reads is bad input, not
// a failed write: the writers' reasons start with the file they concern.
bool NamesInput(const std::string& reason, const std::vector<std::string>& inputs) {
  return std::any_of(inputs.begin(), inputs.end(), [&reason](const std::string& input) {
    return reason.rfind(input + ":", 0) == 0;
  });
}

// While a searchable PDF is written, "Recognising text: page 3 of 10" from a
// thread of its own: the writer waits for the text in place.
class RecognitionProgress {
 public:
  RecognitionProgress(std::shared_ptr<PageTextSource> source, std::vector<std::string> pages)
      : source_(std::move(source)), pages_(std::move(pages)) {
    if (source_ && !pages_.empty() && ProgressLine::Shown())
      thread_ = std::thread([this] { Tell(); });
  }
  ~RecognitionProgress() {
    if (!thread_.joinable())
      return;
    {
      const std::lock_guard lock(mutex_);
      done_ = true;
    }
    wake_.notify_one();
    thread_.join();
    ProgressLine::End();
  }
  RecognitionProgress(const RecognitionProgress&) = delete;
  RecognitionProgress& operator=(const RecognitionProgress&) = delete;

 private:
  void Tell() {
    const int total = static_cast<int>(pages_.size());
    std::unique_lock lock(mutex_);
    while (!done_) {
      const int page = std::min(source_->CountFinished(pages_) + 1, total);
      ProgressLine::Show(RecognitionProgressText(page, total));
      wake_.wait_for(lock, kProgressInterval);
    }
  }

  std::shared_ptr<PageTextSource> source_;
  std::vector<std::string> pages_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false;  // guarded by mutex_
  std::thread thread_;
};

}  // namespace

ConsoleWriteWorker::ConsoleWriteWorker(FileFormatType format, CommandOutcome& outcome)
    : format_(format), outcome_(outcome) {}

template <typename Operation>
ResultCode ConsoleWriteWorker::Run(const std::string& target,
                                   const std::vector<std::string>& inputs, std::uint64_t inputBytes,
                                   Operation operation) {
  const auto start = std::chrono::steady_clock::now();
  ResultCode result = E_FAIL;
  try {
    std::unique_ptr<IDocumentWriter> writer = CreateDocumentWriter(format_);
    writer->SetPageTextSource(textSource_);
    writer->SetPageCleaner(cleaner_);
    result = operation(*writer);
    errorText_ = Failed(result) ? writer->GetErrorText() : std::string();
  } catch (const std::bad_alloc&) {
    result = E_OUTOFMEMORY;
    errorText_ = FailureText(target, "out of memory");
  }
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  measuredRate_ = static_cast<unsigned int>(
      ::MeasuredRate(static_cast<std::int64_t>(inputBytes), elapsed.count()));
  if (Failed(result)) {
    if (errorText_.empty())
      errorText_ = FailureText(target, "the writer gave no reason");
    Log(LOG_LOCATION, "ConsoleWriteWorker::Run(): failed with 0x%08X: %s",
        static_cast<unsigned>(result), errorText_.c_str());
    outcome_.SetWriteFailure(errorText_, NamesInput(errorText_, inputs) ? kExitInput : kExitWrite);
  }
  return result;
}

ResultCode ConsoleWriteWorker::Save(const std::vector<std::string>& pageFiles,
                                    const std::string& fileName, int width, int height) {
  std::uint64_t bytes = 0;
  for (const std::string& page : pageFiles)
    bytes += GetFileSize(page);
  ProgressLine::Show(caption_ + " " + fileName);
  const RecognitionProgress progress(textSource_, pageFiles);
  const ResultCode result = Run(fileName, pageFiles, bytes, [&](IDocumentWriter& writer) {
    return writer.Save(pageFiles, fileName, width, height);
  });
  ProgressLine::End();
  return result;
}

ResultCode ConsoleWriteWorker::Save(PageImageHandle image, const std::string& fileName,
                                    int resolution, bool rotate) {
  // Each page of a scan: the scan's own progress line tells of it.
  return Run(fileName, {}, GlobalSize(image), [&](IDocumentWriter& writer) {
    return writer.Save(image, fileName, resolution, rotate);
  });
}

ResultCode ConsoleWriteWorker::Expand(const std::string& sourceFile, const std::string& folder,
                                      const std::string& nameFormat,
                                      std::vector<std::string>& files, PageSize& pageSize) {
  ProgressLine::Show(caption_ + " " + sourceFile);
  const ResultCode result =
      Run(sourceFile, {sourceFile}, static_cast<std::uint64_t>(kUnknownInputBytes),
          [&](IDocumentWriter& writer) {
            return writer.Expand(sourceFile, folder, nameFormat, files, pageSize);
          });
  ProgressLine::End();
  return result;
}
