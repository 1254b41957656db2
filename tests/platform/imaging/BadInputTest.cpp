#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <set>

#include "platform/imaging/ImageFile.h"

namespace {

// Opens the file and decodes every frame; the first failure is returned.
ImagingStatus DecodeAll(const std::string& path, int& frames) {
  std::unique_ptr<ImageFile> file;
  frames = 0;
  if (ImagingStatus status = ImageFile::Open(path, file); !IsOk(status))
    return status;
  for (int i = 0; i < file->FrameCount(); ++i) {
    Bitmap bitmap;
    if (ImagingStatus status = file->SelectActiveFrame(i); !IsOk(status))
      return status;
    if (ImagingStatus status = file->Decode(bitmap); !IsOk(status))
      return status;
    ++frames;
  }
  return ImagingStatus::Ok;
}

QStringList BadFiles() {
  return QDir(DOCKETEER_BAD_DATA)
      .entryList({"*.bmp", "*.jpg", "*.png", "*.gif", "*.tif"}, QDir::Files, QDir::Name);
}

TEST(BadInput, EveryHostileFileIsRefusedWithoutHarm) {
  // A directory chain that loops back on itself is cut by libtiff after the
  // first page, which is itself sound: that file may decode.
  const std::set<QString> survivable{"ifd-loop.tif"};
  const QStringList files = BadFiles();
  ASSERT_GE(files.size(), 15);
  for (const QString& name : files) {
    int frames = 0;
    const ImagingStatus status =
        DecodeAll(QDir(DOCKETEER_BAD_DATA).filePath(name).toStdString(), frames);
    if (survivable.count(name) != 0)
      EXPECT_LE(frames, 1) << name.toStdString();
    else
      EXPECT_NE(status, ImagingStatus::Ok) << name.toStdString();
  }
}

TEST(BadInput, EveryPrefixOfAGoodFileIsHandled) {
  // Cutting a file anywhere must give a clean refusal, never a crash or a hang.
  for (const QString& name : BadFiles()) {
    QFile file(QDir(DOCKETEER_BAD_DATA).filePath(name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    for (qsizetype cut = 0; cut < data.size(); cut += 7) {
      std::unique_ptr<ImageFile> image;
      const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.constData());
      if (IsOk(ImageFile::OpenMemory(bytes, static_cast<std::size_t>(cut), image))) {
        Bitmap bitmap;
        image->Decode(bitmap);
      }
    }
  }
}

}  // namespace
