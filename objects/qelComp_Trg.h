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
    static constexpr TDbObject Kind = TDbObject::dboTrigger;
    explicit TTrgData(TCustomObjs* AObjs);
    ~TTrgData() override;
    std::string ClassName() const override { return "TTrgData"; }

    // The server's trigger head followed by Body:
    //   "CREATE TRIGGER TR FOR T\r\nACTIVE BEFORE INSERT OR UPDATE POSITION 0 \r\nAS BEGIN END"
    // (MS SQL and ASE without a body: ScriptText).
    std::string GetCreateDDL() const override;
    // The CREATE text with the body the trigger was created with; that is
    // the current body until one was kept (CreatedBody is filled then).
    std::string GetSourceText() const override;
    // "DROP TRIGGER TR", with the schema, owner and table each server needs:
    // "DROP TRIGGER O.T.TR" (SQL Anywhere), "DROP TRIGGER TR ON DATABASE".
    std::string GetDropScript() const override;
    // MS SQL: its head in the ALTER form and Body; others
    // "ALTER TRIGGER TR\r\n" + Body.
    std::string GetAlterScript() const override;

    // 1 "INSERT", 2 "UPDATE", 3 "DELETE"; empty for anything else.
    static std::string GetEventWord(int Code);
    // IBTypeCode as words, the way Firebird encodes it: 17 -> "BEFORE INSERT
    // OR UPDATE", 114 -> "AFTER INSERT OR UPDATE OR DELETE"; a database
    // trigger "ON CONNECT\r\n".
    std::string GetIBTypeText() const;
    // A body that references nothing: " AS Declare variable I integer;\r\n
    // BEGIN I = 0; END" (MS SQL and MySQL have their own).
    std::string GetStubBody() const;
    // The CREATE text with the stub as body; Body itself is never touched.
    std::string GetStubCreateScript() const;

    // ---- the walk ----
    // Empties the triggers of the view of this trigger's table that use it
    // (other triggers), then the base walk.
    void DropDependents() override;
    // A live trigger whose body is not its stub yet: Body becomes the stub,
    // what it uses no longer counts, the source side's trigger of that name
    // is marked StubPending, and "ALTER TRIGGER TR\r\n<stub>" goes to the
    // executor with Operation (odbEmpty when the base walk empties it).
    void EmptyTriggerBody(TDbOperation Operation = TDbOperation::odbAlter);
    bool HasEmptiableBody() const override { return true; }
    // "ALTER TRIGGER TR ..." with the real body.
    void WriteRestoredBody() override;

    const std::string& TableName() const { return m_tableName; }
    // Stores the name and resolves Table: a table of that name, else a view,
    // else none (and none when the collection is not a TObjs). SQL Anywhere
    // looks the name up under Owner + ".".
    void SetTableName(std::string_view Value);
    TDbObj* Table() const { return m_table; }

    bool StubPending() const { return m_stubPending; }
    // Sets the flag here and on the counterpart.
    void SetStubPending(bool Value);

    // Filled from Body the first time the source text is asked for, which
    // is why a const text may set it.
    mutable std::string CreatedBody;
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

    // A trigger of the database (Firebird ON CONNECT and the like, MS SQL
    // DATABASE and ALL SERVER triggers), not of a table.
    bool IsDatabaseTrigger() const;
    // "INSERT, UPDATE" or "INSERT OR UPDATE" for the held Events.
    std::string GetEventsText(const char* Separator) const;

protected:
    // ---- the trigger's steps of the walk ----
    // A trigger block under its name; the body it was created with is kept
    // and what uses it no longer counts.
    void WriteCreateStatement(const std::string& SQL) override;
    // A trigger written as a stub earlier gets its real body (ALTER).
    void WriteDeferredBody() override;
    // The stub flag is done with here and on the counterpart.
    void AfterCreate() override;
    // Dropped under ASE and PostgreSQL (no ALTER of a body there), emptied
    // elsewhere (odbEmpty).
    void DropForUsed(const TDbObj& Used) override;

private:
    friend class TTriggerRefs;
    void LinkTable(TDbObj* Target);
    std::string CreateText(const std::string& TriggerBody) const;
    std::string MSSQLHeader(bool Alter) const;

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
