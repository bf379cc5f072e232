#pragma once

#include <QScrollArea>

#include <vector>

class QGroupBox;
class QLayout;
class QVBoxLayout;

// The layout of a tab sheet, made on first use: several builders put controls on one sheet.
QLayout* SheetLayout(QWidget* sheet);

// The scrolling body of a settings page: groups stacked in columns, so a page reads at the window's
// default size and scrolls when it is taller. Several builders add to one page's body.
class TSheet : public QScrollArea
{
    Q_OBJECT
  public:
    // The body of the tab sheet, made with that many columns on first use.
    static TSheet* Of(QWidget* tabSheet, int columns = 2);

    void Add(QWidget* group, int column = 0);
    QWidget* Body() const { return widget(); }
    // A titled group around the page's columns, made on the first call; what is added to it after the
    // columns spans them.
    QGroupBox* Frame(const QString& caption);

  private:
    TSheet(QWidget* tabSheet, int columns);
    std::vector<QVBoxLayout*> columns_;
    QWidget* columnsHolder_ = nullptr;
    QGroupBox* frame_ = nullptr;
};
