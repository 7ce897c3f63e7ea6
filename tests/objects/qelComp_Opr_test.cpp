#include "qelComp_Fld.h"
#include "qelComp_Opr.h"
#include "qelDDLTestSupport.h"
#include "qelFieldListSupport.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

using namespace qel;
using qeltest::TDDLRow;
using DT = TDatabaseType;

class OperatorText : public qeltest::TDDLTest {};
TEST_P(OperatorText, IsExact) { Check(); }

// Keys and drops name the argument types, NONE for a missing one.
INSTANTIATE_TEST_SUITE_P(
    Rows, OperatorText,
    ::testing::Values(
        TDDLRow{"Operators", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto op = qeltest::Make<TOprData>(o, "+", "s");
                    op->ProcedureName = "f";
                    op->RightArg = "int4";
                    std::string text = op->GetCreateDDL() + " | " + op->GetDisplayName() + " | " + op->GetDropScript();
                    std::swap(op->LeftArg, op->RightArg);
                    text += " | " + op->GetKey() + " | ";
                    op->SetSchema("");
                    op->RightArg = op->Negator = "int4";
                    op->JoinProc = "eqjoinsel";
                    op->Hashes = true;
                    return text + op->GetCreateDDL() + " | " + op->GetDropScript();
                },
                "CREATE OPERATOR s.+(\r\nPROCEDURE = f,\r\nRIGHTARG = int4) | s.+ (NONE, int4) | DROP OPERATOR s.+(NONE, "
                "int4) | s.+ (int4, NONE) | CREATE OPERATOR +(\r\nPROCEDURE = f,\r\nLEFTARG = int4,\r\nRIGHTARG = int4,\r\n"
                "NEGATOR = int4,\r\nJOIN = eqjoinsel,\r\nHASHES) | DROP OPERATOR +(int4, int4)"},
        TDDLRow{"Operator classes", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto c = qeltest::Make<TOpcData>(o, "c", "s");
                    c->IsDefault = true;
                    c->ForType = "int4";
                    c->IndexMethod = "btree";
                    TOpcOprData* op = c->AddOperator();
                    op->StrategyNumber = 1;
                    op->OperatorName = "<";
                    std::string text = c->GetCreateDDL() + " | " + c->GetDisplayName() + " | " + c->GetDropScript();
                    op->LeftType = "int4";
                    TOpcFncData* fn = c->AddFunction();
                    fn->SupportNumber = 1;
                    fn->FunctionName = "cmp";
                    fn->ArgTypes.Add("int4");
                    fn->ArgTypes.Add("int4");
                    c->StorageType = "int4";
                    c->IsDefault = false;
                    return text + " | " + c->GetCreateDDL();
                },
                "CREATE OPERATOR CLASS s.c DEFAULT FOR TYPE int4 USING btree AS\r\nOPERATOR 1 < | c(btree) | DROP OPERATOR "
                "CLASS s.c USING btree | CREATE OPERATOR CLASS s.c FOR TYPE int4 USING btree AS\r\nOPERATOR 1 < (int4, "
                "NONE),\r\nFUNCTION 1 cmp(int4, int4),\r\nSTORAGE int4"}),
    qeltest::RowName);

// An operator without arguments and a class without entries still write
// their texts.
TEST(TOprData, OperatorsWithoutArgumentsRaiseNothing) { qeltest::ExpectTextsRaiseNothing<TOprData>(); }
TEST(TOpcData, ClassesWithoutEntriesRaiseNothing) { qeltest::ExpectTextsRaiseNothing<TOpcData>(); }
