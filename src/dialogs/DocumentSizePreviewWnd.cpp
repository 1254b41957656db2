#include "dialogs/DocumentSizePreviewWnd.h"

#include <QPainter>

#include "core/ContractChecks.h"

namespace {

// Rectangles here follow the drawing rules of the glass: right and bottom are exclusive.
struct Box {
  int left;
  int top;
  int right;
  int bottom;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  QRect ToRect() const { return QRect(left, top, Width(), Height()); }
};

// a × b ÷ c truncated, wide enough that large sizes cannot overflow.
int MulDivTruncated(long long a, long long b, long long c) {
  return static_cast<int>(a * b / c);
}

// The glass as large as the client holds it whole: a glass wider than the
// client's shape takes its width, any other its height.
Box GlassBox(const QRect& client, int scannerWidth, int scannerHeight) {
  if (static_cast<long long>(scannerWidth) * client.height() >
      static_cast<long long>(client.width()) * scannerHeight) {
    const int height = MulDivTruncated(scannerHeight, client.width(), scannerWidth);
    const int top = client.top() + (client.height() - height) / 2;
    return {client.left(), top, client.left() + client.width(), top + height};
  }
  const int width = MulDivTruncated(scannerWidth, client.height(), scannerHeight);
  const int left = client.left() + (client.width() - width) / 2;
  return {left, client.top(), left + width, client.top() + client.height()};
}

Box DocumentBox(const Box& inner, int w, int h, ScannerOrigin origin) {
  switch (origin) {
    case ScannerOrigin::Unknown: {
      const int left = (inner.left + inner.right - w) / 2;
      const int top = (inner.top + inner.bottom - h) / 2;
      return {left, top, left + w, top + h};
    }
    case ScannerOrigin::TopLeft:
      return {inner.left, inner.top, inner.left + w, inner.top + h};
    case ScannerOrigin::TopRight:
      return {inner.right - w, inner.top, inner.right, inner.top + h};
    case ScannerOrigin::BottomLeft:
      return {inner.left, inner.bottom - h, inner.left + w, inner.bottom};
    case ScannerOrigin::BottomRight:
      return {inner.right - w, inner.bottom - h, inner.right, inner.bottom};
  }
  CheckPostcondition(CONTRACT_LOCATION, false);
  return {};
}

// An outlined rectangle covering exactly the pixels of `box`, border included.
void DrawBox(QPainter& painter, const QRect& box) {
  if (box.width() < 1 || box.height() < 1)
    return;
  painter.drawRect(QRect(box.left(), box.top(), box.width() - 1, box.height() - 1));
}

}  // namespace

DocumentSizePreviewWnd::DocumentSizePreviewWnd(QWidget* parent) : QWidget(parent) {
  setObjectName("DocumentSizePreviewWnd");
}

void DocumentSizePreviewWnd::SetScannerSize(int width, int height) {
  scannerWidth_ = width;
  scannerHeight_ = height;
  update();
}

void DocumentSizePreviewWnd::SetDocumentSize(int width, int height) {
  documentWidth_ = width;
  documentHeight_ = height;
  update();
}

void DocumentSizePreviewWnd::SetPage(const QImage& page) {
  page_ = page;
  update();
}

void DocumentSizePreviewWnd::SetOrigin(ScannerOrigin origin) {
  // Refused here rather than while painting, so the caller that passed it is the one named.
  const auto value = static_cast<std::int32_t>(origin);
  CheckPrecondition(CONTRACT_LOCATION, value >= 0 && value <= 4);
  origin_ = origin;
  update();
}

DocumentSizePreviewWnd::Geometry DocumentSizePreviewWnd::ComputeGeometry(
    const QRect& client, int scannerWidth, int scannerHeight, int documentWidth, int documentHeight,
    ScannerOrigin origin) {
  // Negative sizes can only come from damaged settings; they are drawn like missing ones.
  if (scannerWidth <= 0 || scannerHeight <= 0 || documentWidth <= 0 || documentHeight <= 0) {
    return {};
  }
  const Box glass = GlassBox(client, scannerWidth, scannerHeight);
  const Box inner{glass.left + 1, glass.top + 1, glass.right - 1, glass.bottom - 1};
  const int w = MulDivTruncated(documentWidth, inner.Width(), scannerWidth);
  const int h = MulDivTruncated(inner.Height(), documentHeight, scannerHeight);
  return {true, glass.ToRect(), DocumentBox(inner, w, h, origin).ToRect()};
}

void DocumentSizePreviewWnd::Paint(QPainter& painter, const QRect& client) const {
  const Geometry geometry = ComputeGeometry(client, scannerWidth_, scannerHeight_, documentWidth_,
                                            documentHeight_, origin_);
  if (!geometry.visible)
    return;
  painter.save();
  painter.setClipRect(client);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(client, palette().color(QPalette::Button));
  if (origin_ != ScannerOrigin::Unknown) {
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    DrawBox(painter, geometry.glass);
  }
  painter.setPen(QPen(QColor(255, 0, 0), 1));
  painter.setBrush(Qt::white);
  DrawBox(painter, geometry.document);
  if (!page_.isNull()) {
    // The page as scanned, inside the document's outline, kept to its own shape.
    const QRect inside = geometry.document.adjusted(1, 1, -1, -1);
    const QSize shown = page_.size().scaled(inside.size(), Qt::KeepAspectRatio);
    const QRect target(inside.topLeft(), shown);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(target, page_);
  }
  painter.restore();
}

void DocumentSizePreviewWnd::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  Paint(painter, rect());
}
