#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>

#include "DialogTestHelpers.h"
#include "dialogs/FolderChooser.h"

namespace {

TEST(FolderChooser, OpensAtTheNearestExistingFolderAndCancelGivesNothing) {
  const QString existing = QDir::tempPath();
  QString shownFolder;
  QString caption;
  WhenModalShown([&](QWidget& modal) {
    auto* chooser = qobject_cast<QFileDialog*>(&modal);
    ASSERT_NE(chooser, nullptr);
    shownFolder = chooser->directory().absolutePath();
    caption = chooser->windowTitle();
    chooser->reject();
  });
  EXPECT_EQ(FolderChooser::Choose(nullptr, "Select a directory...", existing + "/not/yet/there/"),
            QString());
  EXPECT_EQ(shownFolder, QDir(existing).absolutePath());
  EXPECT_EQ(caption, "Select a directory...");
}

}  // namespace
