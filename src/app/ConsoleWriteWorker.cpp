#include "app/ConsoleWriteWorker.h"

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <new>

#include "app/CommandOutcome.h"
#include "core/DebugLog.h"
#include "core/Paths.h"
#include "settings/TransferRate.h"
#include "twain/GlobalMemory.h"
#include "writers/CreateDocumentWriter.h"
#include "writers/FailureText.h"

namespace {

bool ShowsProgress() {
  static const bool terminal = ::isatty(STDERR_FILENO) == 1;
  return terminal;
}

}  // namespace

ConsoleWriteWorker::ConsoleWriteWorker(FileFormatType format, CommandOutcome& outcome)
    : format_(format), outcome_(outcome) {}

template <typename Operation>
ResultCode ConsoleWriteWorker::Run(const std::string& target, std::uint64_t inputBytes,
                                   Operation operation) {
  if (ShowsProgress())
    std::fprintf(stderr, "%s %s\n", caption_.c_str(), target.c_str());
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
    outcome_.SetWriteFailure(errorText_);
  }
  return result;
}

ResultCode ConsoleWriteWorker::Save(const std::vector<std::string>& pageFiles,
                                    const std::string& fileName, int width, int height) {
  std::uint64_t bytes = 0;
  for (const std::string& page : pageFiles)
    bytes += GetFileSize(page);
  return Run(fileName, bytes, [&](IDocumentWriter& writer) {
    return writer.Save(pageFiles, fileName, width, height);
  });
}

ResultCode ConsoleWriteWorker::Save(PageImageHandle image, const std::string& fileName,
                                    int resolution, bool rotate) {
  return Run(fileName, GlobalSize(image), [&](IDocumentWriter& writer) {
    return writer.Save(image, fileName, resolution, rotate);
  });
}

ResultCode ConsoleWriteWorker::Expand(const std::string& sourceFile, const std::string& folder,
                                      const std::string& nameFormat,
                                      std::vector<std::string>& files, PageSize& pageSize) {
  return Run(sourceFile, static_cast<std::uint64_t>(kUnknownInputBytes),
             [&](IDocumentWriter& writer) {
               return writer.Expand(sourceFile, folder, nameFormat, files, pageSize);
             });
}
