#include "scan/ScanStatusLine.h"

#include <QTextDocumentFragment>
#include <QUrl>

#include "core/Paths.h"

namespace {

QString Link(const std::string& path, const QString& text) {
  const QString target = QUrl::fromLocalFile(QString::fromStdString(path)).toString();
  return QStringLiteral("<a href=\"%1\">%2</a>").arg(target.toHtmlEscaped(), text.toHtmlEscaped());
}

QString Count(int count, const char* one, const char* many) {
  return count == 1 ? QString::fromLatin1(one) : QString::number(count) + QLatin1String(many);
}

}  // namespace

ScanStatusLine::ScanStatusLine(QWidget* parent) : QLabel(parent) {
  setObjectName("scanStatus");
  setTextFormat(Qt::RichText);
  setWordWrap(false);
  setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  // Never wider than the window gives it, never taller than one line.
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  setMinimumWidth(0);
  setFixedHeight(fontMetrics().height() + 4);
  connect(this, &QLabel::linkActivated, this,
          [this](const QString& link) { emit pathChosen(QUrl(link).toLocalFile().toStdString()); });
}

QString ScanStatusLine::StepText(ScanStep step, int pageNumber, int pagesRecognised, int pages) {
  switch (step) {
    case ScanStep::Scanning:
      return QStringLiteral("Scanning page %1…").arg(pageNumber);
    case ScanStep::Saving:
      return QStringLiteral("Saving page %1…").arg(pageNumber);
    case ScanStep::Combining:
      if (pages > 0 && pagesRecognised < pages)
        return QStringLiteral("Recognising text: page %1 of %2")
            .arg(pagesRecognised + 1)
            .arg(pages);
      return QStringLiteral("Saving…");
  }
  return {};
}

QString ScanStatusLine::SavedText(const std::string& path, int pages, int pagesSetAside) {
  QString text = "Saved " + Link(path, QString::fromStdString(PathFileName(path)));
  if (pages > 1)
    text += ", " + QString::number(pages) + " pages";
  if (pagesSetAside > 0)
    text += ", " + Count(pagesSetAside, "1 blank page", " blank pages") + " set aside";
  return text;
}

QString ScanStatusLine::StoppedText(const std::string& folder, int pagesKept) {
  if (pagesKept == 0)
    return QStringLiteral("Scan stopped");
  const std::string name = PathFileName(RemoveTrailingSeparator(folder));
  return "Scan stopped: " + Count(pagesKept, "1 page", " pages") + " kept in " +
         Link(RemoveTrailingSeparator(folder), QString::fromStdString(name));
}

void ScanStatusLine::ShowStep(ScanStep step, int pageNumber, int pagesRecognised, int pages) {
  Show(StepText(step, pageNumber, pagesRecognised, pages).toHtmlEscaped());
}

void ScanStatusLine::ShowSaved(const std::string& path, int pages, int pagesSetAside) {
  Show(SavedText(path, pages, pagesSetAside));
}

void ScanStatusLine::ShowNotice(const std::string& notice) {
  Show(QString::fromStdString(notice).toHtmlEscaped());
}

void ScanStatusLine::ShowStopped(const std::string& folder, int pagesKept) {
  Show(StoppedText(folder, pagesKept));
}

void ScanStatusLine::ShowText(const QString& text) {
  Show(text.toHtmlEscaped());
}

void ScanStatusLine::Clear() {
  Show({});
}

void ScanStatusLine::Show(const QString& html) {
  setText(html);
  setToolTip(QTextDocumentFragment::fromHtml(html).toPlainText());
}
