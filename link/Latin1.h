#pragma once

#include <QString>

#include <string>

// Text on the wire and in the image is single-byte: widgets meet it through Latin-1, never UTF-8.
inline std::string ToBytes(const QString& text)
{
    return text.toLatin1().toStdString();
}

inline QString FromBytes(const std::string& bytes)
{
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
