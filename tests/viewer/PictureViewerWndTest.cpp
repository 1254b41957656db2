#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QSignalSpy>

#include "TestPictures.h"
#include "viewer/PictureCanvas.h"
#include "viewer/PictureViewerWnd.h"

namespace {

class PictureViewerWndTest : public ::testing::Test {
 protected:
  // Opens a viewer and waits until its first page is decoded.
  void Open(const std::string& path) {
    viewer_ = std::make_unique<PictureViewerWnd>(QString::fromStdString(path), nullptr);
    viewer_->setAttribute(Qt::WA_DeleteOnClose, false);
    viewer_->resize(400, 300);
    viewer_->show();
    WaitForPage();
  }
  void WaitForPage() {
    QSignalSpy loaded(viewer_.get(), &PictureViewerWnd::PageLoaded);
    ASSERT_TRUE(loaded.wait(10000));
  }
  QString PageLabel() const { return viewer_->findChild<QLabel*>("pageLabel")->text(); }
  bool Enabled(const char* action) const {
    return viewer_->findChild<QAction*>(action)->isEnabled();
  }
  int ShownWidth() const { return viewer_->Canvas().Image().width(); }

  std::unique_ptr<PictureViewerWnd> viewer_;
};

TEST_F(PictureViewerWndTest, PagesThroughAMultiPageTiff) {
  Open(WriteMultiPageTiff("three.tif", 3));
  EXPECT_EQ(viewer_->PageCount(), 3);
  EXPECT_EQ(PageLabel(), "Page 1 of 3");
  EXPECT_EQ(ShownWidth(), 100);
  EXPECT_FALSE(Enabled("previousPageAction"));
  EXPECT_TRUE(Enabled("nextPageAction"));

  viewer_->NextPage();
  WaitForPage();
  EXPECT_EQ(PageLabel(), "Page 2 of 3");
  EXPECT_EQ(ShownWidth(), 110);

  viewer_->findChild<QAction*>("nextPageAction")->trigger();
  WaitForPage();
  EXPECT_EQ(ShownWidth(), 120);
  EXPECT_FALSE(Enabled("nextPageAction"));
  EXPECT_TRUE(Enabled("previousPageAction"));
}

TEST_F(PictureViewerWndTest, ShowsThePixelsAsWritten) {
  Open(WritePng("colour.png", 40, 30));
  EXPECT_EQ(viewer_->Canvas().Image().pixel(5, 7), qRgb(5, 7, 128));
  Open(WriteBlackAndWhitePng("bw.png", 20, 10));
  const QImage& image = viewer_->Canvas().Image();
  EXPECT_EQ(image.pixel(0, 3), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel(1, 3), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(19, 9), qRgb(255, 255, 255));
}

TEST_F(PictureViewerWndTest, OnlyTheLastPageAskedForIsShown) {
  Open(WriteMultiPageTiff("four.tif", 4));
  QSignalSpy loaded(viewer_.get(), &PictureViewerWnd::PageLoaded);
  viewer_->ShowPage(3);
  viewer_->ShowPage(1);
  ASSERT_TRUE(loaded.wait(10000));
  QCoreApplication::processEvents();
  EXPECT_EQ(loaded.count(), 1);
  EXPECT_EQ(viewer_->PageIndex(), 1);
  EXPECT_EQ(ShownWidth(), 110);
}

TEST_F(PictureViewerWndTest, ABrokenFileShowsWhyInsteadOfAPicture) {
  Open(WriteBrokenPicture("broken.tif"));
  EXPECT_TRUE(viewer_->Canvas().Image().isNull());
  EXPECT_EQ(viewer_->PageCount(), 0);
  EXPECT_EQ(PageLabel(), "");
  EXPECT_FALSE(Enabled("nextPageAction"));
  Open("/no/such/picture.png");
  EXPECT_TRUE(viewer_->Canvas().Image().isNull());
}

TEST_F(PictureViewerWndTest, ZoomsFromActualSizeAndFitsBack) {
  Open(WritePng("zoom.png", 400, 300));
  EXPECT_TRUE(viewer_->Canvas().FitsToWindow());
  viewer_->ActualSize();
  EXPECT_DOUBLE_EQ(viewer_->Canvas().EffectiveScale(), 1.0);
  EXPECT_EQ(viewer_->Canvas().size(), QSize(400, 300));
  viewer_->ZoomIn();
  EXPECT_EQ(viewer_->Canvas().size(), QSize(500, 375));
  viewer_->ZoomOut();
  viewer_->ZoomOut();
  EXPECT_DOUBLE_EQ(viewer_->Canvas().EffectiveScale(), 0.8);
  for (int i = 0; i < 40; ++i)
    viewer_->ZoomOut();
  EXPECT_GT(viewer_->Canvas().EffectiveScale(), 0.0) << "zooming out stops somewhere";
  viewer_->FitToWindow();
  EXPECT_TRUE(viewer_->Canvas().FitsToWindow());
  EXPECT_LE(viewer_->Canvas().EffectiveScale(), 1.0);
}

}  // namespace
