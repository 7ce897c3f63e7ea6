#include "qelComp_Fld.h"
#include "qelComp_Idx.h"
#include "qelDDLTestSupport.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace qel;
using qeltest::TDDLRow;
using DT = TDatabaseType;

namespace {

// Index IX on T(A, B) after Setup: its CREATE text and its drop.
TDDLRow Index(const char* Label, DT Server, std::function<void(TIdxData&)> Setup, const char* Expected)
{
    return {Label, Server, [=](TObjs& o) {
                TIdxData ix(&o);
                ix.SetName("IX"), ix.TableName = "T";
                for (const char* name : {"A", "B"}) ix.Fields.Add(name, std::make_unique<TFldData>(&o));
                Setup(ix);
                return ix.GetCreateDDL() + " | " + ix.GetDropScript();
            }, Expected};
}

class IndexTextTest : public qeltest::TDDLTest {};
TEST_P(IndexTextTest, WritesTheExactText) { Check(); }

INSTANTIATE_TEST_SUITE_P(Rows, IndexTextTest, ::testing::ValuesIn(std::vector<TDDLRow>{
    Index("MySQL", DT::dbMySQL, [](TIdxData& ix) {
              ix.SetName("I"), ix.Options.IndexMethod = "BTREE", ix.Fields.Clear();
              ix.Fields.Add("C", std::make_unique<TFldData>(ix.Objs()))->Length = 10, ix.Fields.Add("D"); },
          "CREATE INDEX I USING BTREE ON T(C(10), D) | DROP INDEX I ON T"),
    Index("MSSQL", DT::dbMSSQL, [](TIdxData& ix) {
              ix.Objs()->MSSQLServerOptions().MSSQLCompareOptions().CaseSensitiveIdentifiers = true;
              ix.SetSchema("dbo"), ix.Clustered = true, ix.Fields.Objects(0)->SortOrder = 2, ix.Fields.Delete(1);
              ix.IncludeFields.Add("B"), ix.FileGroup = "FG"; },
          "CREATE CLUSTERED INDEX IX ON dbo.T(A DESC)\r\n  INCLUDE (B)\r\nON FG | DROP INDEX dbo.T.IX"),
    // The PostgreSQL drop names the schema only when there is one.
    Index("PG", DT::dbPostgreSQL, [](TIdxData& ix) { ix.SetName("ix"), ix.TableName = "t", ix.Fields.Clear(); },
          "CREATE INDEX ix ON t() | DROP INDEX ix"),
    Index("PG schema", DT::dbPostgreSQL, [](TIdxData& ix) { ix.SetName("ix"), ix.SetSchema("s"), ix.TableName = "t",
          ix.Fields.Clear(), ix.Fields.Add("a"); }, "CREATE INDEX ix ON s.t(a) | DROP INDEX s.ix"),
    Index("ASA", DT::dbSybaseASA, [](TIdxData&) {}, "CREATE INDEX IX ON DBA.T(A, B) | DROP INDEX DBA.T.IX"),
    Index("Oracle", DT::dbOracle, [](TIdxData& ix) { ix.SetSchema("S"), ix.IndexType = "CTXSYS.CONTEXT",
          ix.TableSpace.pctfree = 5; }, "CREATE INDEX S.IX ON S.T(A, B)\r\n   INDEXTYPE IS CTXSYS.CONTEXT\r\npctfree 5 | "
          "/* Drop: IX (TIdxData) */\r\nDROP INDEX IX"),
    // MySQL index names are unique only within their table.
    {"MySQL key", DT::dbMySQL, [](TObjs& o) { TIdxData ix(&o); ix.SetName("IX"), ix.TableName = "T"; return ix.GetKey(); },
     "T.IX"},
}), qeltest::RowName);

} // namespace
