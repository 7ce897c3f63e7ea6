#include "qelComp_Exc.h"

#include "qelText.h"

namespace qel {

namespace {

// The exception message and the schedule times are literals whatever the
// server type: inner quotes doubled.
std::string Literal(const std::string& Value) { return SQLQuotedStr(Value, TDatabaseType::dbAbstract); }

} // namespace

TExcData::TExcData(TCustomObjs* AObjs) : TDbObj(AObjs, Kind) {}

std::string TExcData::GetCreateDDL() const { return "CREATE EXCEPTION " + QuoteName(Name()) + " " + Literal(Message); }

std::string TExcData::GetAlterScript() const { return "ALTER EXCEPTION " + QuoteName(Name()) + " " + Literal(Message); }

TEvtData::TEvtData(TCustomObjs* AObjs) : TDbObj(AObjs, Kind) {}

TEvtData::~TEvtData() = default;

TEvtSdlData* TEvtData::AddSchedule()
{
    Schedules.push_back(std::make_unique<TEvtSdlData>(this));
    return Schedules.back().get();
}

std::string TEvtData::GetCreateDDL() const
{
    std::string text = "CREATE EVENT " + QuoteName(Name());
    if (!EventType.empty()) text += std::string(CRLF) + " TYPE " + EventType;
    if (!Condition.empty()) text += std::string(CRLF) + " WHERE " + Condition;
    for (std::size_t i = 0; i < Schedules.size(); ++i)
        text += (i == 0 ? std::string(CRLF) : "," + std::string(CRLF)) + " " + Schedules[i]->GetScheduleText();
    text += std::string(CRLF) + (Enabled ? " ENABLE" : " DISABLE");
    if (!Location.empty()) text += " AT " + Location;
    if (!Body().empty()) text += std::string(CRLF) + "HANDLER" + CRLF + Body();
    return text;
}

std::string TEvtData::GetDropScript() const { return "DROP EVENT " + QuoteName(Name()); }

std::string TEvtSdlData::GetScheduleText() const
{
    std::string text = "SCHEDULE";
    if (!Name.empty()) text += " " + (Event != nullptr ? Event->QuoteName(Name) : Name);
    if (!StartTime.empty() && !EndTime.empty())
        text += " BETWEEN " + Literal(StartTime) + " AND " + Literal(EndTime);
    else if (!StartTime.empty())
        text += " START TIME " + Literal(StartTime);
    if (EveryHours != 0)
        text += " EVERY " + IntToStr(EveryHours) + " HOURS";
    else if (EveryMinutes != 0)
        text += " EVERY " + IntToStr(EveryMinutes) + " MINUTES";
    else if (EverySeconds != 0)
        text += " EVERY " + IntToStr(EverySeconds) + " SECONDS";
    if (Days != 0) {
        std::vector<std::string> days;
        if ((Days & 0x80000000u) != 0) days.emplace_back("0");
        for (int day = 1; day <= 31; ++day)
            if ((Days & (1u << (day - 1))) != 0) days.push_back(IntToStr(day));
        text += " ON(" + Join(days, ", ") + ")";
    }
    if (!StartDate.empty()) text += " START DATE " + Literal(StartDate);
    return text;
}

} // namespace qel
