#include <gtest/gtest.h>

#include <string>

#include "workflow/DestinationNameCheck.h"
#include "workflow/DocumentPaths.h"

namespace {

FileFormatType Format(int value) {
  return static_cast<FileFormatType>(value);
}

const std::string kFolder = "/archive/Bank/";
const std::string kName = "2024-03";
const std::string kDocument = "/archive/Bank/2024-03/";

// Every format, single and multi-page: which files the scan writes and which
// path is tested before scanning.
struct PathsCase {
  int format;
  bool multiPage;
  std::string page1;
  std::string destination;
};

const PathsCase kCases[] = {
    {0, false, "/archive/Bank/2024-03.bmp", "/archive/Bank/2024-03.bmp"},
    {1, false, "/archive/Bank/2024-03.jpg", "/archive/Bank/2024-03.jpg"},
    {2, false, "/archive/Bank/2024-03.gif", "/archive/Bank/2024-03.gif"},
    {3, false, "/archive/Bank/2024-03.tif", "/archive/Bank/2024-03.tif"},
    {4, false, "/archive/Bank/2024-03.tif", "/archive/Bank/2024-03.tif"},
    {5, false, "/archive/Bank/2024-03.png", "/archive/Bank/2024-03.png"},
    {6, false, kDocument + "Page 001.jpg", "/archive/Bank/2024-03.pdf"},
    {7, false, kDocument + "Page 001.png", "/archive/Bank/2024-03.pdf"},
    {0, true, kDocument + "Page 001.bmp", kDocument},
    {1, true, kDocument + "Page 001.jpg", kDocument},
    {2, true, kDocument + "Page 001.gif", kDocument},
    {3, true, kDocument + "Page 001.tif", "/archive/Bank/2024-03.tif"},
    {4, true, kDocument + "Page 001.tif", "/archive/Bank/2024-03.tif"},
    {5, true, kDocument + "Page 001.png", kDocument},
    {6, true, kDocument + "Page 001.jpg", "/archive/Bank/2024-03.pdf"},
    {7, true, kDocument + "Page 001.png", "/archive/Bank/2024-03.pdf"},
};

TEST(DocumentPathsTest, EachFormatSingleAndMultiPageNamesItsFiles) {
  for (const PathsCase& c : kCases) {
    SCOPED_TRACE(testing::Message() << "format " << c.format << " multi-page " << c.multiPage);
    const DocumentPaths paths(kFolder, kName, Format(c.format), c.multiPage);
    EXPECT_EQ(paths.GetPagePath(1), c.page1);
    EXPECT_EQ(paths.GetDestinationPath(), c.destination);
    EXPECT_EQ(paths.GetDocumentFolder(), kDocument);
    EXPECT_EQ(paths.HasPageFiles(), c.multiPage || c.format >= 6);
  }
}

TEST(DocumentPathsTest, PageNamesGrowPastThreeDigits) {
  const DocumentPaths paths(kFolder, kName, Format(1), true);
  EXPECT_EQ(paths.GetPageName(7), "Page 007");
  EXPECT_EQ(paths.GetPageName(999), "Page 999");
  EXPECT_EQ(paths.GetPageName(1000), "Page 1000");
  EXPECT_EQ(paths.GetPagePath(1000), kDocument + "Page 1000.jpg");
  EXPECT_EQ(DocumentPaths(kFolder, kName, Format(1), false).GetPageName(3), "");
}

TEST(DocumentPathsTest, ContainerPagesAreJpegOrPngAndCombineBesideTheFolder) {
  const DocumentPaths compressed(kFolder, kName, Format(6), false);
  const DocumentPaths uncompressed(kFolder, kName, Format(7), true);
  EXPECT_EQ(compressed.GetPageFileFormat(), Format(1));
  EXPECT_EQ(uncompressed.GetPageFileFormat(), Format(5));
  EXPECT_EQ(compressed.GetCombinedPath(), "/archive/Bank/2024-03.pdf");
  // A folder given without its trailing separator is read as a folder.
  EXPECT_EQ(DocumentPaths("/archive/Bank", kName, Format(3), true).GetCombinedPath(),
            "/archive/Bank/2024-03.tif");
}

TEST(DestinationNameCheckTest, RefusesWhatWouldLeaveTheFolderOrBreakOnWindows) {
  struct NameCase {
    std::string name;
    DestinationNameProblem problem;
  };
  const NameCase cases[] = {
      {"", DestinationNameProblem::Empty},
      {"2024-03", DestinationNameProblem::None},
      {"Überweisung 2024", DestinationNameProblem::None},
      {"請求書 2024-03", DestinationNameProblem::None},
      // The second byte of this character is 0x5c in a double-byte code
      // page; in UTF-8 no byte of it is below 0x80.
      {"表示", DestinationNameProblem::None},
      {"...", DestinationNameProblem::None},
      {".hidden", DestinationNameProblem::None},
      {".", DestinationNameProblem::DotName},
      {"..", DestinationNameProblem::DotName},
      {"a/b", DestinationNameProblem::IllegalCharacters},
      {"../up", DestinationNameProblem::IllegalCharacters},
  };
  for (const NameCase& c : cases)
    EXPECT_EQ(CheckDestinationName(c.name), c.problem) << c.name;
  for (char illegal : std::string("\\/:*?\"<>|"))
    EXPECT_EQ(CheckDestinationName(std::string("a") + illegal + "b"),
              DestinationNameProblem::IllegalCharacters)
        << illegal;
}

}  // namespace
