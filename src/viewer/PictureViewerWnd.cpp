#include "viewer/PictureViewerWnd.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QLabel>
#include <QPromise>
#include <QScreen>
#include <QScrollArea>
#include <QThreadPool>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <memory>

#include "viewer/PictureCanvas.h"
#include "viewer/PicturePage.h"
#include "viewer/WorkArea.h"

namespace {

constexpr double kZoomStep = 1.25;
constexpr double kSmallestZoom = 1.0 / 32;
constexpr double kLargestZoom = 8.0;

// Where the last viewer was, so the next one opens in the same place.
QRect gLastGeometry;

QRect DefaultGeometry(QWidget* owner) {
  QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr)
    return QRect(0, 0, 800, 600);
  const QRect area = screen->availableGeometry();
  QRect rect(0, 0, area.width() * 3 / 5, area.height() * 4 / 5);
  rect.moveCenter(area.center());
  return rect;
}

}  // namespace

PictureViewerWnd* PictureViewerWnd::Open(const QString& path, QWidget* owner, bool keepFocus) {
  auto* viewer = new PictureViewerWnd(path, owner);
  viewer->setGeometry(
      FitRectToWorkArea(gLastGeometry.isValid() ? gLastGeometry : DefaultGeometry(owner)));
  viewer->setAttribute(Qt::WA_ShowWithoutActivating, keepFocus);
  viewer->show();
  if (!keepFocus) {
    viewer->raise();
    viewer->activateWindow();
  }
  return viewer;
}

// A child window of the owner, so the owner's modal loop does not block it.
PictureViewerWnd::PictureViewerWnd(const QString& path, QWidget* owner)
    : QWidget(owner, Qt::Window), path_(path) {
  setObjectName("PictureViewerWnd");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QString("%1 - Docketeer").arg(QFileInfo(path).fileName()));
  canvas_ = new PictureCanvas;
  canvas_->SetMessage("Loading...");
  scrollArea_ = new QScrollArea;
  scrollArea_->setObjectName("pictureScrollArea");
  scrollArea_->setAlignment(Qt::AlignCenter);
  scrollArea_->setWidgetResizable(true);
  scrollArea_->setWidget(canvas_);
  scrollArea_->viewport()->installEventFilter(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  CreateActions();
  layout->addWidget(scrollArea_, 1);
  ShowPage(0);
}

void PictureViewerWnd::CreateActions() {
  auto* toolBar = new QToolBar(this);
  toolBar->setObjectName("viewerToolBar");
  layout()->addWidget(toolBar);
  previousPage_ = AddAction(toolBar, "&Previous Page", "previousPageAction",
                            QKeySequence::MoveToPreviousPage, &PictureViewerWnd::PreviousPage);
  pageLabel_ = new QLabel;
  pageLabel_->setObjectName("pageLabel");
  pageLabel_->setContentsMargins(8, 0, 8, 0);
  toolBar->addWidget(pageLabel_);
  nextPage_ = AddAction(toolBar, "&Next Page", "nextPageAction", QKeySequence::MoveToNextPage,
                        &PictureViewerWnd::NextPage);
  toolBar->addSeparator();
  AddAction(toolBar, "Zoom &In", "zoomInAction", QKeySequence::ZoomIn, &PictureViewerWnd::ZoomIn);
  AddAction(toolBar, "Zoom &Out", "zoomOutAction", QKeySequence::ZoomOut,
            &PictureViewerWnd::ZoomOut);
  AddAction(toolBar, "&Fit to Window", "fitToWindowAction", QKeySequence(Qt::Key_F),
            &PictureViewerWnd::FitToWindow);
  AddAction(toolBar, "&Actual Size", "actualSizeAction", QKeySequence(Qt::CTRL | Qt::Key_0),
            &PictureViewerWnd::ActualSize);
  auto* closeAction = new QAction(this);
  closeAction->setObjectName("closeAction");
  closeAction->setShortcut(QKeySequence(Qt::Key_Escape));
  connect(closeAction, &QAction::triggered, this, &QWidget::close);
  addAction(closeAction);
}

QAction* PictureViewerWnd::AddAction(QToolBar* toolBar, const QString& text,
                                     const QString& objectName, const QKeySequence& key,
                                     void (PictureViewerWnd::*slot)()) {
  QAction* action = toolBar->addAction(text);
  action->setObjectName(objectName);
  action->setShortcut(key);
  action->setToolTip(
      QString("%1 (%2)").arg(QString(text).remove('&'), key.toString(QKeySequence::NativeText)));
  connect(action, &QAction::triggered, this, slot);
  return action;
}

void PictureViewerWnd::ShowPage(int index) {
  const int request = ++lastRequest_;
  auto promise = std::make_shared<QPromise<PicturePage>>();
  auto* watcher = new QFutureWatcher<PicturePage>(this);
  connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, request, index] {
    OnPageLoaded(request, index, watcher->result());
    watcher->deleteLater();
  });
  watcher->setFuture(promise->future());
  promise->start();
  QThreadPool::globalInstance()->start([promise, path = path_, index] {
    promise->addResult(PicturePage::Load(path, index));
    promise->finish();
  });
  pageLabel_->setText(QString("Loading page %1...").arg(index + 1));
}

void PictureViewerWnd::OnPageLoaded(int request, int index, const PicturePage& page) {
  // A later request (the user paged on) makes this answer obsolete.
  if (request != lastRequest_)
    return;
  pageIndex_ = index;
  pageCount_ = page.pageCount;
  if (page.image.isNull())
    canvas_->SetMessage(QString("The picture cannot be shown: %1.").arg(page.error));
  else
    canvas_->SetImage(page.image);
  UpdateControls();
  emit PageLoaded(index);
}

void PictureViewerWnd::NextPage() {
  if (pageIndex_ + 1 < pageCount_)
    ShowPage(pageIndex_ + 1);
}

void PictureViewerWnd::PreviousPage() {
  if (pageIndex_ > 0)
    ShowPage(pageIndex_ - 1);
}

void PictureViewerWnd::ZoomIn() {
  SetZoom(canvas_->EffectiveScale() * kZoomStep);
}

void PictureViewerWnd::ZoomOut() {
  SetZoom(canvas_->EffectiveScale() / kZoomStep);
}

void PictureViewerWnd::ActualSize() {
  SetZoom(1.0);
}

void PictureViewerWnd::FitToWindow() {
  scrollArea_->setWidgetResizable(true);
  canvas_->SetFitToWindow(true);
}

void PictureViewerWnd::SetZoom(double zoom) {
  scrollArea_->setWidgetResizable(false);
  canvas_->SetZoom(std::clamp(zoom, kSmallestZoom, kLargestZoom));
}

void PictureViewerWnd::UpdateControls() {
  pageLabel_->setText(pageCount_ > 0 ? QString("Page %1 of %2").arg(pageIndex_ + 1).arg(pageCount_)
                                     : QString());
  previousPage_->setEnabled(pageIndex_ > 0);
  nextPage_->setEnabled(pageIndex_ + 1 < pageCount_);
}

void PictureViewerWnd::closeEvent(QCloseEvent* event) {
  gLastGeometry = geometry();
  QWidget::closeEvent(event);
}

// Ctrl and the wheel zoom, as in most viewers; the wheel alone scrolls.
bool PictureViewerWnd::eventFilter(QObject* watched, QEvent* event) {
  if (watched == scrollArea_->viewport() && event->type() == QEvent::Wheel) {
    auto* wheel = static_cast<QWheelEvent*>(event);
    if (wheel->modifiers() & Qt::ControlModifier) {
      const int delta = wheel->angleDelta().y();
      if (delta > 0)
        ZoomIn();
      else if (delta < 0)
        ZoomOut();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}
