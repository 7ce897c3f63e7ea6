// Triggers on tables and views, and database-level triggers.
#pragma once

#include "qelClasses.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

class TFldData;
class TTrgData;

// Held by a table or view: the triggers whose Table it is. When the table or
// view goes, each of them is told, so that no trigger keeps a dangling Table.
class TTriggerRefs {
public:
    TTriggerRefs() = default;
    TTriggerRefs(const TTriggerRefs&) = delete;
    TTriggerRefs& operator=(const TTriggerRefs&) = delete;
    ~TTriggerRefs();

private:
    friend class TTrgData;
    std::vector<TTrgData*> m_triggers;
};

// One trigger. Owns the UPDATE OF column list. Table is the table or view
// TableName resolves to in the collection (not owned; nil when there is none
// or when the table or view has gone).
class TTrgData : public TDbObj {
public:
    explicit TTrgData(TCustomObjs* AObjs);
    ~TTrgData() override;
    std::string ClassName() const override { return "TTrgData"; }

    const std::string& TableName() const { return m_tableName; }
    // Stores the name and resolves Table: a table of that name, else a view,
    // else none (and none when the collection is not a TObjs). SQL Anywhere
    // looks the name up under Owner + ".".
    void SetTableName(std::string_view Value);
    TDbObj* Table() const { return m_table; }

    bool StubPending() const { return m_stubPending; }
    // Sets the flag here and on the counterpart.
    void SetStubPending(bool Value);

    std::string CreatedBody;
    bool Active = true;
    std::uint8_t Timing = 0; // 1 before, 2 after, 4 for, 5 instead of
    std::uint8_t Events = 0; // bit 1 insert, bit 2 update, bit 3 delete
    std::int32_t Position = 0;
    std::int32_t IBTypeCode = 0;
    TOwnedNameList<TFldData> UpdateColumns;
    std::string NewName;
    std::string OldName;
    std::string RemoteName;
    std::string NewTableName;
    std::string OldTableName;
    std::string ParentName;
    std::string WhenCondition;
    bool ForEachRow = false;
    bool ForEachStatement = false;
    std::string Mode;
    bool TransactSQL = false;
    bool WithAppend = false;
    bool NotForReplication = false;
    std::string DatabaseEvent;

private:
    friend class TTriggerRefs;
    void LinkTable(TDbObj* Target);

    std::string m_tableName;
    TDbObj* m_table = nullptr;
    TTriggerRefs* m_tableRefs = nullptr;
    bool m_stubPending = false;
};

// One InterBase/Firebird trigger type: its code in the system tables, the
// type as before/after (1/2) plus 512 insert, 1024 update, 2048 delete, and
// its words.
struct TTrgType {
    std::int32_t IBTypeCode;
    std::int32_t TriggerType;
    std::string_view Text;
};
extern const std::array<TTrgType, 14> TrgTypes;

} // namespace qel
