// InterBase/Firebird exceptions, and SQL Anywhere events with their
// schedules.
#pragma once

#include "qelClasses.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qel {

class TEvtData;

// One exception and its message (kept unquoted).
class TExcData : public TDbObj {
public:
    static constexpr TDbObject Kind = TDbObject::dboException;
    explicit TExcData(TCustomObjs* AObjs);
    std::string ClassName() const override { return "TExcData"; }

    // "CREATE EXCEPTION E 'Can''t'"; the alter text says ALTER instead.
    std::string GetCreateDDL() const override;
    std::string GetAlterScript() const override;

    std::string Message;
};

// One schedule of an event; Event is the event that owns it.
class TEvtSdlData {
public:
    explicit TEvtSdlData(TEvtData* AEvent) : Event(AEvent) {}
    TEvtSdlData(const TEvtSdlData&) = delete;
    TEvtSdlData& operator=(const TEvtSdlData&) = delete;

    // "SCHEDULE S1 START TIME '08:00' EVERY 1 HOURS ON(0, 1, 15)": the first
    // interval given wins; day 0 (bit 31) comes first, then days 1 to 31.
    std::string GetScheduleText() const;

    TEvtData* Event;
    std::string Name;
    std::string StartTime;
    std::string EndTime;
    std::string StartDate;
    std::int32_t EveryHours = 0; // 0: not given
    std::int32_t EveryMinutes = 0;
    std::int32_t EverySeconds = 0;
    std::uint32_t Days = 0; // bits 0 to 30: days 1 to 31; bit 31: day 0
};

// One event; owns its schedules. Body is the handler.
class TEvtData : public TDbObj {
public:
    static constexpr TDbObject Kind = TDbObject::dboEvent;
    explicit TEvtData(TCustomObjs* AObjs);
    ~TEvtData() override;
    std::string ClassName() const override { return "TEvtData"; }

    // "CREATE EVENT EV\r\n SCHEDULE ...\r\n ENABLE\r\nHANDLER\r\nBEGIN END";
    // an event without schedules or handler leaves those parts out.
    std::string GetCreateDDL() const override;
    // "DROP EVENT EV", without the drop comment.
    std::string GetDropScript() const override;

    // Appends a new schedule of this event and returns it.
    TEvtSdlData* AddSchedule();

    std::vector<std::unique_ptr<TEvtSdlData>> Schedules;
    std::string Location;
    bool Enabled = true;
    std::string EventType;
    std::string Condition;
};

} // namespace qel
