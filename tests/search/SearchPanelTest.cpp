// The search panel counts every document found, lists the best first and
// loads the next page as the list is scrolled to its end.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <functional>

#include "SearchableDocuments.h"
#include "ocr/PageRecognizer.h"
#include "search/panel/SearchPanel.h"
#include "search/panel/SearchService.h"

namespace {

bool WaitFor(const std::function<bool()>& done, int timeoutMs = 60000) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < timeoutMs)
    QTest::qWait(20);
  return done();
}

TEST(SearchPanelTest, CountsEveryDocumentAndLoadsTheNextPageAtTheEndOfTheList) {
  struct Case {
    int documents;
    std::vector<int> rowsAfterEachScroll;  // the first: before any scrolling
  };
  for (const Case& c : {Case{250, {100, 200, 250, 250}}, Case{100, {100, 100}}, Case{3, {3}}}) {
    SCOPED_TRACE(c.documents);
    QTemporaryDir archive;
    const std::string root = archive.path().toStdString();
    for (int i = 0; i < c.documents; ++i)
      ASSERT_TRUE(WriteSearchablePdf(root + "/Bill " + std::to_string(1000 + i) + ".pdf",
                                     {"the plumber's bill"}));
    SearchService service(
        nullptr, [](const std::string&) -> std::unique_ptr<PageRecognizer> { return nullptr; });
    service.SetArchive(root, "eng");
    service.WaitUntilIdle();
    SearchPanel panel(service);
    panel.resize(600, 400);
    panel.show();
    auto* count = panel.findChild<QLabel*>("searchCount");
    auto* results = panel.findChild<QTreeWidget*>("searchResults");
    ASSERT_TRUE(count && results);

    panel.Field()->setText("plumber");
    QScrollBar* bar = results->verticalScrollBar();
    int shown = 0;
    int shownEnd = 0;
    for (int rows : c.rowsAfterEachScroll) {
      // New rows count once the list has laid them out, so that its end is theirs.
      ASSERT_TRUE(WaitFor([&] {
        return results->topLevelItemCount() == rows && count->isVisible() &&
               (rows == shown || rows < 20 || bar->maximum() > shownEnd);
      })) << results->topLevelItemCount()
          << " rows, not " << rows;
      EXPECT_TRUE(count->text().contains(QString::number(c.documents)))
          << count->text().toStdString();
      shown = rows;
      shownEnd = bar->maximum();
      bar->setValue(bar->maximum());
    }
    // Nothing more comes once every document is listed.
    QTest::qWait(100);
    service.WaitUntilIdle();
    QTest::qWait(20);
    EXPECT_EQ(results->topLevelItemCount(), c.documents);
    // The rows are the documents found, each once.
    QSet<QString> names;
    for (int i = 0; i < results->topLevelItemCount(); ++i)
      names.insert(results->topLevelItem(i)->text(0));
    EXPECT_EQ(names.size(), c.documents);
  }
}

}  // namespace
