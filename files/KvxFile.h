#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// The ".kvx" image file: the 3072 configuration bytes as hexadecimal text, a trailer, and the five wake-up
// timer texts. Pure text in and out; the window decides where the bytes come from and go.

inline constexpr int kKvxImageBytes = 3072;
inline constexpr int kKvxTimers = 5;
inline constexpr char kKvxWarningCaption[] = "Warning";

// The whole file as the tool writes it: line 1 the bytes ("0A FF ... " with a blank after each), then
// "Version " + tag, "SWT:", "SWT1=" + timer 1 .. "SWT5=" + timer 5, "END"; every line ends in CR LF.
// image must hold kKvxImageBytes bytes.
std::string FormatKvx(std::string_view image, const std::array<std::string, kKvxTimers>& timers,
                      std::string_view versionTag);

// 0xFFFF minus the sum of the bytes, modulo 65536: what the checksum trailer carries, high byte first.
uint16_t KvxChecksum(std::string_view image);

// What a file that reads cleanly gives the window.
struct TKvxContent {
    std::string Image;                   // kKvxImageBytes bytes
    std::map<int, std::string> HexTexts; // by address, the byte tokens spelled other than as the tables show them
    std::string Status;                  // panel 0 after the load
    std::string Warning;                 // a message box with kKvxWarningCaption, or empty for none
    std::vector<std::string> Lines;      // the trailer's text lines for Memo4 (at most six)
};

struct TKvxParse {
    bool Ok = false;
    TKvxContent Content; // when Ok
    std::string Error;   // when not: what is wrong and where (token number and line)
};

// Reads a whole file. Tokens are runs of characters other than blank, tab, CR and LF, so line ends of any kind
// read alike. The first kKvxImageBytes tokens must each be a hexadecimal number of 00 to FF (any case, leading
// zeros allowed); then comes the version trailer (a word of more than six characters and a token that should
// contain versionTag), the checksum trailer (two hexadecimal tokens, high byte then low byte) or none, then up
// to six text lines.
// A file that breaks these rules gives Ok == false and nothing else.
TKvxParse ParseKvx(std::string_view text, std::string_view versionTag);
