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

void BindCommandText(TPageContext& ctx, QLineEdit* edit, TextSlot slot)
{
    edit->setMaxLength(slot.MaxLength());
    ImageStore& image = ctx.Image;
    auto show = [&image, edit, slot] { ShowText(edit, ReadTextSlot(image, slot)); };
    auto exit = [&image, edit, slot, show] {
        WriteTextSlotAlways(image, slot, StripCommandPrefix(ToLatin1(edit->text())));
        show();
    };
    ctx.Redraw.Add(TRedraw::CommandStrings, show);
    ctx.AddExit(edit->objectName().toStdString(), exit);
    OnExit(edit, exit);
}
