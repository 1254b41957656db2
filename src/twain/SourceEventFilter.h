#pragma once

#include <QObject>

class TwainManager;

// Offers every event of the application to the scan manager before anything
// else sees it, and swallows the data source's own events. Install it on the
// application object for as long as the manager lives.
class SourceEventFilter : public QObject {
  Q_OBJECT

 public:
  explicit SourceEventFilter(TwainManager& manager, QObject* parent = nullptr);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TwainManager& manager_;
};
