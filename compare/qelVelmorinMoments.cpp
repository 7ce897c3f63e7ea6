// PostgreSQL dates and time stamps beyond what the driver hands over as
// dates: BC, years past 9999, infinity. psqlODBC fills such a value with
// some other date (today's, 9999-12-31) without a word, so they are looked
// for before the merge and read as PostgreSQL's own text of them.
#include "qelVelmorin.h"
#include "qelVelmorinPrivate.h"

#include "qelDBEngine.h"
#include "qelDBOptions.h"
#include "qelText.h"

#include <string>
#include <utility>
#include <vector>

namespace qel {

using namespace velmorin;

namespace {

// "D is not null and (not isfinite(D) or extract(year from D) not between 1
// and 9999)": D holds a value the driver cannot hand over as a date.
std::string OutOfRange(const std::string& Quoted)
{
    return Quoted + " is not null and (not isfinite(" + Quoted + ") or extract(year from " + Quoted +
           ") not between 1 and 9999)";
}

void Reset(TQELQuery& Query)
{
    Query.Close();
    if (TStringList* sql = Query.GetSQL()) sql->Clear();
}

// Which of Columns hold such a value anywhere, in one reading of the table:
// "select bool_or(...) as c0, bool_or(...) as c1 from T".
std::vector<bool> ColumnsOutOfRange(TQELQuery& Query, const TCmpTableOptions& Side,
                                    const std::vector<std::string>& Columns)
{
    std::string terms;
    for (size_t j = 0; j < Columns.size(); ++j)
        terms += (j > 0 ? ", " : "") + std::string("bool_or(") + OutOfRange(Side.QuoteFieldName(Columns[j])) +
                 ") as c" + IntToStr(static_cast<long long>(j));
    Query.SetParamCheck(false);
    Query.SetSQLText("select " + terms + " from " + Side.QuoteName(Side.StoredTableName()));
    Query.Open();
    std::vector<bool> r(Columns.size(), false);
    if (!Query.Eof())
        for (size_t j = 0; j < Columns.size(); ++j) {
            const TField& f = (*Query.GetFields())[static_cast<int>(j)];
            r[j] = !f.IsNull() && f.AsBoolean();
        }
    Reset(Query);
    return r;
}

// The first such row of Column: "K = 7" and the value's text.
std::pair<std::string, std::string> FirstOutOfRange(TQELQuery& Query, const TCmpTableOptions& Side,
                                                    const std::string& Column)
{
    const std::string c = Side.QuoteFieldName(Column);
    std::string keys;
    for (const std::string& k : Side.KeyList.Lines()) keys += Side.QuoteFieldName(k) + ", ";
    Query.SetParamCheck(false);
    Query.SetSQLText("select " + keys + "cast(" + c + " as varchar(64)) as velmorin_value from " +
                     Side.QuoteName(Side.StoredTableName()) + " where " + OutOfRange(c) + " limit 1");
    Query.Open();
    std::string key, value;
    if (!Query.Eof()) {
        TFields& f = *Query.GetFields();
        for (int i = 0; i + 1 < f.Count(); ++i)
            key += (i > 0 ? ", " : "") + f[i].FieldName() + " = " + (f[i].IsNull() ? "Null" : f[i].AsString());
        value = f[f.Count() - 1].AsString();
    }
    Reset(Query);
    return {key, value};
}

} // namespace

bool TVelmorin::CheckMomentRanges()
{
    TCmpTableOptions& M = *m_tableOptionsMaster;
    TCmpTableOptions& T = *m_tableOptionsTarget;
    const bool pgM = M.DatabaseType() == TDatabaseType::dbPostgreSQL;
    const bool pgT = m_targetQuery && T.DatabaseType() == TDatabaseType::dbPostgreSQL;
    for (TCmpTableOptions* side : {&M, &T}) {
        const bool master = side == &M;
        TQELQuery* query = master ? m_masterQuery.get() : m_targetQuery.get();
        if ((master ? !pgM : !pgT) || query == nullptr) continue;
        std::vector<std::string> columns;
        std::vector<int> positions;
        for (int i = 0; i < side->DataList.Count(); ++i) {
            const TCmpTableOptions::TColumnInfo* info = side->ColumnInfoOf(side->DataList[i]);
            if (info == nullptr || !info->Moment) continue;
            columns.push_back(side->DataList[i]);
            positions.push_back(i);
        }
        if (columns.empty()) continue;
        const std::vector<bool> far = ColumnsOutOfRange(*query, *side, columns);
        for (size_t j = 0; j < columns.size(); ++j) {
            if (!far[j]) continue;
            const int i = positions[j];
            const bool key = MatchColumnByName(side->KeyList, columns[j]) >= 0;
            if (pgM && pgT && !key) {
                // Both sides read the column as text: PostgreSQL writes one
                // text for each value and reads it back as the same value.
                for (TCmpTableOptions* s : {&M, &T})
                    if (i < s->DataList.Count())
                        if (auto it = s->m_columnInfo.find(s->DataList[i]); it != s->m_columnInfo.end())
                            it->second.AsText = true;
                continue;
            }
            const auto [row, value] = FirstOutOfRange(*query, *side, columns[j]);
            std::string why;
            if (key) why = "a key column cannot be compared by such a value";
            else if (master && i < T.DataList.Count())
                why = "the column " + T.DataList[i] + " of the target table " + T.StoredTableName() + " cannot hold it";
            else if (master) why = "the target cannot hold it";
            else why = "it can be compared exactly only with a PostgreSQL master";
            ErrorMessage("Table " + side->StoredTableName() + ", column " + columns[j] + ", row " + row +
                         ": the value " + value + " lies outside the years 1 to 9999, and " + why +
                         ". No statements were produced.");
            return false;
        }
    }
    return true;
}

} // namespace qel
