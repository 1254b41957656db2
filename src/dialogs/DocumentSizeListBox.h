#pragma once

#include <QListWidget>

#include "settings/DocumentSizeCatalogue.h"

// The list of document sizes, sorted by description the way the user reads
// it. Each entry keeps the index of its size in the catalogue, so lookups never
// depend on the sorted position.
class DocumentSizeListBox : public QListWidget {
  Q_OBJECT

 public:
  explicit DocumentSizeListBox(QWidget* parent = nullptr);

  // Refills the list from the catalogue and selects the first entry.
  void Fill(const DocumentSizeCatalogue& sizes);
  // The catalogue index of the selected entry, or -1 when none is selected.
  int SelectedSizeIndex() const;
  // Selects the entry of the size at `sizeIndex`; returns false when none shows it.
  bool SelectSizeIndex(int sizeIndex);
};
