#include "pages/TimeTableGroup.h"

#include "pages/Bind.h"
#include "pages/PageBuilder.h"
#include "pages/PageContext.h"
#include "platform/ui/HandlerGuard.h"
#include "platform/ui/Latin1.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace
{

std::vector<std::string> HourItems()
{
    std::vector<std::string> items;
    for (int h = 0; h < 24; ++h)
        items.push_back((h < 10 ? "0" : "") + std::to_string(h));
    return items;
}

// A pick list that also takes a typed value.
QComboBox* TypedPick(QWidget* widget)
{
    auto* box = static_cast<QComboBox*>(widget);
    box->setEditable(true);
    box->setCurrentIndex(0);
    return box;
}

} // namespace

TTimeTableGroup::TTimeTableGroup(TPageContext& ctx, QWidget* parent)
    : QGroupBox("Synchronized Time Table", parent), image_(ctx.Image)
{
    TPageBuilder builder(ctx);
    hours_ =
        TypedPick(builder.Build(this, {"ComboBox11", "", Unbound{Unbound::Combo}, TRedraw::StepCount, HourItems()}));
    minutes_ = TypedPick(builder.Build(
        this, {"ComboBox12", "", Unbound{Unbound::Combo}, TRedraw::StepCount, {"00", "10", "20", "30", "40", "50"}}));
    QWidget* add = builder.Build(this, {"AddTTButton", "Add Time to table", Unbound{Unbound::Button}});
    count_ = static_cast<QLabel*>(builder.Build(this, {"Label218", "(0):", Unbound{Unbound::Label}}));
    list_ = static_cast<QLineEdit*>(builder.Build(this, {"TimeTableEdit", "", Unbound{Unbound::Edit}}));
    list_->setReadOnly(true);
    QWidget* clear = builder.Build(this, {"Button4", "Clear", Unbound{Unbound::Button}});

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("hh    :   mm", this), 0, 0, 1, 2);
    grid->addWidget(hours_, 1, 0);
    grid->addWidget(minutes_, 1, 1);
    grid->addWidget(add, 1, 2);
    grid->addWidget(new QLabel("Active Time table", this), 2, 0);
    grid->addWidget(count_, 2, 1);
    grid->addWidget(list_, 3, 0, 1, 3);
    grid->addWidget(clear, 4, 2);

    ConnectGuarded(static_cast<QPushButton*>(add), &QPushButton::clicked, this, [this] { AddTTButtonClick(); });
    ConnectGuarded(static_cast<QPushButton*>(clear), &QPushButton::clicked, this, [this] { Button4Click(); });
    ctx.Redraw.Add(TRedraw::LoggedData, [this] { DecodeTimeTable(); });
}

void TTimeTableGroup::AddTTButtonClick()
{
    // A time that is refused leaves the table, the image and the typed texts as they were.
    const uint8_t entry = TTimeTable::EntryOf(ToLatin1(hours_->currentText()), ToLatin1(minutes_->currentText()));
    table_.Add(image_, entry);
    ShowTable();
}

void TTimeTableGroup::Button4Click()
{
    table_.Clear();
    ShowTable();
}

void TTimeTableGroup::DecodeTimeTable()
{
    table_.Decode(image_);
    ShowTable();
}

void TTimeTableGroup::ShowTable()
{
    ShowText(list_, table_.ListText());
    ShowText(count_, table_.CountText());
}
