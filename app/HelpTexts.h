#pragma once

#include <cstdint>

// The texts of the context help panel: thirteen help pages served by eight tables. Each row holds an item
// number and three lines (any of them may be empty). Pages 2 and 3 share one table, pages 4 to 8 another.
// The texts are the tool's own interface text, kept as UTF-8.
struct THelpRow {
    uint16_t item;
    const char* line1;
    const char* line2;
    const char* line3;
};

struct THelpTable {
    const THelpRow* rows;
    int count;
};

inline constexpr int kHelpPageCount = 13;

// The table that serves help page 1..13; an empty table for any other page.
THelpTable HelpTableOfPage(int page);
// The row of the page's table with that item number, or nullptr. Item 0 (an unused slot) is never found.
const THelpRow* FindHelpRow(int page, int item);
