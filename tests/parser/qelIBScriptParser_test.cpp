#include "qelIBScriptParser.h"

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
#include "qelMsgMngr.h"
#include "qelObjs.h"
#include "qelTestSupport.h"
#include "qelText.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

using namespace qel;
using V = TIBSQLServerVersionType;

namespace {

const char* const kStatTypes[] = {"stConnect", "stReconnect", "stCreateDb", "stSet", "stSetBlobFile", "st_Commit",
                                  "stStatement", "stComment", "stProcedure", "stTrigger", "stSetNames", "stCharSet",
                                  "stSqlDialect", "stDescription", "stSelect", "stInsert", "stUpdate", "stDelete",
                                  "stExecuteBlock", "stPackage"};
const char* const kObjects[] = {
    "dboUnknown", "dboTable", "dboProcedure", "dboTrigger", "dboFunction", "dboException", "dboIndex", "dboDomain",
    "dboView", "dboGenerator", "dboEvent", "dboField", "dboParam", "dboDatabase", "dboBlobFilter", "dboCollation",
    "dboConstraint", "dboPKey", "dboFKey", "dboUnique", "dboCheck", "dboReferences", "dboCtrDefault", "dboRole",
    "dboGrant", "dboRule", "dboDefault", "dboPackage"};
const char* const kOperations[] = {"odbUnknown", "odbCreate",   "odbAlter",  "odbDrop",       "odbEmpty",
                                   "odbRestore", "odbEmptyCreate", "odbEmptyDrop", "odbSet", "odbCommit",
                                   "odbComment", "odbDescription", "odbInsert", "odbUpdate", "odbDelete"};

// Parses a script into a collection and records what the parser reports:
// statements as "StatType|ObjName|ObjType|Operation|ParentName|SQL".
struct TRun {
    explicit TRun(const std::string& Text, V Version = V::st_Firebird_25, const std::string& Name = "s.sql")
    {
        objs.SetDatabaseType(TDatabaseType::dbInterBase);
        objs.IBServerOptions().SQLServerVersion = Version;
        parser = MakeParser<TIbParser>();
        parser->ScriptName = Name;
        parser->OnErrorMessage = [this](TObject&, const std::string& t) { Events.push_back(t); };
        parser->OnLogNextLine = [this](TObject&, const std::string& t) { Log.push_back(t); };
        parser->OnAddStatement = [this](TObject&, const std::string& SQL, TStatType St, const std::string& Obj,
                                        TDbObject Ot, TDbOperation Op, const std::string& Parent, TStatement*&) {
            const auto ot = static_cast<std::size_t>(Ot);
            const std::string kind = std::string(kStatTypes[static_cast<int>(St)]) + "|" + Obj + "|" +
                                     (ot < std::size(kObjects) ? kObjects[ot] : std::to_string(ot)) + "|" +
                                     kOperations[static_cast<int>(Op)] + "|" + Parent;
            KindList.push_back(kind);
            Statements.push_back(kind + "|" + SQL);
        };
        TStringList lines;
        lines.SetText(Text);
        parser->ParseScript(lines, &objs);
    }
    // Every stored message as "kind text @line:column".
    std::vector<std::string> Messages() const
    {
        std::vector<std::string> out;
        for (int i = 0; i < parser->Messages().Count(); ++i) {
            const TMsgData& m = parser->Messages().Items(i);
            out.push_back(std::string(m.Kind == TMsgKind::mkError ? "E " : "W ") + m.Text + " @" +
                          std::to_string(m.Line) + ":" + std::to_string(m.Column));
        }
        return out;
    }
    // The statements cut to "StatType|ObjName|ObjType|Operation|ParentName".
    const std::vector<std::string>& Kinds() const { return KindList; }

    TObjs objs;
    std::unique_ptr<TIbParser> parser;
    std::vector<std::string> Statements, KindList, Events, Log;
};

std::string ExampleFile(const std::string& Name)
{
    return "/usr/share/doc/firebird3.0-common-doc/examples/" + Name;
}

} // namespace

TEST(IBScriptParserSample, EmployeeScriptLoads)
{
    const std::string gz = ExampleFile("employee.sql.gz");
    if (!std::filesystem::exists(gz)) GTEST_SKIP() << "firebird3.0-examples is not installed";
    qeltest::TempDir dir;
    const std::string sql = dir.File("employee.sql");
    ASSERT_EQ(std::system(("gzip -dc '" + gz + "' > '" + sql + "'").c_str()), 0);
    std::ifstream in(sql, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    for (V version : {V::st_Firebird_25, V::st_Firebird_30}) {
        TRun run(text, version, sql);
        EXPECT_EQ(run.Messages(), std::vector<std::string>{});
        std::map<std::string, int> counts;
        for (const std::string& k : run.Kinds()) ++counts[k.substr(0, k.find('|')) + "|" + k.substr(k.find('|', k.find('|') + 1) + 1)];
        for (auto& m : run.Messages()) std::cout << m << "\n";
        for (auto& [k, n] : counts) std::cout << n << " " << k << "\n";
        EXPECT_EQ(run.Statements.size(), 397u);
    }
}
