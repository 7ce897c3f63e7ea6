// CREATE INDEX (plain, XML, full-text), CREATE STATISTICS, CREATE and ALTER
// VIEW, PROCEDURE, FUNCTION and TRIGGER.
#include "qelMSSQLScriptParserPrivate.h"

#include "qelMsgMngr.h"

#include "qelComp_Fld.h"
#include "qelComp_Idx.h"
#include "qelComp_Prc.h"
#include "qelComp_Tbl.h"
#include "qelComp_Trg.h"
#include "qelComp_Viw.h"
#include "qelObjs.h"
#include "qelText.h"

#include <utility>

namespace qel {

namespace {

constexpr std::uint8_t tmAfter = 2, tmFor = 4, tmInsteadOf = 5;
constexpr std::uint8_t evInsert = 2, evUpdate = 4, evDelete = 8;

} // namespace

// ---- indexes ------------------------------------------------------------------------

void TMSSQLParser::ParseCreateIndex(bool Unique, bool Clustered, bool Xml, bool PrimaryXml)
{
    const bool columnstore = IsWord("COLUMNSTORE");
    if (columnstore) NextToken();
    ExpectAndNext(syMSIndex);
    auto index = std::make_unique<TIdxData>(Objs());
    index->Unique = Unique;
    index->Clustered = Clustered;
    index->Xml = Xml;
    index->PrimaryXml = PrimaryXml;
    ParseObjectName(dboUnknown, false);
    const std::string name = NameObject;
    ExpectAndNext(syMSOn);
    ParseObjectName(dboTable, true);
    index->TableName = NameObject;
    index->SetSchema(NameOwner);
    index->SetName(name);
    if (Symb == syLParen || !columnstore) ParseColumnList(index->Fields, index.get());
    if (columnstore && Symb == syMSOrder) {
        // ORDER (columns) of a columnstore index: how its segments are
        // sorted, which the model keeps nothing of.
        NextToken();
        if (Symb == syLParen) SkipParens();
        else ParseError("Must be: ORDER (<columns>)");
    }
    ParseIncludeAndFilter(*index);
    if (Xml && IsWord("USING")) {
        // USING XML INDEX name [FOR VALUE | PATH | PROPERTY], with options of its own
        NextToken();
        ExpectWords({"XML"});
        ExpectAndNext(syMSIndex);
        ParseObjectName(dboIndex, false);
        index->XmlUsing = "USING XML INDEX " + QuoteName(NameColumn);
        if (Symb == syMSFor) {
            NextToken();
            index->XmlUsing += " FOR " + Word();
            NextToken();
        }
        if (Symb == syMSWith) ParseIndexOptions(index->XmlOptions);
    }
    if (Symb == syMSWith) ParseIndexOptions(index->Options);
    if (Symb == syMSOn || IsWord("FILESTREAM_ON")) ParseFileGroup(index->FileGroup);
    DoLogNextLine((Xml ? "Xml index: " : "Index: ") + index->Name());
    if (!Xml) StatementKind = {TStatType::stStatement, index->Name(), dboIndex, TDbOperation::odbCreate, {}};
    Register(std::move(index));
}

void TMSSQLParser::ParseCreateFullText()
{
    NextToken();
    if (Symb == syMSIndex) {
        ParseCreateFullTextIndex();
        return;
    }
    const bool catalog = IsWord("CATALOG");
    if (!catalog && !IsWord("STOPLIST")) {
        ParseError("Unknown CREATE-statement: " + (Symb == syIdent ? TokenText : SymbName));
        return;
    }
    Skip(2);
    if (!catalog) {
        // FROM [db.]stoplist | SYSTEM STOPLIST, AUTHORIZATION owner
        if (Symb == syMSFrom) {
            NextToken();
            if (IsWord("SYSTEM")) {
                NextToken();
                ExpectWords({"STOPLIST"});
            } else {
                ParseObjectName(dboUnknown, false);
            }
        }
        if (Symb == syMSAuthorization) {
            Skip(2);
        }
        return;
    }
    for (TLoopGuard guard(*this);; guard.Turn()) {
        if (Symb == syMSOn) {
            NextToken();
            if (!IsWord("FILEGROUP")) ParseError("Must be: ON FILEGROUP <filegroup>");
            Skip(2);
        } else if (Symb == syMSIn || IsWord("PATH")) {
            if (Symb == syMSIn) NextToken();
            Skip(2);
        } else if (Symb == syMSWith) {
            NextToken();
            if (IsWord("ACCENT_SENSITIVITY")) {
                NextToken();
                ExpectAndNext(syEqual);
                NextToken();
            }
        } else if (Symb == syMSAs) {
            NextToken();
            ExpectAndNext(syMSDefault);
        } else if (Symb == syMSAuthorization) {
            Skip(2);
        } else {
            break;
        }
    }
}

void TMSSQLParser::ParseCreateFullTextIndex()
{
    NextToken();
    ExpectAndNext(syMSOn);
    ParseObjectName(dboTable, true);
    auto index = std::make_unique<TIdxData>(Objs());
    index->FullText = true;
    index->TableName = NameObject;
    index->SetSchema(NameOwner);
    if (Symb == syLParen) {
        NextToken();
        for (TLoopGuard guard(*this);; guard.Turn()) {
            const std::string column = NameCase(TokenText);
            auto field = std::make_unique<TFldData>(Objs(), index.get());
            field->SetName(column);
            const std::string key = field->Name();
            index->Fields.Add(key, std::move(field));
            NextToken();
            // TYPE COLUMN c, LANGUAGE n, STATISTICAL_SEMANTICS
            for (TLoopGuard attributes(*this);; attributes.Turn()) {
                if (IsWord("TYPE")) {
                    NextToken();
                    ExpectAndNext(syMSColumn);
                    NextToken();
                } else if (IsWord("LANGUAGE")) {
                    Skip(2);
                } else if (IsWord("STATISTICAL_SEMANTICS")) {
                    NextToken();
                } else {
                    break;
                }
            }
            if (Symb != syComma) break;
            NextToken();
        }
        ExpectAndNext(syRParen);
    }
    if (Symb == syMSKey) {
        NextToken();
        ExpectAndNext(syMSIndex);
        index->KeyIndex = NameCase(TokenText);
        NextToken();
    }
    if (Symb == syMSOn) {
        NextToken();
        const bool parens = Symb == syLParen;
        if (parens) NextToken();
        for (TLoopGuard guard(*this);; guard.Turn()) {
            if (IsWord("FILEGROUP")) {
                NextToken();
                index->FullTextFileGroup = TokenText;
            } else {
                index->FullTextCatalog = TokenText;
            }
            NextToken();
            if (Symb != syComma) break;
            NextToken();
        }
        if (parens) ExpectAndNext(syRParen);
    }
    if (Symb == syMSWith) ParseFullTextOptions(*index);
    StatementKind = {TStatType::stStatement, "[" + index->TableName + ": " + index->GetFieldsText() + "]", dboIndex,
                     TDbOperation::odbCreate, {}};
    Register(std::move(index));
}

void TMSSQLParser::ParseFullTextOptions(TIdxData& Index)
{
    NextToken();
    const bool parens = Symb == syLParen;
    if (parens) NextToken();
    TFullTextIndexOptions& options = Index.FullTextOptions;
    for (TLoopGuard guard(*this);; guard.Turn()) {
        if (IsWord("CHANGE_TRACKING")) {
            NextToken();
            if (Symb == syEqual) NextToken();
            if (Symb == syMSOff || IsWord("AUTO") || IsWord("MANUAL")) options.ChangeTracking = Word();
            else ParseError("Must be: CHANGE TRACKING [=] AUTO / MANUAL / OFF");
            NextToken();
            // CHANGE_TRACKING OFF, NO POPULATION
        } else if (IsWord("NO")) {
            NextToken();
            ExpectWords({"POPULATION"});
        } else if (IsWord("STOPLIST")) {
            NextToken();
            if (Symb == syEqual) NextToken();
            if (Symb == syMSOff) options.StopListOff = true;
            else if (IsWord("SYSTEM")) options.SystemStopList = true;
            else options.StopListName = QuoteName(TokenText);
            NextToken();
        } else if (IsWord("SEARCH")) {
            NextToken();
            ExpectWords({"PROPERTY"});
            ExpectWords({"LIST"});
            if (Symb == syEqual) NextToken();
            options.SearchPropertyList = QuoteName(TokenText);
            NextToken();
        } else {
            ParseError("Unknown FillText-index option directive");
        }
        if (Symb != syComma) break;
        NextToken();
    }
    if (parens) ExpectAndNext(syRParen);
}

void TMSSQLParser::ParseCreateStatistics()
{
    Skip(2);
    ExpectAndNext(syMSOn);
    ParseObjectName(dboTable, false);
    SkipParens();
    if (Symb == syMSWhere) {
        NextToken();
        ParseExpression(nullptr);
    }
    if (Symb != syMSWith) return;
    NextToken();
    // FULLSCAN, SAMPLE n PERCENT | ROWS, INCREMENTAL = ON, NORECOMPUTE
    ForEachListed([&] {
        NextToken();
        SkipOptionTail();
    });
}

// ---- views --------------------------------------------------------------------------

void TMSSQLParser::ParseCreateView(bool IsAlter, bool OrAlter)
{
    // The body runs to the end of the batch, failed or not.
    m_read->wholeBatch = true;
    ExpectAndNext(syMSView);
    ParseObjectName(dboView, true);
    auto* known = IsAlter || OrAlter ? dynamic_cast<TViwData*>(FindObject(dboView, NameOwner, NameObject)) : nullptr;
    std::unique_ptr<TViwData> owned;
    TViwData* view = known;
    if (view == nullptr) {
        owned = std::make_unique<TViwData>(Objs());
        view = owned.get();
        view->SetSchema(NameOwner);
        view->SetName(NameObject);
    }
    view->Columns.Clear();
    view->SchemaBinding = view->WithEncryption = view->ViewMetadata = false;
    if (Symb == syLParen) {
        NextToken();
        ForEachListed([&] {
            auto column = std::make_unique<TFldData>(Objs(), view);
            column->SetName(NameCase(TokenText));
            const std::string key = column->Name();
            view->Columns.Add(key, std::move(column));
            NextToken();
        });
        ExpectAndNext(syRParen);
    }
    if (Symb == syMSWith) {
        NextToken();
        ForEachListed([&] {
            if (IsWord("SCHEMABINDING")) view->SchemaBinding = true;
            else if (IsWord("ENCRYPTION")) view->WithEncryption = true;
            else if (IsWord("VIEW_METADATA")) view->ViewMetadata = true;
            else ParseError("Unknown view option: " + SymbName + " " + TokenText);
            NextToken();
        });
    }
    const std::string name = view->Name();
    StatementKind = {TStatType::stStatement, name, dboView,
                     known != nullptr ? TDbOperation::odbAlter : TDbOperation::odbCreate, {}};
    Expect(syMSAs);
    if (FullMode) {
        NextToken();
        const std::int64_t start = TokenStart;
        if (Symb == syMSWith) ParseWith(view);
        else ParseQuery(view);
        if (Symb == syMSWith) {
            // WITH CHECK OPTION
            NextToken();
            ExpectAndNext(syMSCheck);
            ExpectAnyWord("OPTION");
            NextToken();
        }
        view->SetBody(TrimTextLines(GetTextFrom(start)));
    } else {
        // The split pass reads the query where it stands: its messages keep
        // their place in the script and its order, and what it uses exists
        // by then, as the server demands of a view.
        const std::int64_t start = NextPos - 1;
        view->SetBody(TrimTextLines(GetText(start, FindBatchEnd(start) - start)));
        DoLogNextLine("View: " + name);
        TViwData* filed = view;
        if (owned != nullptr && Objs() != nullptr) filed = dynamic_cast<TViwData*>(Register(std::move(owned)));
        if (owned == nullptr) {
            view->QuotedIdentifier = QuotedIdentifier;
            view->AnsiNulls = AnsiNulls;
        }
        if (filed != nullptr) {
            ParseViewQueryInPlace(*filed);
        } else {
            // Not filed (the collection refused it): the query is passed over.
            std::string text;
            ReadToGo(text);
            NextToken();
        }
        return;
    }
    DoLogNextLine("View: " + name);
    if (owned != nullptr) {
        Register(std::move(owned));
    } else {
        view->QuotedIdentifier = QuotedIdentifier;
        view->AnsiNulls = AnsiNulls;
    }
}

void TMSSQLParser::ParseViewQueryInPlace(TViwData& View)
{
    // A view whose query failed here is not read again by the object-source
    // pass (its message stands once); the others are, to link what the
    // script creates after them.
    struct TScope {
        TMSSQLParser& p;
        TViwData& view;
        int messages;
        ~TScope()
        {
            p.FullMode = false;
            p.m_read->bodyObject = nullptr;
            if (p.Messages().Count() > messages) p.m_read->viewsRead.insert(&view);
        }
    } scope{*this, View, Messages().Count()};
    FullMode = true;
    m_read->bodyObject = &View;
    NextToken();
    if (Symb == syMSWith) ParseWith(&View);
    else ParseQuery(&View);
    if (Symb == syMSWith && PeekWord() == "CHECK") {
        // WITH CHECK OPTION
        Skip(2);
        ExpectAnyWord("OPTION");
        NextToken();
    }
    while (Symb == sySemicolon) NextToken();
    // A view is the only statement of its batch.
    if (Symb != syEOF && Symb != syTerminator) ParseError("Unknown statement: " + SymbName);
}

// ---- procedures and functions -----------------------------------------------------------

void TMSSQLParser::ParseCreateProcedure(bool IsFunction, bool IsAlter, bool OrAlter)
{
    // The body runs to the end of the batch, failed or not.
    m_read->wholeBatch = true;
    NextToken();
    ParseObjectName(dboProcedure, true);
    auto* known =
        IsAlter || OrAlter ? dynamic_cast<TPrcData*>(FindObject(dboProcedure, NameOwner, NameObject)) : nullptr;
    std::unique_ptr<TPrcData> owned;
    TPrcData* routine = known;
    if (routine == nullptr) {
        owned = std::make_unique<TPrcData>(Objs());
        routine = owned.get();
        routine->SetSchema(NameOwner);
        routine->SetName(NameObject);
    }
    routine->IsFunction = IsFunction;
    const std::string name = routine->Name();
    StatementKind = {TStatType::stStatement, name, dboProcedure,
                     known != nullptr ? TDbOperation::odbAlter : TDbOperation::odbCreate, {}};
    if (Symb == sySemicolon) {
        NextToken();
        routine->Number = static_cast<std::int32_t>(IntegerValue());
        NextToken();
    }
    ParseRoutineParams(*routine);
    routine->WithOptions.clear();
    if (Symb == syMSWith) {
        NextToken();
        const std::int64_t start = TokenStart;
        ForEachListed([&] {
            if (Symb == syMSExecute) {
                // EXECUTE AS CALLER | SELF | OWNER | 'user'
                NextToken();
                ExpectAndNext(syMSAs);
                NextToken();
            } else if (IsWord("RETURNS") || IsWord("CALLED")) {
                // RETURNS NULL ON NULL INPUT, CALLED ON NULL INPUT
                while (Symb != syComma && Symb != syMSAs && Symb != syEOF && Symb != syTerminator && !IsWord("INPUT"))
                    NextToken();
                NextToken();
            } else if (IsWord("INLINE")) {
                NextToken();
                ExpectAndNext(syEqual);
                NextToken();
            } else {
                NextToken();
            }
        });
        routine->WithOptions = GetTextFrom(start);
    }
    if (Symb == syMSFor) {
        NextToken();
        ExpectAndNext(syMSReplication);
    }
    routine->SetBody(ParseRoutineBody(routine, true));
    DoLogNextLine((IsFunction ? "Function: " : "Procedure: ") + name);
    if (owned != nullptr) {
        Register(std::move(owned));
    } else {
        routine->QuotedIdentifier = QuotedIdentifier;
        routine->AnsiNulls = AnsiNulls;
    }
}

void TMSSQLParser::ParseRoutineParams(TPrcData& Routine)
{
    Routine.ClearParams();
    const bool parens = Symb == syLParen;
    if (parens) NextToken();
    for (TLoopGuard guard(*this); Symb == syIdent; guard.Turn()) {
        auto param = std::make_unique<TFldData>(Objs(), &Routine);
        param->SetName(TokenText);
        NextToken();
        if (Symb == syMSAs) NextToken();
        ParseColumnType(*param, false, false);
        if (Symb == syEqual) {
            NextToken();
            const std::int64_t start = TokenStart;
            ParseAdditive(nullptr);
            param->DefaultValue = GetTextFrom(start);
        }
        for (TLoopGuard words(*this); IsWord("OUT") || IsWord("OUTPUT") || IsWord("READONLY"); words.Turn()) {
            if (!IsWord("READONLY")) param->Direction = 2;
            NextToken();
        }
        const std::string name = param->Name();
        Routine.InputParams.Add(name, std::move(param));
        if (Symb != syComma) break;
        NextToken();
    }
    if (parens) ExpectAndNext(syRParen);
    if (!IsWord("RETURNS")) return;
    NextToken();
    auto result = std::make_unique<TFldData>(Objs(), &Routine);
    if (Symb == syIdent && !TokenText.empty() && TokenText.front() == '@') {
        result->SetName(TokenText);
        NextToken();
    }
    if (Symb == syMSTable) {
        result->DataType = 84;
        NextToken();
        if (Symb == syLParen) {
            result->TableType = std::make_unique<TTblData>(Objs());
            result->TableType->SetName(result->Name());
            ParseCreateTable(result->TableType.get(), false);
        } else {
            Routine.TableResult = true;
        }
    } else {
        ParseColumnType(*result, false, false);
    }
    const std::string name = result->Name();
    Routine.OutputParams.Add(name, std::move(result));
}

std::string TMSSQLParser::ParseRoutineBody(TDbObj* Routine, bool KeepAs)
{
    std::int64_t start = TokenStart;
    if (Symb == syMSAs) {
        NextToken();
        if (!KeepAs) start = TokenStart;
    }
    if (!FullMode) {
        if (Symb != syEOF && Symb != syTerminator) {
            std::string text;
            ReadToGo(text);
            NextToken();
        }
        return TrimTextLines(GetTextFrom(start));
    }
    for (TLoopGuard guard(*this); StartsStatement(Symb); guard.Turn()) {
        ParseStatement(Routine);
        while (Symb == sySemicolon) NextToken();
    }
    if (Symb != syEOF && Symb != syTerminator && Symb != sySemicolon) {
        ParseError("Unknown statement: " + SymbName);
        NextToken();
    }
    return TrimTextLines(GetTextFrom(start));
}

// ---- triggers ---------------------------------------------------------------------------

void TMSSQLParser::ParseCreateTrigger(bool IsAlter, bool OrAlter)
{
    // The body runs to the end of the batch, failed or not.
    m_read->wholeBatch = true;
    ExpectAndNext(syMSTrigger);
    ParseObjectName(dboTrigger, false);
    const std::string owner = NameOwner;
    const std::string name = NameObject;
    ExpectAndNext(syMSOn);
    std::string table;
    std::string schema = owner;
    const bool database = Symb == syMSDatabase || Symb == syMSAll;
    if (Symb == syMSDatabase) {
        table = "DATABASE";
        NextToken();
    } else if (Symb == syMSAll) {
        NextToken();
        ExpectWords({"SERVER"});
        table = "ALL SERVER";
    } else {
        ParseObjectName(dboTable, true);
        table = NameObject;
        schema = NameOwner;
    }
    auto* known = IsAlter || OrAlter ? dynamic_cast<TTrgData*>(FindObject(dboTrigger, schema, name)) : nullptr;
    std::unique_ptr<TTrgData> owned;
    TTrgData* trigger = known;
    if (trigger == nullptr) {
        owned = std::make_unique<TTrgData>(Objs());
        trigger = owned.get();
        trigger->SetSchema(schema);
        trigger->SetName(name);
    }
    trigger->SetTableName(table);
    StatementKind = {TStatType::stStatement, trigger->Name(), dboTrigger,
                     known != nullptr ? TDbOperation::odbAlter : TDbOperation::odbCreate, {}};
    if (Symb == syMSWith) {
        // WITH ENCRYPTION | EXECUTE AS ... | NATIVE_COMPILATION | SCHEMABINDING
        NextToken();
        ForEachListed([&] {
            if (Symb == syMSExecute) {
                NextToken();
                ExpectAndNext(syMSAs);
            }
            NextToken();
        });
    }
    if (Symb == syMSFor) {
        trigger->Timing = tmFor;
    } else if (IsWord("AFTER")) {
        trigger->Timing = tmAfter;
    } else if (IsWord("INSTEAD")) {
        trigger->Timing = tmInsteadOf;
        NextToken();
        Expect(syMSOf);
    } else {
        ParseError("Must be: FOR / AFTER / INSTEAD OF");
    }
    NextToken();
    trigger->Events = 0;
    trigger->DatabaseEvent.clear();
    ForEachListed([&] {
        if (database) {
            if (!trigger->DatabaseEvent.empty()) trigger->DatabaseEvent += ", ";
            trigger->DatabaseEvent += Word();
        } else if (Symb == syMSInsert) {
            trigger->Events |= evInsert;
        } else if (Symb == syMSUpdate) {
            trigger->Events |= evUpdate;
        } else if (Symb == syMSDelete) {
            trigger->Events |= evDelete;
        } else {
            Expect(syMSInsert);
        }
        NextToken();
    });
    trigger->WithAppend = trigger->NotForReplication = false;
    if (Symb == syMSWith) {
        NextToken();
        ExpectWords({"APPEND"});
        trigger->WithAppend = true;
    }
    if (Symb == syMSNot) {
        NextToken();
        ExpectAndNext(syMSFor);
        ExpectAndNext(syMSReplication);
        trigger->NotForReplication = true;
    }
    Expect(syMSAs);
    trigger->SetBody(ParseRoutineBody(trigger, false));
    DoLogNextLine("Trigger: " + trigger->Name());
    if (owned != nullptr) {
        Register(std::move(owned));
    } else {
        trigger->QuotedIdentifier = QuotedIdentifier;
        trigger->AnsiNulls = AnsiNulls;
    }
}

} // namespace qel
