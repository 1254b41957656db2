// The manager library in a process of its own, ended in the ways a program
// ends: nothing it left behind may crash the process.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

namespace {

struct Ending {
  const char* mode;
};

class LibraryLifecycle : public ::testing::TestWithParam<Ending> {};

TEST_P(LibraryLifecycle, EndsTheProcessCleanly) {
  QProcess probe;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  // Windows left to the system at exit are not what this test looks for.
  environment.insert("ASAN_OPTIONS", "detect_leaks=0:abort_on_error=1");
  probe.setProcessEnvironment(environment);
  probe.start(DOCKETEER_LIFECYCLE_PROBE, {GetParam().mode, DOCKETEER_DSM_LIBRARY});
  ASSERT_TRUE(probe.waitForFinished(60000));
  EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit) << probe.readAllStandardError().toStdString();
  EXPECT_EQ(probe.exitCode(), 0) << probe.readAllStandardError().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Endings, LibraryLifecycle,
                         ::testing::Values(Ending{"exit-with-window-open"},
                                           Ending{"unload-with-a-close-request-queued"},
                                           Ending{"show-ui-without-widgets"},
                                           Ending{"unload-during-a-feeder-batch"}),
                         [](const auto& info) {
                           std::string name = info.param.mode;
                           for (char& c : name)
                             c = c == '-' ? '_' : c;
                           return name;
                         });

}  // namespace
