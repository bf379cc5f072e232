#include "channels/CommandText.h"

#include "pages/Bind.h"
#include "pages/PageContext.h"
#include "platform/ui/ExitOnFocusOut.h"
#include "platform/ui/Latin1.h"

#include <QLineEdit>

#include <cctype>

std::string StripCommandPrefix(const std::string& text)
{
    if (text.size() >= 2 && std::toupper(static_cast<unsigned char>(text[0])) == 'K' &&
        std::toupper(static_cast<unsigned char>(text[1])) == 'V')
        return text.substr(2);
    return text;
}

void BindTextAlways(TPageContext& ctx, QLineEdit* edit, TextSlot slot, TRedraw::Step step, bool commitOnEnter,
                    std::string (*stored)(const std::string&))
{
    edit->setMaxLength(slot.MaxLength());
    ImageStore& image = ctx.Image;
    auto show = [&image, edit, slot] { ShowText(edit, ReadTextSlot(image, slot)); };
    auto exit = [&image, edit, slot, show, stored] {
        const std::string text = ToLatin1(edit->text());
        WriteTextSlotAlways(image, slot, stored ? stored(text) : text);
        show();
    };
    if (commitOnEnter) {
        BindEdit(ctx, edit, step, show, exit);
        return;
    }
    ctx.Redraw.Add(step, show);
    ctx.AddExit(edit->objectName().toStdString(), exit);
    OnExit(edit, exit);
}

void BindCommandText(TPageContext& ctx, QLineEdit* edit, TextSlot slot)
{
    BindTextAlways(ctx, edit, slot, TRedraw::CommandStrings, false, StripCommandPrefix);
}
