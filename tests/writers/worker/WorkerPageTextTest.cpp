// The write worker hands a text source to the PDF writer and shows, while the
// writer waits for it, how many pages have their text.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <condition_variable>
#include <mutex>

#include "ModalDialogs.h"
#include "ocr/PageTextSource.h"
#include "writers/worker/ImageWriterWorkerDlg.h"

namespace {

// Gives every page one word across its top, but only once opened.
class GatedTextSource : public PageTextSource {
 public:
  void Prepare(const std::vector<std::string>& pageFiles) override {
    std::lock_guard lock(mutex_);
    prepared_ = pageFiles;
  }
  PageTextResult TextOf(const std::string&) override {
    std::unique_lock lock(mutex_);
    opened_.wait(lock, [this] { return open_; });
    PageTextResult result;
    result.recognized = true;
    result.text.width = 200;
    result.text.height = 100;
    result.text.words.push_back({"Gated", 20, 10, 120, 30, 10, 35, 30});
    return result;
  }
  // As a recognition pool does, the pages count as read once the gate opens,
  // before anyone asks for their text.
  int CountFinished(const std::vector<std::string>& pageFiles) const override {
    std::lock_guard lock(mutex_);
    return open_ ? static_cast<int>(pageFiles.size()) : 0;
  }
  void Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    opened_.notify_all();
  }
  std::vector<std::string> Prepared() const {
    std::lock_guard lock(mutex_);
    return prepared_;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;
  std::vector<std::string> prepared_;
};

// Reads the progress dialog's detail line once it shows one, then opens the gate.
void OpenWhenShown(GatedTextSource& source, QString& shown) {
  WhenModalReady(
      [](QWidget& modal) {
        auto* detail = modal.findChild<QLabel*>("detailText");
        return detail != nullptr && detail->isVisible();
      },
      [&source, &shown](QWidget& modal) {
        shown = modal.findChild<QLabel*>("detailText")->text();
        source.Open();
      },
      2000, [&source] { source.Open(); });
}

// Two blank JPEG pages in `folder`; none when they cannot be written.
std::vector<std::string> WhitePages(const QTemporaryDir& folder) {
  std::vector<std::string> pages;
  for (const char* name : {"Page 001.jpg", "Page 002.jpg"}) {
    QImage page(200, 100, QImage::Format_RGB32);
    page.fill(Qt::white);
    pages.push_back(folder.filePath(name).toStdString());
    if (!page.save(QString::fromStdString(pages.back())))
      return {};
  }
  return pages;
}

TEST(WorkerPageTextTest, WriterWaitsForTheTextAndTheDialogSaysSo) {
  QTemporaryDir folder;
  const std::vector<std::string> pages = WhitePages(folder);
  ASSERT_EQ(pages.size(), 2u);
  const std::string pdf = folder.filePath("Doc.pdf").toStdString();
  auto source = std::make_shared<GatedTextSource>();
  ImageWriterWorkerDlg worker(FileFormatType::PdfCompressed);
  worker.SetProgressText("Combining...");
  worker.SetPageTextSource(source);
  QString shown;
  OpenWhenShown(*source, shown);

  ASSERT_EQ(worker.Save(pages, pdf, 2000, 1000), S_OK);

  EXPECT_EQ(shown, "Recognising text: 0 of 2 pages done");
  EXPECT_EQ(source->Prepared(), pages);
  QProcess text;
  text.start("pdftotext", {"-f", "2", "-l", "2", QString::fromStdString(pdf), "-"});
  ASSERT_TRUE(text.waitForFinished(60000));
  EXPECT_EQ(QString::fromUtf8(text.readAllStandardOutput()).simplified(), "Gated");
}

// Cancel gives up the text that is not there yet: the writer goes on at once
// and writes those pages as images only.
TEST(WorkerPageTextTest, CancelWritesThePagesWithoutTextAndNamesTheStep) {
  QTemporaryDir folder;
  const std::vector<std::string> pages = WhitePages(folder);
  ASSERT_EQ(pages.size(), 2u);
  const std::string pdf = folder.filePath("Doc.pdf").toStdString();
  auto source = std::make_shared<GatedTextSource>();  // never opened
  ImageWriterWorkerDlg worker(FileFormatType::PdfCompressed);
  worker.SetProgressText("Combining...");
  worker.SetPageTextSource(source);
  QString title;
  WhenModalReady(
      [](QWidget& modal) {
        auto* cancel = modal.findChild<QPushButton*>("cancelButton");
        return cancel != nullptr && cancel->isEnabled();
      },
      [&title](QWidget& modal) {
        title = modal.windowTitle();
        modal.findChild<QPushButton*>("cancelButton")->click();
      },
      2000, [&source] { source->Open(); });

  ASSERT_EQ(worker.Save(pages, pdf, 2000, 1000), S_OK);

  EXPECT_EQ(title, "Recognising text...");
  QProcess text;
  text.start("pdftotext", {QString::fromStdString(pdf), "-"});
  ASSERT_TRUE(text.waitForFinished(60000));
  EXPECT_EQ(QString::fromUtf8(text.readAllStandardOutput()).simplified(), "");
}

}  // namespace
