#include "viewer/PicturePage.h"

#include <memory>

#include "platform/imaging/ImageFile.h"

namespace {

QImage::Format QtFormatOf(PixelFormat format) {
  switch (format) {
    case PixelFormat::Indexed1:
      return QImage::Format_Mono;
    case PixelFormat::Indexed8:
      return QImage::Format_Indexed8;
    case PixelFormat::Rgb24:
      return QImage::Format_RGB888;
    case PixelFormat::Rgba32:
      return QImage::Format_RGBA8888;
  }
  return QImage::Format_Invalid;
}

// The QImage takes the bitmap's rows over instead of copying them: a 600 dpi
// colour page is a hundred megabytes.
QImage ToQImage(Bitmap bitmap) {
  auto* rows = new Bitmap(std::move(bitmap));
  QImage image(
      rows->Row(0), rows->Width(), rows->Height(), static_cast<qsizetype>(rows->Stride()),
      QtFormatOf(rows->Format()), [](void* owned) { delete static_cast<Bitmap*>(owned); }, rows);
  if (image.isNull()) {
    delete rows;
    return image;
  }
  QList<QRgb> colours;
  for (const PaletteEntry& entry : rows->Palette())
    colours << qRgba(entry.red, entry.green, entry.blue, entry.alpha);
  if (!colours.isEmpty())
    image.setColorTable(colours);
  if (rows->DpiX() > 0 && rows->DpiY() > 0) {
    image.setDotsPerMeterX(qRound(rows->DpiX() / 0.0254));
    image.setDotsPerMeterY(qRound(rows->DpiY() / 0.0254));
  }
  return image;
}

QString ErrorText(ImagingStatus status) {
  return QString::fromUtf8(ImagingStatusText(status));
}

}  // namespace

PicturePage PicturePage::Load(const QString& path, int pageIndex) {
  PicturePage page;
  std::unique_ptr<ImageFile> file;
  ImagingStatus status = ImageFile::Open(path.toStdString(), file);
  if (!IsOk(status)) {
    page.error = ErrorText(status);
    return page;
  }
  page.pageCount = file->FrameCount();
  Bitmap bitmap;
  status = file->SelectActiveFrame(pageIndex);
  if (IsOk(status))
    status = file->Decode(bitmap);
  if (IsOk(status) && !bitmap.IsEmpty())
    page.image = ToQImage(std::move(bitmap));
  if (page.image.isNull())
    page.error = IsOk(status) ? QStringLiteral("out of memory") : ErrorText(status);
  return page;
}
