// The copy every option class shares, so that a class says only which fields
// it copies.
#pragma once

#include "qelComponent.h"

#include <memory>
#include <tuple>

namespace qel {

// One field of an option class's list: a value is copied; an owned option
// object is assigned into, so a copy never shares it and allocates nothing.
template <class T>
void CopyOptionField(T& Dest, const T& Source)
{
    Dest = Source;
}

template <class T>
void CopyOptionField(std::unique_ptr<T>& Dest, const std::unique_ptr<T>& Source)
{
    Dest->Assign(*Source);
}

// The base of an option class Self. Self lists the fields it copies in a
// private static constexpr Fields(), a tuple of pointers to members, and
// befriends this base. Assign copies from an object of Self's class or a
// descendant (the InterBase options of a connection, an executor and the
// comparer copy to and from each other); AssignTo is the same copy seen from
// the source. Any other class goes on to TPersistent, which asks the source
// and, failing that, raises "Cannot assign a TX to a TY.".
template <class Self>
class TOptionObject : public TPersistent {
public:
    void Assign(const TPersistent& Source) override
    {
        if (const auto* s = dynamic_cast<const Self*>(&Source))
            CopyFields(static_cast<Self&>(*this), *s);
        else
            TPersistent::Assign(Source);
    }

protected:
    void AssignTo(TPersistent& Dest) const override
    {
        if (auto* d = dynamic_cast<Self*>(&Dest))
            CopyFields(*d, static_cast<const Self&>(*this));
        else
            TPersistent::AssignTo(Dest);
    }

private:
    static void CopyFields(Self& Dest, const Self& Source)
    {
        if (&Dest == &Source) return;
        std::apply([&](auto... Field) { (CopyOptionField(Dest.*Field, Source.*Field), ...); }, Self::Fields());
    }
};

} // namespace qel
