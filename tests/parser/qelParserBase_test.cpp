#include "qelParserBase.h"

#include "qelComp_Fld.h"
#include "qelMsg.h"
#include "qelMsgMngr.h"
#include "qelSQLParserTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

using namespace qel;
using qeltest::TTestParser;
using qeltest::Tokens;
using qeltest::TokenString;
using enum TSymb;
using DT = TDatabaseType;

namespace {

std::unique_ptr<TTestParser> NewParser(DT Type = DT::dbInterBase)
{
    auto p = MakeParser<TTestParser>();
    p->SetDatabaseType(Type);
    return p;
}

struct TokenCase {
    DT type;
    const char* terminator;
    const char* source;
    const char* tokens;
    const char* lastComment;
    // "text @line:column" of the one error the source holds, if any.
    const char* error = "";
};

class TokenTest : public ::testing::TestWithParam<TokenCase> {};

} // namespace

// Each source cut into tokens (display name, text, value), without an error
// but where a string, quoted name or comment never ends: that is one error
// where it opens.
TEST_P(TokenTest, CutsTheSourceIntoTokens)
{
    const TokenCase& c = GetParam();
    auto p = NewParser(c.type);
    p->SetTerminator(c.terminator);
    EXPECT_EQ(Tokens(*p, c.source), c.tokens);
    EXPECT_EQ(p->LastComment, c.lastComment);
    if (*c.error == '\0') {
        EXPECT_EQ(p->Messages().Count(), 0);
        EXPECT_TRUE(p->Errors.empty());
    } else {
        ASSERT_EQ(p->Messages().Count(), 1);
        const TMsgData& m = p->Messages().Items(0);
        EXPECT_EQ(m.Text + " @" + std::to_string(m.Line) + ":" + std::to_string(m.Column), c.error);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tokens, TokenTest,
    ::testing::Values(
        TokenCase{DT::dbInterBase, ";", "", "", ""},
        TokenCase{DT::dbInterBase, ";", "a <= b", "<Ident>:A \"<=\" <Ident>:B", ""},
        TokenCase{DT::dbMSSQL, ";", "a < = b", "<Ident>:A \"<=\" <Ident>:B", ""},
        TokenCase{DT::dbInterBase, ";", "a < = b", "<Ident>:A \"<\" <=> <Ident>:B", ""},
        TokenCase{DT::dbInterBase, ";", "x != y <> z == >= >", "<Ident>:X [<>] <Ident>:Y [<>] <Ident>:Z <==> \">=\" \">\"", ""},
        TokenCase{DT::dbInterBase, ";", "1..5", "<Integer value>:1=1 <.> <Float value>:.5=0.5", ""},
        TokenCase{DT::dbInterBase, ";", ".25 1.5e3 007 1E5", "<Float value>:.25=0.25 <Float value>:1.5e3=1500 <Integer value>:007=7 <Integer value>:1E5=100000", ""},
        TokenCase{DT::dbInterBase, ";", "99999999999 1E999 1e-1", "<Integer value>:99999999999=99999999999 <Integer value>:1E999=0 <Integer value>:1e-1=0", ""},
        TokenCase{DT::dbInterBase, ";", "'it''s' \"q\" `b`", "<String value>:it's <String value>:q <String value>:b", ""},
        TokenCase{DT::dbMySQL, ";", "'a\\nb\\'c'", "<String value>:a\nb'c", ""},
        TokenCase{DT::dbInterBase, ";", "'abc", "<String value>:abc", "", "Unterminated string. @1:1"},
        TokenCase{DT::dbInterBase, ";", "a\n  \"b c", "<Ident>:A <String value>:b c", "", "Unterminated quoted name. @2:3"},
        TokenCase{DT::dbMSSQL, ";", "x 'it''s", "<Ident>:X <String value>:it's", "", "Unterminated string. @1:3"},
        TokenCase{DT::dbInterBase, ";", "'a'''", "<String value>:a'", ""},
        TokenCase{DT::dbInterBase, ";", "foo select", "<Ident>:FOO SELECT:select", ""},
        TokenCase{DT::dbInterBase, ";", "a\x1A" "b", "<Ident>:A <Ident>:B", ""},
        TokenCase{DT::dbInterBase, ";", "a -- note\nb", "<Ident>:A <Ident>:B", " note"},
        TokenCase{DT::dbInterBase, ";", "/* a /* b */ c */", "<Ident>:C <*> </>", " a /* b "},
        TokenCase{DT::dbInterBase, ";", "a /* x", "<Ident>:A", " x", "Unterminated comment. @1:3"},
        TokenCase{DT::dbInterBase, ";", "a /* x *", "<Ident>:A", " x *", "Unterminated comment. @1:3"},
        TokenCase{DT::dbInterBase, ";", "a -- end", "<Ident>:A", " end"},
        TokenCase{DT::dbInterBase, ";", "a||b%&@[]\\:", "<Ident>:A <||> <Ident>:B % <&> <@> <[> <]> \\ <:>", ""},
        TokenCase{DT::dbInterBase, "^", "a;b^", "<Ident>:A <;> <Ident>:B <Terminator>", ""}));

// The first error fires the event with the position text (Pos one past the
// stored column); every error is stored; each character is a token of its
// own, so that the statement it stands in keeps it.
TEST(ParserErrors, InvalidCharactersAreReportedAndKeptAsTokens)
{
    auto p = NewParser();
    EXPECT_EQ(p->ResWords().Symb("select"), TSymb{30}) << "the final class's words are there before any source";
    EXPECT_EQ(Tokens(*p, "a ! b\n _x \xC3\xA9"),
              "<Ident>:A <Invalid char>:! <Ident>:B <Invalid char>:_ <Ident>:X <Invalid char>:\xC3\xA9");
    ASSERT_EQ(p->Errors.size(), 1u);
    EXPECT_EQ(p->Errors[0], "Invalid char in source text: \"!\".\r\nScript: s.sql Line:1 Pos:4\r\n");
    ASSERT_EQ(p->Messages().Count(), 3);
    const struct {
        const char* text;
        int line, column;
    } stored[] = {{"Invalid char in source text: \"!\".", 1, 3},
                  {"Invalid char in source text: \"_\".", 2, 2},
                  {"Invalid char in source text: \"\xC3\xA9\".", 2, 5}};
    for (int i = 0; i < 3; ++i) {
        const TMsgData& m = p->Messages().Items(i);
        EXPECT_EQ(m.Text, stored[i].text);
        EXPECT_EQ(m.ScriptName, "s.sql");
        EXPECT_EQ(m.Line, stored[i].line) << i;
        EXPECT_EQ(m.Column, stored[i].column) << i;
    }
    // Without a handler the message hook shows it.
    std::string shown;
    const TShowMessageHook old = SetShowMessageHook([&](const std::string& t) { shown = t; });
    auto q = MakeParser<TCustomParser>();
    Tokens(*q, "\x01");
    SetShowMessageHook(old);
    EXPECT_EQ(shown, "Error: Invalid char in source text: \"#1\".\r\nScript:  Line:1 Pos:2\r\n");
}

// Every other message the base makes, with the position it is stored at.
TEST(ParserErrors, MessagesOfTheExpectations)
{
    TFldData field(nullptr);
    const struct {
        const char* source;
        std::function<void(TTestParser&)> act;
        const char* message;
        int column;
    } cases[] = {
        {"foo", [](TTestParser& p) { p.Expect(syRParen); }, "Missing: <)> (<Ident>: FOO)", 3},
        {")", [](TTestParser& p) { p.Expect(syTerminator); }, "Missing: <TERM> (<)>)", 1},
        {"- x", [](TTestParser& p) { p.Expect(syInteger); }, "Missing: <Integer value> (<->)", 2},
        {"x", [](TTestParser& p) { p.ExpectWord("do"); }, "Must be: DO", 1},
        {"(99999999999)", [&](TTestParser& p) { p.ParseSizeScale(field); }, "Missing: Integer(Float) value...", 13},
        {"(1, 1E999)", [&](TTestParser& p) { p.ParseSizeScale(field); }, "Missing: Integer(Float) value...", 10},
    };
    for (const auto& c : cases) {
        auto p = NewParser();
        p->SetSource(c.source);
        p->NextToken();
        c.act(*p);
        ASSERT_EQ(p->Messages().Count(), 1) << c.source;
        EXPECT_EQ(p->Messages().Items(0).Text, c.message);
        EXPECT_EQ(p->Messages().Items(0).Line, 1);
        EXPECT_EQ(p->Messages().Items(0).Column, c.column) << c.source;
    }
    // A warning is stored at its position and fires nothing.
    auto p = NewParser();
    Tokens(*p, "ab");
    p->AddWarning("w");
    EXPECT_EQ(p->Messages().Items(0).Kind, TMsgKind::mkWarning);
    EXPECT_EQ(p->Messages().Items(0).Column, 2);
    // A scanner that stalls is moved on, and told so through the event only.
    p = NewParser();
    p->Stall = true;
    EXPECT_EQ(Tokens(*p, "a~b"), "<Ident>:A <Ident>:B");
    EXPECT_EQ(p->Errors, std::vector<std::string>{"Parser TTestParser deadlock."});
    EXPECT_EQ(p->Messages().Count(), 0);
}

// The sign before an expected number joins its text; the value stays unsigned.
TEST(ParserExpect, FoldsTheSignAndReadsSizes)
{
    auto p = NewParser();
    p->SetSource("- 5");
    p->NextToken();
    p->Expect(syInteger);
    EXPECT_EQ(TokenString(*p), "<Integer value>:-5=5");
    EXPECT_EQ(p->IntValueInRange(-9, 9), -5);
    // A grammar loop that stands still is moved on by its guard.
    p->SetSource("a b c");
    p->NextToken();
    TLoopGuard guard(*p);
    int turns = 0;
    for (; p->Symb != syEOF && turns < 10; ++turns) guard.Turn();
    EXPECT_EQ(turns, 4);

    const struct {
        const char* source;
        int precision, scale;
        const char* after;
    } sizes[] = {{"(10, 2) x", 10, 2, "<Ident>:X"}, {"(7) x", 7, 0, "<Ident>:X"}, {"x", 9, 0, "<Ident>:X"}};
    for (const auto& s : sizes) {
        TFldData field(nullptr);
        field.Scale = 5;
        p->SetSource(s.source);
        p->NextToken();
        p->ParseSizeScale(field);
        EXPECT_EQ(field.Precision, s.precision) << s.source;
        EXPECT_EQ(field.Scale, s.scale) << s.source;
        EXPECT_EQ(TokenString(*p), s.after);
    }
    EXPECT_EQ(p->Messages().Count(), 0);
}

// Parenthesised texts are read whole, whatever strings and comments hold;
// the traces log tokens, comments and expressions.
TEST(ParserText, ParenExpressionsAndTraces)
{
    auto p = NewParser();
    p->TraceFlags = 7;
    Tokens(*p, "ab");
    p->SetSource("(a = ')' or \"(\" -- )\n /* ) */) x /* c */");
    std::string text;
    p->ReadParenExpression(text);
    EXPECT_EQ(text, "(a = ')' or \"(\" -- )\n /* ) */)");
    p->NextToken();
    EXPECT_EQ(TokenString(*p), "<Ident>:X");
    p->NextToken();
    EXPECT_EQ(p->Log, (std::vector<std::string>{"(1,3) <Ident>: 1 =AB", "Expression: " + text, "(2,13) <Ident>: 1 =X",
                                                "Comment:  c "}));
    p->SetSource("  (unclosed 'x)");
    p->ReadParenExpression(text);
    EXPECT_EQ(text, "(unclosed 'x)");
    EXPECT_TRUE(p->AtEnd());
    p->SetSource("no paren");
    p->ReadParenExpression(text);
    EXPECT_EQ(text, "");
}

TEST(ParserText, TrimTextLinesAndStripDoubleParens)
{
    EXPECT_EQ(TrimTextLines("  a  \n b \r\n\r\n"), "a\r\n b");
    EXPECT_EQ(TrimTextLines("x\ry\t"), "x\r\ny");
    const char* strip[][2] = {{"(((1)))", "(1)"}, {"((1))", "(1)"}, {"(1)", "(1)"},       {"((a))+((b))", "((a))+((b))"},
                              {"((a)+(b))", "((a)+(b))"}, {"((')'))", "(')')"}, {"((x", "((x"}, {"", ""}};
    for (const auto& s : strip) EXPECT_EQ(StripDoubleParens(s[0]), s[1]) << s[0];
    EXPECT_EQ(StripDoubleParens(std::string(500000, '(') + "x" + std::string(500000, ')')), "(x)");
}
