// Rows of DDL text tests: a server type, a set-up that builds objects in a
// fresh collection of that type and answers their text, and the exact text
// expected (CR LF written out).
#pragma once

#include "qelObjs.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <ostream>
#include <string>

namespace qeltest {

struct TDDLRow {
    std::string Label;
    qel::TDatabaseType Server;
    std::function<std::string(qel::TObjs&)> Text;
    std::string Expected;
    friend void PrintTo(const TDDLRow& Row, std::ostream* Os) { *Os << Row.Label; }
};

class TDDLTest : public ::testing::TestWithParam<TDDLRow> {
protected:
    void Check()
    {
        const TDDLRow& row = GetParam();
        qel::TObjs objs;
        objs.SetDatabaseType(row.Server);
        EXPECT_EQ(row.Text(objs), row.Expected) << row.Label;
    }
};

// Test names from the rows' labels: letters and digits kept, the rest "_".
inline std::string RowName(const ::testing::TestParamInfo<TDDLRow>& Info)
{
    std::string name;
    for (char c : Info.param.Label) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name + "_" + std::to_string(Info.index);
}

} // namespace qeltest
