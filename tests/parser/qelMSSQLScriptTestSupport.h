// What the MS SQL script-parser tests share: a parse of a script, split or
// in full mode, into a collection of its own, with what the parser reported.
#pragma once

#include "qelMSSQLScriptParser.h"

#include "qelMsgMngr.h"
#include "qelObjs.h"
#include "qelStatementText.h"

#include <memory>
#include <string>
#include <vector>

namespace qeltest {

// Parses a script (split and object-source pass, or Parse alone in full mode)
// into a collection of its own and records what the parser reports.
struct TRun {
    explicit TRun(const std::string& Text, bool Full = false,
                  qel::TMSSQLServerVersionType Version = qel::TMSSQLServerVersionType::st_MSSQL2017)
    {
        objs.SetDatabaseType(qel::TDatabaseType::dbMSSQL);
        objs.MSSQLServerOptions().SQLServerVersion = Version;
        parser = qel::MakeParser<qel::TMSSQLParser>();
        parser->ScriptName = "s.sql";
        parser->OnErrorMessage = [this](qel::TObject&, const std::string& t) { Events.push_back(t); };
        parser->OnWarning = [this](qel::TObject&, const std::string& t) { Warnings.push_back(t); };
        parser->OnAddStatement = [this](qel::TObject&, const qel::TParsedStatement& S, qel::TStatement*&) {
            Statements.push_back(qeltest::StatementText(S.StatType, S.ObjName, S.ObjType, S.Operation, S.ParentName, S.SQL));
        };
        if (Full) {
            parser->SetObjs(&objs);
            parser->SetSource(Text);
            parser->Parse();
            return;
        }
        qel::TStringList lines;
        lines.SetText(Text);
        parser->ParseScript(lines, &objs);
    }
    // Every stored message as "text @line:column".
    std::vector<std::string> Messages() const { return MessageTexts(parser->Messages()); }
    // What Obj uses, as "NAME" or "NAME.FIELD", in order.
    static std::vector<std::string> Uses(const qel::TDbObj* Obj)
    {
        std::vector<std::string> out;
        if (Obj != nullptr)
            for (const auto& use : Obj->Uses)
                out.push_back(use.Name + (use.Object->FieldName.empty() ? "" : "." + use.Object->FieldName));
        return out;
    }
    qel::TObjs objs;
    std::unique_ptr<qel::TMSSQLParser> parser;
    std::vector<std::string> Statements, Events, Warnings;
};


} // namespace qeltest
