// The InterBase script parser: GRANT, REVOKE, DROP, COMMENT ON and DESCRIBE.
#include "qelIBScriptParser.h"

#include "qelComp_Dmn.h"
#include "qelComp_Exc.h"
#include "qelComp_Fld.h"
#include "qelComp_Fnc.h"
#include "qelComp_Gnr.h"
#include "qelComp_Idx.h"
#include "qelComp_Prc.h"
#include "qelComp_Rol.h"
#include "qelComp_Tbl.h"
#include "qelComp_Trg.h"
#include "qelComp_Viw.h"
#include "qelObjs.h"
#include "qelText.h"

namespace qel {

using enum TSymb;
using enum TStatType;
using enum TDbObject;
using enum TDbOperation;

void TIbParser::ParseGrant()
{
    auto grant = std::make_unique<TGntData>(Objs());
    grant->ScriptLine = Line;
    SetKind(stStatement, {}, dboGrant, odbCreate);
    NextToken();
    TObjs* objs = Collection();
    if (Symb != syIBSelect && Symb != syIBInsert && Symb != syIBUpdate && Symb != syIBDelete &&
        Symb != syIBReferences && Symb != syIBExecute && Symb != syIBAll) {
        grant->ObjectName = ExpectName();
        grant->ObjectKind = dboRole;
        NextToken();
    } else {
        for (;;) {
            switch (SymbCode(Symb)) {
            case SymbCode(syIBInsert): grant->Privileges.Include(TPrivilege::prInsert); break;
            case SymbCode(syIBUpdate): grant->Privileges.Include(TPrivilege::prUpdate); break;
            case SymbCode(syIBDelete): grant->Privileges.Include(TPrivilege::prDelete); break;
            case SymbCode(syIBSelect): grant->Privileges.Include(TPrivilege::prSelect); break;
            case SymbCode(syIBExecute): grant->Privileges.Include(TPrivilege::prExecute); break;
            case SymbCode(syIBReferences): grant->Privileges.Include(TPrivilege::prReferences); break;
            case SymbCode(syIBAll):
                for (TPrivilege p : {TPrivilege::prInsert, TPrivilege::prUpdate, TPrivilege::prDelete,
                                     TPrivilege::prSelect, TPrivilege::prReferences})
                    grant->Privileges.Include(p);
                break;
            default: Expect(syIBSelect); break;
            }
            NextToken();
            if (Is(syIBPrivileges, "PRIVILEGES")) NextToken();
            if (Symb != syComma) break;
            NextToken();
        }
        ExpectIs(syIBOn, "ON");
        NextToken();
        if (Is(syIBTable, "TABLE")) grant->ObjectKind = dboTable;
        else if (Is(syIBView, "VIEW")) grant->ObjectKind = dboView;
        else if (Is(syIBProcedure, "PROCEDURE")) grant->ObjectKind = dboProcedure;
        else if (Is(syIBTrigger, "TRIGGER")) grant->ObjectKind = dboTrigger;
        else if (IsWord("PACKAGE")) grant->ObjectKind = dboPackage;
        if (grant->ObjectKind != dboUnknown) NextToken();
        grant->ObjectName = ExpectName();
        if (grant->ObjectKind == dboUnknown && objs != nullptr) {
            if (objs->FindTable(grant->ObjectName) != nullptr) grant->ObjectKind = dboTable;
            else if (objs->FindView(grant->ObjectName) != nullptr) grant->ObjectKind = dboView;
            else if (StartsWithText(grant->ObjectName, "RDB$") && grant->Privileges.Contains(TPrivilege::prSelect))
                grant->ObjectKind = dboTable;
        }
        NextToken();
    }
    StatementKind.ObjName = grant->ObjectName;
    ExpectIs(syIBTo, "TO");
    NextToken();
    if (Is(syIBView, "VIEW")) grant->GranteeKind = dboView;
    else if (Is(syIBProcedure, "PROCEDURE")) grant->GranteeKind = dboProcedure;
    else if (Is(syIBTrigger, "TRIGGER")) grant->GranteeKind = dboTrigger;
    else if (IsWord("PACKAGE")) grant->GranteeKind = dboPackage;
    if (grant->GranteeKind != dboUnknown) grant->GranteeType = 13;
    else if (Is(syIBUser, "USER")) {
        grant->GranteeKind = dboUser;
        grant->GranteeType = 12;
    }
    if (grant->GranteeKind != dboUnknown) NextToken();
    grant->Grantee = ExpectName();
    if (grant->GranteeKind == dboUnknown && objs != nullptr)
        grant->GranteeKind = objs->FindRole(grant->Grantee) != nullptr ? dboRole : dboUser;
    NextToken();
    if (Symb == syIBWith) {
        grant->GrantOption = 1;
        NextToken();
        if (Symb != syIBGrant && !Is(syIBAdmin, "ADMIN")) ParseError("Must be: with GRANT/ADMIN option");
        NextToken();
        ExpectIs(syIBOption, "OPTION");
        NextToken();
    }
    Emit();
    DoLogNextLine("Grant: " + grant->GetCreateDDL());
    if (objs != nullptr && objs->IBServerOptions().IBCompareOptions().IgnoreToolObjects &&
        IsToolObjectName(grant->ObjectName))
        return;
    FindGrantObject(std::move(grant));
}

TGntData* TIbParser::FindGrantObject(std::unique_ptr<TGntData> Grant)
{
    if (Collection() == nullptr) return nullptr;
    return Collection()->AddGrant(std::move(Grant));
}

void TIbParser::ParseRevoke()
{
    SetKind(stStatement, {}, dboGrant, odbDrop);
    SkipToEnd();
    Emit(false);
}

void TIbParser::ParseDrop()
{
    NextToken();
    TDbObject kind = dboUnknown;
    if (Is(syIBDomain, "DOMAIN")) kind = dboDomain;
    else if (Is(syIBExternal, "EXTERNAL")) {
        NextToken();
        ExpectIs(syIBFunction, "FUNCTION");
        kind = dboFunction;
    } else if (Is(syIBException, "EXCEPTION")) kind = dboException;
    else if (Is(syIBIndex, "INDEX")) kind = dboIndex;
    else if (Is(syIBProcedure, "PROCEDURE")) kind = dboProcedure;
    else if (Is(syIBRole, "ROLE")) kind = dboRole;
    else if (Is(syIBTable, "TABLE")) kind = dboTable;
    else if (Is(syIBTrigger, "TRIGGER")) kind = dboTrigger;
    else if (Is(syIBView, "VIEW")) kind = dboView;
    else if (Is(syIBGenerator, "GENERATOR") || IsWord("SEQUENCE")) kind = dboGenerator;
    else ParseError("Unknown DROP statement");
    SetKind(stStatement, {}, kind, odbDrop);
    NextToken();
    StatementKind.ObjName = ExpectName();
    NextToken();
    Emit();
}

TDbObj* TIbParser::ReadObjectName(TDbObject Kind, std::string& Name)
{
    NextToken();
    Name = ExpectName();
    NextToken();
    const TObjs* objs = Collection();
    if (objs == nullptr) return nullptr;
    switch (Kind) {
    case dboTable: return objs->FindTable(Name);
    case dboView: return objs->FindView(Name);
    case dboProcedure: return objs->FindProcedure(Name);
    case dboTrigger: return objs->FindTrigger(Name);
    case dboDomain: return objs->FindDomain(Name);
    case dboException: return objs->FindException(Name);
    case dboIndex: return objs->FindIndex(Name);
    case dboGenerator: return objs->FindGenerator(Name);
    case dboRole: return objs->FindRole(Name);
    case dboFunction: return objs->FindUDF(Name);
    default: return nullptr;
    }
}

void TIbParser::ParseComment()
{
    NextToken();
    ExpectIs(syIBOn, "ON");
    NextToken();
    TObjs* objs = Collection();
    TDbObj* target = nullptr;
    TDbObject kind = dboUnknown;
    std::string name;
    std::string parent;
    const auto find = [&](TDbObject Kind) { target = ReadObjectName(kind = Kind, name); };
    // "t.c": the owner, then the part after the dot.
    const auto twoParts = [&](TDbObject Kind) {
        kind = Kind;
        NextToken();
        parent = ExpectName();
        NextAndExpect(syDot);
        NextToken();
        name = ExpectName();
        NextToken();
    };
    if (Is(syIBTable, "TABLE")) find(dboTable);
    else if (Is(syIBView, "VIEW")) find(dboView);
    else if (Is(syIBProcedure, "PROCEDURE")) find(dboProcedure);
    else if (Is(syIBTrigger, "TRIGGER")) find(dboTrigger);
    else if (Is(syIBDomain, "DOMAIN")) find(dboDomain);
    else if (Is(syIBException, "EXCEPTION")) find(dboException);
    else if (Is(syIBIndex, "INDEX")) find(dboIndex);
    else if (Is(syIBGenerator, "GENERATOR") || IsWord("SEQUENCE")) find(dboGenerator);
    else if (Is(syIBRole, "ROLE")) find(dboRole);
    else if (Is(syIBExternal, "EXTERNAL")) {
        NextToken();
        ExpectIs(syIBFunction, "FUNCTION");
        find(dboFunction);
    } else if (Is(syIBColumn, "COLUMN")) {
        twoParts(dboField);
        if (objs != nullptr) {
            target = objs->FindTableField(parent, name);
            if (target == nullptr) target = objs->FindViewField(parent, name);
        }
    } else if (Is(syIBParameter, "PARAMETER")) {
        twoParts(dboParam);
        if (objs != nullptr) target = objs->FindProcedureParam(parent, name);
    } else {
        ParseError("Unknown Comment-statement");
    }
    SetKind(stStatement, name, kind, odbDescription, parent);
    ExpectIs(syIBIs, "IS");
    NextToken();
    std::string text;
    if (Symb == syString) text = ValueText;
    else if (Symb != syIBNull) ParseError("Invalid comment text");
    NextToken();
    Emit();
    if (target != nullptr) target->SetDescription(text);
}

void TIbParser::ParseDescribe()
{
    NextToken();
    if (IsWord("ROLE")) Symb = syIBRole;
    else if (IsWord("SEQUENCE") || IsWord("GENERATOR")) Symb = syIBGenerator;
    else if (IsWord("EXCEPTION")) Symb = syIBException;
    else if (IsWord("DOMAIN")) Symb = syIBDomain;
    // No keyword from Firebird 3 on, yet the same statement.
    else if (IsWord("DATABASE")) Symb = syIBDatabase;
    TObjs* objs = Collection();
    TDbObj* target = nullptr;
    TDbObject kind = dboUnknown;
    std::string name;
    std::string parent;
    const auto find = [&](TDbObject Kind) { target = ReadObjectName(kind = Kind, name); };
    switch (SymbCode(Symb)) {
    case SymbCode(syIBTable): find(dboTable); break;
    case SymbCode(syIBView): find(dboView); break;
    case SymbCode(syIBProcedure): find(dboProcedure); break;
    case SymbCode(syIBTrigger): find(dboTrigger); break;
    case SymbCode(syIBFunction): find(dboFunction); break;
    case SymbCode(syIBDomain): find(dboDomain); break;
    case SymbCode(syIBException): find(dboException); break;
    case SymbCode(syIBIndex): find(dboIndex); break;
    case SymbCode(syIBGenerator): find(dboGenerator); break;
    case SymbCode(syIBRole): find(dboRole); break;
    case SymbCode(syIBParameter):
        kind = dboParam;
        NextToken();
        name = ExpectName();
        NextToken();
        ExpectIs(syIBProcedure, "PROCEDURE");
        NextToken();
        parent = ExpectName();
        if (objs != nullptr) target = objs->FindProcedureParam(parent, name);
        NextToken();
        break;
    case SymbCode(syIdent):
        if (!IsWord("FIELD")) {
            ParseError("Unknown DESCRIBE statement.");
            break;
        }
        kind = dboField;
        NextToken();
        name = ExpectName();
        NextToken();
        if (Is(syIBTable, "TABLE") || Is(syIBView, "VIEW")) {
            const bool table = Is(syIBTable, "TABLE");
            NextToken();
            parent = ExpectName();
            if (objs != nullptr)
                target = table ? objs->FindTableField(parent, name) : objs->FindViewField(parent, name);
            NextToken();
        } else {
            ParseError("Unknown DESCRIBE statement.");
        }
        break;
    default: NextToken(); break;
    }
    SetKind(stDescription, name, kind, odbDescription, parent);
    Expect(syString);
    const std::string text = ValueText;
    if (target != nullptr) target->SetDescription(text);
    NextToken();
    Emit();
    // The executor may refuse the statement: then there is none to describe.
    if (StatementRef != nullptr && OnDescribeStatement) OnDescribeStatement(*StatementRef, text);
}

} // namespace qel
