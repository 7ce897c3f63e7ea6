#include "qelCustomObjs.h"
#include "qelComp_Ctr.h"
#include "qelComp_Def.h"
#include "qelComp_Dmn.h"
#include "qelComp_Exc.h"
#include "qelComp_Fld.h"
#include "qelComp_Fnc.h"
#include "qelComp_Gnr.h"
#include "qelComp_Idx.h"
#include "qelComp_Opr.h"
#include "qelComp_Pkg.h"
#include "qelComp_Prc.h"
#include "qelComp_Rol.h"
#include "qelComp_Rul.h"
#include "qelComp_Tbl.h"
#include "qelComp_Trg.h"
#include "qelComp_Viw.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace qel;
using DT = TDatabaseType;

namespace {

template <class T>
TDbObj* File(TCustomObjs& objs, const std::string& name)
{
    auto o = std::make_unique<T>(&objs);
    o->SetName(name);
    return objs.AddObject(std::move(o));
}

} // namespace

TEST(CustomObjs, StartsAndClearsToTheDefaults)
{
    TObjs objs;
    EXPECT_EQ(objs.Terminator, ";");
    EXPECT_EQ(objs.ScriptFlags, 0x7FFFFFu);
    EXPECT_EQ(objs.ConnectionOptions().UserName, "SYSDBA");
    EXPECT_EQ(objs.ConnectionOptions().Password, "cobaltfin");
    EXPECT_EQ(objs.Side, 2);
    EXPECT_EQ(objs.GetTargetObjs(), &objs);
    EXPECT_EQ(objs.GetSourceObjs(), nullptr);
    objs.Terminator = "^";
    objs.ScriptText1 = "x";
    objs.ScriptFlag = true;
    objs.DB2CurrentSchema = "S";
    objs.Script.Add("line");
    objs.IBServerOptions().IBDatabaseOptions().ODSMajorVersion = 12;
    EXPECT_EQ(objs.GetTargetODSVersion(), 12);
    File<TTblData>(objs, "T");
    objs.Clear();
    EXPECT_EQ(objs.Terminator, ";");
    EXPECT_EQ(objs.ScriptText1, "");
    EXPECT_FALSE(objs.ScriptFlag);
    EXPECT_EQ(objs.DB2CurrentSchema, "");
    EXPECT_TRUE(objs.Script.Empty());
    EXPECT_TRUE(objs.Tables.Empty());
    EXPECT_EQ(objs.GetTargetODSVersion(), 0);
}

// ---- filing ----

struct AddCase {
    const char* label;
    DT type;
    bool caseSensitive;
    bool ignoreTools;
    std::vector<std::string> names;
    std::vector<std::string> filed; // the table index, in order
    int refused;
};

class AddObject : public ::testing::TestWithParam<AddCase> {};

TEST_P(AddObject, FilesByTheServersCaseRule)
{
    const AddCase& c = GetParam();
    TObjs objs;
    objs.SetDatabaseType(c.type);
    objs.MSSQLServerOptions().MSSQLCompareOptions().CaseSensitiveIdentifiers = c.caseSensitive;
    objs.IBServerOptions().IBCompareOptions().IgnoreToolObjects = c.ignoreTools;
    int refused = 0;
    std::vector<TDbObj*> alive;
    for (const std::string& n : c.names) {
        TDbObj* o = File<TTblData>(objs, n);
        if (o == nullptr) ++refused;
        else alive.push_back(o);
    }
    EXPECT_EQ(refused, c.refused);
    std::vector<std::string> filed;
    for (const auto& item : objs.Tables) filed.push_back(item.Key);
    EXPECT_EQ(filed, c.filed);
    // The first object of a key is the one found; an unfiled duplicate stays
    // readable for the parser that made it.
    for (TDbObj* o : alive) {
        EXPECT_FALSE(o->Name().empty());
        EXPECT_NE(objs.FindTable(o->Name()), nullptr);
    }
    if (!alive.empty()) {
        EXPECT_EQ(objs.FindTable(alive.front()->Name()), alive.front());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddObject,
    ::testing::Values(AddCase{"mssql_first_stays", DT::dbMSSQL, true, false, {"Orders", "ORDERS"}, {"Orders"}, 0},
                      AddCase{"mssql_upper", DT::dbMSSQL, false, false, {"Orders", "orders"}, {"ORDERS"}, 0},
                      AddCase{"pg_both", DT::dbPostgreSQL, false, false, {"Orders", "ORDERS"}, {"ORDERS", "Orders"}, 0},
                      AddCase{"ib_tool_refused", DT::dbInterBase, false, true, {"QEL$LOG", "T"}, {"T"}, 1},
                      AddCase{"ib_tool_kept", DT::dbInterBase, false, false, {"QEL$LOG"}, {"QEL$LOG"}, 0},
                      AddCase{"pg_tool_kept", DT::dbPostgreSQL, false, true, {"QEL$LOG"}, {"QEL$LOG"}, 0}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(CustomObjs, MSSQLFindIgnoresCaseOfTheKey)
{
    TObjs objs;
    objs.SetDatabaseType(DT::dbMSSQL);
    objs.MSSQLServerOptions().MSSQLCompareOptions().CaseSensitiveIdentifiers = true;
    File<TTblData>(objs, "Orders");
    TDbObj* second = File<TTblData>(objs, "ORDERS");
    ASSERT_NE(objs.FindTable("orders"), nullptr);
    EXPECT_EQ(objs.FindTable("orders")->Name(), "Orders");
    EXPECT_EQ(second->Name(), "ORDERS");
    EXPECT_EQ(objs.Schemas.CaseSensitive(), true);
}

// Each class goes to the index of its kind, a derived class to its base's.
TEST(CustomObjs, EveryClassGoesToItsIndex)
{
    TObjs objs;
    const struct {
        std::function<std::unique_ptr<TDbObj>()> make;
        TObjIndex* index;
    } cases[] = {
        {[&] { return std::make_unique<TUdfData>(&objs); }, &objs.UDFs},
        {[&] { return std::make_unique<TDmnData>(&objs); }, &objs.Domains},
        {[&] { return std::make_unique<TTblData>(&objs); }, &objs.Tables},
        {[&] { return std::make_unique<TViwData>(&objs); }, &objs.Views},
        {[&] { return std::make_unique<TPrcData>(&objs); }, &objs.Procedures},
        {[&] { return std::make_unique<TMemberPrcData>(&objs); }, &objs.Procedures},
        {[&] { return std::make_unique<TTrgData>(&objs); }, &objs.Triggers},
        {[&] { return std::make_unique<TIdxData>(&objs); }, &objs.Indexes},
        {[&] { return std::make_unique<TGnrData>(&objs); }, &objs.Generators},
        {[&] { return std::make_unique<TCtrData>(&objs); }, &objs.Constraints},
        {[&] { return std::make_unique<TExcData>(&objs); }, &objs.Exceptions},
        {[&] { return std::make_unique<TGntData>(&objs); }, &objs.Grants},
        {[&] { return std::make_unique<TDefData>(&objs); }, &objs.Defaults},
        {[&] { return std::make_unique<TRulData>(&objs); }, &objs.Rules},
        {[&] { return std::make_unique<TPkgData>(&objs); }, &objs.Packages},
        {[&] { return std::make_unique<TRolData>(&objs); }, &objs.Roles},
        {[&] { return std::make_unique<TPblData>(&objs); }, &objs.Publications},
        {[&] { return std::make_unique<TSchData>(&objs); }, &objs.Schemas},
        {[&] { return std::make_unique<TOprData>(&objs); }, &objs.Operators},
        {[&] { return std::make_unique<TOpcData>(&objs); }, &objs.OperatorClasses},
        {[&] { return std::make_unique<TEvtData>(&objs); }, &objs.Events},
        {[&] { return std::make_unique<TCltData>(&objs); }, &objs.Collations},
    };
    int n = 0;
    for (const auto& c : cases) {
        std::unique_ptr<TDbObj> o = c.make();
        o->SetName("O" + std::to_string(n++));
        TDbObj* raw = objs.AddObject(std::move(o));
        ASSERT_NE(raw, nullptr);
        EXPECT_EQ(c.index->Find(raw->GetKey()), raw) << raw->ClassName();
    }
    // A refusing handler keeps every object out and frees it.
    objs.Clear();
    objs.OnAcceptObject = [](TObject&, TDbObj&, bool& accept) { accept = false; };
    for (const auto& c : cases) {
        EXPECT_EQ(objs.AddObject(c.make()), nullptr);
        EXPECT_TRUE(c.index->Empty());
    }
}

TEST(CustomObjs, AnObjectOfNoKindIsReportedAndFreed)
{
    TObjs objs;
    std::vector<std::string> messages;
    objs.OnOwnerMessage = [&](TObject&, const std::string& text) { messages.push_back(text); };
    EXPECT_EQ(objs.AddObject(std::make_unique<TDbObj>(&objs)), nullptr);
    EXPECT_EQ(objs.AddObject(nullptr), nullptr);
    EXPECT_EQ(messages, std::vector<std::string>{"Unknown DbObject to add (TDbObj)"});
}

// ---- grants ----

struct GrantSpec {
    std::string object, grantee;
    TDbObject granteeKind;
    std::vector<TPrivilege> privileges;
    std::vector<std::string> columns;
    int grantOption;
};

struct GrantCase {
    const char* label;
    GrantSpec first, second;
    bool merged;
    std::vector<TPrivilege> privileges; // of the first grant afterwards
    std::vector<std::string> columns;
};

class AddGrant : public ::testing::TestWithParam<GrantCase> {};

TEST_P(AddGrant, MergesOnlyEqualGrants)
{
    const GrantCase& c = GetParam();
    TObjs objs;
    objs.SetDatabaseType(DT::dbInterBase);
    int n = 0;
    const auto make = [&](const GrantSpec& s) {
        auto g = std::make_unique<TGntData>(&objs);
        g->SetName("G" + std::to_string(++n)); // distinct keys, whatever a grant's key is made of
        g->ObjectName = s.object;
        g->ObjectKind = TDbObject::dboTable;
        g->Grantee = s.grantee;
        g->GranteeKind = s.granteeKind;
        for (TPrivilege p : s.privileges) g->Privileges.Include(p);
        for (const std::string& col : s.columns) g->Columns.Add(col);
        g->GrantOption = s.grantOption;
        return g;
    };
    TGntData* first = objs.AddGrant(make(c.first));
    ASSERT_NE(first, nullptr);
    TGntData* second = objs.AddGrant(make(c.second));
    EXPECT_EQ(second == nullptr, c.merged);
    EXPECT_EQ(objs.Grants.Count(), c.merged ? 1 : 2);
    TPrivileges expected;
    for (TPrivilege p : c.privileges) expected.Include(p);
    EXPECT_TRUE(first->Privileges == expected);
    EXPECT_EQ(first->Columns.Lines(), c.columns);
}

constexpr auto U = TDbObject::dboUser;
constexpr auto P = TDbObject::dboProcedure;
using enum TPrivilege;

INSTANTIATE_TEST_SUITE_P(
    Cases, AddGrant,
    ::testing::Values(
        GrantCase{"privileges_join", {"T", "U", U, {prSelect}, {}, 0}, {"T", "U", U, {prUpdate}, {}, 0}, true,
                  {prSelect, prUpdate}, {}},
        GrantCase{"columns_join", {"T", "U", U, {prUpdate}, {"A"}, 0}, {"T", "U", U, {prUpdate}, {"A", "B"}, 0}, true,
                  {prUpdate}, {"A", "B"}},
        GrantCase{"user_and_procedure", {"T", "U", U, {prSelect}, {}, 0}, {"T", "U", P, {prSelect}, {}, 0}, false,
                  {prSelect}, {}},
        GrantCase{"grant_option", {"T", "U", U, {prSelect}, {}, 0}, {"T", "U", U, {prUpdate}, {}, 1}, false,
                  {prSelect}, {}},
        GrantCase{"columns_other_privileges", {"T", "U", U, {prUpdate}, {"A"}, 0},
                  {"T", "U", U, {prReferences}, {"B"}, 0}, false, {prUpdate}, {"A"}},
        GrantCase{"columns_and_none", {"T", "U", U, {prSelect}, {}, 0}, {"T", "U", U, {prUpdate}, {"A"}, 0}, false,
                  {prSelect}, {}},
        GrantCase{"other_object", {"T", "U", U, {prSelect}, {}, 0}, {"T2", "U", U, {prSelect}, {}, 0}, false,
                  {prSelect}, {}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(CustomObjs, ResortGrantsKeysEveryGrantAnew)
{
    class TNamedGrant : public TGntData {
    public:
        using TGntData::TGntData;
        std::string GetKey() const override { return Name(); }
    };
    TObjs objs;
    TGntData* grants[3] = {};
    for (int i = 0; i < 3; ++i) {
        auto g = std::make_unique<TNamedGrant>(&objs);
        g->SetName(std::string(1, static_cast<char>('A' + i)));
        g->Grantee = g->Name();
        grants[i] = objs.AddGrant(std::move(g));
    }
    grants[0]->SetName("Z");
    grants[2]->SetName("B");
    objs.ResortGrants();
    ASSERT_EQ(objs.Grants.Count(), 3);
    EXPECT_EQ(objs.Grants.Keys(0), "B");
    EXPECT_EQ(objs.Grants.Keys(1), "B");
    EXPECT_EQ(objs.Grants.Keys(2), "Z");
    EXPECT_EQ(objs.Grants.Objects(2), grants[0]);
}

// ---- sides, lifetimes and messages ----

// What the leak checker watches: every object a collection was handed goes
// with it, and nothing points into a collection or an object that went.
TEST(CustomObjs, NothingOutlivesWhatItPointsAt)
{
    auto source = std::make_unique<TObjs>();
    TObjs target;
    source->Side = 1;
    source->SetLinkedObjs(&target);
    EXPECT_EQ(target.LinkedObjs(), source.get());
    EXPECT_EQ(target.GetSourceObjs(), source.get());
    EXPECT_EQ(source->GetTargetObjs(), &target);
    TDbObj* mine = File<TTblData>(target, "T");
    TDbObj* theirs = File<TTblData>(*source, "T");
    mine->SetCounterpart(theirs);

    // A table refused after a view was linked to it takes the link along.
    TDbObj* view = File<TViwData>(target, "V");
    auto refused = std::make_unique<TTblData>(&target);
    refused->SetName("R");
    AddDependency(&target, view, refused.get(), 1, 1, "");
    target.OnAcceptObject = [](TObject&, TDbObj& o, bool& accept) { accept = o.Name() != "R"; };
    EXPECT_EQ(target.AddObject(std::move(refused)), nullptr);
    EXPECT_TRUE(view->Uses.Empty());

    // A column with its identity generator, and a generator with its value field.
    auto table = std::make_unique<TTblData>(&target);
    table->SetName("G");
    auto* column = table->Fields.Add("ID", std::make_unique<TFldData>(&target, table.get()));
    ASSERT_NE(column->IdentityGenerator, nullptr);
    target.AddObject(std::move(table));
    ASSERT_NE(dynamic_cast<TGnrData*>(File<TGnrData>(target, "GEN"))->ValueField, nullptr);

    source.reset();
    EXPECT_EQ(mine->Counterpart(), nullptr);
    EXPECT_EQ(target.LinkedObjs(), nullptr);
}

TEST(CustomObjs, ObjectsFollowTheLinkedServerWhenAsked)
{
    TObjs objs, linked;
    objs.SetDatabaseType(DT::dbInterBase);
    linked.SetDatabaseType(DT::dbMSSQL);
    objs.SetLinkedObjs(&linked);
    TTblData t(&objs);
    EXPECT_EQ(t.GetDatabaseType(), DT::dbInterBase);
    objs.UseLinked = true;
    EXPECT_EQ(t.GetDatabaseType(), DT::dbMSSQL);
    EXPECT_EQ(t.GetIBServerOptions(), &linked.IBServerOptions());
    t.SetName("t");
    EXPECT_EQ(t.Name(), "T");
}

namespace {

// Records what the collection hands to an executor.
class TLogSink : public TStatementSink {
public:
    TStatement* AddStatement(const std::string&, TStatType, const std::string&, TDbObject, TDbOperation,
                             const std::string&, const std::string&) override
    {
        return nullptr;
    }
    TStatement* AddDescription(TDbObj&) override { return nullptr; }
    TStatement* AddComment(const std::string&) override { return nullptr; }
    void AddConnectStatement() override {}
    void SetCurrentSchema(const std::string& Name) override { Schema = Name; }
    void LogNextLine(const std::string& Text) override { Lines.push_back(Text); }
    std::vector<std::string> Lines;
    std::string Schema;
};

} // namespace

TEST(CustomObjs, LogsToItsEventElseToTheExecutor)
{
    TObjs objs;
    TLogSink sink;
    objs.Executor = &sink;
    objs.DoLog("one");
    std::vector<std::string> own;
    objs.OnLogNextLine = [&](TObject&, const std::string& text) { own.push_back(text); };
    objs.DoLog("two");
    objs.LogOwnerMessage("nobody listens");
    EXPECT_EQ(sink.Lines, std::vector<std::string>{"one"});
    EXPECT_EQ(own, std::vector<std::string>{"two"});

    TTblData t(&objs);
    t.SetSchema("S");
    t.NoScript = true;
    EXPECT_EQ(t.GetCreateScript(), "");
    EXPECT_EQ(sink.Schema, "S");
}
