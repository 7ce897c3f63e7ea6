#include "qelComponent.h"
#include "qelMsgMngr.h"

#include <gtest/gtest.h>

using namespace qel;

namespace {

class MsgManager : public ::testing::Test {
protected:
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
    ASSERT_EQ(m.Count(), 3);

    const TMsgData& a = m.Items(0);
    EXPECT_EQ(a.Text, "plain");
    EXPECT_EQ(a.Data, &subject);
    EXPECT_EQ(a.ScriptName, "");
    EXPECT_EQ(a.Line, 0);
    EXPECT_EQ(a.Column, 0);

    const TMsgData& b = m.Items(1);
    EXPECT_EQ(b.Kind, TMsgKind::mkWarning);
    EXPECT_EQ(b.ScriptName, "a.sql");
    EXPECT_EQ(b.Line, 12);
    EXPECT_EQ(b.Column, 5);
    EXPECT_EQ(b.Data, nullptr);

    const TMsgData& c = m.Items(2);
    EXPECT_EQ(c.Kind, TMsgKind::mkError);
    EXPECT_EQ(c.Data, &subject);
    EXPECT_EQ(c.ScriptName, "");
    EXPECT_EQ(c.Line, 4);
    EXPECT_EQ(c.Column, 9);

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
    ASSERT_EQ(m.Count(), 3);
    EXPECT_EQ(m.Items(0).Text, "mine");
    EXPECT_EQ(m.Items(1).Text, "first");
    EXPECT_EQ(m.Items(1).ScriptName, "s.sql");
    EXPECT_EQ(m.Items(1).Line, 1);
    EXPECT_EQ(m.Items(1).Column, 2);
    EXPECT_EQ(m.Items(2).Text, "second");
    EXPECT_EQ(m.Items(2).Data, &subject);
    EXPECT_TRUE(m.HasErrors());
}

TEST_F(MsgManager, AddMessagesOfNothingOrItself)
{
    m.Add("one", TMsgKind::mkInfo);
    m.AddMessages(nullptr);
    EXPECT_EQ(m.Count(), 1);
    m.AddMessages(&m);
    ASSERT_EQ(m.Count(), 2);
    EXPECT_EQ(m.Items(1).Text, "one");
}
