#include "qelComp_Ctr.h"
#include "qelComp_Dmn.h"
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

// Adds column Name of type Code to T.
TFldData* AddColumn(TTblData& T, const char* Name, std::uint8_t Code, std::int32_t Length = 0)
{
    auto* f = T.Fields.Add(Name, std::make_unique<TFldData>(T.Objs(), &T));
    f->SetName(Name), f->DataType = Code, f->Length = Length;
    return f;
}

// Table T with column A INTEGER after Setup: its CREATE text and its drop.
TDDLRow Table(const char* Label, DT Server, std::function<void(TTblData&)> Setup, const char* Expected)
{
    return {Label, Server, [=](TObjs& o) {
                TTblData t(&o);
                t.SetName("T");
                AddColumn(t, "A", 1);
                Setup(t);
                return t.GetCreateScript() + " | " + t.GetDropScript();
            }, Expected};
}

class TableTextTest : public qeltest::TDDLTest {};
TEST_P(TableTextTest, WritesTheExactText) { Check(); }

INSTANTIATE_TEST_SUITE_P(Rows, TableTextTest, ::testing::ValuesIn(std::vector<TDDLRow>{
    Table("no columns", DT::dbInterBase, [](TTblData& t) { t.Fields.Clear(); }, "CREATE TABLE T | DROP TABLE T"),
    // A table whose only columns are held back gets no empty parentheses.
    Table("deferred", DT::dbInterBase, [](TTblData& t) { t.Fields.Objects(0)->SetBody("(1)"), t.DeferComputedFields = true; },
          "CREATE TABLE T | DROP TABLE T"),
    Table("external", DT::dbInterBase, [](TTblData& t) { t.ExternalFile = "x.dat", t.Fields.Objects(0)->DataType = 15,
          t.Fields.Objects(0)->Length = 10; }, "CREATE TABLE T\r\nEXTERNAL FILE 'x.dat'\r\n(A CHAR(10)) | DROP TABLE T"),
    Table("ASA temporary", DT::dbSybaseASA, [](TTblData& t) { t.GlobalTemporary = true, t.OnCommit = 1; },
          "CREATE GLOBAL TEMPORARY TABLE DBA.T(A INTEGER NULL) | DROP TABLE DBA.T"),
    Table("ASA preserve", DT::dbSybaseASA, [](TTblData& t) { t.Owner = "O", t.OnCommit = 2; },
          "CREATE TABLE O.T(A INTEGER NULL)\r\n ON COMMIT PRESERVE ROWS | DROP TABLE O.T"),
    Table("Oracle", DT::dbOracle, [](TTblData& t) { t.SetSchema("S"), t.TablespaceName = "USERS", t.NoLogging = true; },
          "CREATE TABLE S.T(A INTEGER)\r\nTABLESPACE USERS\r\nNOLOGGING | DROP TABLE S.T"),
    Table("empty names", DT::dbInterBase, [](TTblData& t) { t.SetName(""), t.Fields.Objects(0)->SetName(""); },
          "CREATE TABLE (INTEGER) | DROP TABLE "),
    // The key is added by ALTER TABLE later: its columns must be NOT NULL
    // already, and are so where the key is made with the table, whatever
    // the domain says; other tables' keys and other kinds of key change
    // nothing.
    {"IB key columns", DT::dbInterBase, [](TObjs& o) {
         auto d = std::make_unique<TDmnData>(&o);
         d->SetName("D"), d->BaseField->DataType = 1, d->BaseField->Nullable = false;
         o.AddObject(std::move(d));
         TTblData t(&o);
         t.SetName("T");
         AddColumn(t, "A", 1);
         AddColumn(t, "B", dtDomain)->DomainName = "D";
         AddColumn(t, "C", 14, 5)->CheckText = "(C > '')";
         AddColumn(t, "E", 1);
         const auto key = [&o](const char* Name, TConstraintKind Kind, const char* Table, std::vector<const char*> Columns) {
             auto c = std::make_unique<TCtrData>(&o);
             c->SetName(Name), c->SetConstraintKind(Kind), c->SetTableName(Table);
             for (const char* column : Columns) c->Fields.Add(column);
             o.AddObject(std::move(c));
         };
         key("PK_T", ckPrimaryKey, "T", {"A", "B", "C"});
         key("UQ_T", ckUnique, "T", {"E"});
         key("PK_U", ckPrimaryKey, "U", {"E"});
         return t.GetCreateDDL() + " | " + t.Fields.Objects(0)->GetCreateDDL();
     }, "CREATE TABLE T(A INTEGER NOT NULL,\r\nB D NOT NULL,\r\nC VARCHAR(5) NOT NULL CHECK(C > ''),\r\nE INTEGER) | A INTEGER"},
    {"publication", DT::dbSybaseASA, [](TObjs& o) {
         TPblData p(&o), empty(&o);
         p.SetName("P"), p.Owner = "O", empty.SetName("N");
         TPblArtData* a = p.AddArticle();
         a->TableOwner = "O", a->TableName = "T", a->Columns.Add("A"), a->Columns.Add("B");
         p.AddArticle()->TableName = "U";
         return p.GetCreateDDL() + " | " + p.GetDropScript() + " | " + empty.GetCreateDDL();
     }, "CREATE PUBLICATION O.P (\r\n    TABLE O.T(A, B), \r\n    TABLE DBA.U\r\n) | DROP PUBLICATION O.P | "
        "CREATE PUBLICATION DBA.N (\r\n)"},
    {"MSSQL schemas", DT::dbMSSQL, [](TObjs& o) {
         TSchData own(&o), other(&o);
         own.SetName("S"), own.Authorization = "S", other.SetName("R"), other.Authorization = "U";
         return own.GetCreateDDL() + " | " + other.GetCreateDDL() + " | " + other.GetDropScript();
     }, "CREATE SCHEMA S | CREATE SCHEMA R AUTHORIZATION U | DROP SCHEMA R"},
}), qeltest::RowName);

} // namespace

// MySQL writes the table's primary and unique keys and its indexes inside
// CREATE TABLE; the script counts them as created, the bare text does not,
// and keys of other kinds or tables stay out.
TEST(TTblData, MySQLKeysGoInLineAndCountAsCreated)
{
    TObjs objs;
    objs.SetDatabaseType(DT::dbMySQL);
    TTblData table(&objs);
    table.SetName("T");
    AddColumn(table, "A", 1)->Nullable = false;
    std::vector<TDbObj*> keys;
    for (TConstraintKind kind : {ckPrimaryKey, ckForeignKey}) {
        auto c = std::make_unique<TCtrData>(&objs);
        c->SetName(kind == ckPrimaryKey ? "PK_T" : "FK_T"), c->SetConstraintKind(kind), c->SetTableName("T");
        c->Fields.Add("A");
        keys.push_back(objs.AddObject(std::move(c)));
    }
    for (const char* t : {"T", "U"}) {
        auto ix = std::make_unique<TIdxData>(&objs);
        ix->SetName(std::string("IX") + t), ix->TableName = t, ix->Fields.Add("A");
        keys.push_back(objs.AddObject(std::move(ix)));
    }
    for (TDbObj* k : keys) k->Exists = false;
    const std::string text = "CREATE TABLE T(A INTEGER NOT NULL,\r\nCONSTRAINT PK_T PRIMARY KEY(A),\r\nKEY IXT (A))";
    EXPECT_EQ(table.GetCreateDDL(), text);
    EXPECT_FALSE(keys[0]->Exists);
    EXPECT_EQ(table.GetCreateScript(), text);
    EXPECT_EQ((std::vector<bool>{keys[0]->Exists, keys[1]->Exists, keys[2]->Exists, keys[3]->Exists}),
              (std::vector<bool>{true, false, true, false}));
}
