#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>

#include "settings/ScannerOrigin.h"

class QPainter;

// Draws the scanner glass and the document lying on it to scale, at the corner
// where the scanner expects the page, so the user sees where to place it.
// All lengths are thousandths of an inch.
class DocumentSizePreviewWnd : public QWidget {
  Q_OBJECT

 public:
  explicit DocumentSizePreviewWnd(QWidget* parent = nullptr);

  void SetScannerSize(int width, int height);
  void SetDocumentSize(int width, int height);
  void SetOrigin(ScannerOrigin origin);
  // The page being scanned, or the last one scanned, drawn inside the
  // document; a null image shows the empty document again.
  void SetPage(const QImage& page);
  const QImage& Page() const { return page_; }

  int ScannerWidth() const { return scannerWidth_; }
  int ScannerHeight() const { return scannerHeight_; }
  int DocumentWidth() const { return documentWidth_; }
  int DocumentHeight() const { return documentHeight_; }
  ScannerOrigin Origin() const { return origin_; }

  // Where the glass and the document go in a client rectangle; `visible` is
  // false when a size is missing and nothing is to be drawn.
  struct Geometry {
    bool visible = false;
    QRect glass;
    QRect document;
  };
  static Geometry ComputeGeometry(const QRect& client, int scannerWidth, int scannerHeight,
                                  int documentWidth, int documentHeight, ScannerOrigin origin);

  QSize sizeHint() const override { return {120, 160}; }

  // Paints the preview into `client`; paintEvent draws through it.
  void Paint(QPainter& painter, const QRect& client) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int scannerWidth_ = 0;
  int scannerHeight_ = 0;
  int documentWidth_ = 0;
  int documentHeight_ = 0;
  ScannerOrigin origin_ = ScannerOrigin::Unknown;
  QImage page_;
};
