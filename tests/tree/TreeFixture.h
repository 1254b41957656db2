#pragma once

#include <gtest/gtest.h>

#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "tree/CTreeFileCtrl.h"

// A tree over a fresh temporary archive root, shown offscreen.
class TreeFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Paths relative to the root; folders are made as needed.
  std::string Path(const std::string& relative) const;
  void MakeFile(const std::string& relative, const std::string& content = "x") const;
  void MakeFolder(const std::string& relative) const;

  // The labels of an item's children (the top level for nullptr).
  QStringList Labels(QTreeWidgetItem* parent = nullptr) const;
  QTreeWidgetItem* Item(const std::string& relative) const;
  // Finds and expands the item of a folder below the root.
  QTreeWidgetItem* Expand(const std::string& relative) const;
  void Select(const std::string& relative) const;
  bool HasButton(QTreeWidgetItem* item) const;

  QTemporaryDir dir_;
  std::string root_;
  std::unique_ptr<CTreeFileCtrl> tree_;
};
