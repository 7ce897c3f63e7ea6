// The InterBase body parser: which object a body belongs to, how its text is
// read and stored, how its errors are reported, and the column references
// of its queries.
#include "qelIBExParser.h"

#include "qelComp_Ctr.h"
#include "qelComp_Dmn.h"
#include "qelComp_Fld.h"
#include "qelComp_Idx.h"
#include "qelComp_Pkg.h"
#include "qelComp_Prc.h"
#include "qelComp_Tbl.h"
#include "qelComp_Trg.h"
#include "qelComp_Viw.h"
#include "qelMsgMngr.h"
#include "qelObjKinds.h"
#include "qelObjs.h"
#include "qelText.h"

#include <set>

namespace qel {

using enum TSymb;
using enum TDbObject;
using TVersion = TIBSQLServerVersionType;

namespace {

// A body that is one parenthesised expression rather than PSQL or a query.
bool IsExpressionBody(const TDbObj& Obj)
{
    return Is<TFldData>(Obj) || Is<TCtrData>(Obj) || Is<TIdxData>(Obj) || Is<TDmnData>(Obj);
}

// The table an expression body's columns belong to.
std::string OwnerTableName(const TDbObj& Obj)
{
    if (const auto* field = dynamic_cast<const TFldData*>(&Obj))
        return field->Parent != nullptr ? field->Parent->Name() : field->TableName;
    if (const auto* index = dynamic_cast<const TIdxData*>(&Obj)) return index->TableName;
    if (const auto* ctr = dynamic_cast<const TCtrData*>(&Obj)) return ctr->TableName();
    return {};
}

//   trigger TR -> "Trigger TR: ", computed column C of T -> "Field T/C: ",
//   domain D -> "D: "; nothing for a nameless block.
std::string MessagePrefix(const TDbObj& Obj)
{
    if (Obj.Name().empty()) return {};
    if (const auto* field = dynamic_cast<const TFldData*>(&Obj))
        return "Field " + OwnerTableName(*field) + "/" + field->Name() + ": ";
    const std::string word = KindInfo(Obj.ObjectType()).MessageWord;
    return (word.empty() ? word : word + " ") + Obj.Name() + ": ";
}

} // namespace

// What a body changes of the parser, given back when it ends: the object
// links go to, the grammar's object, the declared names and the scopes.
class TIbExParser::TBodyScope {
public:
    TBodyScope(TIbExParser& P, TDbObj& Obj)
        : m_p(P), m_body(P.m_bodyObj), m_grammar(P.m_grammarObj), m_names(P.LocalNames),
          m_contexts(P.Contexts.size()), m_declaring(P.m_inDeclaration), m_depth(P.m_psqlDepth),
          m_failed(P.m_failedLevel)
    {
        if (P.m_bodyObj == nullptr) {
            P.m_bodyObj = &Obj;
            P.m_errorAtEnd = false;
        }
        P.m_grammarObj = &Obj;
        P.LocalNames.Clear();
        P.m_inDeclaration = false;
        P.m_psqlDepth = 0;
        P.m_failedLevel = -1;
    }
    ~TBodyScope()
    {
        DropContexts();
        m_p.m_bodyObj = m_body;
        m_p.m_grammarObj = m_grammar;
        m_p.LocalNames = m_names;
        m_p.m_inDeclaration = m_declaring;
        m_p.m_psqlDepth = m_depth;
        m_p.m_failedLevel = m_failed;
    }
    TBodyScope(const TBodyScope&) = delete;
    TBodyScope& operator=(const TBodyScope&) = delete;

    bool Outermost() const { return m_body == nullptr; }
    void DropContexts()
    {
        if (m_p.Contexts.size() > m_contexts) m_p.Contexts.resize(m_contexts);
    }

private:
    TIbExParser& m_p;
    TDbObj* m_body;
    TDbObj* m_grammar;
    TStringList m_names;
    std::size_t m_contexts;
    bool m_declaring;
    int m_depth;
    int m_failed;
};

TIbExParser::TIbExParser() { ProgressEnabled = true; }

std::unique_ptr<TIbParser> TIbExParser::NewInputParser() { return MakeParser<TIbExParser>(); }

// ---- helpers ----

void TIbExParser::NextToken()
{
    // Inside a body the terminator is its end, as the end of the text is:
    // no rule steps over it.
    if (m_bodyObj != nullptr && Symb == syTerminator) return;
    m_prevTokenEnd = AtEnd() ? GetLength() + 1 : NextPos - 1;
    TIbParser::NextToken();
}

void TIbExParser::DoProgressUpdate()
{
    // A query's first pass reads its lines once more.
    if (m_quiet == 0) TIbParser::DoProgressUpdate();
}

void TIbExParser::Take(TSymb S)
{
    Expect(S);
    Skip();
}

void TIbExParser::Skip()
{
    if (!AtStatementEnd()) NextToken();
}

bool TIbExParser::TokenIs(std::string_view Word) const
{
    return (Symb == syIdent || static_cast<int>(Symb) >= 30) && SameText(TokenText, Word);
}

void TIbExParser::TakeDo()
{
    if (!Is(syIBDo, "DO")) ExpectWord("DO");
    Skip();
}

bool TIbExParser::VersionIn(TVersion From, TVersion To)
{
    const TVersion v = ServerVersion();
    return v >= From && v <= To;
}

bool TIbExParser::OptionalExpression(TSymb S)
{
    if (Symb != S) return false;
    NextToken();
    ParseExpression();
    return true;
}

void TIbExParser::OptionalInto()
{
    if (Symb != syIBInto) return;
    NextToken();
    ParseIntoList();
}

void TIbExParser::ParseByList()
{
    NextAndExpect(syIBBy);
    Skip();
    ParseValueList();
}

void TIbExParser::SkipParens()
{
    int depth = 0;
    do {
        if (Symb == syLParen) ++depth;
        else if (Symb == syRParen) --depth;
        NextToken();
    } while (depth > 0 && !AtStatementEnd());
}

// ---- objects a body names ----

void TIbExParser::LinkSource(const std::string& Name)
{
    if (m_bodyObj != nullptr) LinkDepend(m_bodyObj, Name, {dboTable, dboProcedure, dboView});
}

TDbObj* TIbExParser::LinkTarget(const std::string& Name)
{
    if (Objs() == nullptr) return nullptr;
    TDbObj* target = Objs()->FindTable(Name);
    if (target == nullptr) target = Objs()->FindView(Name);
    AddDepend(m_bodyObj, target, {});
    return target;
}

void TIbExParser::LinkContextColumn(const std::string& Column)
{
    TDbObj* table = nullptr;
    if (auto* trigger = dynamic_cast<TTrgData*>(m_bodyObj)) table = trigger->Table();
    else if (auto* ctr = dynamic_cast<TCtrData*>(m_bodyObj); ctr != nullptr && Objs() != nullptr)
        table = Objs()->FindTable(ctr->TableName());
    if (Column != "*") AddDepend(m_bodyObj, table, Column);
}

void TIbExParser::LinkColumnDepend(TDbObj* Obj, const std::string& Alias, const std::string& Column)
{
    // The column CREATE TABLE is reading is not among its table's columns
    // yet: its own check names it.
    const TParseContext* top = Contexts.empty() ? nullptr : Contexts.back().get();
    TTblData* table = TableInCreation;
    if (table != nullptr && top != nullptr && top->Active && SameText(Column, CurrentFieldName) &&
        (Alias.empty() || SameText(Alias, table->Name())) && top->Names.IndexOf(table->Name()) >= 0 &&
        table->Fields.Find(Column) == nullptr) {
        AddDepend(Obj, table, Column);
        return;
    }
    TCustomSQLParser::LinkColumnDepend(Obj, Alias, Column);
}

TDbObj* TIbExParser::DomainUser(TFldData& Field)
{
    return m_bodyObj != nullptr ? m_bodyObj : TIbParser::DomainUser(Field);
}

// ---- messages ----

void TIbExParser::ParseError(const std::string& Msg)
{
    if (m_quiet > 0) return;
    if (m_bodyObj == nullptr) {
        TIbParser::ParseError(Msg);
        return;
    }
    // The body is read on: the error does not end the statement around it.
    // What follows it in its PSQL statement, or at the body's end, is its
    // consequence and not reported.
    if (m_failedLevel >= 0 || (AtStatementEnd() && m_errorAtEnd) || EndsUnterminated()) return;
    m_failedLevel = m_psqlDepth;
    m_errorAtEnd = m_errorAtEnd || AtStatementEnd();
    const std::string text = MessagePrefix(*m_bodyObj) + Msg;
    if (!Messages().HasErrors()) DoErrorMessage(text + GetPositionText());
    if (ScriptName.empty() && m_bodyObj->Objs() != nullptr)
        Messages().AddObjectMessage(text, m_bodyObj, TMsgKind::mkError, Line, Column - 1);
    else
        Messages().AddMessage(text, ScriptName, TMsgKind::mkError, Line, Column - 1);
}

void TIbExParser::AfterParse()
{
    TIbParser::AfterParse();
    // A message attached to an object that went (its statement cut short, a
    // constraint discarded) keeps its text only.
    std::set<const TObject*> live;
    if (const TObjs* objs = Objs()) {
        for (const TObjIndex* list : {&objs->Tables, &objs->Views, &objs->Procedures, &objs->Triggers, &objs->Indexes,
                                      &objs->Constraints, &objs->Domains, &objs->Packages})
            for (const auto& item : *list) live.insert(item.Object);
        for (const TTblData* table : objs->Tables.ObjectsOf<TTblData>())
            for (const auto& field : table->Fields) live.insert(field.Object.get());
    }
    for (int i = 0; i < Messages().Count(); ++i) {
        TMsgData& m = Messages().Items(i);
        if (m.Data != nullptr && !live.contains(m.Data)) m.Data = nullptr;
    }
}

// ---- bodies ----

void TIbExParser::ParseObjectBody(TDbObj& Obj)
{
    const TBodyScope scope(*this, Obj);
    const TRecursionLevel level(*this);
    if (auto* routine = dynamic_cast<TPrcData*>(&Obj)) {
        // Parameters are the routine's own names, never sequences.
        for (const auto* params : {&routine->InputParams, &routine->OutputParams})
            for (const auto& param : *params)
                if (!param.Name.empty()) LocalNames.Add(param.Name);
    }
    if (Symb == syIBExternal) {
        // A routine of an external engine has no body to read.
        SkipUntil(TSymbSet{sySemicolon, syTerminator, syEOF});
    } else if (qel::Is<TTrgData>(Obj) || qel::Is<TPrcData>(Obj)) {
        if (Is(syIBAs, "AS")) NextToken();
        ParseDeclarations();
        ParseBlock();
    } else if (qel::Is<TPkgData>(Obj)) {
        if (Is(syIBAs, "AS")) NextToken();
        ParseBlock();
    } else if (auto* view = dynamic_cast<TViwData*>(&Obj)) {
        // A view without a column list has the select list's names, as the
        // server gives them; links to its columns need them.
        std::vector<std::string> names;
        m_outputNames = view->Columns.Empty() ? &names : nullptr;
        m_outputNamed = true;
        ParseQueryExpression();
        m_outputNames = nullptr;
        const std::set<std::string> distinct(names.begin(), names.end());
        if (view->Columns.Empty() && m_outputNamed && !names.empty() && distinct.size() == names.size() &&
            m_failedLevel < 0)
            for (const std::string& name : names) {
                TFldData* column = view->Columns.Add(name, std::make_unique<TFldData>(Objs(), view));
                column->SetName(name);
                column->TableName = view->Name();
            }
    } else if (dynamic_cast<TDmnData*>(&Obj) != nullptr) {
        ParseExpression();
    } else if (IsExpressionBody(Obj)) {
        TParseContext& table = PushContext();
        table.Names.Add(OwnerTableName(Obj));
        table.Aliases.Add({});
        table.Active = true;
        Take(syLParen);
        ParseExpression();
        Take(syRParen);
    }
}

std::string TIbExParser::ReadBody(TDbObj& Obj)
{
    const bool expression = IsExpressionBody(Obj);
    // A routine or view without a body stores none, as the plain reader
    // does; a missing expression is reported.
    if (AtStatementEnd() && !expression) return {};
    const bool block = qel::Is<TPrcData>(Obj) || qel::Is<TTrgData>(Obj) || qel::Is<TPkgData>(Obj);
    const std::string saved = Terminator();
    // PSQL statements end in ";": a block is read with "^" then. A query or
    // an expression holds no ";", which ends its statement as ever.
    const bool switched = saved == ";" && block;
    struct TTerminator {
        TIbExParser& p;
        std::string saved;
        ~TTerminator() { p.SetTerminator(saved); }
    } restore{*this, saved};
    if (switched) SetTerminator("^");
    std::int64_t start = TokenStart;
    TParseContext bodyStart(this);
    // The table CREATE TABLE is reading is found by its name while its
    // computed columns and checks are read, and filed for good afterwards.
    struct TFiled {
        TObjs* objs = nullptr;
        TTblData* table = nullptr;
        ~TFiled()
        {
            if (table != nullptr) objs->Tables.Remove(table);
        }
    } filed;
    if (expression && TableInCreation != nullptr && Objs() != nullptr &&
        Objs()->FindTable(TableInCreation->Name()) == nullptr &&
        Objs()->Tables.Add(TableInCreation->GetKey(), TableInCreation)) {
        filed.objs = Objs();
        filed.table = TableInCreation;
    }
    {
        TBodyScope scope(*this, Obj);
        try {
            if (!expression && Is(syIBAs, "AS")) {
                start = NextPos - 1;
                NextToken();
            }
            bodyStart.Save();
            if (expression || !AtStatementEnd()) ParseObjectBody(Obj);
        } catch (const EStatementAbort&) {
            // Too deep, and reported. An expression or a query holds no ";":
            // the statement around it is skipped to its end as any other.
            // A PSQL body is skipped to its end here, and the statement goes
            // on.
            if (!scope.Outermost() || !block) {
                if (switched && Symb == sySemicolon) Symb = syTerminator;
                throw;
            }
            scope.DropContexts();
            ++m_quiet;
            if (switched) {
                bodyStart.Restore();
                SkipBody();
            } else {
                SkipUntil(TSymbSet{syTerminator, syEOF});
            }
            --m_quiet;
        }
    }
    SetTerminator(saved);
    if (switched && Symb == sySemicolon) {
        Symb = syTerminator;
        SymbName = SymbolName(Symb);
    } else if (block && !switched && Symb == sySemicolon) {
        // "END;" before the terminator, as isql takes it.
        NextToken();
    }
    if (expression) return Trim(GetText(start, m_prevTokenEnd - start));
    return GetTextFrom(start);
}

void TIbExParser::SkipBody()
{
    int depth = 0;
    bool opened = false;
    while (!AtStatementEnd()) {
        if (Symb == syIBBegin || Symb == syIBCase) {
            ++depth;
            opened = true;
        } else if (Symb == syIBEnd && depth > 0) {
            --depth;
        } else if (Symb == sySemicolon && depth == 0 && opened) {
            break;
        }
        NextToken();
    }
}

void TIbExParser::ReadBodyText(TDbObj* Obj, std::int64_t StartPos)
{
    if (Obj == nullptr) {
        TIbParser::ReadBodyText(Obj, StartPos);
        return;
    }
    const std::string text = ReadBody(*Obj);
    if (auto* package = dynamic_cast<TPkgData*>(Obj); package != nullptr && !m_packageBody)
        package->HeaderText = text;
    else
        Obj->SetBody(text);
}

void TIbExParser::ReadDomainCheck(TFldData& Field)
{
    if (Field.Parent == nullptr) TIbParser::ReadDomainCheck(Field);
    else Field.CheckText = ReadBody(*Field.Parent);
}

void TIbExParser::ParseDefault(TFldData& Field, std::string& Text)
{
    const std::int64_t start = TokenStart;
    if (m_inDeclaration) {
        ParseExpression();
        Text = Trim(GetText(start, m_prevTokenEnd - start));
        return;
    }
    if (Symb != syLParen) {
        TIbParser::ParseDefault(Field, Text);
        return;
    }
    NextToken();
    ParseExpression();
    // Through the ")" just scanned.
    Text = GetText(start, NextPos - 1 - start);
    ExpectAndNext(syRParen);
}

// ---- stored texts ----

void TIbExParser::ParseObjectSource(TDbObj& Obj)
{
    const auto sourceOf = [](const TDbObj& O) { return O.SourceText.empty() ? O.Body() : O.SourceText; };
    const auto* ctr = dynamic_cast<const TCtrData*>(&Obj);
    if (auto* domain = dynamic_cast<TDmnData*>(&Obj)) {
        if (domain->BaseField == nullptr) return;
        // The check, then the default as a source of its own.
        const std::string check = domain->BaseField->CheckText;
        const std::string value = domain->BaseField->GetDefaultValue();
        ParseSourceText(Obj, check);
        ParseSourceText(Obj, value);
    } else if (dynamic_cast<const TPrcData*>(&Obj) != nullptr || dynamic_cast<const TTrgData*>(&Obj) != nullptr ||
               dynamic_cast<const TViwData*>(&Obj) != nullptr || dynamic_cast<const TIdxData*>(&Obj) != nullptr ||
               dynamic_cast<const TFldData*>(&Obj) != nullptr || (ctr != nullptr && ctr->ConstraintKind() == ckCheck)) {
        ParseSourceText(Obj, sourceOf(Obj));
    } else {
        ParseError("Body parsing for DB-Obj: (" + Obj.ClassName() + ") not implemented.");
    }
}

void TIbExParser::ParseSourceText(TDbObj& Obj, const std::string& Text)
{
    if (Trim(Text).empty()) return;
    const std::string saved = Terminator();
    SetTerminator("^");
    SetSource(Text);
    try {
        NextToken();
        // A stored check may keep its keyword.
        if (dynamic_cast<TCtrData*>(&Obj) != nullptr && Symb == syIBCheck) NextToken();
        ParseObjectBody(Obj);
    } catch (const EStatementAbort&) {
        // Reported where it arose.
    } catch (const std::exception& e) {
        ParseError(e.what());
    }
    SetTerminator(saved);
}

} // namespace qel
