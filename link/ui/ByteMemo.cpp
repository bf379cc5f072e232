#include "link/ui/ByteMemo.h"

#include <QTextCursor>

ByteMemo::ByteMemo(QWidget* parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setUndoRedoEnabled(false);
}

QString ByteMemo::Display(std::string_view bytes, bool& pendingCR, std::ptrdiff_t markOffset, int* markDisplay)
{
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (markDisplay && static_cast<std::ptrdiff_t>(i) == markOffset)
            *markDisplay = static_cast<int>(out.size());
        const auto b = static_cast<uint8_t>(bytes[i]);
        const bool afterCR = pendingCR;
        pendingCR = b == '\r';
        if (b == '\n' && afterCR)
            continue; // CR LF is one line break
        if (b == '\r' || b == '\n')
            out += QChar('\n');
        else if (b == '\t')
            out += QChar('\t');
        else if (b < 0x20)
            out += QChar(0x2400 + b);
        else if (b == 0x7F)
            out += QChar(0x2421);
        else
            out += QChar(b);
    }
    if (markDisplay && markOffset >= static_cast<std::ptrdiff_t>(bytes.size()))
        *markDisplay = static_cast<int>(out.size());
    return out;
}

void ByteMemo::Append(std::string_view bytes, std::ptrdiff_t markOffset)
{
    bytes_.append(bytes);
    int mark = -1;
    const QString shown = Display(bytes, pendingCR_, markOffset, markOffset >= 0 ? &mark : nullptr);
    if (mark >= 0)
        markDisplay_ = displayLength_ + mark;
    if (shown.isEmpty())
        return;
    // A cursor of our own: the user's selection and scroll position stay as they are.
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(shown);
    displayLength_ += static_cast<int>(shown.size());
}

void ByteMemo::ClearAll()
{
    bytes_.clear();
    pendingCR_ = false;
    displayLength_ = 0;
    markDisplay_ = 0;
    clear();
}

void ByteMemo::ShowMark()
{
    QTextCursor cursor(document());
    const int end = document()->characterCount() - 1;
    const int at = std::min(markDisplay_, std::max(0, end));
    cursor.setPosition(at);
    cursor.setPosition(std::min(at + 1, std::max(0, end)), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    ensureCursorVisible();
}
