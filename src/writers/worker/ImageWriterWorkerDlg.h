#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/FileFormatType.h"
#include "writers/IDocumentWriter.h"
#include "writers/WriteWorker.h"

class CancellableTextSource;
class ProgressDlg;
class QWidget;

// Runs one writer operation on a thread of its own while the modal progress
// dialog keeps the window alive, and measures how fast the write went so the
// next estimate can follow it. Used as a writer by the main window.
class ImageWriterWorkerDlg : public WriteWorker {
 public:
  using WriterFactory =
      std::function<std::unique_ptr<IDocumentWriter>(FileFormatType fileFormatType)>;
  // A millisecond tick count that may wrap around.
  using TickSource = std::function<std::uint32_t()>;

  explicit ImageWriterWorkerDlg(FileFormatType fileFormatType, QWidget* parent = nullptr);
  // Tests put their own writers and clock in place of the real ones.
  ImageWriterWorkerDlg(FileFormatType fileFormatType, QWidget* parent, WriterFactory createWriter,
                       TickSource ticks);
  ~ImageWriterWorkerDlg() override;
  ImageWriterWorkerDlg(const ImageWriterWorkerDlg&) = delete;
  ImageWriterWorkerDlg& operator=(const ImageWriterWorkerDlg&) = delete;

  ResultCode Save(const std::vector<std::string>& pageFiles, const std::string& fileName, int width,
                  int height) override;
  ResultCode Save(PageImageHandle image, const std::string& fileName, int resolution,
                  bool rotate) override;
  ResultCode Expand(const std::string& sourceFile, const std::string& folder,
                    const std::string& nameFormat, std::vector<std::string>& files,
                    PageSize& pageSize) override;
  // The writer's reason for the last failure, also written to the debug log;
  // empty after success.
  std::string GetErrorText() const override { return errorText_; }
  // Handed to the writer of the next operation; while it runs, the progress
  // dialog counts the pages whose text is recognised, and its Cancel gives up
  // the text of the pages not read yet (they are written as images only).
  void SetPageTextSource(std::shared_ptr<PageTextSource> source) override;
  void SetPageCleaner(std::shared_ptr<PageCleaner> cleaner) override {
    cleaner_ = std::move(cleaner);
  }

  void SetProgressText(const QString& text);
  void SetProgressCaption(const std::string& caption) override;
  // Bytes per second expected from earlier runs; below 1 counts as 1.
  void SetExpectedRate(unsigned int bytesPerSecond) override;

  // Milliseconds the operation is expected to take at the expected rate.
  int ExpectedDuration();
  // Bytes per second of the last operation; a run of 15 ms or less counts as
  // 15 ms. Capped at the largest value the settings can keep.
  unsigned int MeasuredRate() override;

  // The input size in bytes: the image block, the sum of the page files, or
  // 1000000 when neither tells (an expand).
  std::uint64_t InputBytes();

 private:
  void ClearInputsAndOutputs();
  ResultCode Run();
  void ThreadMain();
  ResultCode CallWriter(IDocumentWriter& writer);
  void TakeErrorText(ResultCode result, const IDocumentWriter& writer);
  std::string FailureTarget() const;
  QString RecognitionProgress() const;

  FileFormatType fileFormatType_;
  QWidget* parent_;
  WriterFactory createWriter_;
  TickSource ticks_;

  std::string fileName_;
  std::vector<std::string> pageFiles_;
  int width_ = 0;
  int height_ = 0;
  PageImageHandle image_ = nullptr;
  int resolution_ = 0;
  bool rotate_ = false;
  std::string expandSource_;
  std::string expandFolder_;
  std::string expandNameFormat_;
  std::vector<std::string> expandedFiles_;
  int expandedWidth_ = 0;
  int expandedHeight_ = 0;
  ResultCode result_;
  std::string errorText_;
  std::thread thread_;
  QString progressText_;
  std::uint32_t startTicks_ = 0;
  std::uint32_t endTicks_ = 0;
  unsigned int expectedRate_ = 1;
  std::uint64_t inputBytes_ = 0;
  std::shared_ptr<CancellableTextSource> textSource_;
  std::shared_ptr<PageCleaner> cleaner_;
  // The dialog of the running operation; the thread marks it as its last step.
  ProgressDlg* progress_ = nullptr;
};
