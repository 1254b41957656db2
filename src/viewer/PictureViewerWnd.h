#pragma once

#include <QString>
#include <QWidget>

class PictureCanvas;
class QAction;
class QLabel;
class QScrollArea;
class QToolBar;
struct PicturePage;

// The built-in picture viewer: one file, fitted to the window or zoomed, with
// paging through the pages of a multi-page TIFF (and the frames of a GIF).
// Pages are decoded on a pool thread so the window stays responsive.
class PictureViewerWnd : public QWidget {
  Q_OBJECT

 public:
  // Shows a new viewer for `path`. The owner's modality does not block it;
  // with `keepFocus` it appears without taking the focus from the owner.
  static PictureViewerWnd* Open(const QString& path, QWidget* owner, bool keepFocus);

  PictureViewerWnd(const QString& path, QWidget* owner);

  QString Path() const { return path_; }
  int PageIndex() const { return pageIndex_; }
  int PageCount() const { return pageCount_; }
  const PictureCanvas& Canvas() const { return *canvas_; }

  void ShowPage(int index);
  void NextPage();
  void PreviousPage();
  void ZoomIn();
  void ZoomOut();
  void FitToWindow();
  void ActualSize();

 signals:
  // A page request has been answered, with a picture or with a message.
  void PageLoaded(int index);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateActions();
  QAction* AddAction(QToolBar* toolBar, const QString& text, const QString& objectName,
                     const QKeySequence& key, void (PictureViewerWnd::*slot)());
  void OnPageLoaded(int request, int index, const PicturePage& page);
  void SetZoom(double zoom);
  void UpdateControls();

  QString path_;
  PictureCanvas* canvas_ = nullptr;
  QScrollArea* scrollArea_ = nullptr;
  QLabel* pageLabel_ = nullptr;
  QAction* previousPage_ = nullptr;
  QAction* nextPage_ = nullptr;
  int pageIndex_ = 0;
  int pageCount_ = 0;
  int lastRequest_ = 0;
};
