#include "qelStrings.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace qel;

TEST(StringList, TextEndsEveryLineWithCrLfAndSplitsAnyLineBreak)
{
    TStringList l;
    EXPECT_EQ(l.Text(), "");
    l.SetText("select *\r\nfrom T\nwhere x=1\r");
    ASSERT_EQ(l.Count(), 3);
    EXPECT_EQ(l[1], "from T");
    EXPECT_EQ(l.Text(), "select *\r\nfrom T\r\nwhere x=1\r\n");
    l.SetText("a\r\n\r\nb");
    EXPECT_EQ(l.Count(), 3);
    EXPECT_EQ(l[1], "");
}

TEST(StringList, IndexOfIgnoresAsciiCaseOnly)
{
    TStringList l{"Alpha", "BETA", "\xC3\xA9t\xC3\xA9"};
    EXPECT_EQ(l.IndexOf("beta"), 1);
    EXPECT_EQ(l.IndexOf("ALPHA"), 0);
    EXPECT_EQ(l.IndexOf("\xC3\xA9T\xC3\xA9"), 2);
    EXPECT_EQ(l.IndexOf("\xC3\x89T\xC3\x89"), -1);
    EXPECT_EQ(l.IndexOf("gamma"), -1);
}

TEST(StringList, OnChangeFiresOncePerChangeOrOncePerUpdateBlock)
{
    TStringList l;
    int changes = 0;
    l.OnChange = [&](TStringList&) { ++changes; };
    l.Add("a");
    l.SetText("x\r\ny");
    EXPECT_EQ(changes, 2);
    l.BeginUpdate();
    l.Add("1");
    l.Add("2");
    l.Delete(0);
    EXPECT_EQ(changes, 2);
    l.EndUpdate();
    EXPECT_EQ(changes, 3);
}

TEST(StringList, AssignCopiesLinesNotTheHandler)
{
    TStringList a{"one", "two"};
    TStringList b;
    int changes = 0;
    b.OnChange = [&](TStringList&) { ++changes; };
    b.Assign(a);
    a.Clear();
    EXPECT_EQ(b.Count(), 2);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ((TStringList{"  x ", ""}.TrimmedText()), "x");
}

// Copies share their lines until one side changes: every kind of change
// leaves the other copy as it was, also a list appended to itself.
TEST(StringList, CopiesShareLinesUntilOneChanges)
{
    const std::vector<std::function<void(qel::TStringList&)>> changes = {
        [](qel::TStringList& l) { l.Add("c"); },          [](qel::TStringList& l) { l.Insert(0, "c"); },
        [](qel::TStringList& l) { l.Delete(0); },         [](qel::TStringList& l) { l.SetString(1, "c"); },
        [](qel::TStringList& l) { l.Clear(); },           [](qel::TStringList& l) { l.AddStrings(l); },
        [](qel::TStringList& l) { l.SetText("c\r\nd"); },
    };
    for (std::size_t i = 0; i < changes.size(); ++i) {
        qel::TStringList a{"a", "b"};
        qel::TStringList b = a;
        qel::TStringList c;
        c.Assign(a);
        EXPECT_EQ(&b.Lines(), &a.Lines()) << i;
        EXPECT_EQ(&c.Lines(), &a.Lines()) << i;
        changes[i](b);
        EXPECT_EQ(a.Text(), "a\r\nb\r\n") << i;
        EXPECT_EQ(c.Text(), "a\r\nb\r\n") << i;
        EXPECT_NE(b.Text(), a.Text()) << i;
    }
    qel::TStringList self{"x"};
    self.AddStrings(self);
    EXPECT_EQ(self.Text(), "x\r\nx\r\n");
}
