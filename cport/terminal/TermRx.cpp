#include "cport/terminal/TermRx.h"

void ForceSevenBit(std::string& Block)
{
    for (char& Ch : Block)
        Ch = static_cast<char>(Ch & 0x7F);
}

void AppendLineFeeds(std::string& Block)
{
    std::string Out;
    Out.reserve(Block.size() + Block.size() / 8);
    for (const char Ch : Block) {
        Out.push_back(Ch);
        if (Ch == '\r')
            Out.push_back('\n');
    }
    Block.swap(Out);
}
