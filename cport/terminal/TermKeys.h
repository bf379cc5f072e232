#pragma once

#include "cport/terminal/Cportesc.h"

#include <QString>

// What the cursor keys of a terminal do: send codes to the unit, or move the caret locally.
enum class TArrowKeys { akTerminal, akWindows };

// The code a cursor key stands for (Home, Left, Up, Right, Down), ecUnknown for any other key.
TEscapeCode CursorKeyCode(int Key);

// The application-mode code of a cursor code, ecUnknown when there is none (Home).
TEscapeCode AppCursorKeyCode(TEscapeCode Code);

// The byte a key types into the terminal, -1 when it types none. Enter is 13, Backspace 8, Esc 27, Tab 9 only
// when the terminal wants Tab; other keys type their text when it is one Latin-1 character.
int KeyToChar(int Key, const QString& Text, bool WantTab);
