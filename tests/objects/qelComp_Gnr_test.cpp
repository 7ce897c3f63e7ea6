#include "qelComp_Gnr.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <string>

using namespace qel;

namespace {
const std::string kNoMaximum(27, '9');
}

TEST(TGnrData, StartsWithCacheTwentyAndNoLimits)
{
    TObjs objs;
    TGnrData generator(&objs);
    EXPECT_EQ(generator.Cache(), "20");
    EXPECT_FALSE(generator.NoCache());
    EXPECT_EQ(generator.MaxValue(), "");
    EXPECT_TRUE(generator.NoMaxValue);
    EXPECT_TRUE(generator.NoMinValue);
    EXPECT_FALSE(generator.Cycle);
    EXPECT_FALSE(generator.Order);
}

// The texts that mean "none" clear the value and set the matching flag; any
// other text is stored as the script wrote it.
TEST(TGnrData, SettersReadTheNoneTexts)
{
    struct Case {
        const char* step;
        void (*apply)(TGnrData&);
        std::string maxValue, cache;
        bool noCache;
    };
    const Case cases[] = {
        {"27 nines",
         [](TGnrData& g) {
             g.SetMaxValue("100");
             g.NoMaxValue = false;
             g.SetMaxValue(kNoMaximum);
         },
         "", "20", false},
        {"26 nines", [](TGnrData& g) { g.SetMaxValue(std::string(26, '9')); }, std::string(26, '9'), "20", false},
        {"max 100", [](TGnrData& g) { g.SetMaxValue("100"); }, "100", "20", false},
        {"cache 0", [](TGnrData& g) { g.SetCache("0"); }, "", "", true},
        {"cache 00", [](TGnrData& g) { g.SetCache("00"); }, "", "00", false},
        {"NoCache on", [](TGnrData& g) { g.SetNoCache(true); }, "", "", true},
        {"NoCache off", [](TGnrData& g) { g.SetNoCache(false); }, "", "20", false},
    };
    TObjs objs;
    for (const Case& c : cases) {
        TGnrData generator(&objs);
        c.apply(generator);
        EXPECT_EQ(generator.MaxValue(), c.maxValue) << c.step;
        EXPECT_EQ(generator.Cache(), c.cache) << c.step;
        EXPECT_TRUE(generator.NoMaxValue) << c.step;
        EXPECT_EQ(generator.NoCache(), c.noCache) << c.step;
    }
}
