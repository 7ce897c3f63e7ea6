// Dependency links the parsers record: one reference at a time while a script
// is read, and after it the links that need every object of the script.
#include "qelSQLParser.h"

#include "qelComp_Ctr.h"
#include "qelComp_Dmn.h"
#include "qelComp_Exc.h"
#include "qelComp_Fld.h"
#include "qelComp_Fnc.h"
#include "qelComp_Gnr.h"
#include "qelComp_Idx.h"
#include "qelComp_Pkg.h"
#include "qelComp_Prc.h"
#include "qelComp_Rol.h"
#include "qelComp_Tbl.h"
#include "qelComp_Trg.h"
#include "qelComp_Viw.h"
#include "qelObjs.h"
#include "qelText.h"

namespace qel {

using enum TDbObject;

void TCustomParser::AddDepend(TDbObj* Obj, TDbObj* Target, const std::string& FieldName)
{
    if (m_objs == nullptr || Obj == nullptr || Target == nullptr) return;
    bool known = false;
    for (const auto& item : Obj->Uses)
        if (item.Object && item.Object->Target == Target && item.Object->FieldName == FieldName) known = true;
    if (!known) AddDependency(m_objs, Obj, Target, GetLine(), GetColumn(), FieldName);
    // A view over a table's column is also written after the table's
    // domains; Firebird links a view to what it reads only.
    auto* table = dynamic_cast<TTblData*>(Target);
    if (m_databaseType == TDatabaseType::dbInterBase || dynamic_cast<TViwData*>(Obj) == nullptr || table == nullptr ||
        FieldName.empty())
        return;
    for (const auto& field : table->Fields)
        if (field.Object && !field.Object->DomainName.empty())
            if (TDbObj* domain = m_objs->FindDomain(field.Object->DomainName)) AddDepend(Obj, domain, {});
}

void TCustomParser::LinkDepend(TDbObj* Obj, const std::string& Name, TDbObjectSet Kinds)
{
    if (m_objs == nullptr || Obj == nullptr || Name.empty()) return;
    if (m_databaseType == TDatabaseType::dbInterBase && StartsWithText(Name, "RDB$")) return;
    if (Kinds.Contains(Obj->ObjectType()) && Obj->Name() == Name) Kinds.Exclude(Obj->ObjectType());
    const TObjs& objs = *m_objs;
    TDbObj* found = nullptr;
    const auto look = [&](TDbObject Kind, auto Find) {
        if (found == nullptr && Kinds.Contains(Kind)) found = (objs.*Find)(Name);
    };
    look(dboTable, &TObjs::FindTable);
    look(dboView, &TObjs::FindView);
    look(dboProcedure, &TObjs::FindProcedure);
    look(dboTrigger, &TObjs::FindTrigger);
    look(dboGenerator, &TObjs::FindGenerator);
    look(dboIndex, &TObjs::FindIndex);
    look(dboException, &TObjs::FindException);
    look(dboDomain, &TObjs::FindDomain);
    look(dboFunction, &TObjs::FindUDF);
    if (Kinds.Contains(dboRule))
        if (TDbObj* rule = objs.Rules.Find(Name)) found = rule;
    if (Kinds.Contains(dboDefault))
        if (TDbObj* value = objs.Defaults.Find(Name)) found = value;
    if (found != nullptr && found != Obj) AddDepend(Obj, found, {});
}

void TCustomSQLParser::LinkColumnDepend(TDbObj* Obj, const std::string& Alias, const std::string& Column)
{
    TObjs* objs = Objs();
    if (objs == nullptr || Obj == nullptr) return;
    const TParseContext* top = Contexts.empty() ? nullptr : Contexts.back().get();
    if (top == nullptr || (top->Active && top->Names.Empty())) {
        if (LocalNames.IndexOf(Column) < 0) LinkDepend(Obj, Column, {dboGenerator});
        return;
    }
    if (!top->Active || Column.empty()) return;

    const auto source = [objs](const std::string& Name) -> TDbObj* {
        if (TDbObj* table = objs->FindTable(Name)) return table;
        if (TDbObj* view = objs->FindView(Name)) return view;
        return objs->FindProcedure(Name);
    };
    // The scopes from the innermost out, each by alias, then by name.
    const auto resolve = [this, &source](const std::string& AliasName) -> TDbObj* {
        for (auto it = Contexts.rbegin(); it != Contexts.rend(); ++it) {
            const TParseContext& scope = **it;
            int i = scope.Aliases.IndexOf(AliasName);
            if (i < 0) i = scope.Names.IndexOf(AliasName);
            if (i >= 0 && i < scope.Names.Count()) return source(scope.Names[i]);
        }
        return nullptr;
    };
    // The table, view or procedure of that name with such a column (a
    // procedure: an output parameter).
    const auto withColumn = [objs, &Column](const std::string& Name) -> TDbObj* {
        if (objs->FindTableField(Name, Column) != nullptr) return objs->FindTable(Name);
        if (objs->FindViewField(Name, Column) != nullptr) return objs->FindView(Name);
        TPrcData* proc = objs->FindProcedure(Name);
        return proc != nullptr && proc->OutputParams.Find(Column) != nullptr ? proc : nullptr;
    };

    if (!Alias.empty()) {
        AddDepend(Obj, resolve(Alias), Column == "*" ? std::string() : Column);
    } else if (Column == "*") {
        for (const std::string& name : top->Names.Lines()) AddDepend(Obj, source(name), {});
    } else {
        for (auto it = Contexts.rbegin(); it != Contexts.rend(); ++it)
            for (const std::string& name : (*it)->Names.Lines())
                if (TDbObj* found = withColumn(name)) {
                    AddDepend(Obj, found, Column);
                    return;
                }
    }
}

namespace {

// The key a table is filed under, as a reference from Obj names it.
std::string TableKey(const TCustomSQLParser& Parser, const std::string& Table, const std::string& Schema,
                     const std::string& Owner)
{
    switch (Parser.DatabaseType()) {
    case TDatabaseType::dbOracle:
    case TDatabaseType::dbMSSQL:
    case TDatabaseType::dbPostgreSQL: return Parser.QualifiedName(Table, Schema, false);
    case TDatabaseType::dbSybaseASA: return Owner.empty() ? Table : Owner + "." + Table;
    default: return Table;
    }
}

// Links Obj to Table and to each of its columns that Fields names.
void LinkTableColumns(TCustomParser& Parser, TDbObj& Obj, TTblData* Table, const TOwnedNameList<TFldData>& Fields)
{
    if (Table == nullptr) return;
    Parser.AddDepend(&Obj, Table, {});
    for (const auto& field : Fields)
        if (Table->Fields.Find(field.Name) != nullptr) Parser.AddDepend(&Obj, Table, field.Name);
}

// The column list as the constraint writes it: "A, B".
std::string ColumnsText(const TCtrData& Constraint, const TOwnedNameList<TFldData>& Fields)
{
    std::string text;
    for (const auto& field : Fields) text += (text.empty() ? "" : ", ") + Constraint.QuoteName(field.Name);
    return text;
}

std::string RefTableKey(const TCustomSQLParser& Parser, const TCtrData& Fk)
{
    return TableKey(Parser, Fk.RefTableName(), Fk.RefSchema().empty() ? Fk.Schema() : Fk.RefSchema(), Fk.RefOwner);
}

TDbObj* FindOfKind(const TObjs& Objs, TDbObject Kind, const std::string& Name)
{
    switch (Kind) {
    case dboTable: return Objs.FindTable(Name);
    case dboView: return Objs.FindView(Name);
    case dboProcedure: return Objs.FindProcedure(Name);
    case dboTrigger: return Objs.FindTrigger(Name);
    case dboRole: return Objs.FindRole(Name);
    case dboUser: return Objs.FindUser(Name);
    case dboPackage: return Objs.FindPackage(Name);
    case dboGenerator: return Objs.FindGenerator(Name);
    case dboException: return Objs.FindException(Name);
    case dboFunction: {
        // A Firebird function has a key of its own; elsewhere a function is
        // filed as a routine, or declared as an external function.
        if (TPrcData* f = Objs.FindProcedure(TPrcData::FunctionKey(Name))) return f;
        if (TPrcData* f = Objs.FindProcedure(Name); f != nullptr && f->IsFunction) return f;
        return Objs.FindUDF(Name);
    }
    default: return nullptr;
    }
}

} // namespace

void TCustomSQLParser::AfterParse()
{
    TObjs* objs = Objs();
    if (objs != nullptr) objs->ResortGrants();
    TCustomParser::AfterParse();
    if (objs == nullptr) return;

    for (TIdxData* index : objs->Indexes.ObjectsOf<TIdxData>()) {
        LinkTableColumns(*this, *index, objs->FindTable(TableKey(*this, index->TableName, index->Schema(), index->Owner)),
                         index->Fields);
    }

    std::vector<TCtrData*> foreignKeys;
    std::vector<TCtrData*> keys;
    for (TCtrData* constraint : objs->Constraints.ObjectsOf<TCtrData>()) {
        LinkTableColumns(*this, *constraint,
                         objs->FindTable(TableKey(*this, constraint->TableName(), constraint->Schema(), constraint->Owner)),
                         constraint->Fields);
        switch (constraint->ConstraintKind() & 0x7F) {
        case ckForeignKey: foreignKeys.push_back(constraint); [[fallthrough]];
        case ckReferences:
            LinkTableColumns(*this, *constraint, objs->FindTable(RefTableKey(*this, *constraint)), constraint->RefFields);
            break;
        case ckPrimaryKey:
        case ckUnique: keys.push_back(constraint); break;
        default: break;
        }
    }
    // A foreign key depends on the key whose columns it references.
    for (TCtrData* fk : foreignKeys) {
        const std::string table = RefTableKey(*this, *fk);
        const std::string columns = ColumnsText(*fk, fk->RefFields);
        for (TCtrData* key : keys)
            if (TableKey(*this, key->TableName(), key->Schema(), key->Owner) == table && ColumnsText(*key, key->Fields) == columns)
                AddDepend(fk, key, {});
    }

    for (TGntData* grant : objs->Grants.ObjectsOf<TGntData>()) {
        AddDepend(grant, FindOfKind(*objs, grant->ObjectKind, grant->ObjectName), {});
        if (grant->GranteeKind != dboTable) AddDepend(grant, FindOfKind(*objs, grant->GranteeKind, grant->Grantee), {});
    }

    for (TRolData* user : objs->Roles.ObjectsOf<TRolData>())
        if (user->RoleKind == rkUser) AddDepend(user, objs->FindLogin(user->LoginName), {});
}

} // namespace qel
