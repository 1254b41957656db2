#pragma once

#include <QImage>
#include <QWidget>

// Paints one picture, either fitted into the visible area (keeping its
// proportions) or at a zoom factor, in which case it asks for the room the
// zoomed picture needs so a scroll area around it can scroll.
class PictureCanvas : public QWidget {
  Q_OBJECT

 public:
  explicit PictureCanvas(QWidget* parent = nullptr);

  void SetImage(const QImage& image);
  const QImage& Image() const { return image_; }
  // A text shown instead of a picture (while loading, or why it failed).
  void SetMessage(const QString& message);

  void SetFitToWindow(bool fit);
  bool FitsToWindow() const { return fitToWindow_; }
  // 1.0 shows one image pixel per screen pixel; ignored while fitting.
  void SetZoom(double zoom);
  // The scale the picture is drawn at now.
  double EffectiveScale() const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QSize ZoomedSize() const;
  void UpdateSize();

  QImage image_;
  // The picture reduced to the last scale below 1, so repaints need not
  // scale a whole page again.
  QImage reduced_;
  QString message_;
  bool fitToWindow_ = true;
  double zoom_ = 1.0;
};
