#include "TreeFixture.h"

#include <QTest>
#include <filesystem>
#include <fstream>

#include "tree/CTreeFileItem.h"

void TreeFixture::SetUp() {
  ASSERT_TRUE(dir_.isValid());
  root_ = dir_.path().toStdString() + "/Archive";
  std::filesystem::create_directories(root_);
  tree_ = std::make_unique<CTreeFileCtrl>();
  tree_->resize(400, 600);
  tree_->show();
}

void TreeFixture::TearDown() {
  tree_.reset();
}

std::string TreeFixture::Path(const std::string& relative) const {
  return root_ + "/" + relative;
}

void TreeFixture::MakeFile(const std::string& relative, const std::string& content) const {
  const std::filesystem::path path = Path(relative);
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path) << content;
}

void TreeFixture::MakeFolder(const std::string& relative) const {
  std::filesystem::create_directories(Path(relative));
}

QStringList TreeFixture::Labels(QTreeWidgetItem* parent) const {
  if (parent == nullptr)
    parent = tree_->invisibleRootItem();
  QStringList labels;
  for (int i = 0; i < parent->childCount(); ++i)
    labels << parent->child(i)->text(0);
  return labels;
}

QTreeWidgetItem* TreeFixture::Item(const std::string& relative) const {
  return tree_->FindItemByPath(Path(relative));
}

QTreeWidgetItem* TreeFixture::Expand(const std::string& relative) const {
  QTreeWidgetItem* item = Item(relative);
  if (item != nullptr)
    item->setExpanded(true);
  return item;
}

void TreeFixture::Select(const std::string& relative) const {
  tree_->setCurrentItem(Item(relative));
}

bool TreeFixture::HasButton(QTreeWidgetItem* item) const {
  const CTreeFileItem* fileItem = AsFileItem(item);
  return fileItem != nullptr && (fileItem->HasIndicator() || item->childCount() > 0);
}
