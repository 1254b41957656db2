#include "search/panel/SearchPanel.h"

#include <QAbstractTextDocumentLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "search/panel/SearchService.h"

namespace {

enum Column { kDocument, kFolder, kDate, kPage, kSnippet };
constexpr int kPathRole = Qt::UserRole;
constexpr int kPageRole = Qt::UserRole + 1;
// Rows asked for at a time: more than a screenful, few enough to come at once.
constexpr int kPageRows = 100;

// Draws the snippet column's text as rich text, so marked words stand out.
class SnippetDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString html = item.text;
    item.text.clear();
    item.widget->style()->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);
    QTextDocument document;
    document.setDefaultFont(item.font);
    document.setHtml(html);
    document.setDocumentMargin(1);
    painter->save();
    painter->translate(item.rect.topLeft());
    painter->setClipRect(item.rect.translated(-item.rect.topLeft()));
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = item.palette;
    if (item.state & QStyle::State_Selected)
      context.palette.setColor(QPalette::Text, item.palette.color(QPalette::HighlightedText));
    document.documentLayout()->draw(painter, context);
    painter->restore();
  }
};

QString SnippetHtml(const std::vector<SnippetPart>& parts) {
  QString html;
  for (const SnippetPart& part : parts) {
    const QString text = QString::fromStdString(part.text).toHtmlEscaped();
    html += part.marked ? "<b>" + text + "</b>" : text;
  }
  return html;
}

QString PlainSnippet(const std::vector<SnippetPart>& parts) {
  QString text;
  for (const SnippetPart& part : parts)
    text += QString::fromStdString(part.text);
  return text.simplified();
}

// Every column of a row tells the whole path and the snippet when pointed at,
// since the columns themselves may be cut.
void SetRowToolTip(QTreeWidgetItem& item, const SearchHit& hit) {
  QString tip = QString::fromStdString(hit.path);
  if (hit.page > 0)
    tip += QStringLiteral(", page %1").arg(hit.page);
  const QString snippet = PlainSnippet(hit.snippet);
  if (!snippet.isEmpty())
    tip += "\n" + snippet;
  for (int column = 0; column <= kSnippet; ++column)
    item.setToolTip(column, tip);
}

// "1,397 documents": the window's words are English, and so are its numbers.
QString CountText(int total) {
  const QString number = QLocale(QLocale::English, QLocale::UnitedStates).toString(total);
  return total == 1 ? QObject::tr("%1 document").arg(number)
                    : QObject::tr("%1 documents").arg(number);
}

QString DayText(int day) {
  if (day <= 0)
    return {};
  return QString("%1-%2-%3")
      .arg(day / 10000, 4, 10, QChar('0'))
      .arg(day / 100 % 100, 2, 10, QChar('0'))
      .arg(day % 100, 2, 10, QChar('0'));
}

}  // namespace

SearchPanel::SearchPanel(SearchService& service, QWidget* parent)
    : QWidget(parent),
      service_(service),
      field_(new QLineEdit(this)),
      progress_(new QLabel(this)),
      count_(new QLabel(this)),
      results_(new QTreeWidget(this)),
      showInTree_(new QPushButton(tr("Show in tree"), this)) {
  field_->setObjectName("searchField");
  field_->setPlaceholderText(tr("Search the archive (Ctrl+F)"));
  field_->setClearButtonEnabled(true);
  field_->installEventFilter(this);
  progress_->setObjectName("searchProgress");
  progress_->setVisible(false);
  progress_->setEnabled(false);  // greyed: a note, not a message
  count_->setObjectName("searchCount");
  count_->setVisible(false);
  results_->setObjectName("searchResults");
  results_->setColumnCount(5);
  results_->setHeaderLabels({tr("Document"), tr("Folder"), tr("Date"), tr("Page"), tr("Text")});
  results_->setRootIsDecorated(false);
  // Names and folders lose their middle, never their ends: the file type and
  // the folder nearest the document stay in view.
  results_->setTextElideMode(Qt::ElideMiddle);
  results_->setUniformRowHeights(true);
  results_->setItemDelegateForColumn(kSnippet, new SnippetDelegate(results_));
  results_->header()->setStretchLastSection(true);
  results_->setVisible(false);
  showInTree_->setObjectName("showInTree");
  showInTree_->setVisible(false);

  auto* top = new QHBoxLayout;
  top->setContentsMargins(0, 0, 0, 0);
  top->addWidget(field_, 1);
  top->addWidget(showInTree_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(top);
  layout->addWidget(progress_);
  layout->addWidget(count_);
  layout->addWidget(results_, 1);

  connect(field_, &QLineEdit::textChanged, this, &SearchPanel::OnTextChanged);
  connect(results_, &QTreeWidget::itemActivated, this, &SearchPanel::OpenItem);
  connect(results_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
    if (value == results_->verticalScrollBar()->maximum())
      FetchMore();
  });
  connect(showInTree_, &QPushButton::clicked, this, [this] {
    QTreeWidgetItem* item = ChosenItem();
    if (item == nullptr)
      return;
    const QString path = item->data(kDocument, kPathRole).toString();
    // The tree takes its room back; the words stay for the next look.
    results_->setVisible(false);
    count_->setVisible(false);
    showInTree_->setVisible(false);
    emit resultsShown(false);
    emit showInTreeRequested(path);
  });
  connect(&service_, &SearchService::resultsReady, this, &SearchPanel::OnResults);
  connect(&service_, &SearchService::snippetsReady, this, &SearchPanel::OnSnippets);
  connect(&service_, &SearchService::indexingProgress, this, &SearchPanel::OnProgress);
  connect(&service_, &SearchService::indexingFinished, this, [this] {
    progress_->setVisible(false);
    if (!field_->text().trimmed().isEmpty())
      Refresh();  // new documents may match now
  });
}

void SearchPanel::FocusField() {
  field_->setFocus(Qt::ShortcutFocusReason);
  field_->selectAll();
}

bool SearchPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == field_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Down && results_->topLevelItemCount() > 0) {
      results_->setFocus();
      if (!results_->currentItem())
        results_->setCurrentItem(results_->topLevelItem(0));
      return true;
    }
    // Enter opens the result; the window's default button must not scan.
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      OpenItem(ChosenItem());
      return true;
    }
    if (key == Qt::Key_Escape && !field_->text().isEmpty()) {
      field_->clear();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void SearchPanel::OnTextChanged() {
  const QString words = field_->text().trimmed();
  total_ = -1;
  fetching_ = false;
  keepPlace_ = false;
  if (words.isEmpty()) {
    results_->clear();
    results_->setVisible(false);
    count_->setVisible(false);
    showInTree_->setVisible(false);
    emit resultsShown(false);
    return;
  }
  Ask(kPageRows);
}

void SearchPanel::Refresh() {
  if (field_->text().trimmed().isEmpty())
    return;
  // The rows already scrolled to stay, rather than the list falling back to its first page.
  keepPlace_ = total_ >= 0;
  total_ = -1;
  fetching_ = false;
  Ask(keepPlace_ ? std::max(kPageRows, results_->topLevelItemCount()) : kPageRows);
}

void SearchPanel::Ask(int rows) {
  query_ = SearchQuery{};
  query_.words = field_->text().trimmed().toStdString();
  query_.lastWordIsPartial = !field_->text().endsWith(' ');
  query_.limit = rows;
  service_.Search(query_);
}

// The next page of the words shown, once the first has told how many there are.
void SearchPanel::FetchMore() {
  const int shown = results_->topLevelItemCount();
  if (total_ < 0 || fetching_ || shown >= total_)
    return;
  fetching_ = true;
  SearchQuery next = query_;
  next.offset = shown;
  next.limit = kPageRows;
  service_.SearchMore(next);
}

void SearchPanel::OnResults(const QString& words, int offset, const std::vector<SearchHit>& hits,
                            int total) {
  if (words.toStdString() != query_.words)
    return;  // an answer to words no longer in the field
  if (offset == 0) {
    total_ = total;
  } else {
    fetching_ = false;
    if (total_ < 0 || offset != results_->topLevelItemCount())
      return;  // a page of a list asked for again meanwhile
  }
  const int current = results_->currentIndex().row();
  const int scrolled = results_->verticalScrollBar()->value();
  const bool again = offset == 0 && keepPlace_;
  if (offset == 0) {
    keepPlace_ = false;
    results_->clear();
  }
  QList<QTreeWidgetItem*> items;
  for (const SearchHit& hit : hits) {
    auto* item = new QTreeWidgetItem;
    item->setText(kDocument, QString::fromStdString(hit.name));
    item->setText(kFolder, QString::fromStdString(hit.folder));
    item->setText(kDate, DayText(hit.day));
    item->setText(kPage, QString::number(hit.page));
    item->setText(kSnippet, SnippetHtml(hit.snippet));
    SetRowToolTip(*item, hit);
    item->setData(kDocument, kPathRole, QString::fromStdString(hit.path));
    item->setData(kDocument, kPageRole, hit.page);
    items.append(item);
  }
  results_->addTopLevelItems(items);
  count_->setText(CountText(total_));
  count_->setVisible(true);
  if (offset > 0)
    return;
  if (again && current >= 0 && current < results_->topLevelItemCount()) {
    // The same words asked again as the index changed: the user keeps their place.
    results_->setCurrentItem(results_->topLevelItem(current));
    results_->verticalScrollBar()->setValue(scrolled);
  } else if (!items.isEmpty()) {
    results_->setCurrentItem(items.front());
  }
  const bool wasShown = results_->isVisibleTo(this);
  results_->setVisible(true);
  showInTree_->setVisible(!items.isEmpty());
  if (!wasShown)
    emit resultsShown(true);
  ShowWholeColumns();
}

// Fills in the snippets of the rows already shown, keeping the user's place.
void SearchPanel::OnSnippets(const QString& words, int offset, const std::vector<SearchHit>& hits) {
  if (words.toStdString() != query_.words || offset < 0 ||
      offset + static_cast<int>(hits.size()) > results_->topLevelItemCount())
    return;
  for (int i = 0; i < static_cast<int>(hits.size()); ++i) {
    QTreeWidgetItem* item = results_->topLevelItem(offset + i);
    if (item->data(kDocument, kPathRole).toString() != QString::fromStdString(hits[i].path))
      return;  // rows of another answer to the same words
    item->setText(kSnippet, SnippetHtml(hits[i].snippet));
    SetRowToolTip(*item, hits[i]);
  }
}

// Columns as wide as their contents, but a long name or folder leaves the
// snippet room.
void SearchPanel::ShowWholeColumns() {
  const int width = results_->viewport()->width();
  const std::pair<int, int> widest[] = {
      {kDocument, width * 2 / 5}, {kFolder, width / 4}, {kDate, width}, {kPage, width}};
  for (const auto& [column, most] : widest) {
    results_->resizeColumnToContents(column);
    results_->setColumnWidth(column, std::min(results_->columnWidth(column), most));
  }
}

void SearchPanel::OnProgress(int done, int total) {
  if (total <= 0 || done >= total) {
    progress_->setVisible(false);
    return;
  }
  progress_->setText(tr("Indexing the archive: %1 of %2 documents").arg(done).arg(total));
  progress_->setVisible(true);
}

QTreeWidgetItem* SearchPanel::ChosenItem() const {
  if (QTreeWidgetItem* item = results_->currentItem())
    return item;
  return results_->topLevelItemCount() > 0 ? results_->topLevelItem(0) : nullptr;
}

void SearchPanel::OpenItem(QTreeWidgetItem* item) {
  if (item)
    emit openRequested(item->data(kDocument, kPathRole).toString(),
                       item->data(kDocument, kPageRole).toInt());
}
