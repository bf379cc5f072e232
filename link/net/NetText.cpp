#include "link/net/NetText.h"

#include "platform/Convert.h"

#include <QHostAddress>

namespace NetText
{

std::string DottedAddress(const QHostAddress& address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    if (isV4)
        return QHostAddress(v4).toString().toStdString();
    return address.toString().toStdString();
}

bool ParsePort(const std::string& text, int& port, std::string& error)
{
    try {
        port = StrToInt(text);
    } catch (const EConvertError& e) {
        error = e.what();
        return false;
    }
    if (port < 1 || port > 65535) {
        error = "'" + text + "' is not a valid port number (1..65535)";
        return false;
    }
    return true;
}

} // namespace NetText
