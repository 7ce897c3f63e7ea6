#include "qelComp_Fld.h"
#include "qelComp_Fnc.h"
#include "qelDDLTestSupport.h"
#include "qelFieldListSupport.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <memory>

using namespace qel;
using qeltest::TDDLRow;
using DT = TDatabaseType;

namespace {

constexpr std::uint8_t INTEGER = 1, CSTRING = 56;

// F in module 'lib' at entry point 'f'.
std::unique_ptr<TUdfData> Udf(TObjs& objs)
{
    auto f = std::make_unique<TUdfData>(&objs);
    f->SetName("F");
    f->EntryPoint = "f";
    f->ModuleName = "lib";
    return f;
}

} // namespace

class ExternalFunctionText : public qeltest::TDDLTest {};
TEST_P(ExternalFunctionText, IsExact) { Check(); }

INSTANTIATE_TEST_SUITE_P(
    Rows, ExternalFunctionText,
    ::testing::Values(
        TDDLRow{"TwoParametersOnOneLine", DT::dbInterBase,
                [](TObjs& o) {
                    auto f = Udf(o);
                    qeltest::AddField(o, f->Params, f.get(), "", INTEGER);
                    qeltest::AddField(o, f->Params, f.get(), "", CSTRING, 10);
                    f->ResultField->DataType = CSTRING;
                    f->ResultField->Length = 10;
                    f->FreeIt = true;
                    return f->GetCreateDDL();
                },
                "DECLARE EXTERNAL FUNCTION F\r\nINTEGER, CSTRING(10)\r\nRETURNS CSTRING(10) FREE_IT\r\n"
                "ENTRY_POINT 'f' MODULE_NAME 'lib'"},
        TDDLRow{"ResultThroughAParameter", DT::dbInterBase,
                [](TObjs& o) {
                    auto f = Udf(o);
                    qeltest::AddField(o, f->Params, f.get(), "", INTEGER);
                    qeltest::AddField(o, f->Params, f.get(), "", CSTRING, 10);
                    f->ResultField->ParamNumber = 2;
                    return f->GetCreateDDL();
                },
                "DECLARE EXTERNAL FUNCTION F\r\nINTEGER, CSTRING(10)\r\nRETURNS PARAMETER 2\r\n"
                "ENTRY_POINT 'f' MODULE_NAME 'lib'"},
        TDDLRow{"NoParametersQuotesInLiterals", DT::dbInterBase,
                [](TObjs& o) {
                    auto f = Udf(o);
                    f->ResultField->DataType = INTEGER;
                    f->ModuleName = "it's";
                    return f->GetCreateDDL() + " | " + f->GetDropScript();
                },
                "DECLARE EXTERNAL FUNCTION F\r\nRETURNS INTEGER\r\nENTRY_POINT 'f' MODULE_NAME 'it''s' | "
                "/* Drop: F (TUdfData) */\r\nDROP EXTERNAL FUNCTION F"}),
    qeltest::RowName);

TEST(TUdfData, BareFunctionsRaiseNothing)
{
    qeltest::ExpectTextsRaiseNothing<TUdfData>([](TUdfData& f) { f.Params.Add("P"); });
}
