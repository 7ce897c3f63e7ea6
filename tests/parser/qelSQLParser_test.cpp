#include "qelSQLParser.h"

#include "qelComp_Ctr.h"
#include "qelComp_Dmn.h"
#include "qelComp_Fld.h"
#include "qelComp_Gnr.h"
#include "qelComp_Idx.h"
#include "qelComp_Prc.h"
#include "qelComp_Rol.h"
#include "qelComp_Tbl.h"
#include "qelComp_Viw.h"
#include "qelMsgMngr.h"
#include "qelObjs.h"
#include "qelSQLParserTestSupport.h"
#include "qelSQL_Exec.h"
#include "qelTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

using namespace qel;
using qeltest::TTestParser;
using enum TDbObject;
using DT = TDatabaseType;

namespace {

std::vector<std::string> ParseLines(TTestParser& p, const std::string& Text, TObjs* Objs = nullptr)
{
    TStringList lines;
    lines.SetText(Text);
    p.ParseScript(lines, Objs);
    return p.Statements;
}

// "text@line:column" of every stored message.
std::vector<std::string> ErrorTexts(TCustomParser& p)
{
    std::vector<std::string> texts;
    for (int i = 0; i < p.Messages().Count(); ++i) {
        const TMsgData& m = p.Messages().Items(i);
        texts.push_back(m.Text + "@" + std::to_string(m.Line) + ":" + std::to_string(m.Column));
    }
    return texts;
}

} // namespace

// Every statement reaches the event once and whole; a statement cut short
// by an error is skipped to its terminator, handed on with the kind read so
// far and gets one error; no token of it starts a statement.
TEST(SQLParserStatements, NothingIsLostOrSplit)
{
    const std::string deep = std::string(201, '(') + std::string(201, ')');
    const struct {
        std::string script;
        std::vector<std::string> statements;
        std::vector<std::string> errors;
    } cases[] = {
        {"INSERT INTO T VALUES (1)   ;", {"INSERT INTO T VALUES (1)|15|INTO"}, {}},
        {";;a;\r\nb", {"a|6|", "b|6|"}, {}},
        {"a; b ! c ! d; e", {"a|6|", "b ! c ! d|6|", "e|6|"}, {"Invalid char in source text: \"!\".@1:6"}},
        // Characters that begin no token start a statement of their own
        // and stay in it, with one error for the statement.
        {"a;\r\n!? b ERR x; \x01;c\x7F", {"a|6|", "!? b ERR x|6|", "\x01|6|", "c\x7F|6|"},
         {"Invalid char in source text: \"!\".@2:1", "Invalid char in source text: \"#1\".@2:13",
          "Invalid char in source text: \"#127\".@2:16"}},
        {"INSERT T ERR x (; y", {"INSERT T ERR x (|15|T", "y|6|"}, {"Must be: DO@1:15"}},
        {"p (a; b", {"p (a|6|", "b|6|"}, {"Missing: <)> (<Terminator>)@1:6"}},
        {"THROW x; y", {"THROW x|6|", "y|6|"}, {"boom@1:6"}},
        {"x\r\nRAISE; y", {"x\r\nRAISE|6|", "y|6|"}, {"Unknown error.@2:6"}},
        {"q " + deep + " z; r", {"q " + deep + " z|6|", "r|6|"}, {"Nesting too deep.@1:204"}},
    };
    for (const auto& c : cases) {
        auto p = MakeParser<TTestParser>();
        EXPECT_EQ(ParseLines(*p, c.script), c.statements) << c.script;
        EXPECT_EQ(ErrorTexts(*p), c.errors) << c.script;
    }
}

// Megabytes of nesting or noise end with errors, never a crash or a hang;
// no statement is lost: their texts add up to the whole script.
TEST(SQLParserStatements, HostileInputEndsWithErrors)
{
    auto none = MakeParser<TTestParser>();
    none->ParseFile("/nonexistent/none.sql", nullptr);
    EXPECT_EQ(ErrorTexts(*none), std::vector<std::string>{"Cannot open file \"/nonexistent/none.sql\".@1:0"});
    std::mt19937 random(17);
    std::string noise(1 << 20, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    for (const std::string& script : {std::string(1 << 20, '('), noise}) {
        auto p = MakeParser<TTestParser>();
        std::vector<std::string> texts;
        p->OnAddStatement = [&](TObject&, const TParsedStatement& S, TStatement*&) { texts.push_back(S.SQL); };
        qeltest::TempDir dir;
        qeltest::WriteFile(dir.File("x.sql"), script);
        p->ParseFile(dir.File("x.sql"), nullptr);
        EXPECT_GT(p->Messages().Count(), 0);
        std::size_t words = 0;
        for (const std::string& t : texts) words += t.size();
        EXPECT_GT(words, script.size() / 2);
    }
}

// The three source modes read the same tokens and statements; the
// temporary file is private and gone afterwards, and a "script.tmp" of the
// user's stays as it was.
TEST(SQLParserFiles, SourceModesAgree)
{
    qeltest::TempDir dir;
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    qeltest::WriteFile("script.tmp", "mine");
    qeltest::WriteFile("in.sql", "create table t (a int);\r\n/* c */ select 'x;y' from t;\r\n-- end");
    std::vector<std::string> results[3];
    for (int mode = 0; mode < 3; ++mode) {
        auto p = MakeParser<TTestParser>();
        p->SourceMode = mode;
        p->TraceFlags = 1;
        p->ParseFile("in.sql", nullptr);
        results[mode] = p->Statements;
        results[mode].insert(results[mode].end(), p->Log.begin(), p->Log.end());
        EXPECT_EQ(p->TotalLines, 2);
    }
    EXPECT_EQ(qeltest::ReadFile("script.tmp"), "mine");
    std::filesystem::current_path(cwd);
    EXPECT_EQ(results[0][0], "create table t (a int)|6|");
    EXPECT_EQ(results[0][1], "select 'x;y' from t|6|");
    EXPECT_EQ(results[0][2], "Parse file: in.sql");
    EXPECT_EQ(results[1], results[0]);
    EXPECT_EQ(results[2], results[0]);
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::temp_directory_path()))
        EXPECT_EQ(entry.path().filename().string().rfind("velmorin-script-", 0), std::string::npos);
}

// The connection settings the caller seeds survive a script without
// CONNECT and reach the collection; dialect settings live in the collection
// when there is one, else in the parser.
TEST(SQLParserOptions, OneStoreForConnectionSettings)
{
    auto p = MakeParser<TTestParser>();
    p->ConnectionOptions().DatabaseName = "seeded.fdb";
    TObjs objs;
    TServerOptionSet<TIBServerOptions>* collection = &objs;
    EXPECT_NE(&p->ServerOptions(), collection);
    objs.ConnectionOptions().DatabaseName = "stale.fdb";
    ParseLines(*p, "select 1 from t;", &objs);
    EXPECT_EQ(p->ConnectionOptions().DatabaseName, "seeded.fdb");
    EXPECT_EQ(objs.ConnectionOptions().DatabaseName, "seeded.fdb");
    EXPECT_EQ(&p->ServerOptions(), collection);
    EXPECT_EQ(p->Log, std::vector<std::string>{"Parse Script: s.sql"});

    TSQLExec exec;
    const std::unique_ptr<TCustomSQLParser> plain = exec.CreateParser();
    EXPECT_EQ(plain->ClassName(), "TCustomSQLParser");
    EXPECT_EQ(plain->ResWords().Count(), 30);
    EXPECT_EQ(plain->Terminator(), ";");
}

// Skipping stops at the symbols asked for or at the end; text is taken
// from a position to the current token.
TEST(SQLParserText, SkipsAndTakesText)
{
    auto p = MakeParser<TTestParser>();
    p->SetSource("skip me\n a ( 'b;' ; c");
    p->SkipLine();
    EXPECT_EQ(p->Line, 2);
    p->NextToken();
    p->SkipUntil({TSymb::syTerminator, TSymb::syEOF});
    EXPECT_EQ(p->GetTextFrom(1), "skip me\n a ( 'b;'");
    p->SkipUntil({TSymb::syRParen});
    EXPECT_TRUE(p->AtEnd());
    EXPECT_EQ(p->Symb, TSymb::syEOF);
}

TEST(SQLParserNames, QualifiedNamePerServerType)
{
    const struct {
        DT type;
        const char* name;
    } cases[] = {{DT::dbMSSQL, "dbo.T"},       {DT::dbSybaseASE, "dbo.T"}, {DT::dbSybaseASA, "DBA.T"},
                 {DT::dbPostgreSQL, "public.T"}, {DT::dbInterBase, "T"},     {DT::dbOracle, "T"}};
    for (const auto& c : cases) {
        TCustomSQLParser p;
        p.SetDatabaseType(c.type);
        EXPECT_EQ(p.QualifiedName("T", "", true), c.name);
        EXPECT_EQ(p.QualifiedName("T", "s", true), "s.T");
        EXPECT_EQ(p.QualifiedName("T", "", false), "T");
    }
}

namespace {

// A collection built by hand: tables T (A on domain D, B) and P (X), the
// system table RDB$RELATIONS, view V, procedure P with output O, generator
// G, index I on T(A), primary key PK on T(A), foreign key FK of P(X)
// referencing T(A), a grant on T to role R, and user U of login L.
class SQLParserLinks : public ::testing::Test {
protected:
    // Files an object with its columns (a procedure: its outputs).
    template <class T>
    T* File(const std::string& Name, std::initializer_list<const char*> Fields = {})
    {
        auto o = std::make_unique<T>(&objs);
        o->SetName(Name);
        T* obj = dynamic_cast<T*>(objs.AddObject(std::move(o)));
        for (const char* f : Fields) {
            if constexpr (std::is_same_v<T, TPrcData>) Field(obj->OutputParams, obj, f);
            else if constexpr (requires { obj->Fields; }) Field(obj->Fields, obj, f);
        }
        return obj;
    }
    static TFldData* Field(TOwnedNameList<TFldData>& List, TDbObj* Parent, const std::string& Name)
    {
        TFldData* f = List.Add(Name, std::make_unique<TFldData>(Parent->Objs(), Parent));
        f->SetName(Name);
        return f;
    }
    void SetUp() override
    {
        objs.SetDatabaseType(DT::dbInterBase);
        File<TDmnData>("D");
        t = File<TTblData>("T", {"A", "B"});
        t->Fields.Find("A")->DomainName = "D";
        tp = File<TTblData>("P", {"X"});
        File<TTblData>("RDB$RELATIONS");
        v = File<TViwData>("V");
        proc = File<TPrcData>("P", {"O"});
        File<TGnrData>("G");
        index = File<TIdxData>("I", {"A"});
        index->TableName = "T";
        pk = File<TCtrData>("PK", {"A"});
        pk->SetConstraintKind(ckPrimaryKey);
        pk->SetTableName("T");
        fk = File<TCtrData>("FK", {"X"});
        fk->SetTableName("P");
        fk->SetRefTableName("T");
        Field(fk->RefFields, fk, "A");
        File<TRolData>("R");
        auto g = std::make_unique<TGntData>(&objs);
        g->ObjectName = "T";
        g->ObjectKind = dboTable;
        g->Grantee = "R";
        g->GranteeKind = dboRole;
        grant = objs.AddGrant(std::move(g));
        user = File<TRolData>("U");
        user->RoleKind = rkUser;
        user->LoginName = "L";
        File<TRolData>("L")->RoleKind = rkLogin;
        parser->SetObjs(&objs);
        parser->SetDatabaseType(DT::dbInterBase);
    }
    // "T.A", "D", "P" ... for every link of Obj, in order.
    static std::vector<std::string> Uses(const TDbObj& Obj)
    {
        std::vector<std::string> names;
        for (const auto& item : Obj.Uses) {
            const TDbObj* parent = item.Object->Target->GetParentObj();
            names.push_back((parent != nullptr ? parent->Name() + "." : "") + item.Object->Target->Name());
        }
        return names;
    }
    using Names = std::vector<std::string>;

    TObjs objs;
    std::unique_ptr<TCustomSQLParser> parser = MakeParser<TCustomSQLParser>();
    TTblData *t, *tp;
    TViwData* v;
    TPrcData* proc;
    TIdxData* index;
    TCtrData *pk, *fk;
    TGntData* grant;
    TRolData* user;
};

} // namespace

TEST_F(SQLParserLinks, DependLinksAreMadeOnceAndNeverToSystemObjectsOrSelf)
{
    parser->AddDepend(v, t, "A");
    parser->AddDepend(v, t, "A");
    parser->LinkDepend(v, "rdb$relations", {dboTable});
    // Firebird links a view to the columns it reads, not to their domains.
    EXPECT_EQ(Uses(*v), (Names{"T.A"}));
    parser->LinkDepend(proc, "P", {dboProcedure, dboTable});
    parser->LinkDepend(proc, "P", {dboProcedure});
    parser->LinkDepend(proc, "NOWHERE", {dboTable, dboView, dboProcedure, dboGenerator});
    EXPECT_EQ(Uses(*proc), (Names{"P"}));
    EXPECT_EQ(proc->Uses.Objects(0)->Target, tp);

    TCustomSQLParser alone;
    alone.AddDepend(v, proc, {});
    alone.LinkDepend(v, "P", {dboProcedure});
    EXPECT_EQ(Uses(*v).size(), 1u);
}

TEST_F(SQLParserLinks, ColumnReferencesResolveThroughTheScopes)
{
    parser->LinkColumnDepend(v, "", "G");
    parser->LocalNames.Add("G");
    parser->LinkColumnDepend(proc, "", "G");
    EXPECT_EQ(Uses(*v), (Names{"G"}));
    EXPECT_TRUE(proc->Uses.Empty());

    TParseContext& outer = parser->PushContext();
    outer.Names.Add("T");
    outer.Aliases.Add("X");
    TParseContext& inner = parser->PushContext();
    inner.Names.SetLines({"V", "P"});
    inner.Aliases.SetLines({"", "Q"});
    parser->LinkColumnDepend(v, "", "B");
    EXPECT_TRUE(Uses(*v).size() == 1u) << "inactive scope links nothing";
    inner.Active = true;
    const struct {
        const char* alias;
        const char* column;
        Names uses;
    } cases[] = {{"X", "B", {"T.B"}}, {"", "B", {"T.B"}}, {"", "O", {"P"}},
                 {"Q", "*", {"P"}},      {"", "*", {"V", "P"}},     {"NONE", "A", {}}};
    for (const auto& c : cases) {
        auto obj = std::make_unique<TViwData>(&objs);
        parser->LinkColumnDepend(obj.get(), c.alias, c.column);
        EXPECT_EQ(Uses(*obj), c.uses) << c.alias << "." << c.column;
    }
}

TEST_F(SQLParserLinks, AfterParseLinksWhatNeedsTheWholeScript)
{
    auto p = MakeParser<TTestParser>();
    ParseLines(*p, "", &objs);
    EXPECT_EQ(Uses(*index), (Names{"T", "T.A"}));
    EXPECT_EQ(Uses(*pk), (Names{"T", "T.A"}));
    EXPECT_EQ(Uses(*fk), (Names{"P", "P.X", "T", "T.A", "PK"}));
    EXPECT_EQ(Uses(*grant), (Names{"T", "R"}));
    EXPECT_EQ(Uses(*user), (Names{"L"}));
    EXPECT_EQ(objs.DatabaseType(), DT::dbInterBase);
}
