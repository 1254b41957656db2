#include <gtest/gtest.h>

#include <QDir>
#include <filesystem>
#include <fstream>

#include "LogCapture.h"
#include "TestFiles.h"
#include "core/DebugLog.h"
#include "core/Paths.h"

namespace {

TEST(DebugLog, NothingIsWrittenBeforeTheLogIsOpen) {
  CloseDebugLog();
  std::filesystem::remove(LogFilePath());
  testing::internal::CaptureStderr();
  Log(LOG_LOCATION, "too early %d", 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(LogLevel(), 0);
  EXPECT_FALSE(std::filesystem::exists(LogFilePath()));
}

TEST(DebugLog, PathsLiveInTheTemporaryFolder) {
  EXPECT_EQ(TempFolder(), QDir::tempPath().toStdString() + "/");
  EXPECT_EQ(LogFolder(), TempFolder() + "Docketeer/");
  EXPECT_EQ(LogFilePath(), LogFolder() + "Docketeer.log");
}

TEST(PathText, TrailingSeparators) {
  EXPECT_EQ(EnsureTrailingSeparator(""), "/");
  EXPECT_EQ(EnsureTrailingSeparator("/tmp"), "/tmp/");
  EXPECT_EQ(EnsureTrailingSeparator("/tmp/"), "/tmp/");
  EXPECT_EQ(RemoveTrailingSeparator("/tmp/"), "/tmp");
  EXPECT_EQ(RemoveTrailingSeparator("/tmp//"), "/tmp/");
  EXPECT_EQ(RemoveTrailingSeparator("/tmp"), "/tmp");
  EXPECT_EQ(RemoveTrailingSeparator(""), "");
}

TEST_F(LogCapture, StartBannerComesFirstWithItsLocation) {
  const std::string log = WholeLog();
  EXPECT_EQ(log.rfind("DebugLog.cpp (", 0), 0u) << log;
  const std::string firstLine = log.substr(0, log.find("\r\n"));
  EXPECT_TRUE(firstLine.ends_with(") : Starting Docketeer v2.00.0147")) << firstLine;
  EXPECT_NE(log.find(") : OS Type: 64 bit\r\n"), std::string::npos) << log;
  EXPECT_EQ(LogLevel(), 255);
}

TEST_F(LogCapture, LinesCarryFileAndLine) {
  Log(LogLocation{17, "Unit.cpp"}, "CFoliantDlg::OnScanClicked(): %s %d %u %x %X %c", "a", -3, 4u,
      255u, 255u, 'z');
  EXPECT_EQ(LogText(), "Unit.cpp (17) : CFoliantDlg::OnScanClicked(): a -3 4 ff FF z\r\n");
}

TEST_F(LogCapture, DollarMessagesHaveABlankAndNoPrefix) {
  Log(LogLocation{1, "Unit.cpp"}, "$Plain %d", 5);
  EXPECT_EQ(LogText(), " Plain 5\r\n");
}

TEST_F(LogCapture, OneLeadingLineFeedMakesAnEmptyLine) {
  Log(LogLocation{1, "U.cpp"}, "\nEntry");
  Log(LogLocation{2, "U.cpp"}, "\n\nSecond");
  EXPECT_EQ(LogText(), "\r\nU.cpp (1) : Entry\r\n\r\nU.cpp (2) : \nSecond\r\n");
}

TEST_F(LogCapture, LinesAlsoGoToStandardError) {
  testing::internal::CaptureStderr();
  Log(LogLocation{3, "U.cpp"}, "twice");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "U.cpp (3) : twice\r\n");
}

TEST_F(LogCapture, MessagesAreCutAt1023Characters) {
  const std::string longText(5000, 'x');
  Log(LogLocation{1, "U.cpp"}, "%s", longText.c_str());
  EXPECT_EQ(LogText(), "U.cpp (1) : " + std::string(1023, 'x') + "\r\n");
}

TEST_F(LogCapture, SecondStartReplacesThePreviousLog) {
  Log(LogLocation{1, "U.cpp"}, "from the first run");
  ASSERT_TRUE(OpenDebugLog());
  const std::string log = ReadFileBytes(LogFilePath());
  EXPECT_EQ(log.find("from the first run"), std::string::npos);
  EXPECT_NE(log.find("Starting Docketeer v2.00.0147"), std::string::npos);
}

TEST_F(LogCapture, ALinkInTheLogsPlaceIsNotFollowed) {
  const std::string victim = TempFolder() + "victim.txt";
  std::ofstream(victim) << "keep me";
  CloseDebugLog();
  std::filesystem::remove(LogFilePath());
  std::filesystem::create_symlink(victim, LogFilePath());
  ASSERT_TRUE(OpenDebugLog());
  Log(LogLocation{1, "U.cpp"}, "line");
  EXPECT_EQ(ReadFileBytes(victim), "keep me");
  EXPECT_FALSE(std::filesystem::is_symlink(LogFilePath()));
}

}  // namespace
