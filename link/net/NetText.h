#pragma once

#include <string>

class QHostAddress;

// Addresses and port numbers as the Server page shows and takes them.
namespace NetText
{

// An IPv4 address (also one that arrived mapped into IPv6) as dotted decimal; any other as Qt writes it.
std::string DottedAddress(const QHostAddress& address);

// A port typed into an edit: a number from 1 to 65535. Otherwise false, with the message to show.
bool ParsePort(const std::string& text, int& port, std::string& error);

} // namespace NetText
