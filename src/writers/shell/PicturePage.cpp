#include "writers/shell/PicturePage.h"

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

// Copies the rows, so the QImage owns its pixels once the bitmap is gone.
QImage ToQImage(const Bitmap& bitmap) {
  const QImage view(bitmap.Row(0), bitmap.Width(), bitmap.Height(),
                    static_cast<qsizetype>(bitmap.Stride()), QtFormatOf(bitmap.Format()));
  QImage image = view.copy();
  QList<QRgb> colours;
  for (const PaletteEntry& entry : bitmap.Palette())
    colours << qRgba(entry.red, entry.green, entry.blue, entry.alpha);
  if (!colours.isEmpty())
    image.setColorTable(colours);
  if (bitmap.DpiX() > 0 && bitmap.DpiY() > 0) {
    image.setDotsPerMeterX(qRound(bitmap.DpiX() / 0.0254));
    image.setDotsPerMeterY(qRound(bitmap.DpiY() / 0.0254));
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
    page.image = ToQImage(bitmap);
  if (page.image.isNull())
    page.error = IsOk(status) ? QStringLiteral("out of memory") : ErrorText(status);
  return page;
}
