#include "channels/RestoreDelay.h"

#include "channels/ChannelTable.h"
#include "pages/Bind.h"
#include "pages/PageContext.h"
#include "platform/ui/ExitOnFocusOut.h"
#include "platform/ui/Latin1.h"

#include <QLineEdit>

namespace
{

constexpr NumberField kWord{kRestoreDelayWord, 2, 0xFFFF};
constexpr uint32_t kErased = 0xFFFF;
constexpr uint32_t kErasedMeans = 600;

uint32_t Seconds(uint32_t word)
{
    return word == kErased ? kErasedMeans : word;
}

} // namespace

void BindRestoreDelay(TPageContext& ctx, const std::vector<QLineEdit*>& edits)
{
    ImageStore& image = ctx.Image;
    ctx.Redraw.Add(TRedraw::ChannelPages, [&image, edits] {
        const std::string text = std::to_string(Seconds(ReadNumber(image, kWord)));
        for (QLineEdit* edit : edits)
            ShowText(edit, text);
    });
    for (QLineEdit* edit : edits) {
        auto exit = [&image, edit, edits] {
            // Only 65535 itself stands for 600: a larger number typed is held just below it.
            const ClampedNumber typed = ClampNumberText(ToLatin1(edit->text()), kWord.max);
            const uint32_t value = typed.clamped && typed.value == kErased ? kErased - 1 : Seconds(typed.value);
            for (QLineEdit* each : edits)
                ShowText(each, std::to_string(value));
            WriteNumber(image, kWord, value);
        };
        ctx.AddExit(edit->objectName().toStdString(), exit);
        OnExit(edit, exit);
    }
}
