#include "qelComp_Exc.h"
#include "qelComp_Fld.h"
#include "qelDDLTestSupport.h"
#include "qelFieldListSupport.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

using namespace qel;
using qeltest::TDDLRow;
using DT = TDatabaseType;

class ExceptionAndEventText : public qeltest::TDDLTest {};
TEST_P(ExceptionAndEventText, IsExact) { Check(); }

INSTANTIATE_TEST_SUITE_P(
    Rows, ExceptionAndEventText,
    ::testing::Values(
        TDDLRow{"IB exception", DT::dbInterBase,
                [](TObjs& o) {
                    auto e = qeltest::Make<TExcData>(o, "E");
                    e->Message = "Can't";
                    return e->GetCreateDDL() + " | " + e->GetAlterScript() + " | " + e->GetDropScript();
                },
                "CREATE EXCEPTION E 'Can''t' | ALTER EXCEPTION E 'Can''t' | /* Drop: E (TExcData) */\r\nDROP EXCEPTION E"},
        // Days: bit 31 is day 0, bits 0 and 14 days 1 and 15; the hours win
        // over the minutes.
        TDDLRow{"ASA events", DT::dbSybaseASA,
                [](TObjs& o) {
                    auto e = qeltest::Make<TEvtData>(o, "EV");
                    const std::string bare = e->GetCreateDDL() + " | ";
                    TEvtSdlData* s = e->AddSchedule();
                    s->Name = "S1", s->StartTime = "08:00", s->EveryHours = 1, s->EveryMinutes = 30;
                    s->Days = 0x80000000u | 1u | (1u << 14);
                    e->SetBody("BEGIN END");
                    const std::string one = e->GetCreateDDL() + " | " + e->GetDropScript() + " | ";
                    TEvtSdlData* t = e->AddSchedule();
                    t->StartTime = "08:00", t->EndTime = "18'00", t->EverySeconds = 5, t->StartDate = "2024-01-01";
                    e->EventType = "DiskSpace", e->Condition = "x < 10", e->Location = "ALL";
                    e->Enabled = false;
                    e->SetBody("");
                    return bare + one + e->GetCreateDDL();
                },
                "CREATE EVENT EV\r\n ENABLE | CREATE EVENT EV\r\n SCHEDULE S1 START TIME '08:00' EVERY 1 HOURS ON(0, 1, 15)"
                "\r\n ENABLE\r\nHANDLER\r\nBEGIN END | DROP EVENT EV | CREATE EVENT EV\r\n TYPE DiskSpace\r\n WHERE x < 10"
                "\r\n SCHEDULE S1 START TIME '08:00' EVERY 1 HOURS ON(0, 1, 15),\r\n SCHEDULE BETWEEN '08:00' AND '18''00' "
                "EVERY 5 SECONDS START DATE '2024-01-01'\r\n DISABLE AT ALL"}),
    qeltest::RowName);

TEST(TExcData, BareExceptionsRaiseNothing) { qeltest::ExpectTextsRaiseNothing<TExcData>(); }
TEST(TEvtData, EventsWithoutSchedulesRaiseNothing) { qeltest::ExpectTextsRaiseNothing<TEvtData>(); }
