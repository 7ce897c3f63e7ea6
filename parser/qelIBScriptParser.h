// TIbParser, the script half of the InterBase/Firebird parser unit (its
// keyword tables stay in qelIBWords.h, below the object model): reads an
// isql script - DDL, grants, comments, SET, CONNECT, CREATE DATABASE, INPUT
// and DML - one statement per terminator, hands every statement on through
// the statement event and files the objects the DDL declares in the
// collection.
//
// A statement always ends at its terminator: one that cannot be read is
// reported once, skipped to its terminator and handed on whole with the kind
// read so far, so that the server judges it. COMMIT and ROLLBACK are handed
// on as st_Commit for the executor; SET TERM, INPUT, REINSERT and ALTER
// SESSION RESET are the parser's own and hand nothing on.
// The dialect settings (server version, SQL dialect, character set) are the
// collection's; ScriptSettings says which of them the script itself set.
// Owns the parser that reads an INPUT file while it runs; raises nothing
// past ParseScript.
#pragma once

#include "qelIBWords.h"
#include "qelSQLParser.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qel {

class TConnectionOptions;
class TCtrData;
class TDbObj;
class TDmnData;
class TExcData;
class TFldData;
class TGntData;
class TPrcData;
class TStatement;
class TTblData;
template <class T>
class TOwnedNameList;

// A symbol as a switch label: the dialect symbols are no enumerators.
constexpr int SymbCode(TSymb S) { return static_cast<int>(S); }

// The new object of the statement being read, filed when the statement's
// rule ends - also when an error ends it early, so that what was read of the
// object is kept with the error, and what uses it is linked:
//   TPendingObject<TTblData> table(*this, std::make_unique<TTblData>(Objs()));
// Release hands the object back unfiled (a duplicate that is dropped).
template <class T>
class TPendingObject {
public:
    TPendingObject(TCustomParser& Parser, std::unique_ptr<T> Obj) : m_parser(Parser), m_obj(std::move(Obj)) {}
    ~TPendingObject() { File(); }
    TPendingObject(const TPendingObject&) = delete;
    TPendingObject& operator=(const TPendingObject&) = delete;

    T* get() const { return m_obj.get(); }
    T* operator->() const { return m_obj.get(); }
    T& operator*() const { return *m_obj; }
    explicit operator bool() const { return m_obj != nullptr; }
    std::unique_ptr<T> Release() { return std::move(m_obj); }
    void Reset(std::unique_ptr<T> Obj) { m_obj = std::move(Obj); }
    // Files the object now, once.
    void File() noexcept
    {
        if (!m_obj) return;
        try {
            m_parser.RegisterObject(std::move(m_obj));
        } catch (...) {
            // Filing only fails for want of memory; the statement's own
            // error is the one to report.
        }
        m_obj.reset();
    }

private:
    TCustomParser& m_parser;
    std::unique_ptr<T> m_obj;
};

class TIbParser : public TCustomSQLParser {
public:
    // INPUT files included within one another, at most.
    static constexpr int MaxInputNesting = 16;

    TIbParser();
    ~TIbParser() override;
    std::string ClassName() const override { return "TIbParser"; }

    // The InterBase options the parser reads and writes: the collection's,
    // else the parser's own.
    TIBServerOptions& IBOptions() { return ServerOptions().IBServerOptions(); }
    TIBSQLServerVersionType ServerVersion() { return IBOptions().SQLServerVersion; }

    // The isql AUTODDL switch; on at the start of every script.
    bool AutoDDL = true;
    // The table and the column or parameter being read; both appear in the
    // position text of a message while both are set.
    std::string CurrentTableName;
    std::string CurrentFieldName;
    // ParseQualifiedName's result: schema (or package), name, third part.
    std::string QualifiedSchema;
    std::string QualifiedObjName;
    std::string QualifiedThird;
    // The statement the executor made of the last statement handed on
    // (nullptr when it refused it).
    TStatement* StatementRef = nullptr;

    // Gives the statement a DESCRIBE handed on (StatementRef) its text; the
    // statement is the executor's, which the parser does not know.
    std::function<void(TStatement& Statement, const std::string& Text)> OnDescribeStatement;
    // Gives the CONNECT statement handed on the database and login it names,
    // as read here, so that whoever runs it need not read its text again;
    // what the statement leaves out is empty in Named.
    std::function<void(TStatement& Statement, const std::string& SQL, const TConnectionOptions& Named)>
        OnConnectStatement;

    // What the script set itself, so that a caller copies back only that.
    struct TScriptSettings {
        bool Dialect = false;
        bool CharSet = false;
        bool PageSize = false;
    };
    TScriptSettings ScriptSettings;

    // ---- overrides ----
    // "_charset" introducers; from Firebird 2.5 0x.. numbers, X'..' strings
    // and ":="; from Firebird 3 q'<...>' strings; in dialect 3 a
    // double-quoted text is a name.
    void ScanToken() override;
    void FillResWords() override;
    // AUTODDL on, then the statements, in the dialect the options hold.
    void ParseScript(TStringList& Script, TObjs* AObjs) override;
    void Parse() override;
    //   "\r\nScript: s.sql Line:1 Pos:40\r\n Table:T Field:A "
    std::string GetPositionText() const override;
    // The keyword list, then the server version's keyword set.
    TSymb LookupResWord() override;
    // Also a word the version reserves, which scans as a symbol of its own
    // (USER, GLOBAL, CURRENT): where a statement asks for the word, the
    // keyword reads as it.
    bool IsWord(std::string_view Word) const override;
    // Grantees resolved, indexes that only back a constraint removed, the
    // base passes, then columns linked to their domains.
    void AfterParse() override;
    // Dialect 3 quotes what the version needs quoted: Order -> "Order".
    std::string QuoteName(const std::string& Name) const override;

    // ---- added operations ----
    // Stores the raw text of a body on Obj: a check, a computed column or an
    // index expression is the parenthesised expression at the current "(";
    // any other body (after a leading AS) runs to the terminator, which is
    // left current. Start is where the body's first token begins.
    virtual void ReadBodyText(TDbObj* Obj, std::int64_t Start);
    // The value text of DEFAULT (or "="): NULL, USER, CURRENT_DATE, a name,
    // a number, a string, a signed number, _charset 'string', CURRENT_TIME
    // or CURRENT_TIMESTAMP with an optional "(precision)".
    virtual void ParseDefault(TFldData& Field, std::string& Text);
    // name or schema.name into the qualified-name parts.
    void ParseQualifiedName();

protected:
    // The parser an INPUT file is read with: one of this parser's class.
    virtual std::unique_ptr<TIbParser> NewInputParser();
    // A domain's CHECK at its "(": the parenthesised text into CheckText.
    virtual void ReadDomainCheck(TFldData& Field);
    // The table CREATE TABLE is reading, before it is filed (nullptr
    // otherwise): its computed columns and checks refer to it by name.
    TTblData* TableInCreation = nullptr;
    // Reads a package body into Body, anything else of a package into its
    // header text.
    bool m_packageBody = false;
    // Source comments between two positions, for the texts the server keeps
    // with them.
    std::string CommentsBetween(std::int64_t From, std::int64_t To);
    // The members a package header declares, (function, name), as read.
    std::vector<std::pair<bool, std::string>> m_packageMembers;

    // ---- helpers shared by the statement routines ----
    // The symbol, or (where the version's keyword set lacks it) the word.
    bool Is(TSymb S, std::string_view Word) const { return Symb == S || IsWord(Word); }
    // The token after the current one reads Word; nothing is consumed.
    bool PeekWord(std::string_view Word);
    // The token after the current one is S (or reads Word).
    bool PeekIs(TSymb S, std::string_view Word = {});
    // Reports "Missing: ..." unless Is(S, Word).
    void ExpectIs(TSymb S, std::string_view Word);
    // The current name (a name, or with AllowString a quoted text); reports
    // "Missing: <Ident> ..." otherwise.
    std::string ExpectName(bool AllowString = false);
    // The kind the statement is handed on with, also after an error.
    void SetKind(TStatType StatType, const std::string& ObjName, TDbObject ObjType, TDbOperation Operation,
                 const std::string& ParentName = {});
    // Hands the statement on at its terminator (or at the end of the script
    // unless Required); anything else is "Missing: <TERM> ...".
    void Emit(bool Required = true);
    // The server takes a statement's own ";" before another terminator, as
    // in "create table t (a int);^": steps over them, part of the statement.
    void SkipOwnSemicolons();
    // Tokens up to the terminator or the end.
    void SkipToEnd();
    // The balanced parenthesised text at the current "(" with its
    // parentheses; the token after ")" is current then.
    std::string ReadParenText();
    // TObjs of the parse, or nullptr.
    TObjs* Collection() const { return Objs(); }
    // The server is a Firebird of version V or later.
    bool FirebirdFrom(TIBSQLServerVersionType V);

    // ---- statements (qelIBScriptParser.cpp) ----
    void ParseStatement();
    bool ParseOwnStatement();
    void ParseTransactionStatement();
    void ParseCreate();
    void ParseAlter();
    void ParseSet();
    void ParseSetTerm();
    void ParseConnect(bool Create);
    void ParseInput();
    void ParseDML();
    void ParseExecute();
    void UnknownStatement();
    void ServerStatement();
    // SHOW, OUTPUT, SHELL and the other commands isql runs itself.
    bool IsIsqlCommand() const;

    // ---- tables, columns and constraints (qelIBScriptParserTables.cpp) ----
    std::unique_ptr<TFldData> ParseColumn(TDbObj* Owner, bool AllowString = false);
    void ParseDataType(TFldData& Field, bool IsDomain);
    // The parts of a data type, in the order ParseDataType reads them.
    // ReadTypeName is false when nothing follows for the caller to read: no
    // type stands here, or a nested TYPE OF read the type and its tail.
    bool ReadTypeName(TFldData& Field, bool IsDomain);
    void ReadBlobOptions(TFldData& Field);
    // TYPE and OF: the token after OF is current then.
    void SkipTypeOf(TFldData& Field);
    // COLUMN table.column of TYPE OF COLUMN, with COLUMN current.
    void ReadTypeOfColumn(TFldData& Field);
    bool ReadDomainOrNoType(TFldData& Field, bool IsDomain);
    void ReadCharacterSetClause(TFldData& Field);
    void ReadTimeZoneClause(TFldData& Field);
    void ReadAttributesAndComputedBy(TFldData& Field, bool IsDomain);
    bool IsDataTypeWord();
    void ParseTypeSize(TFldData& Field);
    void LinkDomainUser(TFldData& Field);
    // Who uses the domain of Field: the routine or trigger it belongs to.
    virtual TDbObj* DomainUser(TFldData& Field);
    void ParseArrayDims(TFldData& Field);
    // True when GENERATED ALWAYS AS leaves its "(expression)" current.
    bool ParseColumnAttributes(TFldData& Field, bool IsDomain);
    void ParseIdentityOptions(TFldData& Field);
    void ParseColumnList(TOwnedNameList<TFldData>& List);
    void ParseUsingIndex(TCtrData& Ctr, std::string& Text);
    // SetsKind: the statement (ALTER TABLE ADD) takes the constraint's kind;
    // InTable: read inside CREATE TABLE, whose log lines it writes.
    void ParseTableConstraint(std::unique_ptr<TCtrData> Ctr, TFldData* Field, const std::string& TableName,
                              TTblData* Table, bool SetsKind, bool InTable = false);
    void ParseNamedConstraint(TFldData* Field, TTblData* Table, const std::string& TableName, bool SetsKind,
                              bool InTable = false);
    void ParseReferences(TTblData* Table, TCtrData& Ctr);
    void ParseReferencesTail(TTblData* Table, TCtrData& Ctr);
    void ReadCheckBody(TCtrData& Ctr);
    // The primary key already filed for the table (Table when the
    // collection knows it, else by name), or nullptr.
    TCtrData* FindPrimaryKey(TTblData* Table, const std::string& TableName) const;
    void ParseCreateTable(bool Temporary);
    void ParseAlterTable();
    // One clause of ALTER TABLE; Kind: the statement takes its kind.
    void ParseAlterTableClause(const std::string& Name, TTblData* Table, bool Kind);
    void ParseAlterColumn(TFldData& Field);
    // Field was just renamed from OldName: its table's entry, its links and
    // the key columns of the table's indexes follow.
    void RenameColumn(TTblData& Table, TFldData& Field, const std::string& OldName);
    // Field becomes the Position-th column of Table (1-based; the last when
    // Position is larger).
    void MoveColumn(TTblData& Table, TFldData& Field, int Position);
    // Frees Ctr, unless it is a key a foreign key refers to.
    void DropConstraint(TCtrData& Ctr);
    // Frees column Column of Table and what the server drops with it.
    void DropColumn(TTblData& Table, const std::string& Column);
    // The other ends' entries of Obj's links take Obj's (new) name.
    void RenameLinks(TDbObj& Obj);
    bool ParseNullOrDefault(TFldData& Field);

    // ---- other object kinds (qelIBScriptParserObjects.cpp) ----
    void ParseCreateIndex();
    void ParseAlterIndex();
    void ParseCreateDomain();
    void ParseAlterDomain();
    // Files Domain under its new name Name; what is based on it follows.
    void RenameDomain(TDmnData& Domain, const std::string& Name);
    void ParseGenerator();
    void ParseAlterSequence();
    void ParseCreateException(TExcData* Existing);
    void ParseAlterException();
    void ParseCreateRole();
    void ParseCreateCollation();
    void ParseDeclareExternalFunction();
    // A Firebird 4 session statement at the word after SET.
    bool IsFirebird4SessionSet();

    // ---- objects with a body (qelIBScriptParserRoutines.cpp) ----
    void ParseCreateProcedure(bool IsFunction, bool InPackage = false);
    void ParseRoutineHeader(TPrcData& Routine);
    void ParseCreatePackage();
    void ParseCreateTrigger(bool Alter);
    std::string ParseDDLEvents();
    void ParseCreateView(bool Alter);
    void ParseExecuteBlock();

    // ---- grants, drops and descriptions (qelIBScriptParserGrants.cpp) ----
    void ParseGrant();
    void ParseRevoke();
    // What a GRANT or REVOKE names: privileges (some on columns) and the
    // object, or roles, or privileges of DDL; and the grantees.
    struct TGrantWhat;
    // From the first word after GRANT (or after REVOKE's option clause) to
    // the TO or FROM, which is current then; Revoke takes ON ALL.
    void ReadGrantWhat(TGrantWhat& What, bool Revoke);
    // The grantees after the current TO or FROM.
    void ReadGrantees(TGrantWhat& What);
    // GRANTED BY [USER] u or AS [USER] u, when current; the token after it
    // is current then.
    void SkipGrantor();
    // What a REVOKE read takes from the collection's grants.
    void RevokeGrants(const TGrantWhat& What, bool OptionOnly);
    void ParseDrop();
    void ParseComment();
    void ParseDescribe();
    // The name after the current token, and the collection's object of
    // that kind and name; the token after the name is current then.
    TDbObj* ReadObjectName(TDbObject Kind, std::string& Name);
    // The grant the collection keeps: Grant, or nullptr when it was merged
    // into an equal one (and freed).
    TGntData* FindGrantObject(std::unique_ptr<TGntData> Grant);
    // The collection's object of Kind and Name, or nullptr; a function is
    // one of the language, else (or with External only) an external one.
    TDbObj* FindByKind(TDbObject Kind, const std::string& Name, bool External) const;
    // Frees Obj and what the server drops with it (its constraints, indexes,
    // triggers and grants); nothing for nullptr. While something else uses
    // Obj, a warning that names Statement (DROP, RECREATE) instead.
    void DropObject(TDbObj* Obj, const char* Statement = "DROP");
    // What still uses Obj (or a column of it) beside what goes with it.
    const TDbObj* StillUsedBy(TDbObj& Obj, const std::vector<TDbObj*>& Gone) const;
    // A user as a message names it: "V", or "T.C" for a column.
    static std::string UserName(const TDbObj& User);
    // What keeps the server from dropping (Gone given: what goes with the
    // column is added to it) or renaming (Gone nullptr) the column Field of
    // Table: the name of a constraint, index or user, else "".
    std::string ColumnUser(const TTblData& Table, const TFldData& Field, std::vector<TDbObj*>* Gone) const;
    // Frees the grants of object Name, and those to it as a grantee of Kind.
    void DropGrants(const std::string& Name, TDbObject Kind);
    // RECREATE at the current token: the object of the kind and name that
    // follow is dropped first, as the server drops it; nothing is consumed.
    // False when the server refuses the drop, and so the whole statement.
    bool DropForRecreate();
    // The links of what Obj uses, both ends: its definition is read again.
    void ForgetUses(TDbObj& Obj);

private:
    // The INPUT chain: how deep this parser reads, and the files it is
    // reading within (its own first).
    int m_inputDepth = 0;
    std::vector<std::string> m_inputFiles;
    // EXIT or QUIT was read (here or in an INPUT file): isql reads no further.
    bool m_exited = false;
    // The word that ended the script: "EXIT" or "QUIT".
    std::string m_exitWord;
    // Stops reading after EXIT or QUIT, with a warning when text follows.
    void EndAfterExit();

    // What the parser reads an INPUT file with.
    // At: where the file's name stands, for a message about the file.
    void ReadInputFile(const std::string& FileName, const TParseContext& At);
    void ResolveGrantees();
    void RemoveConstraintIndexes();
    void LinkDomains();
};

} // namespace qel
