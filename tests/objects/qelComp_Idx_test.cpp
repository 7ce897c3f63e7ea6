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

// Index IX on table T with key columns A and B after Setup: its CREATE
// text, " | " and its drop.
TDDLRow Index(const char* Label, DT Server, std::function<void(TIdxData&)> Setup, const char* Expected)
{
    return {Label, Server,
            [=](TObjs& o) {
                TIdxData ix(&o);
                ix.SetName("IX");
                ix.TableName = "T";
                for (const char* name : {"A", "B"}) ix.Fields.Add(name, std::make_unique<TFldData>(&o));
                Setup(ix);
                return ix.GetCreateDDL() + " | " + ix.GetDropScript();
            },
            Expected};
}

class IndexTextTest : public qeltest::TDDLTest {};
TEST_P(IndexTextTest, WritesTheExactText) { Check(); }

INSTANTIATE_TEST_SUITE_P(
    Rows, IndexTextTest,
    ::testing::ValuesIn(std::vector<TDDLRow>{
        Index("IB unique descending", DT::dbInterBase,
              [](TIdxData& ix) {
                  ix.SetName("I");
                  ix.Unique = ix.Descending = true;
              },
              "CREATE UNIQUE DESC INDEX I ON T(A, B) | /* Drop: I (TIdxData) */\r\nDROP INDEX I"),
        Index("IB expression", DT::dbInterBase,
              [](TIdxData& ix) {
                  ix.SetName("I");
                  ix.SetBody("(UPPER(NAME))");
              },
              "CREATE INDEX I ON T COMPUTED BY(UPPER(NAME)) | /* Drop: I (TIdxData) */\r\nDROP INDEX I"),
        Index("MySQL method and prefix", DT::dbMySQL,
              [](TIdxData& ix) {
                  ix.SetName("I");
                  ix.Options.IndexMethod = "BTREE";
                  ix.Fields.Clear();
                  ix.Fields.Add("C", std::make_unique<TFldData>(ix.Objs()))->Length = 10;
                  ix.Fields.Add("D", std::make_unique<TFldData>(ix.Objs()));
              },
              "CREATE INDEX I USING BTREE ON T(C(10), D) | DROP INDEX I ON T"),
        Index("MSSQL clustered, include, file group", DT::dbMSSQL,
              [](TIdxData& ix) {
                  ix.Objs()->MSSQLServerOptions().MSSQLCompareOptions().CaseSensitiveIdentifiers = true;
                  ix.SetSchema("dbo");
                  ix.Clustered = true;
                  ix.Fields.Objects(0)->SortOrder = 2;
                  ix.Fields.Delete(1);
                  ix.IncludeFields.Add("B");
                  ix.FileGroup = "FG";
              },
              "CREATE CLUSTERED INDEX IX ON dbo.T(A DESC)\r\n  INCLUDE (B)\r\nON FG | DROP INDEX dbo.T.IX"),
        Index("MSSQL filter", DT::dbMSSQL, [](TIdxData& ix) { ix.Filter = "A > 0"; },
              "CREATE INDEX IX ON T(A, B)\r\nWHERE A > 0 | DROP INDEX T.IX"),
        Index("PG without schema", DT::dbPostgreSQL, [](TIdxData&) {}, "CREATE INDEX \"IX\" ON \"T\"(\"A\", \"B\") | DROP INDEX \"IX\""),
        Index("PG with schema", DT::dbPostgreSQL,
              [](TIdxData& ix) {
                  ix.SetName("ix");
                  ix.SetSchema("s");
                  ix.TableName = "t";
                  ix.Fields.Clear();
                  ix.Fields.Add("a");
              },
              "CREATE INDEX ix ON s.t(a) | DROP INDEX s.ix"),
        Index("ASA without owner", DT::dbSybaseASA, [](TIdxData& ix) { ix.Clustered = true; },
              "CREATE INDEX IX ON DBA.T(A, B) | DROP INDEX DBA.T.IX"),
        Index("ASE", DT::dbSybaseASE, [](TIdxData&) {}, "CREATE INDEX IX ON T(A, B) | DROP INDEX T.IX"),
        Index("Oracle domain index", DT::dbOracle,
              [](TIdxData& ix) {
                  ix.SetSchema("S");
                  ix.IndexType = "CTXSYS.CONTEXT";
                  ix.Parameters = "('SYNC (ON COMMIT)')";
                  ix.NoLogging = true;
                  ix.TableSpace.pctfree = 5;
              },
              "CREATE INDEX S.IX ON S.T(A, B)\r\n   INDEXTYPE IS CTXSYS.CONTEXT\r\n   PARAMETERS ('SYNC (ON COMMIT)')"
              "\r\nNOLOGGING\r\npctfree 5 | /* Drop: IX (TIdxData) */\r\nDROP INDEX IX"),
        Index("DB2 reverse scans", DT::dbDB2, [](TIdxData& ix) { ix.AllowReverseScans = true; },
              "CREATE INDEX IX ON T(A, B)\r\n  ALLOW REVERSE SCANS | /* Drop: IX (TIdxData) */\r\nDROP INDEX IX"),
        Index("no columns, no names", DT::dbInterBase,
              [](TIdxData& ix) {
                  ix.SetName("");
                  ix.TableName.clear();
                  ix.Fields.Clear();
              },
              "CREATE INDEX  ON () | /* Drop:  (TIdxData) */\r\nDROP INDEX "),
        // MySQL index names are unique only within their table.
        {"MySQL keys", DT::dbMySQL,
         [](TObjs& o) {
             TIdxData a(&o), b(&o);
             a.SetName("IX");
             a.TableName = "T";
             b.SetName("IX");
             b.TableName = "U";
             return a.GetKey() + " " + b.GetKey();
         },
         "T.IX U.IX"}}),
    qeltest::RowName);

} // namespace
