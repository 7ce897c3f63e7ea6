// Pairing the two sides' columns: a list read from one side's catalogue
// means nothing by position to the other side, whose table may declare the
// same columns in another order or under a primary key of its own. Such
// lists are matched by name, and one key serves both sides.
#include "qelVelmorin.h"
#include "qelVelmorinPrivate.h"

#include "qelDBEngine.h"
#include "qelDBOptions.h"
#include "qelText.h"

namespace qel {

using namespace velmorin;

namespace {

const char* SideName(const TCmpTableOptions& Side, const TCmpTableOptions& Master)
{
    return &Side == &Master ? "master" : "target";
}

bool HasExactly(const TStringList& List, const std::string& Name)
{
    for (const std::string& s : List.Lines())
        if (s == Name) return true;
    return false;
}

} // namespace

namespace velmorin {

std::string BareName(const std::string& Name)
{
    if (Name.size() < 2 || Name.front() != '"' || Name.back() != '"') return Name;
    std::string r;
    for (size_t i = 1; i + 1 < Name.size(); ++i) {
        r += Name[i];
        if (Name[i] == '"' && Name[i + 1] == '"') ++i;
    }
    return r;
}

int MatchColumnByName(const TStringList& Columns, const std::string& Name)
{
    const std::string bare = BareName(Name);
    int folded = -1, foldedCount = 0;
    for (int i = 0; i < Columns.Count(); ++i) {
        if (Columns[i] == bare) return i;
        if (SameText(Columns[i], bare)) {
            folded = i;
            ++foldedCount;
        }
    }
    return foldedCount == 1 ? folded : (foldedCount > 1 ? AmbiguousColumn : -1);
}

bool ExcludesColumn(const TStringList& Exclude, const std::string& Column, const TStringList& Columns)
{
    for (const std::string& e : Exclude.Lines()) {
        const std::string bare = BareName(e);
        if (bare == Column) return true;
        // "val" written for VAL counts only while no column is named "val".
        if (SameText(bare, Column) && !HasExactly(Columns, bare)) return true;
    }
    return false;
}

std::string ColumnsMatching(const TStringList& Columns, const std::string& Name)
{
    const std::string bare = BareName(Name);
    std::string r;
    for (const std::string& c : Columns.Lines())
        if (SameText(c, bare)) r += (r.empty() ? "" : ", ") + c;
    return r;
}

} // namespace velmorin

namespace {

// "Field X of table T is missing in the target table." or, where X stands
// for several columns that differ in case alone, which ones.
std::string UnmatchedText(const char* What, const std::string& Name, const std::string& Table, const char* Side,
                          const TStringList& Columns, int At)
{
    if (At == AmbiguousColumn)
        return std::string(What) + " " + Name + " of table " + Table + " matches several columns of the " + Side +
               " table: " + ColumnsMatching(Columns, Name) + ".";
    return std::string(What) + " " + Name + " of table " + Table + " is missing in the " + Side + " table.";
}

} // namespace

bool TVelmorin::PairColumns()
{
    TCmpTableOptions& M = *m_tableOptionsMaster;
    TCmpTableOptions& T = *m_tableOptionsTarget;
    bool ok = true;
    if (m_targetQuery) ok = PairDataColumns() && PairKeyColumns();
    else if (M.m_keysFromColumns)
        for (int i = M.KeyList.Count() - 1; i >= 0; --i)
            if (M.KeyNotOrderable(M.KeyList[i])) M.KeyList.Delete(i);
    if (!ok) return false;
    for (TCmpTableOptions* side : {&T, &M}) {
        if (side == &T && !m_targetQuery) continue;
        const std::string db = side->Connection() != nullptr ? side->Connection()->ConnectionOptions().DatabaseName : "";
        if (side->KeyList.Empty()) {
            ErrorMessage("There are no key-fields for comparison. Table: " + side->StoredTableName() +
                         " Database: " + db);
            ok = false;
            continue;
        }
        for (const std::string& key : side->KeyList.Lines()) {
            const TCmpTableOptions::TColumnInfo* info = side->ColumnInfoOf(key);
            if (info == nullptr || !info->WideForUtf8) continue;
            ErrorMessage("Key field " + key + " of table " + side->StoredTableName() + " is " + info->DeclaredType +
                         "(" + IntToStr(info->CharLength) + ") CHARACTER SET " + info->CharSet +
                         ", which cannot be ordered through UTF8 (at most 8191 characters). Compare through "
                         "connections of one character set.");
            ok = false;
        }
        // The merge reads the key values from the rows the SELECT returns.
        if (side->DataList.Empty()) continue;
        for (const std::string& key : side->KeyList.Lines()) {
            if (MatchColumnByName(side->DataList, key) >= 0) continue;
            ErrorMessage("Key field " + key + " of table " + side->StoredTableName() +
                         " is not among the data fields of the comparison.");
            ok = false;
        }
    }
    return ok;
}

// Only lists the user gave for both sides pair by position: that is how
// columns of other names are mapped. Otherwise the side whose list came from
// its own catalogue takes the other side's columns by name, in their order
// (the target's, when both came from catalogues), and a column it lacks
// stops the run.
bool TVelmorin::PairDataColumns()
{
    TCmpTableOptions& M = *m_tableOptionsMaster;
    TCmpTableOptions& T = *m_tableOptionsTarget;
    if (M.m_dataFromUser && T.m_dataFromUser) return true;
    TCmpTableOptions& leader = !T.m_dataFromUser ? M : T;
    TCmpTableOptions& follower = !T.m_dataFromUser ? T : M;
    TStringList lead, follow;
    bool ok = true;
    for (const std::string& name : leader.DataList.Lines()) {
        const int at = MatchColumnByName(follower.AllFields, name);
        if (at < 0 || HasExactly(follow, follower.AllFields[at])) {
            ErrorMessage(
                UnmatchedText("Field", name, leader.StoredTableName(), SideName(follower, M), follower.AllFields, at));
            ok = false;
            continue;
        }
        // A column the other side leaves out leaves the comparison.
        if (ExcludesColumn(follower.ExcludeList, follower.AllFields[at], follower.AllFields)) continue;
        lead.Add(name);
        follow.Add(follower.AllFields[at]);
    }
    if (!ok) return false;
    leader.DataList.Assign(lead);
    follower.DataList.Assign(follow);
    // Only where the catalogue says what fills a column.
    m_unfilledTargetColumns.clear();
    const TDatabaseType t = T.DatabaseType();
    if (t == TDatabaseType::dbInterBase || t == TDatabaseType::dbPostgreSQL || T.IsSQLite())
        for (const std::string& name : T.AllFields.Lines()) {
            if (HasExactly(T.DataList, name)) continue;
            const TCmpTableOptions::TColumnInfo* info = T.ColumnInfoOf(name);
            if (info != nullptr && info->NotNull && !info->Filled) m_unfilledTargetColumns.push_back(name);
        }
    if (!M.m_dataFromUser && !T.m_dataFromUser) {
        std::string extra;
        for (const std::string& name : T.AllFields.Lines())
            if (!HasExactly(T.DataList, name) && !ExcludesColumn(T.ExcludeList, name, T.AllFields))
                extra += (extra.empty() ? "" : ", ") + name;
        if (!extra.empty())
            LogNextLine("Fields of table " + T.StoredTableName() + " that the master table lacks are left out: " +
                        extra);
    }
    return true;
}

// One key for both sides: the lists the user gave, else the master's
// primary key, the target's primary key, the master's unique key, else every
// data column; the other side takes the same columns by name.
bool TVelmorin::PairKeyColumns()
{
    TCmpTableOptions& M = *m_tableOptionsMaster;
    TCmpTableOptions& T = *m_tableOptionsTarget;
    if (M.m_keysFromUser && T.m_keysFromUser) return true;
    TCmpTableOptions* leader = nullptr;
    TStringList names;
    if (M.m_keysFromUser || T.m_keysFromUser) {
        leader = M.m_keysFromUser ? &M : &T;
        names.Assign(leader->KeyList);
    } else if (!M.PrimaryKeyList.Empty()) {
        leader = &M;
        names.Assign(M.PrimaryKeyList);
    } else if (!T.PrimaryKeyList.Empty()) {
        leader = &T;
        names.Assign(T.PrimaryKeyList);
    } else if (!M.UniqueKeyList.Empty()) {
        leader = &M;
        names.Assign(M.UniqueKeyList);
    } else if (!M.m_keysFromColumns && !M.KeyList.Empty()) {
        // Paradox and dBASE discovery chose the key.
        leader = &M;
        names.Assign(M.KeyList);
    } else {
        // Every paired data column that both servers can sort by.
        TStringList keyM, keyT;
        for (int i = 0; i < M.DataList.Count() && i < T.DataList.Count(); ++i) {
            if (ExcludesColumn(M.ExcludeList, M.DataList[i], M.AllFields) ||
                ExcludesColumn(T.ExcludeList, T.DataList[i], T.AllFields))
                continue;
            if (M.KeyNotOrderable(M.DataList[i]) || T.KeyNotOrderable(T.DataList[i])) continue;
            keyM.Add(M.DataList[i]);
            keyT.Add(T.DataList[i]);
        }
        M.KeyList.Assign(keyM);
        T.KeyList.Assign(keyT);
        return true;
    }
    TCmpTableOptions& follower = leader == &M ? T : M;
    const bool given = leader->m_keysFromUser;
    TStringList lead, follow;
    bool ok = true;
    for (const std::string& name : names.Lines()) {
        // Columns are looked up among the table's columns, or among the
        // given data columns when the catalogue was not read.
        const TStringList& columns = follower.AllFields.Empty() ? follower.DataList : follower.AllFields;
        const int at = MatchColumnByName(columns, name);
        if (at < 0 || HasExactly(follow, columns[at])) {
            ErrorMessage(
                UnmatchedText("Key field", name, leader->StoredTableName(), SideName(follower, M), columns, at));
            ok = false;
            continue;
        }
        if (!given &&
            (ExcludesColumn(leader->ExcludeList, name, leader->AllFields) ||
             ExcludesColumn(follower.ExcludeList, columns[at], columns)))
            continue;
        lead.Add(name);
        follow.Add(columns[at]);
    }
    if (!ok) return false;
    leader->KeyList.Assign(lead);
    follower.KeyList.Assign(follow);
    return true;
}

} // namespace qel
