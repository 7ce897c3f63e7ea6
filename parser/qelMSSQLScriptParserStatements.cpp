// The CREATE, ALTER and DROP dispatch; rules, defaults, types, schemas,
// sequences and XML schema collections; GRANT, REVOKE and DENY; SET; EXEC
// with the system procedures that build objects; and the other single
// statements.
#include "qelMSSQLScriptParserPrivate.h"

#include "qelComp_Def.h"
#include "qelComp_Dmn.h"
#include "qelComp_Fld.h"
#include "qelComp_Gnr.h"
#include "qelComp_Prc.h"
#include "qelComp_Rol.h"
#include "qelComp_Rul.h"
#include "qelComp_Tbl.h"
#include "qelComp_Trg.h"
#include "qelObjs.h"
#include "qelText.h"

#include <algorithm>
#include <array>
#include <span>
#include <iterator>
#include <utility>

namespace qel {

using P = TPrivilege;

namespace {

// Strips one pair of square brackets: "[dbo]" -> "dbo".
std::string Unbracket(std::string Part)
{
    Part = Trim(Part);
    if (Part.size() >= 2 && Part.front() == '[' && Part.back() == ']') Part = Part.substr(1, Part.size() - 2);
    return Part;
}

// A word that goes on naming a permission: GRANT VIEW [DEFINITION] ON ...,
// GRANT ALTER [ANY SCHEMA] TO ... (empty: no word stands next).
bool IsPermissionWord(const std::string& Word) { return !Word.empty() && Word != "ON" && Word != "TO" && Word != "FROM"; }

std::vector<std::string> SplitDots(const std::string& Text)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = Text.find('.', start);
        parts.push_back(Unbracket(Text.substr(start, dot == std::string::npos ? std::string::npos : dot - start)));
        if (dot == std::string::npos) break;
        start = dot + 1;
    }
    return parts;
}

} // namespace

// ---- CREATE, ALTER, DROP -------------------------------------------------------

void TMSSQLParser::ParseCreate(TDbObj* Context)
{
    NextToken();
    bool orAlter = false;
    if (Symb == syMSOr) {
        NextToken();
        ExpectAndNext(syMSAlter);
        orAlter = true;
        if (Symb != syMSFunction && Symb != syMSProcedure && Symb != syMSTrigger && Symb != syMSView)
            ParseError("Unknown CREATE-statement: " + SymbName);
    }
    switch (static_cast<int>(Symb)) {
    case int(syMSFunction):
    case int(syMSProcedure): ParseCreateProcedure(Symb == syMSFunction, false, orAlter); return;
    case int(syMSTrigger): ParseCreateTrigger(false, orAlter); return;
    case int(syMSView): ParseCreateView(false, orAlter); return;
    case int(syMSIndex): ParseCreateIndex(false, false, false, false); return;
    case int(syMSClustered):
    case int(syMSNonclustered): {
        const bool clustered = Symb == syMSClustered;
        NextToken();
        ParseCreateIndex(false, clustered, false, false);
        return;
    }
    case int(syMSUnique): {
        NextToken();
        const bool clustered = Symb == syMSClustered;
        if (Symb == syMSClustered || Symb == syMSNonclustered) NextToken();
        ParseCreateIndex(true, clustered, false, false);
        return;
    }
    case int(syMSPrimary):
        NextToken();
        ExpectWords({"XML"});
        ParseCreateIndex(false, false, true, true);
        return;
    case int(syMSTable): ParseCreateTable(nullptr, Context != nullptr); return;
    case int(syMSRule):
    case int(syMSDefault): ParseCreateRuleOrDefault(Symb == syMSRule); return;
    case int(syMSSchema): ParseCreateSchema(); return;
    case int(syMSUser): ParseUser(); return;
    case int(syMSDatabase):
        // CREATE DATABASE AUDIT SPECIFICATION, ENCRYPTION KEY, SCOPED CREDENTIAL
        if (ParseOtherKind(false)) return;
        ParseCreateDatabase();
        return;
    case int(syMSStatistics): ParseCreateStatistics(); return;
    default: break;
    }
    if (IsWord("XML")) ParseCreateXml();
    else if (IsWord("FULLTEXT")) ParseCreateFullText();
    else if (IsWord("COLUMNSTORE")) ParseCreateIndex(false, false, false, false);
    else if (IsWord("ASSEMBLY")) ParseAssembly();
    else if (IsWord("MESSAGE")) ParseMessageType();
    else if (IsWord("CONTRACT")) ParseContract();
    else if (IsWord("QUEUE")) ParseQueue();
    else if (IsWord("SERVICE")) ParseService();
    else if (IsWord("CERTIFICATE")) ParseCertificate(false);
    else if (IsWord("LOGIN")) ParseLogin(false);
    else if (IsWord("TYPE")) ParseCreateType();
    else if (IsWord("SEQUENCE")) ParseCreateSequence();
    else if (IsWord("ROLE")) ParseRole(false);
    else if (ParseOtherKind(false)) return;
    else {
        ParseError("Unknown CREATE-statement: " + (Symb == syIdent ? TokenText : SymbName));
        NextToken();
    }
}

void TMSSQLParser::ParseAlter()
{
    NextToken();
    switch (static_cast<int>(Symb)) {
    case int(syMSTable): ParseAlterTable(); return;
    case int(syMSFunction):
    case int(syMSProcedure): ParseCreateProcedure(Symb == syMSFunction, true, false); return;
    case int(syMSTrigger): ParseCreateTrigger(true, false); return;
    case int(syMSView): ParseCreateView(true, false); return;
    case int(syMSDatabase):
        if (ParseOtherKind(true)) return;
        ParseAlterDatabase();
        return;
    default: break;
    }
    if (IsWord("ASSEMBLY")) ParseAssembly();
    else if (IsWord("QUEUE")) ParseQueue();
    else if (IsWord("CERTIFICATE")) ParseCertificate(true);
    else if (IsWord("LOGIN")) ParseLogin(true);
    else if (IsWord("ROLE")) ParseRole(true);
    else if (!ParseOtherKind(true)) ParseError("Unknown/Invalid ALTER-statement");
}

void TMSSQLParser::ParseDrop()
{
    NextToken();
    TDbObject kind = dboUnknown;
    // DROP DATABASE SCOPED CREDENTIAL, ENCRYPTION KEY, AUDIT SPECIFICATION
    if (Symb == syMSDatabase && ParseOtherKind(false)) {
        StatementKind.Operation = TDbOperation::odbDrop;
        return;
    }
    switch (static_cast<int>(Symb)) {
    case int(syMSDatabase): kind = dboDatabase; break;
    case int(syMSProcedure):
    case int(syMSFunction): kind = dboProcedure; break;
    case int(syMSTable): kind = dboTable; break;
    case int(syMSView): kind = dboView; break;
    case int(syMSTrigger): kind = dboTrigger; break;
    case int(syMSDefault): kind = dboDefault; break;
    case int(syMSRule): kind = dboRule; break;
    case int(syMSIndex): kind = dboIndex; break;
    case int(syMSSchema): kind = dboSchema; break;
    case int(syMSUser): break;
    default:
        if (IsWord("TYPE")) {
            kind = dboDomain;
        } else if (IsWord("SEQUENCE")) {
            kind = dboGenerator;
        } else if (IsWord("MESSAGE")) {
            NextToken();
            ExpectWord("TYPE");
        } else if (!IsWord("LOGIN") && !IsWord("SERVICE") && !IsWord("QUEUE") && !IsWord("CONTRACT") &&
                   !IsWord("CERTIFICATE") && !IsWord("ROLE") && !IsWord("SYNONYM")) {
            if (ParseOtherKind(false)) {
                StatementKind.Operation = TDbOperation::odbDrop;
                return;
            }
            ParseError("Unknown DROP-statement");
            NextToken();
            return;
        }
        break;
    }
    NextToken();
    if (Symb == syMSIf) {
        NextToken();
        ExpectAndNext(syMSExists);
    }
    std::string name;
    ForEachListed([&] {
        ParseObjectName(kind == dboIndex ? dboIndex : dboUnknown, false);
        name = NameObject;
        if (kind == dboIndex) {
            name = NameObject + "." + NameColumn;
            // DROP INDEX ix ON t
            if (Symb == syMSOn) {
                const std::string index = NameColumn;
                NextToken();
                ParseObjectName(dboTable, false);
                name = NameObject + "." + index;
            }
            // WITH ( ONLINE = ON, MOVE TO fg, MAXDOP = 2 )
            if (Symb == syMSWith && PeekNonBlank() == '(') {
                NextToken();
                SkipParens();
            }
        }
    });
    // DROP TRIGGER t ON DATABASE | ON ALL SERVER
    if (kind == dboTrigger && Symb == syMSOn) {
        NextToken();
        if (Symb == syMSAll) {
            NextToken();
            ExpectWords({"SERVER"});
        } else {
            ExpectAndNext(syMSDatabase);
        }
    }
    StatementKind = {TStatType::stStatement, name, kind, TDbOperation::odbDrop, {}};
}

// ---- rules, defaults, types, schemas, sequences ------------------------------------

void TMSSQLParser::ParseCreateRuleOrDefault(bool IsRule)
{
    m_read->wholeBatch = true;
    NextToken();
    const bool bracketed = Symb == syIdent && CharAt(TokenStart) == '[';
    ParseObjectName(IsRule ? dboRule : dboDefault, false);
    std::unique_ptr<TDbObj> owned;
    std::string* value = nullptr;
    if (IsRule) {
        auto rule = std::make_unique<TRulData>(Objs());
        rule->Bracketed = bracketed;
        value = &rule->Action;
        owned = std::move(rule);
    } else {
        auto def = std::make_unique<TDefData>(Objs());
        def->Bracketed = bracketed;
        value = &def->Value;
        owned = std::move(def);
    }
    owned->SetName(NameObject);
    const std::string name = owned->Name();
    StatementKind = {TStatType::stStatement, name, IsRule ? dboRule : dboDefault, TDbOperation::odbCreate, {}};
    Expect(syMSAs);
    if (FullMode) {
        NextToken();
        const std::int64_t start = TokenStart;
        ParseExpression(owned.get());
        *value = GetTextFrom(start);
    } else {
        std::string text;
        ReadToGo(text);
        *value = Trim(text);
        NextToken();
    }
    DoLogNextLine((IsRule ? "Rule: " : "Default: ") + name);
    Register(std::move(owned));
}

void TMSSQLParser::ParseCreateType()
{
    NextToken();
    ParseObjectName(dboDomain, true);
    auto type = std::make_unique<TDmnData>(Objs());
    type->SetSchema(NameOwner);
    type->SetName(NameObject);
    const std::string name = type->Name();
    StatementKind = {TStatType::stStatement, name, dboDomain, TDbOperation::odbCreate, {}};
    if (Symb == syMSAs || IsWord("EXTERNAL")) {
        // A table type (AS TABLE (...) [WITH (MEMORY_OPTIMIZED = ON)]) or a
        // CLR type (EXTERNAL NAME assembly.class): filed with its definition
        // as written, which the model writes back after the name.
        const std::int64_t start = TokenStart;
        if (Symb == syMSAs) {
            type->BaseTypeText = "TABLE";
            NextToken();
            ExpectAndNext(syMSTable);
            TTblData scratch(Objs());
            ParseTableElements(scratch, false);
            if (Symb == syMSWith && PeekNonBlank() == '(') {
                NextToken();
                SkipParens();
            }
        } else {
            type->BaseTypeText = "EXTERNAL";
            NextToken();
            ExpectWords({"NAME"});
            ParseObjectName(dboUnknown, false);
        }
        type->SetBody(GetTextFrom(start));
        DoLogNextLine("Create type: " + name);
        Register(std::move(type));
        return;
    }
    ExpectAndNext(syMSFrom);
    type->UseCreateType = true;
    ParseColumnType(*type->BaseField, false, false);
    DoLogNextLine("Create type: " + name);
    Register(std::move(type));
}

void TMSSQLParser::ParseCreateSchema()
{
    NextToken();
    auto schema = std::make_unique<TSchData>(Objs());
    std::string name;
    std::string owner;
    if (IsNameToken() && Symb != syMSAuthorization) {
        name = NameCase(TokenText);
        NextToken();
    }
    if (Symb == syMSAuthorization) {
        NextToken();
        owner = NameCase(TokenText);
        NextToken();
    }
    schema->SetName(name.empty() ? owner : name);
    schema->Authorization = owner.empty() ? name : owner;
    StatementKind = {TStatType::stStatement, schema->Name(), dboSchema, TDbOperation::odbCreate, {}};
    const std::string schemaName = schema->Name();
    Register(std::move(schema));
    // The schema's own elements belong to its statement, and what they
    // create without a schema name is created in it: CREATE SCHEMA s
    // AUTHORIZATION o CREATE TABLE t (...) GRANT SELECT ON t TO u.
    struct TElements {
        std::string& schema;
        ~TElements() { schema.clear(); }
    } elements{m_read->elementSchema};
    elements.schema = schemaName;
    for (TLoopGuard guard(*this);; guard.Turn()) {
        const bool create = Symb == syMSCreate && (PeekWord() == "TABLE" || PeekWord() == "VIEW");
        if (!create && Symb != syMSGrant && Symb != syMSRevoke && Symb != syMSDeny) break;
        ParseStatement(nullptr);
    }
}

void TMSSQLParser::ParseCreateSequence()
{
    NextToken();
    ParseObjectName(dboGenerator, true);
    auto sequence = std::make_unique<TGnrData>(Objs());
    sequence->SetSchema(NameOwner);
    sequence->SetName(NameObject);
    const auto number = [this] {
        Expect(syInteger);
        std::string text = ValueText;
        NextToken();
        return text;
    };
    for (TLoopGuard guard(*this);; guard.Turn()) {
        if (Symb == syMSAs) {
            NextToken();
            ParseColumnType(*sequence->ValueField, false, false);
        } else if (IsWord("START")) {
            NextToken();
            ExpectAndNext(syMSWith);
            sequence->StartWith = number();
        } else if (IsWord("INCREMENT")) {
            NextToken();
            ExpectAndNext(syMSBy);
            sequence->IncrementBy = number();
        } else if (IsWord("MINVALUE")) {
            NextToken();
            sequence->MinValue = number();
            sequence->NoMinValue = false;
        } else if (IsWord("MAXVALUE")) {
            NextToken();
            sequence->SetMaxValue(number());
            sequence->NoMaxValue = false;
        } else if (IsWord("CYCLE")) {
            NextToken();
            sequence->Cycle = true;
        } else if (IsWord("CACHE")) {
            NextToken();
            sequence->SetCache(Symb == syInteger ? number() : std::string());
        } else if (IsWord("NO")) {
            NextToken();
            if (IsWord("MINVALUE")) sequence->NoMinValue = true;
            else if (IsWord("MAXVALUE")) sequence->NoMaxValue = true;
            else if (IsWord("CYCLE")) sequence->Cycle = false;
            else if (IsWord("CACHE")) sequence->SetNoCache(true);
            else ParseError("Must be: MINVALUE / MAXVALUE / CYCLE / CACHE");
            NextToken();
        } else {
            break;
        }
    }
    StatementKind = {TStatType::stStatement, sequence->Name(), dboGenerator, TDbOperation::odbCreate, {}};
    Register(std::move(sequence));
}

void TMSSQLParser::ParseCreateXml()
{
    NextToken();
    if (Symb == syMSIndex) {
        ParseCreateIndex(false, false, true, false);
        return;
    }
    if (!IsAnyWord("SCHEMA")) {
        ParseError("Must be: SCHEMA COLLECTION / INDEX");
        NextToken();
        return;
    }
    NextToken();
    ExpectWords({"COLLECTION"});
    ParseObjectName(dboDomain, true);
    auto collection = std::make_unique<TDmnData>(Objs());
    collection->SetSchema(NameOwner);
    collection->SetName(NameObject);
    collection->BaseTypeText = "XML SCHEMA COLLECTION";
    ExpectAndNext(syMSAs);
    if (Symb == syString) {
        collection->SetBody(ValueText);
        NextToken();
    } else {
        ParseExpression(nullptr);
    }
    StatementKind = {TStatType::stStatement, collection->Name(), dboDomain, TDbOperation::odbCreate, {}};
    Register(std::move(collection));
}

// ---- GRANT, REVOKE, DENY ----------------------------------------------------------

void TMSSQLParser::SkipPermissionWords()
{
    // The end of the source or batch stops it: a word the scan cannot reach
    // must not hold the loop.
    while (Symb != syEOF && Symb != syTerminator && IsPermissionWord(PeekWord())) NextToken();
}

void TMSSQLParser::ParseGrant(TSymb Kind)
{
    NextToken();
    auto grant = std::make_unique<TGntData>(Objs());
    if (Kind == syMSRevoke && Symb == syMSGrant) {
        // REVOKE GRANT OPTION FOR ...
        Skip(2);
        ExpectAndNext(syMSFor);
    }
    const bool modelled = ParsePermissions(*grant);
    const bool objectGrant = Symb != syMSOn || ParseGrantObject(*grant);
    StatementKind = {TStatType::stStatement, grant->ObjectName, dboGrant,
                     Kind == syMSRevoke ? TDbOperation::odbDrop : TDbOperation::odbCreate, {}};
    if (Kind == syMSRevoke) {
        if (Symb != syMSFrom) Expect(syMSTo);
    } else {
        Expect(syMSTo);
    }
    NextToken();
    // TO a, [b]: the grant is filed for the first grantee, the statement
    // names them all.
    std::vector<std::string> grantees;
    ForEachListed([&] {
        if (Symb != syIdent && Symb != syMSPublic && Symb != syMSNull) Expect(syIdent);
        grantees.push_back(NameCase(TokenText));
        NextToken();
    });
    grant->Grantee = grantees.front();
    if (Symb == syMSWith && PeekWord() == "GRANT") {
        Skip(2);
        ExpectAnyWord("OPTION");
        NextToken();
        grant->GrantOption = 1;
    }
    if (Symb == syMSCascade) NextToken();
    if (Symb == syMSAs) {
        NextToken();
        if (Symb != syIdent && Symb != syMSPublic && Symb != syMSNull) Expect(syIdent);
        NextToken();
    }
    if (Kind != syMSGrant || !objectGrant || !modelled || Objs() == nullptr) return;
    FileGrants(std::move(grant), grantees);
}

// The permissions up to ON or TO, each with its columns, into Grant. False
// when one of them has no element in the model (the grant is then handed on
// and not filed).
bool TMSSQLParser::ParsePermissions(TGntData& Grant)
{
    bool modelled = true;
    for (TLoopGuard guard(*this);; guard.Turn()) {
        switch (static_cast<int>(Symb)) {
        case int(syMSReferences): Grant.Privileges.Include(P::prReferences); break;
        case int(syMSInsert): Grant.Privileges.Include(P::prInsert); break;
        case int(syMSDelete): Grant.Privileges.Include(P::prDelete); break;
        case int(syMSExecute): Grant.Privileges.Include(P::prExecute); break;
        case int(syMSSelect): Grant.Privileges.Include(P::prSelect); break;
        case int(syMSUpdate): Grant.Privileges.Include(P::prUpdate); break;
        case int(syMSAll):
            Grant.Privileges.Include(P::prAll);
            if (PeekWord() == "PRIVILEGES") NextToken();
            break;
        case int(syMSView):
            if (PeekWord() == "ANY") NextToken();
            if (Symb == syMSAny && PeekWord() == "DATABASE") {
                NextToken();
                Grant.Privileges.Include(P::prViewAnyDatabase);
            } else {
                // VIEW DEFINITION, VIEW SERVER STATE, VIEW ANY COLUMN ...
                modelled = false;
                SkipPermissionWords();
            }
            break;
        case int(syMSCreate):
            NextToken();
            switch (static_cast<int>(Symb)) {
            case int(syMSView): Grant.Privileges.Include(P::prCreateView); break;
            case int(syMSProcedure): Grant.Privileges.Include(P::prCreateProcedure); break;
            case int(syMSTable): Grant.Privileges.Include(P::prCreateTable); break;
            case int(syMSRule): Grant.Privileges.Include(P::prCreateRule); break;
            case int(syMSDefault): Grant.Privileges.Include(P::prCreateDefault); break;
            case int(syMSFunction): Grant.Privileges.Include(P::prCreateFunction); break;
            default:
                // CREATE SCHEMA, CREATE TYPE, CREATE ANY DATABASE ...
                if (!IsNameToken()) ParseError("Unknown GRANT statement (" + SymbName + ")");
                modelled = false;
                SkipPermissionWords();
                break;
            }
            break;
        default:
            if (IsWord("CONNECT") && !IsPermissionWord(PeekWord())) {
                Grant.Privileges.Include(P::prConnect);
            } else if (Symb == syIdent || Symb == syMSAlter || Symb == syMSBackup || Symb == syMSCheckpoint ||
                       Symb == syMSKill || Symb == syMSShutdown) {
                // A permission the model keeps no element for (ALTER,
                // CONTROL, SHOWPLAN, VIEW DEFINITION, ALTER ANY SCHEMA ...):
                // the grant is handed on and not filed.
                modelled = false;
                SkipPermissionWords();
            } else {
                ParseError("Unknown GRANT statement (" + SymbName + ")");
            }
            break;
        }
        NextToken();
        // A known word that begins a longer permission (SELECT ALL USER
        // SECURABLES, EXECUTE ANY EXTERNAL SCRIPT, DELETE HISTORY): a
        // permission the model keeps no element for.
        if (IsNameToken() && Symb != syMSOn && Symb != syMSTo && Symb != syMSFrom) {
            modelled = false;
            while (IsNameToken() && Symb != syMSOn && Symb != syMSTo && Symb != syMSFrom) NextToken();
        }
        if (Symb == syLParen) {
            NextToken();
            for (TLoopGuard columns(*this);; columns.Turn()) {
                Grant.Columns.Add(NameCase(TokenText));
                NextToken();
                if (Symb != syComma) break;
                NextToken();
            }
            ExpectAndNext(syRParen);
        }
        if (Symb != syComma) return modelled;
        NextToken();
    }
}

// ON [class ::] name, ON current: the object into Grant. False when the class
// is no object's (SCHEMA::s, XML SCHEMA COLLECTION::x).
bool TMSSQLParser::ParseGrantObject(TGntData& Grant)
{
    bool objectGrant = true;
    NextToken();
    // A class before "::" (XML SCHEMA COLLECTION::, ASYMMETRIC KEY::); only
    // objects are kept in the model.
    if (ClassBeforeDoubleColon()) {
        objectGrant = IsAnyWord("OBJECT");
        while (Symb != syMSDoubleColon && IsNameToken()) NextToken();
        ExpectAndNext(syMSDoubleColon);
    }
    ParseObjectName(dboTable, false);
    // Inside CREATE SCHEMA a name without schema is the new schema's.
    if (NameOwner.empty() && !m_read->elementSchema.empty()) NameOwner = m_read->elementSchema;
    Grant.ObjectName = NameObject;
    Grant.SetSchema(NameOwner);
    // ON t ( c1, c2 ): the columns after the object.
    if (Symb == syLParen) {
        NextToken();
        ForEachListed([&] {
            Grant.Columns.Add(NameCase(TokenText));
            NextToken();
        });
        ExpectAndNext(syRParen);
    }
    if (FindObject(dboTable, NameOwner, NameObject) != nullptr) Grant.ObjectKind = dboTable;
    else if (FindObject(dboView, NameOwner, NameObject) != nullptr) Grant.ObjectKind = dboView;
    else if (FindObject(dboProcedure, NameOwner, NameObject) != nullptr) Grant.ObjectKind = dboProcedure;
    return objectGrant;
}

// Files Grant for the first grantee and a copy of it for each other one.
void TMSSQLParser::FileGrants(std::unique_ptr<TGntData> Grant, const std::vector<std::string>& Grantees)
{
    // TO a, b: one grant each.
    for (std::size_t i = 1; i < Grantees.size(); ++i) {
        auto other = std::make_unique<TGntData>(Objs());
        other->Privileges = Grant->Privileges;
        other->Columns.Assign(Grant->Columns);
        other->ObjectName = Grant->ObjectName;
        other->ObjectKind = Grant->ObjectKind;
        other->SetSchema(Grant->Schema());
        other->GrantOption = Grant->GrantOption;
        other->Grantee = Grantees[i];
        other->QuotedIdentifier = QuotedIdentifier;
        other->AnsiNulls = AnsiNulls;
        Objs()->AddGrant(std::move(other));
    }
    Grant->QuotedIdentifier = QuotedIdentifier;
    Grant->AnsiNulls = AnsiNulls;
    Objs()->AddGrant(std::move(Grant));
}

// ---- SET --------------------------------------------------------------------------

void TMSSQLParser::ParseSet(TDbObj* Context)
{
    NextToken();
    // ON and OFF options: those the parser follows, and those it lets pass.
    static constexpr std::string_view kSwitches[] = {
        "NOCOUNT", "IMPLICIT_TRANSACTIONS", "ARITHABORT", "NUMERIC_ROUNDABORT", "CONCAT_NULL_YIELDS_NULL",
        "ANSI_WARNINGS", "NOEXEC", "ANSI_PADDING", "ANSI_NULLS", "QUOTED_IDENTIFIER", "XACT_ABORT",
        "ANSI_NULL_DFLT_ON", "ANSI_NULL_DFLT_OFF", "ANSI_DEFAULTS", "CURSOR_CLOSE_ON_COMMIT", "FMTONLY", "FORCEPLAN",
        "PARSEONLY", "SHOWPLAN_ALL", "SHOWPLAN_TEXT", "SHOWPLAN_XML", "REMOTE_PROC_TRANSACTIONS", "ARITHIGNORE"};
    for (TLoopGuard guard(*this);; guard.Turn()) {
        const std::string word = Word();
        if (Symb == syMSTransaction) {
            NextToken();
            ExpectWords({"ISOLATION"});
            ExpectWords({"LEVEL"});
            if (Symb == syMSRead) {
                NextToken();
                if (!IsWord("UNCOMMITTED") && !IsWord("COMMITTED")) ParseError("Unknown transaction isolation level");
            } else if (IsWord("REPEATABLE")) {
                NextToken();
                if (Symb != syMSRead) ParseError("Unknown transaction isolation level");
            } else if (!IsWord("SERIALIZABLE") && !IsWord("SNAPSHOT")) {
                ParseError("Unknown transaction isolation level");
            }
            NextToken();
        } else if (Symb == syMSIdentityInsert) {
            NextToken();
            ParseObjectName(dboTable, false);
            if (!IsOnOff(Symb)) ParseError("Must be: ON / OFF.");
            NextToken();
        } else if (Symb == syMSTextsize || Symb == syMSRowcount) {
            NextToken();
            ParseExpression(Context);
        } else if (IsWord("DATEFORMAT") || IsWord("LANGUAGE") || IsWord("DATEFIRST") || IsWord("LOCK_TIMEOUT") ||
                   IsWord("DEADLOCK_PRIORITY") || IsWord("CONTEXT_INFO")) {
            NextToken();
            ParseFactor(Context);
        } else if (Symb == syMSOffsets) {
            // SET OFFSETS SELECT, FROM, ORDER, ... ON | OFF: keywords the
            // server reports the positions of, each one word.
            NextToken();
            for (TLoopGuard words(*this);; words.Turn()) {
                NextToken();
                if (Symb != syComma) break;
                NextToken();
            }
            if (!IsOnOff(Symb)) ParseError("Must be: ON / OFF.");
            NextToken();
        } else if (IsWord("BLOBFILE")) {
            NextToken();
            Expect(syString);
            StatementKind = {TStatType::stSetBlobFile, ValueText, dboUnknown, TDbOperation::odbSet, {}};
            NextToken();
        } else if (Symb == syIdent && !word.empty() && word.front() == '@') {
            NextToken();
            const bool compound = ServerOptions().MSSQLServerOptions().SQLServerVersion >=
                                      TMSSQLServerVersionType::st_MSSQL2008 &&
                                  (Symb == syMSAddAssign || Symb == syMSSubAssign || Symb == syMSStarEqual ||
                                   Symb == syMSDivAssign || Symb == syMSModAssign || Symb == syMSAndAssign ||
                                   Symb == syMSOrAssign || Symb == syMSXorAssign);
            if (Symb == syEqual || compound) {
                NextToken();
                if (Symb == syMSCursor) ParseCursorDefinition(Context);
                else ParseExpression(Context);
            } else {
                NextToken();
            }
        } else if (std::find(std::begin(kSwitches), std::end(kSwitches), word) != std::end(kSwitches) ||
                   Symb == syMSStatistics) {
            // One or more options, then ON or OFF for all of them.
            std::vector<std::string> names;
            for (TLoopGuard options(*this);; options.Turn()) {
                names.push_back(Word());
                NextToken();
                if (names.back() == "STATISTICS") {
                    names.back() += " " + Word();
                    NextToken();
                }
                if (Symb != syComma) break;
                NextToken();
            }
            if (!IsOnOff(Symb)) ParseError("Must be: ON / OFF.");
            const bool on = Symb == syMSOn;
            for (const std::string& name : names) {
                if (name == "ANSI_NULLS") AnsiNulls = on;
                else if (name == "QUOTED_IDENTIFIER") QuotedIdentifier = on;
            }
            NextToken();
        } else {
            ParseError("Unknown SET-statement.");
            NextToken();
        }
        if (Symb != syComma) break;
        NextToken();
    }
}

// ---- EXEC ---------------------------------------------------------------------------

void TMSSQLParser::ParseExec(TDbObj* Context)
{
    if (Symb == syMSAs) {
        NextToken();
        if (IsWord("CALLER")) {
            NextToken();
        } else {
            if (!IsWord("LOGIN") && Symb != syMSUser) ParseError("Must be: LOGIN / USER / CALLER");
            NextToken();
            ExpectAndNext(syEqual);
            ParseExpression(Context);
            if (Symb == syMSWith) {
                // WITH NO REVERT | WITH COOKIE INTO @cookie
                NextToken();
                if (IsWord("COOKIE")) {
                    NextToken();
                    ExpectAndNext(syMSInto);
                    NextToken();
                } else {
                    ExpectWords({"NO"});
                    if (!IsWord("REVERT")) ExpectWord("REVERT");
                    NextToken();
                }
            }
        }
        return;
    }
    // EXEC @result = procedure ...
    if (Symb == syIdent && !TokenText.empty() && TokenText.front() == '@' && PeekNonBlank() == '=') {
        Skip(2);
    }
    if (Symb == syIdent && !(!TokenText.empty() && TokenText.front() == '@')) {
        ParseProcedureCall(Context, true);
        return;
    }
    if (Symb == syLParen) {
        // ( 'text' + ... [, argument [OUTPUT]] ... ): pass-through arguments
        NextToken();
        ForEachListed([&] {
            ParseExpression(Context);
            if (IsWord("OUT") || IsWord("OUTPUT")) NextToken();
        });
        ExpectAndNext(syRParen);
    } else {
        ParseExpression(Context);
    }
    // EXEC ('...') [AS LOGIN | USER = 'name'] [AT server | AT DATA_SOURCE name]
    if (Symb == syMSAs && (PeekWord() == "USER" || PeekWord() == "LOGIN")) {
        Skip(2);
        ExpectAndNext(syEqual);
        ParseExpression(Context);
    }
    if (IsWord("AT")) {
        Skip(PeekWord() == "DATA_SOURCE" ? 3 : 2);
    }
}

void TMSSQLParser::ParseProcedureCall(TDbObj* Context, bool WithExec)
{
    ParseObjectName(dboProcedure, false);
    const std::string name = LowerCase(NameObject);
    LinkName(Context, NameOwner, NameObject, {dboProcedure});
    if (name == "sp_addtype") {
        ParseAddType();
    } else if (name == "sp_bindrule") {
        ParseBindRule();
    } else if (name == "sp_dboption") {
        ParseDboption();
    } else if (name == "sp_addextendedproperty") {
        ParseAddExtendedProperty(Context);
    } else if (name == "sp_executesql") {
        // The statement text: a string, possibly named, else an expression;
        // then the parameters.
        if (Symb == syIdent && PeekNonBlank() == '=') {
            Skip(2);
        }
        if (Symb == syString) NextToken();
        else if (StartsExpression()) ParseExpression(Context);
        if (Symb == syComma) {
            NextToken();
            ParseExecArgs(Context);
        }
    } else if (!WithExec && name == "sp_configure") {
        if (Symb == syString || Symb == syIdent) {
            NextToken();
            if (Symb == syComma) {
                NextToken();
                IntegerValue();
                NextToken();
            }
        } else if (Symb != syEOF && Symb != syTerminator && Symb != sySemicolon) {
            ParseError("Must be: <Ident> / <StrVal>");
        }
    } else if (!WithExec && name == "sp_addextendedproc") {
        Expect(syString);
        NextToken();
        ExpectAndNext(syComma);
        Expect(syString);
        NextToken();
        if (Symb != syEOF) Expect(syTerminator);
    } else if (WithExec || FullMode || name == "sp_addmessage") {
        ParseExecArgs(Context);
    } else {
        SkipBatch();
    }
}

void TMSSQLParser::ParseExecArgs(TDbObj* Context)
{
    // A numbered procedure: ";2" right after the name.
    if (Symb == sySemicolon && IsDigitChar(PeekNonBlank())) {
        Skip(2);
    }
    if (StartsExpression() || Symb == syMSDefault) ForEachListed([&] {
        if (Symb == syIdent && !TokenText.empty() && TokenText.front() == '@' && PeekNonBlank() == '=') {
            Skip(2);
        }
        if (Symb == syMSDefault) NextToken();
        else ParseExpression(Context);
        if (IsWord("OUT") || IsWord("OUTPUT") || IsWord("READONLY")) NextToken();
    });
    if (Symb == syMSWith) {
        NextToken();
        ForEachListed([&] {
            if (IsWord("RECOMPILE")) {
                NextToken();
            } else {
                // WITH RESULT SETS ( ... ) | NONE | UNDEFINED
                ExpectWords({"RESULT", "SETS"});
                if (Symb == syLParen) SkipParens();
                else NextToken();
            }
        });
    }
}

std::vector<std::string> TMSSQLParser::ReadArgs(TDbObj* Context, std::span<const std::string_view> Names)
{
    std::vector<std::string> args(Names.size());
    std::size_t position = 0;
    for (TLoopGuard guard(*this); Symb != syEOF && Symb != syTerminator && Symb != sySemicolon; guard.Turn()) {
        std::size_t slot = position++;
        if (Symb == syIdent && !TokenText.empty() && TokenText.front() == '@' && PeekNonBlank() == '=') {
            slot = static_cast<std::size_t>(std::find(Names.begin(), Names.end(), UpperCase(TokenText)) - Names.begin());
            Skip(2);
        }
        if (slot >= args.size()) args.resize(slot + 1);
        if (Symb == syString || Symb == syIdent) {
            args[slot] = Symb == syString ? ValueText : TokenText;
            NextToken();
        } else {
            ParseExpression(Context);
        }
        if (Symb != syComma) break;
        NextToken();
    }
    args.resize(Names.size());
    return args;
}

void TMSSQLParser::ParseAddType()
{
    static constexpr std::string_view kNames[] = {"@TYPENAME", "@PHYSTYPE", "@NULLTYPE", "@OWNER"};
    const std::vector<std::string> args = ReadArgs(nullptr, kNames);
    auto type = std::make_unique<TDmnData>(Objs());
    type->SetName(NameCase(args[0]));
    for (const char c : UpperCase(args[1]))
        if (c != ' ') type->BaseTypeText += c;
    if (!args[2].empty()) type->BaseField->Nullable = UpperCase(Trim(args[2])) == "NULL";
    const std::string name = type->Name();
    StatementKind = {TStatType::stStatement, name, dboDomain, TDbOperation::odbCreate, {}};
    DoLogNextLine("sp_addtype: " + name);
    Register(std::move(type));
}

void TMSSQLParser::ParseBindRule()
{
    static constexpr std::string_view kNames[] = {"@RULENAME", "@OBJNAME", "@FUTUREONLY"};
    const std::vector<std::string> args = ReadArgs(nullptr, kNames);
    const std::vector<std::string> ruleParts = SplitDots(args[0]);
    const std::vector<std::string> objectParts = SplitDots(args[1]);
    const std::string rule = NameCase(ruleParts.back());
    DoLogNextLine("sp_bindrule: " + args[0] + " to " + args[1]);
    TDbObj* found = FindObject(dboRule, {}, rule);
    if (objectParts.size() == 1) {
        const std::string type = NameCase(objectParts[0]);
        StatementKind = {TStatType::stStatement, type, dboDomain, TDbOperation::odbAlter, {}};
        if (found == nullptr) ParseError("Rule not found: " + rule + ".");
        auto* domain = dynamic_cast<TDmnData*>(FindObject(dboDomain, {}, type));
        if (domain == nullptr) ParseError("User data type: " + type + " not found for rule: " + rule + ".");
        if (domain != nullptr) domain->BaseField->CheckName = rule;
        return;
    }
    const std::string column = NameCase(objectParts.back());
    const std::string table = NameCase(objectParts[objectParts.size() - 2]);
    const std::string owner = objectParts.size() > 2 ? NameCase(objectParts[objectParts.size() - 3]) : std::string();
    StatementKind = {TStatType::stStatement, column, dboField, TDbOperation::odbAlter, table};
    if (found == nullptr) ParseError("Rule not found: " + rule + ".");
    auto* tableObj = dynamic_cast<TTblData*>(FindObject(dboTable, owner, table));
    TFldData* field = tableObj != nullptr ? tableObj->Fields.Find(column) : nullptr;
    if (field == nullptr) ParseError("Table field: " + table + "." + column + " not found for rule: " + rule + ".");
    // The bound rule's name is kept where a column keeps its check's name.
    if (field != nullptr) field->CheckName = rule;
}

void TMSSQLParser::ParseDboption()
{
    if (Symb != syIdent && Symb != syString) ParseError("Must be: <Ident> / <StrVal>");
    NextToken();
    ExpectAndNext(syComma);
    Expect(syString);
    NextToken();
    if (Symb != syComma) return;
    NextToken();
    if (!IsWord("TRUE") && !IsWord("FALSE") && Symb != syString) ParseError("Must be: TRUE / FALSE / <StrVal>");
    NextToken();
}

void TMSSQLParser::ParseAddExtendedProperty(TDbObj* Context)
{
    static constexpr std::string_view kNames[] = {"@NAME",       "@VALUE",      "@LEVEL0TYPE", "@LEVEL0NAME",
                                                  "@LEVEL1TYPE", "@LEVEL1NAME", "@LEVEL2TYPE", "@LEVEL2NAME"};
    const std::vector<std::string> args = ReadArgs(Context, kNames);
    if (!SameText(args[0], "MS_Description") || Objs() == nullptr) return;
    TObjs& objs = *Objs();
    const std::string type0 = UpperCase(args[2]), type1 = UpperCase(args[4]), type2 = UpperCase(args[6]);
    const std::string schema = NameCase(args[3]), name1 = NameCase(args[5]), name2 = NameCase(args[7]);
    const bool schemaLevel = type0 == "SCHEMA" || type0 == "USER";
    TDbObj* object = nullptr;
    if (schemaLevel && type1.empty()) {
        object = FindObject(dboSchema, {}, schema);
    } else if (type0 == "TRIGGER") {
        object = FindObject(dboTrigger, {}, NameCase(args[3]));
    } else if (schemaLevel && (type1 == "TYPE" || type1 == "XML SCHEMA COLLECTION")) {
        object = FindObject(dboDomain, schema, name1);
    } else if (schemaLevel && (type1 == "PROCEDURE" || type1 == "FUNCTION")) {
        object = FindObject(dboProcedure, schema, name1);
        if (object != nullptr && type2 == "PARAMETER") object = objs.FindProcedureParam(object->GetKey(), name2);
    } else if (schemaLevel && (type1 == "TABLE" || type1 == "VIEW")) {
        object = FindObject(type1 == "TABLE" ? dboTable : dboView, schema, name1);
        if (object != nullptr && !type2.empty()) {
            const std::string key = object->GetKey();
            if (type2 == "COLUMN")
                object = type1 == "TABLE" ? objs.FindTableField(key, name2) : objs.FindViewField(key, name2);
            else if (type2 == "CONSTRAINT") object = FindObject(dboConstraint, schema, name2);
            else if (type2 == "INDEX") object = FindObject(dboIndex, schema, name1 + "." + name2);
            else if (type2 == "TRIGGER") object = FindObject(dboTrigger, schema, name2);
            else object = nullptr;
        }
    }
    if (object != nullptr) object->SetDescription(args[1]);
    else DoWarning("? Unknown MS_Description: [" + args[2] + "] [" + args[4] + "] [" + args[6] + "]");
}

// ---- the other single statements ------------------------------------------------------

void TMSSQLParser::ParseTriggerSwitch()
{
    NextToken();
    ExpectAndNext(syMSTrigger);
    ForEachListed([&] {
        if (Symb == syMSAll) NextToken();
        else ParseObjectName(dboTrigger, false);
    });
    ExpectAndNext(syMSOn);
    if (Symb == syMSDatabase) {
        NextToken();
    } else if (Symb == syMSAll) {
        NextToken();
        ExpectWords({"SERVER"});
    } else {
        ParseObjectName(dboTable, false);
    }
}

void TMSSQLParser::ParseSimpleStatement(TDbObj* Context)
{
    const TSymb first = Symb;
    if (first == syIdent) {
        if (IsWord("REVERT")) {
            NextToken();
            // REVERT WITH COOKIE = @c; a WITH of anything else begins the
            // next statement.
            if (Symb == syMSWith && PeekWord() == "COOKIE") {
                NextToken();
                if (!IsWord("COOKIE")) ExpectWord("COOKIE");
                NextToken();
                ExpectAndNext(syEqual);
                ParseExpression(Context);
            }
        } else {
            ParseTriggerSwitch();
        }
        return;
    }
    NextToken();
    switch (static_cast<int>(first)) {
    case int(syMSTruncate):
        ExpectAndNext(syMSTable);
        ParseObjectName(dboTable, false);
        if (Symb == syMSWith && PeekNonBlank() == '(') {
            // WITH (PARTITIONS (1, 2 TO 3))
            NextToken();
            SkipParens();
        }
        break;
    case int(syMSDump):
    case int(syMSSave):
    case int(syMSCommit):
    case int(syMSRollback): ParseTransactionStatement(first); break;
    case int(syMSOpen):
    case int(syMSClose):
        if (IsWord("SYMMETRIC") || IsWord("MASTER") || (first == syMSClose && Symb == syMSAll)) {
            // OPEN SYMMETRIC KEY k DECRYPTION BY ..., CLOSE ALL SYMMETRIC KEYS
            SkipClause(true);
            break;
        }
        [[fallthrough]];
    case int(syMSDeallocate):
        if (IsWord("GLOBAL") || (first == syMSDeallocate && Symb == syMSCursor)) NextToken();
        NextToken();
        break;
    case int(syMSGoto): NextToken(); break;
    case int(syMSBulk):
        // BULK INSERT t FROM 'file' WITH (...)
        ExpectAndNext(syMSInsert);
        SkipClause(true);
        break;
    case int(syMSKill):
        // KILL 53 [WITH STATUSONLY], KILL QUERY NOTIFICATION SUBSCRIPTION ALL
        SkipClause(true);
        break;
    case int(syMSCheckpoint):
        if (Symb == syInteger) NextToken();
        break;
    case int(syMSBreak):
    case int(syMSContinue):
    case int(syMSLabel): break;
    case int(syMSReconfigure):
        if (Symb == syMSWith) {
            NextToken();
            ExpectWords({"OVERRIDE"});
        }
        break;
    case int(syMSShutdown):
        if (Symb == syMSWith) {
            NextToken();
            ExpectWords({"NOWAIT"});
        }
        break;
    case int(syMSPrint):
    case int(syMSRaiserror): ParseMessageStatement(first, Context); break;
    case int(syMSReturn):
        if (StartsExpression()) ParseExpression(Context);
        break;
    case int(syMSFetch): ParseFetch(); break;
    case int(syMSBackup):
    case int(syMSRestore): ParseBackupRestore(first == syMSBackup); break;
    case int(syMSDbcc):
        if (IsNameToken()) NextToken();
        if (Symb == syLParen) SkipParens();
        if (Symb == syMSWith) {
            // NO_INFOMSGS, TABLERESULTS, MAXDOP = 8
            NextToken();
            ForEachListed([&] {
                NextToken();
                if (Symb == syEqual) Skip(2);
            });
        }
        break;
    case int(syMSReadtext):
    case int(syMSUpdatetext):
    case int(syMSWritetext): ParseTextPointerStatement(Context); break;
    case int(syMSWaitfor): ParseWaitfor(Context); break;
    case int(syMSSetuser):
        if (Symb == syString) {
            NextToken();
            if (Symb == syMSWith) {
                NextToken();
                ExpectWords({"NORESET"});
            }
        }
        break;
    case int(syMSEndConversation): ParseEndConversation(Context); break;
    default: ParseError("Missing / unknown: DDL-statement: " + SymbolName(first)); break;
    }
}

// DUMP TRANSACTION, SAVE TRANSACTION, COMMIT and ROLLBACK, the first word
// passed: DUMP TRANSACTION db WITH NO_LOG, COMMIT TRANSACTION t WITH
// (DELAYED_DURABILITY = ON).
void TMSSQLParser::ParseTransactionStatement(TSymb First)
{
    if (First == syMSDump || First == syMSSave) {
        ExpectAndNext(syMSTransaction);
        NextToken();
        if (First == syMSDump && Symb == syMSWith) {
            Skip(2);
        }
        return;
    }
    if (IsWord("WORK")) {
        NextToken();
    } else if (Symb == syMSTransaction) {
        NextToken();
        if (Symb == syIdent) NextToken();
    }
    if (Symb == syMSWith) {
        // WITH ( DELAYED_DURABILITY = ON )
        NextToken();
        SkipParens();
    }
}

// PRINT and RAISERROR, the first word passed: PRINT 'a', @b;
// RAISERROR ('text', 16, 1) WITH NOWAIT; RAISERROR 50001 'text'.
void TMSSQLParser::ParseMessageStatement(TSymb First, TDbObj* Context)
{
    if (First == syMSPrint) {
        ParseExpression(Context);
        while (Symb == syComma) {
            NextToken();
            ParseExpression(Context);
        }
        return;
    }
    if (Symb == syLParen) {
        NextToken();
        ParseExpressionList(Context);
        ExpectAndNext(syRParen);
    } else {
        // RAISERROR 50001 'text' [, argument ...], the form of old servers
        ParseExpression(Context);
        if (Symb == syString || Symb == syIdent) ParseExpression(Context);
        while (Symb == syComma) {
            NextToken();
            ParseExpression(Context);
        }
    }
    if (Symb == syMSWith) {
        NextToken();
        ForEachListed([&] {
            NextToken();
        });
    }
}

// READTEXT, UPDATETEXT and WRITETEXT, the first word passed: table.column,
// then the text pointer, offsets and data.
void TMSSQLParser::ParseTextPointerStatement(TDbObj* Context)
{
    ParseObjectName(dboField, false);
    for (TLoopGuard guard(*this); StartsExpression() || Symb == syMSWith || Symb == syMSHoldlock; guard.Turn()) {
        if (Symb == syMSWith) {
            NextToken();
            ExpectWords({"LOG"});
        } else if (Symb == syMSHoldlock) {
            NextToken();
        } else {
            ParseFactor(Context);
        }
    }
}

// WAITFOR, the word passed: DELAY '00:01', TIME '22:00', or ( RECEIVE ... )
// [, TIMEOUT n].
void TMSSQLParser::ParseWaitfor(TDbObj* Context)
{
    if (IsWord("DELAY") || IsWord("TIME")) {
        NextToken();
        ParseExpression(Context);
    } else if (Symb == syLParen) {
        NextToken();
        ParseStatement(Context);
        ExpectAndNext(syRParen);
        if (Symb == syComma) {
            NextToken();
            ExpectWords({"TIMEOUT"});
            ParseExpression(Context);
        }
    } else {
        ParseError("Must be: DELAY/TIME / (...)");
    }
}

// END CONVERSATION, the words passed: the handle, then WITH CLEANUP or
// WITH ERROR = n DESCRIPTION = 'text'.
void TMSSQLParser::ParseEndConversation(TDbObj* Context)
{
    ParseFactor(Context);
    if (Symb != syMSWith) return;
    NextToken();
    if (IsWord("CLEANUP")) {
        NextToken();
        return;
    }
    for (TLoopGuard guard(*this); IsWord("ERROR") || IsWord("DESCRIPTION"); guard.Turn()) {
        NextToken();
        ExpectAndNext(syEqual);
        ParseFactor(Context);
    }
}

} // namespace qel
