#include "qelComp_Fld.h"
#include "qelComp_Fnc.h"
#include "qelDDLTestSupport.h"
#include "qelFieldListSupport.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

using namespace qel;

class ExternalFunctionText : public qeltest::TDDLTest {};
TEST_P(ExternalFunctionText, IsExact) { Check(); }

// Parameters on one line; a result of its own, through a parameter, or
// with no parameters at all; quotes doubled in the literals.
INSTANTIATE_TEST_SUITE_P(
    Rows, ExternalFunctionText,
    ::testing::Values(qeltest::TDDLRow{
        "IB", TDatabaseType::dbInterBase,
        [](TObjs& o) {
            auto f = qeltest::Make<TUdfData>(o, "F");
            f->EntryPoint = "f";
            f->ModuleName = "lib";
            qeltest::AddFields(o, f->Params, f.get(), {{"", 1}, {"", 56, 10}});
            f->ResultField->DataType = 56;
            f->ResultField->Length = 10;
            f->FreeIt = true;
            std::string text = f->GetCreateDDL() + " | ";
            f->FreeIt = false;
            f->ResultField->ParamNumber = 2;
            text += f->GetCreateDDL() + " | ";
            f->Params.Clear();
            f->ResultField->ParamNumber = 0;
            f->ModuleName = "it's";
            return text + f->GetCreateDDL() + " | " + f->GetDropScript();
        },
        "DECLARE EXTERNAL FUNCTION F\r\nINTEGER, CSTRING(10)\r\nRETURNS CSTRING(10) FREE_IT\r\nENTRY_POINT 'f' "
        "MODULE_NAME 'lib' | DECLARE EXTERNAL FUNCTION F\r\nINTEGER, CSTRING(10)\r\nRETURNS PARAMETER 2\r\nENTRY_POINT "
        "'f' MODULE_NAME 'lib' | DECLARE EXTERNAL FUNCTION F\r\nRETURNS CSTRING(10)\r\nENTRY_POINT 'f' MODULE_NAME "
        "'it''s' | /* Drop: F (TUdfData) */\r\nDROP EXTERNAL FUNCTION F"}),
    qeltest::RowName);

TEST(TUdfData, BareFunctionsRaiseNothing) { qeltest::ExpectTextsRaiseNothing<TUdfData>(); }
