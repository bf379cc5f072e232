#include "pages/Bind.h"

#include "image/ImageStore.h"
#include "pages/PageContext.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/ExitOnFocusOut.h"
#include "platform/ui/KeyPress.h"
#include "platform/ui/Latin1.h"
#include "platform/ui/RadioGroup.h"

#include <QLabel>
#include <QLineEdit>

void ShowText(QLineEdit* edit, const std::string& text)
{
    const QString shown = FromLatin1(text);
    if (edit->text() != shown)
        edit->setText(shown);
}

void ShowText(QLabel* label, const std::string& text)
{
    const QString shown = FromLatin1(text);
    if (label->text() != shown)
        label->setText(shown);
}

void ShowChecked(TCheckBox* box, bool checked)
{
    if (box->Checked() != checked)
        box->SetChecked(checked);
}

void ShowIndex(TRadioGroup* group, int index)
{
    if (group->ItemIndex() != index)
        group->SetItemIndex(index);
}

namespace {

void CommitOnEnter(QLineEdit* edit, std::function<void()> exit)
{
    OnKeyPress(edit, [exit](QObject*, char& key) {
        if (key == '\r')
            exit();
    });
}

void Register(TPageContext& ctx, QWidget* control, std::function<void()> exit)
{
    ctx.Exits[control->objectName().toStdString()] = exit;
    OnExit(control, exit);
}

} // namespace

std::function<void()> BindTextSlot(TPageContext& ctx, QLineEdit* edit, TextSlot field, TRedraw::Step step,
                                   ErasedSlot erased)
{
    edit->setMaxLength(field.MaxLength());
    ImageStore& image = ctx.Image;
    // What the control shows for the slot; the editor compares with this, so leaving an erased slot that
    // shows empty writes nothing.
    auto shown = [&image, field, erased] {
        if (erased == ErasedSlot::Empty && image.ReadImageByte(field.address) == 0xFF)
            return std::string();
        return ReadTextSlot(image, field);
    };
    auto show = [edit, shown] { ShowText(edit, shown()); };
    auto exit = [&image, edit, field, shown, show] {
        const std::string text = ToLatin1(edit->text());
        if (text != shown())
            WriteTextSlotAlways(image, field, text);
        show();
    };
    ctx.Redraw.Add(step, show);
    Register(ctx, edit, exit);
    CommitOnEnter(edit, exit);
    return exit;
}

std::function<void()> BindNumber(TPageContext& ctx, QLineEdit* edit, NumberField field, TRedraw::Step step)
{
    ImageStore& image = ctx.Image;
    ctx.Redraw.Add(step, [&image, edit, field] { ShowText(edit, std::to_string(ReadNumber(image, field))); });
    auto exit = [&image, edit, field] {
        ClampedNumber n = ClampNumberText(ToLatin1(edit->text()), field.max);
        if (n.clamped)
            edit->setText(QString::number(n.value));
        WriteNumber(image, field, n.value);
    };
    Register(ctx, edit, exit);
    CommitOnEnter(edit, exit);
    return exit;
}

void BindSwitch(TPageContext& ctx, TCheckBox* box, BitSwitch field, TRedraw::Step step)
{
    ImageStore& image = ctx.Image;
    ctx.Redraw.Add(step, [&image, box, field] { ShowChecked(box, ReadSwitch(image, field)); });
    box->SetOnClick([&image, box, field] { WriteSwitch(image, field, box->Checked()); });
}
