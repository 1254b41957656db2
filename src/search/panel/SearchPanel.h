#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "search/SearchTypes.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class SearchService;

// The search field above the archive tree and the results under it: every
// change of the words searches again (off the window's thread), each result
// shows document, folder, date, page and a snippet with the words marked.
// Enter opens the chosen (or first) result; "Show in tree" selects it in the
// tree. Indexing progress shows in one quiet line. The list counts every
// document found and shows the best first, a page more whenever it is
// scrolled to its end.
class SearchPanel : public QWidget {
  Q_OBJECT

 public:
  explicit SearchPanel(SearchService& service, QWidget* parent = nullptr);

  // Puts the cursor in the search field with its words selected.
  void FocusField();
  QLineEdit* Field() const { return field_; }

 signals:
  void openRequested(const QString& path, int page);
  void showInTreeRequested(const QString& path);
  // The result list appeared (a search is shown) or went (the field was cleared).
  void resultsShown(bool shown);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnTextChanged();
  // Asks again for the words shown, as many rows as are shown (the index changed).
  void Refresh();
  void Ask(int rows);
  void FetchMore();
  void OnResults(const QString& words, int offset, const std::vector<SearchHit>& hits, int total);
  void OnSnippets(const QString& words, int offset, const std::vector<SearchHit>& hits);
  void OnProgress(int done, int total);
  void ShowWholeColumns();
  void OpenItem(QTreeWidgetItem* item);
  QTreeWidgetItem* ChosenItem() const;

  SearchService& service_;
  QLineEdit* field_;
  QLabel* progress_;
  QLabel* count_;
  QTreeWidget* results_;
  QPushButton* showInTree_;
  SearchQuery query_;
  // Every document found for the words in the field; -1 until counted.
  int total_ = -1;
  bool fetching_ = false;
  // The next first page answers the same words again: keep the user's place.
  bool keepPlace_ = false;
};
