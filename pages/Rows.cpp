#include "pages/Rows.h"

namespace
{

struct BytesOf {
    std::vector<TFieldBytes> operator()(const TextField& f) const { return {{f.slot.address, f.slot.slot, 0xFF}}; }
    std::vector<TFieldBytes> operator()(const NumberField& f) const { return {{f.address, f.length, 0xFF}}; }
    std::vector<TFieldBytes> operator()(const ScaledNumber& f) const { return {{f.address, f.length, 0xFF}}; }
    std::vector<TFieldBytes> operator()(const BitSwitch& f) const { return {{f.address, 1, f.mask}}; }
    std::vector<TFieldBytes> operator()(const MultiBitChoice& f) const { return {{f.address, 1, f.mask}}; }
    std::vector<TFieldBytes> operator()(const BitPairChoice& f) const
    {
        return {{f.first.address, 1, f.first.mask}, {f.second.address, 1, f.second.mask}};
    }
    std::vector<TFieldBytes> operator()(const Nibble& f) const
    {
        return {{f.address, 1, static_cast<uint8_t>(f.high ? 0xF0 : 0x0F)}};
    }
    std::vector<TFieldBytes> operator()(const ComboIndex& f) const { return {{f.address, 1, f.mask}}; }
    std::vector<TFieldBytes> operator()(const Unbound&) const { return {}; }
};

} // namespace

std::vector<TFieldBytes> FieldBytes(const TField& field)
{
    return std::visit(BytesOf{}, field);
}
