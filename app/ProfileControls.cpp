#include "app/ProfileControls.h"

#include "image/ImageStore.h"
#include "pages/PageContext.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/Latin1.h"
#include "platform/ui/RadioGroup.h"

#include <QComboBox>
#include <QLineEdit>

#include <memory>

namespace
{

// The characters a mask shows but the edit does not store (the "-" of "99-99-99").
QString MaskSeparators(const QString& mask)
{
    static const QString codes = "AaNnXx90Dd#HhBb><!{}[]";
    QString separators;
    const QString pattern = mask.section(';', 0, 0);
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '\\' && i + 1 < pattern.size())
            separators += pattern[++i];
        else if (!codes.contains(pattern[i]))
            separators += pattern[i];
    }
    return separators;
}

QString StoredText(const QLineEdit* edit)
{
    QString text = edit->text();
    for (QChar separator : MaskSeparators(edit->inputMask()))
        text.remove(separator);
    return text;
}

void SetText(TPageContext& ctx, const TProfileValue& value)
{
    auto* edit = ctx.Get<QLineEdit>(value.Control);
    edit->setText(FromLatin1(value.Text.substr(0, static_cast<size_t>(edit->maxLength()))));
    ctx.RunExits({value.Control});
}

void Apply(TPageContext& ctx, const TProfileValue& value)
{
    switch (value.Form) {
    case ProfileForm::Check:
        ctx.Get<TCheckBox>(value.Control)->SetChecked(value.Checked);
        break;
    case ProfileForm::Index:
        ctx.Get<TRadioGroup>(value.Control)->SetItemIndex(value.Index);
        break;
    default:
        SetText(ctx, value);
        break;
    }
}

} // namespace

std::string TProfileControls::Text(const std::string& control) const
{
    QWidget* widget = ctx_.Get<QWidget>(control);
    if (auto* box = qobject_cast<QComboBox*>(widget))
        return ToLatin1(box->currentText());
    return ToLatin1(StoredText(ctx_.Get<QLineEdit>(control)));
}

bool TProfileControls::Checked(const std::string& control) const
{
    return ctx_.Get<TCheckBox>(control)->Checked();
}

int TProfileControls::Index(const std::string& control) const
{
    return ctx_.Get<TRadioGroup>(control)->ItemIndex();
}

std::vector<std::string> MissingControls(const TPageContext& ctx, const std::vector<std::string>& names)
{
    std::vector<std::string> missing;
    for (const auto& name : names)
        if (!ctx.HasControl(name))
            missing.push_back(name);
    return missing;
}

void ShowCorrectedLevels(const TPageContext& ctx, const std::vector<std::pair<std::string, std::string>>& levels)
{
    for (const auto& [control, text] : levels)
        ctx.Get<QLineEdit>(control)->setText(FromLatin1(text));
}

void ApplyProfile(TPageContext& ctx, const std::vector<TProfileValue>& values)
{
    const auto before = std::make_unique<MemoryImage>(ctx.Image.Image);
    try {
        for (const TProfileValue& value : values)
            Apply(ctx, value);
        ctx.Redraw.ShowStep(TRedraw::ScalingConstants);
    } catch (...) {
        ctx.Image.Image = *before;
        ctx.Redraw.ImageToControls();
        throw;
    }
}
