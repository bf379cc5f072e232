#include "link/net/TcpTerminal.h"

#include "link/net/ServerView.h"
#include "link/net/TcpLink.h"
#include "link/protocol/TrafficText.h"

#include <Qt>

#include <string>
#include <vector>

namespace
{
// The memo's lines; a final empty line does not count.
std::vector<std::string> TypedLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    if (lines.back().empty())
        lines.pop_back();
    return lines;
}
} // namespace

TcpTerminal::TcpTerminal(ServerView& view, TcpLink& link) : view_(view), link_(link) {}

void TcpTerminal::Memo2KeyDown(int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return;
    const std::vector<std::string> lines = TypedLines(view_.TypedText());
    if (lines.empty())
        return; // nothing typed: nothing to send
    const std::string& line = lines.back();
    view_.AddReceiveLine(line + ":" + std::to_string(lines.size()));
    std::string out = TrafficText::ExpandByteCodes(line);
    view_.AddReceiveLine(out);
    if (view_.AppendCrLf())
        out += "\r\n";
    if (!out.empty())
        link_.SendOnLink(out);
}
