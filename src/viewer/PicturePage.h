#pragma once

#include <QImage>
#include <QString>

// One decoded page of a picture file, ready to show, with the number of pages
// the file holds (TIFF pages, GIF frames). Decoding is slow for big scans, so
// the viewer calls this on a pool thread; it touches no widgets.
struct PicturePage {
  QImage image;
  int pageCount = 0;
  // Why the page could not be decoded; empty on success.
  QString error;

  static PicturePage Load(const QString& path, int pageIndex);
};
