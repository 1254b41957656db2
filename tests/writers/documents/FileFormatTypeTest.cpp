#include <gtest/gtest.h>

#include "core/ContractError.h"
#include "core/FileFormatType.h"
#include "writers/CreateDocumentWriter.h"
#include "writers/ImageWriter.h"
#include "writers/PdfWriter.h"

namespace {

struct FormatRow {
  int value;
  const char* displayName;
  const char* extension;
  bool tiff;
  bool container;
  int pageFileFormat;
};

constexpr FormatRow kRows[] = {
    {0, "BMP", "bmp", false, false, 0},
    {1, "JPEG", "jpg", false, false, 1},
    {2, "GIF", "gif", false, false, 2},
    {3, "TIFF", "tif", true, false, 3},
    {4, "TIFF (LZW)", "tif", true, false, 4},
    {5, "PNG", "png", false, false, 5},
    {6, "PDF (compressed)", "pdf", false, true, 1},
    {7, "PDF (uncompressed)", "pdf", false, true, 5},
};

TEST(FileFormatType, EveryValueMapsAsStored) {
  for (const FormatRow& row : kRows) {
    SCOPED_TRACE(row.value);
    EXPECT_EQ(FileFormatDisplayName(row.value), row.displayName);
    EXPECT_EQ(FileFormatExtension(row.value), row.extension);
    EXPECT_EQ(IsTiffFormat(row.value), row.tiff);
    EXPECT_EQ(IsContainerFormat(row.value), row.container);
    EXPECT_EQ(IsMultiPageFormat(row.value), row.tiff || row.container);
    EXPECT_EQ(PageFileFormat(row.value), row.pageFileFormat);
  }
  EXPECT_EQ(FileFormatMimeType(3), "image/tiff");
  EXPECT_EQ(FileFormatMimeType(4), "image/tiff");
}

TEST(FileFormatType, ValuesOutsideTheTableBreakTheContract) {
  for (int value : {-1, 8, 1000}) {
    EXPECT_THROW(FileFormatExtension(value), precondition_error);
    EXPECT_THROW(CreateDocumentWriter(value), precondition_error);
  }
  EXPECT_THROW(FileFormatMimeType(6), postcondition_error);
  EXPECT_THROW(ImageWriter(6), precondition_error);
  EXPECT_THROW(PdfWriter(5), precondition_error);
}

TEST(CreateDocumentWriter, PicksTheWriterByFormat) {
  for (int value = 0; value < kFileFormatTypeCount; ++value) {
    const auto writer = CreateDocumentWriter(value);
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(dynamic_cast<PdfWriter*>(writer.get()) != nullptr, value >= 6) << value;
    EXPECT_EQ(dynamic_cast<ImageWriter*>(writer.get()) != nullptr, value < 6) << value;
  }
}

}  // namespace
