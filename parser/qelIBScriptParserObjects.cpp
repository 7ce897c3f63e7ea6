// The InterBase script parser: indexes, domains, generators and sequences,
// exceptions, roles, collations and external functions.
#include "qelIBScriptParser.h"
#include "qelIBScriptParserPrivate.h"

#include "qelComp_Def.h"
#include "qelComp_Dmn.h"
#include "qelComp_Exc.h"
#include "qelComp_Fld.h"
#include "qelComp_Fnc.h"
#include "qelComp_Gnr.h"
#include "qelComp_Idx.h"
#include "qelComp_Prc.h"
#include "qelComp_Rol.h"
#include "qelComp_Tbl.h"
#include "qelObjs.h"
#include "qelText.h"

#include <limits>

namespace qel {

namespace {

constexpr std::int64_t kMinInt64 = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMaxInt64 = std::numeric_limits<std::int64_t>::max();

} // namespace

void TIbParser::ParseCreateIndex()
{
    const bool asc = Symb == syIBAsc || IsWord("ASC") || IsWord("ASCENDING");
    const bool desc = Symb == syIBDesc || IsWord("DESC") || IsWord("DESCENDING");
    if (!asc && !desc && Symb != syIBIndex && Symb != syIBUnique) ParseError("Bad INDEX definition");
    TPendingObject<TIdxData> index(*this, std::make_unique<TIdxData>(Objs()));
    if (Symb == syIBUnique) {
        index->Unique = true;
        NextToken();
    }
    if (Symb == syIBAsc || IsWord("ASC") || IsWord("ASCENDING")) {
        NextToken();
    } else if (Symb == syIBDesc || IsWord("DESC") || IsWord("DESCENDING")) {
        index->Descending = true;
        NextToken();
    }
    ExpectIs(syIBIndex, "INDEX");
    NextToken();
    index->SetName(ExpectName());
    SetKind(stStatement, index->Name(), dboIndex, odbCreate);
    NextToken();
    ExpectIs(syIBOn, "ON");
    NextToken();
    index->TableName = ExpectName();
    NextToken();
    if (Is(syIBComputed, "COMPUTED")) {
        // BY may go, as in a computed column.
        NextToken();
        if (Is(syIBBy, "BY")) NextToken();
        ReadBodyText(index.get(), TokenStart);
    } else {
        ParseColumnList(index->Fields);
    }
    DoLogNextLine("Index: " + index->GetCreateDDL());
    Emit();
    index.File();
}

void TIbParser::ParseAlterIndex()
{
    NextToken();
    const std::string name = ExpectName();
    SetKind(stStatement, name, dboIndex, odbAlter);
    TIdxData* index = Collection() != nullptr ? Collection()->FindIndex(name) : nullptr;
    NextToken();
    bool active = true;
    if (Is(syIBActive, "ACTIVE")) active = true;
    else if (Is(syIBInactive, "INACTIVE")) active = false;
    else ParseError("Must be: ACTIVE/INACTIVE (ALTER INDEX... declaration)");
    if (index != nullptr) {
        index->Active = active;
        DoLogNextLine("Alter index: " + index->GetCreateDDL());
    }
    NextToken();
    Emit();
}

void TIbParser::ParseCreateDomain()
{
    NextToken();
    TPendingObject<TDmnData> domain(*this, std::make_unique<TDmnData>(Objs()));
    domain->SetName(ExpectName());
    SetKind(stStatement, domain->Name(), dboDomain, odbCreate);
    CurrentFieldName.clear();
    NextToken();
    if (Is(syIBAs, "AS")) NextToken();
    try {
        ParseDataType(*domain->BaseField, true);
    } catch (const std::exception& e) {
        ParseError(e.what());
    }
    DoLogNextLine("Domain: " + domain->Name());
    Emit();
    domain.File();
}

// The clauses change the domain in the collection as the server changes it:
//   ALTER DOMAIN D SET NOT NULL ADD CHECK (VALUE > 0) SET DEFAULT 1
void TIbParser::ParseAlterDomain()
{
    NextToken();
    const std::string name = ExpectName();
    SetKind(stStatement, name, dboDomain, odbAlter);
    TDmnData* domain = Collection() != nullptr ? Collection()->FindDomain(name) : nullptr;
    // An unknown domain's clauses are read all the same, into a field of
    // their own.
    TFldData scratch(Objs());
    TFldData& field = domain != nullptr && domain->BaseField ? *domain->BaseField : scratch;
    NextToken();
    std::string newName;
    for (TLoopGuard guard(*this); Symb != syTerminator && Symb != syEOF; guard.Turn()) {
        if (Is(syIBTo, "TO")) {
            NextToken();
            newName = ExpectName();
            NextToken();
        } else if (ParseNullOrDefault(field)) {
            continue;
        } else if (Symb == syIBSet) {
            NextToken();
            ExpectIs(syIBDefault, "DEFAULT");
        } else if (Symb == syIBDrop) {
            NextToken();
            ExpectIs(syIBConstraint, "CONSTRAINT");
            field.CheckText.clear();
            field.CheckName.clear();
            NextToken();
        } else if (Is(syIBAdd, "ADD")) {
            NextToken();
            if (Is(syIBConstraint, "CONSTRAINT")) {
                NextToken();
                if (Symb == syIdent) {
                    field.CheckName = TokenText;
                    NextToken();
                }
            }
            ExpectIs(syIBCheck, "CHECK");
            NextToken();
            ReadDomainCheck(field);
        } else if (Is(syIBType, "TYPE")) {
            NextToken();
            // The new type is whole: a string type given without a character
            // set takes the database's default, and no collation.
            field.CharSet.clear(), field.Collation.clear();
            ParseDataType(field, true);
        } else {
            ParseError("Unknown ALTER DOMAIN clause.");
        }
    }
    if (domain != nullptr) DoLogNextLine("Alter domain: " + name);
    Emit(false);
    if (domain != nullptr && !newName.empty()) RenameDomain(*domain, newName);
}

// ALTER DOMAIN D TO E: the server renames a domain in use, and its columns
// and parameters follow it.
void TIbParser::RenameDomain(TDmnData& Domain, const std::string& Name)
{
    TObjs* objs = Collection();
    const std::string old = Domain.Name();
    if (objs == nullptr || old == Name) return;
    // Columns follow a renamed domain; a routine, trigger or view that uses
    // it keeps the server from renaming it.
    for (const auto& link : Domain.UsedBy) {
        const TDbObj* user = link.Object->Target;
        const auto* field = dynamic_cast<const TFldData*>(user);
        if (user == nullptr || dynamic_cast<const TTblData*>(user) != nullptr ||
            (field != nullptr && dynamic_cast<const TTblData*>(field->Parent) != nullptr))
            continue;
        AddWarning("ALTER DOMAIN " + old + " TO " + Name + ": the domain is used by " + UserName(*user) +
                   "; the server refuses the rename, and the collection keeps the name.");
        return;
    }
    objs->Domains.Remove(&Domain);
    Domain.SetName(Name);
    objs->Domains.Add(Domain.GetKey(), &Domain);
    RenameLinks(Domain);
    const auto follow = [&](const TOwnedNameList<TFldData>& Fields) {
        for (const auto& item : Fields)
            if (item.Object && item.Object->DataType == dtDomain && item.Object->DomainName == old)
                item.Object->DomainName = Name;
    };
    for (TTblData* table : objs->Tables.ObjectsOf<TTblData>()) follow(table->Fields);
    for (TPrcData* routine : objs->Procedures.ObjectsOf<TPrcData>()) {
        follow(routine->InputParams);
        follow(routine->OutputParams);
    }
}

void TIbParser::ParseGenerator()
{
    NextToken();
    const std::string name = ExpectName();
    // CREATE OR ALTER and RECREATE change the sequence already filed.
    TGnrData* existing = Collection() != nullptr ? Collection()->FindGenerator(name) : nullptr;
    TPendingObject<TGnrData> made(*this, existing != nullptr ? nullptr : std::make_unique<TGnrData>(Objs()));
    TGnrData& generator = existing != nullptr ? *existing : *made;
    if (existing != nullptr) generator.StartWith.clear(), generator.IncrementBy.clear();
    generator.SetName(name);
    SetKind(stStatement, name, dboGenerator, odbCreate);
    NextToken();
    if (FirebirdFrom(TVersion::st_Firebird_30)) {
        if (IsWord("RESTART")) NextToken();
        if (IsWord("START")) {
            NextToken();
            ExpectIs(syIBWith, "WITH");
            NextAndExpect(syInteger);
            const std::int64_t start = IntValueInRange(kMinInt64, kMaxInt64);
            if (start != 0) generator.StartWith = std::to_string(start);
            NextToken();
        }
        if (IsWord("INCREMENT")) {
            NextToken();
            if (Is(syIBBy, "BY")) NextToken();
            Expect(syInteger);
            const std::int64_t step = IntValueInRange(kMinInt64, kMaxInt64);
            if (step != 1) generator.IncrementBy = std::to_string(step);
            NextToken();
        }
    }
    DoLogNextLine("Generator: " + name);
    Emit(false);
}

void TIbParser::ParseAlterSequence()
{
    NextToken();
    SetKind(stStatement, ExpectName(), dboGenerator, odbAlter);
    SkipToEnd();
    Emit(false);
}

void TIbParser::ParseCreateException(TExcData* Existing)
{
    const std::string name = ExpectName();
    SetKind(stStatement, name, dboException, odbCreate);
    TPendingObject<TExcData> made(*this, nullptr);
    TExcData* exception = Existing;
    if (exception == nullptr) {
        made.Reset(std::make_unique<TExcData>(Objs()));
        exception = made.get();
    }
    exception->SetName(name);
    NextAndExpect(syString);
    exception->Message = ValueText;
    NextToken();
    DoLogNextLine("Exception: " + name);
    Emit();
    made.File();
}

void TIbParser::ParseAlterException()
{
    NextToken();
    const std::string name = ExpectName();
    ParseCreateException(Collection() != nullptr ? Collection()->FindException(name) : nullptr);
}

void TIbParser::ParseCreateRole()
{
    NextToken();
    TPendingObject<TRolData> role(*this, std::make_unique<TRolData>(Objs()));
    role->SetName(ExpectName());
    SetKind(stStatement, role->Name(), dboRole, odbCreate);
    NextToken();
    Emit();
    role.File();
}

void TIbParser::ParseCreateCollation()
{
    NextToken();
    TPendingObject<TCltData> collation(*this, std::make_unique<TCltData>(Objs()));
    collation->SetName(ExpectName());
    SetKind(stStatement, collation->Name(), dboCollation, odbCreate);
    NextToken();
    ExpectIs(syIBFor, "FOR");
    NextToken();
    collation->CharacterSet = ExpectName();
    NextToken();
    if (Symb == syIBFrom) {
        NextToken();
        if (Is(syIBExternal, "EXTERNAL")) {
            NextAndExpect(syLParen);
            NextAndExpect(syString);
            collation->ExternalName = ValueText;
            NextAndExpect(syRParen);
            NextToken();
        } else if (Symb == syIdent) {
            collation->FromCollation = TokenText;
            NextToken();
        } else {
            ParseError("Must be: FROM basecoll | FROM EXTERNAL ('extname')");
            NextToken();
        }
        if (Symb == syIBNo) {
            NextToken();
            ExpectWord("PAD");
            collation->PadSpace = false;
            NextToken();
        } else if (IsWord("PAD")) {
            NextToken();
            ExpectWord("SPACE");
            collation->PadSpace = true;
            NextToken();
        }
        const auto sensitivity = [&](bool& Flag) {
            NextToken();
            if (IsWord("SENSITIVE")) Flag = true;
            else if (IsWord("INSENSITIVE")) Flag = false;
            else ParseError("Must be: SENSITIVE / INSENSITIVE");
            NextToken();
        };
        if (Is(syIBCase, "CASE")) sensitivity(collation->CaseSensitive);
        if (IsWord("ACCENT")) sensitivity(collation->AccentSensitive);
        if (Symb == syString) {
            collation->Attributes = ValueText;
            NextToken();
        }
    }
    DoLogNextLine("Collation: " + collation->Name());
    Emit();
    collation.File();
}

void TIbParser::ParseDeclareExternalFunction()
{
    NextToken();
    TPendingObject<TUdfData> udf(*this, std::make_unique<TUdfData>(Objs()));
    udf->SetName(ExpectName());
    SetKind(stStatement, udf->Name(), dboFunction, odbCreate);
    NextToken();
    for (TLoopGuard guard(*this); IsDataTypeWord(); guard.Turn()) {
        TFldData* param = udf->Params.Add({}, std::make_unique<TFldData>(Objs(), udf.get()));
        param->TableName = udf->Name();
        ParseDataType(*param, false);
        if (Symb == syComma) NextToken();
    }
    ExpectIs(syIBReturns, "RETURNS");
    NextToken();
    if (!udf->ResultField) udf->ResultField = std::make_unique<TFldData>(Objs(), udf.get());
    TFldData& result = *udf->ResultField;
    result.Parent = udf.get();
    result.TableName = udf->Name();
    if (Is(syIBParameter, "PARAMETER")) {
        NextAndExpect(syInteger);
        result.ParamNumber = static_cast<std::int32_t>(IntValueInRange(0, std::numeric_limits<std::int32_t>::max()));
        NextToken();
    } else if (IsDataTypeWord()) {
        ParseDataType(result, false);
    }
    if (Is(syIBFreeIt, "FREE_IT")) {
        udf->FreeIt = true;
        NextToken();
    }
    // The word is asked first; Firebird 3 on needs the keyword, earlier
    // versions take whatever stands there.
    const auto clause = [&](TSymb Keyword, std::string_view Word, std::string& Value) {
        if (!IsWord(Word) && FirebirdFrom(TVersion::st_Firebird_30)) Expect(Keyword);
        NextAndExpect(syString);
        Value = ValueText;
        NextToken();
    };
    clause(syIBEntryPoint, "ENTRY_POINT", udf->EntryPoint);
    clause(syIBModuleName, "MODULE_NAME", udf->ModuleName);
    DoLogNextLine("External function: " + udf->Name());
    Emit();
    udf.File();
}

// SET TIME ZONE, DECFLOAT, BIND, SESSION and STATEMENT TIMEOUT, ROLE and
// TRUSTED ROLE at the word after SET, under Firebird 4 only
// (SET TIME ON and SET LOCAL_TIMEOUT stay isql's.)
bool TIbParser::IsFirebird4SessionSet()
{
    if (ServerVersion() != TVersion::st_Firebird_40) return false;
    if (Is(syIBTime, "TIME")) return PeekWord("ZONE");
    for (const char* word : {"DECFLOAT", "BIND", "SESSION", "STATEMENT", "TRUSTED"})
        if (IsWord(word)) return true;
    return Is(syIBRole, "ROLE");
}

} // namespace qel
