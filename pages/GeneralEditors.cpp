#include "pages/GeneralEditors.h"

#include "image/ImageStore.h"
#include "pages/Bind.h"
#include "pages/GeneralFields.h"
#include "pages/PageContext.h"
#include "platform/ui/ExitOnFocusOut.h"
#include "platform/ui/KeyPress.h"
#include "platform/ui/Latin1.h"

#include <QLabel>
#include <QLineEdit>

namespace
{

constexpr const char* kSimPinMask = "****";

void RegisterExit(TPageContext& ctx, QLineEdit* edit, std::function<void()> exit, bool enterCommits = true)
{
    ctx.AddExit(edit->objectName().toStdString(), exit);
    OnExit(edit, exit);
    if (enterCommits)
        OnKeyPress(edit, [exit](QObject*, char& key) {
            if (key == '\r')
                exit();
        });
}

std::string TextOf(const QLineEdit* edit)
{
    return ToLatin1(edit->text());
}

const char* MemsState(uint8_t step)
{
    return MemsThresholdMg(step) ? "MEMS sensor enabled" : "MEMS sensor disabled";
}

} // namespace

void BindPhoneNumber(TPageContext& ctx, QLineEdit* edit, int k, TPhoneShown shown)
{
    ImageStore& image = ctx.Image;
    const TextSlot slot = PhoneSlot(k);
    edit->setMaxLength(slot.MaxLength());
    auto ShowPhoneNr = [&image, edit, k, shown] {
        const std::string text = PhoneNumberText(image, k);
        ShowText(edit, text);
        if (shown)
            shown(k, text);
    };
    auto PhoneNrExit = [&image, edit, slot, ShowPhoneNr] {
        if (WriteTextSlot(image, slot, TextOf(edit)))
            ShowPhoneNr();
    };
    ctx.Redraw.Add(TRedraw::PhoneNumbers, ShowPhoneNr);
    RegisterExit(ctx, edit, PhoneNrExit, false);
}

void BindSimPin(TPageContext& ctx, QLineEdit* edit)
{
    ImageStore& image = ctx.Image;
    edit->setMaxLength(kSimPinSlot.MaxLength());
    // The stored PIN is never shown; the mask left as it is stores nothing.
    ctx.Redraw.Add(TRedraw::UnitIdentity, [edit] { ShowText(edit, kSimPinMask); });
    auto simPinEditExit = [&image, edit] {
        const std::string pin = TextOf(edit);
        if (pin != kSimPinMask)
            WriteTextSlot(image, kSimPinSlot, pin);
    };
    RegisterExit(ctx, edit, simPinEditExit);
}

void BindReferenceDate(TPageContext& ctx, QLineEdit* edit)
{
    ImageStore& image = ctx.Image;
    // The dashes are the mask's: the text is the six digits.
    edit->setInputMask("99-99-99;_");
    auto ShowReferenceDate = [&image, edit] {
        const QString digits = FromLatin1(ReferenceDateText(image));
        if (QString(edit->text()).remove('-') != digits)
            edit->setText(digits);
    };
    auto DateEdit1Exit = [&image, edit] { WriteReferenceDate(image, TextOf(edit)); };
    ctx.Redraw.Add(TRedraw::SerialSettings, ShowReferenceDate);
    RegisterExit(ctx, edit, DateEdit1Exit);
}

void BindHdop(TPageContext& ctx, QLineEdit* edit)
{
    ImageStore& image = ctx.Image;
    auto ShowGNSSHdop = [&image, edit] { ShowText(edit, ScaledText(image, kHdopField)); };
    auto GNSS_HdopEditExit = [&image, edit] {
        const ClampedNumber level = HdopFromText(TextOf(edit));
        if (level.clamped)
            edit->setText(FromLatin1(ScaledStoredText(level.value, kHdopField)));
        WriteNumber(image, {kHdopField.address, kHdopField.length, 0xFFFF}, level.value);
    };
    ctx.Redraw.Add(TRedraw::Identity, ShowGNSSHdop);
    RegisterExit(ctx, edit, GNSS_HdopEditExit);
}

void BindMemsThreshold(TPageContext& ctx, QLineEdit* edit, QLabel* state)
{
    ImageStore& image = ctx.Image;
    auto ShowMEMSThreshold = [&image, edit, state] {
        const uint8_t step = image.ReadImageByte(kMemsThresholdAddress);
        ShowText(edit, std::to_string(MemsThresholdMg(step)));
        ShowText(state, MemsState(step));
    };
    auto MEMSThEditExit = [&image, edit, state] {
        const ClampedNumber step = MemsStepFromText(TextOf(edit));
        if (step.clamped)
            edit->setText("0");
        ShowText(state, MemsState(static_cast<uint8_t>(step.value)));
        WriteMemsStep(image, static_cast<uint8_t>(step.value));
    };
    ctx.Redraw.Add(TRedraw::Gnss, ShowMEMSThreshold);
    RegisterExit(ctx, edit, MEMSThEditExit);
}

void BindHardwareIdentity(TPageContext& ctx, QLabel* model, QLabel* serial)
{
    ImageStore& image = ctx.Image;
    ctx.Redraw.Add(TRedraw::UnitIdentity, [&image, model, serial] {
        ShowText(serial, HardwareSerialText(image));
        ShowText(model, HardwareModelText(image));
    });
}
