#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <utility>

#include "settings/Units.h"

class QLabel;
class QLineEdit;

// The "Document Size" dialog: one size's description, width and height, typed
// in the display unit. Sizes go in and come out in thousandths of an inch.
class EditDocumentSizeDlg : public QDialog {
  Q_OBJECT

 public:
  explicit EditDocumentSizeDlg(QWidget* parent = nullptr);

  void SetUnits(Units units);
  void SetDescription(const QString& description);
  // Converted to the display unit at once, as the fields will show it.
  void SetSize(std::int32_t widthThousandths, std::int32_t heightThousandths);

  Units GetUnits() const { return units_; }
  QString GetDescription() const { return description_; }
  double GetDisplayWidth() const { return width_; }
  double GetDisplayHeight() const { return height_; }
  // Width and height back in thousandths of an inch.
  std::pair<std::int32_t, std::int32_t> GetSize() const;

  // The typed values, as shown: 15 significant digits, no trailing zeros.
  static QString FormatDisplayNumber(double value);

  // Accepts only when both lengths are numbers within the allowed range.
  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void OnInitDialog();
  bool ReadLength(QLineEdit* field, double& value);

  Units units_ = Units::Inches;
  QString description_;
  double width_ = 0;
  double height_ = 0;

  QLineEdit* descriptionEdit_ = nullptr;
  QLineEdit* widthEdit_ = nullptr;
  QLineEdit* heightEdit_ = nullptr;
  QLabel* widthUnitLabel_ = nullptr;
  QLabel* heightUnitLabel_ = nullptr;
};
