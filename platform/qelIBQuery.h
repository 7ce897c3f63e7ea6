// Statements and queries of the Firebird client layer: TIBSQL runs one SQL
// statement with positional ("?") parameters and reads its rows forward into
// reusable fields; TIBQuery puts a dataset face on it (SQL lines, parameters,
// Open/Next/Eof, fields by name) for the engine's query objects.
//
// Column types become field types as follows: SMALLINT ftSmallint, INTEGER
// ftInteger, BIGINT ftLargeint; NUMERIC and DECIMAL with a scale ftBCD, held
// as exact decimals (a scale-0 NUMERIC keeps the integer type of its
// storage); FLOAT and DOUBLE PRECISION ftFloat; DATE ftDate, TIME ftTime,
// TIMESTAMP ftDateTime (to 1/10000 s); CHAR ftFixedChar and VARCHAR ftString
// in every character set, except character set OCTETS: ftBytes and
// ftVarBytes; BLOB SUB_TYPE TEXT ftMemo, other BLOBs ftBlob; BOOLEAN
// ftBoolean. A CHAR of a UTF8 or UNICODE_FSS connection is cut to its
// declared number of characters (the server pads it to four, resp. three,
// bytes per character).
//
// Parameter values are converted to the type the server describes for each
// marker: numbers exactly (rounded half away from zero to the column's
// scale), date and time values, booleans, byte strings; a text value for a
// column that is not text is passed as text and converted by the server, as
// a literal in SQL would be; BLOB columns get a new BLOB written in segments.
#pragma once

#include "qelDataSet.h"
#include "qelStrings.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

class TIBDatabase;
class TIBTransaction;

namespace ibclient {
struct TStatementState;
} // namespace ibclient

// What kind of statement the server prepared (its isc_info_sql_stmt_* code).
enum class TIBStatementType : std::uint8_t {
    stUnknown, stSelect, stInsert, stUpdate, stDelete, stDDL, stGetSegment, stPutSegment, stExecProcedure,
    stStartTransaction, stCommit, stRollback, stSelectForUpdate, stSetGenerator, stSavePoint
};

// One described column or parameter, as the server describes it.
struct TIBColumnInfo {
    std::string Name;         // the alias: the field name
    std::string SQLName;      // the column's own name, when it is a column
    std::string RelationName; // its table, when it is a column
    int SQLType = 0;          // SQL_LONG ..., without the nullable bit
    int SubType = 0;          // BLOB sub-type; character set (low byte) of text
    int Scale = 0;            // negative for NUMERIC/DECIMAL; character set of a text BLOB
    int Length = 0;           // bytes
    bool Nullable = false;
    TFieldType FieldType = TFieldType::ftUnknown;
};

// Rows touched by the last execution, by kind.
struct TIBRowCounts {
    std::int64_t Selected = 0, Inserted = 0, Updated = 0, Deleted = 0;
};

// One statement on one database. The transaction is the one set with
// SetTransaction, else the database's default transaction; it is started
// when it is not active. Prepare describes the result columns (Fields) and
// the parameter markers; ExecQuery runs the statement and, for a statement
// that returns rows, makes the first row current (Eof when there is none);
// Next moves to the following row. The field objects and their value
// buffers are reused from row to row; the cursor is closed at the end of the
// rows, by Close, and before its transaction commits or rolls back.
class TIBSQL {
public:
    TIBSQL();
    explicit TIBSQL(TIBDatabase* Database, TIBTransaction* Transaction = nullptr);
    ~TIBSQL();
    TIBSQL(TIBSQL&& Other) noexcept;
    TIBSQL& operator=(TIBSQL&& Other) noexcept;

    TIBDatabase* Database() const;
    void SetDatabase(TIBDatabase* Database);
    // The transaction set on this statement (not the database's default).
    TIBTransaction* Transaction() const;
    void SetTransaction(TIBTransaction* Transaction);

    const std::string& SQL() const;
    // A different text closes the cursor and unprepares.
    void SetSQL(std::string_view Text);

    void Prepare();
    void Unprepare();
    bool Prepared() const;
    TIBStatementType StatementType() const;
    // The result columns and parameter markers as described at Prepare.
    const std::vector<TIBColumnInfo>& FieldInfo() const;
    const std::vector<TIBColumnInfo>& ParamInfo() const;

    // The current row. Built at Prepare.
    TFields& Fields() const;
    TField& FieldByName(std::string_view Name) const { return Fields().FieldByName(Name); }
    // Values for the markers, by index. Prepare makes it one parameter per
    // marker (new ones named "P1", "P2"..., values already set keep their
    // places); an unset parameter is Null.
    TParams& Params() const;

    // Runs the statement with the values of Params(), resp. of Values (one
    // per marker, in order; fewer or more is an error).
    void ExecQuery();
    void ExecQuery(const TParams& Values);
    // Runs the text once in a single call to the server, without preparing
    // it on this statement's handle: for a statement that takes no parameter
    // values and returns no row (a row it would return is dropped). Nothing
    // is described: afterwards the statement is not prepared, has no fields
    // and its row counts are 0. Errors are the server's, as from ExecQuery.
    void ExecImmediate();
    // Moves to the next row; false (and Eof) at the end.
    bool Next();
    bool Eof() const;
    // A result is open: the rows of a SELECT (also at their end) or the
    // single row of a procedure, until Close, a new execution or the end of
    // the transaction.
    bool Open() const;
    void Close();

    // Rows of the last execution: inserted, updated or deleted by kind of
    // statement, their sum for a procedure or block. Ask before the next
    // execution.
    std::int64_t RowsAffected() const;
    TIBRowCounts RowCounts() const;
    // The server's access plan of the prepared statement ("PLAN (T NATURAL)",
    // one line a plan); empty when it has none (an INSERT ... VALUES).
    std::string Plan() const;

    // For the query object of this layer.
    ibclient::TStatementState& State() const { return *m; }

private:
    std::unique_ptr<ibclient::TStatementState> m;
};

// A query with the dataset's face: SQL lines, its own parameter list,
// Open/Eof/Next, fields by name, ExecSQL. Changing the SQL lines closes and
// unprepares the query (the change handler is SQL().OnChange: a derived
// query keeps it and calls it first). Reading is forward only.
// Not movable: the SQL lines' handler points at the query.
class TIBQuery {
public:
    TIBQuery();
    virtual ~TIBQuery();
    TIBQuery(const TIBQuery&) = delete;
    TIBQuery& operator=(const TIBQuery&) = delete;

    TIBDatabase* Database() const { return m_statement.Database(); }
    void SetDatabase(TIBDatabase* Database);
    TIBTransaction* Transaction() const { return m_statement.Transaction(); }
    void SetTransaction(TIBTransaction* Transaction);

    TStringList& SQL() { return m_sqlLines; }
    const TStringList& SQL() const { return m_sqlLines; }
    // The parameter values, by index, one per marker of the prepared text.
    TParams& Params() { return m_params; }
    const TParams& Params() const { return m_params; }
    // Kept for the derived query, which rebuilds Params from the SQL lines
    // when this is on; this class itself never reads parameter names.
    bool ParamCheck() const { return m_paramCheck; }
    void SetParamCheck(bool Value) { m_paramCheck = Value; }
    // Always forward-only; the switch is kept for callers that set it.
    bool Unidirectional() const { return m_unidirectional; }
    void SetUnidirectional(bool Value) { m_unidirectional = Value; }

    void Prepare();
    void Unprepare();
    bool Prepared() const { return m_statement.Prepared(); }

    // Runs a statement that returns rows and makes the first row current.
    void Open();
    void Close();
    // Open and not yet closed; a commit or rollback of the transaction
    // closes the query.
    bool Active() const { return m_statement.Open(); }
    bool Eof() const;
    // Back to the first row: runs the query again unless it is still there.
    void First();
    void Next();
    // To the last row: its values stay in the fields, Eof is True.
    void Last();
    // Runs a statement that returns no rows (or a procedure's single row).
    void ExecSQL();
    // Runs a statement whose result nobody reads: with no parameter set and
    // no "?" in the text, in one call to the server (TIBSQL::ExecImmediate),
    // which saves the prepare, the descriptions and a separate execute;
    // otherwise as ExecSQL.
    void ExecSQLImmediate();

    TFields& Fields() const { return m_statement.Fields(); }
    TField& FieldByName(std::string_view Name) const { return m_statement.FieldByName(Name); }
    TField* FindField(std::string_view Name) const { return m_statement.Fields().FindField(Name); }
    std::int64_t RowsAffected() const { return m_statement.RowsAffected(); }
    TIBStatementType StatementType() const { return m_statement.StatementType(); }
    TIBSQL& Statement() { return m_statement; }

protected:
    // The text sent to the server: the SQL lines joined by CR LF. A derived
    // query that writes its parameters as names returns the text with "?"
    // markers instead.
    virtual std::string SQLForPrepare() const { return m_sqlLines.Text(); }

private:
    TIBSQL m_statement;
    TStringList m_sqlLines;
    TParams m_params;
    bool m_paramCheck = true;
    bool m_unidirectional = true;
    bool m_atFirst = false;
};

} // namespace qel
