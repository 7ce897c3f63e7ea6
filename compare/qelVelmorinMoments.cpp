// PostgreSQL dates and time stamps beyond what the driver hands over as
// dates: BC, years past 9999, infinity. psqlODBC fills such a value with
// some other date (today's, 9999-12-31) without a word, so they are looked
// for before the merge and read as PostgreSQL's own text of them.
#include "qelVelmorin.h"
#include "qelVelmorinPrivate.h"

#include "qelDBEngine.h"
#include "qelDBOptions.h"
#include "qelText.h"

namespace qel {

using namespace velmorin;

namespace {

// The first row of Table whose Column holds a value outside the years 1 to
// 9999, as "K = 5, value 0044-03-15 BC"; empty when there is none.
// "select K, cast(D as varchar(64)) as V from T where D is not null and
// (not isfinite(D) or extract(year from D) not between 1 and 9999) limit 1"
struct TOutOfRange {
    std::string Key, Value;
    bool Found = false;
};

TOutOfRange FirstOutOfRange(TQELQuery& Query, const TCmpTableOptions& Side, const std::string& Column,
                            const std::string& Table)
{
    TOutOfRange r;
    const std::string c = Side.QuoteFieldName(Column);
    std::string keys;
    for (const std::string& k : Side.KeyList.Lines()) keys += Side.QuoteFieldName(k) + ", ";
    Query.SetParamCheck(false);
    Query.SetSQLText("select " + keys + "cast(" + c + " as varchar(64)) as velmorin_value from " +
                     Side.QuoteName(Table) + " where " + c + " is not null and (not isfinite(" + c +
                     ") or extract(year from " + c + ") not between 1 and 9999) limit 1");
    Query.Open();
    if (!Query.Eof()) {
        r.Found = true;
        TFields& f = *Query.GetFields();
        for (int i = 0; i + 1 < f.Count(); ++i)
            r.Key += (i > 0 ? ", " : "") + f[i].FieldName() + " = " + (f[i].IsNull() ? "Null" : f[i].AsString());
        r.Value = f[f.Count() - 1].AsString();
    }
    Query.Close();
    if (TStringList* sql = Query.GetSQL()) sql->Clear();
    return r;
}

} // namespace

bool TVelmorin::CheckMomentRanges()
{
    TCmpTableOptions& M = *m_tableOptionsMaster;
    TCmpTableOptions& T = *m_tableOptionsTarget;
    const bool pgM = M.DatabaseType() == TDatabaseType::dbPostgreSQL;
    const bool pgT = m_targetQuery && T.DatabaseType() == TDatabaseType::dbPostgreSQL;
    if (!pgM && !pgT) return true;
    const int count = M.DataList.Count();
    for (int i = 0; i < count; ++i) {
        for (TCmpTableOptions* side : {&M, &T}) {
            const bool master = side == &M;
            if (master ? !pgM : !pgT) continue;
            TQELQuery* query = master ? m_masterQuery.get() : m_targetQuery.get();
            if (query == nullptr || i >= side->DataList.Count()) continue;
            const std::string& column = side->DataList[i];
            const TCmpTableOptions::TColumnInfo* info = side->ColumnInfoOf(column);
            if (info == nullptr || !info->Moment || info->AsText) continue;
            const TOutOfRange found = FirstOutOfRange(*query, *side, column, side->TableName);
            if (!found.Found) continue;
            const bool key = MatchColumnByName(side->KeyList, column) >= 0;
            if (pgM && pgT && !key) {
                // Both sides read the column as text: PostgreSQL writes one
                // text for each value and reads it back as the same value.
                for (TCmpTableOptions* s : {&M, &T})
                    if (i < s->DataList.Count())
                        if (auto it = s->m_columnInfo.find(s->DataList[i]); it != s->m_columnInfo.end())
                            it->second.AsText = true;
                continue;
            }
            std::string why;
            if (key) why = "a key column cannot be compared by such a value";
            else if (master)
                why = "the column " + T.DataList[i] + " of the target table " + T.TableName + " cannot hold it";
            else why = "it can be compared exactly only with a PostgreSQL master";
            ErrorMessage("Table " + side->TableName + ", column " + column + ", row " + found.Key + ": the value " +
                         found.Value + " lies outside the years 1 to 9999, and " + why +
                         ". No statements were produced.");
            return false;
        }
    }
    return true;
}

} // namespace qel
