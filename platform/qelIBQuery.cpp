#include "qelIBQuery.h"

#include "qelErrors.h"
#include "qelIBClient.h"
#include "qelIBClientPrivate.h"
#include "qelText.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace qel {

namespace ibclient {

namespace {

// ISC_DATE counts days from 1858-11-17; the platform's day numbers count
// from 1899-12-30, 15018 days later. ISC_TIME counts 1/10000 seconds.
constexpr std::int64_t IscDateOffset = 15018;
constexpr std::int64_t MicrosPerIscTimeUnit = 100;

constexpr int CharsetOctets = 1;
constexpr int CharsetUnicodeFss = 3;
constexpr int CharsetUtf8 = 4;

// The longest text a parameter can carry (its length is a short).
constexpr size_t MaxTextParam = 32767;
// The longest column the client library copies as it is described.
constexpr int MaxShortLength = 32767;
// isc_put_segment takes at most this many bytes at a time.
constexpr size_t MaxSegment = 65535;

#ifndef SQL_BOOLEAN
#define SQL_BOOLEAN 32764
#endif
#ifndef SQL_NULL
#define SQL_NULL 32766
#endif

// An XSQLDA with room for a number of columns, in memory aligned for it.
class TSqlda {
public:
    TSqlda() { Resize(1); }
    XSQLDA* Get() { return reinterpret_cast<XSQLDA*>(m_mem.data()); }
    const XSQLDA* Get() const { return reinterpret_cast<const XSQLDA*>(m_mem.data()); }
    XSQLDA* operator->() { return Get(); }
    XSQLVAR& Var(int Index) { return Get()->sqlvar[Index]; }
    int Count() const { return Get()->sqld; }
    void Resize(int Columns)
    {
        Columns = std::max(Columns, 1);
        m_mem.assign((XSQLDA_LENGTH(Columns) + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t), 0);
        Get()->version = SQLDA_VERSION1;
        Get()->sqln = static_cast<ISC_SHORT>(Columns);
    }

private:
    std::vector<std::uint64_t> m_mem;
};

int BytesPerChar(int Charset)
{
    switch (Charset) {
    case CharsetUtf8: return 4;
    case CharsetUnicodeFss: return 3;
    default: return 1;
    }
}

TFieldType MapFieldType(int SQLType, int SubType, int Scale)
{
    switch (SQLType) {
    case SQL_SHORT: return Scale < 0 ? TFieldType::ftBCD : TFieldType::ftSmallint;
    case SQL_LONG: return Scale < 0 ? TFieldType::ftBCD : TFieldType::ftInteger;
    case SQL_INT64: return Scale < 0 ? TFieldType::ftBCD : TFieldType::ftLargeint;
#ifdef SQL_INT128
    case SQL_INT128: return TFieldType::ftFMTBcd;
#endif
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT: return TFieldType::ftFloat;
    case SQL_TYPE_DATE: return TFieldType::ftDate;
    case SQL_TYPE_TIME: return TFieldType::ftTime;
    case SQL_TIMESTAMP: return TFieldType::ftDateTime;
    case SQL_TEXT: return (SubType & 0xFF) == CharsetOctets ? TFieldType::ftBytes : TFieldType::ftFixedChar;
    case SQL_VARYING: return (SubType & 0xFF) == CharsetOctets ? TFieldType::ftVarBytes : TFieldType::ftString;
    case SQL_BLOB: return SubType == 1 ? TFieldType::ftMemo : TFieldType::ftBlob;
    case SQL_BOOLEAN: return TFieldType::ftBoolean;
    case SQL_NULL: return TFieldType::ftString;
    default: return TFieldType::ftUnknown;
    }
}

// Bytes a value of the described type takes in a row buffer.
size_t BufferSize(int SQLType, int Length)
{
    switch (SQLType) {
    case SQL_VARYING: return static_cast<size_t>(Length) + 2;
    case SQL_TEXT: return static_cast<size_t>(Length);
    case SQL_NULL: return 0;
    default: return static_cast<size_t>(std::max(Length, 0));
    }
}

// A CHAR value of a multi-byte connection comes padded with blanks to its
// byte length; the column holds only its declared number of characters.
std::string_view CutFixedChar(std::string_view Text, int Charset, int Length)
{
    const int bpc = BytesPerChar(Charset);
    if (bpc == 1) return Text;
    const size_t chars = static_cast<size_t>(Length / bpc);
    size_t seen = 0;
    for (size_t i = 0; i < Text.size(); ++i) {
        if ((static_cast<unsigned char>(Text[i]) & 0xC0) != 0x80) {
            if (seen == chars) return Text.substr(0, i);
            ++seen;
        }
    }
    return Text;
}

// The decimal at the given scale, rounded half away from zero like the
// server rounds; false when it does not fit 64 bits.
bool ScaledInt64(const TDecimal& Value, int TargetScale, std::int64_t& Out)
{
    constexpr __int128 Max = std::numeric_limits<std::int64_t>::max();
    constexpr __int128 Min = std::numeric_limits<std::int64_t>::min();
    __int128 u = Value.Unscaled();
    int s = Value.Scale();
    while (s < TargetScale) {
        if (u > Max || u < Min) return false;
        u *= 10;
        ++s;
    }
    if (s > TargetScale) {
        __int128 p = 1;
        for (int i = TargetScale; i < s; ++i) p *= 10;
        __int128 q = u / p;
        const __int128 r = u % p;
        const __int128 ar = r < 0 ? -r : r;
        if (ar >= p - ar) q += u < 0 ? -1 : 1;
        u = q;
    }
    if (u > Max || u < Min) return false;
    Out = static_cast<std::int64_t>(u);
    return true;
}

// A BLOB handle that is cancelled when an error leaves it open.
class TBlobHandle {
public:
    TBlobHandle() = default;
    TBlobHandle(const TBlobHandle&) = delete;
    TBlobHandle& operator=(const TBlobHandle&) = delete;
    ~TBlobHandle()
    {
        if (Handle != 0) {
            TStatus st;
            isc_cancel_blob(&st, &Handle);
        }
    }
    void Close()
    {
        TStatus st;
        isc_close_blob(&st, &Handle);
        st.Check();
        Handle = 0;
    }
    isc_blob_handle Handle = 0;
};

// Room for one parameter value.
struct TInputSlot {
    alignas(8) unsigned char Fixed[16] = {};
    std::string Text;
    short Indicator = 0;
};

} // namespace

struct TStatementState final : TDatabaseLink, TTransactionUser {
    TIBSQL* Owner = nullptr;
    isc_stmt_handle Handle = 0;
    std::string SQL;
    bool Prepared = false;
    TIBStatementType Type = TIBStatementType::stUnknown;
    unsigned short Dialect = 3;
    TTransactionState* ExplicitTr = nullptr; // set on the statement
    TTransactionState* ResultTr = nullptr;   // of the current result, until it is closed
    bool CursorOpen = false;                 // the server's cursor (closed at the end of the rows)
    bool Eof = true;

    TSqlda Out, In;
    std::vector<TIBColumnInfo> FieldInfo, ParamInfo;
    TFields Fields;
    TParams Params;
    std::vector<std::uint64_t> OutBuffer;
    std::vector<short> OutIndicators;
    std::vector<char> OutAsBlob; // per column: a long text fetched as a text BLOB
    std::vector<TInputSlot> InSlots;
    std::string BlobScratch;

    ~TStatementState() override;

    void DatabaseDetaching() noexcept override
    {
        CloseResultQuietly();
        FreeHandleQuietly();
    }
    void TransactionEnding(TTransactionState* Tr) noexcept override
    {
        if (ResultTr == Tr) CloseResultQuietly();
    }
    void TransactionDestroyed(TTransactionState* Tr) noexcept override
    {
        if (ResultTr == Tr) {
            CursorOpen = false; // the server closed it with the transaction
            Eof = true;
        }
        Relink(ExplicitTr == Tr ? nullptr : ExplicitTr, ResultTr == Tr ? nullptr : ResultTr);
    }

    void Relink(TTransactionState* NewExplicit, TTransactionState* NewCursor) noexcept;
    void CloseResultQuietly() noexcept;
    void CloseServerCursor() noexcept;
    void FreeHandleQuietly() noexcept;
    TTransactionState* ActiveTransaction();
    void Prepare();
    void Describe();
    void Execute(const TParams& Values);
    void ExecuteImmediate();
    bool Fetch();
    void DecodeRow(TTransactionState* Tr);
    void FillInput(const TParams& Values, TTransactionState* Tr);
    void EncodeParam(int Index, const TValue& Value, TTransactionState* Tr);
    ISC_QUAD WriteBlob(std::string_view Bytes, int SubType, int Charset, TTransactionState* Tr);
    void ReadBlob(ISC_QUAD Id, TTransactionState* Tr, size_t& Size);
    TIBRowCounts Counts();
};

TStatementState::~TStatementState()
{
    CloseResultQuietly();
    FreeHandleQuietly();
    Relink(nullptr, nullptr);
}

void TStatementState::Relink(TTransactionState* NewExplicit, TTransactionState* NewCursor) noexcept
{
    TTransactionState* const old[] = {ExplicitTr, ResultTr};
    ExplicitTr = NewExplicit;
    ResultTr = NewCursor;
    for (TTransactionState* t : old)
        if (t != nullptr && t != ExplicitTr && t != ResultTr) t->RemoveUser(this);
    try {
        if (ExplicitTr != nullptr) ExplicitTr->AddUser(this);
        if (ResultTr != nullptr) ResultTr->AddUser(this);
    } catch (...) {
        // Out of memory while noting a link: forget the links instead of
        // keeping one the transaction does not know about.
        if (ExplicitTr != nullptr) ExplicitTr->RemoveUser(this);
        if (ResultTr != nullptr) ResultTr->RemoveUser(this);
        ExplicitTr = ResultTr = nullptr;
    }
}

void TStatementState::CloseServerCursor() noexcept
{
    if (!CursorOpen) return;
    CursorOpen = false;
    TDatabaseState* db = LinkedDatabase();
    if (Handle != 0 && db != nullptr && db->Connected()) {
        TStatus st;
        isc_dsql_free_statement(&st, &Handle, DSQL_close);
    }
}

void TStatementState::CloseResultQuietly() noexcept
{
    CloseServerCursor();
    Eof = true;
    if (ResultTr != nullptr) Relink(ExplicitTr, nullptr);
}

void TStatementState::FreeHandleQuietly() noexcept
{
    if (Handle != 0) {
        TDatabaseState* db = LinkedDatabase();
        if (db != nullptr && db->Connected()) {
            TStatus st;
            isc_dsql_free_statement(&st, &Handle, DSQL_drop);
        }
        Handle = 0;
    }
    Prepared = false;
}

TTransactionState* TStatementState::ActiveTransaction()
{
    TDatabaseState* db = LinkedDatabase();
    RequireHandle(db, "run a statement");
    TTransactionState* tr = ExplicitTr != nullptr ? ExplicitTr : db->DefaultTransaction;
    if (tr == nullptr) throw EUsageError("Cannot run a statement: no transaction assigned");
    if (tr->LinkedDatabase() != db) throw EUsageError("Cannot run a statement: its transaction belongs to another database");
    if (!tr->Active()) tr->Start();
    return tr;
}

void TStatementState::Prepare()
{
    isc_db_handle* db = RequireHandle(LinkedDatabase(), "prepare a statement");
    if (Trim(SQL).empty()) throw EUsageError("Cannot prepare an empty statement");
    TTransactionState* tr = ActiveTransaction();
    CloseResultQuietly();
    Prepared = false;
    if (Handle == 0) {
        TStatus st;
        isc_dsql_allocate_statement(&st, db, &Handle);
        st.Check();
    }
    Dialect = static_cast<unsigned short>(LinkedDatabase()->SQLDialect);
    if (Out->sqln < 16) Out.Resize(16);
    TStatus st;
    // A length of 0 makes the library read up to the terminating NUL, for
    // texts longer than a length word holds.
    const auto len = static_cast<unsigned short>(SQL.size() > 65535 ? 0 : SQL.size());
    isc_dsql_prepare(&st, &tr->Handle, &Handle, len, SQL.c_str(), Dialect, Out.Get());
    st.Check();
    if (Out->sqld > Out->sqln) {
        Out.Resize(Out->sqld);
        isc_dsql_describe(&st, &Handle, SQLDA_VERSION1, Out.Get());
        st.Check();
    }
    if (In->sqln < 16) In.Resize(16);
    isc_dsql_describe_bind(&st, &Handle, SQLDA_VERSION1, In.Get());
    st.Check();
    if (In->sqld > In->sqln) {
        In.Resize(In->sqld);
        isc_dsql_describe_bind(&st, &Handle, SQLDA_VERSION1, In.Get());
        st.Check();
    }
    const char item = isc_info_sql_stmt_type;
    char info[16] = {};
    isc_dsql_sql_info(&st, &Handle, 1, &item, sizeof info, info);
    st.Check();
    Type = TIBStatementType::stUnknown;
    if (info[0] == isc_info_sql_stmt_type) {
        const size_t len2 = std::min<size_t>(InfoNumber(info + 1, 2), 4);
        const auto code = static_cast<int>(InfoNumber(info + 3, len2));
        if (code >= 1 && code <= static_cast<int>(TIBStatementType::stSavePoint)) Type = static_cast<TIBStatementType>(code);
    }
    Describe();
    Prepared = true;
}

void TStatementState::Describe()
{
    auto info = [](const XSQLVAR& v) {
        TIBColumnInfo c;
        c.Name.assign(v.aliasname, static_cast<size_t>(v.aliasname_length));
        c.SQLName.assign(v.sqlname, static_cast<size_t>(v.sqlname_length));
        c.RelationName.assign(v.relname, static_cast<size_t>(v.relname_length));
        c.SQLType = v.sqltype & ~1;
        c.Nullable = (v.sqltype & 1) != 0;
        c.SubType = v.sqlsubtype;
        c.Scale = v.sqlscale;
        c.Length = static_cast<int>(VarLength(v));
        c.FieldType = MapFieldType(c.SQLType, c.SubType, c.Scale);
        return c;
    };

    FieldInfo.clear();
    Fields.Clear();
    OutAsBlob.clear();
    const int columns = Out.Count();
    std::vector<size_t> offsets;
    size_t total = 0;
    for (int i = 0; i < columns; ++i) {
        TIBColumnInfo c = info(Out.Var(i));
        if (c.FieldType == TFieldType::ftUnknown)
            throw EUsageError("Column \"" + c.Name + "\" has the SQL type " + IntToStr(c.SQLType) +
                              ", which this client layer cannot read");
        int size = 0, precision = 0, scale = 0;
        if (IsStringType(c.FieldType)) size = c.Length / BytesPerChar(c.SubType & 0xFF);
        else if (IsBinaryType(c.FieldType)) size = c.Length;
        if (c.FieldType == TFieldType::ftBCD || c.FieldType == TFieldType::ftFMTBcd) {
            precision = c.SQLType == SQL_SHORT ? 4 : c.SQLType == SQL_LONG ? 9 : c.SQLType == SQL_INT64 ? 18 : 38;
            scale = -c.Scale;
        }
        Fields.Add(std::make_unique<TField>(c.Name, c.FieldType, size, precision, scale));
        offsets.push_back(total);
        const bool asBlob = (c.SQLType == SQL_TEXT || c.SQLType == SQL_VARYING) && c.Length > MaxShortLength;
        OutAsBlob.push_back(asBlob ? 1 : 0);
        total += ((asBlob ? sizeof(ISC_QUAD) : BufferSize(c.SQLType, c.Length)) + 7) / 8 * 8;
        FieldInfo.push_back(std::move(c));
    }
    OutBuffer.assign(std::max<size_t>(total / 8, 1), 0);
    OutIndicators.assign(static_cast<size_t>(std::max(columns, 1)), 0);
    auto* base = reinterpret_cast<char*>(OutBuffer.data());
    for (int i = 0; i < columns; ++i) {
        XSQLVAR& v = Out.Var(i);
        v.sqldata = base + offsets[static_cast<size_t>(i)];
        v.sqlind = &OutIndicators[static_cast<size_t>(i)];
        if (OutAsBlob[static_cast<size_t>(i)] != 0) {
            // The client library copies a text of 32,768 bytes or more (a
            // long literal) with its length taken as negative, and writes
            // far outside the buffer: the server hands such a column over
            // as a text BLOB of its character set instead.
            const auto charset = static_cast<ISC_SHORT>(v.sqlsubtype & 0xFF);
            v.sqltype = static_cast<ISC_SHORT>(SQL_BLOB | (v.sqltype & 1));
            v.sqlsubtype = 1;
            v.sqlscale = charset;
            v.sqllen = sizeof(ISC_QUAD);
        }
    }

    ParamInfo.clear();
    const int markers = In.Count();
    for (int i = 0; i < markers; ++i) ParamInfo.push_back(info(In.Var(i)));
    InSlots.assign(static_cast<size_t>(markers), TInputSlot{});
    if (Params.Count() != markers) {
        // One parameter per marker; values already set keep their places.
        TParams fitted;
        for (int i = 0; i < markers; ++i) {
            if (i < Params.Count()) fitted.CreateParam(Params[i].DataType(), Params[i].Name()).AssignValue(Params[i]);
            else fitted.CreateParam(TFieldType::ftUnknown, "P" + IntToStr(i + 1));
        }
        Params = std::move(fitted);
    }
}

void TStatementState::Execute(const TParams& Values)
{
    if (!Prepared) Prepare();
    CloseResultQuietly();
    TTransactionState* tr = ActiveTransaction();
    FillInput(Values, tr);
    XSQLDA* in = In.Count() > 0 ? In.Get() : nullptr;
    TStatus st;
    if (Type == TIBStatementType::stSelect || Type == TIBStatementType::stSelectForUpdate) {
        isc_dsql_execute(&st, &tr->Handle, &Handle, Dialect, in);
        st.Check();
        CursorOpen = true;
        Relink(ExplicitTr, tr);
        Fetch();
    } else if (Out.Count() > 0) {
        // A procedure or a statement with RETURNING: one row comes back
        // with the execution itself.
        isc_dsql_execute2(&st, &tr->Handle, &Handle, Dialect, in, Out.Get());
        st.Check();
        Relink(ExplicitTr, tr);
        DecodeRow(tr);
        Eof = false;
    } else {
        isc_dsql_execute(&st, &tr->Handle, &Handle, Dialect, in);
        st.Check();
    }
}

void TStatementState::ExecuteImmediate()
{
    isc_db_handle* db = RequireHandle(LinkedDatabase(), "run a statement");
    if (Trim(SQL).empty()) throw EUsageError("Cannot prepare an empty statement");
    TTransactionState* tr = ActiveTransaction();
    CloseResultQuietly();
    // Whatever the handle held before no longer describes this text.
    Prepared = false;
    Type = TIBStatementType::stUnknown;
    FieldInfo.clear();
    ParamInfo.clear();
    Fields.Clear();
    const auto dialect = static_cast<unsigned short>(LinkedDatabase()->SQLDialect);
    const auto len = static_cast<unsigned short>(SQL.size() > 65535 ? 0 : SQL.size());
    TStatus st;
    isc_dsql_execute_immediate(&st, db, &tr->Handle, len, SQL.c_str(), dialect, nullptr);
    st.Check();
}

bool TStatementState::Fetch()
{
    if (!CursorOpen) {
        Eof = true;
        return false;
    }
    TStatus st;
    const ISC_STATUS rc = isc_dsql_fetch(&st, &Handle, Dialect, Out.Get());
    if (rc == 100) {
        // The server's cursor is given back at once; the result stays open
        // (at its end) until it is closed.
        CloseServerCursor();
        Eof = true;
        return false;
    }
    st.Check();
    DecodeRow(ResultTr);
    Eof = false;
    return true;
}

void TStatementState::DecodeRow(TTransactionState* Tr)
{
    const int columns = Out.Count();
    for (int i = 0; i < columns; ++i) {
        XSQLVAR& v = Out.Var(i);
        TField& f = Fields[i];
        if ((v.sqltype & 1) != 0 && *v.sqlind < 0) {
            f.SetNull();
            continue;
        }
        TValue& value = f.MutableValue();
        const char* data = v.sqldata;
        switch (v.sqltype & ~1) {
        case SQL_SHORT: {
            std::int16_t x;
            std::memcpy(&x, data, sizeof x);
            if (v.sqlscale < 0) value.SetDecimal(TDecimal(x, -v.sqlscale));
            else value.SetInteger(x);
            break;
        }
        case SQL_LONG: {
            std::int32_t x;
            std::memcpy(&x, data, sizeof x);
            if (v.sqlscale < 0) value.SetDecimal(TDecimal(x, -v.sqlscale));
            else value.SetInteger(x);
            break;
        }
        case SQL_INT64: {
            std::int64_t x;
            std::memcpy(&x, data, sizeof x);
            if (v.sqlscale < 0) value.SetDecimal(TDecimal(x, -v.sqlscale));
            else value.SetInteger(x);
            break;
        }
#ifdef SQL_INT128
        case SQL_INT128: {
            __int128 x;
            std::memcpy(&x, data, sizeof x);
            value.SetDecimal(TDecimal(x, v.sqlscale < 0 ? -v.sqlscale : 0));
            break;
        }
#endif
        case SQL_FLOAT: {
            float x;
            std::memcpy(&x, data, sizeof x);
            value.SetFloat(x);
            break;
        }
        case SQL_DOUBLE:
        case SQL_D_FLOAT: {
            double x;
            std::memcpy(&x, data, sizeof x);
            value.SetFloat(x);
            break;
        }
        case SQL_TYPE_DATE: {
            ISC_DATE d;
            std::memcpy(&d, data, sizeof d);
            value.SetDate(TDateTimeValue::FromDayAndMicros(d - IscDateOffset, 0));
            break;
        }
        case SQL_TYPE_TIME: {
            ISC_TIME t;
            std::memcpy(&t, data, sizeof t);
            value.SetTime(TDateTimeValue::FromDayAndMicros(0, static_cast<std::int64_t>(t) * MicrosPerIscTimeUnit));
            break;
        }
        case SQL_TIMESTAMP: {
            ISC_TIMESTAMP ts;
            std::memcpy(&ts, data, sizeof ts);
            value.SetDateTime(TDateTimeValue::FromDayAndMicros(
                ts.timestamp_date - IscDateOffset, static_cast<std::int64_t>(ts.timestamp_time) * MicrosPerIscTimeUnit));
            break;
        }
        case SQL_TEXT: {
            const std::string_view text(data, VarLength(v));
            if ((v.sqlsubtype & 0xFF) == CharsetOctets) value.SetBytes(text);
            else value.SetString(CutFixedChar(text, v.sqlsubtype & 0xFF, static_cast<int>(VarLength(v))));
            break;
        }
        case SQL_VARYING: {
            std::uint16_t len;
            std::memcpy(&len, data, sizeof len);
            const std::string_view text(data + 2, std::min<size_t>(len, VarLength(v)));
            if ((v.sqlsubtype & 0xFF) == CharsetOctets) value.SetBytes(text);
            else value.SetString(text);
            break;
        }
        case SQL_BLOB: {
            ISC_QUAD id;
            std::memcpy(&id, data, sizeof id);
            size_t size = 0;
            ReadBlob(id, Tr, size);
            const std::string_view bytes(BlobScratch.data(), size);
            const TIBColumnInfo& c = FieldInfo[static_cast<size_t>(i)];
            if (OutAsBlob[static_cast<size_t>(i)] != 0 && (c.SubType & 0xFF) == CharsetOctets) value.SetBytes(bytes);
            else if (OutAsBlob[static_cast<size_t>(i)] != 0 && c.SQLType == SQL_TEXT)
                value.SetString(CutFixedChar(bytes, c.SubType & 0xFF, c.Length));
            else if (v.sqlsubtype == 1) value.SetString(bytes);
            else value.SetBytes(bytes);
            break;
        }
        case SQL_BOOLEAN: value.SetBoolean(*data != 0); break;
        default: f.SetNull(); break;
        }
    }
}

void TStatementState::ReadBlob(ISC_QUAD Id, TTransactionState* Tr, size_t& Size)
{
    TBlobHandle blob;
    TStatus st;
    isc_open_blob2(&st, &LinkedDatabase()->Handle, &Tr->Handle, &blob.Handle, &Id, 0, nullptr);
    st.Check();
    // The scratch buffer only grows, so rows of similar BLOBs read without
    // allocating.
    Size = 0;
    for (;;) {
        if (BlobScratch.size() < Size + MaxSegment) BlobScratch.resize(std::max(Size + MaxSegment, BlobScratch.size() * 2));
        unsigned short got = 0;
        const ISC_STATUS rc = isc_get_segment(&st, &blob.Handle, &got, static_cast<unsigned short>(MaxSegment),
                                              BlobScratch.data() + Size);
        if (rc == 0 || rc == isc_segment) {
            Size += got;
            continue;
        }
        if (rc == isc_segstr_eof) break;
        st.Check();
    }
    blob.Close();
}

ISC_QUAD TStatementState::WriteBlob(std::string_view Bytes, int SubType, int Charset, TTransactionState* Tr)
{
    std::string bpb;
    if (SubType != 0) {
        // A text BLOB is declared in the character set the server described
        // for the parameter, so that the server converts it to the column's.
        const char items[] = {isc_bpb_version1,
                              isc_bpb_source_type, 1, static_cast<char>(SubType),
                              isc_bpb_target_type, 1, static_cast<char>(SubType),
                              isc_bpb_source_interp, 1, static_cast<char>(Charset),
                              isc_bpb_target_interp, 1, static_cast<char>(Charset)};
        bpb.assign(items, sizeof items);
        if (SubType != 1) bpb.resize(7);
    }
    TBlobHandle blob;
    ISC_QUAD id{};
    TStatus st;
    isc_create_blob2(&st, &LinkedDatabase()->Handle, &Tr->Handle, &blob.Handle, &id, static_cast<short>(bpb.size()),
                     bpb.empty() ? nullptr : bpb.data());
    st.Check();
    for (size_t pos = 0; pos < Bytes.size();) {
        const size_t n = std::min(MaxSegment, Bytes.size() - pos);
        isc_put_segment(&st, &blob.Handle, static_cast<unsigned short>(n), Bytes.data() + pos);
        st.Check();
        pos += n;
    }
    blob.Close();
    return id;
}

void TStatementState::FillInput(const TParams& Values, TTransactionState* Tr)
{
    const int markers = In.Count();
    if (Values.Count() != markers)
        throw EUsageError("The statement has " + IntToStr(markers) + " parameter markers, " + IntToStr(Values.Count()) +
                          " values were given");
    for (int i = 0; i < markers; ++i) {
        XSQLVAR& v = In.Var(i);
        const TIBColumnInfo& d = ParamInfo[static_cast<size_t>(i)];
        TInputSlot& slot = InSlots[static_cast<size_t>(i)];
        v.sqltype = static_cast<ISC_SHORT>(d.SQLType | 1);
        v.sqlsubtype = static_cast<ISC_SHORT>(d.SubType);
        v.sqlscale = static_cast<ISC_SHORT>(d.Scale);
        v.sqllen = static_cast<ISC_SHORT>(d.Length);
        v.sqldata = reinterpret_cast<char*>(slot.Fixed);
        v.sqlind = &slot.Indicator;
        const TParam& p = Values[i];
        if (p.IsNull()) {
            slot.Indicator = -1;
            continue;
        }
        slot.Indicator = 0;
        try {
            EncodeParam(i, p.Value(), Tr);
        } catch (const EConvertError& e) {
            throw EConvertError("Parameter " + IntToStr(i + 1) + (p.Name().empty() ? "" : " (" + p.Name() + ")") +
                                ": " + e.what());
        }
    }
}

void TStatementState::EncodeParam(int Index, const TValue& Value, TTransactionState* Tr)
{
    XSQLVAR& v = In.Var(Index);
    const TIBColumnInfo& d = ParamInfo[static_cast<size_t>(Index)];
    TInputSlot& slot = InSlots[static_cast<size_t>(Index)];
    const TValueKind kind = Value.Kind();
    const bool isText = kind == TValueKind::vkString || kind == TValueKind::vkBytes;

    auto sendText = [&](std::string_view bytes, int charset) {
        if (bytes.size() > MaxTextParam)
            throw EConvertError("a text value of " + IntToStr(static_cast<long long>(bytes.size())) +
                                " bytes is longer than the 32767 bytes a parameter carries");
        slot.Text.assign(bytes);
        v.sqltype = SQL_TEXT | 1;
        v.sqlsubtype = static_cast<ISC_SHORT>(charset);
        v.sqlscale = 0;
        v.sqllen = static_cast<ISC_SHORT>(bytes.size());
        v.sqldata = slot.Text.data();
    };
    auto sendFixed = [&](int type, const void* data, size_t size) {
        v.sqltype = static_cast<ISC_SHORT>(type | 1);
        v.sqllen = static_cast<ISC_SHORT>(size);
        std::memcpy(slot.Fixed, data, size);
    };

    switch (d.SQLType) {
    case SQL_BLOB: {
        if (isText) {
            const ISC_QUAD id = WriteBlob(Value.RawString(), d.SubType, d.Scale, Tr);
            sendFixed(SQL_BLOB, &id, sizeof id);
        } else {
            slot.Text = Value.AsString();
            const ISC_QUAD id = WriteBlob(slot.Text, d.SubType, d.Scale, Tr);
            sendFixed(SQL_BLOB, &id, sizeof id);
        }
        return;
    }
    case SQL_TEXT:
    case SQL_VARYING:
        if (isText) sendText(Value.RawString(), d.SubType);
        else sendText(Value.AsString(), d.SubType);
        return;
    case SQL_NULL:
        return; // only its indicator counts ("? IS NULL")
    default: break;
    }

    // Text for any other column is converted by the server, as a literal.
    if (kind == TValueKind::vkString) {
        sendText(Value.RawString(), 0);
        return;
    }

    switch (d.SQLType) {
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64: {
        const TDecimal dec = Value.AsDecimal();
        std::int64_t x = 0;
        if (ScaledInt64(dec, -d.Scale, x)) {
            sendFixed(SQL_INT64, &x, sizeof x);
            v.sqlscale = static_cast<ISC_SHORT>(d.Scale);
        } else {
            sendText(dec.ToString(), 0); // out of range: the server says so
        }
        return;
    }
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT: {
        const double x = Value.AsFloat();
        sendFixed(SQL_DOUBLE, &x, sizeof x);
        return;
    }
    case SQL_TYPE_DATE: {
        const ISC_DATE x = static_cast<ISC_DATE>(Value.AsDateTime().DayNumber() + IscDateOffset);
        sendFixed(SQL_TYPE_DATE, &x, sizeof x);
        return;
    }
    case SQL_TYPE_TIME: {
        const ISC_TIME x = static_cast<ISC_TIME>(Value.AsDateTime().MicrosecondOfDay() / MicrosPerIscTimeUnit);
        sendFixed(SQL_TYPE_TIME, &x, sizeof x);
        return;
    }
    case SQL_TIMESTAMP: {
        const TDateTimeValue dt = Value.AsDateTime();
        ISC_TIMESTAMP x;
        x.timestamp_date = static_cast<ISC_DATE>(dt.DayNumber() + IscDateOffset);
        x.timestamp_time = static_cast<ISC_TIME>(dt.MicrosecondOfDay() / MicrosPerIscTimeUnit);
        sendFixed(SQL_TIMESTAMP, &x, sizeof x);
        return;
    }
    case SQL_BOOLEAN: {
        const unsigned char x = Value.AsBoolean() ? 1 : 0;
        sendFixed(SQL_BOOLEAN, &x, sizeof x);
        return;
    }
    default:
        throw EConvertError("the server's parameter type " + IntToStr(d.SQLType) + " is not supported");
    }
}

TIBRowCounts TStatementState::Counts()
{
    TIBRowCounts counts;
    if (!Prepared || Handle == 0 || LinkedDatabase() == nullptr || !LinkedDatabase()->Connected()) return counts;
    const char item = isc_info_sql_records;
    char buffer[128] = {};
    TStatus st;
    isc_dsql_sql_info(&st, &Handle, 1, &item, sizeof buffer, buffer);
    st.Check();
    if (buffer[0] != isc_info_sql_records) return counts;
    const auto total = static_cast<size_t>(InfoNumber(buffer + 1, 2));
    const char* p = buffer + 3;
    const char* end = buffer + std::min(sizeof buffer, total + 3);
    while (p + 3 <= end && *p != isc_info_end) {
        const char code = *p++;
        const auto len = static_cast<size_t>(InfoNumber(p, 2));
        p += 2;
        if (len > 8 || len > static_cast<size_t>(end - p)) break;
        const auto n = static_cast<std::int64_t>(InfoNumber(p, len));
        p += len;
        switch (code) {
        case isc_info_req_select_count: counts.Selected = n; break;
        case isc_info_req_insert_count: counts.Inserted = n; break;
        case isc_info_req_update_count: counts.Updated = n; break;
        case isc_info_req_delete_count: counts.Deleted = n; break;
        default: break;
        }
    }
    return counts;
}

} // namespace ibclient

using namespace ibclient;

// ---- TIBSQL ----------------------------------------------------------------

TIBSQL::TIBSQL() : m(std::make_unique<TStatementState>()) { m->Owner = this; }

TIBSQL::TIBSQL(TIBDatabase* Database, TIBTransaction* Transaction) : TIBSQL()
{
    SetDatabase(Database);
    SetTransaction(Transaction);
}

TIBSQL::~TIBSQL() = default;

TIBSQL::TIBSQL(TIBSQL&& Other) noexcept : m(std::move(Other.m))
{
    m->Owner = this;
    Other.m = std::make_unique<TStatementState>();
    Other.m->Owner = &Other;
}

TIBSQL& TIBSQL::operator=(TIBSQL&& Other) noexcept
{
    if (this != &Other) {
        m = std::move(Other.m);
        m->Owner = this;
        Other.m = std::make_unique<TStatementState>();
        Other.m->Owner = &Other;
    }
    return *this;
}

TIBDatabase* TIBSQL::Database() const { return m->LinkedDatabase() != nullptr ? m->LinkedDatabase()->Owner : nullptr; }

void TIBSQL::SetDatabase(TIBDatabase* Database)
{
    TDatabaseState* next = Database != nullptr ? &Database->State() : nullptr;
    if (next == m->LinkedDatabase()) return;
    m->CloseResultQuietly();
    m->FreeHandleQuietly();
    m->LinkDatabase(next);
}

TIBTransaction* TIBSQL::Transaction() const { return m->ExplicitTr != nullptr ? m->ExplicitTr->Owner : nullptr; }

void TIBSQL::SetTransaction(TIBTransaction* Transaction)
{
    TTransactionState* next = Transaction != nullptr ? &Transaction->State() : nullptr;
    if (next == m->ExplicitTr) return;
    m->CloseResultQuietly();
    m->Relink(next, nullptr);
}

const std::string& TIBSQL::SQL() const { return m->SQL; }

void TIBSQL::SetSQL(std::string_view Text)
{
    if (Text == m->SQL) return;
    m->CloseResultQuietly();
    m->Prepared = false;
    m->SQL = std::string(Text);
}

void TIBSQL::Prepare() { m->Prepare(); }

void TIBSQL::Unprepare()
{
    m->CloseResultQuietly();
    m->Prepared = false;
}

bool TIBSQL::Prepared() const { return m->Prepared; }
TIBStatementType TIBSQL::StatementType() const { return m->Type; }
const std::vector<TIBColumnInfo>& TIBSQL::FieldInfo() const { return m->FieldInfo; }
const std::vector<TIBColumnInfo>& TIBSQL::ParamInfo() const { return m->ParamInfo; }
TFields& TIBSQL::Fields() const { return m->Fields; }
TParams& TIBSQL::Params() const { return m->Params; }

void TIBSQL::ExecQuery()
{
    if (!m->Prepared) m->Prepare();
    m->Execute(m->Params);
}

void TIBSQL::ExecQuery(const TParams& Values) { m->Execute(Values); }

void TIBSQL::ExecImmediate() { m->ExecuteImmediate(); }

bool TIBSQL::Next()
{
    if (m->Eof) return false;
    if (!m->CursorOpen) {
        m->Eof = true; // the single row of a procedure
        return false;
    }
    return m->Fetch();
}

bool TIBSQL::Eof() const { return m->Eof; }
bool TIBSQL::Open() const { return m->ResultTr != nullptr; }
void TIBSQL::Close() { m->CloseResultQuietly(); }

TIBRowCounts TIBSQL::RowCounts() const { return m->Counts(); }

std::string TIBSQL::Plan() const
{
    if (!m->Prepared || m->Handle == 0) throw EUsageError("Cannot read the plan of a statement that is not prepared");
    const char item = isc_info_sql_get_plan;
    // The largest buffer the call takes; a plan longer than that is cut.
    std::vector<char> info(32767, 0);
    TStatus st;
    isc_dsql_sql_info(&st, &m->Handle, 1, &item, static_cast<short>(info.size()), info.data());
    st.Check();
    if (info[0] != isc_info_sql_get_plan) return {};
    const auto len = static_cast<std::size_t>(static_cast<unsigned short>(isc_vax_integer(info.data() + 1, 2)));
    return Trim(std::string(info.data() + 3, std::min(len, info.size() - 3)));
}

std::int64_t TIBSQL::RowsAffected() const
{
    const TIBRowCounts c = m->Counts();
    switch (m->Type) {
    case TIBStatementType::stSelect:
    case TIBStatementType::stSelectForUpdate: return c.Selected;
    case TIBStatementType::stInsert: return c.Inserted;
    case TIBStatementType::stUpdate: return c.Updated;
    case TIBStatementType::stDelete: return c.Deleted;
    default: return c.Inserted + c.Updated + c.Deleted;
    }
}

// ---- TIBQuery --------------------------------------------------------------

TIBQuery::TIBQuery()
{
    m_sqlLines.OnChange = [this](TStringList&) { Unprepare(); };
}

TIBQuery::~TIBQuery() { m_sqlLines.OnChange = nullptr; }

void TIBQuery::SetDatabase(TIBDatabase* Database)
{
    Close();
    m_statement.SetDatabase(Database);
}

void TIBQuery::SetTransaction(TIBTransaction* Transaction)
{
    Close();
    m_statement.SetTransaction(Transaction);
}

void TIBQuery::Prepare()
{
    m_statement.SetSQL(SQLForPrepare());
    if (!m_statement.Prepared()) m_statement.Prepare();
}

void TIBQuery::Unprepare()
{
    Close();
    m_statement.Unprepare();
}

void TIBQuery::Open()
{
    if (Active()) return;
    Prepare();
    if (m_statement.FieldInfo().empty()) throw EUsageError("Cannot open a statement that returns no rows: use ExecSQL");
    m_statement.ExecQuery(m_params);
    m_atFirst = true;
}

void TIBQuery::Close()
{
    m_statement.Close();
}

bool TIBQuery::Eof() const { return !Active() || m_statement.Eof(); }

void TIBQuery::First()
{
    if (Active() && m_atFirst) return;
    Close();
    Open();
}

void TIBQuery::Next()
{
    if (!Active()) throw EUsageError("Cannot move in a closed query");
    m_statement.Next();
    m_atFirst = false;
}

void TIBQuery::Last()
{
    if (!Active()) throw EUsageError("Cannot move in a closed query");
    while (m_statement.Next()) {
    }
    m_atFirst = false;
}

void TIBQuery::ExecSQL()
{
    Close();
    Prepare();
    m_statement.ExecQuery(m_params);
    m_statement.Close();
}

void TIBQuery::ExecSQLImmediate()
{
    std::string text = SQLForPrepare();
    // A marker needs a prepared statement to be bound to; a "?" inside a
    // literal only costs the prepared way.
    if (m_params.Count() > 0 || text.find('?') != std::string::npos) {
        ExecSQL();
        return;
    }
    Close();
    m_statement.SetSQL(text);
    m_statement.ExecImmediate();
}

} // namespace qel
