// The row merge: both sides read in key order and walked like two sorted
// lists; value comparison; the INSERT, UPDATE and DELETE texts.
#include "qelVelmorin.h"
#include "qelVelmorinPrivate.h"

#include "qelDBEngine.h"
#include "qelMsgMngr.h"
#include "qelText.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace qel {

using namespace velmorin;

namespace {

int SignOf(int v)
{
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

int IndexOfField(const std::vector<TField*>& fields, const TField* f)
{
    const auto it = std::find(fields.begin(), fields.end(), f);
    return it == fields.end() ? -1 : static_cast<int>(it - fields.begin());
}

// The field of a paired column, found once per run: the name as written,
// else the one field that differs from it in ASCII case alone. Twins such
// as "val" and VAL stay two columns.
TField* PairedField(TFields& fields, const std::string& Name, const std::string& Table)
{
    TField* folded = nullptr;
    int foldedCount = 0;
    for (int i = 0; i < fields.Count(); ++i) {
        if (fields[i].FieldName() == Name) return &fields[i];
        if (SameText(fields[i].FieldName(), Name)) {
            folded = &fields[i];
            ++foldedCount;
        }
    }
    if (foldedCount == 1) return folded;
    throw ERowOrderError("Field " + Name + " of table " + Table +
                         (foldedCount == 0 ? std::string(" is not among the columns the SELECT returns.")
                                           : std::string(" matches several columns the SELECT returns.")) +
                         " No statements were produced.");
}

void ResetQuery(TQELQuery* q)
{
    if (q == nullptr) return;
    q->Close();
    if (q->GetSQL() != nullptr) q->GetSQL()->Clear();
}

// Kinds of values that every server orders alike: a number beside a
// boolean, text beside bytes (both in byte order here).
int OrderKind(TFieldType t)
{
    switch (ValueClassOf(t)) {
    case TValueClass::Number:
    case TValueClass::Boolean: return 0;
    case TValueClass::Text:
    case TValueClass::Binary: return 1;
    case TValueClass::DateTime: return 2;
    case TValueClass::Time: return 3;
    case TValueClass::Other: break;
    }
    return 100 + static_cast<int>(t);
}

const char* KindName(TFieldType t)
{
    switch (ValueClassOf(t)) {
    case TValueClass::Number: return "a number";
    case TValueClass::Boolean: return "a boolean";
    case TValueClass::Text: return "text";
    case TValueClass::Binary: return "binary";
    case TValueClass::DateTime: return "a date";
    case TValueClass::Time: return "a time";
    case TValueClass::Other: break;
    }
    return FieldTypeName(t);
}

// A key value in its own form: bytes, and text that is no UTF-8, in
// hexadecimal; text quoted; numbers and dates as they read.
std::string ValueText(const TField& f)
{
    if (f.IsNull()) return "Null";
    const TValueKind k = f.Value().Kind();
    if (k == TValueKind::vkBytes || (k == TValueKind::vkString && !IsWellFormedUtf8(f.Value().RawString())))
        return "x'" + HexText(f.Value().RawString()) + "'";
    if (k == TValueKind::vkString) return "'" + f.Value().RawString() + "'";
    if (ValueClassOf(f.DataType()) == TValueClass::Binary) return "x'" + HexText(f.Value().AsString()) + "'";
    return f.AsString();
}

} // namespace

// ---------------------------------------------------------------------------
// Value comparison

int TVelmorin::CompareFieldValues(TField& FieldM, TField& FieldT)
{
    if (OnCompareFields) return OnCompareFields(*this, FieldM, FieldT);
    return CompareValues(FieldM, FieldT, false, -1, -1);
}

// ForData: the values are compared as the target column holds them (its
// decimals, single precision), so that a value the target cannot hold more
// exactly is no difference. Keys are compared exactly.
int TVelmorin::CompareValues(TField& FieldM, TField& FieldT, bool ForData, int PosM, int PosT)
{
    if (OnCompareFields) return OnCompareFields(*this, FieldM, FieldT);
    // Paradox writes an empty BLOB as Null, so the two compare equal there.
    if (GetScriptDatabaseType() == TDatabaseType::dbParadox && FieldM.IsBlob()) return CompareBlobFields(FieldM, FieldT);
    const bool nullM = FieldM.IsNull(), nullT = FieldT.IsNull();
    if (nullM || nullT) return nullM && nullT ? 0 : (nullM ? 1 : -1);
    // A SQLite cell keeps its own storage class: 3, 3.0, '3' and x'33' are
    // four values there. The master's value is taken as the target column
    // would store it, which is also what is written.
    if (ForData && m_merge && m_merge->storageClasses) {
        const TValue stored = StoredAsTarget(FieldM.Value(), PosT);
        if (CellClassOf(stored) != TCellClass::None && CellClassOf(FieldT.Value()) != TCellClass::None)
            return CompareCells(stored, FieldT.Value(), TrimCharFields);
    }
    // Keys of two SQLite tables arrive in SQLite's order of classes.
    if (!ForData && m_merge && m_merge->sqliteOrder) return CompareInSQLiteOrder(FieldM.Value(), FieldT.Value());
    const int r = CompareNonNull(FieldM.Value(), FieldM.DataType(), FieldT.Value(), FieldT.DataType(), TrimCharFields);
    if (r == 0) {
        // A double column keeps the sign of zero: -0.0 is written as such.
        if (ForData && FieldM.Value().Kind() == TValueKind::vkFloat && FieldT.Value().Kind() == TValueKind::vkFloat &&
            FieldM.AsFloat() == 0 && std::signbit(FieldM.AsFloat()) != std::signbit(FieldT.AsFloat()))
            return std::signbit(FieldM.AsFloat()) ? -1 : 1;
        return 0;
    }
    const bool single = (m_merge && PosM >= 0 && m_merge->singleM[static_cast<size_t>(PosM)]) ||
                        (m_merge && PosT >= 0 && m_merge->singleT[static_cast<size_t>(PosT)]);
    if (single && ValueClassOf(FieldM.DataType()) == TValueClass::Number &&
        ValueClassOf(FieldT.DataType()) == TValueClass::Number) {
        // A REAL column holds 32-bit values: the two sides may read one of
        // them as different doubles ("0.1" and 0.100000001490116...).
        const float a = static_cast<float>(FieldM.AsFloat()), b = static_cast<float>(FieldT.AsFloat());
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    if (ForData && SameAtTargetPrecision(FieldM.Value(), FieldM.DataType(), FieldT.Value(), FieldT.DataType(), false))
        return 0;
    // A time finer than the target keeps is a difference: writing it is
    // refused, never cut.
    return r;
}

void TVelmorin::HoldRowValues(TProducedStatement& p)
{
    TMergeState& s = *m_merge;
    for (size_t i = 0; i < s.whereT.size(); ++i) {
        const TField& f = *s.whereT[i];
        p.Params.push_back(TImmediateParam{"KEY" + IntToStr(static_cast<long long>(i)),
                                           CellParamType(f.Value(), f.DataType()), f.Value()});
    }
    if (p.StatType == TStatType::stUpdate)
        for (size_t i = 0; i < s.dataM.size(); ++i) {
            const TField& f = *s.dataM[i];
            const TValue stored = WrittenValue(f.Value(), s.dataPosM[i], s.dataPosT[i]);
            p.Params.push_back(TImmediateParam{"DATA" + IntToStr(static_cast<long long>(i)),
                                               CellParamType(stored, f.DataType()), stored});
        }
    p.HeldValues = true;
}

bool TVelmorin::MasterEof() const
{
    if (m_merge && m_merge->readerM) return m_merge->readerM->Eof();
    return m_masterQuery == nullptr || m_masterQuery->Eof();
}

bool TVelmorin::TargetEof() const
{
    if (m_merge && m_merge->readerT) return m_merge->readerT->Eof();
    return m_targetQuery == nullptr || m_targetQuery->Eof();
}

TValue TVelmorin::WrittenValue(const TValue& Value, int PosM, int PosT) const
{
    // A value of a 32-bit float column, or bound for one, is the float it
    // stands for, in a statement's text and as a parameter alike: the
    // server would otherwise round a literal and refuse a parameter.
    const auto single = [](const std::vector<bool>& v, int pos) {
        return pos >= 0 && static_cast<size_t>(pos) < v.size() && v[static_cast<size_t>(pos)];
    };
    if (m_merge && Value.Kind() == TValueKind::vkFloat &&
        (single(m_merge->singleM, PosM) || single(m_merge->singleT, PosT))) {
        const double d = Value.AsFloat();
        if (!std::isnan(d) && !std::isinf(static_cast<float>(d)))
            return StoredAsTarget(TValue::Float(static_cast<double>(static_cast<float>(d))), PosT);
    }
    return StoredAsTarget(Value, PosT);
}

TValue TVelmorin::StoredAsTarget(const TValue& Value, int PosT) const
{
    if (!m_merge || !m_merge->storageClasses || PosT < 0 || static_cast<size_t>(PosT) >= m_merge->declaredT.size() ||
        !m_merge->declaredKnownT[static_cast<size_t>(PosT)] || m_connectionTarget == nullptr)
        return Value;
    TValue stored = Value;
    m_connectionTarget->StoredValue(m_merge->declaredT[static_cast<size_t>(PosT)], stored);
    return stored;
}

TFieldType TVelmorin::CellParamType(const TValue& Value, TFieldType Type) const
{
    return m_merge && m_merge->storageClasses ? SQLiteCellType(Value, Type) : Type;
}

int TVelmorin::TargetTimeDigits(const TField* TargetField, TFieldType Value) const
{
    switch (GetScriptDatabaseType()) {
    case TDatabaseType::dbInterBase: return 4;
    case TDatabaseType::dbMSSQL: {
        // datetime reports 3, datetime2 up to 7; a driver that tells
        // nothing gets datetime's milliseconds.
        const int scale = TargetField != nullptr ? TargetField->Scale() : 0;
        return scale <= 0 ? 3 : std::min(scale, 6);
    }
    case TDatabaseType::dbCustomOLEDB:
    case TDatabaseType::dbMSAccess: {
        // The driver stores a time stamp parameter to the millisecond, so
        // immediate updates and scripts alike keep milliseconds; times are
        // text both ways.
        const TFieldType type = TargetField != nullptr ? TargetField->DataType() : Value;
        return type != TFieldType::ftTime && m_connectionTarget != nullptr && m_tableOptionsTarget->IsSQLite() ? 3 : 6;
    }
    default: return 6;
    }
}

int TVelmorin::CompareBlobFields(TField& FieldM, TField& FieldT)
{
    // Each value is read whole; NULL reads as empty.
    const std::string m = FieldM.IsNull() ? std::string() : FieldM.Value().AsString();
    const std::string t = FieldT.IsNull() ? std::string() : FieldT.Value().AsString();
    return CompareBytes(m, t);
}

int TVelmorin::CompareRecords()
{
    if (!m_merge) throw EUsageError("TVelmorin: CompareRecords needs a running comparison.");
    TMergeState& s = *m_merge;
    DataDiffer = false;
    auto allColumns = [&](bool forData) {
        for (size_t i = 0; i < s.allM.size(); ++i) {
            TField& fm = *s.allM[i];
            TField& ft = *s.allT[i];
            s.currentPos = static_cast<int>(i);
            if (!CompareBlobs && fm.IsBlob()) continue;
            const int r = forData ? CompareValues(fm, ft, true, static_cast<int>(i), static_cast<int>(i))
                                  : CompareFieldValues(fm, ft);
            if (r != 0) return r;
        }
        return 0;
    };
    const int keys = GetKeyFieldCount();
    if (keys != 0) {
        int r = 0;
        for (int i = 0; i < keys && r == 0; ++i) {
            TField& fm = *s.keyM[static_cast<size_t>(i)];
            if (!CompareBlobs && fm.IsBlob()) continue;
            r = CompareValues(fm, *s.keyT[static_cast<size_t>(i)], false, s.keyPosM[static_cast<size_t>(i)],
                              s.keyPosT[static_cast<size_t>(i)]);
        }
        if (r == 0) DataDiffer = allColumns(true) != 0;
        return r;
    }
    return allColumns(false);
}

// ---------------------------------------------------------------------------
// Row order of each side

int TVelmorin::CompareSideKeys(bool Master)
{
    TMergeState& s = *m_merge;
    const std::vector<TField*>& cur = Master ? (GetKeyFieldCount() != 0 ? s.keyM : s.allM)
                                             : (GetKeyFieldCount() != 0 ? s.keyT : s.allT);
    auto& prev = Master ? s.prevM : s.prevT;
    for (size_t i = 0; i < cur.size(); ++i) {
        if (!CompareBlobs && cur[i]->IsBlob()) continue;
        const int r = CompareFieldValues(*prev[i], *cur[i]);
        if (r != 0) return r;
    }
    return 0;
}

void TVelmorin::RememberKeys(bool Master)
{
    TMergeState& s = *m_merge;
    const std::vector<TField*>& cur = Master ? (GetKeyFieldCount() != 0 ? s.keyM : s.allM)
                                             : (GetKeyFieldCount() != 0 ? s.keyT : s.allT);
    auto& prev = Master ? s.prevM : s.prevT;
    if (prev.size() != cur.size()) {
        prev.clear();
        for (TField* f : cur) prev.push_back(std::make_unique<TField>(f->FieldName(), f->DataType(), f->Size(),
                                                                      f->Precision(), f->Scale()));
    }
    for (size_t i = 0; i < cur.size(); ++i) prev[i]->SetValue(cur[i]->Value());
    (Master ? s.hasPrevM : s.hasPrevT) = true;
}

std::string TVelmorin::RowContext() const
{
    const TMergeState& s = *m_merge;
    const bool master = m_masterQuery && !MasterEof();
    std::string r = "Table " + (master ? m_tableOptionsMaster : m_tableOptionsTarget)->StoredTableName();
    const std::vector<TField*>& fields = master ? s.allM : s.allT;
    if (s.currentPos >= 0 && static_cast<size_t>(s.currentPos) < fields.size())
        r += ", column " + fields[static_cast<size_t>(s.currentPos)]->FieldName();
    if (master || (m_targetQuery && !TargetEof())) r += ", row " + KeyText(master);
    return r;
}

void TVelmorin::CheckWritable(size_t PosT, const TField& FieldM, int PosM)
{
    const TMergeState& s = *m_merge;
    if (PosT >= s.allT.size()) return;
    if (PosT < s.limitsT.size()) {
        // A 32-bit float read as a double means the float.
        const bool single = PosM >= 0 && s.singleM[static_cast<size_t>(PosM)] && FieldM.Value().Kind() == TValueKind::vkFloat &&
                            !std::isinf(static_cast<float>(FieldM.AsFloat()));
        const TValue value =
            single ? TValue::Float(static_cast<double>(static_cast<float>(FieldM.AsFloat()))) : FieldM.Value();
        std::string why = WhyNotHeld(value, FieldM.DataType(), s.limitsT[PosT]);
        // SQLite writes a double into a text column with 15 digits.
        if (why.empty() && value.Kind() == TValueKind::vkFloat) {
            const TValue stored = StoredAsTarget(value, static_cast<int>(PosT));
            if (stored.Kind() == TValueKind::vkString && !(TextToFloat(stored.RawString()) == value.AsFloat()))
                why = "the value " + FloatToText(value.AsFloat()) + " would be stored as the text " + stored.RawString();
        }
        if (!why.empty())
            throw ERowOrderError(RowContext() + ": " + why + ", so the target column " + s.allT[PosT]->FieldName() +
                                 " of table " + m_tableOptionsTarget->StoredTableName() +
                                 " cannot take it as it is. No statements were produced.");
    }
    if (FieldM.Value().Kind() != TValueKind::vkString) return;
    // Text bound for a number column of a server that converts it (a SQLite
    // cell keeps it as text): a text that is no number stops the run here,
    // in immediate mode as in a script, rather than at the server.
    if (!s.storageClasses && ValueClassOf(s.allT[PosT]->DataType()) == TValueClass::Number) {
        if (IsExactNumberType(s.allT[PosT]->DataType())) (void)FieldM.Value().AsDecimal();
        else (void)FieldM.Value().AsFloat();
    }
    if (PosT < s.wideT.size() && !s.wideT[PosT].empty()) {
        // The engine passes no text of more than 8,191 characters through
        // UTF8 into such a column.
        std::size_t chars = 0;
        for (const unsigned char c : FieldM.Value().RawString()) chars += (c & 0xC0) != 0x80 ? 1 : 0;
        if (chars > 8191)
            throw ERowOrderError("Table " + m_tableOptionsMaster->StoredTableName() + ", column " + FieldM.FieldName() +
                                 ", row " + KeyText(true) + ": the value holds " + IntToStr(static_cast<long long>(chars)) +
                                 " characters, more than can be written through UTF8 into the column " +
                                 s.allT[PosT]->FieldName() + " " + s.wideT[PosT] + " of the target table " +
                                 m_tableOptionsTarget->StoredTableName() + ". No statements were produced.");
    }
    if (PosT >= s.utf8OnlyT.size() || s.utf8OnlyT[PosT].empty() || IsWellFormedUtf8(FieldM.Value().RawString()))
        return;
    throw ERowOrderError("Table " + m_tableOptionsMaster->StoredTableName() + ", column " + FieldM.FieldName() +
                         ", row " + KeyText(true) + ": the value is no text in " + s.utf8OnlyT[PosT] +
                         ", which the column " + s.allT[PosT]->FieldName() + " of the target table " +
                         m_tableOptionsTarget->StoredTableName() + " takes. No statements were produced.");
}

std::string TVelmorin::KeyText(bool Master) const
{
    const TMergeState& s = *m_merge;
    const std::vector<TField*>& cur = Master ? (GetKeyFieldCount() != 0 ? s.keyM : s.allM)
                                             : (GetKeyFieldCount() != 0 ? s.keyT : s.allT);
    std::string r;
    for (size_t i = 0; i < cur.size(); ++i) r += (i > 0 ? ", " : "") + cur[i]->FieldName() + " = " + ValueText(*cur[i]);
    return r;
}

// Two rows of one side with the same key, or a key smaller than the one
// before, would pair rows wrongly: the run's statements are withdrawn.
void TVelmorin::CheckRowOrder(bool Master)
{
    TMergeState& s = *m_merge;
    if (!(Master ? s.hasPrevM : s.hasPrevT)) {
        RememberKeys(Master);
        return;
    }
    const int r = CompareSideKeys(Master);
    if (r >= 0) {
        const std::string side = Master ? "Master" : "Target";
        const std::string table = (Master ? m_tableOptionsMaster : m_tableOptionsTarget)->StoredTableName();
        if (r == 0)
            throw ERowOrderError(side + " table " + table + ": the key " + KeyText(Master) +
                                 " occurs more than once. No statements were produced.");
        std::string before;
        auto& prev = Master ? s.prevM : s.prevT;
        for (size_t i = 0; i < prev.size(); ++i)
            before += (i > 0 ? ", " : "") + prev[i]->FieldName() + " = " + ValueText(*prev[i]);
        throw ERowOrderError(side + " table " + table + ": the rows do not arrive in key order (" + KeyText(Master) +
                             " after " + before + "). No statements were produced.");
    }
    RememberKeys(Master);
}

void TVelmorin::AdvanceMaster()
{
    m_merge->readerM->Next();
    ++ProgressValueMaster;
    if (m_targetQuery && !MasterEof()) CheckRowOrder(true);
}

void TVelmorin::AdvanceTarget()
{
    m_merge->readerT->Next();
    ++ProgressValueTarget;
    if (m_masterQuery && !TargetEof()) CheckRowOrder(false);
}

// ---------------------------------------------------------------------------
// The walk

void TVelmorin::MergeTables()
{
    ProgressMaxMaster = ProgressMaxTarget = 1;
    ProgressValueMaster = ProgressValueTarget = 0;
    DoProgressUpdateMaster();
    DoProgressUpdateTarget();

    // The count texts stay in the lists that OnGetSelectSQL is handed.
    TStringList SQLM, SQLT;
    ResetQuery(m_masterQuery.get());
    ResetQuery(m_targetQuery.get());
    if (OnProgressUpdateMaster || OnProgressUpdateTarget) CountRows(SQLM, SQLT);
    OpenSides(SQLM, SQLT);
    PairMergeFields();
    WriteScriptHeader();
    WalkRows();
    FinishMerge();
}

// Each side's row count (OnGetCountSQL's texts, else count(*)) as its
// progress maximum.
void TVelmorin::CountRows(TStringList& SQLM, TStringList& SQLT)
{
    if (OnGetCountSQL) {
        OnGetCountSQL(*this, SQLM, SQLT);
    } else {
        // The names as discovery found them, which the SELECTs use too.
        const TCmpTableOptions &M = *m_tableOptionsMaster, &T = *m_tableOptionsTarget;
        SQLM.SetText("Select count(*) from " + M.QuoteName(M.StoredTableName()));
        SQLT.SetText("Select count(*) from " + T.QuoteName(T.StoredTableName()));
    }
    auto count = [](TQELQuery* q, const TStringList& sql, int& max) {
        if (q == nullptr) return;
        q->GetSQL()->Assign(sql);
        q->Open();
        max = (*q->GetFields())[0].AsInteger();
        ResetQuery(q);
    };
    count(m_masterQuery.get(), SQLM, ProgressMaxMaster);
    count(m_targetQuery.get(), SQLT, ProgressMaxTarget);
}

// Sets both SELECTs, starts the target's transaction for immediate
// statements, and starts reading both sides.
void TVelmorin::OpenSides(TStringList& SQLM, TStringList& SQLT)
{
    TQELQuery* qm = m_masterQuery.get();
    TQELQuery* qt = m_targetQuery.get();
    BuildSelectSQL(SQLM, SQLT);
    if (!OnGetSelectSQL) {
        if (qm) LogNextLine("Select-SQL for master table:" + std::string(CRLF) + SQLM.Text());
        if (qt) LogNextLine("Select-SQL for target table:" + std::string(CRLF) + SQLT.Text());
    }
    if (qm) qm->GetSQL()->Assign(SQLM);
    if (qt) qt->GetSQL()->Assign(SQLT);

    // Immediate statements run in one transaction of the target, committed
    // when the merge is through, so that a withdrawn run leaves nothing
    // behind; ODBC connections would run each statement on its own.
    if (m_updateImmediately && m_connectionTarget != nullptr && m_connectionTarget->GetConnected() &&
        !m_connectionTarget->InTransaction())
        m_connectionTarget->StartTransaction();

    MasterHasBlobs = false;
    m_merge = std::make_unique<TMergeState>();
    TMergeState& s = *m_merge;
    // A side is read on a thread of its own while nothing else uses its
    // connection: not when one connection serves both sides. Immediate
    // statements wait until both sides are read.
    const bool apart = qt != nullptr && m_connectionMaster != m_connectionTarget;
    s.readerM = std::make_unique<TSideReader>(*qm, apart);
    if (qt) s.readerT = std::make_unique<TSideReader>(*qt, apart);
    // Both sides open (and sort) at once when both are threaded.
    s.readerM->Start();
    if (s.readerT) s.readerT->Start();
    if (!MasterEof()) ++ProgressValueMaster;
    if (qt && !TargetEof()) ++ProgressValueTarget;
}

// The merge state's fields of both sides, paired by position, with what
// the target's catalogue says of each; MasterHasBlobs; the first keys.
void TVelmorin::PairMergeFields()
{
    TMergeState& s = *m_merge;
    const bool target = m_targetQuery != nullptr;
    s.storageClasses = target && m_tableOptionsTarget->IsSQLite();
    s.sqliteOrder = s.storageClasses && m_tableOptionsMaster->IsSQLite();
    TFields& fm = s.readerM->Fields();
    for (int i = 0; i < fm.Count(); ++i) {
        s.allM.push_back(&fm[i]);
        s.singleM.push_back(s.readerM->Single()[static_cast<size_t>(i)]);
    }
    if (target) {
        CollectTargetFields();
        PairKeyAndDataFields();
    }
    // Whatever the master's values will be written through the side file
    // for, the script names it; IncludeBlobs does not matter here, since
    // BLOB columns named by the user reach the SELECT all the same.
    const TDatabaseType scriptType = GetScriptDatabaseType();
    for (size_t i = 0; i < s.allM.size(); ++i) {
        const TFieldType targetType = i < s.allT.size() ? s.allT[i]->DataType() : TFieldType::ftUnknown;
        if (WritesBlobReference(s.allM[i]->DataType(), targetType, scriptType)) MasterHasBlobs = true;
    }
    for (const int pos : s.keyPosT)
        if (pos >= 0 && static_cast<size_t>(pos) < s.limitsT.size()) s.limitsT[static_cast<size_t>(pos)].Key = true;
    if (target) {
        if (!MasterEof()) RememberKeys(true);
        if (!TargetEof()) RememberKeys(false);
    }
}

// The target's fields with their declared types, the character sets that
// take UTF-8 only, and the columns too wide to read as strings.
void TVelmorin::CollectTargetFields()
{
    TMergeState& s = *m_merge;
    const TCmpTableOptions& T = *m_tableOptionsTarget;
    TFields& ft = s.readerT->Fields();
    for (int i = 0; i < ft.Count(); ++i) {
        s.allT.push_back(&ft[i]);
        s.singleT.push_back(s.readerT->Single()[static_cast<size_t>(i)]);
        const TCmpTableOptions::TColumnInfo* info = T.ColumnInfoOf(ft[i].FieldName());
        s.declaredT.push_back(info != nullptr ? info->DeclaredType : std::string());
        s.declaredKnownT.push_back(info != nullptr && s.storageClasses);
        std::string utf8;
        if (m_charSetsAligned && m_alignedCharSet == "NONE") {
            if (T.DatabaseType() == TDatabaseType::dbInterBase) {
                if (info != nullptr && (info->CharSet == "UTF8" || info->CharSet == "UNICODE_FSS")) utf8 = info->CharSet;
            } else if (ValueClassOf(ft[i].DataType()) == TValueClass::Text) {
                utf8 = "UTF-8";
            }
        }
        s.utf8OnlyT.push_back(utf8);
        s.wideT.push_back(info != nullptr && info->WideForUtf8
                              ? info->DeclaredType + "(" + IntToStr(info->CharLength) + ") CHARACTER SET " + info->CharSet
                              : std::string());
        s.limitsT.push_back(TargetColumnOf(ft[i], info, s.singleT.back()));
    }
}

// What target column Field holds, from its server, the field's shape and
// the catalogue's facts (Info, nullptr when unknown). Servers not reached
// here keep no limits of their own.
velmorin::TTargetColumn TVelmorin::TargetColumnOf(const TField& Field, const TCmpTableOptions::TColumnInfo* Info,
                                                  bool Single) const
{
    const TCmpTableOptions& T = *m_tableOptionsTarget;
    velmorin::TTargetColumn c;
    c.Type = Field.DataType();
    c.Class = ValueClassOf(c.Type);
    c.Single = Single;
    c.TimeDigits = TargetTimeDigits(&Field, c.Type);
    const TDatabaseType server = T.DatabaseType();
    if (T.IsSQLite() && (server == TDatabaseType::dbCustomOLEDB || server == TDatabaseType::dbMSAccess)) {
        c.Checked = c.AnyClass = true;
        return c;
    }
    if (server != TDatabaseType::dbInterBase && server != TDatabaseType::dbPostgreSQL) return c;
    c.Checked = true;
    switch (c.Type) {
    case TFieldType::ftSmallint: c.StorageBits = 16, c.Scale = 0; break;
    case TFieldType::ftInteger: c.StorageBits = 32, c.Scale = 0; break;
    case TFieldType::ftLargeint: c.StorageBits = 64, c.Scale = 0; break;
    case TFieldType::ftBCD:
    case TFieldType::ftFMTBcd:
        c.Scale = Field.Scale();
        // Firebird keeps a NUMERIC as a scaled integer of 16, 32 or 64 bits
        // and takes any value that integer holds; PostgreSQL holds the
        // declared digits.
        if (server == TDatabaseType::dbInterBase)
            c.StorageBits = Field.Precision() <= 4 ? 16 : (Field.Precision() <= 9 ? 32 : 64);
        else
            c.Digits = Field.Precision();
        break;
    case TFieldType::ftString:
    case TFieldType::ftFixedChar:
    case TFieldType::ftWideString:
    case TFieldType::ftBytes:
    case TFieldType::ftVarBytes: c.Size = Field.Size(); break;
    case TFieldType::ftFloat: c.NaNAndInfinity = server == TDatabaseType::dbPostgreSQL; break;
    default: break;
    }
    if (server == TDatabaseType::dbPostgreSQL && Info != nullptr && !Info->TypeName.empty()) {
        // The catalogue knows what the driver guesses: numeric with no
        // limit, varchar with none, a time's decimals.
        const int mod = Info->TypeModifier;
        if (Info->TypeName == "numeric") {
            c.Digits = mod >= 4 ? ((mod - 4) >> 16) & 0xFFFF : -1;
            c.Scale = mod >= 4 ? (mod - 4) & 0xFFFF : -1;
        } else if (Info->TypeName == "varchar" || Info->TypeName == "bpchar") {
            c.Size = mod >= 4 ? mod - 4 : 0;
        } else if (Info->TypeName == "time" || Info->TypeName == "timetz" || Info->TypeName == "timestamp" ||
                   Info->TypeName == "timestamptz") {
            c.TimeDigits = mod >= 0 ? std::min(mod, 6) : 6;
        }
    }
    return c;
}

// The key and data fields of both sides by the paired lists, and their
// positions; throws where the sides' columns cannot correspond.
void TVelmorin::PairKeyAndDataFields()
{
    TMergeState& s = *m_merge;
    const TCmpTableOptions& M = *m_tableOptionsMaster;
    const TCmpTableOptions& T = *m_tableOptionsTarget;
    TFields& fm = s.readerM->Fields();
    TFields& ft = s.readerT->Fields();
    // Fields are paired by position: a count that differs would pair the
    // wrong columns or read past a row.
    if (s.allM.size() != s.allT.size())
        throw ERowOrderError("The master SELECT returns " + IntToStr(static_cast<long long>(s.allM.size())) +
                             " columns and the target SELECT " + IntToStr(static_cast<long long>(s.allT.size())) +
                             ". Table: " + M.StoredTableName() + ", " + T.StoredTableName() +
                             ". No statements were produced.");
    for (int i = 0; i < GetKeyFieldCount(); ++i) {
        s.keyM.push_back(PairedField(fm, M.KeyList[i], M.StoredTableName()));
        s.keyT.push_back(PairedField(ft, T.KeyList[i], T.StoredTableName()));
        s.keyPosM.push_back(IndexOfField(s.allM, s.keyM.back()));
        s.keyPosT.push_back(IndexOfField(s.allT, s.keyT.back()));
    }
    for (int i = 0; i < GetDataFieldCount(); ++i) {
        s.dataM.push_back(PairedField(fm, M.DataList[i], M.StoredTableName()));
        s.dataT.push_back(PairedField(ft, T.DataList[i], T.StoredTableName()));
        s.dataPosM.push_back(IndexOfField(s.allM, s.dataM.back()));
        s.dataPosT.push_back(IndexOfField(s.allT, s.dataT.back()));
    }
    for (int i = 0; i < T.KeyList.Count(); ++i) s.whereT.push_back(PairedField(ft, T.KeyList[i], T.StoredTableName()));
    // Each server sorts a key by its own type: text "10" before "9", the
    // number 9 before 10. Rows of two such keys cannot be paired.
    const bool keys = GetKeyFieldCount() != 0;
    const std::vector<TField*>& orderM = keys ? s.keyM : s.allM;
    const std::vector<TField*>& orderT = keys ? s.keyT : s.allT;
    for (size_t i = 0; i < orderM.size(); ++i) {
        const TField& m = *orderM[i];
        const TField& t = *orderT[i];
        if (!CompareBlobs && m.IsBlob()) continue;
        if (OrderKind(m.DataType()) != OrderKind(t.DataType()))
            throw ERowOrderError(std::string("The key columns differ in kind: master ") + M.StoredTableName() + "." +
                                 m.FieldName() + " is " + KindName(m.DataType()) + ", target " +
                                 T.StoredTableName() + "." + t.FieldName() + " is " + KindName(t.DataType()) +
                                 ". No statements were produced.");
    }
}

// Pairs the rows of both sides in key order and writes what differs; a
// value that cannot be read or written as its column's type stops the run.
void TVelmorin::WalkRows()
{
    TMergeState& s = *m_merge;
    const bool target = m_targetQuery != nullptr;
    try {
        while (target && !MasterEof() && !TargetEof()) {
            DoProgressUpdateMaster();
            DoProgressUpdateTarget();
            s.currentPos = -1;
            const int r = SignOf(CompareRecords());
            if (r < 0) {
                WriteInsertSQL();
                AdvanceMaster();
            } else if (r == 0) {
                if (DataDiffer) WriteUpdateSQL();
                else ++Equal;
                AdvanceMaster();
                AdvanceTarget();
            } else {
                WriteDeleteSQL();
                AdvanceTarget();
            }
        }
        while (!MasterEof()) {
            DoProgressUpdateMaster();
            s.currentPos = -1;
            WriteInsertSQL();
            AdvanceMaster();
        }
        if (target) {
            while (!TargetEof()) {
                DoProgressUpdateTarget();
                s.currentPos = -1;
                WriteDeleteSQL();
                AdvanceTarget();
            }
        }
    } catch (const EConvertError& e) {
        // A value that cannot be read or written as its column's type: the
        // run says where.
        std::string message = e.what();
        if (!message.empty() && message.back() != '.') message += '.';
        throw ERowOrderError(RowContext() + ": " + message + " No statements were produced.");
    }
}

// Stops the readers, hands on the held and deferred statements, leaves the
// side file the script names, commits and logs the counts.
void TVelmorin::FinishMerge()
{
    TMergeState& s = *m_merge;
    DoProgressUpdateMaster();
    DoProgressUpdateTarget();
    s.readerM->Stop();
    if (s.readerT) s.readerT->Stop();
    ResetQuery(m_masterQuery.get());
    ResetQuery(m_targetQuery.get());
    // Immediate mode counts what the target took.
    s.heldInserts.Release([this](TProducedStatement& p) {
        if (!RouteStatement(p)) --Inserted;
    });
    ApplyDeferred();

    // The script names the side file whenever the master has BLOB columns;
    // a run whose BLOB values were all Null still leaves the (empty) file,
    // so that running the script finds it.
    if (MasterHasBlobs && !m_blobStream && !BlobSaveFailed && m_scriptOptions->GenerateScript &&
        !m_blobFileName.empty()) {
        if (!CreateOwnerOnlyFile(m_blobFileName))
            ErrorMessage("Cannot create file \"" + m_blobFileName + "\". " + std::strerror(errno));
    }
    for (TQELCustomConnection* c : {m_connectionMaster, m_connectionTarget}) {
        if (c != nullptr && c->GetConnected() && c->InTransaction()) c->Commit();
    }
    if (s.withdrawn > 0)
        ErrorMessage("Statements not produced because a value could not be written: " + IntToStr(s.withdrawn) + ".");
    LogNextLine("Equal: " + IntToStr(Equal) + ", " + "Inserted: " + IntToStr(Inserted) + ", " +
                "Updated: " + IntToStr(Updated) + ", " + "Deleted: " + IntToStr(Deleted) + ", " +
                "All: " + IntToStr(Equal + Inserted + Updated + Deleted) + ".");
}

// ---------------------------------------------------------------------------
// Statements

namespace {

// Counts a withdrawn statement; each reason is reported once per run.
void Withdraw(TVelmorin& C, std::set<std::string>& reported, int& withdrawn, const EStatementWithdrawn& e)
{
    ++withdrawn;
    if (!e.Reported() && reported.insert(e.what()).second) C.ErrorMessage(e.what());
}

} // namespace

void TVelmorin::WriteInsertSQL()
{
    if (!AllowedOperations.Contains(TDataCompareOperation::dcopInsert)) return;
    TCmpTableOptions& M = *m_tableOptionsMaster;
    TCmpTableOptions& T = *m_tableOptionsTarget;
    const std::string columns = T.GetFieldList(T.DataList);
    if (columns.empty()) return;
    TMergeState& s = *m_merge;
    if (!m_unfilledTargetColumns.empty())
        throw ERowOrderError("Table " + T.StoredTableName() + ", column " + m_unfilledTargetColumns.front() +
                             ": the target column takes no Null, has no default and the master table has no such "
                             "column, so the row " + KeyText(true) + " cannot be inserted. No statements were produced.");
    // The script takes literals; the target at once takes parameters, and
    // with both switched on each gets its own text.
    const bool literals = !m_updateImmediately || m_scriptOptions->GenerateScript;
    std::string values, parameters;
    try {
        for (size_t i = 0; i < s.allM.size(); ++i) {
            s.currentPos = static_cast<int>(i);
            CheckWritable(i, *s.allM[i], static_cast<int>(i));
            if (i > 0) {
                values += ", ";
                parameters += ", ";
            }
            if (m_updateImmediately) parameters += ":DATA" + IntToStr(static_cast<long long>(i));
            if (literals) {
                const TField* target = i < s.allT.size() ? s.allT[i] : nullptr;
                const TValue stored = StoredAsTarget(s.allM[i]->Value(), static_cast<int>(i));
                const bool single = s.singleM[i] || (i < s.singleT.size() && s.singleT[i]);
                values += M.ValueLiteral(*s.allM[i], target, single, false, &stored);
            }
        }
    } catch (const EStatementWithdrawn& e) {
        Withdraw(*this, s.reported, s.withdrawn, e);
        return;
    }
    const std::string head =
        "INSERT INTO " + T.QuoteName(T.StoredTableName()) + " (" + columns + ")" + CRLF + "VALUES(";
    TProducedStatement p;
    if (literals) p.ScriptSQL = head + values + ")";
    p.StatType = TStatType::stInsert;
    p.ObjName = T.StoredTableName();
    p.ObjType = TDbObject::dboTable;
    p.Operation = TDbOperation::odbInsert;
    p.KeyText = KeyText(true);
    if (m_updateImmediately) {
        // The row is gone when the statement runs: its values go with it.
        p.ImmediateSQL = head + parameters + ")";
        p.HeldValues = true;
        // The parameters are numbered as the VALUES list above.
        for (size_t i = 0; i < s.allM.size(); ++i) {
            const TField& f = *s.allM[i];
            const TValue stored = WrittenValue(f.Value(), static_cast<int>(i), static_cast<int>(i));
            p.Params.push_back(TImmediateParam{"DATA" + IntToStr(static_cast<long long>(i)),
                                               CellParamType(stored, f.DataType()), stored});
        }
    }
    s.heldInserts.Add(p);
    ++Inserted;
}

void TVelmorin::WriteUpdateSQL()
{
    if (!AllowedOperations.Contains(TDataCompareOperation::dcopUpdate)) return;
    TCmpTableOptions& M = *m_tableOptionsMaster;
    TCmpTableOptions& T = *m_tableOptionsTarget;
    TMergeState& s = *m_merge;
    const bool literals = !m_updateImmediately || m_scriptOptions->GenerateScript;
    std::string items, parameters, where, whereParameters;
    try {
        for (int i = 0; i < GetDataFieldCount(); ++i) {
            TField& fm = *s.dataM[static_cast<size_t>(i)];
            TField& ft = *s.dataT[static_cast<size_t>(i)];
            const int pm = s.dataPosM[static_cast<size_t>(i)], pt = s.dataPosT[static_cast<size_t>(i)];
            s.currentPos = pm;
            if (CompareValues(fm, ft, true, pm, pt) == 0) continue;
            if (pt >= 0) CheckWritable(static_cast<size_t>(pt), fm, pm);
            const std::string name = CRLF + T.QuoteName(ft.FieldName()) + "=";
            if (!parameters.empty() || !items.empty()) {
                items += ",";
                parameters += ",";
            }
            if (m_updateImmediately) parameters += name + ":DATA" + IntToStr(i);
            if (literals) {
                const TValue stored = StoredAsTarget(fm.Value(), pt);
                const bool single = (pm >= 0 && s.singleM[static_cast<size_t>(pm)]) ||
                                    (pt >= 0 && s.singleT[static_cast<size_t>(pt)]);
                items += name + M.ValueLiteral(fm, &ft, single, false, &stored);
            }
        }
        if (items.empty() && parameters.empty()) return;
        if (literals) where = WhereClause(m_targetQuery.get(), T.KeyList, false);
        if (m_updateImmediately) whereParameters = WhereClause(m_targetQuery.get(), T.KeyList, true);
    } catch (const EStatementWithdrawn& e) {
        Withdraw(*this, s.reported, s.withdrawn, e);
        return;
    }
    // The table name as discovery found it: a name given in another case
    // would not be found on a server that keeps case (PostgreSQL).
    const std::string head = "UPDATE " + T.QuoteName(T.StoredTableName()) + " SET ";
    TProducedStatement p;
    if (literals) p.ScriptSQL = head + items + CRLF + "WHERE " + where;
    if (m_updateImmediately) p.ImmediateSQL = head + parameters + CRLF + "WHERE " + whereParameters;
    p.StatType = TStatType::stUpdate;
    p.ObjName = T.TableName;
    p.ObjType = TDbObject::dboTable;
    p.Operation = TDbOperation::odbUpdate;
    p.KeyText = KeyText(false);
    if (m_updateImmediately) HoldRowValues(p);
    if (RouteStatement(p)) ++Updated;
}

void TVelmorin::WriteDeleteSQL()
{
    if (!AllowedOperations.Contains(TDataCompareOperation::dcopDelete)) return;
    TCmpTableOptions& T = *m_tableOptionsTarget;
    TMergeState& s = *m_merge;
    const bool literals = !m_updateImmediately || m_scriptOptions->GenerateScript;
    std::string where, whereParameters;
    try {
        if (literals) where = WhereClause(m_targetQuery.get(), T.KeyList, false);
        if (m_updateImmediately) whereParameters = WhereClause(m_targetQuery.get(), T.KeyList, true);
    } catch (const EStatementWithdrawn& e) {
        Withdraw(*this, s.reported, s.withdrawn, e);
        return;
    }
    const std::string head = "DELETE FROM " + T.QuoteName(T.StoredTableName()) + " WHERE ";
    TProducedStatement p;
    if (literals) p.ScriptSQL = head + where;
    if (m_updateImmediately) p.ImmediateSQL = head + whereParameters;
    p.StatType = TStatType::stDelete;
    p.ObjName = T.TableName;
    p.ObjType = TDbObject::dboTable;
    p.Operation = TDbOperation::odbDelete;
    p.KeyText = KeyText(false);
    if (m_updateImmediately) HoldRowValues(p);
    if (RouteStatement(p)) ++Deleted;
}

std::string TVelmorin::GetWhereClause(TQELQuery* Query, const TStringList& KeyList)
{
    return WhereClause(Query, KeyList, m_updateImmediately);
}

// Every key column takes part, BLOBs included: a condition left out would
// let the statement reach other rows.
std::string TVelmorin::WhereClause(TQELQuery* Query, const TStringList& KeyList, bool Parameters)
{
    TCmpTableOptions& T = *m_tableOptionsTarget;
    std::string r;
    auto add = [&](const std::string& name, TField& f, int i) {
        const std::string q = T.QuoteFieldName(name);
        std::string c = q;
        if (f.IsNull()) {
            c += " is Null";
        } else {
            std::string value;
            if (Parameters) {
                value = ":KEY" + IntToStr(i);
            } else {
                int pos = -1;
                if (m_merge && Query == m_targetQuery.get()) pos = IndexOfField(m_merge->allT, &f);
                value = T.ValueLiteral(f, &f, pos >= 0 && m_merge->singleT[static_cast<size_t>(pos)], true);
            }
            c += " = " + value + T.ExactKeyTerms(name, q, f, value);
        }
        r += (r.empty() ? "" : " and ") + c;
    };
    if (KeyList.Count() > 0) {
        const bool paired = m_merge && Query == m_targetQuery.get() && &KeyList == &T.KeyList &&
                            m_merge->whereT.size() == static_cast<size_t>(KeyList.Count());
        for (int i = 0; i < KeyList.Count(); ++i)
            add(KeyList[i], paired ? *m_merge->whereT[static_cast<size_t>(i)] : *Query->FieldByName(KeyList[i]), i);
    } else if (m_merge && Query == m_targetQuery.get()) {
        // The merge's own fields: the query's may be a reading thread's.
        for (size_t i = 0; i < m_merge->allT.size(); ++i)
            add(m_merge->allT[i]->FieldName(), *m_merge->allT[i], static_cast<int>(i));
    } else {
        TFields& fields = *Query->GetFields();
        for (int i = 0; i < fields.Count(); ++i) add(fields[i].FieldName(), fields[i], i);
    }
    if (r.empty()) throw EStatementWithdrawn("A statement without a WHERE condition was not produced.");
    return r;
}

} // namespace qel
