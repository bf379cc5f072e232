#include "platform/ui/RadioGroup.h"

#include "platform/ui/HandlerGuard.h"
#include "platform/ui/Latin1.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

#include <algorithm>

TRadioGroup::TRadioGroup(const QString& caption, QWidget* parent)
    : QGroupBox(caption, parent), group_(new QButtonGroup(this)), layout_(new QGridLayout(this))
{
    connect(group_, &QButtonGroup::idToggled, this, &TRadioGroup::Chosen);
}

void TRadioGroup::SetItems(const std::vector<std::string>& items)
{
    int keep = std::min(index_, static_cast<int>(items.size()) - 1);
    quiet_ = true;
    for (QRadioButton* button : buttons_) {
        group_->removeButton(button);
        delete button;
    }
    buttons_.clear();
    for (size_t i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(FromLatin1(items[i]), this);
        group_->addButton(button, static_cast<int>(i));
        buttons_.push_back(button);
    }
    if (keep >= 0)
        buttons_[static_cast<size_t>(keep)]->setChecked(true);
    quiet_ = false;
    Arrange();
    Changed(keep);
}

std::vector<std::string> TRadioGroup::Items() const
{
    std::vector<std::string> items;
    for (const QRadioButton* button : buttons_)
        items.push_back(ToLatin1(button->text()));
    return items;
}

void TRadioGroup::SetColumns(int columns)
{
    columns_ = std::max(1, columns);
    Arrange();
}

void TRadioGroup::Arrange()
{
    if (buttons_.empty())
        return;
    int rows = (Count() + columns_ - 1) / columns_;
    for (int i = 0; i < Count(); ++i)
        layout_->addWidget(buttons_[static_cast<size_t>(i)], i % rows, i / rows);
}

void TRadioGroup::SetItemIndex(int index)
{
    index = std::clamp(index, -1, Count() - 1);
    if (index == index_)
        return;
    if (index >= 0) {
        // The button's toggle reports the change.
        buttons_[static_cast<size_t>(index)]->setChecked(true);
        return;
    }
    quiet_ = true;
    group_->setExclusive(false);
    buttons_[static_cast<size_t>(index_)]->setChecked(false);
    group_->setExclusive(true);
    quiet_ = false;
    Changed(-1);
}

QRadioButton* TRadioGroup::Button(int index) const
{
    return index >= 0 && index < Count() ? buttons_[static_cast<size_t>(index)] : nullptr;
}

void TRadioGroup::Chosen(int id, bool checked)
{
    if (checked && !quiet_)
        Changed(id);
}

void TRadioGroup::Changed(int index)
{
    if (index == index_)
        return;
    index_ = index;
    if (onClick_)
        RunGuarded(onClick_);
}
