#pragma once

#include <initializer_list>

// A set of values of an enumeration, held as a bit mask in which the bit of a value is its ordinal,
// the way the window description stores its sets. Bits must have a bit for every value.
template <typename Enum, typename Bits>
class EnumSet
{
public:
    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<Enum> values)
    {
        for (Enum value : values)
            m_bits = Bits(m_bits | bit(value));
    }

    // The set whose mask is `bits`; bits beyond the enumeration's values are kept as they are.
    static constexpr EnumSet fromBits(Bits bits)
    {
        EnumSet set;
        set.m_bits = bits;
        return set;
    }

    constexpr Bits bits() const { return m_bits; }
    constexpr bool contains(Enum value) const { return (m_bits & bit(value)) != 0; }
    constexpr void insert(Enum value) { m_bits = Bits(m_bits | bit(value)); }
    constexpr void remove(Enum value) { m_bits = Bits(m_bits & ~bit(value)); }

    constexpr bool operator==(const EnumSet& other) const { return m_bits == other.m_bits; }
    constexpr bool operator!=(const EnumSet& other) const { return m_bits != other.m_bits; }

private:
    static constexpr Bits bit(Enum value) { return Bits(Bits(1) << static_cast<int>(value)); }

    Bits m_bits = 0;
};
