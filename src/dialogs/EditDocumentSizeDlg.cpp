#include "dialogs/EditDocumentSizeDlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "core/DebugLog.h"
#include "dialogs/DialogControls.h"
#include "platform/Prompt.h"
#include "settings/LengthValue.h"

namespace {

// Lengths are typed in the display unit; these bounds hold whatever the unit.
constexpr double kMinimumLength = 0.1;
constexpr double kMaximumLength = 1000;

QLineEdit* NewLengthEdit(const char* objectName) {
  auto* edit = new QLineEdit;
  edit->setObjectName(objectName);
  edit->setMaximumWidth(90);
  return edit;
}

QLabel* NewUnitLabel(const char* objectName) {
  auto* label = new QLabel;
  label->setObjectName(objectName);
  return label;
}

// The full stop, as sizes are shown everywhere, or the user's own decimal mark;
// never group separators, so "1,5" cannot quietly become 15.
bool ParseNumber(const QString& text, double& value) {
  const QString trimmed = text.trimmed();
  for (QLocale locale : {QLocale::c(), QLocale()}) {
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    value = locale.toDouble(trimmed, &ok);
    if (ok)
      return true;
  }
  return false;
}

void Refuse(QWidget* parent, const QString& text, QLineEdit* field) {
  Prompt::Ask(parent, {text, {}, PromptButtons::Ok, PromptIcon::Warning});
  field->setFocus(Qt::OtherFocusReason);
  field->selectAll();
}

}  // namespace

EditDocumentSizeDlg::EditDocumentSizeDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("EditDocumentSizeDlg");
  setWindowTitle("Document Size");

  descriptionEdit_ = new QLineEdit;
  descriptionEdit_->setObjectName("descriptionEdit");
  descriptionEdit_->setMinimumWidth(240);
  widthEdit_ = NewLengthEdit("widthEdit");
  heightEdit_ = NewLengthEdit("heightEdit");
  widthUnitLabel_ = NewUnitLabel("widthUnitLabel");
  heightUnitLabel_ = NewUnitLabel("heightUnitLabel");

  auto* fields = new QGridLayout;
  fields->addWidget(NewBuddyLabel("&Description:", descriptionEdit_), 0, 0);
  fields->addWidget(descriptionEdit_, 0, 1, 1, 3);
  fields->addWidget(NewBuddyLabel("&Width:", widthEdit_), 1, 0);
  fields->addWidget(widthEdit_, 1, 1);
  fields->addWidget(widthUnitLabel_, 1, 2);
  fields->addWidget(NewBuddyLabel("&Height:", heightEdit_), 2, 0);
  fields->addWidget(heightEdit_, 2, 1);
  fields->addWidget(heightUnitLabel_, 2, 2);
  fields->setColumnStretch(2, 1);

  auto* buttons = NewOkCancelButtons(this, Qt::Vertical);

  auto* lower = new QHBoxLayout;
  lower->addLayout(fields, 1);
  lower->addWidget(buttons, 0, Qt::AlignBottom);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(lower);

  setTabOrder(descriptionEdit_, widthEdit_);
  setTabOrder(widthEdit_, heightEdit_);
  setTabOrder(heightEdit_, buttons->button(QDialogButtonBox::Ok));
}

void EditDocumentSizeDlg::SetUnits(Units units) {
  units_ = units;
}

void EditDocumentSizeDlg::SetDescription(const QString& description) {
  description_ = description;
}

void EditDocumentSizeDlg::SetSize(std::int32_t widthThousandths, std::int32_t heightThousandths) {
  LengthValue length(units_);
  length.Set(widthThousandths);
  width_ = length.ToDisplay();
  length.Set(heightThousandths);
  height_ = length.ToDisplay();
}

std::pair<std::int32_t, std::int32_t> EditDocumentSizeDlg::GetSize() const {
  LengthValue length(units_);
  length.SetFromDisplay(width_);
  const std::int32_t width = length.Get();
  length.SetFromDisplay(height_);
  return {width, length.Get()};
}

QString EditDocumentSizeDlg::FormatDisplayNumber(double value) {
  return QLocale::c().toString(value, 'g', 15);
}

void EditDocumentSizeDlg::showEvent(QShowEvent* event) {
  if (!event->spontaneous())
    OnInitDialog();
  QDialog::showEvent(event);
}

void EditDocumentSizeDlg::OnInitDialog() {
  Log(LOG_LOCATION, "EditDocumentSizeDlg::OnInitDialog()");
  descriptionEdit_->setText(description_);
  widthEdit_->setText(FormatDisplayNumber(width_));
  heightEdit_->setText(FormatDisplayNumber(height_));
  const QString unitName = QString::fromStdString(LengthValue(units_).UnitName());
  widthUnitLabel_->setText(unitName);
  heightUnitLabel_->setText(unitName);
  descriptionEdit_->setFocus(Qt::OtherFocusReason);
  descriptionEdit_->selectAll();
}

bool EditDocumentSizeDlg::ReadLength(QLineEdit* field, double& value) {
  double typed = 0;
  if (!ParseNumber(field->text(), typed)) {
    Refuse(this, "Enter a number.", field);
    return false;
  }
  // Written so that a value that is not a number fails the range test too.
  if (!(typed >= kMinimumLength && typed <= kMaximumLength)) {
    Refuse(this,
           QString("Enter a number between %1 and %2.")
               .arg(FormatDisplayNumber(kMinimumLength), FormatDisplayNumber(kMaximumLength)),
           field);
    return false;
  }
  value = typed;
  return true;
}

void EditDocumentSizeDlg::accept() {
  double width = 0;
  double height = 0;
  if (!ReadLength(widthEdit_, width) || !ReadLength(heightEdit_, height))
    return;
  description_ = descriptionEdit_->text();
  width_ = width;
  height_ = height;
  Log(LOG_LOCATION, "EditDocumentSizeDlg::OnOK(): %s %s x %s", description_.toUtf8().constData(),
      FormatDisplayNumber(width_).toUtf8().constData(),
      FormatDisplayNumber(height_).toUtf8().constData());
  QDialog::accept();
}
