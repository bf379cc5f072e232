#include "channels/WordEdit.h"

#include "image/ImageStore.h"
#include "pages/Bind.h"
#include "pages/PageContext.h"
#include "platform/Convert.h"
#include "platform/ui/Latin1.h"

#include <QLineEdit>

#include <algorithm>
#include <cstdint>

std::string WordText(const ImageStore& image, const TWordField& field)
{
    const uint32_t word = image.ReadImageNumber(field.address, 2);
    return std::to_string(field.isSigned ? static_cast<int>(static_cast<int16_t>(word)) : static_cast<int>(word));
}

TClampedWord WordFromText(const std::string& text, TWordRange range)
{
    if (text.empty())
        return {0, false};
    const int typed = StrToInt(text);
    const int value = std::clamp(typed, range.min, range.max);
    return {value, value != typed};
}

void BindWord(TPageContext& ctx, QLineEdit* edit, TWordField field, std::function<TWordRange()> range,
              TRedraw::Step step)
{
    ImageStore& image = ctx.Image;
    auto show = [&image, edit, field] { ShowText(edit, WordText(image, field)); };
    auto exit = [&image, edit, field, range] {
        const std::string text = ToLatin1(edit->text());
        const TClampedWord word = WordFromText(text, range());
        if (text.empty() || word.clamped)
            edit->setText(QString::number(word.value));
        image.WriteImageNumber(static_cast<uint32_t>(word.value) & 0xFFFF, field.address, 2, 1);
    };
    BindEdit(ctx, edit, step, show, exit);
}
