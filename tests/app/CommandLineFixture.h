#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>

// What one run of the program left.
struct CommandRun {
  int exitCode = -1;
  QByteArray out;
  QByteArray err;
};

// Runs the built program as a script would: no display, a private HOME with
// the shipped document size catalogue, and SANE's test backend as the only
// scanner, its two devices holding a Letter or A4 page.
class CommandLineFixture : public ::testing::Test {
 protected:
  void SetUp() override;

  // Rewrites the test backend's configuration; `extraLines` go into test.conf.
  void ConfigureSane(const std::string& extraLines = "");
  CommandRun Run(const QStringList& arguments,
                 const std::function<void()>& inChild = nullptr) const;
  // Starts the program without waiting; `environment` replaces the fixture's.
  std::unique_ptr<QProcess> Start(const QStringList& arguments,
                                  const QProcessEnvironment* environment = nullptr) const;
  // Waits for a started program and collects what it left.
  static CommandRun Collect(QProcess& process);

  std::string Archive() const { return root_.filePath("archive").toStdString() + "/"; }
  QString ArchivePath(const QString& name) const { return root_.filePath("archive/" + name); }
  QString LogText() const;

  QTemporaryDir root_;
  QProcessEnvironment environment_;
};
