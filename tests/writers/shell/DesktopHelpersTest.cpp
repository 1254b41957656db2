#include <gtest/gtest.h>

#include <QApplication>
#include <QUrl>
#include <QWidget>

#include "RecordingShell.h"
#include "TestPictures.h"
#include "viewer/PictureViewerWnd.h"
#include "writers/shell/DesktopHelpers.h"

namespace {

int LiveViewerCount() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  int count = 0;
  for (QWidget* widget : QApplication::topLevelWidgets())
    count += widget->objectName() == "PictureViewerWnd" ? 1 : 0;
  return count;
}

QString ViewerPath() {
  auto* viewer = qobject_cast<PictureViewerWnd*>(CurrentViewer());
  return viewer != nullptr ? viewer->Path() : QString();
}

class DesktopHelpersTest : public ::testing::Test {
 protected:
  ~DesktopHelpersTest() override {
    CloseViewer(CurrentViewer());
    LiveViewerCount();
  }

  RecordingShell shell_;
  QWidget owner_;
};

TEST(IsPictureFileTest, KnowsThePictureExtensionsInAnyCase) {
  for (const char* path : {"a.bmp", "a.TIF", "a.tiff", "a.Gif", "a.jpg", "a.JPEG", "/x/a.png"})
    EXPECT_TRUE(IsPictureFile(path)) << path;
  for (const char* path : {"a.pdf", "a.txt", "png", "/x.png/readme", "a.png.bak", ""})
    EXPECT_FALSE(IsPictureFile(path)) << path;
}

TEST_F(DesktopHelpersTest, PictureInCapitalsOpensInTheBuiltInViewer) {
  const std::string path = WritePng("Scan.PNG", 40, 30);
  ViewFile(path, false, false, &owner_);
  EXPECT_TRUE(shell_.calls.isEmpty());
  EXPECT_EQ(ViewerPath(), QString::fromStdString(path));
  // A child window of the owner, so the owner's modal loop does not block it.
  EXPECT_EQ(CurrentViewer()->parentWidget(), &owner_);
  EXPECT_TRUE(CurrentViewer()->isWindow());
}

TEST_F(DesktopHelpersTest, ViewingAgainReplacesThePreviousViewer) {
  ViewFile(WritePng("one.png", 40, 30), false, false, &owner_);
  const std::string second = WriteMultiPageTiff("two.tif", 2);
  ViewFile(second, false, true, &owner_);
  EXPECT_EQ(LiveViewerCount(), 1);
  EXPECT_EQ(ViewerPath(), QString::fromStdString(second));
  EXPECT_TRUE(CurrentViewer()->testAttribute(Qt::WA_ShowWithoutActivating));
}

TEST_F(DesktopHelpersTest, OtherFilesOpenWithTheDefaultProgramAndCloseOurViewer) {
  ViewFile(WritePng("one.png", 40, 30), false, false, &owner_);
  const std::string text = WriteText("notes.txt");
  ViewFile(text, false, false, &owner_);
  ViewFile("/archive/Bank/2012-12.pdf", false, true, &owner_);
  EXPECT_EQ(shell_.calls, (QStringList{"OpenUrl " + QUrl::fromLocalFile(text.c_str()).toString(),
                                       "OpenUrl file:///archive/Bank/2012-12.pdf"}));
  EXPECT_EQ(CurrentViewer(), nullptr);
  EXPECT_EQ(LiveViewerCount(), 0);
}

TEST_F(DesktopHelpersTest, DefaultViewerWantedForAPicture) {
  ViewFile("/archive/Scan.jpg", true, false, &owner_);
  EXPECT_EQ(shell_.calls, QStringList{"OpenUrl file:///archive/Scan.jpg"});
  EXPECT_EQ(CurrentViewer(), nullptr);
}

TEST_F(DesktopHelpersTest, FolderPropertiesAndProgramsGoThroughTheDesktop) {
  EXPECT_TRUE(ExploreFolder("/archive/Bank/"));
  EXPECT_TRUE(ShowFileProperties("/archive/Bank/2012.pdf"));
  EXPECT_TRUE(RunProgram("/usr/bin/viewer", {"--page", "two words"}, true, &owner_));
  EXPECT_EQ(shell_.calls,
            (QStringList{"OpenFolder /archive/Bank/", "ShowProperties /archive/Bank/2012.pdf",
                         "StartProgram /usr/bin/viewer --page two words"}));
  shell_.succeeds = false;
  EXPECT_FALSE(RunProgram("/usr/bin/missing", {}, false, nullptr));
  EXPECT_FALSE(ExploreFolder("/gone/"));
}

}  // namespace
