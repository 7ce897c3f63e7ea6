#include "qelComp_Fld.h"
#include "qelComp_Opr.h"
#include "qelDDLTestSupport.h"
#include "qelFieldListSupport.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <memory>

using namespace qel;
using qeltest::TDDLRow;
using DT = TDatabaseType;

namespace {

// Operator Symbol in schema s, implemented by f.
std::unique_ptr<TOprData> Operator(TObjs& objs, const std::string& symbol, const std::string& left,
                                   const std::string& right)
{
    auto op = std::make_unique<TOprData>(&objs);
    op->SetName(symbol);
    op->SetSchema("s");
    op->ProcedureName = "f";
    op->LeftArg = left;
    op->RightArg = right;
    return op;
}

// The default btree class c of int4 in schema s with operator 1 "<".
std::unique_ptr<TOpcData> OperatorClass(TObjs& objs)
{
    auto c = std::make_unique<TOpcData>(&objs);
    c->SetName("c");
    c->SetSchema("s");
    c->IsDefault = true;
    c->ForType = "int4";
    c->IndexMethod = "btree";
    TOpcOprData* op = c->AddOperator();
    op->StrategyNumber = 1;
    op->OperatorName = "<";
    return c;
}

} // namespace

class OperatorText : public qeltest::TDDLTest {};
TEST_P(OperatorText, IsExact) { Check(); }

INSTANTIATE_TEST_SUITE_P(
    Rows, OperatorText,
    ::testing::Values(
        TDDLRow{"Prefix", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto op = Operator(o, "+", "", "int4");
                    return op->GetCreateDDL() + " | " + op->GetKey() + " | " + op->GetDisplayName() + " | " +
                           op->GetDropScript();
                },
                "CREATE OPERATOR s.+(\r\nPROCEDURE = f,\r\nRIGHTARG = int4) | s.+ (NONE, int4) | s.+ (NONE, int4) | "
                "DROP OPERATOR s.+(NONE, int4)"},
        TDDLRow{"Postfix", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto op = Operator(o, "!", "int4", "");
                    return op->GetKey() + " | " + op->GetDropScript();
                },
                "s.! (int4, NONE) | DROP OPERATOR s.!(int4, NONE)"},
        TDDLRow{"EveryClauseWithoutSchema", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto op = Operator(o, "===", "int4", "int4");
                    op->SetSchema("");
                    op->Commutator = "===";
                    op->Negator = "!==";
                    op->RestrictProc = "eqsel";
                    op->JoinProc = "eqjoinsel";
                    op->Hashes = op->Merges = true;
                    op->Sort1 = op->Sort2 = "<";
                    op->LtCmp = "<";
                    op->GtCmp = ">";
                    return op->GetCreateDDL() + " | " + op->GetKey();
                },
                "CREATE OPERATOR ===(\r\nPROCEDURE = f,\r\nLEFTARG = int4,\r\nRIGHTARG = int4,\r\nCOMMUTATOR = ===,\r\n"
                "NEGATOR = !==,\r\nRESTRICT = eqsel,\r\nJOIN = eqjoinsel,\r\nHASHES,\r\nMERGES,\r\nSORT1 = <,\r\n"
                "SORT2 = <,\r\nLTCMP = <,\r\nGTCMP = >) | === (int4, int4)"},
        TDDLRow{"WithoutArguments", DT::dbPostgreSQL,
                [](TObjs& o) { return Operator(o, "+", "", "")->GetDropScript(); }, "DROP OPERATOR s.+(NONE, NONE)"},
        TDDLRow{"ClassWithOneOperator", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto c = OperatorClass(o);
                    return c->GetCreateDDL() + " | " + c->GetKey() + " | " + c->GetDisplayName() + " | " +
                           c->GetDropScript();
                },
                "CREATE OPERATOR CLASS s.c DEFAULT FOR TYPE int4 USING btree AS\r\nOPERATOR 1 < | c(btree) | c(btree) | "
                "DROP OPERATOR CLASS s.c USING btree"},
        TDDLRow{"ClassWithFunctionAndStorage", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto c = OperatorClass(o);
                    c->IsDefault = false;
                    c->Operators[0]->LeftType = "int4";
                    TOpcOprData* second = c->AddOperator();
                    second->StrategyNumber = 3;
                    second->OperatorName = "=";
                    TOpcFncData* fn = c->AddFunction();
                    fn->SupportNumber = 1;
                    fn->FunctionName = "btint4cmp";
                    fn->ArgTypes.Add("int4");
                    fn->ArgTypes.Add("int4");
                    c->StorageType = "int4";
                    return c->GetCreateDDL();
                },
                "CREATE OPERATOR CLASS s.c FOR TYPE int4 USING btree AS\r\nOPERATOR 1 < (int4, NONE),\r\nOPERATOR 3 =,\r\n"
                "FUNCTION 1 btint4cmp(int4, int4),\r\nSTORAGE int4"}),
    qeltest::RowName);

// An operator without arguments and a class without entries still write
// their texts.
TEST(TOprData, BareOperatorsAndClassesRaiseNothing)
{
    qeltest::ExpectTextsRaiseNothing<TOprData>([](TOprData&) {});
    qeltest::ExpectTextsRaiseNothing<TOpcData>([](TOpcData& c) {
        c.AddFunction();
        c.AddOperator();
    });
}
