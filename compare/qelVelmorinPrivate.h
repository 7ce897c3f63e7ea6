// Helpers the comparer's source files share: value classes and comparison,
// literal text of numbers, dates and binary values, and the exception that
// withdraws one statement. Not part of the comparer's public interface.
#pragma once

#include "qelDataSet.h"
#include "qelVelmorin.h"
#include "qelErrors.h"
#include "qelWordTable.h"
#include "qelServerVersions.h"
#include "qelTypes.h"
#include "qelValue.h"

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <fstream>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

class TQELCustomConnection;
class TQELQuery;

namespace velmorin {

// Thrown while a statement is being built when one of its values cannot be
// written (a BLOB that could not be saved, a number with no literal): the
// statement is not produced. The reason was reported already when Reported.
class EStatementWithdrawn : public EQELError {
public:
    explicit EStatementWithdrawn(const std::string& message, bool reported = false)
        : EQELError(message), m_reported(reported) {}
    bool Reported() const { return m_reported; }

private:
    bool m_reported;
};

// Thrown by the merge when rows cannot be paired soundly (one side's rows
// not in key order, a repeated key, columns that do not correspond): every
// statement of the run is withdrawn, and the message says so.
class ERowOrderError : public EQELError {
public:
    using EQELError::EQELError;
};

// The standard string literal, whatever the server: quotes doubled
// ("O'Brien" -> 'O''Brien'). Catalogue queries and the side file's name
// are written so.
inline std::string Quoted(std::string_view s) { return QuoteDelimited(s, '\'', '\''); }

// How values of a field type compare with each other.
enum class TValueClass : std::uint8_t { Number, Text, Binary, DateTime, Time, Boolean, Other };
TValueClass ValueClassOf(TFieldType t);
bool IsExactNumberType(TFieldType t);
bool IsTextBlobType(TFieldType t);

// Sign of a byte-wise comparison; a proper prefix is smaller.
int CompareBytes(std::string_view a, std::string_view b);

// The exact decimal value of a double, every digit: 0.1 ->
// "0.1000000000000000055511151231257827021181583404541015625", 2.5 -> "2.5".
std::string ExactDoubleText(double v);
// Sign of a - d, exactly: the decimal against the double's binary value.
// NaN comes after every number.
int CompareExactWithDouble(const TDecimal& a, double d);

// Three-way comparison of two non-null values by their classes: numbers by
// value, text and binary byte by byte (text trimmed when Trim), dates and
// times by value, False before True; values of unrelated classes by text.
int CompareNonNull(const TValue& a, TFieldType ta, const TValue& b, TFieldType tb, bool Trim);

// True when master value M, written into a target column of type TT,
// reads back as T: as 32-bit floats when Single, as the nearest double for
// a DOUBLE column. Exact values are never rounded to match.
bool SameAtTargetPrecision(const TValue& M, TFieldType TM, const TValue& T, TFieldType TT, bool Single);

// The value with its fraction of a second cut to Digits decimals (0 to 6):
// 10:11:12.123456 at 4 digits is 10:11:12.1234.
TDateTimeValue TruncatedToDigits(const TDateTimeValue& v, int Digits);

// "dd/mm/yyyy hh:mm:ss" and the like, "/" and ":" standing for the date
// and time separators; quoted runs are copied; "mm" after "hh" is minutes.
std::string FormatDateTimePattern(std::string_view Pattern, const TDateTimeValue& v, char DateSeparator = '.',
                                  char TimeSeparator = ':');
// Number pattern of "0", "#", "." and an exponent part ("0.###", "0.00E+00").
std::string FormatFloatPattern(std::string_view Pattern, double v);

// The 23-character scientific form " 2.50000000000000E+0000".
std::string ScientificText(double v);
// The same shortened: " 2.5", " 1.E20", "-1.2345E-5".
std::string ShortenedScientific(const std::string& Full);

// The shortest decimal text of a double in scientific form, with an
// exponent whenever the value is not small: "1.332242131701796864E19",
// "0.30000000000000004".
std::string ShortestFloatText(double v);
// True when Firebird reads the numeric literal Text as exactly the double
// nearest to it. Firebird scales the digits by powers of ten itself, which
// is exact only for at most 15 significant digits and a scale of at most 22
// places either way; beyond that it is off by a unit in the last place.
bool FirebirdReadsExactly(std::string_view Text);
// The double as an expression Firebird evaluates exactly: the 53-bit
// mantissa times a power of two: 0.1 -> "(7205759403792794 * POWER(2, -56))".
std::string ExactDoubleExpression(double v);

// The double as an expression SQLite evaluates exactly, since its reading
// of decimal text can be a unit off in the last place: 0.1 ->
// "(CAST(3602879701896397 AS REAL) / 36028797018963968)".
std::string SQLiteExactDouble(double v);

// True when Text is well-formed UTF-8 (no overlong forms, surrogates or
// code points past U+10FFFF).
bool IsWellFormedUtf8(std::string_view Text);

// Upper-case hexadecimal digits of bytes.
std::string HexText(std::string_view bytes);
// The server's literal of a byte string: x'0A1B' (InterBase, SQLite...),
// decode('0A1B', 'hex') (PostgreSQL), 0x0A1B (MS SQL, ASE, ASA),
// HEXTORAW('0A1B') (Oracle).
std::string BinaryLiteral(std::string_view bytes, TDatabaseType t);

// Firebird's literal of a character value, read back the same by the
// engine and by isql: pieces under the literal limits joined with || (never
// cut inside a UTF-8 sequence), ASCII_CHAR(0) for each NUL byte, which ends
// isql's reading of a line; a value longer than a string expression holds
// becomes a BLOB when BlobAllowed. "it's" -> 'it''s', "a\0b" ->
// ('a' || ASCII_CHAR(0) || 'b'), 40,000 x "a" -> ('a..a' || 'a..a' || 'a..a').
std::string FirebirdTextLiteral(std::string_view Value, bool BlobAllowed);
// Built-in functions (ASCII_CHAR, POWER) came with Firebird 2.1; InterBase
// has none of them.
bool HasFirebird21Functions(TIBSQLServerVersionType v);

// True when a master value of type Master, bound for a target column of
// type Target (ftUnknown when not known) on server T, is written to the
// BLOB side file and referenced: BLOBs, and binary values bound for a BLOB
// column. Text BLOBs for text columns reached through ODBC (PostgreSQL,
// SQLite, MySQL) are plain literals, since those drivers bind a side-file
// value as bytes.
bool WritesBlobReference(TFieldType Master, TFieldType Target, TDatabaseType T);

// The storage class of a value where each cell keeps its own (SQLite):
// Null, Integer (booleans too), Real, Text, Blob, or None for the kinds a
// cell class does not describe (decimals, dates), which compare by type.
enum class TCellClass : std::uint8_t { Null, Integer, Real, Text, Blob, None };
TCellClass CellClassOf(const TValue& v);
// Two cells: by class first, then by value within it; -0.0 and 0.0 differ.
int CompareCells(const TValue& a, const TValue& b, bool Trim);
// SQLite's ORDER BY of two values: numbers (by value) before text before
// BLOBs; text and BLOBs byte by byte.
int CompareInSQLiteOrder(const TValue& a, const TValue& b);
// The literal that stores v in its own class in a SQLite cell: 3, 2.0,
// (-0.0), 'text'; empty for the kinds it does not write (bytes and others).
std::string SQLiteCellLiteral(const TValue& v, TDatabaseType T);
// A field type that a SQLite parameter binds in v's class.
TFieldType SQLiteCellType(const TValue& v, TFieldType Otherwise);

// What a target column holds, as far as its server and catalogue tell.
struct TTargetColumn {
    bool Checked = false;  // a server whose limits are known here
    bool AnyClass = false; // a SQLite cell: any class, numbers as 64-bit integers or doubles
    TValueClass Class = TValueClass::Other;
    TFieldType Type = TFieldType::ftUnknown;
    bool Single = false;         // a 32-bit float
    bool NaNAndInfinity = false; // a float column that keeps NaN and the infinities
    bool Key = false;            // a key column: its value must land exactly to be found again
    int Size = 0;                // characters of text, bytes of a binary column; 0: no limit known
    int Digits = -1, Scale = -1; // exact numbers: declared digits and decimals; -1: no limit
    int StorageBits = 0;         // exact numbers: the bits of the integer that holds them unscaled
    int TimeDigits = 6;          // decimals of a second
};
// Why column C cannot hold master value v (of field type SourceType)
// exactly, as the end of a sentence: "the value 2.5 has more than the 0
// decimals the column keeps"; empty when it lands exactly. Float columns
// take any finite value in their range, at their own precision.
std::string WhyNotHeld(const TValue& v, TFieldType SourceType, const TTargetColumn& C);

// True when column Index of Query's result is a 32-bit float.
bool IsSingleFloatColumn(TQELQuery* Query, int Index);

// Catalogue texts that name a side's table, quoted or as a string literal
// as the side's server needs it (qelCmpTableOptionsCatalogue.cpp).
// Every column of the side's table, where a SELECT is how the columns are
// read (MySQL, Paradox, dBASE): "Select * from `order items`".
std::string EveryColumnSQL(const TCmpTableOptions& Side);
// The primary and unique keys' columns of Table (MySQL, MS SQL).
std::vector<std::string> InformationSchemaKeysSQL(const TCmpTableOptions& Side, const std::string& Table);
// The facts of Table's columns (MySQL, MS SQL).
std::vector<std::string> InformationSchemaColumnsSQL(const TCmpTableOptions& Side, const std::string& Table);

// A name from a given list may be written as the SQL text wants it:
// "\"Order\"" stands for the column Order, "\"a\"\"b\"" for a"b.
std::string BareName(const std::string& Name);

// The column of Columns that Name stands for: the same name, else the only
// one that differs from it in ASCII case alone ("NAME" on Firebird is
// "name" on PostgreSQL); -1 when there is none, AmbiguousColumn when
// several differ from it in case alone ("Val" against "val" and "VAL"). A
// name in double quotes stands for the name inside them.
constexpr int AmbiguousColumn = -2;
int MatchColumnByName(const TStringList& Columns, const std::string& Name);
// True when Exclude names Column: as written, or in another case while no
// column of Columns bears that spelling.
bool ExcludesColumn(const TStringList& Exclude, const std::string& Column, const TStringList& Columns);
// "val, VAL": the columns that differ from Name in case alone.
std::string ColumnsMatching(const TStringList& Columns, const std::string& Name);

// One parameter value of an immediate statement, held by value.
struct TImmediateParam {
    std::string Name;
    TFieldType Type = TFieldType::ftUnknown;
    TValue Value;
};

// A produced statement on its way out: the text with literals for the
// script and the executor, the text with parameters for the target at once
// (empty outside immediate mode) and, for a statement held back, the
// parameter values it takes; without them the parameters take the current
// rows' values.
struct TProducedStatement {
    std::string ScriptSQL;
    std::string ImmediateSQL;
    TStatType StatType = TStatType::stInsert;
    std::string ObjName;
    std::string KeyText; // "ID = 5" of the row, for the log
    TDbObject ObjType = TDbObject::dboUnknown;
    TDbOperation Operation = TDbOperation::odbUnknown;
    bool HeldValues = false;
    std::vector<TImmediateParam> Params;
    int ExecIndex = -1; // the executor's statement of it, for a deferred one
};

// Statements held back until the merge ends, in a temporary file so that
// memory stays flat however many there are. The file goes with the object.
class THeldStatements {
public:
    // Throws EQELError when the temporary file cannot be made or written.
    void Add(const TProducedStatement& Statement);
    // Hands every held statement to Route in the order they were added, then
    // forgets them all.
    void Release(const std::function<void(TProducedStatement&)>& Route);
    void Clear();
    bool Empty() const { return m_count == 0; }

private:
    struct TCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, TCloser> m_file;
    std::size_t m_count = 0;
};

// One side's ordered rows for the merge. Threaded, a thread of its own
// opens the query and fetches its rows into a bounded queue of batches,
// and the merge's fields take them row by row on the caller's thread; the
// thread is the only user of the query until Stop. In step, the query is
// read on the caller's thread as it stands. An error of the reading
// reaches the caller at Start or Next. The destructor stops the thread.
class TSideReader {
public:
    TSideReader(TQELQuery& Query, bool Threaded);
    ~TSideReader();
    TSideReader(const TSideReader&) = delete;
    TSideReader& operator=(const TSideReader&) = delete;

    // Opens the query and makes the first row current.
    void Start();
    TFields& Fields();
    bool Eof() const;
    void Next();
    // Ends the reading at once and waits for the thread.
    void Stop();
    // Whether each column holds 32-bit floats.
    const std::vector<bool>& Single() const { return m_single; }

private:
    static constexpr size_t BatchRows = 512;
    static constexpr size_t QueueDepth = 4;
    struct TColumnShape {
        std::string Name;
        TFieldType Type;
        int Size, Precision, Scale;
    };
    struct TBatch {
        std::vector<TValue> Values; // row after row
        size_t Rows = 0;
    };
    void Run();

    TQELQuery& m_query;
    bool m_threaded;
    std::vector<bool> m_single;
    std::vector<TColumnShape> m_shape;
    TFields m_fields;
    TBatch m_current;
    size_t m_row = 0;
    bool m_eof = true;

    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<TBatch> m_full;
    std::vector<TBatch> m_free;
    std::exception_ptr m_error;
    bool m_opened = false, m_done = false, m_stop = false;
};

// The script and its side file, opened empty for writing and readable by
// their owner only, whatever the umask and whatever mode an old file had:
// the script's CONNECT line carries the target's password. Null, with errno
// set, when the file cannot be created or its mode not set.
std::unique_ptr<std::ofstream> CreateOwnerOnlyFile(const std::string& Path);

} // namespace velmorin

// The fields of both current rows, found once per run: the field objects
// of a query stay the same from row to row.
struct TVelmorin::TMergeState {
    std::vector<TField*> allM, allT;
    std::vector<bool> singleM, singleT;
    std::vector<TField*> keyM, keyT;
    std::vector<int> keyPosM, keyPosT;
    std::vector<TField*> dataM, dataT;
    std::vector<int> dataPosM, dataPosT;
    std::vector<TField*> whereT; // every target key column
    std::vector<std::unique_ptr<TField>> prevM, prevT;
    bool hasPrevM = false, hasPrevT = false;
    bool storageClasses = false; // the target keeps a storage class per cell (SQLite)
    int currentPos = -1;         // the column being compared or written, for messages
    bool sqliteOrder = false;    // both sides are SQLite: keys in SQLite's order of classes
    // Declared types of the target's columns (SQLite), by position in allT,
    // and whether the catalogue knew the column.
    std::vector<std::string> declaredT;
    std::vector<bool> declaredKnownT;
    // Target columns, by position in allT, that take only well-formed UTF-8
    // while both sides are read as bytes (NONE): the set each one names.
    std::vector<std::string> utf8OnlyT;
    // Target columns, by position in allT, read as text BLOBs because a
    // UTF8 string cannot hold them: "VARCHAR(10000) CHARACTER SET WIN1252".
    std::vector<std::string> wideT;
    // What each target column holds, by position in allT.
    std::vector<velmorin::TTargetColumn> limitsT;
    int withdrawn = 0;
    std::set<std::string> reported;
    // INSERTs wait for the merge's end: a DELETE of a target row the server
    // takes for the same key (another case, trailing blanks) runs first.
    velmorin::THeldStatements heldInserts;
    // Immediate statements with their values, applied when both sides are read.
    velmorin::THeldStatements deferred;
    // Immediate statements prepared once per text, at most PreparedShapes.
    static constexpr size_t PreparedShapes = 64;
    std::map<std::string, std::unique_ptr<TQELQuery>> prepared;
    std::string execText; // the text the comparer's execution query holds
    // Last, so gone first: their threads end before anything else goes.
    std::unique_ptr<velmorin::TSideReader> readerM, readerT;
};

} // namespace qel
