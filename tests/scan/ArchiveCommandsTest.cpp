// The tree's archive commands end to end: through the real window, started
// the way the tree's context menu starts them.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMenu>
#include <QPointer>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "MainWindowFixture.h"
#include "RecordingShell.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "TestImages.h"
#include "core/Paths.h"
#include "platform/imaging/ImageEncoder.h"
#include "platform/imaging/ImageFile.h"
#include "settings/AppSettings.h"
#include "tree/CTreeFileCtrl.h"
#include "tree/TreeCommand.h"
#include "writers/shell/DesktopHelpers.h"

namespace {

namespace fs = std::filesystem;

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Every entry of a folder, hidden ones too, by name.
QStringList Entries(const std::string& folder) {
  return QDir(QString::fromStdString(folder))
      .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

Bitmap Picture(int width, int height, int seed) {
  return test_images::MakeBitmap(width, height, PixelFormat::Rgb24, [seed](int x, int y) {
    return static_cast<std::uint32_t>(((x * 7 + seed * 50) & 0xFF) << 16 |
                                      ((y * 5 + seed * 90) & 0xFF) << 8 | ((seed * 60) & 0xFF));
  });
}

Bitmap Decoded(const std::string& path, int frame = 0) {
  Bitmap out;
  EXPECT_EQ(DecodeImageFile(path, out, frame), ImagingStatus::Ok) << path << " frame " << frame;
  return out;
}

// A deflate-compressed multi-page grey TIFF at 100 dpi, page i sized
// (40 + 10 i) by 60 pixels; the page `damaged` gets compressed data that no
// decoder accepts.
void WriteTiff(const std::string& path, int pages, int damaged = -1) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tiff, nullptr);
  for (int page = 0; page < pages; ++page) {
    const int width = 40 + 10 * page, height = 60;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, height);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 100.0f);
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, 100.0f);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width * height));
    for (std::size_t i = 0; i < pixels.size(); ++i)
      pixels[i] = static_cast<std::uint8_t>(i * (page + 1));
    if (page == damaged) {
      std::vector<std::uint8_t> junk(64, 0xA5);
      TIFFWriteRawStrip(tiff, 0, junk.data(), static_cast<tmsize_t>(junk.size()));
    } else {
      TIFFWriteEncodedStrip(tiff, 0, pixels.data(), static_cast<tmsize_t>(pixels.size()));
    }
    TIFFWriteDirectory(tiff);
  }
  TIFFClose(tiff);
}

class ArchiveCommandsTest : public MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    AppSettings().SetViewAfterSaving(false);
    root_ = DocumentsRoot() + "Archive/";
    MakeFolder(root_);
  }

  // Selects the path in the tree and runs the command as its menu does.
  void Run(const std::string& path, TreeCommand command) {
    SelectInTree(path);
    Find<CTreeFileCtrl>("destinationTree")->RunCommand(command);
    RunPostedEvents();
  }

  static std::string TrashFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString() +
           "/Trash/files/";
  }

  std::string root_;
};

TEST_F(ArchiveCommandsTest, CombineTakesEveryExtensionOfAPageInOrderAndLeavesOtherFiles) {
  const std::string folder = root_ + "Invoice 7/";
  MakeFolder(folder);
  const Bitmap png = Picture(40, 30, 1), jpeg = Picture(50, 20, 2), gif = Picture(16, 16, 3);
  ASSERT_EQ(EncodeImageFile(png, ImageFormat::Png, folder + "Page 001.png"), ImagingStatus::Ok);
  ASSERT_EQ(EncodeImageFile(jpeg, ImageFormat::Jpeg, folder + "Page 001.jpg"), ImagingStatus::Ok);
  ASSERT_EQ(EncodeImageFile(gif, ImageFormat::Gif, folder + "Page 002.gif"), ImagingStatus::Ok);
  ASSERT_EQ(EncodeImageFile(gif, ImageFormat::Png, folder + "Page 100.png"), ImagingStatus::Ok);
  WriteText(folder + "notes.txt", "keep me");
  WriteText(folder + "_defaults.ini", "[Settings]\n");
  // The pages as the decoder sees them, before the command removes them.
  const Bitmap jpegPage = Decoded(folder + "Page 001.jpg");
  const Bitmap gifPage = Decoded(folder + "Page 002.gif");
  AppSettings().SetViewAfterSaving(true);
  StartWindow();
  ScriptedPrompt prompt;

  Run(folder, TreeCommand::CombineToTiff);

  EXPECT_TRUE(prompt.asked.isEmpty());
  const std::string target = root_ + "Invoice 7.tif";
  ASSERT_EQ(ImageFrameCount(target), 3);
  EXPECT_EQ(test_images::DifferentPixels(Decoded(target, 0), png), 0);
  EXPECT_EQ(test_images::DifferentPixels(Decoded(target, 1), jpegPage), 0);
  EXPECT_EQ(test_images::DifferentPixels(Decoded(target, 2), gifPage), 0);
  // The folder holds more than pages, so it and its choices stay.
  EXPECT_EQ(Entries(folder), QStringList({"Page 100.png", "_defaults.ini", "notes.txt"}));
  ASSERT_NE(CurrentViewer(), nullptr);
  CloseViewer(CurrentViewer());
}

TEST_F(ArchiveCommandsTest, CombineOfAFolderOfOnlyPagesRemovesTheFolder) {
  const std::string folder = root_ + "Receipts/";
  MakeFolder(folder);
  ASSERT_EQ(EncodeImageFile(Picture(20, 20, 1), ImageFormat::Bmp, folder + "Page 001.bmp"),
            ImagingStatus::Ok);
  WriteTiff(folder + "Page 002.tif", 2);
  WriteText(folder + "_defaults.ini", "[Settings]\n");
  StartWindow();
  ScriptedPrompt prompt;

  Run(folder, TreeCommand::CombineToTiff);

  EXPECT_TRUE(prompt.asked.isEmpty());
  EXPECT_EQ(ImageFrameCount(root_ + "Receipts.tif"), 2) << "each page file gives its first page";
  EXPECT_FALSE(FileExists(RemoveTrailingSeparator(folder)));
}

// A page file whose image data is missing is refused by its name; nothing is
// written and no page goes.
TEST_F(ArchiveCommandsTest, APageWithoutImageDataFailsTheCombineByName) {
  const std::string folder = root_ + "Statement/";
  MakeFolder(folder);
  ASSERT_EQ(EncodeImageFile(Picture(20, 20, 1), ImageFormat::Png, folder + "Page 001.png"),
            ImagingStatus::Ok);
  StartWindow();
  for (const char* damaged : {"no-strips.tif", "empty-strip.tif"}) {
    SCOPED_TRACE(damaged);
    const std::string page = folder + "Page 002.tif";
    fs::copy_file(std::string(DOCKETEER_BAD_DATA) + "/" + damaged, page,
                  fs::copy_options::overwrite_existing);
    const std::string pageBytes = ReadFileBytes(page);
    ScriptedPrompt prompt;

    Run(folder, TreeCommand::CombineToTiff);

    ASSERT_EQ(prompt.asked.size(), 1);
    EXPECT_EQ(prompt.asked[0].id, PromptId::SaveFailed);
    EXPECT_TRUE(prompt.asked[0].detail.contains(QString::fromStdString(page)))
        << prompt.asked[0].detail.toStdString();
    EXPECT_EQ(Entries(folder), QStringList({"Page 001.png", "Page 002.tif"}));
    EXPECT_EQ(ReadFileBytes(page), pageBytes);
    EXPECT_EQ(Entries(root_), QStringList({"Statement"}));
  }
}

TEST_F(ArchiveCommandsTest, PagesNumberedFromHundredOnAreNotLookedFor) {
  const std::string folder = root_ + "Long/";
  MakeFolder(folder);
  for (const char* name : {"Page 100.png", "Page 1000.png", "Page 01.png"})
    ASSERT_EQ(EncodeImageFile(Picture(8, 8, 1), ImageFormat::Png, folder + name),
              ImagingStatus::Ok);
  StartWindow();
  ScriptedPrompt prompt;

  Run(folder, TreeCommand::CombineToTiff);

  ASSERT_EQ(prompt.asked.size(), 1);
  EXPECT_EQ(prompt.asked[0].id, PromptId::NoPagesFound);
  EXPECT_FALSE(FileExists(root_ + "Long.tif"));
  EXPECT_EQ(Entries(folder).size(), 3);
}

// The user agrees to replace a document: it keeps its content until the new
// one is complete, and a failure keeps the page files for another try.
TEST_F(ArchiveCommandsTest, ReplacedTargetSurvivesAFailedCombine) {
  const std::string folder = root_ + "Letters/";
  const std::string target = root_ + "Letters.tif";
  MakeFolder(folder);
  ASSERT_EQ(EncodeImageFile(Picture(20, 20, 1), ImageFormat::Png, folder + "Page 001.png"),
            ImagingStatus::Ok);
  WriteText(folder + "Page 002.png", "not a picture at all");
  WriteTiff(target, 1);
  const std::string before = ReadFileBytes(target);
  StartWindow();

  {
    ScriptedPrompt prompt({PromptAnswer::No});
    Run(folder, TreeCommand::CombineToTiff);
    ASSERT_EQ(prompt.asked.size(), 1);
    EXPECT_EQ(prompt.asked[0].id, PromptId::ReplaceDocument);
    EXPECT_EQ(prompt.asked[0].subject, QString::fromStdString(target));
    EXPECT_EQ(prompt.asked[0].buttons, PromptButtons::YesNo);
  }
  {
    ScriptedPrompt prompt({PromptAnswer::Yes});
    Run(folder, TreeCommand::CombineToTiff);
    ASSERT_EQ(prompt.asked.size(), 2);
    EXPECT_EQ(prompt.asked[1].id, PromptId::SaveFailed);
  }
  EXPECT_EQ(ReadFileBytes(target), before);
  EXPECT_EQ(Entries(folder), QStringList({"Page 001.png", "Page 002.png"}));
  EXPECT_EQ(Entries(root_), QStringList({"Letters", "Letters.tif"})) << "no temporary file left";

  ASSERT_EQ(EncodeImageFile(Picture(30, 20, 2), ImageFormat::Png, folder + "Page 002.png"),
            ImagingStatus::Ok);
  {
    ScriptedPrompt prompt({PromptAnswer::Yes});
    Run(folder, TreeCommand::CombineToTiff);
    EXPECT_EQ(prompt.asked.size(), 1);
  }
  EXPECT_EQ(ImageFrameCount(target), 2);
  EXPECT_FALSE(FileExists(RemoveTrailingSeparator(folder)));
}

// The source's own page folder (named like it) is the user's: the expand
// must neither write into it nor delete from it.
TEST_F(ArchiveCommandsTest, ConvertsToPdfBesideTheSourceAndTouchesNothingElse) {
  struct Case {
    TreeCommand command;
    const char* pageName;
  };
  for (const Case& c : {Case{TreeCommand::ConvertToPdfCompressed, "Page 000.jpg"},
                        Case{TreeCommand::ConvertToPdfUncompressed, "Page 000.png"}}) {
    SCOPED_TRACE(c.pageName);
    fs::remove_all(root_);
    const std::string userFolder = root_ + "Scan/";
    MakeFolder(userFolder);
    const std::string source = root_ + "Scan.tif";
    WriteTiff(source, 3);
    const std::string sourceBytes = ReadFileBytes(source);
    for (const char* name : {"Page 000.jpg", "Page 001.jpg", "Page 000.png", "_defaults.ini"})
      WriteText(userFolder + name, std::string("mine: ") + name);
    AppSettings().SetViewAfterSaving(true);
    AppSettings().SetUseDefaultViewer(true);
    StartWindow();
    RecordingShell shell;
    ScriptedPrompt prompt({PromptAnswer::No});

    Run(source, c.command);

    ASSERT_EQ(prompt.asked.size(), 1);
    EXPECT_EQ(prompt.asked[0].id, PromptId::DeleteOriginal);
    const PdfFacts pdf = InspectPdf(root_ + "Scan.pdf");
    EXPECT_TRUE(pdf.valid);
    // Every page takes the size of the first: 40 by 60 pixels at 100 dpi.
    EXPECT_EQ(pdf.pageSizes, QStringList({"28.8 x 43.2", "28.8 x 43.2", "28.8 x 43.2"}));
    EXPECT_EQ(ReadFileBytes(source), sourceBytes);
    EXPECT_EQ(Entries(root_), QStringList({"Scan", "Scan.pdf", "Scan.tif"}));
    EXPECT_EQ(Entries(userFolder).size(), 4);
    EXPECT_EQ(ReadFileBytes(userFolder + c.pageName), std::string("mine: ") + c.pageName);
    EXPECT_TRUE(shell.calls.filter("Scan.pdf").size() == 1) << shell.calls.join('\n').toStdString();
    CloseWindow();
  }
}

TEST_F(ArchiveCommandsTest, YesMovesTheOriginalWithoutExtensionToTheTrash) {
  const std::string source = root_ + "Receipt";
  WriteTiff(source, 2);
  const std::string sourceBytes = ReadFileBytes(source);
  StartWindow();
  SelectInTree(source);
  ScriptedPrompt prompt({PromptAnswer::Yes});

  // The tree offers the command for .tif files only; the window takes any file.
  Window().ConvertToPdf(false);

  ASSERT_EQ(prompt.asked.size(), 1);
  EXPECT_EQ(InspectPdf(root_ + "Receipt.pdf").pageSizes.size(), 2);
  EXPECT_FALSE(FileExists(source));
  EXPECT_EQ(ReadFileBytes(TrashFolder() + "Receipt"), sourceBytes);
}

TEST_F(ArchiveCommandsTest, DamagedMiddlePageFailsAndLeavesEverythingAsItWas) {
  const std::string source = root_ + "Broken.tif";
  const std::string target = root_ + "Broken.pdf";
  WriteTiff(source, 3, /*damaged=*/1);
  WriteText(target, "the earlier conversion");
  const std::string sourceBytes = ReadFileBytes(source);
  StartWindow();
  ScriptedPrompt prompt({PromptAnswer::Yes});

  Run(source, TreeCommand::ConvertToPdfCompressed);

  ASSERT_EQ(prompt.asked.size(), 2);
  EXPECT_EQ(prompt.asked[0].id, PromptId::ReplaceDocument);
  EXPECT_EQ(prompt.asked[1].id, PromptId::ExpandFailed);
  EXPECT_EQ(ReadFileBytes(source), sourceBytes);
  EXPECT_EQ(ReadFileBytes(target), "the earlier conversion");
  EXPECT_EQ(Entries(root_), QStringList({"Broken.pdf", "Broken.tif"}));
}

// The convert of the tree's context menu, chosen by its key as a user does.
// Its progress windows and question run event loops, in which the closed menu
// is deleted: run inside the menu's key handling, the command left the menu's
// handler writing into freed memory once it returned.
TEST_F(ArchiveCommandsTest, ConvertChosenInTheContextMenuRunsOnceTheMenuIsDone) {
  const std::string source = root_ + "Menu.tif";
  WriteTiff(source, 2);
  StartWindow();
  SelectInTree(source);
  ScriptedPrompt prompt({PromptAnswer::Yes});
  auto* tree = Find<CTreeFileCtrl>("destinationTree");
  QTest::keyClick(tree, Qt::Key_F10, Qt::ShiftModifier);
  QPointer<QMenu> menu = tree->findChild<QMenu*>("treeContextMenu");
  ASSERT_TRUE(menu != nullptr && menu->isVisible());

  // The key arrives from the window's own event loop, as a user's does, so
  // the menu's deletion is due in the loops the command runs.
  QEventLoop windowLoop;
  QTimer::singleShot(0, menu, [&menu] { QTest::keyClick(menu, Qt::Key_V); });
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (!prompt.asked.isEmpty())
      windowLoop.quit();
  });
  poll.start(20);
  QTimer::singleShot(60000, &windowLoop, &QEventLoop::quit);
  windowLoop.exec();
  RunPostedEvents();

  ASSERT_EQ(prompt.asked.size(), 1);
  EXPECT_EQ(prompt.asked[0].id, PromptId::DeleteOriginal);
  EXPECT_EQ(InspectPdf(root_ + "Menu.pdf").pageSizes.size(), 2);
  EXPECT_FALSE(FileExists(source));
  EXPECT_TRUE(menu.isNull());
}

}  // namespace
