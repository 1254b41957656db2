#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QDialog;
class SearchPanel;
class SearchService;
struct MainWindowControls;

// The main window's search: puts the search panel above the archive tree,
// Ctrl+F into its field, keeps the index of the tree's root current as the
// tree sees the disk change, opens results through `open` and selects them
// in the tree on "Show in tree". Documents without text are recognised in the
// background, never while a scan runs: the window says when one starts and ends.
class ArchiveSearch : public QObject {
  Q_OBJECT

 public:
  using OpenAtPage = std::function<void(const std::string& path, int page)>;

  ArchiveSearch(QDialog& window, const MainWindowControls& controls, OpenAtPage open);
  ~ArchiveSearch() override;

  // Follows the archive root and the recognition languages of the settings;
  // nothing happens while both stay the same.
  void Follow(const std::string& archiveRoot);
  // Recognition in the background waits while a scan runs.
  void SetScanning(bool scanning);
  // A document the window has just written, with the text of its pages when
  // they were recognised; without text it is read from the file.
  void DocumentSaved(const std::string& path, const std::vector<std::string>& pageTexts);

  SearchPanel& Panel() const { return *panel_; }
  SearchService& Service() const { return *service_; }

 private:
  std::unique_ptr<SearchService> service_;
  SearchPanel* panel_;
  std::string root_;
  std::string languages_;
};
