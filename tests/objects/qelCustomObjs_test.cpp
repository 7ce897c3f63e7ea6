#include "qelCustomObjs.h"
#include "qelComp_Fld.h"
#include "qelComp_Gnr.h"
#include "qelComp_Prc.h"
#include "qelComp_Rol.h"
#include "qelComp_Tbl.h"
#include "qelComp_Viw.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
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

// "A B C" -> {"A", "B", "C"}
std::vector<std::string> Split(const std::string& Text)
{
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < Text.size()) {
        const std::size_t end = std::min(Text.find(' ', at), Text.size());
        if (end > at) words.push_back(Text.substr(at, end - at));
        at = end + 1;
    }
    return words;
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

// A grant merges into the one filed for its object and grantee however many
// grants came between, after a re-sort, and by the case rule of the server.
struct GrantRunCase {
    const char* label;
    DT type;
    std::vector<std::string> grants; // "OBJECT GRANTEE PRIVILEGE", in order
    bool resortBetween;               // ResortGrants after the first half
    std::vector<std::string> texts;  // the filed grants afterwards
};

class GrantRun : public ::testing::TestWithParam<GrantRunCase> {};

TEST_P(GrantRun, MergesAcrossTheWholeLoad)
{
    const GrantRunCase& c = GetParam();
    TObjs objs;
    objs.SetDatabaseType(c.type);
    for (std::size_t i = 0; i < c.grants.size(); ++i) {
        if (c.resortBetween && i == c.grants.size() / 2) objs.ResortGrants();
        const auto words = Split(c.grants[i]);
        auto g = std::make_unique<TGntData>(&objs);
        g->ObjectName = words.at(0);
        g->ObjectKind = TDbObject::dboTable;
        g->Grantee = words.at(1);
        g->GranteeKind = TDbObject::dboUser;
        g->Privileges.Include(words.at(2) == "S" ? prSelect : words.at(2) == "U" ? prUpdate : prDelete);
        objs.AddGrant(std::move(g));
    }
    objs.ResortGrants();
    std::vector<std::string> texts;
    for (const auto& item : objs.Grants) texts.push_back(item.Object->GetCreateDDL());
    EXPECT_EQ(texts, c.texts);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GrantRun,
    ::testing::Values(
        GrantRunCase{"far_apart",
                     DT::dbInterBase,
                     {"T A S", "T B S", "X A S", "T A U", "X A D"},
                     false,
                     {"GRANT DELETE, SELECT ON X TO A", "GRANT SELECT ON T TO B", "GRANT SELECT, UPDATE ON T TO A"}},
        GrantRunCase{"after_a_resort",
                     DT::dbInterBase,
                     {"T A S", "T B S", "T A U", "T B D"},
                     true,
                     {"GRANT DELETE, SELECT ON T TO B", "GRANT SELECT, UPDATE ON T TO A"}},
        GrantRunCase{"case_blind_server",
                     DT::dbMSSQL,
                     {"t a S", "T A U"},
                     false,
                     {"GRANT SELECT, UPDATE ON t TO a"}},
        GrantRunCase{"case_kept_server",
                     DT::dbInterBase,
                     {"t a S", "T A S"},
                     false,
                     {"GRANT SELECT ON T TO A", "GRANT SELECT ON \"t\" TO \"a\""}}),
    [](const auto& info) { return std::string(info.param.label); });

// ---- the name index ----

// Steps: "+K" files the next object under K, "=K" expects the next one
// refused, "-N" removes object N, "?" reads by position (the waiting keys
// are sorted in), "ci"/"cs" change the case rule, "rk" re-keys every object
// to "K".
struct IndexCase {
    const char* label;
    std::vector<std::string> steps;
    std::vector<std::string> order;               // the keys, as walked
    std::vector<std::pair<std::string, int>> finds; // key -> object (-1 none)
};

class ObjIndex : public ::testing::TestWithParam<IndexCase> {};

TEST_P(ObjIndex, FindsAndOrdersWhateverTheSteps)
{
    const IndexCase& c = GetParam();
    TObjs owner;
    std::vector<std::unique_ptr<TDbObj>> objects;
    TObjIndex index;
    for (const std::string& step : c.steps) {
        if (step[0] == '+' || step[0] == '=') {
            objects.push_back(std::make_unique<TDbObj>(&owner));
            EXPECT_EQ(index.Add(step.substr(1), objects.back().get()), step[0] == '+') << step;
        } else if (step[0] == '-') {
            EXPECT_EQ(index.Remove(objects.at(std::stoul(step.substr(1))).get()), 1) << step;
        } else if (step == "?") {
            if (!index.Empty()) {
                EXPECT_EQ(index.IndexOf(index.Keys(index.Count() - 1)), index.Count() - 1);
            }
        } else if (step == "rk") {
            index.Rekey([](const TDbObj&) { return std::string("K"); });
        } else {
            index.SetCaseSensitive(step == "cs");
        }
    }
    std::vector<std::string> order;
    for (const auto& item : index) order.push_back(item.Key);
    EXPECT_EQ(order, c.order);
    for (int i = 0; i < index.Count(); ++i) {
        EXPECT_EQ(index.Find(index.Keys(i)), index.Objects(index.IndexOf(index.Keys(i))));
    }
    for (const auto& [key, at] : c.finds) {
        EXPECT_EQ(index.Find(key), at < 0 ? nullptr : objects.at(static_cast<std::size_t>(at)).get()) << key;
        if (at < 0) {
            EXPECT_EQ(index.IndexOf(key), -1) << key;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ObjIndex,
    ::testing::Values(
        IndexCase{"out_of_order", {"+C", "+A", "+B", "=A"}, {"A", "B", "C"}, {{"A", 1}, {"B", 2}, {"a", -1}}},
        IndexCase{"reads_between_adds", {"+T10", "?", "+T2", "?", "+T1", "+T0", "?", "+T11"},
                  {"T0", "T1", "T10", "T11", "T2"}, {{"T2", 1}, {"T11", 4}}},
        IndexCase{"case_blind_duplicate", {"ci", "+Orders", "=ORDERS", "+b"}, {"b", "Orders"}, {{"orders", 0}, {"B", 2}}},
        IndexCase{"case_rule_changed_later", {"+b", "+A", "+a", "ci"}, {"A", "a", "b"}, {{"a", 1}, {"B", 0}}},
        IndexCase{"removed", {"+A", "+B", "+C", "-1", "+B"}, {"A", "B", "C"}, {{"B", 3}, {"C", 2}}},
        IndexCase{"rekeyed_to_one_key", {"+B", "+A", "rk", "-1"}, {"K"}, {{"K", 0}, {"A", -1}}},
        IndexCase{"rekeyed_first_found", {"+B", "+A", "rk"}, {"K", "K"}, {{"K", 0}}}),
    [](const auto& info) { return std::string(info.param.label); });

// The typed lookups answer the objects of the kind asked only, in key order,
// wherever the others stand (first, last, in runs, none, all), and a key
// filed under another kind is not found as this one. Kinds: one letter a
// key, 't' table, 'v' view; the keys Z, Y, X ... are filed in that order, so
// that the walk merges an unsorted tail.
struct KindCase {
    const char* label;
    std::string kinds;
    std::string tables; // the tables' keys, as walked
};

class TypedLookup : public ::testing::TestWithParam<KindCase> {};

TEST_P(TypedLookup, AnswersOnlyTheKindAsked)
{
    const KindCase& c = GetParam();
    TObjs owner;
    std::vector<std::unique_ptr<TDbObj>> objects;
    std::map<const TDbObj*, std::string> keyOf;
    TObjIndex index;
    for (std::size_t i = 0; i < c.kinds.size(); ++i) {
        if (c.kinds[i] == 't')
            objects.push_back(std::make_unique<TTblData>(&owner));
        else
            objects.push_back(std::make_unique<TViwData>(&owner));
        const std::string key(1, static_cast<char>('Z' - i));
        keyOf[objects.back().get()] = key;
        index.Add(key, objects.back().get());
    }
    std::string walked;
    for (TTblData* table : index.ObjectsOf<TTblData>()) walked += keyOf.at(table);
    EXPECT_EQ(walked, c.tables);
    for (std::size_t i = 0; i < c.kinds.size(); ++i) {
        const std::string key(1, static_cast<char>('Z' - i));
        EXPECT_EQ(index.Find<TTblData>(key), c.kinds[i] == 't' ? objects[i].get() : nullptr) << key;
        EXPECT_EQ(index.Find<TViwData>(key), c.kinds[i] == 'v' ? objects[i].get() : nullptr) << key;
    }
    EXPECT_EQ(index.Find<TTblData>("none"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Cases, TypedLookup,
                         ::testing::Values(KindCase{"empty", "", ""}, KindCase{"tables_only", "ttt", "XYZ"},
                                           KindCase{"views_only", "vv", ""},
                                           KindCase{"others_at_both_ends", "vttv", "XY"},
                                           KindCase{"others_between", "tvvtvt", "UWZ"}),
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
