#include "AppTestSupport.h"

#include "image/MemoryImage.h"

#include <gtest/gtest.h>

#include <array>
#include <set>

// Every row table the window builds, checked at once: a field inside the configuration area, a bound that
// its bytes can hold, and no byte owned twice but by disjoint bits.
TEST(RowTables, EveryFieldFitsAndNoTwoShareBits)
{
    TTempIni ini;
    TForm1 form(OptionsWith(ini));
    const auto& rows = form.PageContext.Rows;
    ASSERT_FALSE(rows.empty());

    std::array<uint8_t, MemoryImage::kConfigSize> owned{};
    std::array<std::string, MemoryImage::kConfigSize> owner;
    std::set<std::string> names;
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(row.name.empty());
        EXPECT_TRUE(names.insert(row.name).second) << "name used twice";
        if (const auto* n = std::get_if<NumberField>(&row.field)) {
            EXPECT_TRUE(n->length == 1 || n->length == 2 || n->length == 4);
            EXPECT_LE(uint64_t(n->max), (uint64_t(1) << (8 * n->length)) - 1);
            EXPECT_LE(n->min, n->max);
        }
        if (const auto* t = std::get_if<TextField>(&row.field)) {
            EXPECT_GE(t->slot.slot, 2);
        }
        for (const TFieldBytes& bytes : FieldBytes(row.field)) {
            ASSERT_GE(bytes.address, 0);
            ASSERT_LE(bytes.address + bytes.count, MemoryImage::kConfigSize);
            EXPECT_NE(bytes.mask, 0);
            for (int a = bytes.address; a < bytes.address + bytes.count; ++a) {
                EXPECT_EQ(owned[size_t(a)] & bytes.mask, 0) << "byte " << a << " also " << owner[size_t(a)];
                owned[size_t(a)] |= bytes.mask;
                owner[size_t(a)] = row.name;
            }
        }
    }
}
