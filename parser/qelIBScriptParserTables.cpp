// The InterBase script parser: CREATE and ALTER TABLE, columns and routine
// parameters with their data types and attributes, DEFAULT values and
// constraints.
#include "qelIBScriptParser.h"
#include "qelIBScriptParserPrivate.h"

#include "qelComp_Ctr.h"
#include "qelComp_Dmn.h"
#include "qelComp_Fld.h"
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

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

namespace qel {

namespace {

constexpr std::int64_t kMaxInt32 = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kMinInt32 = std::numeric_limits<std::int32_t>::min();

} // namespace

std::unique_ptr<TFldData> TIbParser::ParseColumn(TDbObj* Owner, bool AllowString)
{
    const std::string name = ExpectName(AllowString);
    auto field = std::make_unique<TFldData>(Objs(), Owner);
    field->SetName(name);
    if (Owner != nullptr) field->TableName = Owner->Name();
    CurrentFieldName = name;
    NextToken();
    ParseDataType(*field, false);
    return field;
}

bool TIbParser::IsDataTypeWord()
{
    // NATIONAL CHAR[ACTER] is NCHAR; LONG FLOAT a double, read as DOUBLE at
    // its FLOAT.
    if (Is(syIBNational, "NATIONAL") && PeekIs(syIBChar, "CHARACTER")) {
        NextToken();
        Symb = syIBNchar;
    } else if (IsWord("LONG") && PeekIs(syIBFloat, "FLOAT")) {
        NextToken();
        Symb = syIBDouble;
    }
    if (Symb == syIdent) {
        const TVersion v = ServerVersion();
        if (v == TVersion::st_Yaffil_1x) {
            static const std::pair<std::string_view, TSymb> words[] = {
                {"BIGINT", syIBBigint}, {"REAL", syIBReal},       {"FLOAT", syIBFloat},       {"NUMERIC", syIBNumeric},
                {"NUM", syIBNumeric},   {"DECIMAL", syIBDecimal}, {"DEC", syIBDecimal},       {"BLOB", syIBBlob},
                {"CHAR", syIBChar},     {"CHARACTER", syIBChar},  {"INT", syIBInteger},       {"INTEGER", syIBInteger},
                {"SMALLINT", syIBSmallint}, {"CSTRING", syIBCstring}, {"TIME", syIBTime},     {"DATE", syIBDate},
                {"TIMESTAMP", syIBTimestamp}, {"NCHAR", syIBNchar}};
            for (const auto& [word, symb] : words)
                if (IsWord(word)) Symb = symb;
        } else if (FirebirdFrom(TVersion::st_Firebird_30)) {
            if (IsWord("CSTRING")) Symb = syIBCstring;
            else if (IsWord("BOOLEAN")) Symb = syIBBoolean;
            else if (IsWord("TYPE")) Symb = syIBType;
            else if (IsWord("DECFLOAT") && ServerVersion() == TVersion::st_Firebird_40) Symb = syIBDecfloat;
        }
    }
    return IBDataTypeSymbols().Contains(Symb);
}

void TIbParser::ParseTypeSize(TFldData& Field)
{
    Field.Length = 1;
    if (Symb != syLParen) return;
    NextAndExpect(syInteger);
    Field.Length = static_cast<std::int32_t>(IntValueInRange(0, kMaxInt32));
    NextAndExpect(syRParen);
    NextToken();
}

void TIbParser::ParseDataType(TFldData& Field, bool IsDomain)
{
    // TYPE OF TYPE OF ... nests: bounded like every other nesting.
    const TRecursionLevel level(*this);
    IsDataTypeWord();
    if (!ReadTypeName(Field, IsDomain)) return;
    ParseArrayDims(Field);
    ReadCharacterSetClause(Field);
    ReadTimeZoneClause(Field);
    ReadAttributesAndComputedBy(Field, IsDomain);
}

// The built-in types by their words; a domain, TYPE OF or a computed column
// otherwise.
bool TIbParser::ReadTypeName(TFldData& Field, bool IsDomain)
{
    const auto simple = [&](int Code) {
        Field.DataType = static_cast<std::uint8_t>(Code);
        NextToken();
    };
    switch (SymbCode(Symb)) {
    case SymbCode(syIBSmallint): simple(54); break;
    case SymbCode(syIBInteger): simple(1); break;
    case SymbCode(syIBBigint): simple(2); break;
    case SymbCode(syIBBoolean): simple(96); break;
    case SymbCode(syIBReal): simple(9); break;
    case SymbCode(syIBFloat):
    case SymbCode(syIBDouble): {
        // FLOAT(p) is a double past 7 digits, LONG FLOAT [(p)] always.
        const bool longFloat = Symb == syIBDouble && SameText(TokenText, "FLOAT");
        simple(Symb == syIBFloat ? 3 : 4);
        if (Field.DataType == 4 && !longFloat) {
            ExpectIs(syIBPrecision, "PRECISION");
            NextToken();
        } else if (Symb == syLParen) {
            NextAndExpect(syInteger);
            if (IntValue > 7) Field.DataType = 4;
            NextAndExpect(syRParen);
            NextToken();
        }
        break;
    }
    case SymbCode(syIBDate): simple(18); break;
    case SymbCode(syIBTime): simple(19); break;
    case SymbCode(syIBTimestamp): simple(20); break;
    case SymbCode(syIBNumeric):
    case SymbCode(syIBDecimal):
        simple(Symb == syIBNumeric ? 46 : 47);
        ParseSizeScale(Field);
        break;
    case SymbCode(syIBDecfloat):
        simple(7);
        Field.Precision = 34;
        if (Symb == syLParen) ParseSizeScale(Field);
        break;
    case SymbCode(syIBChar):
    case SymbCode(syIBNchar):
        if (Symb == syIBNchar) Field.CharSet = "ISO8859_1";
        simple(15);
        if (Is(syIBVarying, "VARYING")) simple(14);
        ParseTypeSize(Field);
        break;
    case SymbCode(syIBVarchar): simple(14); ParseTypeSize(Field); break;
    case SymbCode(syIBCstring): simple(56); ParseTypeSize(Field); break;
    case SymbCode(syIBBinary):
        simple(44);
        if (Is(syIBVarying, "VARYING")) simple(76);
        ParseTypeSize(Field);
        break;
    case SymbCode(syIBVarbinary): simple(76); ParseTypeSize(Field); break;
    case SymbCode(syIBBlob):
        simple(41);
        ReadBlobOptions(Field);
        break;
    case SymbCode(syIBType):
        SkipTypeOf(Field);
        if (!Is(syIBColumn, "COLUMN")) {
            ParseDataType(Field, IsDomain);
            return false;
        }
        ReadTypeOfColumn(Field);
        break;
    default:
        return ReadDomainOrNoType(Field, IsDomain);
    }
    return true;
}

// SUB_TYPE, SEGMENT SIZE and the short "(size, subtype)" form, in any order
// and number, as the server takes them; the segment size is 80 unless one
// of them says otherwise.
void TIbParser::ReadBlobOptions(TFldData& Field)
{
    Field.SegmentSize = 80;
    for (TLoopGuard guard(*this);; guard.Turn()) {
        if (Is(syIBSubType, "SUB_TYPE")) {
            NextToken();
            if (Is(syIBBinary, "BINARY")) Field.SubType = 0;
            else if (IsWord("TEXT")) Field.SubType = 1;
            else if (IsWord("BLR")) Field.SubType = 2;
            else if (Symb == syInteger || Symb == syMinus || Symb == syPlus) {
                Expect(syInteger);
                Field.SubType = static_cast<std::int32_t>(IntValueInRange(kMinInt32, kMaxInt32));
            } else ParseError("Unknown blob-subtype.");
            NextToken();
        } else if (Is(syIBSegment, "SEGMENT")) {
            NextToken();
            ExpectIs(syIBSize, "SIZE");
            NextAndExpect(syInteger);
            Field.SegmentSize = static_cast<std::int32_t>(IntValueInRange(0, kMaxInt32));
            NextToken();
        } else if (Symb == syLParen) {
            NextAndExpect(syInteger);
            Field.SegmentSize = static_cast<std::int32_t>(IntValueInRange(0, kMaxInt32));
            NextToken();
            if (Symb == syComma) {
                NextAndExpect(syInteger);
                Field.SubType = static_cast<std::int32_t>(IntValueInRange(kMinInt32, kMaxInt32));
                NextToken();
            }
            ExpectAndNext(syRParen);
        } else {
            break;
        }
    }
}

void TIbParser::SkipTypeOf(TFldData& Field)
{
    NextToken();
    ExpectIs(syIBOf, "OF");
    NextToken();
    Field.TypeOf = true;
}

void TIbParser::ReadTypeOfColumn(TFldData& Field)
{
    NextToken();
    Field.DataType = dtDomain;
    Field.TypeOfTable = ExpectName();
    NextAndExpect(syDot);
    NextToken();
    Field.TypeOfColumn = ExpectName();
    // The field keeps its owner; what owns it uses the table instead.
    if (Collection() != nullptr)
        if (TTblData* table = Collection()->FindTable(Field.TypeOfTable))
            AddDepend(Field.Parent != nullptr ? Field.Parent : &Field, table, Field.TypeOfColumn);
    NextToken();
}

// A version that does not know TYPE as a keyword still reads TYPE OF here
// (without its COLUMN form, as before).
bool TIbParser::ReadDomainOrNoType(TFldData& Field, bool IsDomain)
{
    if (Is(syIBComputed, "COMPUTED") || (IsWord("GENERATED") && PeekWord("ALWAYS"))) return true;
    if (Symb != syIdent && Symb != syString) return false;
    if (IsWord("TYPE")) {
        SkipTypeOf(Field);
        ParseDataType(Field, IsDomain);
        return false;
    }
    Field.DataType = dtDomain;
    Field.DomainName = Symb == syString ? ValueText : TokenText;
    LinkDomainUser(Field);
    NextToken();
    return true;
}

void TIbParser::ReadCharacterSetClause(TFldData& Field)
{
    if (!Is(syIBChar, "CHARACTER")) return;
    NextToken();
    ExpectIs(syIBSet, "SET");
    NextToken();
    Field.CharSet = ExpectName();
    // The database's default is what the server gives anyway; the set
    // of SET NAMES is only the connection's.
    if (SameText(Field.CharSet, IBOptions().DefaultCharSet())) Field.CharSet.clear();
    NextToken();
}

// WITH or WITHOUT TIME ZONE after TIME or TIMESTAMP, which only Firebird 4
// reads.
void TIbParser::ReadTimeZoneClause(TFldData& Field)
{
    if ((Field.DataType != 19 && Field.DataType != 20) || ServerVersion() != TVersion::st_Firebird_40) return;
    if (!Is(syIBWith, "WITH") && !IsWord("WITHOUT")) return;
    Field.WithTimeZone = Symb == syIBWith || IsWord("WITH");
    NextToken();
    ExpectIs(syIBTime, "TIME");
    NextToken();
    ExpectWord("ZONE");
    NextToken();
}

// DEFAULT, NOT NULL, COLLATE, constraints and GENERATED ALWAYS AS, then
// COMPUTED [BY]: a computed field keeps its expression's text.
void TIbParser::ReadAttributesAndComputedBy(TFldData& Field, bool IsDomain)
{
    bool computed = ParseColumnAttributes(Field, IsDomain);
    if (Is(syIBComputed, "COMPUTED")) {
        NextToken();
        if (Is(syIBBy, "BY")) NextToken();
        Expect(syLParen);
        computed = true;
    }
    if (computed) ReadBodyText(&Field, TokenStart);
}

// Tables link their columns' domains as they file them; a routine, trigger,
// package or view uses the domain of a parameter, variable or cast.
void TIbParser::LinkDomainUser(TFldData& Field)
{
    TDbObj* user = DomainUser(Field);
    if (Collection() == nullptr || user == nullptr) return;
    if (dynamic_cast<TPrcData*>(user) != nullptr || dynamic_cast<TTrgData*>(user) != nullptr ||
        dynamic_cast<TPkgData*>(user) != nullptr || dynamic_cast<TViwData*>(user) != nullptr)
        AddDepend(user, Collection()->FindDomain(Field.DomainName), {});
}

TDbObj* TIbParser::DomainUser(TFldData& Field) { return Field.Parent; }

// [n] is 1:n; [l:u] keeps both bounds with their signs.
void TIbParser::ParseArrayDims(TFldData& Field)
{
    if (Symb != syLBracket) return;
    do {
        NextAndExpect(syInteger);
        TArrayBound bound;
        bound.Lower = static_cast<std::int32_t>(IntValueInRange(kMinInt32, kMaxInt32));
        NextToken();
        if (Symb == syColon) {
            NextAndExpect(syInteger);
            bound.Upper = static_cast<std::int32_t>(IntValueInRange(kMinInt32, kMaxInt32));
            NextToken();
        } else {
            bound.Upper = bound.Lower;
            bound.Lower = 1;
        }
        Field.ArrayBounds.push_back(bound);
    } while (Symb == syComma);
    ExpectAndNext(syRBracket);
}

bool TIbParser::ParseColumnAttributes(TFldData& Field, bool IsDomain)
{
    if (IsWord("GENERATED")) {
        NextToken();
        if (IsWord("ALWAYS")) {
            // GENERATED ALWAYS AS (expr) is COMPUTED BY (expr); read by the
            // caller at its "(".
            NextToken();
            ExpectIs(syIBAs, "AS");
            NextToken();
            if (Symb == syLParen) return true;
        } else {
            ExpectIs(syIBBy, "BY");
            NextToken();
            ExpectIs(syIBDefault, "DEFAULT");
            NextToken();
            ExpectIs(syIBAs, "AS");
            NextToken();
        }
        ExpectWord("IDENTITY");
        Field.Identity = true;
        NextToken();
        if (Symb == syLParen) ParseIdentityOptions(Field);
    }
    for (TLoopGuard guard(*this);; guard.Turn()) {
        if (Is(syIBDefault, "DEFAULT") || Symb == syEqual) {
            Field.DefaultWord = Symb == syEqual ? "=" : GetText(TokenStart, 7);
            NextToken();
            std::string text;
            const std::int64_t start = TokenStart;
            ParseDefault(Field, text);
            // Kept even where it repeats the domain's: a parameter never takes
            // its domain's default, and a column's own stays the column's.
            // The server keeps the comments up to the next token with it.
            const std::int64_t end = start + static_cast<std::int64_t>(text.size());
            Field.DefaultValue = text + CommentsBetween(end, TokenStart);
        } else if (Symb == syIBNot) {
            NextToken();
            ExpectIs(syIBNull, "NULL");
            Field.Nullable = false;
            NextToken();
        } else if (Symb == syIBNull) {
            NextToken();
        } else if (Is(syIBCollate, "COLLATE")) {
            NextToken();
            Field.Collation = ExpectName();
            NextToken();
        } else if (Symb == syIBBy) {
            NextToken();
            if (Is(syIBDescriptor, "DESCRIPTOR")) Field.ByDescriptor = true;
            else if (Is(syIBValue, "VALUE")) Field.ByValue = true;
            else ParseError("Must be: BY DESCRIPTOR / BY VALUE");
            NextToken();
        } else if (Symb == syIBForeign || Symb == syIBPrimary || Symb == syIBUnique || Symb == syIBReferences) {
            ParseTableConstraint(nullptr, &Field, {}, nullptr, false);
        } else if (Symb == syIBCheck) {
            if (IsDomain) {
                NextToken();
                ReadDomainCheck(Field);
            } else ParseTableConstraint(nullptr, &Field, {}, nullptr, false);
        } else if (Symb == syIBConstraint) {
            if (IsDomain) {
                NextToken();
                Field.CheckName = ExpectName();
                NextToken();
                ExpectIs(syIBCheck, "CHECK");
            } else {
                ParseNamedConstraint(&Field, nullptr, {}, false);
            }
        } else {
            break;
        }
    }
    return false;
}

// The comments of the source from From to To, as written; a "--" comment
// that reaches To keeps its line break, so that nothing after it joins it.
// Empty when there are none: "null -- x\n" keeps " -- x\n".
std::string TIbParser::CommentsBetween(std::int64_t From, std::int64_t To)
{
    if (To <= From) return {};
    const std::string gap = GetText(From, To - From);
    if (gap.find("--") == std::string::npos && gap.find("/*") == std::string::npos) return {};
    std::string text = TrimRight(gap);
    const std::size_t lineStart = text.find_last_of('\n');
    const std::string lastLine = text.substr(lineStart == std::string::npos ? 0 : lineStart + 1);
    if (lastLine.find("--") != std::string::npos) text += "\n";
    return text;
}

// "(START WITH n INCREMENT [BY] n)", either part alone, in either order.
// The identity's generator keeps each as written (64 bits, a sign), so
// that the column is written again with what it was given.
void TIbParser::ParseIdentityOptions(TFldData& Field)
{
    NextToken();
    for (TLoopGuard guard(*this); Symb != syRParen; guard.Turn()) {
        std::int32_t* value = nullptr;
        std::string* text = nullptr;
        TGnrData* generator = Field.IdentityGenerator.get();
        if (IsWord("START")) {
            NextToken();
            ExpectIs(syIBWith, "WITH");
            value = &Field.IdentitySeed;
            if (generator != nullptr) text = &generator->StartWith;
        } else if (IsWord("INCREMENT")) {
            if (PeekWord("BY")) NextToken();
            value = &Field.IdentityIncrement;
            if (generator != nullptr) text = &generator->IncrementBy;
        } else {
            ParseError("Must be: START WITH / INCREMENT BY");
        }
        NextAndExpect(syInteger);
        const std::int64_t n = IntValueInRange(std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max());
        // The model's numbers keep 32 bits; the text keeps any start.
        if (value != nullptr && n >= kMinInt32 && n <= kMaxInt32) *value = static_cast<std::int32_t>(n);
        if (text != nullptr) *text = ValueText;
        NextToken();
        if (Symb == syComma) NextToken();
    }
    NextToken();
}

void TIbParser::ParseDefault(TFldData& /*Field*/, std::string& Text)
{
    const std::int64_t start = TokenStart;
    switch (SymbCode(Symb)) {
    case SymbCode(syIBNull):
    case SymbCode(syIBUser):
    case SymbCode(syIBCurrentDate):
    case SymbCode(syIdent):
    case SymbCode(syInteger):
    case SymbCode(syFloat):
    case SymbCode(syString): break;
    case SymbCode(syIBCurrentTime):
    case SymbCode(syIBCurrentTimestamp): {
        // "(precision)" directly after belongs to the value.
        const TParseContext before(this);
        NextToken();
        if (Symb == syLParen) {
            NextAndExpect(syInteger);
            NextAndExpect(syRParen);
        } else {
            before.Restore();
        }
        break;
    }
    case SymbCode(syPlus):
    case SymbCode(syMinus):
        NextToken();
        if (Symb != syInteger && Symb != syFloat) ParseError("DEFAUT <value> error...");
        break;
    case SymbCode(syIBCharset): NextAndExpect(syString); break;
    default: ParseError("DEFAUT <value> error..."); break;
    }
    Text = GetText(start, NextPos - 1 - start);
    Text = Trim(Text);
    NextToken();
}

void TIbParser::ParseColumnList(TOwnedNameList<TFldData>& List)
{
    Expect(syLParen);
    do {
        NextToken();
        const std::string name = ExpectName();
        List.Add(name, std::make_unique<TFldData>(Objs()))->SetName(name);
        NextToken();
    } while (Symb == syComma);
    ExpectAndNext(syRParen);
}

void TIbParser::ParseUsingIndex(TCtrData& Ctr, std::string& Text)
{
    Text.clear();
    if (!Is(syIBUsing, "USING")) return;
    Text = "USING ";
    NextToken();
    if (Symb == syIBAsc || IsWord("ASC") || IsWord("ASCENDING")) {
        NextToken();
    } else if (Symb == syIBDesc || IsWord("DESC") || IsWord("DESCENDING")) {
        Text += "DESC ";
        Ctr.DescIndex = true;
        NextToken();
    }
    Text += "INDEX ";
    ExpectIs(syIBIndex, "INDEX");
    NextToken();
    Ctr.IndexName = ExpectName();
    Text += QuoteName(Ctr.IndexName);
    NextToken();
}

void TIbParser::ParseReferences(TTblData* Table, TCtrData& Ctr)
{
    NextToken();
    ExpectIs(syIBKey, "KEY");
    NextToken();
    ParseColumnList(Ctr.Fields);
    ExpectIs(syIBReferences, "REFERENCES");
    ParseReferencesTail(Table, Ctr);
}

// From REFERENCES: the referenced table, its columns, the rules and USING.
void TIbParser::ParseReferencesTail(TTblData* Table, TCtrData& Ctr)
{
    NextToken();
    Ctr.SetRefTableName(ExpectName());
    NextToken();
    TTblData* refTable = Collection() != nullptr ? Collection()->FindTable(Ctr.RefTableName()) : nullptr;
    if (Symb == syLParen) ParseColumnList(Ctr.RefFields);
    AddDepend(&Ctr, Table, {});
    AddDepend(&Ctr, refTable, {});
    while (Symb == syIBOn) {
        NextToken();
        std::uint8_t* rule = nullptr;
        if (Symb == syIBUpdate) rule = &Ctr.UpdateRule;
        else if (Symb == syIBDelete) rule = &Ctr.DeleteRule;
        else ParseError("Missing: UPDATE/DELETE");
        NextToken();
        std::uint8_t ignored = 0;
        if (rule == nullptr) rule = &ignored;
        if (Symb == syIBNo) {
            NextToken();
            if (!Is(syIBAction, "ACTION")) ParseError("Must be: ACTION");
        } else if (Is(syIBCascade, "CASCADE")) {
            *rule = 2;
        } else if (Symb == syIBSet) {
            NextToken();
            if (Symb == syIBDefault) *rule = 3;
            else if (Symb == syIBNull) *rule = 4;
            else ParseError("Missing: DEFAULT/NULL");
        } else {
            ParseError("Unknown action into UPDATE/DELETE rule.");
        }
        NextToken();
    }
    std::string usingText;
    ParseUsingIndex(Ctr, usingText);
    DoLogNextLine("Foreign key 1: " + Ctr.GetCreateDDL());
}

void TIbParser::ReadCheckBody(TCtrData& Ctr) { ReadBodyText(&Ctr, -1); }

// A known table's constraints are among what uses it, so that a load asks
// its own table only, not every constraint filed so far; the constraints of
// a table the script never created are all looked at.
TCtrData* TIbParser::FindPrimaryKey(TTblData* Table, const std::string& TableName) const
{
    const auto isKey = [&](TDbObj* Obj) {
        auto* ctr = dynamic_cast<TCtrData*>(Obj);
        return ctr != nullptr && ctr->ConstraintKind() == ckPrimaryKey && ctr->TableName() == TableName ? ctr : nullptr;
    };
    if (Table != nullptr) {
        for (const auto& link : Table->UsedBy)
            if (TCtrData* ctr = isKey(link.Object->Target)) return ctr;
        return nullptr;
    }
    if (Collection() != nullptr)
        for (const auto& item : Collection()->Constraints)
            if (TCtrData* ctr = isKey(item.Object)) return ctr;
    return nullptr;
}

void TIbParser::ParseTableConstraint(std::unique_ptr<TCtrData> Ctr, TFldData* Field, const std::string& TableName,
                                     TTblData* Table, bool SetsKind, bool InTable)
{
    if (!Ctr) Ctr = std::make_unique<TCtrData>(Objs());
    TPendingObject<TCtrData> pending(*this, std::move(Ctr));
    TCtrData& ctr = *pending;
    ctr.SetTableName(Table != nullptr ? Table->Name() : TableName);
    if (Field != nullptr) {
        ctr.Fields.Add(Field->Name(), std::make_unique<TFldData>(Objs()))->SetName(Field->Name());
        ctr.SetTableName(Field->TableName);
        if (Table == nullptr) Table = dynamic_cast<TTblData*>(Field->Parent);
    }
    const bool named = !ctr.Name().empty();
    std::string usingText;
    std::string log;
    TDbObject kind = dboConstraint;
    bool discard = false;
    // Inside CREATE TABLE the table's own log lines are written.
    const auto inTableLog = [&](const char* Own, const char* InTableText) {
        return std::string(InTable ? (named ? "Constraint: " : InTableText) : Own);
    };
    if (Symb == syIBPrimary) {
        ctr.SetConstraintKind(ckPrimaryKey);
        kind = dboPKey;
        if (SetsKind) SetKind(stStatement, ctr.Name(), kind, odbCreate);
        NextToken();
        ExpectIs(syIBKey, "KEY");
        NextToken();
        if (Symb == syLParen) ParseColumnList(ctr.Fields);
        ParseUsingIndex(ctr, usingText);
        if (const TCtrData* other = FindPrimaryKey(Table, ctr.TableName())) {
            AddWarning("Duplicate Primary Key, Table: " + QuoteName(ctr.TableName()) + " (convert to Unique)");
            AddWarning(other->GetCreateDDL());
            AddWarning(ctr.GetCreateDDL());
            ctr.SetConstraintKind(ckUnique);
            AddWarning(ctr.GetCreateDDL());
            AddWarning({});
            discard = true;
        }
        log = inTableLog("Primary key: ", "Primary Key: ");
    } else if (Symb == syIBUnique) {
        ctr.SetConstraintKind(ckUnique);
        kind = dboUnique;
        if (SetsKind) SetKind(stStatement, ctr.Name(), kind, odbCreate);
        NextToken();
        if (Symb == syLParen) ParseColumnList(ctr.Fields);
        ParseUsingIndex(ctr, usingText);
        log = inTableLog("Unique: ", "Unique: ");
    } else if (Symb == syIBForeign || Symb == syIBReferences) {
        ctr.SetConstraintKind(ckForeignKey);
        kind = dboFKey;
        if (SetsKind) SetKind(stStatement, ctr.Name(), kind, odbCreate);
        if (Symb == syIBForeign) ParseReferences(Table, ctr);
        else ParseReferencesTail(Table, ctr);
        if (Collection() != nullptr && Collection()->Constraints.Find(ctr.GetKey()) != nullptr) {
            AddWarning("Duplicate Foreign Key:");
            AddWarning(ctr.GetCreateDDL());
            AddWarning({});
            discard = true;
        }
        log = inTableLog("Foreign key 2: ", "Foreign key 2: ");
    } else if (Symb == syIBCheck) {
        ctr.SetConstraintKind(ckCheck);
        kind = dboCheck;
        if (SetsKind) SetKind(stStatement, ctr.Name(), kind, odbCreate);
        NextToken();
        ReadCheckBody(ctr);
        log = inTableLog("Check: ", "Check: ");
    } else {
        pending.Release();
        return;
    }
    AddDepend(&ctr, Table, {});
    DoLogNextLine(log + ctr.GetCreateDDL());
    if (SetsKind) StatementKind.ObjType = kind;
    const bool tool = Collection() != nullptr && Collection()->IBServerOptions().IBCompareOptions().IgnoreToolObjects &&
                      (IsToolObjectName(ctr.Name()) || IsToolObjectName(ctr.TableName()));
    // A discarded constraint goes with its links (its destructor).
    if (discard || tool) pending.Release();
    else pending.File();
}

void TIbParser::ParseNamedConstraint(TFldData* Field, TTblData* Table, const std::string& TableName,
                                     bool SetsKind, bool InTable)
{
    ExpectIs(syIBConstraint, "CONSTRAINT");
    NextToken();
    auto ctr = std::make_unique<TCtrData>(Objs());
    ctr->SetName(ExpectName());
    NextToken();
    if (Symb == syIBNot && Field != nullptr) {
        // A column's named NOT NULL: the server's constraint, the column's flag.
        NextToken();
        ExpectIs(syIBNull, "NULL");
        Field->Nullable = false;
        NextToken();
        return;
    }
    if (Symb != syIBPrimary && Symb != syIBUnique && Symb != syIBForeign && Symb != syIBCheck &&
        Symb != syIBReferences)
        ParseError("Missing: PRIMARY... or UNIQUE...");
    ParseTableConstraint(std::move(ctr), Field, TableName, Table, SetsKind, InTable);
}

void TIbParser::ParseCreateTable(bool Temporary)
{
    ExpectIs(syIBTable, "TABLE");
    NextToken();
    const std::string name = ExpectName();
    SetKind(stStatement, name, dboTable, odbCreate);
    DoLogNextLine("Table: " + name);
    TPendingObject<TTblData> table(*this, std::make_unique<TTblData>(Objs()));
    table->SetName(name);
    table->GlobalTemporary = Temporary;
    CurrentTableName = name;
    // Known by name to its own computed columns and checks until it is filed.
    struct TInCreation {
        TTblData*& Table;
        ~TInCreation() { Table = nullptr; }
    } inCreation{TableInCreation = table.get()};
    NextToken();
    if (Is(syIBExternal, "EXTERNAL")) {
        NextToken();
        if (Is(syIBFile, "FILE")) NextToken();
        Expect(syString);
        table->ExternalFile = ValueText;
        NextToken();
    }
    Expect(syLParen);
    do {
        NextToken();
        CurrentFieldName.clear();
        if (Symb == syIdent || Symb == syString) {
            // Filed before its type is read: a column in error keeps its name.
            const std::string columnName = ExpectName(true);
            TFldData* field = table->Fields.Add(columnName, std::make_unique<TFldData>(Objs(), table.get()));
            field->SetName(columnName);
            field->TableName = name;
            CurrentFieldName = columnName;
            NextToken();
            ParseDataType(*field, false);
            if (field->DataType == dtDomain && Collection() != nullptr)
                if (TDmnData* domain = Collection()->FindDomain(field->DomainName))
                    AddDepend(table.get(), domain, field->Name());
        } else if (Symb == syIBConstraint) {
            ParseNamedConstraint(nullptr, table.get(), name, false, true);
        } else if (Symb == syIBPrimary || Symb == syIBUnique || Symb == syIBForeign || Symb == syIBCheck) {
            ParseTableConstraint(nullptr, nullptr, name, table.get(), false, true);
        } else {
            break;
        }
    } while (Symb == syComma);
    CurrentFieldName.clear();
    ExpectAndNext(syRParen);
    if (Symb == syIBOn) {
        NextToken();
        ExpectIs(syIBCommit, "COMMIT");
        NextToken();
        if (Symb == syIBDelete) table->OnCommit = 1;
        else if (Is(syIBPreserve, "PRESERVE")) table->OnCommit = 2;
        else ParseError("Must be: DELETE ROWS / PRESERVE ROWS.");
        NextToken();
        ExpectIs(syIBRows, "ROWS");
        NextToken();
    }
    Emit();
    table.File();
    CurrentTableName.clear();
}

// Clauses separated by commas; the statement's kind is that of its one
// clause (a column or constraint added, altered or dropped), else the
// table's:
//   ALTER TABLE T ADD C INTEGER, ALTER COLUMN D SET DEFAULT 5, DROP E
void TIbParser::ParseAlterTable()
{
    NextToken();
    const std::string name = ExpectName();
    SetKind(stStatement, name, dboTable, odbAlter);
    TTblData* table = Collection() != nullptr ? Collection()->FindTable(name) : nullptr;
    CurrentTableName = name;
    NextToken();
    int clauses = 0;
    for (TLoopGuard guard(*this);; guard.Turn()) {
        if (++clauses == 2) SetKind(stStatement, name, dboTable, odbAlter);
        ParseAlterTableClause(name, table, clauses == 1);
        if (Symb != syComma) break;
        NextToken();
    }
    Emit();
}

void TIbParser::ParseAlterTableClause(const std::string& Name, TTblData* Table, bool Kind)
{
    if (Symb == syIBAdd) {
        NextToken();
        if (Symb == syIBForeign || Symb == syIBCheck || Symb == syIBPrimary || Symb == syIBUnique) {
            ParseTableConstraint(nullptr, nullptr, Name, Table, Kind);
        } else if (Symb == syIBConstraint) {
            ParseNamedConstraint(nullptr, Table, Name, Kind);
        } else {
            if (Is(syIBColumn, "COLUMN") && !PeekIs(syComma) && !PeekIs(syTerminator)) NextToken();
            if (Kind) SetKind(stStatement, ExpectName(true), dboField, odbCreate, Name);
            std::unique_ptr<TFldData> column = ParseColumn(Table, true);
            CurrentFieldName.clear();
            if (Table == nullptr) return;
            const std::string columnName = column->Name();
            TFldData* field = Table->Fields.Add(columnName, std::move(column));
            if (field != nullptr && field->DataType == dtDomain && Collection() != nullptr)
                if (TDmnData* domain = Collection()->FindDomain(field->DomainName)) AddDepend(Table, domain, field->Name());
        }
    } else if (Symb == syIBAlter) {
        NextToken();
        // Firebird takes ALTER [COLUMN]: the word is optional here.
        if (Is(syIBColumn, "COLUMN") && !PeekIs(syIBTo) && !PeekIs(syIBType)) NextToken();
        const std::string column = ExpectName();
        if (Kind) SetKind(stStatement, column, dboField, odbAlter, Name);
        NextToken();
        TFldData scratch(Objs());
        TFldData* found = Table != nullptr ? Table->Fields.Find(column) : nullptr;
        if (found != nullptr && Is(syIBPosition, "POSITION")) {
            NextAndExpect(syInteger);
            MoveColumn(*Table, *found, static_cast<int>(IntValueInRange(1, std::numeric_limits<std::int32_t>::max())));
            NextToken();
            return;
        }
        ParseAlterColumn(found != nullptr ? *found : scratch);
        if (found != nullptr && found->Name() != column) {
            const std::string newName = found->Name();
            found->SetName(column);
            const bool taken = Table->Fields.IndexOf(newName) >= 0;
            const std::string user = taken ? std::string() : ColumnUser(*Table, *found, nullptr);
            if (!taken && user.empty()) {
                found->SetName(newName);
                RenameColumn(*Table, *found, column);
            } else {
                AddWarning("ALTER COLUMN " + column + " TO " + newName + ": " +
                           (taken ? Name + " has a column " + newName + " already" : "the column is used by " + user) +
                           "; the server refuses the rename, and the collection keeps the name.");
            }
        }
    } else if (Symb == syIBDrop) {
        NextToken();
        if (Symb == syIBConstraint) {
            NextToken();
            const std::string constraint = ExpectName();
            if (Kind) SetKind(stStatement, constraint, dboConstraint, odbDrop, Name);
            if (Collection() != nullptr)
                if (TCtrData* ctr = Collection()->FindConstraint(constraint); ctr != nullptr && ctr->TableName() == Name)
                    DropConstraint(*ctr);
        } else if (Symb == syIdent) {
            const std::string column = ExpectName();
            if (Kind) SetKind(stStatement, column, dboField, odbDrop, Name);
            if (Table != nullptr) DropColumn(*Table, column);
        } else {
            ParseError("Unknown ALTER TABLE <table-name> DROP statement");
        }
        NextToken();
    } else {
        ParseError("Unknown symbol");
    }
}

// SET DEFAULT v, SET NOT NULL, DROP DEFAULT or DROP NOT NULL at the current
// SET or DROP, into Field; False, with nothing read, for another clause.
bool TIbParser::ParseNullOrDefault(TFldData& Field)
{
    if (Symb != syIBSet && Symb != syIBDrop) return false;
    const bool set = Symb == syIBSet;
    if (!PeekIs(syIBDefault, "DEFAULT") && !PeekIs(syIBNot, "NOT")) return false;
    NextToken();
    if (Is(syIBDefault, "DEFAULT")) {
        Field.DefaultWord = GetText(TokenStart, 7);
        NextToken();
        if (!set) {
            Field.DefaultValue.clear();
            return true;
        }
        std::string text;
        ParseDefault(Field, text);
        Field.DefaultValue = text;
        return true;
    }
    NextToken();
    ExpectIs(syIBNull, "NULL");
    Field.Nullable = !set;
    NextToken();
    return true;
}

// What follows ALTER [COLUMN] c: the column keeps what the server keeps.
void TIbParser::ParseAlterColumn(TFldData& Field)
{
    if (ParseNullOrDefault(Field)) return;
    if (Is(syIBTo, "TO")) {
        // The caller moves what holds the old name along.
        NextToken();
        const std::string name = ExpectName(true);
        if (!name.empty()) Field.SetName(name);
        NextToken();
    } else if (Is(syIBType, "TYPE")) {
        NextToken();
        ParseDataType(Field, false);
    } else if (Is(syIBPosition, "POSITION")) {
        NextAndExpect(syInteger);
        NextToken();
    } else if (Symb == syIBSet) {
        // SET GENERATED ALWAYS / BY DEFAULT, SET INCREMENT [BY] n
        for (TLoopGuard guard(*this); Symb != syComma && Symb != syTerminator && Symb != syEOF; guard.Turn())
            NextToken();
    } else if (Symb == syIBDrop) {
        NextToken();
        if (IsWord("IDENTITY")) Field.Identity = false;
        else ParseError("Must be: DROP DEFAULT / DROP NOT NULL / DROP IDENTITY");
        NextToken();
    } else if (IsWord("RESTART")) {
        NextToken();
        if (Is(syIBWith, "WITH")) {
            NextAndExpect(syInteger);
            NextToken();
        }
    } else if (Is(syIBComputed, "COMPUTED") || IsWord("GENERATED")) {
        NextToken();
        if (Is(syIBBy, "BY")) NextToken();
        if (IsWord("ALWAYS")) {
            NextToken();
            ExpectIs(syIBAs, "AS");
            NextToken();
        }
        Expect(syLParen);
        ReadBodyText(&Field, TokenStart);
    } else {
        ParseError("Unknown ALTER COLUMN clause");
    }
}

// ---- what a drop or a rename changes ----

namespace {

// Gives the entries whose object Pred accepts the name Name, in place.
template <class T, class Pred>
void RenameEntries(TOwnedNameList<T>& List, Pred pred, const std::string& Name)
{
    std::vector<std::pair<std::string, std::unique_ptr<T>>> items;
    for (int i = List.Count() - 1; i >= 0; --i) {
        const bool hit = List.Objects(i) != nullptr && pred(*List.Objects(i));
        std::string name = hit ? Name : List.Names(i);
        items.emplace_back(std::move(name), List.Extract(i));
    }
    for (auto it = items.rbegin(); it != items.rend(); ++it) List.Add(std::move(it->first), std::move(it->second));
}

} // namespace

// ALTER COLUMN C POSITION n: C becomes the n-th column (the last when n is
// larger), the others keep their order.
void TIbParser::MoveColumn(TTblData& Table, TFldData& Field, int Position)
{
    std::vector<std::pair<std::string, std::unique_ptr<TFldData>>> items;
    while (Table.Fields.Count() > 0) {
        const int last = Table.Fields.Count() - 1;
        std::string name = Table.Fields.Names(last);
        items.emplace(items.begin(), std::move(name), Table.Fields.Extract(last));
    }
    const auto it = std::find_if(items.begin(), items.end(), [&](const auto& Item) { return Item.second.get() == &Field; });
    if (it != items.end()) {
        auto moved = std::move(*it);
        items.erase(it);
        const std::size_t at = std::min(static_cast<std::size_t>(Position - 1), items.size());
        items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), std::move(moved));
    }
    for (auto& [name, field] : items) Table.Fields.Add(std::move(name), std::move(field));
}

// Each link is filed under the name of the object at its other end: the
// other ends' entries for Obj take its new name.
void TIbParser::RenameLinks(TDbObj& Obj)
{
    const std::string name = Obj.Name();
    const auto here = [&](TDependObj& Link) {
        if (Link.Target != &Obj) return false;
        Link.SetName(name);
        return true;
    };
    for (const auto& link : Obj.Uses)
        if (link.Object && link.Object->Target != nullptr && link.Object->Target != &Obj)
            RenameEntries(link.Object->Target->UsedBy, here, name);
    for (const auto& link : Obj.UsedBy)
        if (link.Object && link.Object->Target != nullptr && link.Object->Target != &Obj)
            RenameEntries(link.Object->Target->Uses, here, name);
}

// The grants on the columns of Table lose Column; a grant left with no
// column goes. How many grants named it.
static int DropGrantColumn(TObjs& Objs, const std::string& Table, const std::string& Column)
{
    std::vector<TGntData*> named;
    for (TGntData* g : Objs.Grants.ObjectsOf<TGntData>())
        if (g->Text.empty() && g->ObjectName == Table && g->Columns.IndexOf(Column) >= 0) named.push_back(g);
    for (TGntData* g : named) {
        g->Columns.Delete(g->Columns.IndexOf(Column));
        if (g->Columns.Empty()) Objs.DeleteObject(g);
    }
    return static_cast<int>(named.size());
}

// ALTER TABLE T ALTER C TO D: the server renames a column only when nothing
// but plain indexes refers to it; their key columns follow.
// Privileges on the column stay filed under its old name, where they do
// nothing until a column of that name comes back; as no GRANT can name a
// column the table lacks, a script holding them would fail and take the
// other columns of the same GRANT with it, so the collection drops them.
void TIbParser::RenameColumn(TTblData& Table, TFldData& Field, const std::string& OldName)
{
    const std::string name = Field.Name();
    RenameEntries(Table.Fields, [&](const TFldData& F) { return &F == &Field; }, name);
    RenameLinks(Field);
    if (Collection() == nullptr) return;
    if (DropGrantColumn(*Collection(), Table.Name(), OldName) > 0)
        AddWarning("ALTER COLUMN " + OldName + " TO " + name + ": the server keeps the privileges on " + OldName +
                   " under that name, which no GRANT can give while " + Table.Name() +
                   " has no such column; the collection drops them.");
    for (TIdxData* index : Collection()->Indexes.ObjectsOf<TIdxData>()) {
        if (index->TableName != Table.Name()) continue;
        RenameEntries(index->Fields, [&](TFldData& F) {
            if (F.Name() != OldName) return false;
            F.SetName(name);
            return true;
        }, name);
    }
}

// ALTER TABLE T DROP C: a check on the column alone goes with it (the
// server refuses the drop while anything else uses the column), so do the
// privileges on it, and the table no longer uses a domain that none of its
// columns is based on.
void TIbParser::DropColumn(TTblData& Table, const std::string& Column)
{
    const int i = Table.Fields.IndexOf(Column);
    if (i < 0 || Table.Fields.Objects(i) == nullptr) return;
    TFldData* field = Table.Fields.Objects(i);
    std::vector<TDbObj*> checks;
    if (const std::string user = ColumnUser(Table, *field, &checks); !user.empty()) {
        AddWarning("DROP " + Column + ": the column is used by " + user +
                   "; the server refuses the drop, and the collection keeps it.");
        return;
    }
    const std::string domain = field->DataType == dtDomain ? field->DomainName : std::string();
    if (Collection() != nullptr)
        for (TDbObj* ctr : checks) Collection()->DeleteObject(ctr);
    Table.Fields.Delete(i);
    if (Collection() != nullptr) DropGrantColumn(*Collection(), Table.Name(), Column);
    if (domain.empty() || Collection() == nullptr) return;
    for (const auto& item : Table.Fields)
        if (item.Object && item.Object->DataType == dtDomain && item.Object->DomainName == domain) return;
    if (TDmnData* used = Collection()->FindDomain(domain)) Collection()->RemoveObjectLinks(Table, used);
}

// A key that a foreign key refers to stays: the server refuses its drop.
void TIbParser::DropConstraint(TCtrData& Ctr)
{
    const bool key = Ctr.ConstraintKind() == ckPrimaryKey || Ctr.ConstraintKind() == ckUnique;
    const auto sameColumns = [&](const TCtrData& Fk) {
        if (Fk.RefFields.Empty()) return Ctr.ConstraintKind() == ckPrimaryKey;
        if (Fk.RefFields.Count() != Ctr.Fields.Count()) return false;
        for (int i = 0; i < Fk.RefFields.Count(); ++i)
            if (Ctr.Fields.IndexOf(Fk.RefFields.Names(i)) < 0) return false;
        return true;
    };
    if (key)
        for (const TCtrData* fk : Collection()->Constraints.ObjectsOf<TCtrData>())
            if (fk->ConstraintKind() == ckForeignKey && fk->RefTableName() == Ctr.TableName() && sameColumns(*fk)) {
                AddWarning("DROP CONSTRAINT " + Ctr.Name() + ": the key is used by " + fk->Name() +
                           "; the server refuses the drop, and the collection keeps it.");
                return;
            }
    Collection()->DeleteObject(&Ctr);
}

// A drop takes the column's own constraints (a key or check on it alone)
// along, into Gone, and goes when nothing else uses the column; a rename
// (Gone nullptr) goes when nothing but plain indexes does (their keys
// follow). Keys are held by name, the rest by links.
std::string TIbParser::ColumnUser(const TTblData& Table, const TFldData& Field, std::vector<TDbObj*>* Gone) const
{
    const auto onlyThisColumn = [&](const TCtrData& Ctr) {
        for (const auto& link : Ctr.Uses) {
            const auto* column = dynamic_cast<const TFldData*>(link.Object->Target);
            if (column != nullptr && column->Parent == &Table && column != &Field) return false;
        }
        return true;
    };
    const auto holds = [&](const TOwnedNameList<TFldData>& Keys) { return Keys.IndexOf(Field.Name()) >= 0; };
    const auto alone = [&](const TOwnedNameList<TFldData>& Keys) { return Keys.Count() == 1 && holds(Keys); };
    const auto goes = [&](TCtrData* Ctr) {
        if (Gone == nullptr) return false;
        if (std::find(Gone->begin(), Gone->end(), Ctr) == Gone->end()) Gone->push_back(Ctr);
        return true;
    };
    for (const auto& link : Field.UsedBy) {
        TDbObj* user = link.Object->Target;
        if (user == nullptr || user == &Field) continue;
        auto* ctr = dynamic_cast<TCtrData*>(user);
        if (ctr != nullptr && ctr->ConstraintKind() == ckCheck && onlyThisColumn(*ctr) && goes(ctr)) continue;
        return UserName(*user);
    }
    if (Collection() == nullptr) return {};
    std::vector<const TCtrData*> keys;
    for (TCtrData* ctr : Collection()->Constraints.ObjectsOf<TCtrData>()) {
        if (ctr->ConstraintKind() == ckCheck || ctr->TableName() != Table.Name() || !holds(ctr->Fields)) continue;
        if (!alone(ctr->Fields) || !goes(ctr)) return ctr->Name().empty() ? ctr->GetCreateDDL() : ctr->Name();
        keys.push_back(ctr);
    }
    // A foreign key on the column, or on a key that goes with it.
    for (const TCtrData* ctr : Collection()->Constraints.ObjectsOf<TCtrData>()) {
        if (ctr->ConstraintKind() != ckForeignKey || ctr->RefTableName() != Table.Name()) continue;
        if (std::find(keys.begin(), keys.end(), ctr) != keys.end()) continue;
        if (holds(ctr->RefFields) || (ctr->RefFields.Empty() && !keys.empty()))
            return ctr->Name().empty() ? ctr->GetCreateDDL() : ctr->Name();
    }
    if (Gone != nullptr)
        for (const TIdxData* index : Collection()->Indexes.ObjectsOf<TIdxData>())
            if (index->TableName == Table.Name() && holds(index->Fields)) return index->Name();
    return {};
}

} // namespace qel
