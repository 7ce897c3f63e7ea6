#include "qelMsg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qel;

namespace {

// Every case starts without hooks and puts back whatever was there.
class UIHooks : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_show = SetShowMessageHook(nullptr);
        m_process = SetProcessMessagesHook(nullptr);
    }
    void TearDown() override
    {
        SetShowMessageHook(m_show);
        SetProcessMessagesHook(m_process);
    }

private:
    TShowMessageHook m_show;
    TProcessMessagesHook m_process;
};

} // namespace

TEST_F(UIHooks, ShowMessageWithoutAHookWritesTheTextAndALineBreakToStderr)
{
    testing::internal::CaptureStderr();
    ShowMessage("Error: table T not exists.");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: table T not exists.\n");
}

TEST_F(UIHooks, ShowMessageWithAHookCallsOnlyTheHook)
{
    std::vector<std::string> shown;
    EXPECT_FALSE(SetShowMessageHook([&shown](const std::string& t) { shown.push_back(t); }));
    testing::internal::CaptureStderr();
    ShowMessage("hello");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "hello");

    // The setter hands back the hook it replaced.
    TShowMessageHook previous = SetShowMessageHook(nullptr);
    ASSERT_TRUE(previous);
    previous("again");
    EXPECT_EQ(shown.size(), 2u);
}

TEST_F(UIHooks, AHookMayReplaceItselfWhileShowing)
{
    int calls = 0;
    SetShowMessageHook([&calls](const std::string&) {
        ++calls;
        SetShowMessageHook(nullptr);
    });
    testing::internal::CaptureStderr();
    ShowMessage("once");
    ShowMessage("twice");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "twice\n");
    EXPECT_EQ(calls, 1);
}

TEST_F(UIHooks, ProcessMessagesCallsTheHookOrNothing)
{
    ProcessMessages();
    int calls = 0;
    SetProcessMessagesHook([&calls] { ++calls; });
    ProcessMessages();
    ProcessMessages();
    EXPECT_EQ(calls, 2);
}
