// The InterBase script parser: the heads of procedures, functions, packages,
// triggers, views and EXECUTE BLOCK; their bodies go to ReadBodyText.
#include "qelIBScriptParser.h"
#include "qelIBScriptParserPrivate.h"

#include "qelComp_Fld.h"
#include "qelComp_Pkg.h"
#include "qelComp_Prc.h"
#include "qelComp_Trg.h"
#include "qelComp_Viw.h"
#include "qelObjs.h"
#include "qelText.h"

#include <limits>
#include <utility>
#include <vector>

namespace qel {

namespace {

using TDescriptions = std::vector<std::pair<std::string, std::string>>;

TDescriptions DescriptionsOf(const TOwnedNameList<TFldData>& Params)
{
    TDescriptions list;
    for (const auto& item : Params)
        if (item.Object) list.emplace_back(item.Name, item.Object->Description());
    return list;
}

// A parameter read again under its old name keeps its description.
void KeepDescriptions(const TOwnedNameList<TFldData>& Params, const TDescriptions& Old)
{
    for (const auto& [name, text] : Old)
        if (TFldData* param = Params.Find(name)) param->SetDescription(text);
}

} // namespace

void TIbParser::ParseCreateProcedure(bool IsFunction, bool InPackage)
{
    if (IsFunction) ExpectIs(syIBFunction, "FUNCTION");
    else ExpectIs(syIBProcedure, "PROCEDURE");
    NextToken();
    const std::string name = ExpectName();
    TPendingObject<TPrcData> made(*this, nullptr);
    // A package member is read into a routine of its own that is not filed.
    std::unique_ptr<TPrcData> member;
    TPrcData* routine = nullptr;
    // A procedure and a function of one name are two objects.
    if (!InPackage && Collection() != nullptr)
        routine = Collection()->FindProcedure(IsFunction ? TPrcData::FunctionKey(name) : name);
    const TDbOperation operation = routine != nullptr ? odbAlter : odbCreate;
    if (routine == nullptr) {
        auto fresh = std::make_unique<TPrcData>(Objs());
        fresh->SetName(name);
        fresh->IsFunction = IsFunction;
        routine = fresh.get();
        if (InPackage) member = std::move(fresh);
        else made.Reset(std::move(fresh));
    } else {
        // Read again: what the old definition used no longer counts.
        routine->SetBody({});
        ForgetUses(*routine);
    }
    if (!InPackage) SetKind(stStatement, name, dboProcedure, operation);
    DoLogNextLine((IsFunction ? "Function: " : "Procedure: ") + name);
    const TDescriptions inputs = DescriptionsOf(routine->InputParams);
    const TDescriptions outputs = DescriptionsOf(routine->OutputParams);
    routine->ClearParams();
    NextToken();
    ParseRoutineHeader(*routine);
    if (Symb != sySemicolon) ReadBodyText(routine, TokenStart);
    KeepDescriptions(routine->InputParams, inputs);
    KeepDescriptions(routine->OutputParams, outputs);
    if (InPackage) {
        m_packageMembers.emplace_back(IsFunction, name);
        return;
    }
    Emit();
}

void TIbParser::ParseRoutineHeader(TPrcData& Routine)
{
    const auto params = [&](TOwnedNameList<TFldData>& List) {
        Expect(syLParen);
        NextToken();
        if (Symb == syRParen) {
            NextToken();
            return;
        }
        for (;;) {
            std::unique_ptr<TFldData> param = ParseColumn(&Routine);
            param->MarkAsParam();
            const std::string paramName = param->Name();
            List.Add(paramName, std::move(param));
            if (Symb != syComma) break;
            NextToken();
        }
        CurrentFieldName.clear();
        ExpectAndNext(syRParen);
    };
    if (Symb == syLParen) params(Routine.InputParams);
    if (!Is(syIBReturns, "RETURNS")) return;
    NextToken();
    if (!Routine.IsFunction) {
        params(Routine.OutputParams);
        return;
    }
    auto result = std::make_unique<TFldData>(Objs(), &Routine);
    result->TableName = Routine.Name();
    result->MarkAsParam();
    ParseDataType(*result, false);
    if (FirebirdFrom(TVersion::st_Firebird_30) && IsWord("DETERMINISTIC")) {
        result->Deterministic = true;
        NextToken();
    }
    Routine.OutputParams.Add({}, std::move(result));
}

void TIbParser::ParseCreatePackage()
{
    ExpectWord("PACKAGE");
    NextToken();
    const bool body = IsWord("BODY");
    if (body) NextToken();
    const std::string name = ExpectName();
    TPendingObject<TPkgData> made(*this, nullptr);
    TPkgData* package = Collection() != nullptr ? Collection()->FindPackage(name) : nullptr;
    SetKind(stStatement, name, dboPackage, package != nullptr ? odbAlter : odbCreate);
    if (package == nullptr) {
        made.Reset(std::make_unique<TPkgData>(Objs()));
        made->SetName(name);
        package = made.get();
    }
    NextToken();
    m_packageBody = body;
    m_packageMembers.clear();
    ReadBodyText(package, TokenStart);
    m_packageBody = false;
    // A header read again: a member it no longer declares loses its
    // description with it.
    if (!body && !m_packageMembers.empty()) package->KeepMemberDescriptions(m_packageMembers);
    Emit(false);
    made.File();
}

void TIbParser::ParseCreateTrigger(bool Alter)
{
    ExpectIs(syIBTrigger, "TRIGGER");
    NextToken();
    const std::string name = ExpectName();
    TPendingObject<TTrgData> made(*this, nullptr);
    TTrgData* trigger = Alter && Collection() != nullptr ? Collection()->FindTrigger(name) : nullptr;
    SetKind(stStatement, name, dboTrigger, trigger != nullptr ? odbAlter : odbCreate);
    if (trigger == nullptr) {
        made.Reset(std::make_unique<TTrgData>(Objs()));
        made->SetName(name);
        trigger = made.get();
    }
    NextToken();
    if (Symb == syIBFor) {
        NextToken();
        trigger->SetTableName(ExpectName());
        AddDepend(trigger, trigger->Table(), {});
        NextToken();
    } else if (made) {
        // A trigger already known keeps its table.
        trigger->SetTableName("DATABASE");
    }
    if (Is(syIBActive, "ACTIVE") || Is(syIBInactive, "INACTIVE")) {
        trigger->Active = Is(syIBActive, "ACTIVE");
        NextToken();
    }
    if (Symb == syIBOn) {
        NextToken();
        if (IsWord("CONNECT") || IsWord("DISCONNECT")) {
            trigger->DatabaseEvent = UpperCase(TokenText);
        } else if (IsWord("TRANSACTION")) {
            NextToken();
            if (IsWord("START") || Symb == syIBCommit || IsWord("COMMIT") || IsWord("ROLLBACK"))
                trigger->DatabaseEvent = "TRANSACTION " + UpperCase(Symb == syIBCommit ? std::string("COMMIT") : TokenText);
            else ParseError("Unknown event for database trigger");
        } else {
            ParseError("Unknown event for database trigger");
        }
        NextToken();
    } else if (!Alter || Is(syIBBefore, "BEFORE") || Is(syIBAfter, "AFTER")) {
        if (Is(syIBBefore, "BEFORE")) trigger->Timing = 1;
        else if (Is(syIBAfter, "AFTER")) trigger->Timing = 2;
        else ParseError("Must be: BEFORE / AFTER");
        NextToken();
        trigger->Events = 0;
        std::int32_t code = trigger->Timing == 2 ? 1 : 0;
        int k = 0;
        if (Is(syIBAny, "ANY") || Symb == syIBCreate || Symb == syIBAlter || Symb == syIBDrop) {
            // A DDL trigger: on no table.
            trigger->DatabaseEvent = ParseDDLEvents();
        } else {
            for (TLoopGuard guard(*this); Symb == syIBInsert || Symb == syIBUpdate || Symb == syIBDelete;
                 guard.Turn()) {
                const int c = Symb == syIBInsert ? 1 : Symb == syIBUpdate ? 2 : 3;
                trigger->Events = static_cast<std::uint8_t>(trigger->Events | (1 << c));
                if (++k <= 3) code += c << (2 * k - 1);
                NextToken();
                if (Symb == syIBOr) NextToken();
            }
            trigger->IBTypeCode = code - 1;
        }
    }
    // POSITION n and the SQL-2003 ON table, in either order.
    for (TLoopGuard guard(*this); Is(syIBPosition, "POSITION") || Symb == syIBOn; guard.Turn()) {
        if (Symb == syIBOn) {
            NextToken();
            trigger->SetTableName(ExpectName());
            AddDepend(trigger, trigger->Table(), {});
            NextToken();
            continue;
        }
        NextAndExpect(syInteger);
        trigger->Position = static_cast<std::int32_t>(IntValueInRange(0, std::numeric_limits<std::int32_t>::max()));
        NextToken();
    }
    DoLogNextLine("Trigger: " + name);
    if (Is(syIBAs, "AS") && !made) {
        // A known trigger's new body: what the old one used no longer counts.
        ForgetUses(*trigger);
        AddDepend(trigger, trigger->Table(), {});
    }
    if (Is(syIBAs, "AS")) ReadBodyText(trigger, TokenStart);
    Emit();
    made.File();
}

// ANY DDL STATEMENT, or CREATE TABLE OR ALTER PACKAGE BODY ...; the words
// as written, upper-cased, one blank between.
std::string TIbParser::ParseDDLEvents()
{
    std::string events;
    const auto word = [&] {
        events += (events.empty() ? "" : " ") + UpperCase(TokenText);
        NextToken();
    };
    if (Is(syIBAny, "ANY")) {
        word();
        ExpectWord("DDL");
        word();
        ExpectWord("STATEMENT");
        word();
        return events;
    }
    for (TLoopGuard guard(*this);; guard.Turn()) {
        if (Symb != syIBCreate && Symb != syIBAlter && Symb != syIBDrop) ParseError("Must be: CREATE / ALTER / DROP");
        word();
        if (Symb == syTerminator || Symb == syEOF || Symb == syIBOr) ParseError("Missing: object type");
        const bool twoWords = Is(syIBChar, "CHARACTER") || IsWord("PACKAGE");
        word();
        if (twoWords && (Symb == syIBSet || IsWord("BODY"))) word();
        if (Symb != syIBOr) return events;
        word();
    }
}

// Alter: ALTER VIEW and CREATE OR ALTER VIEW, which change the view in
// place, so that what uses it keeps it (RECREATE has dropped it already);
// the server refuses a plain CREATE of a view it has, which then stays
// unfiled.
void TIbParser::ParseCreateView(bool Alter)
{
    ExpectIs(syIBView, "VIEW");
    NextToken();
    const std::string name = ExpectName();
    TViwData* existing = Alter && Collection() != nullptr ? Collection()->FindView(name) : nullptr;
    TPendingObject<TViwData> made(*this, existing != nullptr ? nullptr : std::make_unique<TViwData>(Objs()));
    TViwData* view = existing != nullptr ? existing : made.get();
    // Who used which column of the old definition, linked again to the
    // column of that name in the new one.
    std::vector<std::pair<TDbObj*, std::string>> columnUsers;
    // The server keeps the description of a column whose name stays.
    std::vector<std::pair<std::string, std::string>> descriptions;
    if (existing != nullptr) {
        for (const auto& column : existing->Columns) {
            if (!column.Object) continue;
            for (const auto& link : column.Object->UsedBy)
                if (link.Object->Target != existing) columnUsers.emplace_back(link.Object->Target, column.Name);
            if (!column.Object->Description().empty())
                descriptions.emplace_back(column.Name, column.Object->Description());
        }
        ForgetUses(*existing);
        existing->Columns.Clear();
        existing->SetBody({});
    }
    view->SetName(name);
    SetKind(stStatement, name, dboView, odbCreate);
    NextToken();
    if (Symb == syLParen) ParseColumnList(view->Columns);
    // A link to one of the columns names the view as the column's parent.
    for (const auto& column : view->Columns) {
        column.Object->Parent = view;
        column.Object->TableName = view->Name();
    }
    DoLogNextLine("View: " + view->Name());
    ReadBodyText(view, TokenStart);
    for (const auto& [column, text] : descriptions)
        if (TFldData* kept = view->Columns.Find(column)) kept->SetDescription(text);
    Emit();
    made.File();
    for (const auto& [user, column] : columnUsers) AddDepend(user, view, column);
}

void TIbParser::ParseExecuteBlock()
{
    SetKind(stExecuteBlock, {}, dboUnknown, odbUnknown);
    NextToken();
    // The block's parameters and body are read into a routine of its own,
    // which nothing keeps.
    TPrcData block(nullptr);
    ParseRoutineHeader(block);
    ReadBodyText(&block, TokenStart);
    Emit(false);
}

} // namespace qel
