#include "scan/ArchiveSearch.h"

#include <QDialog>
#include <QGroupBox>
#include <QShortcut>
#include <QVBoxLayout>

#include "core/Paths.h"
#include "scan/MainWindowControls.h"
#include "search/panel/SearchPanel.h"
#include "search/panel/SearchService.h"
#include "settings/AppSettings.h"
#include "tree/CTreeFileCtrl.h"

ArchiveSearch::ArchiveSearch(QDialog& window, const MainWindowControls& controls, OpenAtPage open)
    : QObject(&window), service_(std::make_unique<SearchService>()) {
  panel_ = new SearchPanel(*service_, controls.destinationGroup);
  panel_->setObjectName("searchPanel");
  auto* layout = qobject_cast<QVBoxLayout*>(controls.destinationGroup->layout());
  if (layout != nullptr)
    layout->insertWidget(0, panel_, 0);
  CTreeFileCtrl* shownTree = controls.tree;
  // While a search is shown its results take the tree's room; the tree comes
  // back when the field is cleared. Without results the field takes one line.
  connect(panel_, &SearchPanel::resultsShown, this, [this, layout, shownTree](bool shown) {
    shownTree->setVisible(!shown);
    if (layout != nullptr)
      layout->setStretchFactor(panel_, shown ? 1 : 0);
  });
  auto* shortcut = new QShortcut(QKeySequence::Find, &window);
  connect(shortcut, &QShortcut::activated, panel_, &SearchPanel::FocusField);
  CTreeFileCtrl* tree = controls.tree;
  connect(tree, &CTreeFileCtrl::diskChanged, service_.get(), &SearchService::ArchiveChanged);
  connect(panel_, &SearchPanel::openRequested, this,
          [open](const QString& path, int page) { open(path.toStdString(), page); });
  connect(panel_, &SearchPanel::showInTreeRequested, tree, [tree](const QString& path) {
    tree->SelectPath(path.toStdString(), true);
    tree->setFocus();
  });
}

ArchiveSearch::~ArchiveSearch() = default;

void ArchiveSearch::Follow(const std::string& archiveRoot) {
  const std::string root = RemoveTrailingSeparator(archiveRoot);
  const std::string languages = AppSettings().GetRecognitionLanguage();
  if (root == root_ && languages == languages_)
    return;
  root_ = root;
  languages_ = languages;
  service_->SetArchive(root_, languages_);
}

void ArchiveSearch::SetScanning(bool scanning) {
  service_->SetPaused(scanning);
}

void ArchiveSearch::DocumentSaved(const std::string& path,
                                  const std::vector<std::string>& pageTexts) {
  service_->DocumentSaved(path, pageTexts);
}
