#pragma once

#include <QString>

#include <string>

// Single-byte text at the Qt boundary: every byte is one character, both ways.
inline QString FromLatin1(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Characters above 255 become '?', as the unit could not store them anyway.
inline std::string ToLatin1(const QString& text)
{
    QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}
