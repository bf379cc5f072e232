#include "pages/Sheet.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include <algorithm>

QLayout* SheetLayout(QWidget* sheet)
{
    // A sheet keeps the layout it has: a second one would be refused and lost.
    if (QLayout* layout = sheet->layout())
        return layout;
    auto* layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(0, 0, 0, 0);
    return layout;
}

TSheet::TSheet(QWidget* tabSheet, int columns) : QScrollArea(tabSheet)
{
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    auto* body = new QWidget(this);
    auto* row = new QHBoxLayout(body);
    for (int c = 0; c < std::max(1, columns); ++c) {
        auto* column = new QVBoxLayout;
        column->addStretch(1);
        row->addLayout(column, 1);
        columns_.push_back(column);
    }
    setWidget(body);
    SheetLayout(tabSheet)->addWidget(this);
}

TSheet* TSheet::Of(QWidget* tabSheet, int columns)
{
    if (auto* sheet = tabSheet->findChild<TSheet*>(QString(), Qt::FindDirectChildrenOnly))
        return sheet;
    return new TSheet(tabSheet, columns);
}

void TSheet::Add(QWidget* group, int column)
{
    QVBoxLayout* target = columns_[static_cast<size_t>(std::clamp(column, 0, int(columns_.size()) - 1))];
    group->setParent(Body());
    // Before the closing stretch, so groups stack from the top.
    target->insertWidget(target->count() - 1, group);
}
