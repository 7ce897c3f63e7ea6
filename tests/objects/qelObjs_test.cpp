#include "qelObjs.h"
#include "qelComp_Dmn.h"
#include "qelComp_Fld.h"
#include "qelComp_Prc.h"
#include "qelComp_Rol.h"
#include "qelComp_Tbl.h"
#include "qelComp_Viw.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <type_traits>

using namespace qel;
using DT = TDatabaseType;

namespace {

template <class T>
T* File(TObjs& objs, const std::string& name, TRoleKind kind = rkRole)
{
    auto o = std::make_unique<T>(&objs);
    o->SetName(name);
    if constexpr (std::is_same_v<T, TRolData>) o->RoleKind = kind;
    return dynamic_cast<T*>(objs.AddObject(std::move(o)));
}

void AddField(TOwnedNameList<TFldData>& list, TObjs& objs, TDbObj* parent, const std::string& name)
{
    list.Add(name, std::make_unique<TFldData>(&objs, parent))->SetName(name);
}

} // namespace

// Every finder asked for a name that is there, in another letter case, and
// absent; the index's case rule decides, except for roles, which match
// exactly under every server.
TEST(Objs, FindersFollowEachIndexsCaseRule)
{
    for (DT type : {DT::dbInterBase, DT::dbMSSQL}) {
        const bool blind = type == DT::dbMSSQL;
        TObjs objs;
        objs.SetDatabaseType(type);
        objs.MSSQLServerOptions().MSSQLCompareOptions().CaseSensitiveIdentifiers = true;
        File<TDmnData>(objs, "D");
        TTblData* t = File<TTblData>(objs, "T");
        t->Fields.CaseSensitive = !blind;
        AddField(t->Fields, objs, t, "A");
        TViwData* v = File<TViwData>(objs, "V");
        AddField(v->Columns, objs, v, "C");
        TPrcData* p = File<TPrcData>(objs, "P");
        AddField(p->InputParams, objs, p, "IN1");
        AddField(p->OutputParams, objs, p, "OUT1");
        File<TRolData>(objs, "R", rkRole);
        File<TRolData>(objs, "L", rkLogin);
        File<TRolData>(objs, "U", rkUser);
        const struct {
            const TDbObj* found;
            const char* expected;
        } cases[] = {
            {objs.FindDomain("D"), "D"},
            {objs.FindTable("T"), "T"},
            {objs.FindTable("t"), blind ? "T" : ""},
            {objs.FindTable("V"), ""},
            {objs.FindView("V"), "V"},
            {objs.FindProcedure("P"), "P"},
            {objs.FindTableField("T", "A"), "A"},
            {objs.FindTableField("t", "a"), blind ? "A" : ""},
            {objs.FindTableField("X", "A"), ""},
            {objs.FindViewField("V", "C"), "C"},
            {objs.FindProcedureParam("P", "IN1"), "IN1"},
            {objs.FindProcedureParam("P", "OUT1"), "OUT1"},
            {objs.FindProcedureParam("P", "X"), ""},
            {objs.FindRole("R"), "R"},
            {objs.FindRole("r"), ""},
            {objs.FindRole("L"), ""},
            {objs.FindLogin("L"), "L"},
            {objs.FindUser("U"), "U"},
            {objs.FindUser("R"), ""},
        };
        for (const auto& c : cases) EXPECT_EQ(c.found == nullptr ? "" : c.found->Name(), c.expected);
    }
}

// Clear frees every object, the duplicates never filed too (the leak checker
// watches), and the collection can be filled again.
TEST(Objs, ClearFreesEveryObjectAndSavedTextsComeFromTheDefinitions)
{
    class TTextView : public TViwData {
    public:
        using TViwData::TViwData;
        std::string GetCreateDDL() const override { return "CREATE VIEW " + Name(); }
    };
    TObjs objs;
    auto view = std::make_unique<TTextView>(&objs);
    view->SetName("V");
    TDbObj* v = objs.AddObject(std::move(view));
    TTblData* t = File<TTblData>(objs, "T");
    AddDependency(&objs, v, t, 1, 1, "");
    File<TTblData>(objs, "T");
    objs.SaveSourceTexts();
    EXPECT_EQ(v->SourceText + "|" + v->SavedText, "CREATE VIEW V|CREATE VIEW V");
    objs.Clear();
    EXPECT_TRUE(objs.Tables.Empty() && objs.Views.Empty());
    EXPECT_NE(File<TTblData>(objs, "T"), nullptr);
    EXPECT_TRUE(objs.ScriptOptions().Connect);
    EXPECT_EQ(objs.OutputFolder, "");
}
