#include "qelComp_Ctr.h"
#include "qelComp_Fld.h"
#include "qelComp_Idx.h"
#include "qelComp_Tbl.h"
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

// Adds column Name of type Code (VARCHAR with a length) to T.
TFldData* AddColumn(TTblData& T, const char* Name, std::uint8_t Code, std::int32_t Length = 0, bool Nullable = true)
{
    auto* f = T.Fields.Add(Name, std::make_unique<TFldData>(T.Objs(), &T));
    f->SetName(Name);
    f->DataType = Code;
    f->Length = Length;
    f->Nullable = Nullable;
    return f;
}

// The CREATE text of table T (columns A INTEGER NOT NULL and, with
// TwoColumns, B VARCHAR(10)) after Setup, then " | " and its drop.
TDDLRow Table(const char* Label, DT Server, bool TwoColumns, std::function<void(TTblData&)> Setup, const char* Expected)
{
    return {Label, Server,
            [=](TObjs& o) {
                TTblData t(&o);
                t.SetName("T");
                AddColumn(t, "A", 1, 0, !TwoColumns);
                if (TwoColumns) AddColumn(t, "B", 14, 10);
                Setup(t);
                return t.GetCreateScript() + " | " + t.GetDropScript();
            },
            Expected};
}

class TableTextTest : public qeltest::TDDLTest {};
TEST_P(TableTextTest, WritesTheExactText) { Check(); }

INSTANTIATE_TEST_SUITE_P(
    Rows, TableTextTest,
    ::testing::ValuesIn(std::vector<TDDLRow>{
        Table("IB", DT::dbInterBase, true, [](TTblData&) {}, "CREATE TABLE T(A INTEGER NOT NULL,\r\nB VARCHAR(10)) | DROP TABLE T"),
        Table("no columns", DT::dbInterBase, false, [](TTblData& t) { t.Fields.Clear(); }, "CREATE TABLE T | DROP TABLE T"),
        // Computed columns held back: a table left without columns to write
        // gets no parentheses.
        Table("only deferred columns", DT::dbInterBase, false,
              [](TTblData& t) {
                  t.Fields.Objects(0)->SetBody("(1)");
                  t.DeferComputedFields = true;
              },
              "CREATE TABLE T | DROP TABLE T"),
        Table("external file", DT::dbInterBase, false,
              [](TTblData& t) {
                  t.ExternalFile = "x.dat";
                  t.Fields.Objects(0)->DataType = 15;
                  t.Fields.Objects(0)->Length = 10;
              },
              "CREATE TABLE T\r\nEXTERNAL FILE 'x.dat'\r\n(A CHAR(10)) | DROP TABLE T"),
        Table("global temporary", DT::dbInterBase, false,
              [](TTblData& t) {
                  t.GlobalTemporary = true;
                  t.OnCommit = 1;
              },
              "CREATE GLOBAL TEMPORARY TABLE T(A INTEGER)\r\n ON COMMIT DELETE ROWS | DROP TABLE T"),
        Table("ASA keeps no DELETE ROWS", DT::dbSybaseASA, false,
              [](TTblData& t) {
                  t.GlobalTemporary = true;
                  t.OnCommit = 1;
              },
              "CREATE GLOBAL TEMPORARY TABLE DBA.T(A INTEGER NULL) | DROP TABLE DBA.T"),
        Table("ASA PRESERVE ROWS", DT::dbSybaseASA, false,
              [](TTblData& t) {
                  t.Owner = "O";
                  t.OnCommit = 2;
              },
              "CREATE TABLE O.T(A INTEGER NULL)\r\n ON COMMIT PRESERVE ROWS | DROP TABLE O.T"),
        Table("PG schema, query and oids", DT::dbPostgreSQL, false,
              [](TTblData& t) {
                  t.SetName("t");
                  t.SetSchema("s");
                  t.Fields.Clear();
                  t.AsQuery = "SELECT 1";
                  t.WithOids = true;
              },
              "CREATE TABLE s.t\r\nAS SELECT 1 WITH OIDS | DROP TABLE s.t"),
        Table("Oracle storage", DT::dbOracle, false,
              [](TTblData& t) {
                  t.TableSpace.pctfree = 10;
                  t.TablespaceName = "USERS";
                  t.NoLogging = true;
                  t.PartitionColumns = "(A)";
                  t.PartitionsText = "(PARTITION P1 VALUES LESS THAN (10))";
              },
              "CREATE TABLE T(A INTEGER)\r\npctfree 10\r\nTABLESPACE USERS\r\nNOLOGGING\r\n"
              "PARTITION BY RANGE (A) (PARTITION P1 VALUES LESS THAN (10)) | DROP TABLE T"),
        {"MySQL column key", DT::dbMySQL,
         [](TObjs& o) {
             TTblData t(&o);
             t.SetName("T");
             AddColumn(t, "A", 1)->KeyName = "K";
             t.MySQLOptions.Engine = "InnoDB";
             return t.GetTableText() + " | " + t.GetCreateScript();
         },
         "TABLE T(A INTEGER,\r\nKEY K(A)) | CREATE TABLE T(A INTEGER)\r\nENGINE=InnoDB"},
        Table("empty names", DT::dbInterBase, false,
              [](TTblData& t) {
                  t.SetName("");
                  t.Fields.Objects(0)->SetName("");
              },
              "CREATE TABLE (INTEGER) | DROP TABLE "),
        {"publication", DT::dbSybaseASA,
         [](TObjs& o) {
             TPblData p(&o);
             p.SetName("P");
             p.Owner = "O";
             TPblArtData* a = p.AddArticle();
             a->TableOwner = "O";
             a->TableName = "T";
             a->Columns.Add("A");
             a->Columns.Add("B");
             p.AddArticle()->TableName = "U";
             TPblData none(&o);
             none.SetName("N");
             return p.GetCreateDDL() + " | " + p.GetDropScript() + " | " + none.GetCreateDDL();
         },
         "CREATE PUBLICATION O.P (\r\n    TABLE O.T(A, B), \r\n    TABLE DBA.U\r\n) | DROP PUBLICATION O.P | "
         "CREATE PUBLICATION DBA.N (\r\n)"},
        {"MSSQL schemas", DT::dbMSSQL,
         [](TObjs& o) {
             TSchData own(&o), other(&o);
             own.SetName("S");
             own.Authorization = "S";
             other.SetName("R");
             other.Authorization = "U";
             return own.GetCreateDDL() + " | " + other.GetCreateDDL() + " | " + other.GetDropScript();
         },
         "CREATE SCHEMA S | CREATE SCHEMA R AUTHORIZATION U | DROP SCHEMA R"}}),
    qeltest::RowName);

} // namespace

// MySQL writes the table's primary key, unique keys and indexes inside
// CREATE TABLE and counts them as created; the CREATE text alone marks
// nothing, and keys of other tables stay out.
TEST(TTblData, MySQLKeysGoInLineAndCountAsCreated)
{
    TObjs objs;
    objs.SetDatabaseType(DT::dbMySQL);
    auto* table = static_cast<TTblData*>(objs.AddObject(std::make_unique<TTblData>(&objs)));
    table->SetName("T");
    AddColumn(*table, "A", 1, 0, false);
    const auto add = [&objs](auto object) { return objs.AddObject(std::move(object)); };
    auto pk = std::make_unique<TCtrData>(&objs);
    pk->SetName("PK_T");
    pk->SetConstraintKind(ckPrimaryKey);
    pk->SetTableName("T");
    pk->Fields.Add("A");
    auto* primary = add(std::move(pk));
    auto fk = std::make_unique<TCtrData>(&objs);
    fk->SetName("FK_T");
    fk->SetTableName("T");
    fk->Fields.Add("A");
    auto* foreign = add(std::move(fk));
    auto ix = std::make_unique<TIdxData>(&objs);
    ix->SetName("IX");
    ix->TableName = "T";
    ix->Fields.Add("A");
    auto* index = add(std::move(ix));
    auto other = std::make_unique<TIdxData>(&objs);
    other->SetName("IX2");
    other->TableName = "U";
    other->Fields.Add("A");
    auto* otherIndex = add(std::move(other));
    for (TDbObj* o : {primary, foreign, index, otherIndex}) o->Exists = false;

    const std::string expected = "CREATE TABLE T(A INTEGER NOT NULL,\r\nCONSTRAINT PK_T PRIMARY KEY(A),\r\nKEY IX (A))";
    EXPECT_EQ(table->GetCreateDDL(), expected);
    EXPECT_FALSE(primary->Exists);
    EXPECT_FALSE(index->Exists);
    EXPECT_EQ(table->GetCreateScript(), expected);
    EXPECT_TRUE(primary->Exists);
    EXPECT_TRUE(index->Exists);
    EXPECT_FALSE(foreign->Exists);
    EXPECT_FALSE(otherIndex->Exists);
}
