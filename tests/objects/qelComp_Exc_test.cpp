#include "qelComp_Fld.h"
#include "qelComp_Exc.h"
#include "qelDDLTestSupport.h"
#include "qelFieldListSupport.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <memory>

using namespace qel;
using qeltest::TDDLRow;
using DT = TDatabaseType;

namespace {

std::unique_ptr<TEvtData> Event(TObjs& objs)
{
    auto e = std::make_unique<TEvtData>(&objs);
    e->SetName("EV");
    return e;
}

} // namespace

class ExceptionAndEventText : public qeltest::TDDLTest {};
TEST_P(ExceptionAndEventText, IsExact) { Check(); }

INSTANTIATE_TEST_SUITE_P(
    Rows, ExceptionAndEventText,
    ::testing::Values(
        TDDLRow{"Exception", DT::dbInterBase,
                [](TObjs& o) {
                    TExcData e(&o);
                    e.SetName("E");
                    e.Message = "Can't";
                    return e.GetCreateDDL() + " | " + e.GetAlterScript() + " | " + e.GetDropScript();
                },
                "CREATE EXCEPTION E 'Can''t' | ALTER EXCEPTION E 'Can''t' | /* Drop: E (TExcData) */\r\n"
                "DROP EXCEPTION E"},
        // Days: bit 31 is day 0, bits 0 and 14 are days 1 and 15.
        TDDLRow{"EventWithSchedule", DT::dbSybaseASA,
                [](TObjs& o) {
                    auto e = Event(o);
                    TEvtSdlData* s = e->AddSchedule();
                    s->Name = "S1";
                    s->StartTime = "08:00";
                    s->EveryHours = 1;
                    s->EveryMinutes = 30;
                    s->Days = 0x80000000u | 1u | (1u << 14);
                    e->SetBody("BEGIN END");
                    return e->GetCreateDDL() + " | " + e->GetDropScript();
                },
                "CREATE EVENT EV\r\n SCHEDULE S1 START TIME '08:00' EVERY 1 HOURS ON(0, 1, 15)\r\n ENABLE\r\n"
                "HANDLER\r\nBEGIN END | DROP EVENT EV"},
        TDDLRow{"EventTwoSchedulesTypeAndCondition", DT::dbSybaseASA,
                [](TObjs& o) {
                    auto e = Event(o);
                    e->EventType = "DiskSpace";
                    e->Condition = "event_condition('Free') < 10";
                    TEvtSdlData* first = e->AddSchedule();
                    first->StartTime = "08:00";
                    first->EndTime = "18:00";
                    first->EverySeconds = 5;
                    TEvtSdlData* second = e->AddSchedule();
                    second->EveryMinutes = 2;
                    second->StartDate = "2024-01-01";
                    e->Enabled = false;
                    e->Location = "ALL";
                    return e->GetCreateDDL();
                },
                "CREATE EVENT EV\r\n TYPE DiskSpace\r\n WHERE event_condition('Free') < 10\r\n"
                " SCHEDULE BETWEEN '08:00' AND '18:00' EVERY 5 SECONDS,\r\n"
                " SCHEDULE EVERY 2 MINUTES START DATE '2024-01-01'\r\n DISABLE AT ALL"},
        TDDLRow{"EventWithoutSchedules", DT::dbSybaseASA, [](TObjs& o) { return Event(o)->GetCreateDDL(); },
                "CREATE EVENT EV\r\n ENABLE"}),
    qeltest::RowName);

TEST(TEvtData, BareExceptionsAndEventsRaiseNothing)
{
    qeltest::ExpectTextsRaiseNothing<TExcData>([](TExcData&) {});
    qeltest::ExpectTextsRaiseNothing<TEvtData>([](TEvtData& e) { e.AddSchedule(); });
}
