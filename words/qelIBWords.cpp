#include "qelIBWords.h"

#include <algorithm>
#include <array>
#include <vector>

namespace qel {

namespace {

using enum TSymb;
using TVersion = TIBSQLServerVersionType;

constexpr int kVersionCount = static_cast<int>(TVersion::st_InterBase_2020) + 1;

constexpr TResWordSymb kIBResWords[] = {
    {"AT", syIBAt}, {"BINARY", syIBBinary}, {"VARBINARY", syIBVarbinary}, {"NATIONAL", syIBNational},
    {"NCHAR", syIBNchar}, {"PAGE_SIZE", syIBPageSize}, {"CHECK_POINT_LENGTH", syIBCheckPointLength},
    {"COLUMN", syIBColumn}, {"CONDITIONAL", syIBConditional}, {"CACHE", syIBCache}, {"CURSOR", syIBCursor},
    {"VARYING", syIBVarying}, {"RELEASE", syIBRelease}, {"FILTER", syIBFilter}, {"AUTO", syIBAuto},
    {"DATABASE", syIBDatabase}, {"PAGE_SIZE", syIBPageSize}, {"USER", syIBUser}, {"PASSWORD", syIBPassword},
    {"CREATE", syIBCreate}, {"ALTER", syIBAlter}, {"PRIMARY", syIBPrimary}, {"FOREIGN", syIBForeign},
    {"KEY", syIBKey}, {"TABLE", syIBTable}, {"NOT", syIBNot}, {"NULL", syIBNull}, {"DEFAULT", syIBDefault},
    {"INTEGER", syIBInteger}, {"INT", syIBInteger}, {"FLOAT", syIBFloat}, {"DOUBLE", syIBDouble},
    {"PRECISION", syIBPrecision}, {"SMALLINT", syIBSmallint}, {"CHAR", syIBChar}, {"CHARACTER", syIBChar},
    {"CSTRING", syIBCstring}, {"VARCHAR", syIBVarchar}, {"DATE", syIBDate}, {"REAL", syIBReal},
    {"TIME", syIBTime}, {"TIMESTAMP", syIBTimestamp}, {"DECIMAL", syIBDecimal}, {"DEC", syIBDecimal},
    {"NUMERIC", syIBNumeric}, {"BLOB", syIBBlob}, {"SUB_TYPE", syIBSubType}, {"SEGMENT", syIBSegment},
    {"SET", syIBSet}, {"NAMES", syIBNames}, {"SIZE", syIBSize}, {"COLLATE", syIBCollate},
    {"UNIQUE", syIBUnique}, {"ADD", syIBAdd}, {"DROP", syIBDrop}, {"CONSTRAINT", syIBConstraint},
    {"DECLARE", syIBDeclare}, {"EXTERNAL", syIBExternal}, {"FUNCTION", syIBFunction}, {"RETURNS", syIBReturns},
    {"ENTRY_POINT", syIBEntryPoint}, {"MODULE_NAME", syIBModuleName}, {"INDEX", syIBIndex}, {"ASC", syIBAsc},
    {"ASCENDING", syIBAsc}, {"DESC", syIBDesc}, {"DESCENDING", syIBDesc}, {"ON", syIBOn},
    {"GENERATOR", syIBGenerator}, {"TO", syIBTo}, {"EXCEPTION", syIBException}, {"COMMIT", syIBCommit},
    {"WORK", syIBWork}, {"GLOBAL", syIBGlobal}, {"PROCEDURE", syIBProcedure}, {"TRIGGER", syIBTrigger},
    {"REFERENCES", syIBReferences}, {"DOMAIN", syIBDomain}, {"AS", syIBAs}, {"BY", syIBBy},
    {"VALUE", syIBValue}, {"FREE_IT", syIBFreeIt}, {"INSERT", syIBInsert}, {"UPDATE", syIBUpdate},
    {"DELETE", syIBDelete}, {"NO", syIBNo}, {"ACTION", syIBAction}, {"CASCADE", syIBCascade},
    {"VIEW", syIBView}, {"CHECK", syIBCheck}, {"GRANT", syIBGrant}, {"FOR", syIBFor}, {"BEFORE", syIBBefore},
    {"AFTER", syIBAfter}, {"POSITION", syIBPosition}, {"ACTIVE", syIBActive}, {"INACTIVE", syIBInactive},
    {"ROLE", syIBRole}, {"COMPUTED", syIBComputed}, {"DESCRIBE", syIBDescribe}, {"PARAMETER", syIBParameter},
    {"DESCRIPTOR", syIBDescriptor}, {"OR", syIBOr}, {"AND", syIBAnd}, {"SELECT", syIBSelect}, {"ALL", syIBAll},
    {"PRIVILEGES", syIBPrivileges}, {"WITH", syIBWith}, {"ADMIN", syIBAdmin}, {"OPTION", syIBOption},
    {"REVOKE", syIBRevoke}, {"EXECUTE", syIBExecute}, {"FILE", syIBFile}, {"BIGINT", syIBBigint},
    {"BOOLEAN", syIBBoolean}, {"PERCENT", syIBPercent}, {"USING", syIBUsing}, {"VARIABLE", syIBVariable},
    {"BEGIN", syIBBegin}, {"END", syIBEnd}, {"IF", syIBIf}, {"WHILE", syIBWhile}, {"WHEN", syIBWhen},
    {"EXIT", syIBExit}, {"POST_EVENT", syIBPostEvent}, {"SUSPEND", syIBSuspend}, {"GEN_ID", syIBGenId},
    {"AVG", syIBAvg}, {"CAST", syIBCast}, {"COUNT", syIBCount}, {"MAX", syIBMax}, {"MIN", syIBMin},
    {"SUM", syIBSum}, {"UPPER", syIBUpper}, {"THEN", syIBThen}, {"ELSE", syIBElse}, {"IS", syIBIs},
    {"IN", syIBIn}, {"CURRENT_TIME", syIBCurrentTime}, {"CURRENT_DATE", syIBCurrentDate},
    {"CURRENT_TIMESTAMP", syIBCurrentTimestamp}, {"GDSCODE", syIBGdscode}, {"SQLCODE", syIBSqlcode},
    {"GROUP", syIBGroup}, {"ORDER", syIBOrder}, {"ANY", syIBAny}, {"DO", syIBDo}, {"INTO", syIBInto},
    {"FROM", syIBFrom}, {"DISTINCT", syIBDistinct}, {"INNER", syIBInner}, {"OUTER", syIBOuter},
    {"LEFT", syIBLeft}, {"RIGHT", syIBRight}, {"FULL", syIBFull}, {"JOIN", syIBJoin}, {"WHERE", syIBWhere},
    {"HAVING", syIBHaving}, {"UNION", syIBUnion}, {"LIKE", syIBLike}, {"PLAN", syIBPlan}, {"OF", syIBOf},
    {"RDB$DB_KEY", syIBRdbDbKey}, {"EXISTS", syIBExists}, {"BETWEEN", syIBBetween}, {"CURSOR", syIBCursor},
    {"EXTRACT", syIBExtract}, {"STARTING", syIBStarting}, {"STARTS", syIBStarts}, {"VALUES", syIBValues},
    {"RETURNING_VALUES", syIBReturningValues}, {"SORT", syIBSort}, {"MERGE", syIBMerge},
    {"NATURAL", syIBNatural}, {"CASE", syIBCase}, {"GLOBAL", syIBGlobal}, {"TEMPORARY", syIBTemporary},
    {"TIES", syIBTies}, {"ROWS", syIBRows}, {"SOME", syIBSome}, {"PRESERVE", syIBPreserve},
    {"RECREATE", syIBRecreate}, {"SINGULAR", syIBSingular}, {"SAVEPOINT", syIBSavepoint}, {"TYPE", syIBType},
    {"CURRENT", syIBCurrent}, {"CONTAINING", syIBContaining}, {"ESCAPE", syIBEscape},
    {"STATISTICS", syIBStatistics}, {"RELEASE", syIBRelease}, {"OPEN", syIBOpen}, {"CLOSE", syIBClose},
    {"CROSS", syIBCross}, {"YEAR", syIBYear}, {"YEARDAY", syIBYearday}, {"FETCH", syIBFetch},
    {"_<charset>", TSymb::syIBCharset}, {"SIMILAR", syIBSimilar},
};

// The keywords each version does not know; a synonym pair is named once.
constexpr TSymb kIB4NotKeywords[] = {
    syIBAction, syIBAdmin, syIBCascade, syIBColumn, syIBCurrentDate, syIBCurrentTime, syIBCurrentTimestamp,
    syIBBinary, syIBExtract, syIBFreeIt, syIBVarbinary, syIBRole, syIBTime, syIBTimestamp, syIBType, syIBYear,
    syIBYearday, syIBRecreate, syIBBigint, syIBSavepoint, syIBGlobal, syIBPercent, syIBPreserve, syIBRows,
    syIBTemporary, syIBTies, syIBFetch, syIBUsing, syIBClose, syIBCross, syIBOpen, syIBBoolean, syIBDescribe,
    syIBDescriptor, syIBRelease, syIBCase,
};
constexpr TSymb kIB5NotKeywords[] = {
    syIBColumn, syIBCurrentDate, syIBCurrentTime, syIBCurrentTimestamp, syIBBinary, syIBExtract, syIBVarbinary,
    syIBTime, syIBTimestamp, syIBType, syIBYear, syIBYearday, syIBRecreate, syIBBigint, syIBSavepoint,
    syIBGlobal, syIBPercent, syIBPreserve, syIBRows, syIBTemporary, syIBTies, syIBFetch, syIBUsing, syIBClose,
    syIBCross, syIBOpen, syIBBoolean, syIBDescribe, syIBDescriptor, syIBRelease, syIBCase,
};
constexpr TSymb kIB6NotKeywords[] = {
    syIBBinary, syIBVarbinary, syIBRecreate, syIBBigint, syIBSavepoint, syIBGlobal, syIBPercent, syIBPreserve,
    syIBTemporary, syIBTies, syIBFetch, syIBUsing, syIBClose, syIBCross, syIBOpen, syIBBoolean, syIBDescribe,
    syIBDescriptor, syIBRelease, syIBCase,
};
constexpr TSymb kFB1NotKeywords[] = {
    syIBBinary, syIBVarbinary, syIBBigint, syIBSavepoint, syIBGlobal, syIBPercent, syIBPreserve, syIBRows,
    syIBTemporary, syIBTies, syIBFetch, syIBUsing, syIBClose, syIBCross, syIBOpen, syIBBoolean, syIBDescribe,
    syIBDescriptor, syIBRelease, syIBCase,
};
constexpr TSymb kYaffilNotKeywords[] = {
    syIBColumn, syIBCurrentDate, syIBCurrentTime, syIBCurrentTimestamp, syIBExtract, syIBType, syIBRecreate,
    syIBBigint, syIBSavepoint, syIBGlobal, syIBPercent, syIBPreserve, syIBRows, syIBTemporary, syIBTies,
    syIBFetch, syIBUsing, syIBClose, syIBCross, syIBOpen, syIBBoolean, syIBDescribe, syIBDescriptor,
    syIBRelease,
};
constexpr TSymb kFB15NotKeywords[] = {
    syIBBinary, syIBVarbinary, syIBGlobal, syIBPercent, syIBPreserve, syIBRows, syIBTemporary, syIBTies,
    syIBFetch, syIBUsing, syIBClose, syIBCross, syIBOpen, syIBBoolean, syIBDescribe, syIBDescriptor,
};
constexpr TSymb kIB7NotKeywords[] = {
    syIBBinary, syIBVarbinary, syIBRecreate, syIBBigint, syIBFetch, syIBUsing, syIBClose, syIBCross, syIBOpen,
    syIBDescribe, syIBDescriptor,
};
constexpr TSymb kFB20NotKeywords[] = {
    syIBAction, syIBCache, syIBCascade, syIBCheckPointLength, syIBBinary, syIBFreeIt, syIBVarbinary, syIBRole,
    syIBGlobal, syIBPercent, syIBTemporary, syIBTies, syIBBoolean, syIBDescribe, syIBDescriptor,
};
constexpr TSymb kFB30NotKeywords[] = {
    syIBAction, syIBActive, syIBAfter, syIBAsc, syIBAuto, syIBBefore, syIBCascade, syIBComputed,
    syIBConditional, syIBContaining, syIBCstring, syIBDatabase, syIBBinary, syIBDesc, syIBDo, syIBDomain,
    syIBEntryPoint, syIBException, syIBExit, syIBFile, syIBFreeIt, syIBGenId, syIBGenerator, syIBVarbinary,
    syIBIf, syIBInactive, syIBKey, syIBModuleName, syIBNames, syIBOption, syIBPageSize, syIBPassword,
    syIBPrivileges, syIBRole, syIBSegment, syIBSingular, syIBSize, syIBSort, syIBStarting, syIBStarts,
    syIBStatistics, syIBSubType, syIBSuspend, syIBType, syIBWork, syIBYearday, syIBPercent, syIBPreserve,
    syIBTemporary, syIBTies, syIBUsing, syIBBoolean, syIBDescribe, syIBDescriptor, syIBRelease,
};
// Firebird 4 knows these again.
constexpr TSymb kFB40Keywords[] = {syIBBinary, syIBVarbinary, syIBKey, syIBPrivileges};

constexpr std::span<const TSymb> kNotKeywords[kVersionCount] = {
    kIB4NotKeywords,    // st_InterBase_4x
    kIB5NotKeywords,    // st_InterBase_5x
    kIB6NotKeywords,    // st_InterBase_6x
    kFB1NotKeywords,    // st_FireBird_1x
    kYaffilNotKeywords, // st_Yaffil_1x
    kFB15NotKeywords,   // st_FireBird_15
    kIB7NotKeywords,    // st_InterBase_7x
    kIB7NotKeywords,    // st_InterBase_75
    kFB20NotKeywords,   // st_Firebird_20
    kFB20NotKeywords,   // st_Firebird_21
    kFB20NotKeywords,   // st_Firebird_25
    kFB30NotKeywords,   // st_Firebird_30
    kFB30NotKeywords,   // st_Firebird_40, less kFB40Keywords
    kIB7NotKeywords,    // st_InterBase_2020
};

constexpr TSymb kIBDataTypeSymbols[] = {
    syIBBlob, syIBChar, syIBCstring, syIBDate, syIBDecfloat, syIBBinary, syIBDecimal, syIBDouble, syIBFloat,
    syIBVarbinary, syIBInteger, syIBNumeric, syIBReal, syIBSmallint, syIBTime, syIBTimestamp, syIBType,
    syIBVarchar, syIBNchar, syIBBigint, syIBBoolean,
};

// Each version's reserved words are its predecessor's, less the words the
// version gave up, then the words it added, in that order. Derive builds them
// at compile time and refuses (the build fails) to drop a word the
// predecessor lacks or to add one it holds already, so a slip in a
// difference cannot pass unseen.
template <std::size_t N>
using TWords = std::array<std::string_view, N>;

template <std::size_t N>
consteval bool HasWord(const TWords<N>& Words, std::string_view Word)
{
    for (std::string_view w : Words)
        if (w == Word) return true;
    return false;
}

template <std::size_t N, std::size_t R, std::size_t A>
consteval TWords<N - R + A> Derive(const TWords<N>& Predecessor, const TWords<R>& Removed, const TWords<A>& Added)
{
    for (std::string_view w : Removed)
        if (!HasWord(Predecessor, w)) throw "a removed word is not in the predecessor's list";
    TWords<N - R + A> r{};
    std::size_t n = 0;
    for (std::string_view w : Predecessor)
        if (!HasWord(Removed, w)) r[n++] = w;
    if (n != N - R) throw "a removed word stands twice";
    for (std::string_view w : Added) {
        for (std::size_t i = 0; i < n; ++i)
            if (r[i] == w) throw "an added word is in the list already";
        r[n++] = w;
    }
    return r;
}

constexpr TWords<0> kNone{};

constexpr auto kIB4ReservedWords = std::to_array<std::string_view>({
    "BASE_NAME", "DEBUG", "INPUT_TYPE", "ISOLATION", "LENGTH", "LEVEL", "LOG_BUFFER_SIZE", "LOGFILE", "LONG",
    "MANUAL", "MAXIMUM_SEGMENT", "MESSAGE", "NUM_LOG_BUFFERS", "ONLY", "OUTPUT_TYPE", "OVERFLOW", "PAGE",
    "PAGES", "PROTECTED", "RAW_PARTITIONS", "READ", "RECORD_VERSION", "RESERV", "RESERVING", "RETAIN",
    "ROLLBACK", "SCHEMA", "SHADOW", "SHARED", "SNAPSHOT", "STABILITY", "STARTS", "TRANSACTION", "WAIT",
    "WRITE",
});
constexpr auto kIB5ReservedWords = Derive(kIB4ReservedWords, kNone, std::to_array<std::string_view>({"RESTRICT"}));
constexpr auto kIB6ReservedWords = Derive(kIB5ReservedWords, kNone,
    std::to_array<std::string_view>({"DAY", "HOUR", "MINUTE", "MONTH", "SECOND", "WEEKDAY", "YEAR", "YEARDAY"}));
constexpr auto kFB1ReservedWords = Derive(kIB6ReservedWords, kNone,
    std::to_array<std::string_view>(
        {"BREAK", "CURRENT_ROLE", "CURRENT_USER", "DESCRIPTOR", "FIRST", "RECREATE", "SKIP", "SUBSTRING"}));
// Firebird 1.5 grew from InterBase 6, not from Firebird 1.
constexpr auto kFB15ReservedWords = Derive(kIB6ReservedWords, kNone,
    std::to_array<std::string_view>({"BIGINT", "CASE", "CURRENT_CONNECTION", "CURRENT_ROLE",
        "CURRENT_TRANSACTION", "CURRENT_USER", "RECREATE", "RELEASE", "ROW_COUNT", "SAVEPOINT"}));
// The InterBase line goes on from InterBase 6; 7.5 reserves what 7 does.
constexpr auto kIB7ReservedWords = Derive(kIB6ReservedWords, kNone,
    std::to_array<std::string_view>({"COALESCE", "FALSE", "NULLIF", "TRUE", "UNKNOWN"}));
constexpr const auto& kIB75ReservedWords = kIB7ReservedWords;
constexpr auto kIB2020ReservedWords = Derive(kIB75ReservedWords, kNone,
    std::to_array<std::string_view>({"NAME", "SUBSCRIBE", "DESCRIPTION", "SYSTEM"}));
// The Firebird line: 2.0 from 1.5; 2.1 reserves what 2.0 does.
constexpr auto kFB20ReservedWords = Derive(kFB15ReservedWords,
    std::to_array<std::string_view>({"BASE_NAME", "LOG_BUFFER_SIZE", "LOGFILE", "MAXIMUM_SEGMENT",
        "NUM_LOG_BUFFERS", "RAW_PARTITIONS", "RESTRICT", "WEEKDAY", "YEARDAY"}),
    std::to_array<std::string_view>({"BIT_LENGTH", "BOTH", "CHAR_LENGTH", "CHARACTER_LENGTH", "CLOSE", "CROSS",
        "FETCH", "LEADING", "LOWER", "OCTET_LENGTH", "OPEN", "ROWS", "TRAILING", "TRIM", "USING"}));
constexpr const auto& kFB21ReservedWords = kFB20ReservedWords;
constexpr auto kFB25ReservedWords = Derive(kFB21ReservedWords, kNone, std::to_array<std::string_view>({"OVER"}));
constexpr auto kFB30ReservedWords = Derive(kFB25ReservedWords, kNone,
    std::to_array<std::string_view>({"BOOLEAN", "REGR_AVGX", "SCROLL", "CORR", "REGR_AVGY", "SQLSTATE",
        "COVAR_POP", "REGR_COUNT", "STDDEV_POP", "COVAR_SAMP", "REGR_INTERCEPT", "STDDEV_SAMP", "DELETING",
        "REGR_R2", "TRUE", "DETERMINISTIC", "REGR_SLOPE", "UNKNOWN", "FALSE", "REGR_SXX", "UPDATING", "INSERTING",
        "REGR_SXY", "VAR_POP", "OFFSET", "REGR_SYY", "VAR_SAMP", "RETURN", "RDB$RECORD_VERSION", "ROW"}));
constexpr auto kFB40ReservedWords = Derive(kFB30ReservedWords, kNone,
    std::to_array<std::string_view>({"BINARY", "VARBINARY", "TIMEZONE_HOUR", "TIMEZONE_MINUTE", "WITHOUT"}));

constexpr std::span<const std::string_view> kReservedWords[kVersionCount] = {
    kIB4ReservedWords, kIB5ReservedWords, kIB6ReservedWords, kFB1ReservedWords,
    {}, // st_Yaffil_1x reserves nothing beyond its keywords
    kFB15ReservedWords, kIB7ReservedWords, kIB75ReservedWords, kFB20ReservedWords, kFB21ReservedWords,
    kFB25ReservedWords, kFB30ReservedWords, kFB40ReservedWords, kIB2020ReservedWords,
};

const TResWordIndex& ResWordIndex()
{
    static const TResWordIndex index(kIBResWords);
    return index;
}

const std::array<TSymbSet, kVersionCount>& KeywordSets()
{
    static const std::array<TSymbSet, kVersionCount> sets = [] {
        TSymbSet all;
        for (const TResWordSymb& row : kIBResWords) all.Include(row.Symb);
        std::array<TSymbSet, kVersionCount> r;
        for (int v = 0; v < kVersionCount; ++v) {
            r[v] = all;
            for (TSymb s : kNotKeywords[v]) r[v].Exclude(s);
        }
        for (TSymb s : kFB40Keywords) r[static_cast<int>(TVersion::st_Firebird_40)].Include(s);
        return r;
    }();
    return sets;
}

const std::vector<TWordSet>& ReservedWordSets()
{
    static const std::vector<TWordSet> sets = [] {
        std::vector<TWordSet> r;
        r.reserve(kVersionCount);
        for (std::span<const std::string_view> words : kReservedWords) r.emplace_back(words);
        return r;
    }();
    return sets;
}

int Ordinal(TVersion Version) { return static_cast<int>(Version); }
bool IsKnown(TVersion Version) { return Ordinal(Version) < kVersionCount; }

bool IsUpperLetter(char c) { return c >= 'A' && c <= 'Z'; }

} // namespace

constexpr std::span<const TResWordSymb, 198> IBResWords = kIBResWords;

constexpr std::span<const std::string_view, 35> IB4ReservedWords = kIB4ReservedWords;
constexpr std::span<const std::string_view, 36> IB5ReservedWords = kIB5ReservedWords;
constexpr std::span<const std::string_view, 44> IB6ReservedWords = kIB6ReservedWords;
constexpr std::span<const std::string_view, 52> FB1ReservedWords = kFB1ReservedWords;
constexpr std::span<const std::string_view, 54> FB15ReservedWords = kFB15ReservedWords;
constexpr std::span<const std::string_view, 49> IB7ReservedWords = kIB7ReservedWords;
constexpr std::span<const std::string_view, 49> IB75ReservedWords = kIB75ReservedWords;
constexpr std::span<const std::string_view, 53> IB2020ReservedWords = kIB2020ReservedWords;
constexpr std::span<const std::string_view, 60> FB20ReservedWords = kFB20ReservedWords;
constexpr std::span<const std::string_view, 60> FB21ReservedWords = kFB21ReservedWords;
constexpr std::span<const std::string_view, 61> FB25ReservedWords = kFB25ReservedWords;
constexpr std::span<const std::string_view, 91> FB30ReservedWords = kFB30ReservedWords;
constexpr std::span<const std::string_view, 96> FB40ReservedWords = kFB40ReservedWords;

const TSymbSet& IBKeywordSymbols(TIBSQLServerVersionType Version) { return KeywordSets().at(Ordinal(Version)); }

const TSymbSet& IBDataTypeSymbols()
{
    static const TSymbSet set = [] {
        TSymbSet s;
        for (TSymb symb : kIBDataTypeSymbols) s.Include(symb);
        return s;
    }();
    return set;
}

std::span<const std::string_view> IBReservedWords(TIBSQLServerVersionType Version)
{
    return IsKnown(Version) ? kReservedWords[Ordinal(Version)] : std::span<const std::string_view>();
}

bool InWordList(std::string_view Name, std::span<const std::string_view> Words)
{
    return std::find(Words.begin(), Words.end(), Name) != Words.end();
}

TSymb IBResWordSymb(std::string_view Word, TIBSQLServerVersionType Version)
{
    const TSymb symb = ResWordIndex().Symb(Word);
    if (symb == syIdent || !IsKnown(Version)) return symb;
    return IBKeywordSymbols(Version).Contains(symb) ? symb : syIdent;
}

TSymb IBFilterTokenSymb(TSymb Symb, TIBSQLServerVersionType Version)
{
    if (Symb == syIdent || Version == TVersion::st_InterBase_2020 || !IsKnown(Version)) return Symb;
    return IBKeywordSymbols(Version).Contains(Symb) ? Symb : syIdent;
}

bool IBNeedsQuotes(std::string_view Name, TIBSQLServerVersionType Version)
{
    if (Name.empty()) return false;
    if (!IsUpperLetter(Name[0])) return true;
    for (std::size_t i = 1; i < Name.size(); ++i) {
        const char c = Name[i];
        if (!IsUpperLetter(c) && !(c >= '0' && c <= '9') && c != '$' && c != '_') return true;
    }
    if (IBResWordSymb(Name, Version) != syIdent) return true;
    return IsKnown(Version) && ReservedWordSets()[Ordinal(Version)].Contains(Name);
}

} // namespace qel
