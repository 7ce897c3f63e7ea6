#include "qelComp_Dmn.h"
#include "qelComp_Fld.h"
#include "qelComp_Prc.h"
#include "qelDDLTestSupport.h"
#include "qelFieldListSupport.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

using namespace qel;
using qeltest::TDDLRow;
using DT = TDatabaseType;

namespace {

constexpr std::uint8_t INTEGER = 1, NUMBER = 11, VARCHAR = 14, VARCHAR2 = 17, DATE = 18, TEXT = 48;

// Domain or type Name based on Code(Length).
std::unique_ptr<TDmnData> Domain(TObjs& o, const char* name, std::uint8_t code = 0, std::int32_t length = 0,
                                 const char* schema = "")
{
    auto d = qeltest::Make<TDmnData>(o, name, schema);
    d->BaseField->DataType = code;
    d->BaseField->Length = length;
    return d;
}

// Oracle object type T (A NUMBER, B DATE) with member function F.
std::unique_ptr<TDmnData> ObjectType(TObjs& o)
{
    auto t = Domain(o, "T");
    t->OracleTypeKind = 2;
    qeltest::AddFields(o, t->Attributes, t.get(), {{"A", NUMBER}, {"B", DATE}});
    auto* member = t->Members.Add("F", qeltest::Make<TMemberPrcData>(o, "F"));
    member->IsFunction = true;
    qeltest::AddFields(o, member->OutputParams, member, {{"", NUMBER}});
    return t;
}

std::string CreateAndDrop(const TDmnData& d) { return d.GetCreateDDL() + " | " + d.GetDropScript(); }

} // namespace

class DomainText : public qeltest::TDDLTest {};
TEST_P(DomainText, IsExact) { Check(); }

INSTANTIATE_TEST_SUITE_P(
    Rows, DomainText,
    ::testing::Values(
        TDDLRow{"IB", DT::dbInterBase,
                [](TObjs& o) {
                    auto d = Domain(o, "D", INTEGER);
                    d->BaseField->Nullable = false;
                    return CreateAndDrop(*d);
                },
                "CREATE DOMAIN D AS INTEGER NOT NULL | /* Drop: D (TDmnData) */\r\nDROP DOMAIN D"},
        TDDLRow{"MSSQL 2000 alias types", DT::dbMSSQL,
                [](TObjs& o) {
                    auto d = Domain(o, "D", VARCHAR, 20);
                    d->BaseTypeText = "VARCHAR(20)";
                    const std::string null = CreateAndDrop(*d) + " | ";
                    d->BaseField->Nullable = false;
                    const std::string notNull = d->GetCreateDDL() + " | ";
                    d->BaseField->Nullable = d->UseCreateType = true;
                    return null + notNull + d->GetCreateDDL();
                },
                "EXEC sp_addtype N'D', N'VARCHAR(20)', N'NULL' | exec sp_droptype 'D' | "
                "EXEC sp_addtype N'D', N'VARCHAR(20)', N'NOT NULL' | CREATE TYPE D FROM VARCHAR(20) NULL"},
        TDDLRow{"MSSQL 2005 types", DT::dbMSSQL,
                [](TObjs& o) {
                    o.MSSQLServerOptions().SQLServerVersion = TMSSQLServerVersionType::st_MSSQL2005;
                    auto x = Domain(o, "X");
                    x->BaseTypeText = "XML SCHEMA COLLECTION";
                    x->SetBody("<schema a='1'/>");
                    return Domain(o, "D")->GetDropScript() + " | " + CreateAndDrop(*x);
                },
                "DROP TYPE D | CREATE XML SCHEMA COLLECTION X AS N'<schema a=''1''/>' | DROP XML SCHEMA COLLECTION X"},
        TDDLRow{"ASE", DT::dbSybaseASE, [](TObjs& o) { return Domain(o, "D")->GetDropScript(); },
                "exec sp_droptype 'D'"},
        TDDLRow{"PostgreSQL", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto base = Domain(o, "t");
                    base->PGTypeOptions.IsType = true;
                    base->PGTypeOptions.Input = "in_f";
                    base->PGTypeOptions.Output = "out_f";
                    auto pair = Domain(o, "pair", 0, 0, "s");
                    pair->PGTypeOptions.IsType = true;
                    qeltest::AddFields(o, pair->PGTypeOptions.Attributes, pair.get(), {{"a", INTEGER}, {"b", TEXT}});
                    auto d = Domain(o, "d", INTEGER, 0, "s");
                    d->BaseField->Nullable = false;
                    return CreateAndDrop(*base) + " | " + pair->GetCreateDDL() + " | " + CreateAndDrop(*d);
                },
                "CREATE TYPE t(\r\nINPUT = in_f,\r\nOUTPUT = out_f,\r\nALIGNMENT = int4,\r\nSTORAGE = plain) | DROP TYPE t | "
                "CREATE TYPE s.pair AS (\r\na integer,\r\nb text) | CREATE DOMAIN s.d integer not null | DROP DOMAIN s.d"},
        // No option given: the shell type a base type starts as.
        TDDLRow{"PostgreSQL options", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto t = Domain(o, "t");
                    TPGTypeOptions& p = t->PGTypeOptions;
                    p.IsType = true;
                    p.Alignment = 0, p.Storage.clear();
                    const std::string shell = t->GetCreateDDL() + " | ";
                    p.PassedByValue = true;
                    p.InternalLength = 4, p.ExternalLength = 0, p.Delimiter = "'";
                    p.Element = std::make_unique<TFldData>(&o);
                    p.Element->DataType = INTEGER;
                    return shell + t->GetCreateDDL();
                },
                "CREATE TYPE t | CREATE TYPE t(\r\nINTERNALLENGTH = 4,\r\nEXTERNALLENGTH = 0,\r\nPASSEDBYVALUE,\r\n"
                "ELEMENT = integer,\r\nDELIMITER = '''')"},
        TDDLRow{"Oracle collections", DT::dbOracle,
                [](TObjs& o) {
                    auto varray = Domain(o, "T", VARCHAR2, 30);
                    varray->OracleTypeKind = 3;
                    varray->VarrayLimit = 10;
                    auto table = Domain(o, "T", NUMBER);
                    table->OracleTypeKind = 5;
                    return CreateAndDrop(*varray) + " | " + table->GetCreateDDL();
                },
                "CREATE OR REPLACE TYPE T AS VARRAY(10) OF VARCHAR2(30) | DROP TYPE T | "
                "CREATE OR REPLACE TYPE T IS TABLE OF NUMBER"},
        // The member closes the parenthesis the attributes opened, and opens
        // one itself when there are no attributes.
        TDDLRow{"Oracle objects", DT::dbOracle,
                [](TObjs& o) {
                    auto t = ObjectType(o);
                    const std::string withMember = t->GetCreateDDL() + " | ";
                    t->SuperType = "BASE_T";
                    const std::string under = t->GetCreateDDL() + " | ";
                    t->Attributes.Clear();
                    t->SuperType.clear();
                    return withMember + under + t->GetCreateDDL();
                },
                "CREATE OR REPLACE TYPE T AS OBJECT\r\n  (A NUMBER,\r\n   B DATE,\r\n   MEMBER FUNCTION F RETURN NUMBER) | "
                "CREATE OR REPLACE TYPE T UNDER BASE_T\r\n  (A NUMBER,\r\n   B DATE,\r\n   MEMBER FUNCTION F RETURN NUMBER) | "
                "CREATE OR REPLACE TYPE T AS OBJECT\r\n  (   MEMBER FUNCTION F RETURN NUMBER)"},
        TDDLRow{"Oracle object, directive, added attribute", DT::dbOracle,
                [](TObjs& o) {
                    auto t = ObjectType(o);
                    t->Members.Clear();
                    t->TimestampText = "2020-01-01:00:00:00";
                    t->OidText = "1A";
                    t->TypeDirective.NotFinal = t->Cascade = true;
                    qeltest::AddFields(o, t->AddedAttributes, t.get(), {{"C", NUMBER}});
                    return t->GetCreateDDL();
                },
                "CREATE OR REPLACE TYPE T\r\n   TIMESTAMP '2020-01-01:00:00:00' OID '1A'\r\n AS OBJECT\r\n  (A NUMBER,\r\n"
                "   B DATE)\r\n   NOT FINAL ;\r\n\r\nALTER TYPE T ADD ATTRIBUTE\r\n  (C NUMBER)\r\n   CASCADE"}),
    qeltest::RowName);

TEST(TDmnData, BareTypesRaiseNothing)
{
    for (std::uint8_t kind = 0; kind <= 5; ++kind)
        qeltest::ExpectTextsRaiseNothing<TDmnData>([&](TDmnData& d) { d.OracleTypeKind = kind; });
    qeltest::ExpectTextsRaiseNothing<TDmnData>([](TDmnData& d) { d.PGTypeOptions.IsType = d.UseCreateType = true; });
}
