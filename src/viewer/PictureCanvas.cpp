#include "viewer/PictureCanvas.h"

#include <QPainter>
#include <algorithm>

PictureCanvas::PictureCanvas(QWidget* parent) : QWidget(parent) {
  setObjectName("pictureCanvas");
  setBackgroundRole(QPalette::Dark);
  setAutoFillBackground(true);
}

void PictureCanvas::SetImage(const QImage& image) {
  image_ = image;
  message_.clear();
  UpdateSize();
}

void PictureCanvas::SetMessage(const QString& message) {
  image_ = QImage();
  message_ = message;
  UpdateSize();
}

void PictureCanvas::SetFitToWindow(bool fit) {
  fitToWindow_ = fit;
  UpdateSize();
}

void PictureCanvas::SetZoom(double zoom) {
  zoom_ = zoom;
  fitToWindow_ = false;
  UpdateSize();
}

double PictureCanvas::EffectiveScale() const {
  if (!fitToWindow_)
    return zoom_;
  if (image_.isNull())
    return 1.0;
  return std::min(double(width()) / image_.width(), double(height()) / image_.height());
}

QSize PictureCanvas::sizeHint() const {
  return fitToWindow_ ? QSize(400, 300) : ZoomedSize();
}

QSize PictureCanvas::ZoomedSize() const {
  if (image_.isNull())
    return QSize(400, 300);
  return QSize(std::max(1, qRound(image_.width() * zoom_)),
               std::max(1, qRound(image_.height() * zoom_)));
}

void PictureCanvas::UpdateSize() {
  reduced_ = QImage();
  if (!fitToWindow_)
    resize(ZoomedSize());
  updateGeometry();
  update();
}

void PictureCanvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (image_.isNull()) {
    painter.setPen(palette().color(QPalette::BrightText));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, message_);
    return;
  }
  const double scale = EffectiveScale();
  const QSizeF size(image_.width() * scale, image_.height() * scale);
  const QPointF topLeft(std::max(0.0, (width() - size.width()) / 2),
                        std::max(0.0, (height() - size.height()) / 2));
  if (scale >= 1.0) {
    painter.drawImage(QRectF(topLeft, size), image_);
    return;
  }
  const QSize reducedSize = size.toSize().expandedTo(QSize(1, 1));
  if (reduced_.size() != reducedSize)
    reduced_ = image_.scaled(reducedSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  painter.drawImage(topLeft, reduced_);
}
