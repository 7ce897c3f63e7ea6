// A set over a one-byte enumeration, stored as bits.
#pragma once

#include <bitset>
#include <cstddef>
#include <initializer_list>

namespace qel {

template <class E, std::size_t N = 256>
class TSet {
public:
    constexpr TSet() = default;
    TSet(std::initializer_list<E> items)
    {
        for (E e : items) Include(e);
    }
    // Every value from First to Last, both included.
    static TSet Range(E First, E Last)
    {
        TSet s;
        for (auto i = static_cast<std::size_t>(First); i <= static_cast<std::size_t>(Last); ++i) s.m_bits.set(i);
        return s;
    }

    bool Contains(E e) const { return m_bits.test(static_cast<std::size_t>(e)); }
    TSet& Include(E e) { m_bits.set(static_cast<std::size_t>(e)); return *this; }
    TSet& Exclude(E e) { m_bits.reset(static_cast<std::size_t>(e)); return *this; }
    bool Empty() const { return m_bits.none(); }
    std::size_t Count() const { return m_bits.count(); }

    friend TSet operator|(TSet a, const TSet& b) { a.m_bits |= b.m_bits; return a; }
    friend TSet operator&(TSet a, const TSet& b) { a.m_bits &= b.m_bits; return a; }
    // The members of a that are not in b.
    friend TSet operator-(TSet a, const TSet& b) { a.m_bits &= ~b.m_bits; return a; }
    friend bool operator==(const TSet& a, const TSet& b) { return a.m_bits == b.m_bits; }

private:
    std::bitset<N> m_bits;
};

} // namespace qel
