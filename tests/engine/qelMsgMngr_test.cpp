#include "qelComponent.h"
#include "qelMsgMngr.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qel;

namespace {

class MsgManager : public ::testing::Test {
protected:
    // Every message as "text kind script line:column data".
    std::vector<std::string> All(const TMsgManager& From) const
    {
        std::vector<std::string> out;
        for (int i = 0; i < From.Count(); ++i) {
            const TMsgData& d = From.Items(i);
            out.push_back(d.Text + " " + std::to_string(static_cast<int>(d.Kind)) + " " + d.ScriptName + " " +
                          std::to_string(d.Line) + ":" + std::to_string(d.Column) +
                          (d.Data == &subject ? " subject" : d.Data == nullptr ? " -" : " other"));
        }
        return out;
    }

    TMsgManager m;
    TObject subject;
};

} // namespace

TEST_F(MsgManager, HasErrorsOnlyWithAnError)
{
    EXPECT_FALSE(m.HasErrors());
    m.Add("careful", TMsgKind::mkWarning);
    EXPECT_FALSE(m.HasErrors());
    EXPECT_TRUE(m.HasKind(TMsgKind::mkWarning));
    EXPECT_FALSE(m.HasKind(TMsgKind::mkInfo));
    m.AddMessage("bad token", "a.sql", TMsgKind::mkError, 3, 7);
    EXPECT_TRUE(m.HasErrors());
    m.Clear();
    EXPECT_EQ(m.Count(), 0);
    EXPECT_FALSE(m.HasErrors());
}

TEST_F(MsgManager, EachAddKeepsItsOwnPositionFields)
{
    m.Add("plain", TMsgKind::mkInfo, &subject);
    m.AddMessage("in script", "a.sql", TMsgKind::mkWarning, 12, 5);
    m.AddObjectMessage("about object", &subject, TMsgKind::mkError, 4, 9);
    EXPECT_EQ(All(m), (std::vector<std::string>{"plain 0  0:0 subject", "in script 1 a.sql 12:5 -",
                                                "about object 2  4:9 subject"}));
    EXPECT_THROW(m.Items(3), std::out_of_range);
}

TEST_F(MsgManager, AddMessagesCopiesThatOutliveTheSource)
{
    m.Add("mine", TMsgKind::mkInfo);
    {
        TMsgManager parser;
        parser.AddMessage("first", "s.sql", TMsgKind::mkWarning, 1, 2);
        parser.AddObjectMessage("second", &subject, TMsgKind::mkError, 3, 4);
        m.AddMessages(&parser);
        EXPECT_EQ(parser.Count(), 2);
        EXPECT_NE(&parser.Items(0), &m.Items(1));
        parser.Clear();
    }
    EXPECT_EQ(All(m), (std::vector<std::string>{"mine 0  0:0 -", "first 1 s.sql 1:2 -", "second 2  3:4 subject"}));
    // Nothing is added for nullptr; a manager adds its own messages once.
    m.AddMessages(nullptr);
    m.AddMessages(&m);
    EXPECT_EQ(m.Count(), 6);
    EXPECT_EQ(m.Items(5).Text, "second");
}
