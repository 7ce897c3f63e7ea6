// CREATE TABLE and ALTER TABLE: tables, columns, data types and constraints.
#include "qelMSSQLScriptParserPrivate.h"

#include "qelComp_Ctr.h"
#include "qelComp_Fld.h"
#include "qelComp_Idx.h"
#include "qelComp_Tbl.h"
#include "qelObjs.h"
#include "qelText.h"

#include <array>
#include <string_view>
#include <utility>

namespace qel {

namespace {

// Type codes of DataTypeNames the parser sets.
constexpr std::uint8_t dtInteger = 1, dtFloat = 3, dtDoublePrecision = 4, dtReal = 9, dtDouble = 10,
                       dtVarchar = 14, dtChar = 15, dtTime = 19, dtTimestamp = 20, dtDatetime2 = 24,
                       dtDatetimeOffset = 26, dtBinary = 44, dtNumeric = 46, dtDecimal = 47, dtNChar = 49,
                       dtNVarchar = 50, dtVarbinary = 76, dtCursor = 82, dtCursorVarying = 83, dtTable = 84,
                       dtXml = 85;

struct TTypeWord {
    std::string_view Word;
    std::uint8_t Code;
};

// The type words of the dialect and the codes they read as.
constexpr std::array<TTypeWord, 35> kTypeWords{{
    {"INT", dtInteger},        {"INTEGER", dtInteger},  {"BIGINT", 2},          {"SMALLINT", 54},
    {"TINYINT", 8},            {"BIT", 71},             {"DECIMAL", dtDecimal}, {"DEC", dtDecimal},
    {"NUMERIC", dtNumeric},    {"MONEY", 73},           {"SMALLMONEY", 74},     {"FLOAT", dtFloat},
    {"DOUBLE", dtDouble},      {"REAL", dtReal},        {"DATE", 18},           {"DATETIME", 23},
    {"TIME", dtTime},          {"CHAR", dtChar},        {"CHARACTER", dtChar},  {"VARCHAR", dtVarchar},
    {"TEXT", 48},              {"NCHAR", dtNChar},      {"NCHARACTER", dtNChar}, {"NVARCHAR", dtNVarchar},
    {"NTEXT", 52},             {"BINARY", dtBinary},    {"VARBINARY", dtVarbinary}, {"IMAGE", 77},
    {"TIMESTAMP", dtTimestamp}, {"UNIQUEIDENTIFIER", 79}, {"SYSNAME", 80},     {"SQL_VARIANT", 81},
    {"XML", dtXml},            {"SMALLDATETIME", 25},   {"DATETIME2", dtDatetime2},
}};

// The one-column key list entry of a constraint or index.
std::unique_ptr<TFldData> KeyColumn(TCustomObjs* Objs, TDbObj* Owner, const std::string& Name, std::uint8_t Order)
{
    auto field = std::make_unique<TFldData>(Objs, Owner);
    field->SetName(Name);
    field->SortOrder = Order;
    return field;
}

} // namespace

int TMSSQLParser::DataTypeCode()
{
    std::string word;
    if (Symb == syIdent) word = UpperCase(TokenText);
    else if (Symb == syString && QuoteChar == '"') word = UpperCase(ValueText);
    else if (Symb == syMSDouble) return dtDouble;
    else if (Symb == syMSCursor) return dtCursor;
    else if (Symb == syMSTable) return dtTable;
    else return 0;
    if (word == "DATETIMEOFFSET") return dtDatetimeOffset;
    for (const TTypeWord& t : kTypeWords)
        if (t.Word == word) return t.Code;
    return 0;
}

void TMSSQLParser::ParseCreateTable(TTblData* Context, bool Scratch)
{
    if (Symb == syMSTable) NextToken();
    std::unique_ptr<TTblData> owned;
    TTblData* table = Context;
    if (table == nullptr) {
        owned = std::make_unique<TTblData>(Objs());
        table = owned.get();
    }
    bool temporary = false;
    if (Context == nullptr || Symb != syLParen) {
        ParseObjectName(dboTable, true);
        table->SetSchema(NameOwner);
        table->SetName(NameObject);
        temporary = NameObject.size() >= 2 && NameObject[0] == '#' && NameObject[1] != '#';
    }
    // Temporary and scratch tables, and the tables of types and routines,
    // keep their constraints to themselves.
    const bool script = Context == nullptr && !temporary && !Scratch;
    if (Context == nullptr) StatementKind = {TStatType::stStatement, table->Name(), dboTable, TDbOperation::odbCreate, {}};
    // A graph table may have no columns of its own (CREATE TABLE e AS
    // EDGE), a FileTable never has (AS FILETABLE WITH ( ... )).
    if (Symb == syMSAs && (PeekWord() == "NODE" || PeekWord() == "EDGE" || PeekWord() == "FILETABLE")) Skip(2);
    else ParseTableElements(*table, script);
    std::string fileGroup;
    for (TLoopGuard guard(*this);; guard.Turn()) {
        if (IsWord("LOCK")) {
            NextToken();
            if (!IsWord("DATAROWS") && !IsWord("DATAPAGES") && !IsWord("ALLPAGES"))
                ParseError("Must be: DATAROWS / DATAPAGES / ALLPAGES");
            NextToken();
        } else if (Symb == syMSOn || IsWord("TEXTIMAGE_ON") || IsWord("FILESTREAM_ON")) {
            ParseFileGroup(fileGroup);
        } else if (Symb == syMSWith && PeekNonBlank() == '(') {
            NextToken();
            SkipParens();
        } else if (Symb == syMSAs && (PeekWord() == "NODE" || PeekWord() == "EDGE")) {
            // A graph table
            Skip(2);
        } else {
            break;
        }
    }
    if (Context != nullptr) return;
    DoLogNextLine("Table: " + table->Name());
    if (script) Register(std::move(owned));
}

void TMSSQLParser::ParseTableElements(TTblData& Table, bool Register)
{
    ExpectAndNext(syLParen);
    for (TLoopGuard guard(*this);; guard.Turn()) {
        if (IsWord("CONNECTION") && PeekNonBlank() == '(') {
            // The edge constraint of a graph table left unnamed.
            SkipEdgeConnection();
        } else if (Symb == syIdent && !(IsWord("PERIOD") && PeekWord() == "FOR")) {
            ParseColumn(Table, Register);
        } else if (Symb == syMSConstraint) {
            ParseNamedConstraint(Register, nullptr, false, false, nullptr, &Table);
        } else if (Symb == syMSPrimary || Symb == syMSUnique || Symb == syMSCheck || Symb == syMSForeign) {
            ParseConstraint(Register, nullptr, &Table, nullptr);
        } else if (Symb == syMSIndex) {
            ParseInlineIndex(Table, Register, nullptr);
        } else if (IsWord("PERIOD")) {
            // PERIOD FOR SYSTEM_TIME (start, end)
            NextToken();
            ExpectAndNext(syMSFor);
            NextToken();
            SkipParens();
        } else {
            break;
        }
        if (Symb != syComma) break;
        NextToken();
    }
    ExpectAndNext(syRParen);
}

void TMSSQLParser::ParseInlineIndex(TTblData& Table, bool Register, TFldData* Field)
{
    auto index = std::make_unique<TIdxData>(Objs());
    NextToken();
    if (!IsNameToken()) Expect(syIdent);
    index->SetName(NameCase(TokenText));
    NextToken();
    index->TableName = Table.Name();
    index->SetSchema(Table.Schema());
    if (Symb == syMSUnique) {
        index->Unique = true;
        NextToken();
    }
    if (Symb == syMSClustered || Symb == syMSNonclustered) {
        index->Clustered = Symb == syMSClustered;
        NextToken();
    }
    // A columnstore index may leave its columns out (all of them); a hash
    // index of a memory-optimized table states its bucket count.
    const bool columnstore = IsWord("COLUMNSTORE");
    if (IsWord("HASH") || columnstore) NextToken();
    // A column's own index names its columns too when it has a list of
    // them: d datetime2 INDEX ix HASH (id) WITH (BUCKET_COUNT = 1024).
    if (Symb == syLParen || (Field == nullptr && !columnstore)) ParseColumnList(index->Fields, index.get());
    else if (Field != nullptr) index->Fields.Add(Field->Name(), KeyColumn(Objs(), index.get(), Field->Name(), 0));
    ParseIncludeAndFilter(*index);
    if (Symb == syMSWith) ParseIndexOptions(index->Options);
    if (Symb == syMSOn || IsWord("FILESTREAM_ON")) ParseFileGroup(index->FileGroup);
    if (Register) this->Register(std::move(index));
}

void TMSSQLParser::ParseIncludeAndFilter(TIdxData& Index)
{
    if (IsWord("INCLUDE")) {
        NextToken();
        ParseColumnList(Index.IncludeFields, &Index);
    }
    if (Symb == syMSWhere) {
        NextToken();
        const std::int64_t start = TokenStart;
        ParseExpression(nullptr);
        Index.Filter = GetTextFrom(start);
    }
}

TFldData* TMSSQLParser::ParseColumn(TTblData& Table, bool Register)
{
    auto owned = std::make_unique<TFldData>(Objs(), &Table);
    owned->TableName = Table.Name();
    owned->DataType = static_cast<std::uint8_t>(DataTypeCode());
    owned->SetName(TokenText);
    if (owned->DataType != dtTimestamp) NextToken();
    const std::string name = owned->Name();
    TFldData* field = Table.Fields.Add(name, std::move(owned));
    ParseColumnType(*field, Register, true);
    return field;
}

void TMSSQLParser::ParseColumnType(TFldData& Field, bool Register, bool AllowComputed)
{
    if (AllowComputed && Symb == syMSAs) {
        // A computed column: its expression up to the next element.
        NextToken();
        const std::int64_t start = TokenStart;
        ParseExpression(Field.Parent);
        Field.SetBody(GetTextFrom(start));
        if (IsWord("PERSISTED")) {
            Field.Persisted = true;
            NextToken();
        }
        ParseColumnOptions(Field, Register);
        return;
    }
    // NATIONAL CHAR[ACTER] [VARYING], NATIONAL TEXT: the N types.
    const bool national = IsAnyWord("NATIONAL") && (PeekWord() == "CHAR" || PeekWord() == "CHARACTER" ||
                                                    PeekWord() == "TEXT");
    if (national) NextToken();
    int code = DataTypeCode();
    if (national) code = code == dtChar ? dtNChar : 52;
    Field.DomainName.clear();
    Field.DomainSchema.clear();
    if (code == 0) {
        if (Symb == syIdent) {
            code = dtDomain;
            Field.DomainName = NameCase(TokenText);
        } else {
            ParseError("Unknown DataType: " + SymbName);
        }
    }
    Field.DataType = static_cast<std::uint8_t>(code);
    NextToken();
    if (code == dtDomain && Symb == syDot) {
        NextToken();
        if (!IsNameToken()) Expect(syIdent);
        Field.DomainSchema = Field.DomainName;
        Field.DomainName = NameCase(TokenText);
        NextToken();
    }
    // "timestamp" followed by a type: the word was the column's name.
    if (code == dtTimestamp && (Symb == syIdent || DataTypeCode() != 0)) {
        ParseColumnType(Field, Register, false);
        return;
    }
    if (Symb == syMSVarying && (code == dtChar || code == dtNChar || code == dtCursor)) {
        code = code == dtChar ? dtVarchar : code == dtNChar ? dtNVarchar : dtCursorVarying;
        NextToken();
    } else if (code == dtDouble && Symb == syMSPrecision) {
        code = dtDoublePrecision;
        NextToken();
    }
    Field.DataType = static_cast<std::uint8_t>(code);
    Field.Precision = code == dtFloat ? 53 : code == dtTime || code == dtDatetime2 || code == dtDatetimeOffset ? 7 : 0;
    Field.Scale = 0;
    switch (code) {
    case dtFloat:
    case dtTime:
    case dtDatetime2:
    case dtDatetimeOffset:
    case dtNumeric:
    case dtDecimal:
        if (Symb == syLParen) ParseSizeScale(Field);
        break;
    case dtChar:
    case dtVarchar:
    case dtNChar:
    case dtNVarchar:
    case dtBinary:
    case dtVarbinary:
        Field.Length = code == dtBinary || code == dtVarbinary ? 0 : 1;
        if (Symb == syLParen) {
            NextToken();
            if (IsWord("MAX")) Field.Length = -1;
            else if (Symb == syInteger) Field.Length = static_cast<std::int32_t>(IntValueInRange(0, 2147483647));
            else ParseError("Unknown data-length");
            NextToken();
            ExpectAndNext(syRParen);
        }
        break;
    case dtXml:
        if (Symb == syLParen) {
            NextToken();
            std::string text = "(";
            if (IsWord("CONTENT") || IsWord("DOCUMENT")) {
                text += Word() + " ";
                NextToken();
            }
            ParseObjectName(dboDomain, false);
            if (!NameOwner.empty()) text += QuoteName(NameOwner) + ".";
            Field.XmlSchema = text + QuoteName(NameObject) + ")";
            ExpectAndNext(syRParen);
        }
        break;
    default: break;
    }
    // float(1) to float(24) is REAL; float(25) to float(52) is FLOAT(53).
    if (code == dtFloat) {
        if (Field.Precision <= 24) {
            Field.DataType = dtReal;
            Field.Precision = 0;
        } else if (Field.Precision < 53) {
            Field.Precision = 53;
        }
    }
    ParseColumnOptions(Field, Register);
}

void TMSSQLParser::ParseColumnOptions(TFldData& Field, bool Register)
{
    auto* table = dynamic_cast<TTblData*>(Field.Parent);
    for (TLoopGuard guard(*this);; guard.Turn()) {
        switch (static_cast<int>(Symb)) {
        case int(syMSNull):
            Field.Nullable = true;
            NextToken();
            continue;
        case int(syMSNot):
            NextToken();
            if (Symb == syMSFor) {
                NextToken();
                ExpectAndNext(syMSReplication);
            } else {
                ExpectAndNext(syMSNull);
                Field.Nullable = false;
            }
            continue;
        case int(syMSDefault): {
            NextToken();
            const std::int64_t start = TokenStart;
            ParseAdditive(nullptr);
            Field.DefaultValue = StripDoubleParens(GetTextFrom(start));
            if (table == nullptr || Field.GetDefaultValue().empty()) continue;
            // A column default is a default constraint of the table.
            auto ctr = std::make_unique<TCtrData>(Objs());
            ctr->SetConstraintKind(ckDefault);
            ctr->SetTableName(table->Name());
            ctr->SetSchema(table->Schema());
            ctr->Fields.Add(Field.Name(), KeyColumn(Objs(), ctr.get(), Field.Name(), 0));
            const std::string value = Field.DefaultValue;
            ctr->SetBody(value.front() == '(' ? value : "(" + value + ")");
            Field.DefaultValue.clear();
            if (Register) this->Register(std::move(ctr));
            continue;
        }
        case int(syMSIdentity):
            NextToken();
            Field.Identity = true;
            Field.Nullable = false;
            Field.IdentitySeed = Field.IdentityIncrement = 1;
            if (Symb == syLParen) {
                NextToken();
                Expect(syInteger);
                const auto seed = static_cast<std::int32_t>(IntValueInRange(-2147483647 - 1, 2147483647));
                NextToken();
                ExpectAndNext(syComma);
                Expect(syInteger);
                const auto increment = static_cast<std::int32_t>(IntValueInRange(-2147483647 - 1, 2147483647));
                NextToken();
                ExpectAndNext(syRParen);
                if (seed != 0 || increment != 0) {
                    Field.IdentitySeed = seed;
                    Field.IdentityIncrement = increment;
                }
            }
            continue;
        case int(syMSRowguidcol):
            Field.RowGuidCol = true;
            NextToken();
            continue;
        case int(syMSCollate): {
            NextToken();
            Field.Collation = UpperCase(TokenText);
            NextToken();
            if (SameText(Field.Collation, ServerOptions().MSSQLServerOptions().Collation)) Field.Collation.clear();
            continue;
        }
        case int(syMSConstraint): ParseNamedConstraint(Register, nullptr, false, false, &Field, table); continue;
        case int(syMSIndex):
            if (table == nullptr) return;
            ParseInlineIndex(*table, Register, &Field);
            continue;
        case int(syMSPrimary):
        case int(syMSForeign):
        case int(syMSUnique):
        case int(syMSReferences):
        case int(syMSCheck): ParseConstraint(Register, nullptr, table, &Field); continue;
        default: break;
        }
        // Attributes that change nothing the model holds.
        if (IsWord("SPARSE") || IsWord("FILESTREAM") || IsWord("HIDDEN")) {
            NextToken();
        } else if (IsWord("COLUMN_SET")) {
            // COLUMN_SET FOR ALL_SPARSE_COLUMNS
            Skip(3);
        } else if (IsWord("MASKED") || IsWord("ENCRYPTED")) {
            NextToken();
            ExpectAndNext(syMSWith);
            SkipParens();
        } else if (IsWord("GENERATED")) {
            // GENERATED ALWAYS AS ROW START | END
            Skip(2);
            ExpectAndNext(syMSAs);
            Skip(2);
        } else {
            return;
        }
    }
}

void TMSSQLParser::ParseNamedConstraint(bool Register, std::unique_ptr<TCtrData> Ctr, bool NoCheck, bool Check,
                                        TFldData* Field, TTblData* Table)
{
    NextToken();
    if (Ctr == nullptr) Ctr = std::make_unique<TCtrData>(Objs());
    Ctr->WithNoCheck = NoCheck;
    Ctr->WithCheck = Check;
    Ctr->SetName(NameCase(TokenText));
    NextToken();
    if (IsWord("CONNECTION")) {
        SkipEdgeConnection();
        return;
    }
    // CONSTRAINT name [NOT] NULL PRIMARY KEY | UNIQUE
    const std::string next = PeekWord();
    const std::string key = Symb == syMSNull ? next : Symb == syMSNot && next == "NULL" ? PeekWords(2) : std::string();
    if (Field != nullptr && (key == "PRIMARY" || key == "UNIQUE" || key == "NULL PRIMARY" || key == "NULL UNIQUE")) {
        Field->Nullable = Symb == syMSNull;
        Skip(Symb == syMSNull ? 1 : 2);
    }
    ParseConstraint(Register, std::move(Ctr), Table, Field);
}

void TMSSQLParser::SkipEdgeConnection()
{
    NextToken();
    SkipParens();
    if (Symb == syMSOn && PeekWord() == "DELETE") {
        Skip(2);
        ParseFKAction();
    }
}

void TMSSQLParser::ParseConstraint(bool Register, std::unique_ptr<TCtrData> Ctr, TTblData* Table, TFldData* Field)
{
    if (Ctr == nullptr) Ctr = std::make_unique<TCtrData>(Objs());
    TCtrData& ctr = *Ctr;
    if (Table != nullptr) {
        ctr.SetTableName(Table->Name());
        ctr.SetSchema(Table->Schema());
    } else if (Field != nullptr) {
        ctr.SetTableName(Field->GetParentName());
    }
    if (Field != nullptr) ctr.Fields.Add(Field->Name(), KeyColumn(Objs(), &ctr, Field->Name(), 0));
    switch (static_cast<int>(Symb)) {
    case int(syMSPrimary):
        NextToken();
        ExpectAndNext(syMSKey);
        ctr.SetConstraintKind(ckPrimaryKey);
        ctr.Clustered = true;
        break;
    case int(syMSForeign):
        NextToken();
        ExpectAndNext(syMSKey);
        ctr.SetConstraintKind(ckForeignKey);
        break;
    case int(syMSReferences): ctr.SetConstraintKind(ckForeignKey); break;
    case int(syMSUnique):
        NextToken();
        ctr.SetConstraintKind(ckUnique);
        break;
    case int(syMSDefault): {
        NextToken();
        ctr.SetConstraintKind(ckDefault);
        const std::int64_t start = TokenStart;
        ParseAdditive(nullptr);
        const std::string value = StripDoubleParens(GetTextFrom(start));
        ctr.SetBody(!value.empty() && value.front() == '(' ? value : "(" + value + ")");
        if (Symb == syMSFor) {
            NextToken();
            const std::string column = NameCase(TokenText);
            if (Field == nullptr) ctr.Fields.Add(column, KeyColumn(Objs(), &ctr, column, 0));
            NextToken();
        }
        if (Symb == syMSWith && PeekWord() == "VALUES") Skip(2);
        break;
    }
    case int(syMSCheck): {
        NextToken();
        ctr.SetConstraintKind(ckCheck);
        if (Symb == syMSNot) {
            NextToken();
            ExpectAndNext(syMSFor);
            ExpectAndNext(syMSReplication);
            ctr.NotForReplication = true;
        }
        const std::int64_t start = TokenStart;
        Expect(syLParen);
        SkipParens();
        ctr.SetBody(StripDoubleParens(GetTextFrom(start)));
        break;
    }
    default: ParseError("Unknown constraint declaration (PRIMARY/FOREIGN/UNIQUE)."); return;
    }
    const TConstraintKind kind = ctr.ConstraintKind();
    if (kind == ckPrimaryKey || kind == ckUnique) {
        if (Symb == syMSClustered || Symb == syMSNonclustered) {
            ctr.Clustered = Symb == syMSClustered;
            NextToken();
            if (IsWord("HASH")) NextToken();
        }
        if (Symb == syLParen) ParseColumnList(ctr.Fields, &ctr);
        for (const auto& column : ctr.Fields) {
            TFldData* found = Table != nullptr ? Table->Fields.Find(column.Name) : nullptr;
            if (found == nullptr && Objs() != nullptr)
                found = Objs()->FindTableField(KeyOf(ctr.Schema(), ctr.TableName()), column.Name);
            if (found != nullptr) found->Nullable = false;
        }
    } else if (kind == ckForeignKey) {
        if (Symb == syLParen) ParseColumnList(ctr.Fields, &ctr);
        ExpectAndNext(syMSReferences);
        ParseObjectName(dboTable, false);
        ctr.SetRefTableName(NameObject);
        ctr.SetRefSchema(NameOwner.empty() ? ctr.Schema() : NameOwner);
        if (Symb == syLParen) ParseColumnList(ctr.RefFields, &ctr);
        for (TLoopGuard guard(*this); Symb == syMSOn; guard.Turn()) {
            NextToken();
            if (Symb == syMSUpdate) {
                NextToken();
                ctr.UpdateRule = ParseFKAction();
            } else if (Symb == syMSDelete) {
                NextToken();
                ctr.DeleteRule = ParseFKAction();
            } else {
                ParseError("Must be: UPDATE / DELETE");
            }
        }
        if (Symb == syMSNot) {
            NextToken();
            ExpectAndNext(syMSFor);
            ExpectAndNext(syMSReplication);
            ctr.NotForReplication = true;
        }
    }
    if (Symb == syMSWith && kind != ckDefault) ParseIndexOptions(ctr.Options);
    if (Symb == syMSOn && (kind == ckPrimaryKey || kind == ckUnique)) {
        std::string fileGroup;
        ParseFileGroup(fileGroup);
    }
    ctr.CheckSystemConstraintName();
    DoLogNextLine("Constraint: " + ctr.Name());
    if (Register) this->Register(std::move(Ctr));
}

void TMSSQLParser::ParseColumnList(TOwnedNameList<TFldData>& List, TDbObj* Owner)
{
    ExpectAndNext(syLParen);
    ForEachListed([&] {
        if (!IsNameToken()) Expect(syIdent);
        const std::string name = NameCase(TokenText);
        NextToken();
        std::uint8_t order = 0;
        if (Symb == syMSAsc || Symb == syMSDesc) {
            order = Symb == syMSAsc ? 1 : 2;
            NextToken();
        }
        List.Add(name, KeyColumn(Objs(), Owner, name, order));
    });
    ExpectAndNext(syRParen);
}

std::uint8_t TMSSQLParser::ParseFKAction()
{
    if (Symb == syMSCascade) {
        NextToken();
        return 2;
    }
    if (IsWord("NO")) {
        NextToken();
        ExpectWords({"ACTION"});
        return 0;
    }
    if (Symb == syMSSet) {
        NextToken();
        const std::uint8_t rule = Symb == syMSNull ? 4 : Symb == syMSDefault ? 3 : 0;
        if (rule == 0) ParseError("Unknown action for FK (? SET NULL/DEFAULT)");
        NextToken();
        return rule;
    }
    ParseError("Unknown action for FK");
    return 0;
}

void TMSSQLParser::ParseIndexOptions(TIndexOptions& Options)
{
    NextToken();
    const bool parens = Symb == syLParen;
    if (parens) NextToken();
    // Options the server has that the model does not keep.
    static const std::array<std::string_view, 10> kOther{"OPTIMIZE_FOR_SEQUENTIAL_KEY", "DATA_COMPRESSION",
                                                         "XML_COMPRESSION", "MAXDOP", "RESUMABLE", "MAX_DURATION",
                                                         "STATISTICS_INCREMENTAL", "COMPRESSION_DELAY",
                                                         "BUCKET_COUNT", "WAIT_AT_LOW_PRIORITY"};
    for (TLoopGuard guard(*this);; guard.Turn()) {
        const std::string option = Symb == syMSFillfactor ? std::string("FILLFACTOR") : Word();
        bool* flag = nullptr;
        if (option == "IGNORE_DUP_KEY") flag = &Options.IgnoreDupKey;
        else if (option == "SORT_IN_TEMPDB") flag = &Options.SortInTempDb;
        else if (option == "PAD_INDEX") flag = &Options.PadIndex;
        else if (option == "DROP_EXISTING") flag = &Options.DropExisting;
        else if (option == "ONLINE") flag = &Options.Online;
        else if (option == "ALLOW_ROW_LOCKS") flag = &Options.AllowRowLocks;
        else if (option == "ALLOW_PAGE_LOCKS") flag = &Options.AllowPageLocks;
        else if (option == "STATISTICS_NORECOMPUTE") flag = &Options.StatisticsNoRecompute;
        const bool other = std::find(kOther.begin(), kOther.end(), option) != kOther.end();
        if (flag == nullptr && option != "FILLFACTOR" && !other) {
            ParseError("Unknown WITH-option for index-keys");
            return;
        }
        NextToken();
        if (Symb == syEqual) {
            NextToken();
            if (option == "FILLFACTOR") Options.FillFactor = static_cast<std::int32_t>(IntegerValue());
            if (flag != nullptr) *flag = Symb == syMSOn;
            NextToken();
            if (Symb == syLParen) SkipParens();
            // MAX_DURATION = 10 MINUTES, COMPRESSION_DELAY = 10 MINUTES
            if (IsWord("MINUTES") || IsWord("MINUTE")) NextToken();
            if (Symb == syMSOn && other) {
                // DATA_COMPRESSION = PAGE ON PARTITIONS (1 TO 4)
                Skip(2);
                SkipParens();
            }
        } else if (flag != nullptr) {
            *flag = true;
        }
        if (Symb != syComma) break;
        NextToken();
    }
    if (parens) ExpectAndNext(syRParen);
}

void TMSSQLParser::ParseFileGroup(std::string& Name)
{
    if (Symb == syMSOn) {
        NextToken();
        if (Symb == syMSDefault) {
            Name.clear();
        } else if (Symb == syString) {
            Name = ValueText;
        } else if (IsNameToken()) {
            Name = TokenText;
        } else {
            ParseError("Must be: FileGroup/DEFAULT.");
        }
        NextToken();
        // A partition scheme and its column.
        if (Symb == syLParen) SkipParens();
    }
    for (TLoopGuard guard(*this); IsWord("TEXTIMAGE_ON") || IsWord("FILESTREAM_ON"); guard.Turn()) {
        Skip(2);
    }
    if (ServerOptions().MSSQLServerOptions().MSSQLCompareOptions().IgnoreFileGroup) Name.clear();
}

void TMSSQLParser::ParseAlterTable()
{
    NextToken();
    ParseObjectName(dboTable, true);
    const std::string schema = NameOwner;
    const std::string name = NameObject;
    auto* table = dynamic_cast<TTblData*>(FindObject(dboTable, schema, name));
    // Columns added to a table the script did not create still make their
    // default constraints; they are read into a scratch table.
    auto scratch = std::make_unique<TTblData>(Objs());
    scratch->SetSchema(schema);
    scratch->SetName(name);
    TTblData* target = table != nullptr ? table : scratch.get();
    // A local temporary table keeps what it gets to itself.
    const bool keep = !(name.size() >= 2 && name[0] == '#' && name[1] != '#');
    // One action a statement; WITH CHECK | NOCHECK stands before the ADD or
    // CHECK CONSTRAINT it qualifies. The next ALTER is the next statement.
    for (TLoopGuard guard(*this);; guard.Turn()) {
        bool prefix = false;
        if (Symb == syMSAdd) {
            NextToken();
            ParseAlterTableAdd(*target, keep, false, false, false);
        } else if (Symb == syMSAlter && PeekWord() == "INDEX") {
            // ALTER INDEX ix REBUILD WITH (BUCKET_COUNT = n) of a
            // memory-optimized table
            NextToken();
            SkipClause(true);
        } else if (Symb == syMSAlter) {
            ParseAlterColumn();
        } else if (Symb == syMSDrop) {
            NextToken();
            ParseAlterTableDrop(table);
        } else if (Symb == syMSWith) {
            NextToken();
            if (Symb != syMSCheck && Symb != syMSNocheck) ParseError("Must be: CHECK / NOCHECK.");
            const bool check = Symb == syMSCheck;
            NextToken();
            if (Symb == syMSAdd) {
                NextToken();
                ParseAlterTableAdd(*target, keep, !check, check, true);
            } else {
                prefix = true;
            }
        } else if (Symb == syMSCheck || Symb == syMSNocheck) {
            NextToken();
            ExpectAndNext(syMSConstraint);
            ForEachListed([&] {
                if (Symb != syMSAll && Symb != syIdent) ParseError("Must be: ALL / <Ident>");
                NextToken();
            });
        } else if ((IsWord("ENABLE") || IsWord("DISABLE")) && PeekWord() == "CHANGE_TRACKING") {
            // ENABLE CHANGE_TRACKING [WITH (TRACK_COLUMNS_UPDATED = ON)]
            Skip(2);
            if (Symb == syMSWith && PeekNonBlank() == '(') {
                NextToken();
                SkipParens();
            }
        } else if (IsWord("ENABLE") || IsWord("DISABLE")) {
            NextToken();
            ExpectAndNext(syMSTrigger);
            ForEachListed([&] {
                NextToken();
            });
        } else if (Symb == syMSSet) {
            NextToken();
            SkipParens();
        } else if (IsWord("REBUILD") || IsWord("SWITCH") || IsWord("SPLIT") || IsWord("MERGE")) {
            // Storage actions: REBUILD [PARTITION = n] [WITH (...)], SWITCH
            // [PARTITION n] TO t [PARTITION n] [WITH (...)]; the model keeps
            // no storage, so they are read by their shape.
            SkipClause(true);
        } else {
            break;
        }
        if (!prefix) break;
    }
}

// ADD's list: columns, constraints, periods and indexes, or constraints alone
// when Strict (WITH CHECK ADD ...). Keep files what it makes; a temporary
// table's constraints stay with it.
void TMSSQLParser::ParseAlterTableAdd(TTblData& Target, bool Keep, bool NoCheck, bool Check, bool Strict)
{
    for (TLoopGuard guard(*this);; guard.Turn()) {
        if (Symb == syMSConstraint) {
            auto ctr = std::make_unique<TCtrData>(Objs());
            ParseNamedConstraint(Keep, std::move(ctr), NoCheck, Check, nullptr, &Target);
        } else if (Symb == syMSDefault || Symb == syMSPrimary || Symb == syMSForeign || Symb == syMSUnique ||
                   Symb == syMSCheck) {
            auto ctr = std::make_unique<TCtrData>(Objs());
            ctr->WithNoCheck = NoCheck;
            ctr->WithCheck = Check;
            ParseConstraint(Keep, std::move(ctr), &Target, nullptr);
        } else if (!Strict && IsWord("PERIOD") && PeekWord() == "FOR") {
            // ADD PERIOD FOR SYSTEM_TIME (start, end)
            Skip(3);
            SkipParens();
        } else if (!Strict && Symb == syIdent) {
            ParseColumn(Target, Keep);
        } else if (!Strict && Symb == syMSIndex) {
            // ADD INDEX ix ... of a memory-optimized table
            ParseInlineIndex(Target, Keep, nullptr);
        } else if (Strict) {
            ParseError("Unknown constraint.");
        } else {
            // Left to the statement's end check: one error, the statement
            // whole.
            return;
        }
        if (Symb != syComma) return;
        NextToken();
    }
}

// ALTER COLUMN c type ..., or ADD | DROP of one of its properties: read,
// nothing of it kept.
void TMSSQLParser::ParseAlterColumn()
{
    NextToken();
    ExpectAndNext(syMSColumn);
    NextToken();
    auto field = std::make_unique<TFldData>(Objs(), nullptr);
    if (Symb == syMSAdd || Symb == syMSDrop) {
        // ADD | DROP ROWGUIDCOL, PERSISTED, SPARSE, HIDDEN, NOT FOR
        // REPLICATION, MASKED [WITH (FUNCTION = '...')]
        NextToken();
        if (Symb == syMSNot) Skip(3);
        else if (IsNameToken()) NextToken();
        if (Symb == syMSWith && PeekNonBlank() == '(') {
            NextToken();
            SkipParens();
        }
    } else {
        ParseColumnType(*field, false, false);
    }
    if (Symb == syMSWith && PeekNonBlank() == '(') {
        // WITH (ONLINE = ON)
        NextToken();
        SkipParens();
    }
}

// DROP's list of columns, constraints, indexes and periods; a column dropped
// leaves Table, when the script made it.
void TMSSQLParser::ParseAlterTableDrop(TTblData* Table)
{
    ForEachListed([&] {
        if (IsWord("PERIOD")) {
            // DROP PERIOD FOR SYSTEM_TIME
            Skip(3);
            return;
        }
        const bool column = Symb == syMSColumn;
        // DROP INDEX ix of a memory-optimized table
        if (column || Symb == syMSConstraint || Symb == syMSIndex) NextToken();
        else if (Symb != syIdent) ParseError("Unknown ALTER TABLE ... DROP statement");
        if (Symb == syMSIf) {
            NextToken();
            ExpectAndNext(syMSExists);
        }
        if (!IsNameToken()) Expect(syIdent);
        const std::string item = NameCase(TokenText);
        NextToken();
        if (column && Table != nullptr)
            if (const int i = Table->Fields.IndexOf(item); i >= 0) Table->Fields.Delete(i);
        // DROP CONSTRAINT pk WITH (ONLINE = ON, MOVE TO fg)
        if (Symb == syMSWith && PeekNonBlank() == '(') {
            NextToken();
            SkipParens();
        }
    });
}

} // namespace qel
