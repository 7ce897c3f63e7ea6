// The list of names with owned objects that the object model is made of,
// and the mutual pairing of objects; both know nothing of database objects.
#pragma once

#include "qelText.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

// An insertion-ordered list of names, each with an optional owned object:
// the columns of a table or view, the parameters of a routine, the key
// columns of an index, the dependency links of an object. Lookups follow the
// list's case rule, by ASCII case only.
template <class T>
class TOwnedNameList {
public:
    struct TItem {
        std::string Name;
        std::unique_ptr<T> Object;
    };

    // Case rule of IndexOf and Find; a table's column list is blind to case
    // under MS SQL.
    bool CaseSensitive = true;

    int Count() const { return static_cast<int>(m_items.size()); }
    bool Empty() const { return m_items.empty(); }
    const std::string& Names(int Index) const { return m_items.at(static_cast<std::size_t>(Index)).Name; }
    T* Objects(int Index) const { return m_items.at(static_cast<std::size_t>(Index)).Object.get(); }

    // Appends Name with Object (which may be null) and returns the object.
    T* Add(std::string Name, std::unique_ptr<T> Object = nullptr)
    {
        T* raw = Object.get();
        m_items.push_back({std::move(Name), std::move(Object)});
        return raw;
    }
    // Position of the first entry named Name, or -1.
    int IndexOf(std::string_view Name) const
    {
        for (std::size_t i = 0; i < m_items.size(); ++i)
            if (CaseSensitive ? m_items[i].Name == Name : SameText(m_items[i].Name, Name)) return static_cast<int>(i);
        return -1;
    }
    // The object of the first entry named Name, or nullptr.
    T* Find(std::string_view Name) const
    {
        const int i = IndexOf(Name);
        return i < 0 ? nullptr : Objects(i);
    }
    // Removes the entry and hands its object to the caller; std::out_of_range
    // for a position that is not in the list.
    std::unique_ptr<T> Extract(int Index)
    {
        std::unique_ptr<T> obj = std::move(m_items.at(static_cast<std::size_t>(Index)).Object);
        m_items.erase(m_items.begin() + Index);
        return obj;
    }
    // Removes the entry and frees its object.
    void Delete(int Index) { Extract(Index); }
    // Frees every entry whose object Pred accepts; answers how many.
    template <class Pred>
    int RemoveIf(Pred pred)
    {
        const auto n = std::erase_if(m_items, [&](const TItem& item) { return item.Object && pred(*item.Object); });
        return static_cast<int>(n);
    }
    void Clear() { m_items.clear(); }

    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    std::vector<TItem> m_items;
};

// Points Self and Value at each other through Link (a member pointer), after
// unpairing whatever either was paired with; nullptr unpairs Self. Pairs
// that are always mutual can be undone from either end when one goes.
template <class T>
void PairMutually(T* Self, T* T::*Link, T* Value)
{
    if (Self->*Link == Value) return;
    if (T* old = Self->*Link; old != nullptr && old->*Link == Self) old->*Link = nullptr;
    Self->*Link = Value;
    if (Value == nullptr || Value == Self) return;
    if (T* old = Value->*Link; old != nullptr && old != Self) PairMutually(old, Link, static_cast<T*>(nullptr));
    Value->*Link = Self;
}

} // namespace qel
