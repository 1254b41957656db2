#include "tree/CTreeFileItem.h"

#include "tree/TreeNames.h"

CTreeFileItem::CTreeFileItem(TreeItemInfo info)
    : QTreeWidgetItem(kType), info_(std::move(info)), sortKey_(TreeNames::FoldedKey(info_.name)) {
  setFlags(flags() | Qt::ItemIsEditable);
}

void CTreeFileItem::SetPathAndName(std::string path, std::string name) {
  info_.path = std::move(path);
  info_.name = std::move(name);
  sortKey_ = TreeNames::FoldedKey(info_.name);
}

void CTreeFileItem::SetIndicator(bool hasChildren) {
  setChildIndicatorPolicy(hasChildren ? ShowIndicator : DontShowIndicatorWhenChildless);
}

bool CTreeFileItem::HasIndicator() const {
  return childIndicatorPolicy() == ShowIndicator;
}

bool CTreeFileItem::operator<(const QTreeWidgetItem& other) const {
  if (other.type() != kType)
    return QTreeWidgetItem::operator<(other);
  const auto& that = static_cast<const CTreeFileItem&>(other);
  if (info_.isFile != that.info_.isFile)
    return that.info_.isFile;
  const int order = sortKey_.compare(that.sortKey_);
  return order != 0 ? order < 0 : info_.name < that.info_.name;
}

CTreeFileItem* AsFileItem(QTreeWidgetItem* item) {
  return item != nullptr && item->type() == CTreeFileItem::kType ? static_cast<CTreeFileItem*>(item)
                                                                 : nullptr;
}
