#include "qelCustomObjs.h"
#include "qelComp_Fld.h"
#include "qelComp_Gnr.h"
#include "qelComp_Prc.h"
#include "qelComp_Rol.h"
#include "qelComp_Tbl.h"
#include "qelComp_Viw.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

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

using TMake = std::unique_ptr<TDbObj> (*)(TCustomObjs*);
template <class T>
std::unique_ptr<TDbObj> Make(TCustomObjs* Objs)
{
    return std::make_unique<T>(Objs);
}

} // namespace

TEST(CustomObjs, StartsAndClearsToTheDefaults)
{
    TObjs objs;
    EXPECT_EQ(objs.Terminator, ";");
    EXPECT_EQ(objs.ScriptFlags, 0x7FFFFFu);
    EXPECT_EQ(objs.ConnectionOptions().UserName + "/" + objs.ConnectionOptions().Password, "SYSDBA/cobaltfin");
    EXPECT_EQ(objs.GetTargetObjs(), &objs);
    objs.Terminator = "^";
    objs.ScriptText1 = objs.DB2CurrentSchema = "x";
    objs.Script.Add("line");
    objs.IBServerOptions().IBDatabaseOptions().ODSMajorVersion = 12;
    EXPECT_EQ(objs.GetTargetODSVersion(), 12);
    File<TTblData>(objs, "T");
    objs.Clear();
    EXPECT_EQ(objs.Terminator + objs.ScriptText1 + objs.DB2CurrentSchema, ";");
    EXPECT_TRUE(objs.Script.Empty() && objs.Tables.Empty());
    EXPECT_EQ(objs.GetTargetODSVersion(), 0);
}

// ---- filing ----

struct AddCase {
    const char* label;
    DT type;
    bool caseSensitive, ignoreTools;
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
    std::vector<TDbObj*> alive;
    for (const std::string& n : c.names)
        if (TDbObj* o = File<TTblData>(objs, n)) alive.push_back(o);
    EXPECT_EQ(static_cast<int>(c.names.size() - alive.size()), c.refused);
    std::vector<std::string> filed;
    for (const auto& item : objs.Tables) filed.push_back(item.Key);
    EXPECT_EQ(filed, c.filed);
    // The first object of a key is found, in any case where the server
    // ignores case; a duplicate stays readable for the parser that made it.
    for (TDbObj* o : alive) EXPECT_NE(objs.FindTable(LowerCase(o->Name())) == nullptr, c.type == DT::dbMSSQL);
    ASSERT_FALSE(alive.empty());
    EXPECT_EQ(objs.FindTable(alive.front()->Name()), alive.front());
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

// A derived class goes where its base goes; a refusing handler keeps every
// object out, and an object of no kind is reported.
TEST(CustomObjs, FilesByClassRefusesAndReports)
{
    TObjs objs;
    const std::pair<TMake, TObjIndex*> cases[] = {{Make<TMemberPrcData>, &objs.Procedures},
                                                  {Make<TGntData>, &objs.Grants},
                                                  {Make<TRolData>, &objs.Roles},
                                                  {Make<TViwData>, &objs.Views}};
    for (const auto& [create, index] : cases) {
        TDbObj* raw = objs.AddObject(create(&objs));
        EXPECT_EQ(index->Find(raw->GetKey()), raw) << raw->ClassName();
    }
    objs.Clear();
    objs.OnAcceptObject = [](TObject&, TDbObj&, bool& accept) { accept = false; };
    for (const auto& [create, index] : cases) {
        EXPECT_EQ(objs.AddObject(create(&objs)), nullptr);
        EXPECT_TRUE(index->Empty());
    }
    std::vector<std::string> messages;
    objs.OnAcceptObject = nullptr;
    objs.OnOwnerMessage = [&](TObject&, const std::string& text) { messages.push_back(text); };
    EXPECT_EQ(objs.AddObject(std::make_unique<TDbObj>(&objs)), nullptr);
    EXPECT_EQ(objs.AddObject(nullptr), nullptr);
    EXPECT_EQ(messages, std::vector<std::string>{"Unknown DbObject to add (TDbObj)"});
}

// ---- grants ----

struct GrantSpec {
    std::string object;
    TDbObject granteeKind;
    TPrivilege privilege;
    std::vector<std::string> columns;
    int grantOption;
};

struct GrantCase {
    const char* label;
    GrantSpec first, second;
    bool merged;
    std::vector<std::string> columns; // of the first grant afterwards
};

class AddGrant : public ::testing::TestWithParam<GrantCase> {};

TEST_P(AddGrant, MergesOnlyEqualGrants)
{
    const GrantCase& c = GetParam();
    TObjs objs;
    int n = 0;
    const auto make = [&](const GrantSpec& s) {
        auto g = std::make_unique<TGntData>(&objs);
        g->SetName("G" + std::to_string(++n)); // distinct keys, whatever a grant's key is made of
        g->ObjectName = s.object;
        g->ObjectKind = TDbObject::dboTable;
        g->Grantee = "U";
        g->GranteeKind = s.granteeKind;
        g->Privileges.Include(s.privilege);
        for (const std::string& col : s.columns) g->Columns.Add(col);
        g->GrantOption = s.grantOption;
        return g;
    };
    TGntData* first = objs.AddGrant(make(c.first));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(objs.AddGrant(make(c.second)) == nullptr, c.merged);
    objs.ResortGrants();
    EXPECT_EQ(objs.Grants.Count(), c.merged ? 1 : 2);
    EXPECT_EQ(objs.Grants.Find(first->GetKey()), first);
    const bool joined = c.merged && c.first.columns.empty();
    EXPECT_EQ(first->Privileges.Contains(c.second.privilege), joined || c.first.privilege == c.second.privilege);
    EXPECT_EQ(first->Columns.Lines(), c.columns);
}

constexpr auto U = TDbObject::dboUser;
using enum TPrivilege;

INSTANTIATE_TEST_SUITE_P(
    Cases, AddGrant,
    ::testing::Values(
        GrantCase{"privileges_join", {"T", U, prSelect, {}, 0}, {"T", U, prUpdate, {}, 0}, true, {}},
        GrantCase{"columns_join", {"T", U, prUpdate, {"A"}, 0}, {"T", U, prUpdate, {"A", "B"}, 0}, true, {"A", "B"}},
        GrantCase{"user_and_procedure", {"T", U, prSelect, {}, 0}, {"T", TDbObject::dboProcedure, prSelect, {}, 0},
                  false, {}},
        GrantCase{"grant_option", {"T", U, prSelect, {}, 0}, {"T", U, prUpdate, {}, 1}, false, {}},
        GrantCase{"columns_other_privilege", {"T", U, prUpdate, {"A"}, 0}, {"T", U, prReferences, {"B"}, 0}, false,
                  {"A"}},
        GrantCase{"columns_and_none", {"T", U, prSelect, {}, 0}, {"T", U, prUpdate, {"A"}, 0}, false, {}},
        GrantCase{"other_object", {"T", U, prSelect, {}, 0}, {"T2", U, prUpdate, {}, 0}, false, {}}),
    [](const auto& info) { return std::string(info.param.label); });

// ---- sides and lifetimes (what the leak checker watches) ----

TEST(CustomObjs, NothingOutlivesWhatItPointsAt)
{
    auto source = std::make_unique<TObjs>();
    TObjs target;
    source->Side = 1;
    source->SetLinkedObjs(&target);
    EXPECT_EQ(target.GetSourceObjs(), source.get());
    EXPECT_EQ(source->GetTargetObjs(), &target);
    TDbObj* mine = File<TTblData>(target, "T");
    mine->SetCounterpart(File<TTblData>(*source, "T"));

    // Objects follow the linked side's server when asked to.
    source->SetDatabaseType(DT::dbMSSQL);
    target.UseLinked = true;
    EXPECT_EQ(mine->GetDatabaseType(), DT::dbMSSQL);
    EXPECT_EQ(mine->GetIBServerOptions(), &source->IBServerOptions());
    target.UseLinked = false;

    // A table refused after a view was linked to it takes the link along.
    TDbObj* view = File<TViwData>(target, "V");
    auto refused = std::make_unique<TTblData>(&target);
    refused->SetName("R");
    AddDependency(&target, view, refused.get(), 1, 1, "");
    target.OnAcceptObject = [](TObject&, TDbObj& o, bool& accept) { accept = o.Name() != "R"; };
    EXPECT_EQ(target.AddObject(std::move(refused)), nullptr);
    EXPECT_TRUE(view->Uses.Empty());

    // A column with its identity generator, a generator with its value field.
    auto table = std::make_unique<TTblData>(&target);
    table->SetName("G");
    EXPECT_NE(table->Fields.Add("ID", std::make_unique<TFldData>(&target, table.get()))->IdentityGenerator, nullptr);
    target.AddObject(std::move(table));
    EXPECT_NE(dynamic_cast<TGnrData*>(File<TGnrData>(target, "GEN"))->ValueField, nullptr);

    source.reset();
    EXPECT_EQ(mine->Counterpart(), nullptr);
    EXPECT_EQ(target.LinkedObjs(), nullptr);
}
