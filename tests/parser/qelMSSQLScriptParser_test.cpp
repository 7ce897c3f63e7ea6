#include "qelMSSQLScriptParser.h"

#include "qelComp_Ctr.h"
#include "qelComp_Dmn.h"
#include "qelComp_Fld.h"
#include "qelComp_Idx.h"
#include "qelComp_Prc.h"
#include "qelComp_Rol.h"
#include "qelComp_Rul.h"
#include "qelComp_Tbl.h"
#include "qelComp_Trg.h"
#include "qelComp_Viw.h"
#include "qelMsgMngr.h"
#include "qelObjs.h"
#include "qelText.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <string>
#include <vector>

using namespace qel;

namespace {

const char* const kStatTypes[] = {"stConnect", "stReconnect", "stCreateDb", "stSet", "stSetBlobFile", "st_Commit",
                                  "stStatement", "stComment", "stProcedure", "stTrigger", "stSetNames", "stCharSet",
                                  "stSqlDialect", "stDescription", "stSelect", "stInsert", "stUpdate", "stDelete",
                                  "stExecuteBlock", "stPackage"};

// Parses a script into a collection of its own and records what the parser
// reports: statements as "StatType|ObjName|ObjType|Operation|ParentName|SQL"
// (kinds by number past the statement type), messages as "text @line:column".
struct TRun {
    explicit TRun(const std::string& Text, bool Full = false)
    {
        objs.SetDatabaseType(TDatabaseType::dbMSSQL);
        objs.MSSQLServerOptions().SQLServerVersion = TMSSQLServerVersionType::st_MSSQL2017;
        parser = MakeParser<TMSSQLParser>();
        parser->ScriptName = "s.sql";
        parser->OnErrorMessage = [this](TObject&, const std::string& t) { Events.push_back(t); };
        parser->OnWarning = [this](TObject&, const std::string& t) { Warnings.push_back(t); };
        parser->OnAddStatement = [this](TObject&, const std::string& SQL, TStatType St, const std::string& Obj,
                                        TDbObject Ot, TDbOperation Op, const std::string& Parent, TStatement*&) {
            Statements.push_back(std::string(kStatTypes[static_cast<int>(St)]) + "|" + Obj + "|" +
                                 std::to_string(static_cast<int>(Ot)) + "|" + std::to_string(static_cast<int>(Op)) +
                                 "|" + Parent + "|" + SQL);
        };
        if (Full) {
            parser->SetObjs(&objs);
            parser->SetSource(Text);
            parser->Parse();
            return;
        }
        TStringList lines;
        lines.SetText(Text);
        parser->ParseScript(lines, &objs);
    }
    std::vector<std::string> Messages() const
    {
        std::vector<std::string> out;
        for (int i = 0; i < parser->Messages().Count(); ++i) {
            const TMsgData& m = parser->Messages().Items(i);
            out.push_back(m.Text + " @" + std::to_string(m.Line) + ":" + std::to_string(m.Column));
        }
        return out;
    }
    TObjs objs;
    std::unique_ptr<TMSSQLParser> parser;
    std::vector<std::string> Statements, Events, Warnings;
};

std::string Join(const std::vector<std::string>& Items)
{
    std::string out;
    for (const auto& s : Items) out += s + "\n";
    return out;
}

} // namespace

TEST(MSSQLScratch, Dump)
{
    const char* env = std::getenv("MSSQL_SCRIPT");
    if (env == nullptr) GTEST_SKIP();
    std::ifstream f(env);
    std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    TRun r(text, std::getenv("MSSQL_FULL") != nullptr);
    for (const auto& item : r.objs.Procedures)
        for (const auto& use : item.Object->Uses) std::cout << item.Key << " -> " << use.Name << "\n";
    for (const auto& item : r.objs.Views)
        for (const auto& use : item.Object->Uses) std::cout << item.Key << " -> " << use.Name << "\n";
    for (const auto& item : r.objs.Triggers)
        for (const auto& use : item.Object->Uses) std::cout << item.Key << " -> " << use.Name << "\n";
    std::cout << Join(r.Statements) << "--- messages\n" << Join(r.Messages()) << "--- events\n" << Join(r.Events);
}
