#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <functional>
#include <future>

#include "FileSizeLimit.h"
#include "PdfIdentifier.h"
#include "WriterTestSupport.h"
#include "core/FileFormatType.h"
#include "platform/imaging/TiffPageWriter.h"
#include "writers/ImageWriter.h"
#include "writers/PdfWriter.h"
#include "writers/StagedOutputFile.h"

using namespace test_images;
using namespace writer_tests;

namespace {

QByteArray Contents(const std::string& path) {
  QFile file(QString::fromStdString(path));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void Put(const std::string& path, const QByteArray& bytes) {
  QFile file(QString::fromStdString(path));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes);
}

// Runs `work`, which may block on a FIFO; a blocked open is let go (by
// opening the FIFO's other end) so that the test ends, and counts as a failure.
ResultCode WithoutWaiting(const std::string& fifo, const std::function<ResultCode()>& work) {
  auto running = std::async(std::launch::async, work);
  if (running.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
    ADD_FAILURE() << "waited on the FIFO";
    while (running.wait_for(std::chrono::milliseconds(200)) != std::future_status::ready)
      if (const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK); fd >= 0)
        ::close(fd);
  }
  return running.get();
}

class HostileFiles : public testing::Test {
 protected:
  std::string Path(const char* name) const { return PathIn(folder_.path(), name); }
  QTemporaryDir folder_;
};

// Whatever point the disk fills at, the document either fails and the old
// file stays, or is whole.
TEST_F(HostileFiles, APdfOnAFullDiskFailsAndKeepsTheOldFile) {
  const auto pages = WritePages(folder_.path(), 3, ImageFormat::Jpeg, "jpg");
  const std::string target = Path("document.pdf");
  ASSERT_EQ(PdfWriter(FileFormatType::PdfCompressed).Save(pages, target, 8500, 11000), S_OK);
  const QByteArray whole = Contents(target);
  ASSERT_GT(whole.size(), 5000);
  const QStringList entries = Entries(folder_.path());
  const auto size = static_cast<rlim_t>(whole.size());
  for (const rlim_t cut :
       {rlim_t{0}, rlim_t{1}, rlim_t{4096}, size / 2, size - 4096, size - 10, size - 1, size}) {
    SCOPED_TRACE(cut);
    Put(target, "old");
    PdfWriter writer(FileFormatType::PdfCompressed);
    ResultCode result = E_UNEXPECTED;
    {
      const FileSizeLimit fullDisk(cut);
      ASSERT_TRUE(fullDisk.Active());
      result = writer.Save(pages, target, 8500, 11000);
    }
    if (cut < size) {
      EXPECT_EQ(result, E_FAIL);
      EXPECT_NE(writer.GetErrorText().find("File too large"), std::string::npos)
          << writer.GetErrorText();
      EXPECT_EQ(Contents(target), "old");
    } else {
      EXPECT_EQ(result, S_OK) << writer.GetErrorText();
      EXPECT_EQ(WithoutPdfIdentifier(Contents(target).toStdString()),
                WithoutPdfIdentifier(whole.toStdString()));
    }
    EXPECT_EQ(Entries(folder_.path()), entries) << "no staged file is left behind";
  }
}

// A name near the 255-byte limit (80 CJK characters are 240 bytes) is
// written; staged files have short names of their own.
TEST_F(HostileFiles, NamesNearTheLengthLimitAreWritten) {
  const QString stem = QString(80, QChar(0x66F8));
  const auto pages = WritePages(folder_.path(), 2, ImageFormat::Jpeg, "jpg");
  const std::string tiff = PathIn(folder_.path(), stem + ".tif");
  const std::string pdf = PathIn(folder_.path(), stem + ".pdf");
  ASSERT_GE(tiff.size() - folder_.path().toStdString().size(), 244u);
  ImageWriter tiffWriter(FileFormatType::Tiff);
  EXPECT_EQ(tiffWriter.Save(pages, tiff, 0, 0), S_OK) << tiffWriter.GetErrorText();
  PdfWriter pdfWriter(FileFormatType::PdfCompressed);
  EXPECT_EQ(pdfWriter.Save(pages, pdf, 8500, 11000), S_OK) << pdfWriter.GetErrorText();
  EXPECT_EQ(Entries(folder_.path()).size(), 4);
}

TEST_F(HostileFiles, AReadOnlyTargetIsNotReplaced) {
  EXPECT_EQ(ReplaceRefusal(Path("missing.pdf")), 0);
  Put(Path("writable.pdf"), "old");
  EXPECT_EQ(ReplaceRefusal(Path("writable.pdf")), 0);
  if (::geteuid() != 0) {
    Put(Path("locked.pdf"), "old");
    ::chmod(Path("locked.pdf").c_str(), 0444);
    EXPECT_EQ(ReplaceRefusal(Path("locked.pdf")), EACCES);
    GTEST_SKIP() << "the writers are checked when run as root, as another user";
  }
  // Root may write anything: the writers are tried as "nobody" in a child,
  // in a folder it can reach (the tests' own temporary folder is private).
  QTemporaryDir shared("/tmp/docketeer-readonly-XXXXXX");
  ASSERT_TRUE(shared.isValid());
  ASSERT_EQ(::chmod(shared.path().toLocal8Bit().constData(), 0777), 0);
  const auto pages = WritePages(shared.path(), 1, ImageFormat::Jpeg, "jpg");
  for (const auto& page : pages)
    ::chmod(page.c_str(), 0644);
  const std::string locked = PathIn(shared.path(), "locked.tif");
  Put(locked, "old");
  ::chmod(locked.c_str(), 0444);
  const std::string turned = PathIn(shared.path(), "turned.tif");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0)
      ::_exit(100);
    int failures = 0;
    ImageWriter writer(FileFormatType::Tiff);
    if (writer.Save(pages, locked, 0, 0) != E_FAIL ||
        writer.GetErrorText().find("Permission denied") == std::string::npos)
      failures |= 1;
    {
      // A target that turns read-only while its replacement is written.
      StagedOutputFile output(turned);
      Put(turned, "mine");
      if (!output.Create() || ::chmod(turned.c_str(), 0444) != 0 || output.Commit() ||
          output.ErrorNumber() != EACCES)
        failures |= 2;
    }
    ::_exit(failures);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the writer replaced a read-only file, 2: the commit did";
  EXPECT_EQ(Contents(locked), "old");
  EXPECT_EQ(Contents(turned), "mine");
  EXPECT_EQ(Entries(shared.path()), (QStringList{"Page 001.jpg", "locked.tif", "turned.tif"}));
}

// A FIFO named like a page file would make an open for reading wait for a
// writer that never comes.
TEST_F(HostileFiles, AFifoNamedLikeAPageFailsAtOnce) {
  const auto pages = WritePages(folder_.path(), 1, ImageFormat::Jpeg, "jpg");
  for (const char* name : {"Page 002.jpg", "Page 002.png", "source.tif"})
    ASSERT_EQ(::mkfifo(Path(name).c_str(), 0600), 0);
  const std::string jpegFifo = Path("Page 002.jpg"), pngFifo = Path("Page 002.png");
  EXPECT_EQ(WithoutWaiting(jpegFifo,
                           [&] {
                             return ImageWriter(FileFormatType::Tiff)
                                 .Save({pages[0], jpegFifo}, Path("out.tif"), 0, 0);
                           }),
            E_FAIL);
  EXPECT_EQ(WithoutWaiting(jpegFifo,
                           [&] {
                             return PdfWriter(FileFormatType::PdfCompressed)
                                 .Save({pages[0], jpegFifo}, Path("out.pdf"), 8500, 11000);
                           }),
            E_FAIL);
  EXPECT_EQ(WithoutWaiting(pngFifo,
                           [&] {
                             return PdfWriter(FileFormatType::PdfUncompressed)
                                 .Save({pngFifo}, Path("out.pdf"), 8500, 11000);
                           }),
            E_FAIL);
  EXPECT_EQ(WithoutWaiting(Path("source.tif"),
                           [&] {
                             std::vector<std::string> files;
                             PageSize size;
                             return ImageWriter(FileFormatType::Png)
                                 .Expand(Path("source.tif"), Path("pages"), "p%d.png", files, size);
                           }),
            E_INVALIDARG);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("out.tif"))));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("out.pdf"))));
}

// JPEG data is embedded as it stands; an empty or cut page must fail the
// document as a damaged PNG page does.
TEST_F(HostileFiles, AnEmptyOrCutJpegPageFailsTheDocument) {
  const auto pages = WritePages(folder_.path(), 2, ImageFormat::Jpeg, "jpg");
  const QByteArray good = Contents(pages[1]);
  const std::string target = Path("document.pdf");
  for (const QByteArray& bad :
       {QByteArray(), good.left(good.size() / 2), good.left(good.size() - 2)}) {
    SCOPED_TRACE(bad.size());
    Put(pages[1], bad);
    Put(target, "old");
    PdfWriter writer(FileFormatType::PdfCompressed);
    EXPECT_EQ(writer.Save(pages, target, 8500, 11000), E_FAIL);
    EXPECT_NE(writer.GetErrorText().find("Page 002.jpg"), std::string::npos)
        << writer.GetErrorText();
    EXPECT_EQ(Contents(target), "old");
  }
}

TEST_F(HostileFiles, ATiffCutShortDoesNotExpandToFewerPages) {
  const std::string source = Path("source.tif");
  {
    TiffPageWriter writer;
    ASSERT_TRUE(IsOk(writer.Open(source, TiffCompression::None)));
    for (int i = 0; i < 3; ++i)
      writer.AddPage(MakeBitmap(40, 30, PixelFormat::Rgb24, [i](int x, int y) {
        return static_cast<std::uint32_t>(x * y + i);
      }));
    ASSERT_TRUE(IsOk(writer.Close()));
  }
  QByteArray bytes = Contents(source);
  Put(source, bytes.left(bytes.size() / 2));
  std::vector<std::string> files;
  PageSize size;
  ImageWriter writer(FileFormatType::Png);
  ASSERT_TRUE(QDir(folder_.path()).mkdir("pages"));
  EXPECT_EQ(writer.Expand(source, Path("pages"), "p%d.png", files, size), E_FAIL);
  EXPECT_NE(writer.GetErrorText().find("page 2"), std::string::npos) << writer.GetErrorText();
  EXPECT_TRUE(files.empty());
  EXPECT_TRUE(QDir(QString::fromStdString(Path("pages"))).isEmpty());  // page 1 went again
}

// Resolutions that would make a page thousands of inches wide (or overflow
// the size in thousandths of an inch) are taken as no resolution at all.
TEST_F(HostileFiles, AbsurdResolutionsGiveTheDefaultPageSize) {
  const struct {
    const char* name;
    ImageFormat format;
    double dpi;
  } cases[] = {
      {"tiny.tif", ImageFormat::Tiff, 0.000001},
      {"tiny.png", ImageFormat::Png, 0.0254},  // 1 pixel a metre
      {"fine.png", ImageFormat::Png, 100},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bitmap page = MakeBitmap(300, 330, PixelFormat::Rgb24,
                             [](int x, int y) { return static_cast<std::uint32_t>(x + y); });
    page.SetResolution(c.dpi, c.dpi);
    ASSERT_TRUE(IsOk(EncodeImageFile(page, c.format, Path(c.name))));
    std::vector<std::string> files;
    PageSize size;
    ASSERT_EQ(ImageWriter(FileFormatType::Jpeg)
                  .Expand(Path(c.name), folder_.path().toStdString(), "out %d.jpg", files, size),
              S_OK);
    const bool absurd = c.dpi < 1;
    EXPECT_EQ(size.width, absurd ? 8500 : 3000);
    EXPECT_EQ(size.height, absurd ? 11000 : 3300);
  }
}

}  // namespace
