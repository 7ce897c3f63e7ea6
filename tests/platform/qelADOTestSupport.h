// What the ADO layer's tests share: the SQLite fixture, row counting, time
// stamps and the flat-memory check. Each test program includes it once.
#pragma once

#include "qelADO.h"
#include "qelTestSupport.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer holds freed blocks in a quarantine of 256 MB, which the
// drivers' allocations per row fill, so peak memory would grow with the rows
// read; a small quarantine keeps the memory test meaningful.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }
#endif

namespace qeltest {

using namespace qel;

inline long PeakRssKb()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss;
}

inline std::int64_t CountRows(TADOConnection& c, const std::string& table)
{
    TADOQuery q;
    q.SetConnection(&c);
    q.SetSQL("SELECT COUNT(*) AS N FROM " + table);
    q.Open();
    return q.FieldByName("N").AsLargeInt();
}

inline TDateTimeValue Stamp(int y, int mo, int d, int h, int mi, int s, int us)
{
    TDateTimeValue v;
    v.Year = y;
    v.Month = mo;
    v.Day = d;
    v.Hour = h;
    v.Minute = mi;
    v.Second = s;
    v.Microsecond = us;
    return v;
}

// Reads a query's rows the way the memory tests do: every value is touched.
inline void ReadEveryRow(TADOQuery& q, const std::string& sql, int n)
{
    q.SetSQL(sql);
    q.Open();
    std::int64_t rows = 0, sum = 0;
    size_t length = 0;
    while (!q.Eof()) {
        ++rows;
        sum += q.Fields()[0].AsLargeInt();
        length += q.Fields()[1].Value().RawString().size();
        q.Next();
    }
    EXPECT_EQ(rows, n);
    EXPECT_EQ(sum, static_cast<std::int64_t>(n) * (n + 1) / 2);
    EXPECT_EQ(length, static_cast<size_t>(n) * 1000);
}

// Peak memory growth of reading 10,000 and then 100,000 rows of 1 KB: held
// whole in memory, the larger result would add about 100 MB.
inline void ExpectFlatMemory(TADOQuery& q, const std::function<std::string(int)>& sqlFor)
{
    const long base = PeakRssKb();
    ReadEveryRow(q, sqlFor(10000), 10000);
    const long small = PeakRssKb() - base;
    ReadEveryRow(q, sqlFor(100000), 100000);
    const long large = PeakRssKb() - base;
    std::printf("peak RSS growth: %ld KB for 10,000 rows, %ld KB for 100,000\n", small, large);
    EXPECT_LT(large, small + 30 * 1024) << "peak RSS growth: " << small << " KB for 10,000 rows, " << large << " KB for 100,000";
}

// A SQLite file of its own in a fresh folder, connected.
class ADOSqlite : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_conn.SetConnectionString("Driver={SQLite3};Database=" + m_dir.File("t.db") + ";StepAPI=1");
        m_conn.Open();
    }

    qeltest::TempDir m_dir;
    TADOConnection m_conn;
};

} // namespace qeltest
