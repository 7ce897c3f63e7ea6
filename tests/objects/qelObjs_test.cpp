#include "qelObjs.h"
#include "qelComp_Ctr.h"
#include "qelComp_Dmn.h"
#include "qelComp_Exc.h"
#include "qelComp_Fld.h"
#include "qelComp_Fnc.h"
#include "qelComp_Gnr.h"
#include "qelComp_Idx.h"
#include "qelComp_Pkg.h"
#include "qelComp_Prc.h"
#include "qelComp_Rol.h"
#include "qelComp_Tbl.h"
#include "qelComp_Trg.h"
#include "qelComp_Viw.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

using namespace qel;
using DT = TDatabaseType;

namespace {

template <class T>
T* File(TObjs& objs, const std::string& name)
{
    auto o = std::make_unique<T>(&objs);
    o->SetName(name);
    return dynamic_cast<T*>(objs.AddObject(std::move(o)));
}

template <class T>
TFldData* AddField(TOwnedNameList<TFldData>& list, TObjs& objs, T* parent, const std::string& name)
{
    TFldData* f = list.Add(name, std::make_unique<TFldData>(&objs, parent));
    f->SetName(name);
    return f;
}

TRolData* FileRole(TObjs& objs, const std::string& name, TRoleKind kind)
{
    auto r = std::make_unique<TRolData>(&objs);
    r->SetName(name);
    r->RoleKind = kind;
    return dynamic_cast<TRolData*>(objs.AddObject(std::move(r)));
}

} // namespace

// One collection per server type holding one object of each kind; every
// finder is asked for a name that is there, in another case, and absent.
struct FindCase {
    const char* label;
    std::function<TDbObj*(const TObjs&, const std::string&)> find;
    std::string name;
    DT type;
    std::string expected; // the found object's name; empty for none
};

class Finders : public ::testing::TestWithParam<FindCase> {};

TEST_P(Finders, FindByKindAndName)
{
    const FindCase& c = GetParam();
    TObjs objs;
    objs.SetDatabaseType(c.type);
    // Names kept as written, so that the index's case rule alone decides.
    objs.MSSQLServerOptions().MSSQLCompareOptions().CaseSensitiveIdentifiers = true;
    File<TDmnData>(objs, "D");
    TTblData* t = File<TTblData>(objs, "T");
    t->Fields.CaseSensitive = c.type != DT::dbMSSQL;
    AddField(t->Fields, objs, t, "A");
    TViwData* v = File<TViwData>(objs, "V");
    AddField(v->Columns, objs, v, "C");
    TPrcData* p = File<TPrcData>(objs, "P");
    AddField(p->InputParams, objs, p, "IN1");
    AddField(p->OutputParams, objs, p, "OUT1");
    File<TTrgData>(objs, "TRG");
    File<TGnrData>(objs, "GEN");
    File<TExcData>(objs, "EXC");
    File<TIdxData>(objs, "IX");
    File<TUdfData>(objs, "UDF");
    File<TPkgData>(objs, "PKG");
    File<TCtrData>(objs, "CTR");
    File<TSchData>(objs, "SCH");
    FileRole(objs, "R", rkRole);
    FileRole(objs, "L", rkLogin);
    FileRole(objs, "U", rkUser);
    const TDbObj* found = c.find(objs, c.name);
    EXPECT_EQ(found == nullptr ? std::string() : found->Name(), c.expected);
}

namespace {

template <auto Finder>
std::function<TDbObj*(const TObjs&, const std::string&)> By()
{
    return [](const TObjs& objs, const std::string& name) -> TDbObj* { return (objs.*Finder)(name); };
}

template <auto Finder>
std::function<TDbObj*(const TObjs&, const std::string&)> In(std::string owner)
{
    return [owner](const TObjs& objs, const std::string& name) -> TDbObj* { return (objs.*Finder)(owner, name); };
}

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Cases, Finders,
    ::testing::Values(
        FindCase{"domain", By<&TObjs::FindDomain>(), "D", DT::dbInterBase, "D"},
        FindCase{"table", By<&TObjs::FindTable>(), "T", DT::dbInterBase, "T"},
        FindCase{"table_case_ib", By<&TObjs::FindTable>(), "t", DT::dbInterBase, ""},
        FindCase{"table_case_mssql", By<&TObjs::FindTable>(), "t", DT::dbMSSQL, "T"},
        FindCase{"view", By<&TObjs::FindView>(), "V", DT::dbPostgreSQL, "V"},
        FindCase{"view_not_table", By<&TObjs::FindTable>(), "V", DT::dbPostgreSQL, ""},
        FindCase{"procedure", By<&TObjs::FindProcedure>(), "P", DT::dbInterBase, "P"},
        FindCase{"trigger", By<&TObjs::FindTrigger>(), "TRG", DT::dbInterBase, "TRG"},
        FindCase{"generator", By<&TObjs::FindGenerator>(), "GEN", DT::dbInterBase, "GEN"},
        FindCase{"exception", By<&TObjs::FindException>(), "EXC", DT::dbInterBase, "EXC"},
        FindCase{"index", By<&TObjs::FindIndex>(), "IX", DT::dbInterBase, "IX"},
        FindCase{"udf", By<&TObjs::FindUDF>(), "UDF", DT::dbInterBase, "UDF"},
        FindCase{"package", By<&TObjs::FindPackage>(), "PKG", DT::dbOracle, "PKG"},
        FindCase{"constraint", By<&TObjs::FindConstraint>(), "CTR", DT::dbInterBase, "CTR"},
        FindCase{"schema", By<&TObjs::FindSchema>(), "SCH", DT::dbPostgreSQL, "SCH"},
        FindCase{"table_field", In<&TObjs::FindTableField>("T"), "A", DT::dbInterBase, "A"},
        FindCase{"table_field_case_ib", In<&TObjs::FindTableField>("T"), "a", DT::dbInterBase, ""},
        FindCase{"table_field_case_mssql", In<&TObjs::FindTableField>("t"), "a", DT::dbMSSQL, "A"},
        FindCase{"table_field_no_table", In<&TObjs::FindTableField>("X"), "A", DT::dbInterBase, ""},
        FindCase{"view_field", In<&TObjs::FindViewField>("V"), "C", DT::dbInterBase, "C"},
        FindCase{"param_input", In<&TObjs::FindProcedureParam>("P"), "IN1", DT::dbInterBase, "IN1"},
        FindCase{"param_output", In<&TObjs::FindProcedureParam>("P"), "OUT1", DT::dbInterBase, "OUT1"},
        FindCase{"param_none", In<&TObjs::FindProcedureParam>("P"), "X", DT::dbInterBase, ""},
        FindCase{"role", By<&TObjs::FindRole>(), "R", DT::dbInterBase, "R"},
        FindCase{"role_case", By<&TObjs::FindRole>(), "r", DT::dbInterBase, ""},
        FindCase{"role_case_mssql", By<&TObjs::FindRole>(), "r", DT::dbMSSQL, ""},
        FindCase{"role_not_login", By<&TObjs::FindRole>(), "L", DT::dbInterBase, ""},
        FindCase{"login", By<&TObjs::FindLogin>(), "L", DT::dbMSSQL, "L"},
        FindCase{"user", By<&TObjs::FindUser>(), "U", DT::dbMSSQL, "U"},
        FindCase{"user_not_role", By<&TObjs::FindUser>(), "R", DT::dbMSSQL, ""}),
    [](const auto& info) { return std::string(info.param.label); });

// Clear frees every object, the duplicates that were never filed too (the
// leak checker watches), and the collection can be filled again.
TEST(Objs, ClearFreesEveryObjectHeld)
{
    TObjs objs;
    objs.SetDatabaseType(DT::dbPostgreSQL);
    TTblData* t = File<TTblData>(objs, "T");
    TViwData* v = File<TViwData>(objs, "V");
    AddDependency(&objs, v, t, 1, 1, "");
    File<TTblData>(objs, "T");
    objs.Clear();
    EXPECT_TRUE(objs.Tables.Empty());
    EXPECT_TRUE(objs.Views.Empty());
    EXPECT_NE(File<TTblData>(objs, "T"), nullptr);
    EXPECT_EQ(objs.ScriptOptions().Connect, true);
    EXPECT_EQ(objs.OutputFolder, "");
}

TEST(Objs, SavesTheDefinitionsOfViewsRoutinesAndTriggers)
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
    TDbObj* p = File<TPrcData>(objs, "P");
    p->SourceText = "old";
    objs.SaveSourceTexts();
    EXPECT_EQ(v->SourceText, "CREATE VIEW V");
    EXPECT_EQ(v->SavedText, "CREATE VIEW V");
    EXPECT_EQ(p->SourceText, p->GetCreateDDL());
}
