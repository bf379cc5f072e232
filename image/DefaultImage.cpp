#include "image/DefaultImage.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace
{

using Image = std::array<uint8_t, 3072>;

void Put(Image& image, int address, std::initializer_list<uint8_t> bytes)
{
    for (uint8_t b : bytes)
        image[static_cast<size_t>(address++)] = b;
}

// A text followed by its NUL terminator.
void PutText(Image& image, int address, std::string_view text)
{
    for (char c : text)
        image[static_cast<size_t>(address++)] = static_cast<uint8_t>(c);
    image[static_cast<size_t>(address)] = 0x00;
}

Image Build()
{
    Image m;
    m.fill(0xFF);
    PutText(m, 0, "Default Profile");
    Put(m, 41, {0x00, 0x00});
    // The first phone slot holds a number behind a leading NUL, so it reads as empty.
    m[46] = 0x00;
    PutText(m, 47, "461234567");
    for (int a : {65, 84, 103, 122})
        m[static_cast<size_t>(a)] = 0x00;
    Put(m, 141, {0, 0, 0, 0, 0, 0, 0, 0});
    Put(m, 150, {0xF8, 0xF8, 0xF8, 0xF8, 0xF8, 0xF8, 0xF8, 0x83, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0D, 0x8B});
    Put(m, 171, {0x00, 0x00, 0x00, 0x00, 0x92, 0x92, 0x09, 0xC4, 0x09, 0xC4, 0x00, 0x3C});
    Put(m, 187, {0x00, 0x00});
    for (int k = 0; k < 5; ++k)
        Put(m, 191 + 17 * k, {0x00, 0x00, 0xFC, 0x09, 0xC4, 0x09, 0xC4, 0x00, 0x3C});
    m[268] = 0xFC;
    Put(m, 271, {0x00, 0x07});
    m[274] = 0x00;
    Put(m, 279, {0x01, 0xCC, 0x78, 0x01, 0x00, 0x00, 0x00, 0x09, 0xC4, 0xF8});
    for (int k = 0; k < 7; ++k) {
        const std::string digit(1, static_cast<char>('1' + k));
        PutText(m, 291 + 32 * k, "Low Alarm I/O" + digit);
        PutText(m, 547 + 32 * k, "Restore Alarm I/O" + digit);
    }
    PutText(m, 515, "Low battery");
    Put(m, 771, {0x97, 0x00, 0x00, 0x00, 0x00, 0x05, 0xA0, 0x64});
    PutText(m, 779, "*99***1#");
    // User name, then a remnant past its terminator that no control shows.
    PutText(m, 798, "kivu");
    PutText(m, 803, "gsm");
    PutText(m, 839, "kivpass1");
    Put(m, 859, {0x07, 0xF8, 0x00, 0x00, 0x00, 0x00, 0x1B, 0xFA, 0x00, 0x00, 0x00, 0x00, 0x1B, 0xFA});
    for (int a = 873; a <= 885; ++a)
        m[static_cast<size_t>(a)] = 0x00;
    m[935] = 0x00;
    Put(m, 985, {0x02, 0x02, 0x0A, 0x0A, 0x0A});
    Put(m, 1005, {0x0A, 0x0D, 0x02, 0x00, 0x00, 0x03, 0x9C, 0x8F, 0x18, 0x06, 0xFC, 0x01, 0x02, 0xF0, 0x80});
    m[1022] = 0x05;
    PutText(m, 1472, "pool.ntp.org");
    PutText(m, 1503, "pool.ntp.org");
    PutText(m, 1534, "203.0.113.100");
    PutText(m, 1595, "203.0.113.100");
    Put(m, 1637, {0x00, 0x06, 0x50});
    for (int a : {2689, 2693, 2697, 2701, 2705})
        Put(m, a, {0x00, 0x3C});
    for (int a : {1034, 1084, 1128, 1134, 1149, 1170, 1184, 1191, 1192, 1212, 1233, 1234, 1254, 1275,
                  1284, 1296, 1317, 1334, 1347, 1348, 1379, 1380, 1384, 1409, 1410, 1434, 1441, 1552,
                  1569, 1586, 1620, 1654, 1656, 1717, 1758, 2056, 2073, 2090, 2107, 2124, 2494})
        m[static_cast<size_t>(a)] = 0x00;
    return m;
}

} // namespace

const std::array<uint8_t, 3072>& DefaultImageBytes()
{
    static const Image image = Build();
    return image;
}
