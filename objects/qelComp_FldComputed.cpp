// The type a Firebird computed column declared without one takes from its
// expression, for the placeholder that holds the column's place until the
// expression can be given: literals, the table's own columns, arithmetic,
// comparisons, CAST, IIF, CASE, COALESCE, NULLIF, string functions and the
// script's own functions, typed as Firebird 3 types them in dialect 3.
// Anything else (a subquery, an unknown function) leaves the type unknown.
#include "qelComp_Fld.h"

#include "qelCompText.h"
#include "qelComp_Dmn.h"
#include "qelComp_Prc.h"
#include "qelComp_Tbl.h"
#include "qelObjs.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

namespace qel {

namespace {

using enum TIBSQLServerVersionType;

// What is known of a value's type. Exact covers SMALLINT, INTEGER, BIGINT
// (Name set, Scale 0) and NUMERIC/DECIMAL (Name set, Size the precision).
struct TExprType {
    enum class K : std::uint8_t { Unknown, Null, Exact, Float, Double, Char, VarChar, Bool, Date, Time, Timestamp };
    K Kind = K::Unknown;
    std::string Name; // SMALLINT, INTEGER, BIGINT, NUMERIC, DECIMAL; FLOAT, REAL
    std::int32_t Size = 0;
    std::int32_t Scale = 0;
};
using K = TExprType::K;

TExprType Exact(const std::string& Name, std::int32_t Precision = 0, std::int32_t Scale = 0)
{
    return {K::Exact, Name, Precision, Scale};
}
// Dialect 3 arithmetic on exact numbers is 64-bit: BIGINT, or NUMERIC(18,s).
TExprType Wide(std::int32_t Scale) { return Scale == 0 ? Exact("BIGINT") : Exact("NUMERIC", 18, Scale); }
TExprType Of(K Kind, std::int32_t Size = 0) { return {Kind, {}, Size, 0}; }

bool IsNumber(const TExprType& T) { return T.Kind == K::Exact || T.Kind == K::Float || T.Kind == K::Double; }
bool IsText(const TExprType& T) { return T.Kind == K::Char || T.Kind == K::VarChar; }

// The widest text Firebird takes in any character set (four bytes a
// character within 32765 bytes).
constexpr std::int32_t kMaxTextLength = 8191;

std::string TypeText(const TExprType& T)
{
    switch (T.Kind) {
    case K::Exact:
        // A computed NUMERIC takes the whole precision of the integer that
        // holds it: NUMERIC(10,2) is NUMERIC(18,2) there.
        if (T.Name == "NUMERIC" || T.Name == "DECIMAL") {
            const std::int32_t precision = T.Size <= 4 ? 4 : T.Size <= 9 ? 9 : 18;
            return T.Name + "(" + IntToStr(precision) + (T.Scale != 0 ? "," + IntToStr(T.Scale) : "") + ")";
        }
        return T.Name;
    case K::Float: return T.Name;
    case K::Double: return "DOUBLE PRECISION";
    case K::Char:
    case K::VarChar:
        if (T.Size < 1 || T.Size > kMaxTextLength) return {};
        return std::string(T.Kind == K::Char ? "CHAR(" : "VARCHAR(") + IntToStr(T.Size) + ")";
    case K::Bool: return "BOOLEAN";
    case K::Date: return "DATE";
    case K::Time: return "TIME";
    case K::Timestamp: return "TIMESTAMP";
    default: return {};
    }
}

// The type of CASE, IIF, COALESCE: the branches' common type.
TExprType Common(const TExprType& A, const TExprType& B)
{
    if (A.Kind == K::Null) return B;
    if (B.Kind == K::Null) return A;
    if (A.Kind == K::Unknown || B.Kind == K::Unknown) return {};
    if (IsNumber(A) && IsNumber(B)) {
        if (A.Kind != K::Exact || B.Kind != K::Exact) return Of(K::Double);
        if (A.Name == B.Name && A.Size == B.Size && A.Scale == B.Scale) return A;
        const auto rank = [](const TExprType& T) {
            if (T.Name == "SMALLINT") return 1;
            if (T.Name == "INTEGER") return 2;
            return T.Name == "BIGINT" ? 3 : 4;
        };
        if (rank(A) < 4 && rank(B) < 4) return rank(A) > rank(B) ? A : B;
        return Wide(std::max(A.Scale, B.Scale));
    }
    if (IsText(A) && IsText(B)) {
        const std::int32_t size = std::max(A.Size, B.Size);
        return Of(A.Kind == K::Char && B.Kind == K::Char ? K::Char : K::VarChar, size);
    }
    return A.Kind == B.Kind ? A : TExprType{};
}

// A scanner and a recursive reader of the expression's text.
class TTypeReader {
public:
    TTypeReader(const TFldData& Field, const std::string& Text, int Depth)
        : m_field(Field), m_text(Text), m_depth(Depth)
    {
        Next();
    }

    TExprType Whole()
    {
        TExprType t = Expression();
        return m_kind == Tok::End ? t : TExprType{};
    }

private:
    enum class Tok : std::uint8_t { End, Word, Quoted, Number, String, Symbol };

    const TFldData& m_field;
    const std::string& m_text;
    int m_depth;
    std::size_t m_pos = 0;
    Tok m_kind = Tok::End;
    std::string m_token; // words upper-cased; a string's value
    bool m_failed = false;

    void Next()
    {
        const std::string& s = m_text;
        while (m_pos < s.size()) {
            if (std::isspace(static_cast<unsigned char>(s[m_pos]))) ++m_pos;
            else if (s.compare(m_pos, 2, "--") == 0) m_pos = std::min(s.find('\n', m_pos), s.size());
            else if (s.compare(m_pos, 2, "/*") == 0) m_pos = std::min(s.find("*/", m_pos + 2), s.size() - 2) + 2;
            else break;
        }
        m_token.clear();
        if (m_pos >= s.size()) {
            m_kind = Tok::End;
            return;
        }
        const char c = s[m_pos];
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '$') {
            while (m_pos < s.size() && (std::isalnum(static_cast<unsigned char>(s[m_pos])) || s[m_pos] == '_' || s[m_pos] == '$'))
                m_token += static_cast<char>(std::toupper(static_cast<unsigned char>(s[m_pos++])));
            m_kind = Tok::Word;
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '.' && m_pos + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[m_pos + 1])))) {
            while (m_pos < s.size() && (std::isalnum(static_cast<unsigned char>(s[m_pos])) || s[m_pos] == '.' ||
                                        ((s[m_pos] == '-' || s[m_pos] == '+') && std::toupper(s[m_pos - 1]) == 'E')))
                m_token += s[m_pos++];
            m_kind = Tok::Number;
        } else if (c == '\'' || c == '"') {
            m_kind = c == '\'' ? Tok::String : Tok::Quoted;
            for (++m_pos; m_pos < s.size(); ++m_pos) {
                if (s[m_pos] != c) m_token += s[m_pos];
                else if (m_pos + 1 < s.size() && s[m_pos + 1] == c) m_token += s[++m_pos];
                else break;
            }
            if (m_pos >= s.size()) m_failed = true;
            ++m_pos;
        } else {
            static const char* const pairs[] = {"||", "<>", "!=", "<=", ">=", "^=", "~=", "!<", "!>", "~<", "~>"};
            m_kind = Tok::Symbol;
            for (const char* p : pairs)
                if (s.compare(m_pos, 2, p) == 0) m_token = p;
            if (m_token.empty()) m_token = std::string(1, c);
            m_pos += m_token.size();
        }
    }

    bool At(const char* Text) const { return (m_kind == Tok::Word || m_kind == Tok::Symbol) && m_token == Text; }
    bool Take(const char* Text)
    {
        if (!At(Text)) return false;
        Next();
        return true;
    }
    bool Need(const char* Text)
    {
        if (Take(Text)) return true;
        m_failed = true;
        return false;
    }

    TExprType Fail()
    {
        m_failed = true;
        return {};
    }

    // OR, AND, NOT and the comparisons give BOOLEAN.
    TExprType Expression()
    {
        TExprType t = Conjunction();
        while (!m_failed && Take("OR")) t = Logical(t, Conjunction());
        return m_failed ? TExprType{} : t;
    }
    TExprType Conjunction()
    {
        TExprType t = Negation();
        while (!m_failed && Take("AND")) t = Logical(t, Negation());
        return t;
    }
    static TExprType Logical(const TExprType&, const TExprType&) { return Of(K::Bool); }
    TExprType Negation()
    {
        if (Take("NOT")) {
            Negation();
            return Of(K::Bool);
        }
        return Comparison();
    }
    TExprType Comparison()
    {
        TExprType t = Concatenation();
        static const char* const ops[] = {"=", "<>", "!=", "<", ">", "<=", ">=", "^=", "~=", "!<", "!>", "~<", "~>"};
        for (;;) {
            if (m_failed) return {};
            if (std::any_of(std::begin(ops), std::end(ops), [this](const char* Op) { return At(Op); })) {
                Next();
                if (At("ANY") || At("ALL") || At("SOME")) return Fail();
                Concatenation();
                t = Of(K::Bool);
            } else if (Take("IS")) {
                Take("NOT");
                if (!Take("NULL") && !Take("TRUE") && !Take("FALSE") && !Take("UNKNOWN")) {
                    if (!Take("DISTINCT") || !Need("FROM")) return Fail();
                    Concatenation();
                }
                t = Of(K::Bool);
            } else if (At("NOT") || At("LIKE") || At("CONTAINING") || At("STARTING") || At("BETWEEN") || At("IN") ||
                       At("SIMILAR")) {
                Take("NOT");
                if (Take("BETWEEN")) {
                    Concatenation();
                    Need("AND");
                    Concatenation();
                } else if (Take("IN")) {
                    if (!Need("(") || At("SELECT")) return Fail();
                    Arguments();
                } else if (Take("STARTING")) {
                    Take("WITH");
                    Concatenation();
                } else if (Take("LIKE") || Take("CONTAINING") || (Take("SIMILAR") && Need("TO"))) {
                    Concatenation();
                    if (Take("ESCAPE")) Concatenation();
                } else {
                    return Fail();
                }
                t = Of(K::Bool);
            } else {
                return t;
            }
        }
    }
    // a || b: VARCHAR of both lengths.
    TExprType Concatenation()
    {
        TExprType t = Sum();
        while (!m_failed && Take("||")) {
            const TExprType r = Sum();
            if (t.Kind == K::Null || r.Kind == K::Null) t = Of(K::Null);
            else if (IsText(t) && IsText(r)) t = Of(K::VarChar, t.Size + r.Size);
            else t = {};
        }
        return t;
    }
    TExprType Sum()
    {
        TExprType t = Product();
        while (!m_failed && (At("+") || At("-"))) {
            const bool minus = At("-");
            Next();
            t = Arithmetic(t, Product(), minus ? '-' : '+');
        }
        return t;
    }
    TExprType Product()
    {
        TExprType t = Unary();
        while (!m_failed && (At("*") || At("/"))) {
            const char op = m_token[0];
            Next();
            t = Arithmetic(t, Unary(), op);
        }
        return t;
    }
    static TExprType Arithmetic(const TExprType& A, const TExprType& B, char Op)
    {
        if (A.Kind == K::Null || B.Kind == K::Null) return Of(K::Null);
        if (IsNumber(A) && IsNumber(B)) {
            if (A.Kind != K::Exact || B.Kind != K::Exact) return Of(K::Double);
            const std::int32_t scale = Op == '+' || Op == '-' ? std::max(A.Scale, B.Scale) : A.Scale + B.Scale;
            return scale <= 18 ? Wide(scale) : TExprType{};
        }
        // Dates and times: a day count moves them, two of them differ by days.
        const bool moment = A.Kind == K::Date || A.Kind == K::Time || A.Kind == K::Timestamp;
        if (moment && B.Kind == K::Exact && (Op == '+' || Op == '-')) return A;
        if (A.Kind == K::Exact && Op == '+' && (B.Kind == K::Date || B.Kind == K::Timestamp)) return B;
        if (Op == '-' && moment && A.Kind == B.Kind)
            return A.Kind == K::Date ? Exact("INTEGER") : A.Kind == K::Time ? Exact("NUMERIC", 9, 4) : Exact("NUMERIC", 18, 9);
        if (Op == '-' && A.Kind == K::Timestamp && B.Kind == K::Date) return Exact("NUMERIC", 18, 9);
        return {};
    }
    TExprType Unary()
    {
        if (Take("-") || Take("+")) {
            const TExprType t = Unary();
            return IsNumber(t) || t.Kind == K::Null ? t : TExprType{};
        }
        return Primary();
    }

    TExprType Primary()
    {
        if (m_failed) return {};
        switch (m_kind) {
        case Tok::Number: return Number();
        case Tok::String: {
            // Bytes: a literal of other than ASCII comes out a little wider
            // than the server makes it, which a placeholder may.
            const auto length = static_cast<std::int32_t>(m_token.size());
            Next();
            return Of(K::Char, length);
        }
        case Tok::Quoted: {
            const std::string name = m_token;
            Next();
            return Column(name, true);
        }
        case Tok::Word: break;
        default:
            if (Take("(")) {
                if (At("SELECT")) return Fail();
                const TExprType t = Expression();
                Need(")");
                return t;
            }
            return Fail();
        }
        const std::string word = m_token;
        Next();
        if (word == "NULL") return Of(K::Null);
        if (word == "TRUE" || word == "FALSE") return Of(K::Bool);
        if (word == "CURRENT_DATE") return Of(K::Date);
        if (word == "CURRENT_TIME" || word == "CURRENT_TIMESTAMP" || word == "LOCALTIME" || word == "LOCALTIMESTAMP") {
            if (Take("(")) {
                Next();
                Need(")");
            }
            return Of(word == "CURRENT_TIME" || word == "LOCALTIME" ? K::Time : K::Timestamp);
        }
        if (word == "CASE") return Case();
        if (word == "CAST") return Cast();
        if (At("(")) {
            Next();
            return Function(word);
        }
        if (Take(".")) {
            // T.C: a column of the table itself.
            if (m_kind != Tok::Word && m_kind != Tok::Quoted) return Fail();
            const std::string column = m_token;
            const bool quoted = m_kind == Tok::Quoted;
            Next();
            const TDbObj* parent = m_field.Parent;
            if (parent == nullptr || !SameText(parent->Name(), word)) return {};
            return Column(column, quoted);
        }
        return Column(word, false);
    }

    TExprType Number()
    {
        const std::string text = m_token;
        Next();
        if (text.find_first_of("eE") != std::string::npos) return Of(K::Double);
        const std::size_t dot = text.find('.');
        if (dot != std::string::npos) {
            const auto scale = static_cast<std::int32_t>(text.size() - dot - 1);
            return scale <= 18 ? Exact("NUMERIC", 18, scale) : TExprType{};
        }
        const std::string digits = text.substr(std::min(text.find_first_not_of('0'), text.size()));
        const auto below = [&digits](const char* Limit) {
            const std::string limit = Limit;
            return digits.size() < limit.size() || (digits.size() == limit.size() && digits <= limit);
        };
        if (below("2147483647")) return Exact("INTEGER");
        if (below("9223372036854775807")) return Exact("BIGINT");
        return {};
    }

    // A column of the table the computed column belongs to.
    TExprType Column(const std::string& Name, bool Quoted)
    {
        const auto* table = dynamic_cast<const TTblData*>(m_field.Parent);
        if (table == nullptr) return {};
        for (const auto& [name, field] : table->Fields) {
            if (field == nullptr || field.get() == &m_field) continue;
            if (Quoted ? field->Name() == Name : SameText(field->Name(), Name)) return FieldType(*field, m_depth + 1);
        }
        return {};
    }

    // Arguments up to the ")", each typed.
    std::vector<TExprType> Arguments()
    {
        std::vector<TExprType> args;
        if (Take(")")) return args;
        do args.push_back(Expression());
        while (!m_failed && Take(","));
        Need(")");
        return args;
    }

    TExprType Function(const std::string& Name)
    {
        if (Name == "SUBSTRING" || Name == "TRIM" || Name == "EXTRACT" || Name == "POSITION" || Name == "OVERLAY")
            return SpecialForm(Name);
        const std::vector<TExprType> args = Arguments();
        if (m_failed) return {};
        const auto all = [&args]() {
            TExprType t = Of(K::Null);
            for (const TExprType& a : args) t = Common(t, a);
            return t;
        };
        if (Name == "IIF" && args.size() == 3) return Common(args[1], args[2]);
        if ((Name == "COALESCE" || Name == "MAXVALUE" || Name == "MINVALUE") && !args.empty()) return all();
        if (Name == "NULLIF" && args.size() == 2) return args[0];
        if ((Name == "UPPER" || Name == "LOWER") && args.size() == 1 && IsText(args[0])) return args[0];
        if ((Name == "CHAR_LENGTH" || Name == "CHARACTER_LENGTH" || Name == "OCTET_LENGTH" || Name == "BIT_LENGTH") &&
            args.size() == 1)
            return Exact("INTEGER");
        // ABS is 64-bit for every exact number.
        if (Name == "ABS" && args.size() == 1 && args[0].Kind == K::Exact) return Wide(args[0].Scale);
        if (Name == "ABS" && args.size() == 1 && IsNumber(args[0])) return args[0];
        return StoredFunction(Name);
    }

    // SUBSTRING(x FROM ...), TRIM([...] x), EXTRACT(part FROM x),
    // POSITION(a IN b): words in place of commas.
    TExprType SpecialForm(const std::string& Name)
    {
        TExprType first;
        if (Name == "EXTRACT") {
            const std::string part = m_token;
            Next();
            Need("FROM");
            Expression();
            Need(")");
            if (part == "SECOND") return Exact("NUMERIC", 9, 4);
            if (part == "MILLISECOND") return Exact("NUMERIC", 9, 1);
            return Exact("SMALLINT");
        }
        if (Name == "TRIM") {
            const bool side = Take("BOTH") || Take("LEADING") || Take("TRAILING");
            static_cast<void>(side);
            if (Take("FROM")) {
                first = Expression();
            } else {
                first = Expression();
                if (Take("FROM")) first = Expression();
            }
            Need(")");
            return IsText(first) ? Of(K::VarChar, first.Size) : TExprType{};
        }
        // Operands, not predicates: POSITION('a' IN B) holds no IN list.
        first = Concatenation();
        while (!m_failed && (Take("FROM") || Take("FOR") || Take("IN") || Take("PLACING") || Take(",")))
            Concatenation();
        Need(")");
        if (Name == "POSITION") return Exact("INTEGER");
        if (Name == "SUBSTRING" && IsText(first)) return Of(K::VarChar, first.Size);
        return {};
    }

    // A function of the script's own: its result's type.
    TExprType StoredFunction(const std::string& Name)
    {
        const auto* objs = dynamic_cast<const TObjs*>(m_field.Objs());
        const TPrcData* routine = objs != nullptr ? objs->FindProcedure(TPrcData::FunctionKey(Name)) : nullptr;
        if (routine == nullptr || routine->OutputParams.Count() != 1) return {};
        const TFldData* result = routine->OutputParams.Objects(0);
        return result != nullptr ? FieldType(*result, m_depth + 1) : TExprType{};
    }

    // CASE [x] WHEN ... THEN r ... [ELSE r] END: the results' common type.
    TExprType Case()
    {
        if (!At("WHEN")) Expression();
        TExprType t = Of(K::Null);
        while (!m_failed && Take("WHEN")) {
            Expression();
            Need("THEN");
            t = Common(t, Expression());
        }
        if (Take("ELSE")) t = Common(t, Expression());
        Need("END");
        return m_failed ? TExprType{} : t;
    }

    // CAST(x AS type): the type as written, when it is a plain one.
    TExprType Cast()
    {
        Need("(");
        Expression();
        Need("AS");
        TExprType t = TypeName();
        if (!At(")")) t = {};
        while (!m_failed && m_kind != Tok::End && !At(")")) Next();
        Need(")");
        return m_failed ? TExprType{} : t;
    }

    std::int32_t Count()
    {
        if (m_kind != Tok::Number || m_token.find_first_not_of("0123456789") != std::string::npos || m_token.size() > 5)
            return -1;
        const auto n = static_cast<std::int32_t>(std::stoi(m_token));
        Next();
        return n;
    }

    TExprType TypeName()
    {
        if (m_kind != Tok::Word) return {};
        const std::string word = m_token;
        Next();
        if (word == "SMALLINT" || word == "INTEGER" || word == "BIGINT") return Exact(word);
        if (word == "INT") return Exact("INTEGER");
        if (word == "BOOLEAN") return Of(K::Bool);
        if (word == "DATE") return Of(K::Date);
        if (word == "TIME") return Of(K::Time);
        if (word == "TIMESTAMP") return Of(K::Timestamp);
        if (word == "FLOAT" || word == "REAL") return {K::Float, word, 0, 0};
        if (word == "DOUBLE") return Take("PRECISION") ? Of(K::Double) : TExprType{};
        if (word == "NUMERIC" || word == "DECIMAL") {
            std::int32_t precision = 9, scale = 0;
            if (Take("(")) {
                precision = Count();
                if (Take(",")) scale = Count();
                Need(")");
            }
            if (precision < 1 || precision > 18 || scale < 0 || scale > precision) return {};
            return Exact(word, precision, scale);
        }
        if (word == "CHAR" || word == "CHARACTER" || word == "VARCHAR") {
            const bool varying = word == "VARCHAR" || Take("VARYING");
            std::int32_t length = 1;
            if (Take("(")) {
                length = Count();
                Need(")");
            }
            return Of(varying ? K::VarChar : K::Char, length);
        }
        return {};
    }

public:
    // A column's, parameter's or domain's declared type.
    static TExprType FieldType(const TFldData& Field, int Depth)
    {
        if (Depth > 16) return {};
        if (!Field.Body().empty()) {
            // Another computed column: its declared type, else its expression's.
            const std::string declared = Field.IBComputedTypeText();
            if (!declared.empty()) {
                const std::string text = declared;
                TTypeReader reader(Field, text, Depth);
                return reader.TypeName();
            }
            const std::string body = Field.Body();
            return TTypeReader(Field, body, Depth).Whole();
        }
        if (!Field.ArrayBounds.empty()) return {};
        switch (Field.DataType) {
        case 54: return Exact("SMALLINT");
        case 1: return Exact("INTEGER");
        case 2: return Exact("BIGINT");
        case 46:
        case 47: return Exact(Field.DataType == 46 ? "NUMERIC" : "DECIMAL", Field.Precision, Field.Scale);
        case 3: return {K::Float, "FLOAT", 0, 0};
        case 9: return {K::Float, "REAL", 0, 0};
        case 4: return Of(K::Double);
        case 14: return Of(K::VarChar, Field.Length);
        case 15: return Of(K::Char, Field.Length);
        case 18: return Of(K::Date);
        case 19: return Field.WithTimeZone ? TExprType{} : Of(K::Time);
        case 20: return Field.WithTimeZone ? TExprType{} : Of(K::Timestamp);
        case 96: return Of(K::Bool);
        case dtDomain: {
            if (Field.TypeOf || !Field.TypeOfTable.empty()) return {};
            const auto* objs = dynamic_cast<const TObjs*>(Field.Objs());
            const TDmnData* domain = objs != nullptr ? objs->FindDomain(Field.DomainName) : nullptr;
            return domain != nullptr && domain->BaseField != nullptr ? FieldType(*domain->BaseField, Depth + 1)
                                                                     : TExprType{};
        }
        default: return {};
        }
    }
};

} // namespace

// "(IIF(A = 1, 1, 0))" -> "INTEGER", "(B || 'x')" with B VARCHAR(10) ->
// "VARCHAR(11)", "(SELECT ...)" -> "". Dialect 3 of Firebird 3 on only.
std::string TFldData::IBExpressionTypeText() const
{
    if (GetDatabaseType() != TDatabaseType::dbInterBase || Body().empty() || IBDialectOf(*this) != 3 ||
        IBVersionOf(*this) < st_Firebird_30 || IBVersionOf(*this) == st_InterBase_2020)
        return {};
    const std::string body = Body();
    return TypeText(TTypeReader(*this, body, 0).Whole());
}

std::string TFldData::IBPlaceholderTypeText() const
{
    const std::string declared = IBComputedTypeText();
    if (!declared.empty()) return declared;
    const std::string inferred = IBExpressionTypeText();
    return inferred.empty() ? std::string() : inferred + " ";
}

} // namespace qel
