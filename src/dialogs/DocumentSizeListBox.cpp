#include "dialogs/DocumentSizeListBox.h"

#include <QCollator>
#include <algorithm>
#include <numeric>
#include <vector>

namespace {

constexpr int kSizeIndexRole = Qt::UserRole;

// Catalogue indexes in display order: by description regardless of case, equal
// descriptions in catalogue order.
std::vector<int> SortedOrder(const DocumentSizeCatalogue& sizes) {
  QCollator collator;
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  std::vector<QString> names;
  names.reserve(sizes.size());
  for (const DocumentSize& size : sizes)
    names.push_back(QString::fromStdString(size.Name()));
  std::vector<int> order(sizes.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return collator.compare(names[a], names[b]) < 0; });
  return order;
}

}  // namespace

DocumentSizeListBox::DocumentSizeListBox(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
}

void DocumentSizeListBox::Fill(const DocumentSizeCatalogue& sizes) {
  const QSignalBlocker blocker(this);
  clear();
  for (int index : SortedOrder(sizes)) {
    auto* item = new QListWidgetItem(QString::fromStdString(sizes[index].Name()), this);
    item->setData(kSizeIndexRole, index);
  }
  if (count() > 0)
    setCurrentRow(0);
}

int DocumentSizeListBox::SelectedSizeIndex() const {
  const QList<QListWidgetItem*> selected = selectedItems();
  return selected.isEmpty() ? -1 : selected.first()->data(kSizeIndexRole).toInt();
}

bool DocumentSizeListBox::SelectSizeIndex(int sizeIndex) {
  for (int row = 0; row < count(); ++row) {
    if (item(row)->data(kSizeIndexRole).toInt() == sizeIndex) {
      setCurrentRow(row);
      return true;
    }
  }
  return false;
}
