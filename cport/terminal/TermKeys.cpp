#include "cport/terminal/TermKeys.h"

#include <qnamespace.h>

using EC = TEscapeCode;

TEscapeCode CursorKeyCode(int Key)
{
    switch (Key) {
    case Qt::Key_Home:
        return EC::ecCursorHome;
    case Qt::Key_Left:
        return EC::ecCursorLeft;
    case Qt::Key_Up:
        return EC::ecCursorUp;
    case Qt::Key_Right:
        return EC::ecCursorRight;
    case Qt::Key_Down:
        return EC::ecCursorDown;
    default:
        return EC::ecUnknown;
    }
}

TEscapeCode AppCursorKeyCode(TEscapeCode Code)
{
    switch (Code) {
    case EC::ecCursorLeft:
        return EC::ecAppCursorLeft;
    case EC::ecCursorUp:
        return EC::ecAppCursorUp;
    case EC::ecCursorRight:
        return EC::ecAppCursorRight;
    case EC::ecCursorDown:
        return EC::ecAppCursorDown;
    default:
        return EC::ecUnknown;
    }
}

int KeyToChar(int Key, const QString& Text, bool WantTab)
{
    switch (Key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return WantTab ? 9 : -1;
    case Qt::Key_Delete:
        return -1;
    default:
        break;
    }
    if (Text.size() != 1 || Text.at(0).unicode() > 0xFF)
        return -1;
    return Text.at(0).unicode();
}
