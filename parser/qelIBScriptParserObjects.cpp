// The InterBase script parser: indexes, domains, generators and sequences,
// exceptions, roles, collations and external functions.
#include "qelIBScriptParser.h"

#include "qelComp_Def.h"
#include "qelComp_Dmn.h"
#include "qelComp_Exc.h"
#include "qelComp_Fld.h"
#include "qelComp_Fnc.h"
#include "qelComp_Gnr.h"
#include "qelComp_Idx.h"
#include "qelComp_Rol.h"
#include "qelComp_Tbl.h"
#include "qelObjs.h"
#include "qelText.h"

#include <limits>

namespace qel {

using enum TSymb;
using enum TStatType;
using enum TDbObject;
using enum TDbOperation;
using TVersion = TIBSQLServerVersionType;

namespace {

constexpr std::int64_t kMinInt64 = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMaxInt64 = std::numeric_limits<std::int64_t>::max();

} // namespace

void TIbParser::ParseCreateIndex()
{
    const bool asc = Symb == syIBAsc || IsWord("ASC") || IsWord("ASCENDING");
    const bool desc = Symb == syIBDesc || IsWord("DESC") || IsWord("DESCENDING");
    if (!asc && !desc && Symb != syIBIndex && Symb != syIBUnique) ParseError("Bad INDEX definition");
    auto index = std::make_unique<TIdxData>(Objs());
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
        NextToken();
        ExpectIs(syIBBy, "BY");
        NextToken();
        ReadBodyText(index.get(), TokenStart);
    } else {
        ParseColumnList(index->Fields);
    }
    DoLogNextLine("Index: " + index->GetCreateDDL());
    Emit();
    RegisterObject(std::move(index));
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
    auto domain = std::make_unique<TDmnData>(Objs());
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
    RegisterObject(std::move(domain));
}

void TIbParser::ParseAlterDomain()
{
    NextToken();
    SetKind(stStatement, ExpectName(), dboDomain, odbAlter);
    SkipToEnd();
    Emit(false);
}

void TIbParser::ParseGenerator()
{
    NextToken();
    auto generator = std::make_unique<TGnrData>(Objs());
    generator->SetName(ExpectName());
    SetKind(stStatement, generator->Name(), dboGenerator, odbCreate);
    NextToken();
    if (FirebirdFrom(TVersion::st_Firebird_30)) {
        if (IsWord("RESTART")) NextToken();
        if (IsWord("START")) {
            NextToken();
            ExpectIs(syIBWith, "WITH");
            NextAndExpect(syInteger);
            const std::int64_t start = IntValueInRange(kMinInt64, kMaxInt64);
            if (start != 0) generator->StartWith = std::to_string(start);
            NextToken();
        }
        if (IsWord("INCREMENT")) {
            NextToken();
            ExpectIs(syIBBy, "BY");
            NextAndExpect(syInteger);
            const std::int64_t step = IntValueInRange(kMinInt64, kMaxInt64);
            if (step != 1) generator->IncrementBy = std::to_string(step);
            NextToken();
        }
    }
    DoLogNextLine("Generator: " + generator->Name());
    Emit(false);
    RegisterObject(std::move(generator));
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
    std::unique_ptr<TExcData> made;
    TExcData* exception = Existing;
    if (exception == nullptr) {
        made = std::make_unique<TExcData>(Objs());
        exception = made.get();
    }
    exception->SetName(name);
    NextAndExpect(syString);
    exception->Message = ValueText;
    NextToken();
    DoLogNextLine("Exception: " + name);
    Emit();
    if (made) RegisterObject(std::move(made));
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
    auto role = std::make_unique<TRolData>(Objs());
    role->SetName(ExpectName());
    SetKind(stStatement, role->Name(), dboRole, odbCreate);
    NextToken();
    Emit();
    RegisterObject(std::move(role));
}

void TIbParser::ParseCreateCollation()
{
    NextToken();
    auto collation = std::make_unique<TCltData>(Objs());
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
    RegisterObject(std::move(collation));
}

void TIbParser::ParseDeclareExternalFunction()
{
    NextToken();
    auto udf = std::make_unique<TUdfData>(Objs());
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
    RegisterObject(std::move(udf));
}

} // namespace qel
