#include "pages/PageBuilder.h"

#include "pages/Bind.h"
#include "pages/PageContext.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/Latin1.h"
#include "platform/ui/RadioGroup.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace
{

bool IsEdit(const TField& field)
{
    if (const auto* unbound = std::get_if<Unbound>(&field))
        return unbound->kind == Unbound::Edit || unbound->kind == Unbound::Combo;
    return std::holds_alternative<TextField>(field) || std::holds_alternative<NumberField>(field) ||
           std::holds_alternative<ScaledNumber>(field) || std::holds_alternative<ComboIndex>(field);
}

TRadioGroup* MakeRadioGroup(const TRow& row, QWidget* parent)
{
    auto* group = new TRadioGroup(FromLatin1(row.caption), parent);
    group->SetItems(row.items);
    group->SetColumns(row.items.size() > 4 ? 2 : 1);
    return group;
}

QComboBox* MakeComboBox(const TRow& row, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    for (const auto& item : row.items)
        box->addItem(FromLatin1(item));
    return box;
}

// The widget and its binding, one kind of field each.
struct Maker {
    TPageContext& ctx;
    const TRow& row;
    QWidget* parent;

    QWidget* operator()(const TextField& f) const
    {
        auto* edit = new QLineEdit(parent);
        edit->setObjectName(QString::fromStdString(row.name));
        BindTextSlot(ctx, edit, f, row.step);
        return edit;
    }
    QWidget* operator()(const NumberField& f) const
    {
        auto* edit = new QLineEdit(parent);
        edit->setObjectName(QString::fromStdString(row.name));
        BindNumber(ctx, edit, f, row.step);
        return edit;
    }
    QWidget* operator()(const ScaledNumber& f) const
    {
        auto* edit = new QLineEdit(parent);
        edit->setObjectName(QString::fromStdString(row.name));
        BindScaled(ctx, edit, f, row.step);
        return edit;
    }
    QWidget* operator()(const BitSwitch& f) const
    {
        auto* box = new TCheckBox(FromLatin1(row.caption), parent);
        BindSwitch(ctx, box, f, row.step);
        return box;
    }
    // The radio groups differ only in how they bind their field.
    template <class Field, class Binder> QWidget* Radio(const Field& f, Binder bind) const
    {
        auto* group = MakeRadioGroup(row, parent);
        bind(ctx, group, f, row.step);
        return group;
    }
    QWidget* operator()(const MultiBitChoice& f) const { return Radio(f, BindChoice); }
    QWidget* operator()(const BitPairChoice& f) const { return Radio(f, BindPairChoice); }
    QWidget* operator()(const Nibble& f) const { return Radio(f, BindNibble); }
    QWidget* operator()(const ComboIndex& f) const
    {
        QComboBox* box = MakeComboBox(row, parent);
        BindComboIndex(ctx, box, f, row.step);
        return box;
    }
    QWidget* operator()(const Unbound& f) const
    {
        switch (f.kind) {
        case Unbound::Edit:
            return new QLineEdit(parent);
        case Unbound::Check:
            return new TCheckBox(FromLatin1(row.caption), parent);
        case Unbound::Label:
            return new QLabel(FromLatin1(row.caption), parent);
        case Unbound::Radio:
            return MakeRadioGroup(row, parent);
        case Unbound::Combo:
            return MakeComboBox(row, parent);
        case Unbound::Button:
            return new QPushButton(FromLatin1(row.caption), parent);
        }
        return nullptr;
    }
};

} // namespace

QWidget* TPageBuilder::Build(QWidget* parent, const TRow& row)
{
    QWidget* widget = std::visit(Maker{ctx_, row, parent}, row.field);
    widget->setObjectName(QString::fromStdString(row.name));
    ctx_.AddControl(widget);
    ctx_.Rows.push_back(row);
    if (row.hidden)
        widget->setVisible(false);
    return widget;
}

QGroupBox* TPageBuilder::Group(QWidget* parent, const std::string& name, const std::string& caption,
                               const std::vector<TRow>& rows)
{
    auto* group = new QGroupBox(FromLatin1(caption), parent);
    if (!name.empty()) {
        group->setObjectName(QString::fromStdString(name));
        ctx_.AddControl(group);
    }
    AddRows(new QFormLayout(group), rows);
    return group;
}

void TPageBuilder::AddRows(QFormLayout* form, const std::vector<TRow>& rows)
{
    QWidget* holder = form->parentWidget();
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    for (const TRow& row : rows) {
        QWidget* widget = Build(holder, row);
        if (IsEdit(row.field) && !row.caption.empty()) {
            auto* label = new QLabel(FromLatin1(row.caption), holder);
            label->setBuddy(widget);
            form->addRow(label, widget);
            if (row.hidden)
                label->setVisible(false);
        } else {
            form->addRow(widget);
        }
    }
}
