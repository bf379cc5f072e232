#include "pages/Sheet.h"

#include <QGroupBox>
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
    (new QVBoxLayout(body))->setContentsMargins(0, 0, 0, 0);
    columnsHolder_ = new QWidget(body);
    body->layout()->addWidget(columnsHolder_);
    auto* row = new QHBoxLayout(columnsHolder_);
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

QGroupBox* TSheet::Frame(const QString& caption)
{
    if (frame_)
        return frame_;
    frame_ = new QGroupBox(caption, Body());
    auto* inside = new QVBoxLayout(frame_);
    // Narrow margins, the frame's standing in for the columns' own: a framed page fits the window's default
    // width as a bare one does.
    inside->setContentsMargins(2, 2, 2, 2);
    columnsHolder_->layout()->setContentsMargins(0, 0, 0, 0);
    Body()->layout()->removeWidget(columnsHolder_);
    inside->addWidget(columnsHolder_);
    Body()->layout()->addWidget(frame_);
    return frame_;
}

void TSheet::Add(QWidget* group, int column)
{
    QVBoxLayout* target = columns_[static_cast<size_t>(std::clamp(column, 0, int(columns_.size()) - 1))];
    group->setParent(columnsHolder_);
    // Before the closing stretch, so groups stack from the top.
    target->insertWidget(target->count() - 1, group);
}
