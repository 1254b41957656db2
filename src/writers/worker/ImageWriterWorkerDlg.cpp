#include "writers/worker/ImageWriterWorkerDlg.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <new>
#include <system_error>
#include <utility>

#include "core/ContractChecks.h"
#include "core/DebugLog.h"
#include "core/FileFormatType.h"
#include "core/Paths.h"
#include "ocr/PageTextSource.h"
#include "settings/TransferRate.h"
#include "twain/GlobalMemory.h"
#include "writers/CreateDocumentWriter.h"
#include "writers/FailureText.h"
#include "writers/worker/CancellableTextSource.h"
#include "writers/worker/ProgressDlg.h"

namespace {

std::uint32_t SteadyTicks() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

template <typename T, typename V>
T ClampTo(V value, T highest) {
  return std::cmp_greater(value, highest) ? highest : static_cast<T>(value);
}

}  // namespace

ImageWriterWorkerDlg::ImageWriterWorkerDlg(FileFormatType fileFormatType, QWidget* parent)
    : ImageWriterWorkerDlg(fileFormatType, parent, &CreateDocumentWriter, &SteadyTicks) {}

ImageWriterWorkerDlg::ImageWriterWorkerDlg(FileFormatType fileFormatType, QWidget* parent,
                                           WriterFactory createWriter, TickSource ticks)
    : fileFormatType_(fileFormatType),
      parent_(parent),
      createWriter_(std::move(createWriter)),
      ticks_(std::move(ticks)),
      result_(E_UNEXPECTED) {
  // Checked here, on the GUI thread; on the worker thread a failed check
  // could only end the process.
  CheckPrecondition(CONTRACT_LOCATION,
                    FileFormatTypeFromValue(FileFormatTypeValue(fileFormatType)).has_value());
}

ImageWriterWorkerDlg::~ImageWriterWorkerDlg() {
  if (thread_.joinable())
    thread_.join();
}

ResultCode ImageWriterWorkerDlg::Save(const std::vector<std::string>& pageFiles,
                                      const std::string& fileName, int width, int height) {
  ClearInputsAndOutputs();
  pageFiles_ = pageFiles;
  fileName_ = fileName;
  width_ = width;
  height_ = height;
  return Run();
}

ResultCode ImageWriterWorkerDlg::Save(PageImageHandle image, const std::string& fileName,
                                      int resolution, bool rotate) {
  ClearInputsAndOutputs();
  image_ = image;
  fileName_ = fileName;
  resolution_ = resolution;
  rotate_ = rotate;
  return Run();
}

ResultCode ImageWriterWorkerDlg::Expand(const std::string& sourceFile, const std::string& folder,
                                        const std::string& nameFormat,
                                        std::vector<std::string>& files, PageSize& pageSize) {
  ClearInputsAndOutputs();
  expandSource_ = sourceFile;
  expandFolder_ = folder;
  expandNameFormat_ = nameFormat;
  const ResultCode result = Run();
  files = expandedFiles_;
  pageSize = PageSize{expandedWidth_, expandedHeight_};
  return result;
}

void ImageWriterWorkerDlg::SetPageTextSource(std::shared_ptr<PageTextSource> source) {
  textSource_ = source ? std::make_shared<CancellableTextSource>(std::move(source)) : nullptr;
}

QString ImageWriterWorkerDlg::RecognitionProgress() const {
  const int total = static_cast<int>(pageFiles_.size());
  const int finished = textSource_->CountFinished(pageFiles_);
  if (finished >= total)
    return {};
  return QString("Recognising text: %1 of %2 pages done").arg(finished).arg(total);
}

void ImageWriterWorkerDlg::SetProgressText(const QString& text) {
  progressText_ = text;
}

void ImageWriterWorkerDlg::SetProgressCaption(const std::string& caption) {
  progressText_ = QString::fromStdString(caption);
}

void ImageWriterWorkerDlg::SetExpectedRate(unsigned int bytesPerSecond) {
  expectedRate_ = std::max(bytesPerSecond, 1u);
}

int ImageWriterWorkerDlg::ExpectedDuration() {
  const std::int64_t bytes = ClampTo(InputBytes(), INT64_MAX);
  return ClampTo(ExpectedMilliseconds(bytes, ClampTo(expectedRate_, INT32_MAX)), INT_MAX);
}

unsigned int ImageWriterWorkerDlg::MeasuredRate() {
  // Unsigned arithmetic, so a tick count that wrapped during the run still
  // gives the right difference.
  const std::uint32_t elapsed = endTicks_ - startTicks_;
  return static_cast<unsigned int>(::MeasuredRate(ClampTo(InputBytes(), INT64_MAX), elapsed));
}

std::uint64_t ImageWriterWorkerDlg::InputBytes() {
  if (inputBytes_ != 0)
    return inputBytes_;
  if (image_ != nullptr) {
    inputBytes_ = GlobalSize(image_);
  } else {
    for (const std::string& file : pageFiles_)
      inputBytes_ += GetFileSize(file);
  }
  if (inputBytes_ == 0)
    inputBytes_ = kUnknownInputBytes;
  return inputBytes_;
}

void ImageWriterWorkerDlg::ClearInputsAndOutputs() {
  fileName_.clear();
  pageFiles_.clear();
  width_ = height_ = 0;
  image_ = nullptr;
  resolution_ = 0;
  rotate_ = false;
  expandSource_.clear();
  expandFolder_.clear();
  expandNameFormat_.clear();
  expandedFiles_.clear();
  expandedWidth_ = expandedHeight_ = 0;
  result_ = E_UNEXPECTED;
  errorText_.clear();
  startTicks_ = endTicks_ = 0;
  inputBytes_ = 0;
}

ResultCode ImageWriterWorkerDlg::Run() {
  if (thread_.joinable())
    thread_.join();
  ProgressDlg progress(parent_);
  progress_ = &progress;
  try {
    thread_ = std::thread(&ImageWriterWorkerDlg::ThreadMain, this);
  } catch (const std::system_error& error) {
    errorText_ = std::string("unable to start the worker thread: ") + error.what();
    Log(LOG_LOCATION, "ImageWriterWorkerDlg::Run(): %s", errorText_.c_str());
    progress_ = nullptr;
    return result_;
  }
  progress.SetCaption(progressText_);
  if (textSource_ && !pageFiles_.empty()) {
    progress.SetDetailSource([this] { return RecognitionProgress(); });
    progress.SetCancel([source = textSource_] { source->Cancel(); });
  }
  progress.SetEstimatedDuration(ExpectedDuration());
  progress.exec();
  // The dialog ends only after the thread's last step, so this wait is short;
  // it makes the thread's results safe to read.
  thread_.join();
  progress_ = nullptr;
  if (Failed(result_))
    Log(LOG_LOCATION, "ImageWriterWorkerDlg::Run(): failed with 0x%08X: %s",
        static_cast<unsigned>(result_), errorText_.c_str());
  return result_;
}

void ImageWriterWorkerDlg::ThreadMain() {
  startTicks_ = ticks_();
  result_ = E_FAIL;
  try {
    std::unique_ptr<IDocumentWriter> writer = createWriter_(fileFormatType_);
    if (textSource_)
      writer->SetPageTextSource(textSource_);
    if (cleaner_)
      writer->SetPageCleaner(cleaner_);
    result_ = CallWriter(*writer);
    TakeErrorText(result_, *writer);
  } catch (const std::bad_alloc&) {
    result_ = E_OUTOFMEMORY;
    errorText_ = FailureText(FailureTarget(), "out of memory");
  }
  endTicks_ = ticks_();
  progress_->MarkForDestruction();
}

// A writer that fails without a reason still leaves the caller one to log.
void ImageWriterWorkerDlg::TakeErrorText(ResultCode result, const IDocumentWriter& writer) {
  if (Succeeded(result)) {
    errorText_.clear();
  } else if (const std::string reason = writer.GetErrorText(); !reason.empty()) {
    errorText_ = reason;
  } else if (errorText_.empty()) {
    errorText_ = FailureText(FailureTarget(), "the writer gave no reason");
  }
}

// The file the operation was writing, or for an expand the file it read.
std::string ImageWriterWorkerDlg::FailureTarget() const {
  return expandSource_.empty() ? fileName_ : expandSource_;
}

ResultCode ImageWriterWorkerDlg::CallWriter(IDocumentWriter& writer) {
  if (image_ != nullptr)
    return writer.Save(image_, fileName_, resolution_, rotate_);
  if (!pageFiles_.empty())
    return writer.Save(pageFiles_, fileName_, width_, height_);
  if (!expandSource_.empty()) {
    PageSize pageSize;
    const ResultCode result =
        writer.Expand(expandSource_, expandFolder_, expandNameFormat_, expandedFiles_, pageSize);
    expandedWidth_ = pageSize.width;
    expandedHeight_ = pageSize.height;
    return result;
  }
  errorText_ = "nothing to write";
  return E_FAIL;
}
