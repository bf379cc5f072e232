#include "pages/Bind.h"

#include "image/ImageStore.h"
#include "pages/PageContext.h"
#include "platform/Convert.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/ExitOnFocusOut.h"
#include "platform/ui/HandlerGuard.h"
#include "platform/ui/KeyPress.h"
#include "platform/ui/Latin1.h"
#include "platform/ui/RadioGroup.h"

#include <QComboBox>
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

void ShowIndex(QComboBox* box, int index)
{
    if (box->currentIndex() != index)
        box->setCurrentIndex(index);
}

namespace
{

void CommitOnEnter(QWidget* control, std::function<void()> exit)
{
    OnKeyPress(control, [exit](QObject*, char& key) {
        if (key == '\r')
            exit();
    });
}

std::function<void()> BindTextSlotOn(TPageContext& ctx, QWidget* control, QLineEdit* edit, const TextField& text,
                                     TRedraw::Step step, TStoredText stored)
{
    const TextSlot field = text.slot;
    const ErasedSlot erased = text.erased;
    const bool always = text.write == WritePolicy::Always;
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
    auto exit = [&image, edit, field, shown, show, stored, always] {
        const std::string text = ToLatin1(edit->text());
        if (always || text != shown())
            WriteTextSlotAlways(image, field, stored ? stored(text) : text);
        show();
    };
    return BindEdit(ctx, control, step, show, exit);
}

} // namespace

std::function<void()> BindEdit(TPageContext& ctx, QWidget* control, TRedraw::Step step, std::function<void()> show,
                               std::function<void()> exit)
{
    ctx.Redraw.Add(step, std::move(show));
    ctx.AddExit(control->objectName().toStdString(), exit);
    OnExit(control, exit);
    CommitOnEnter(control, exit);
    return exit;
}

uint32_t NumberEditValue(QLineEdit* edit, const NumberField& field)
{
    ClampedNumber n = ClampNumberText(ToLatin1(edit->text()), field.max, field.min);
    if (n.clamped)
        edit->setText(QString::number(n.value));
    return n.value;
}

void ShowNumber(const ImageStore& image, QLineEdit* edit, const NumberField& field)
{
    ShowText(edit, std::to_string(ReadNumber(image, field)));
}

std::function<void()> BindTextSlot(TPageContext& ctx, QLineEdit* edit, const TextField& field, TRedraw::Step step)
{
    return BindTextSlotOn(ctx, edit, edit, field, step, nullptr);
}

std::function<void()> BindTextSlot(TPageContext& ctx, QComboBox* box, const TextField& field, TRedraw::Step step,
                                   TStoredText stored)
{
    return BindTextSlotOn(ctx, box, box->lineEdit(), field, step, stored);
}

std::function<void()> BindNumber(TPageContext& ctx, QLineEdit* edit, NumberField field, TRedraw::Step step)
{
    ImageStore& image = ctx.Image;
    auto show = [&image, edit, field] { ShowNumber(image, edit, field); };
    auto exit = [&image, edit, field] { WriteNumber(image, field, NumberEditValue(edit, field)); };
    return BindEdit(ctx, edit, step, show, exit);
}

void BindSwitch(TPageContext& ctx, TCheckBox* box, BitSwitch field, TRedraw::Step step)
{
    ImageStore& image = ctx.Image;
    ctx.Redraw.Add(step, [&image, box, field] { ShowChecked(box, ReadSwitch(image, field)); });
    // Run also when a redraw sets the box: the switch write finds its bit as shown and writes nothing.
    box->SetOnClick([&image, box, field] { WriteSwitch(image, field, box->Checked()); });
}

namespace
{

// A radio group showing the item that read finds in the image; the user's pick is stored by write.
template <class Field>
void BindRadio(TPageContext& ctx, TRadioGroup* group, Field field, TRedraw::Step step,
               int (*read)(const ImageStore&, const Field&), void (*write)(ImageStore&, const Field&, int))
{
    ImageStore& image = ctx.Image;
    ctx.Redraw.Add(step, [&image, group, field, read] { ShowIndex(group, read(image, field)); });
    group->SetOnClick([&image, group, field, write] { write(image, field, group->ItemIndex()); });
}

} // namespace

void BindChoice(TPageContext& ctx, TRadioGroup* group, MultiBitChoice field, TRedraw::Step step)
{
    BindRadio(ctx, group, std::move(field), step, ReadChoice, WriteChoice);
}

void BindPairChoice(TPageContext& ctx, TRadioGroup* group, BitPairChoice field, TRedraw::Step step)
{
    BindRadio(ctx, group, std::move(field), step, ReadPairChoice, WritePairChoice);
}

void BindNibble(TPageContext& ctx, TRadioGroup* group, Nibble field, TRedraw::Step step)
{
    ImageStore& image = ctx.Image;
    ctx.Redraw.Add(step, [&image, group, field] {
        // An erased byte shows nothing: the unit has no setting there yet.
        if (image.ReadImageByte(field.address) != 0xFF)
            ShowIndex(group, ReadNibble(image, field));
    });
    // A redraw that moves the group (a nibble of 10-15 shows the last item) stores what it shows.
    group->SetOnClick([&image, group, field] {
        if (group->ItemIndex() >= 0)
            WriteNibble(image, field, group->ItemIndex());
    });
}

std::function<void()> BindScaled(TPageContext& ctx, QLineEdit* edit, ScaledNumber field, TRedraw::Step step)
{
    ImageStore& image = ctx.Image;
    auto show = [&image, edit, field] { ShowText(edit, ScaledText(image, field)); };
    auto exit = [&image, edit, field] {
        const std::string text = ToLatin1(edit->text());
        const ClampedNumber n = ScaledFromText(text, field);
        // A text above the top shows the top, also one whose steps come to no more (25.001 of 25.00).
        if (n.clamped || StrToFloat(text) > ScaledMaxStored(field) / field.scale)
            edit->setText(FromLatin1(ScaledStoredText(n.value, field)));
        WriteNumber(image, {field.address, field.length, ScaledMaxStored(field)}, n.value);
    };
    return BindEdit(ctx, edit, step, show, exit);
}

void BindComboIndex(TPageContext& ctx, QComboBox* box, ComboIndex field, TRedraw::Step step)
{
    ImageStore& image = ctx.Image;
    ctx.Redraw.Add(step, [&image, box, field] { ShowIndex(box, ReadComboIndex(image, field)); });
    // activated: the user's picks only, so showing a value never writes it.
    ConnectGuarded(box, &QComboBox::activated, box,
                   [&image, field](int index) { WriteComboIndex(image, field, index); });
}
