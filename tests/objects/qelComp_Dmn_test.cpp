#include "qelComp_Dmn.h"
#include "qelComp_Fld.h"
#include "qelComp_Prc.h"
#include "qelDDLTestSupport.h"
#include "qelFieldListSupport.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <memory>

using namespace qel;
using qeltest::AddField;
using qeltest::TDDLRow;
using DT = TDatabaseType;

namespace {

constexpr std::uint8_t INTEGER = 1, NUMBER = 11, VARCHAR = 14, VARCHAR2 = 17, DATE = 18, TEXT = 48;

// Domain or type D whose base type is Code(Length).
std::unique_ptr<TDmnData> Domain(TObjs& objs, const std::string& name, std::uint8_t code = 0,
                                 std::int32_t length = 0)
{
    auto d = std::make_unique<TDmnData>(&objs);
    d->SetName(name);
    d->BaseField->DataType = code;
    d->BaseField->Length = length;
    return d;
}

// The MS SQL alias type D of VARCHAR(20).
std::unique_ptr<TDmnData> AliasType(TObjs& objs, bool nullable)
{
    auto d = Domain(objs, "D", VARCHAR, 20);
    d->BaseTypeText = "VARCHAR(20)";
    d->BaseField->Nullable = nullable;
    return d;
}

// Oracle object type T (A NUMBER, B DATE) with one member function.
std::unique_ptr<TDmnData> ObjectType(TObjs& objs)
{
    auto t = Domain(objs, "T");
    t->OracleTypeKind = 2;
    AddField(objs, t->Attributes, t.get(), "A", NUMBER);
    AddField(objs, t->Attributes, t.get(), "B", DATE);
    auto* member = t->Members.Add("F", std::make_unique<TMemberPrcData>(&objs));
    member->SetName("F");
    member->IsFunction = true;
    AddField(objs, member->OutputParams, member, "", NUMBER);
    return t;
}

std::string MSSQLDrop(TObjs& objs, TMSSQLServerVersionType version, const std::string& baseText = {})
{
    objs.MSSQLServerOptions().SQLServerVersion = version;
    auto d = Domain(objs, "D", VARCHAR, 20);
    d->BaseTypeText = baseText;
    return d->GetDropScript();
}

} // namespace

class DomainText : public qeltest::TDDLTest {};
TEST_P(DomainText, IsExact) { Check(); }

INSTANTIATE_TEST_SUITE_P(
    Rows, DomainText,
    ::testing::Values(
        TDDLRow{"IBDomain", DT::dbInterBase,
                [](TObjs& o) {
                    auto d = Domain(o, "D", INTEGER);
                    d->BaseField->Nullable = false;
                    return d->GetCreateDDL() + " | " + d->GetDropScript();
                },
                "CREATE DOMAIN D AS INTEGER NOT NULL | /* Drop: D (TDmnData) */\r\nDROP DOMAIN D"},
        TDDLRow{"MSSQLAddTypeNull", DT::dbMSSQL, [](TObjs& o) { return AliasType(o, true)->GetCreateDDL(); },
                "EXEC sp_addtype N'D', N'VARCHAR(20)', N'NULL'"},
        TDDLRow{"MSSQLAddTypeNotNull", DT::dbMSSQL, [](TObjs& o) { return AliasType(o, false)->GetCreateDDL(); },
                "EXEC sp_addtype N'D', N'VARCHAR(20)', N'NOT NULL'"},
        TDDLRow{"MSSQLCreateTypeFrom", DT::dbMSSQL,
                [](TObjs& o) {
                    auto d = AliasType(o, true);
                    d->UseCreateType = true;
                    return d->GetCreateDDL();
                },
                "CREATE TYPE D FROM VARCHAR(20) NULL"},
        TDDLRow{"MSSQLXmlSchemaCollection", DT::dbMSSQL,
                [](TObjs& o) {
                    o.MSSQLServerOptions().SQLServerVersion = TMSSQLServerVersionType::st_MSSQL2005;
                    auto d = Domain(o, "X");
                    d->BaseTypeText = "XML SCHEMA COLLECTION";
                    d->SetBody("<schema a='1'/>");
                    return d->GetCreateDDL() + " | " + d->GetDropScript();
                },
                "CREATE XML SCHEMA COLLECTION X AS N'<schema a=''1''/>' | DROP XML SCHEMA COLLECTION X"},
        TDDLRow{"MSSQL2000Drop", DT::dbMSSQL,
                [](TObjs& o) { return MSSQLDrop(o, TMSSQLServerVersionType::st_MSSQL2000); }, "exec sp_droptype 'D'"},
        TDDLRow{"MSSQL2005Drop", DT::dbMSSQL,
                [](TObjs& o) { return MSSQLDrop(o, TMSSQLServerVersionType::st_MSSQL2005); }, "DROP TYPE D"},
        TDDLRow{"ASEDrop", DT::dbSybaseASE, [](TObjs& o) { return Domain(o, "D")->GetDropScript(); },
                "exec sp_droptype 'D'"},
        TDDLRow{"PGBaseType", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto t = Domain(o, "t");
                    t->PGTypeOptions.IsType = true;
                    t->PGTypeOptions.Input = "in_f";
                    t->PGTypeOptions.Output = "out_f";
                    return t->GetCreateDDL() + " | " + t->GetDropScript();
                },
                "CREATE TYPE t(\r\nINPUT = in_f,\r\nOUTPUT = out_f,\r\nALIGNMENT = int4,\r\nSTORAGE = plain) | "
                "DROP TYPE t"},
        TDDLRow{"PGBaseTypeEveryOption", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto t = Domain(o, "t");
                    TPGTypeOptions& p = t->PGTypeOptions;
                    p.IsType = p.PassedByValue = true;
                    p.Input = "i", p.Output = "o", p.Receive = "r", p.Send = "s", p.Analyze = "a";
                    p.InternalLength = 4, p.ExternalLength = 0, p.Alignment = 0, p.Storage.clear();
                    p.Default = "0", p.Delimiter = "'";
                    p.Element = std::make_unique<TFldData>(&o);
                    p.Element->DataType = INTEGER;
                    return t->GetCreateDDL();
                },
                "CREATE TYPE t(\r\nINPUT = i,\r\nOUTPUT = o,\r\nRECEIVE = r,\r\nSEND = s,\r\nANALYZE = a,\r\n"
                "INTERNALLENGTH = 4,\r\nEXTERNALLENGTH = 0,\r\nPASSEDBYVALUE,\r\nDEFAULT = 0,\r\nELEMENT = integer,\r\n"
                "DELIMITER = '''')"},
        // No option given: the shell type that a base type starts as.
        TDDLRow{"PGShellType", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto t = Domain(o, "t");
                    t->PGTypeOptions.IsType = true;
                    t->PGTypeOptions.Alignment = 0;
                    t->PGTypeOptions.Storage.clear();
                    return t->GetCreateDDL();
                },
                "CREATE TYPE t"},
        TDDLRow{"PGCompositeType", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto t = Domain(o, "pair");
                    t->SetSchema("s");
                    t->PGTypeOptions.IsType = true;
                    AddField(o, t->PGTypeOptions.Attributes, t.get(), "a", INTEGER);
                    AddField(o, t->PGTypeOptions.Attributes, t.get(), "b", TEXT);
                    return t->GetCreateDDL();
                },
                "CREATE TYPE s.pair AS (\r\na integer,\r\nb text)"},
        TDDLRow{"PGDomain", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto d = Domain(o, "d", INTEGER);
                    d->SetSchema("s");
                    d->BaseField->Nullable = false;
                    return d->GetCreateDDL() + " | " + d->GetDropScript();
                },
                "CREATE DOMAIN s.d integer not null | DROP DOMAIN s.d"},
        TDDLRow{"OracleVarray", DT::dbOracle,
                [](TObjs& o) {
                    auto t = Domain(o, "T", VARCHAR2, 30);
                    t->OracleTypeKind = 3;
                    t->VarrayLimit = 10;
                    return t->GetCreateDDL() + " | " + t->GetDropScript();
                },
                "CREATE OR REPLACE TYPE T AS VARRAY(10) OF VARCHAR2(30) | DROP TYPE T"},
        TDDLRow{"OracleNestedTableWithIs", DT::dbOracle,
                [](TObjs& o) {
                    auto t = Domain(o, "T", NUMBER);
                    t->OracleTypeKind = 5;
                    return t->GetCreateDDL();
                },
                "CREATE OR REPLACE TYPE T IS TABLE OF NUMBER"},
        // The member closes the parenthesis the attributes opened.
        TDDLRow{"OracleObjectWithMember", DT::dbOracle, [](TObjs& o) { return ObjectType(o)->GetCreateDDL(); },
                "CREATE OR REPLACE TYPE T AS OBJECT\r\n  (A NUMBER,\r\n   B DATE,\r\n"
                "   MEMBER FUNCTION F RETURN NUMBER)"},
        TDDLRow{"OracleObjectDirectiveAndAddedAttribute", DT::dbOracle,
                [](TObjs& o) {
                    auto t = ObjectType(o);
                    t->Members.Clear();
                    t->TimestampText = "2020-01-01:00:00:00";
                    t->OidText = "1A";
                    t->TypeDirective.NotFinal = true;
                    AddField(o, t->AddedAttributes, t.get(), "C", NUMBER);
                    t->Cascade = true;
                    return t->GetCreateDDL();
                },
                "CREATE OR REPLACE TYPE T\r\n   TIMESTAMP '2020-01-01:00:00:00' OID '1A'\r\n AS OBJECT\r\n"
                "  (A NUMBER,\r\n   B DATE)\r\n   NOT FINAL ;\r\n\r\nALTER TYPE T ADD ATTRIBUTE\r\n  (C NUMBER)\r\n"
                "   CASCADE"},
        TDDLRow{"OracleSubtype", DT::dbOracle,
                [](TObjs& o) {
                    auto t = ObjectType(o);
                    t->SuperType = "BASE_T";
                    return t->GetCreateDDL();
                },
                "CREATE OR REPLACE TYPE T UNDER BASE_T\r\n  (A NUMBER,\r\n   B DATE,\r\n"
                "   MEMBER FUNCTION F RETURN NUMBER)"},
        // Members without attributes still get an opening parenthesis.
        TDDLRow{"OracleMembersOnly", DT::dbOracle,
                [](TObjs& o) {
                    auto t = ObjectType(o);
                    t->Attributes.Clear();
                    return t->GetCreateDDL();
                },
                "CREATE OR REPLACE TYPE T AS OBJECT\r\n  (   MEMBER FUNCTION F RETURN NUMBER)"}),
    qeltest::RowName);

// Domains and types of every shape, with nothing else set, write their
// texts under every server type.
TEST(TDmnData, BareTypesRaiseNothing)
{
    for (std::uint8_t kind = 0; kind <= 5; ++kind)
        qeltest::ExpectTextsRaiseNothing<TDmnData>([&](TDmnData& d) { d.OracleTypeKind = kind; });
    qeltest::ExpectTextsRaiseNothing<TDmnData>([](TDmnData& d) {
        d.PGTypeOptions.IsType = d.UseCreateType = true;
        d.Members.Add("M");
        d.Attributes.Add("A");
    });
}
