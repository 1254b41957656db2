#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <functional>
#include <set>

#include "platform/imaging/ImageFile.h"

namespace {

// Opens an image and decodes every frame; the first failure is returned.
ImagingStatus DecodeAll(const std::function<ImagingStatus(std::unique_ptr<ImageFile>&)>& open,
                        int& frames) {
  std::unique_ptr<ImageFile> file;
  frames = 0;
  if (ImagingStatus status = open(file); !IsOk(status))
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
    const std::string path = QDir(DOCKETEER_BAD_DATA).filePath(name).toStdString();
    const ImagingStatus status = DecodeAll(
        [&](std::unique_ptr<ImageFile>& file) { return ImageFile::Open(path, file); }, frames);
    if (survivable.count(name) != 0)
      EXPECT_LE(frames, 1) << name.toStdString();
    else
      EXPECT_NE(status, ImagingStatus::Ok) << name.toStdString();
  }
}

TEST(BadInput, EveryCutOfAHostileFileIsRefused) {
  // A hostile file cut anywhere is still refused with an error: never a page
  // decoded from it, never a crash or a hang.
  const std::set<QString> survivable{"ifd-loop.tif"};
  for (const QString& name : BadFiles()) {
    QFile file(QDir(DOCKETEER_BAD_DATA).filePath(name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.constData());
    for (qsizetype cut = 0; cut < data.size(); cut += 7) {
      int frames = 0;
      const ImagingStatus status = DecodeAll(
          [&](std::unique_ptr<ImageFile>& image) {
            return ImageFile::OpenMemory(bytes, static_cast<std::size_t>(cut), image);
          },
          frames);
      if (survivable.count(name) != 0)
        EXPECT_LE(frames, 1) << name.toStdString() << " cut at " << cut;
      else
        EXPECT_NE(status, ImagingStatus::Ok) << name.toStdString() << " cut at " << cut;
    }
  }
}

}  // namespace
