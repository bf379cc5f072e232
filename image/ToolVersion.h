#pragma once

#include <cstdint>

// The tool's own version, in one place. The text "x.yy" is what the window caption and the about box show; the
// number x * 100 + yy is what a write to the unit or a ".kvx" save stamps into image bytes 183-184, and what
// the "CT Profile Version" label reads back as "%02d.%02d".
inline constexpr int kToolMajor = 2;
inline constexpr int kToolMinor = 14;
inline constexpr char kVersionText[] = "2.14";
inline constexpr uint16_t ConfigToolNr = kToolMajor * 100 + kToolMinor;
// The build suffix that the caption and the about box add after the version text.
inline constexpr char kVersionBuild[] = ".02";
// The release identifier: version text and build suffix, no blanks. ".kvx" files and ".kvp" profiles carry it.
inline constexpr char kVersionTag[] = "2.14.02";

namespace ToolVersionCheck
{
constexpr bool TextMatches(const char* text, int major, int minor)
{
    return text[0] == '0' + major && text[1] == '.' && text[2] == '0' + minor / 10 && text[3] == '0' + minor % 10 &&
           text[4] == '\0';
}
constexpr bool TagMatches(const char* tag, const char* text, const char* build)
{
    int i = 0;
    for (; text[i] != '\0'; ++i)
        if (tag[i] != text[i])
            return false;
    for (int j = 0; build[j] != '\0'; ++j)
        if (tag[i + j] != build[j])
            return false;
    return true;
}
} // namespace ToolVersionCheck

static_assert(kToolMajor >= 0 && kToolMajor <= 9 && kToolMinor >= 0 && kToolMinor <= 99);
static_assert(ToolVersionCheck::TextMatches(kVersionText, kToolMajor, kToolMinor));
static_assert(ToolVersionCheck::TagMatches(kVersionTag, kVersionText, kVersionBuild) &&
              sizeof(kVersionTag) == sizeof(kVersionText) + sizeof(kVersionBuild) - 1);
