// The object-model half of qelClasses (the executor half lives in exec/):
// the base of every database object, its dependency links, the statement
// sink the objects write to, and the system's one identifier-quoting routine.
//
// Ownership: the collection (TCustomObjs) owns every object handed to it;
// an object owns its sub-objects (columns, parameters) and the links in its
// UsedBy and Uses lists. Every other pointer between objects (Counterpart, a
// link's Target, Objs) is an observer; an object's destructor removes the
// links that point at it from the objects on their other end and unpairs its
// counterpart, so no pointer outlives its target. Nothing here raises.
#pragma once

#include "qelComponent.h"
#include "qelDBOptions.h"
#include "qelOwnedNameList.h"
#include "qelText.h"
#include "qelTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

class TCustomObjs;
class TDbObj;
class TDependObj;
class TStatement;

// What the object model calls of the script executor (TCustomSQLExec
// implements it), so that objects/ never needs exec/.
class TStatementSink {
public:
    virtual ~TStatementSink() = default;

    virtual TStatement* AddStatement(const std::string& SQL, TStatType StatType, const std::string& ObjName = {},
                                     TDbObject ObjType = TDbObject::dboUnknown,
                                     TDbOperation Operation = TDbOperation::odbUnknown,
                                     const std::string& ParentName = {}, const std::string& Terminator = {}) = 0;
    virtual TStatement* AddDescription(TDbObj& Obj) = 0;
    virtual TStatement* AddComment(const std::string& Text) = 0;
    virtual void AddConnectStatement() = 0;
    // "COMMIT WORK;" where the server has it; nothing in the base.
    virtual TStatement* AddCommit() { return nullptr; }
    virtual void SetCurrentSchema(const std::string& Name) = 0;
    virtual void LogNextLine(const std::string& Text) = 0;

protected:
    TStatementSink() = default;
    TStatementSink(const TStatementSink&) = default;
    TStatementSink& operator=(const TStatementSink&) = default;
};

using TDependList = TOwnedNameList<TDependObj>;

// Flag bits of TCustomObjs::ScriptFlags; an object without a collection
// reads all of them as set.
inline constexpr std::uint32_t sfAllScriptFlags = 0x7FFFFF;
inline constexpr std::uint32_t sfDescriptions = 0x400000;

// One database object: name, schema, kind, texts and dependency links. Every
// object kind derives from it, names its kind in a tag (`static constexpr
// TDbObject Kind`) and hands the tag to the constructor with its collection.
// The kinds say how they are written per server type; the base writes only
// comments and the drop statements of the simplest kinds.
class TDbObj : public TObject {
public:
    // A plain object is of no kind.
    static constexpr TDbObject Kind = TDbObject::dboUnknown;

    explicit TDbObj(TCustomObjs* Objs = nullptr) : TDbObj(Objs, Kind) {}
    ~TDbObj() override;
    TDbObj(const TDbObj&) = delete;
    TDbObj& operator=(const TDbObj&) = delete;
    std::string ClassName() const override { return "TDbObj"; }

    // ---- fields ----
    // The same object on the other database side; pairing is mutual, and an
    // object that goes unpairs its counterpart.
    TDbObj* Counterpart() const { return m_counterpart; }
    void SetCounterpart(TDbObj* Value);

    // Two lists of items the object owns and frees; what they hold is the
    // kinds' business.
    std::vector<std::unique_ptr<TObject>> Items1;
    std::vector<std::unique_ptr<TObject>> Items2;

    // The comment text, stored with CR LF line breaks and trimmed:
    //   "  first\nsecond\r" -> "first\r\nsecond"
    const std::string& Description() const { return m_description; }
    void SetDescription(std::string_view Value);
    // Body or expression text (view query, routine or trigger body, check
    // condition, default or computed expression); stored as a description is.
    const std::string& Body() const { return m_body; }
    void SetBody(std::string_view Value);

    // The owning collection (not owned); may be nullptr.
    TCustomObjs* Objs() const { return m_objs; }

    // Cleared once the object is dropped in the generated script, set again
    // once it is created.
    bool Exists = true;
    // One link per object that uses this one (named after that object), and
    // one per object this one uses (named after the used object). Owned.
    // Made in pairs by AddDependency; never add to one list alone.
    TDependList UsedBy;
    TDependList Uses;
    // The stored source of the object when the parser kept one.
    std::string SourceText;

    const std::string& Name() const { return m_name; }
    const std::string& GetName() const { return m_name; }
    // MS SQL stores names in upper case unless its compare options say
    // identifiers are case-sensitive (ASCII letters only); every other
    // server type as given.
    void SetName(std::string_view Value);
    const std::string& Schema() const { return m_schema; }
    void SetSchema(std::string_view Value);

    std::int32_t Id = -1;

    // The kind the object stands for: its class's tag, except for the
    // classes that stand for several kinds (constraints by their constraint
    // kind, columns that are parameters, links by their target).
    TDbObject ObjectType() const { return m_objectType; }
    TDbObject GetObjectType() const { return m_objectType; }
    // The tag of the object's class, fixed at construction; tells the
    // classes apart where a kind is shared (a default constraint and a
    // default are both dboDefault, a link carries its target's kind).
    TDbObject ClassKind() const { return m_classKind; }

    // A stored display text, used when the object has no name (an unnamed
    // constraint as the server reported it).
    std::string DisplayName;
    // SQL Anywhere owner name.
    std::string Owner;
    // Yields no CREATE text and no description.
    bool NoScript = false;
    // The definition text the collection saved (SaveSourceTexts).
    std::string SavedText;
    // A stored statement text; nothing fills it yet.
    std::string ScriptText;
    // MS SQL SET QUOTED_IDENTIFIER and SET ANSI_NULLS in force when the
    // object was read.
    bool QuotedIdentifier = false;
    bool AnsiNulls = false;

    // ---- virtual operations ----
    virtual bool GetExists() const { return Exists; }
    // Sets Exists here and on the counterpart (its field, not its virtual).
    virtual void SetExists(bool Value);
    // The text that names the object in messages and script comments.
    virtual std::string GetDisplayName() const;
    virtual std::int32_t GetId() const { return Id; }
    // The key under which the collection files the object.
    virtual std::string GetKey() const;
    // The CREATE text; empty in the base.
    virtual std::string GetCreateDDL() const { return {}; }
    // The text two definitions are compared by: the CREATE text; a
    // PostgreSQL view's with every line break and run of blanks one blank.
    virtual std::string GetCompareText() const;
    // The create and drop walk over the dependency links.
    virtual void CreateObject();
    virtual void DropObject();
    virtual void DropDependents();
    virtual void AfterDrop();
    // A kind whose body a drop walk empties instead of dropping the object
    // (routines and triggers); none in the base.
    virtual bool HasEmptiableBody() const { return false; }
    // The body given back after a drop for a moment emptied it: its ALTER
    // text to the executor; nothing in the base.
    virtual void WriteRestoredBody() {}
    virtual void CreateDependencies();
    virtual void AfterCreate();
    // Tells the executor the object's schema; then the CREATE text, or
    // nothing for a NoScript object.
    virtual std::string GetCreateScript();
    // "/* Drop: E (TExcData) */\r\nDROP EXCEPTION E" for the kinds the base
    // knows, the comment alone for the rest.
    virtual std::string GetDropScript() const;
    // The statement kind the drop text goes to the executor as: a plain
    // statement; a kind whose drop is a block says so, and commits go before
    // and after it, since the block reads the catalogue in its transaction
    // and the DDL it runs stays in that transaction.
    virtual TStatType GetDropStatType() const { return TStatType::stStatement; }
    // "/* Alter E */" in the base.
    virtual std::string GetAlterScript() const;
    // SourceText when set, else the CREATE text.
    virtual std::string GetSourceText() const;
    // "/* x */"; SQL Anywhere "% x". The text can never end the comment
    // early: "a*/b" -> "/* a* /b */".
    virtual std::string GetCommentText(const std::string& Text) const;
    // The identifier as written in generated SQL for the collection's server.
    virtual std::string QuoteName(const std::string& Name) const;
    // The statement that stores the description on the server, by server
    // type; empty without the descriptions flag, for NoScript objects and
    // for kinds the server has no form for:
    //   Firebird (COMMENT mode) "COMMENT ON COLUMN T.C IS\r\n'it''s'"
    //   MySQL                   "ALTER TABLE T COMMENT = 'it''s'"
    virtual std::string GetDescriptionScript();

    // The table, view or procedure that owns a column or parameter, and the
    // name it is known by there; none for other objects.
    virtual TDbObj* GetParentObj() const { return nullptr; }
    virtual std::string GetParentName() const { return {}; }

    // What the base asks of the kinds, each answered by the kind itself.
    virtual bool IsColumn() const { return false; }
    virtual bool IsView() const { return false; }
    // A table, view or procedure, which SQL Anywhere qualifies by owner.
    virtual bool IsOwnedByUser() const { return false; }
    // The table name an index is keyed under; empty for other objects.
    virtual std::string GetIndexTableName() const { return {}; }
    // "PK__", "UQ__", "FK__" or "DF__" by a constraint's kind; nullptr else.
    virtual const char* SystemConstraintPrefix() const { return nullptr; }

    // ---- non-virtual operations ----
    // The name as written in statements: schema (or SQL Anywhere owner) and
    // name, each quoted.
    std::string GetQualifiedName() const;
    // The collection's (or, with UseLinked, the linked collection's) server
    // type; dbAbstract without a collection.
    TDatabaseType GetDatabaseType() const;
    // The InterBase options by the same rule; nullptr without a collection.
    TIBServerOptions* GetIBServerOptions() const;
    // The collection's flags; all 23 bits without a collection.
    std::uint32_t GetScriptFlags() const;
    // How InterBase descriptions are written (the compare option); every
    // other server type udDescribe.
    TUpdateDescriptionType GetUpdateDescriptionMode() const;
    // The collection's executor; nullptr without one.
    TStatementSink* GetExecutor() const;
    // The side's name prefix; no collection owner supplies one, so empty.
    std::string GetNamePrefix() const { return {}; }
    std::string GetNameWithoutPrefix() const;
    std::string GetCounterpartName() const;
    // True when an active link of Uses points to an object that does not
    // exist (in the generated script).
    bool HasMissingDependency() const;
    // True while the object's create walk runs.
    bool InCreateWalk() const { return m_inCreate; }
    // An MS SQL system-generated constraint name ("PK__ORDERS__1A2B3C4D" for
    // a primary key) moves to DisplayName and Name becomes empty; True then.
    bool CheckSystemConstraintName();

protected:
    TDbObj(TCustomObjs* Objs, TDbObject ClassKind);
    // For the classes that stand for several kinds only.
    void SetObjectType(TDbObject Value) { m_objectType = Value; }

    // ---- the kinds' own steps of the create and drop walks ----
    // The CREATE text to the executor: a plain statement named by the
    // qualified name in the base; routines and triggers go as blocks.
    virtual void WriteCreateStatement(const std::string& SQL);
    // The description statements that follow a new object's CREATE, with the
    // descriptions flag set: none in the base; a column's own, a routine's
    // and its parameters'.
    virtual void WriteCreateDescriptions(TStatementSink& /*Executor*/) {}
    // The create walk meets the object existing already: nothing in the
    // base; a routine or trigger written as a stub earlier gets its body.
    virtual void WriteDeferredBody() {}
    // Created because an object that uses it is: the whole object in the
    // base; a routine as its stub, since routines may use each other.
    virtual void CreateForUser() { CreateObject(); }
    // True when the source side holds another object under this one's key,
    // which keeps this one (and its data) from being dropped: never in the
    // base; tables and generators ask.
    virtual bool KeptBySourceSide() const { return false; }
    // Just before the DROP statement: nothing in the base; the columns of a
    // table or view go with it.
    virtual void MarkPartsDropped() {}
    // Used (an object this one uses) is about to go: this object goes first
    // in the base; routines and triggers are emptied instead where the
    // server allows, a view's column takes its view along.
    virtual void DropForUsed(const TDbObj& Used);

    // As stored by SetName and SetSchema: upper case under MS SQL's
    // case-blind rule. Kinds store the names they hold of others so too.
    std::string StoredName(std::string_view Value) const;

    // Marks the object while its create (or drop) walk runs. A walk that
    // reaches a marked object has met a dependency cycle: Entered() is false
    // and, with Report, "Dependency cycle: V" goes to the collection's log.
    class TWalkScope {
    public:
        TWalkScope(TDbObj& Obj, bool Drop, bool Report = true);
        ~TWalkScope();
        TWalkScope(const TWalkScope&) = delete;
        TWalkScope& operator=(const TWalkScope&) = delete;
        bool Entered() const { return m_mark != nullptr; }

    private:
        bool* m_mark = nullptr;
    };

private:
    TCustomObjs* m_objs;
    TDbObj* m_counterpart = nullptr;
    std::string m_description;
    std::string m_body;
    std::string m_name;
    std::string m_schema;
    TDbObject m_classKind;
    TDbObject m_objectType;
    bool m_inCreate = false;
    bool m_inDrop = false;

    // The collection whose server type and options the object follows.
    TCustomObjs* ServerObjs() const;
    // Removes the links that point at this object from the other ends.
    void DetachLinks();
};

// One dependency link: its Name and ObjectType are those of its target
// (dboDepend without one). A link lives in exactly one list and is freed
// with it.
class TDependObj : public TDbObj {
public:
    static constexpr TDbObject Kind = TDbObject::dboDepend;
    explicit TDependObj(TCustomObjs* Objs = nullptr, TDbObject TargetKind = Kind);
    std::string ClassName() const override { return "TDependObj"; }

    // "T (field: A)" with a field name, else the target's display name.
    std::string GetDisplayName() const override;

    // The column of the target that is referenced; empty for the whole object.
    std::string FieldName;
    // The object pointed to (not owned); its destructor removes this link.
    TDbObj* Target = nullptr;
    // Cleared once the link has been handled while creating or dropping.
    bool Active = true;
    // Script position of the reference (1-based).
    std::int32_t Column = 0;
    std::int32_t Line = 0;
};

// Records that User depends on Used (at script Line and Column), resolving a
// field name of a table or view to its column object:
//   view V, table T, "A" (T has A) -> V uses column T.A
//   table T, domain D, "F"         -> T uses D, and field F uses D
// Nothing for a nil end or when the same link (target and field) is there.
void AddDependency(TCustomObjs* Objs, TDbObj* User, TDbObj* Used, std::int32_t Line, std::int32_t Column,
                   const std::string& FieldName);
// Makes the pair of links (User.Uses and Used.UsedBy); with a field name
// left over, only a table's or view's existing column is linked.
void CreateDependLinks(TCustomObjs* Objs, TDbObj* User, TDbObj* Used, std::int32_t Line, std::int32_t Column,
                       const std::string& FieldName);

// Text made safe for the inside of a generated comment, so that names read
// from scripts can never end it early or open a nested one:
//   block comment  "a*/b" -> "a* /b", "x/*y" -> "x/ *y"
//   line comment   "a\r\nb" -> "a b"
std::string BlockCommentText(std::string_view Text);
std::string LineCommentText(std::string_view Text);

// Name as it is to be written in SQL text for the server type, by that
// dialect's rule; InterBase quotes only in SQL dialect 3. A quote character
// inside a quoted name is doubled. Server types without a rule of their own
// get the name unchanged.
//   ("Order", dbMSSQL)                         -> [Order]
//   ("Order", dbInterBase, st_Firebird_25, 3)  -> "Order"
//   ("Order", dbInterBase, st_Firebird_25, 1)  -> Order
//   ("order", dbPostgreSQL)                    -> "order"
std::string QuoteIdentifier(std::string_view Name, TDatabaseType DatabaseType, TIBSQLServerVersionType ServerVersion,
                            TIBSQLDialectType SQLDialect);

} // namespace qel
