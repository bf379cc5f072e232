#pragma once

#include "pages/TimeTable.h"

#include <QGroupBox>

class QComboBox;
class QLabel;
class QLineEdit;
struct TPageContext;

// The "Synchronized Time Table" group: an hour and a minute picked or typed, added to the table in the image
// at once; the table listed with its count; "Clear" starts a new table with the next addition.
class TTimeTableGroup : public QGroupBox
{
    Q_OBJECT
  public:
    explicit TTimeTableGroup(TPageContext& ctx, QWidget* parent = nullptr);

    void AddTTButtonClick();
    void Button4Click();
    void DecodeTimeTable();

  private:
    void ShowTable();

    ImageStore& image_;
    TTimeTable table_;
    QComboBox* hours_;
    QComboBox* minutes_;
    QLabel* count_;
    QLineEdit* list_;
};
