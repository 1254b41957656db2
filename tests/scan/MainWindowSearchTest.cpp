// The window's search over a small archive: type, see the hit, open it at its
// page, show it in the tree.
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "MainWindowFixture.h"
#include "RecordingShell.h"
#include "SearchableDocuments.h"
#include "tree/CTreeFileCtrl.h"

namespace {

bool WaitFor(const std::function<bool()>& done, int timeoutMs = 30000) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < timeoutMs)
    QTest::qWait(20);
  return done();
}

using MainWindowSearchTest = MainWindowFixture;

TEST_F(MainWindowSearchTest, TypedWordsFindThePageWhichOpensAndShowsInTheTree) {
  const std::string root = DocumentsRoot();
  MakeFolder(root + "Insurance");
  const std::string roof = root + "Insurance/Roof 2026-03-14.pdf";
  ASSERT_TRUE(WriteSearchablePdf(roof, {"a quote for the roof", "the insurer Müller pays"}));
  RecordingShell shell;
  CFoliantDlg& window = StartWindow();
  auto* field = Find<QLineEdit>("searchField");
  auto* results = Find<QTreeWidget>("searchResults");
  ASSERT_TRUE(field && results);

  QTest::keyClick(&window, Qt::Key_F, Qt::ControlModifier);
  EXPECT_EQ(QApplication::focusWidget(), field);
  QTest::keyClicks(field, "insurer mull");  // the last word still being typed
  ASSERT_TRUE(WaitFor([&] { return results->topLevelItemCount() == 1; }));
  const QTreeWidgetItem* hit = results->topLevelItem(0);
  EXPECT_EQ(hit->text(0), "Roof 2026-03-14.pdf");
  EXPECT_EQ(hit->text(1), "Insurance");
  EXPECT_EQ(hit->text(2), "2026-03-14");
  EXPECT_EQ(hit->text(3), "2");
  EXPECT_TRUE(hit->text(4).contains("<b>Müller</b>")) << hit->text(4).toStdString();

  QTest::keyClick(field, Qt::Key_Return);
  ASSERT_EQ(shell.calls.size(), 1);
  // The first viewer that takes a page on its command line gets it.
  EXPECT_EQ(shell.calls[0], "StartProgram evince -i 2 " + QString::fromStdString(roof));

  // While results show they take the tree's room; "Show in tree" gives it back.
  EXPECT_FALSE(Find<CTreeFileCtrl>("destinationTree")->isVisible());
  EXPECT_FALSE(hit->toolTip(1).isEmpty());
  EXPECT_TRUE(hit->toolTip(1).contains(QString::fromStdString(roof)));
  Find<QPushButton>("showInTree")->click();
  EXPECT_TRUE(Find<CTreeFileCtrl>("destinationTree")->isVisible());
  EXPECT_EQ(Find<CTreeFileCtrl>("destinationTree")->GetSelectedPath(), roof);

  // Nothing matches: no results, and clearing the field hides the list.
  QTest::keyClicks(field, " zebra ");
  ASSERT_TRUE(WaitFor([&] { return results->topLevelItemCount() == 0; }));
  field->clear();
  EXPECT_FALSE(results->isVisible());
}

// A document the workflow has just written reaches the index at once: with
// the text in hand it is taken as given; without it the file itself is read,
// so a PDF's own text layer is found rather than nothing.
TEST_F(MainWindowSearchTest, ASavedDocumentIsIndexedWithItsTextOrByReadingIt) {
  const std::string root = DocumentsRoot();
  MakeFolder(root + "Letters");
  CFoliantDlg& window = StartWindow();
  auto* field = Find<QLineEdit>("searchField");
  auto* results = Find<QTreeWidget>("searchResults");
  ASSERT_TRUE(field && results);
  const std::string recognised = root + "Letters/Recognised.pdf";
  const std::string plain = root + "Letters/Plain.pdf";
  ASSERT_TRUE(WriteSearchablePdf(recognised, {"layer words only"}));
  ASSERT_TRUE(WriteSearchablePdf(plain, {"a greenhouse invoice"}));

  window.DocumentSaved(recognised, {"first page", "the orchard harvest"});
  window.DocumentSaved(plain, {});
  struct Case {
    const char* words;
    const char* name;
    const char* page;
  };
  for (const Case& c :
       {Case{"orchard", "Recognised.pdf", "2"}, Case{"greenhouse", "Plain.pdf", "1"}}) {
    SCOPED_TRACE(c.words);
    field->setText(c.words);
    ASSERT_TRUE(WaitFor([&] {
      return results->topLevelItemCount() == 1 && results->topLevelItem(0)->text(0) == c.name;
    }));
    EXPECT_EQ(results->topLevelItem(0)->text(3), c.page);
  }
}

// More hits than a screenful: the list comes at once and every row, the
// last included, gets its snippet, read from the document after.
TEST_F(MainWindowSearchTest, EveryHitGetsItsSnippet) {
  const std::string root = DocumentsRoot();
  MakeFolder(root + "Bills");
  constexpr int kDocuments = 26;
  for (int i = 0; i < kDocuments; ++i)
    ASSERT_TRUE(WriteSearchablePdf(root + "Bills/Bill " + std::to_string(100 + i) + ".pdf",
                                   {"the plumber's bill"}));
  StartWindow();
  auto* field = Find<QLineEdit>("searchField");
  auto* results = Find<QTreeWidget>("searchResults");
  ASSERT_TRUE(field && results);
  field->setText("plumber");
  ASSERT_TRUE(WaitFor([&] {
    if (results->topLevelItemCount() != kDocuments)
      return false;
    for (int i = 0; i < kDocuments; ++i)
      if (!results->topLevelItem(i)->text(4).contains("<b>plumber"))
        return false;
    return true;
  }));
}

}  // namespace
