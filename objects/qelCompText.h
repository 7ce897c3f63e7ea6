// What the DDL writers of columns, tables, indexes, constraints, generators,
// packages, roles and grants share: name lists, owner and schema prefixes,
// the InterBase settings they are written under, and a dialect switch for
// keys. Private to objects/.
#pragma once

#include "qelClasses.h"
#include "qelDBOptions.h"
#include "qelText.h"

#include <string>
#include <string_view>
#include <vector>

namespace qel {

// The names of a column list as Obj quotes them, ", " between them; empty
// for an empty list: (A, "Order") -> "A, \"Order\"".
template <class T>
std::string QuotedNames(const TDbObj& Obj, const TOwnedNameList<T>& List)
{
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(List.Count()));
    for (const auto& item : List) names.push_back(Obj.QuoteName(item.Name));
    return Join(names, ", ");
}

// A SQL Anywhere owner before a point: the quoted owner, or DBA for none,
// as a table's qualified name has it: ("") -> "DBA", ("O") -> "O".
inline std::string ASAOwnerText(const TDbObj& Obj, const std::string& Owner)
{
    return Owner.empty() ? std::string("DBA") : Obj.QuoteName(Owner);
}

// A name with its schema in front only when there is one:
//   ("dbo", "T") -> "dbo.T", ("", "T") -> "T"
inline std::string SchemaQualified(const TDbObj& Obj, const std::string& Schema, const std::string& Name)
{
    return Schema.empty() ? Obj.QuoteName(Name) : Obj.QuoteName(Schema) + "." + Obj.QuoteName(Name);
}

// An InterBase trigger or routine body after its header: the body as the
// parser keeps it has no AS, a stub's has one already.
//   "BEGIN END" -> "AS\r\nBEGIN END", " AS BEGIN END" -> " AS BEGIN END"
inline std::string WithAsWord(const std::string& Body)
{
    const std::string head = TrimLeft(Body);
    const bool hasAs = head.size() >= 2 && (head[0] == 'A' || head[0] == 'a') && (head[1] == 'S' || head[1] == 's') &&
                       (head.size() == 2 || std::string_view(" \t\r\n(/-").find(head[2]) != std::string_view::npos);
    return hasAs ? Body : std::string("AS") + CRLF + Body;
}

// The InterBase server version and dialect the object is written for; the
// options' defaults for an object without a collection.
inline TIBSQLServerVersionType IBVersionOf(const TDbObj& Obj)
{
    const TIBServerOptions* ib = Obj.GetIBServerOptions();
    return ib == nullptr ? TIBServerOptions::DefaultSQLServerVersion : ib->SQLServerVersion;
}

inline TIBSQLDialectType IBDialectOf(const TDbObj& Obj)
{
    const TIBServerOptions* ib = Obj.GetIBServerOptions();
    return ib == nullptr ? TIBServerOptions::DefaultSQLDialect : ib->SQLDialect;
}

// Sets the object's InterBase SQL dialect to 1 while it lives, so that a
// text made meanwhile quotes no name (keys of unnamed constraints and of
// grants), and puts the old dialect back however the scope is left.
class TIBDialectOneScope {
public:
    explicit TIBDialectOneScope(const TDbObj& Obj) : m_options(Obj.GetIBServerOptions())
    {
        if (m_options == nullptr) return;
        m_saved = m_options->SQLDialect;
        m_options->SQLDialect = 1;
    }
    ~TIBDialectOneScope()
    {
        if (m_options != nullptr) m_options->SQLDialect = m_saved;
    }
    TIBDialectOneScope(const TIBDialectOneScope&) = delete;
    TIBDialectOneScope& operator=(const TIBDialectOneScope&) = delete;

private:
    TIBServerOptions* m_options;
    TIBSQLDialectType m_saved = TIBServerOptions::DefaultSQLDialect;
};

} // namespace qel
