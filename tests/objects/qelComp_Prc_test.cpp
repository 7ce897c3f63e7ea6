#include "qelComp_Fld.h"
#include "qelComp_Prc.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <memory>

using namespace qel;

// A routine returns a table when it says so, or when its first output (its
// result) is of type TABLE; a later TABLE output does not count.
TEST(TPrcData, ReturnsTableByFlagOrFirstOutput)
{
    const struct {
        bool tableResult;
        int firstType, secondType; // -1: no such output
        bool expected;
    } cases[] = {
        {false, -1, -1, false}, {true, -1, -1, true}, {false, 84, -1, true},
        {false, 1, 84, false},  {true, 1, -1, true},  {false, dtDomain, -1, false},
    };
    TObjs objs;
    for (const auto& c : cases) {
        TPrcData routine(&objs);
        routine.TableResult = c.tableResult;
        for (int type : {c.firstType, c.secondType}) {
            if (type < 0) continue;
            auto* out = routine.OutputParams.Add("R", std::make_unique<TFldData>(&objs, &routine));
            out->DataType = static_cast<std::uint8_t>(type);
        }
        EXPECT_EQ(routine.ReturnsTable(), c.expected) << c.tableResult << ' ' << c.firstType << ' ' << c.secondType;
    }
}

// ClearParams frees the parameters, links included, so a routine can read
// its parameters again.
TEST(TPrcData, ClearParamsFreesEveryParameter)
{
    TObjs objs;
    TPrcData routine(&objs), user(&objs);
    auto* in = routine.InputParams.Add("A", std::make_unique<TFldData>(&objs, &routine));
    routine.OutputParams.Add("B", std::make_unique<TFldData>(&objs, &routine));
    in->SetName("A");
    AddDependency(&objs, &user, in, 1, 1, {});
    ASSERT_EQ(user.Uses.Count(), 1);
    routine.ClearParams();
    EXPECT_TRUE(routine.InputParams.Empty());
    EXPECT_TRUE(routine.OutputParams.Empty());
    EXPECT_TRUE(user.Uses.Empty());
    EXPECT_EQ(routine.Characteristics, 0);
}

TEST(TPrcData, StubCreatedReachesTheCounterpart)
{
    TObjs source, target;
    TPrcData mine(&target), theirs(&source);
    mine.SetCounterpart(&theirs);
    theirs.SetStubCreated(true);
    EXPECT_TRUE(mine.StubCreated());
    mine.SetStubCreated(false);
    EXPECT_FALSE(theirs.StubCreated());
}
