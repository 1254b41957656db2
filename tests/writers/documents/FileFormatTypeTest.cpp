#include <gtest/gtest.h>

#include "core/ContractError.h"
#include "core/FileFormatType.h"
#include "writers/CreateDocumentWriter.h"
#include "writers/ImageWriter.h"
#include "writers/PdfWriter.h"

namespace {

// Stored numbers, and numbers beyond the enumeration, as a cast makes them.
FileFormatType F(int value) {
  return static_cast<FileFormatType>(value);
}

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
    ASSERT_EQ(FileFormatTypeFromValue(row.value), F(row.value));
    const FileFormatType format = *FileFormatTypeFromValue(row.value);
    EXPECT_EQ(FileFormatTypeValue(format), row.value);
    EXPECT_EQ(FileFormatDisplayName(format), row.displayName);
    EXPECT_EQ(FileFormatExtension(format), row.extension);
    EXPECT_EQ(IsTiffFormat(format), row.tiff);
    EXPECT_EQ(IsContainerFormat(format), row.container);
    EXPECT_EQ(IsMultiPageFormat(format), row.tiff || row.container);
    EXPECT_EQ(PageFileFormat(format), F(row.pageFileFormat));
  }
  EXPECT_EQ(FileFormatMimeType(FileFormatType::Tiff), "image/tiff");
  EXPECT_EQ(FileFormatMimeType(FileFormatType::TiffLzw), "image/tiff");
}

TEST(FileFormatType, ValuesOutsideTheTableBreakTheContract) {
  for (int value : {-1, 8, 1000}) {
    SCOPED_TRACE(value);
    EXPECT_EQ(FileFormatTypeFromValue(value), std::nullopt);
    EXPECT_THROW(FileFormatExtension(F(value)), precondition_error);
    EXPECT_THROW(CreateDocumentWriter(F(value)), precondition_error);
  }
  EXPECT_THROW(FileFormatMimeType(FileFormatType::PdfCompressed), postcondition_error);
  EXPECT_THROW(ImageWriter(FileFormatType::PdfCompressed), precondition_error);
  EXPECT_THROW(PdfWriter(FileFormatType::Png), precondition_error);
}

TEST(CreateDocumentWriter, PicksTheWriterByFormat) {
  for (int value = 0; value < kFileFormatTypeCount; ++value) {
    const auto writer = CreateDocumentWriter(F(value));
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(dynamic_cast<PdfWriter*>(writer.get()) != nullptr, value >= 6) << value;
    EXPECT_EQ(dynamic_cast<ImageWriter*>(writer.get()) != nullptr, value < 6) << value;
  }
}

}  // namespace
