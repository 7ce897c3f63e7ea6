// What the MS SQL script-parser tests share: a parse of a script, split or
// in full mode, into a collection of its own, with what the parser reported.
#pragma once

#include "qelMSSQLScriptParser.h"

#include "qelMsgMngr.h"
#include "qelObjs.h"
#include "qelStatementText.h"

#include <memory>
#include <utility>
#include <string>
#include <vector>

namespace qeltest {

// Parses a script (split and object-source pass, or Parse alone in full mode)
// into a collection of its own and records what the parser reports.
struct TRun : TParseRun<qel::TMSSQLParser> {
    explicit TRun(const std::string& Text, bool Full = false,
                  qel::TMSSQLServerVersionType Version = qel::TMSSQLServerVersionType::st_MSSQL2017)
        : TParseRun(qel::TDatabaseType::dbMSSQL)
    {
        objs.MSSQLServerOptions().SQLServerVersion = Version;
        if (Full) ParseWhole(Text);
        else ParseScript(Text);
        for (const qel::TParsedStatement& s : Parsed)
            Statements.push_back(StatementText(s.StatType, s.ObjName, s.ObjType, s.Operation, s.ParentName, s.SQL));
    }
    // What Obj uses, as "NAME" or "NAME.FIELD", in order.
    static std::vector<std::string> Uses(const qel::TDbObj* Obj)
    {
        std::vector<std::string> out;
        if (Obj != nullptr)
            for (const auto& use : Obj->Uses)
                out.push_back(use.Name + (use.Object->FieldName.empty() ? "" : "." + use.Object->FieldName));
        return out;
    }
    // "T DBO.T1", "V DBO.V", "I IX1", "D DBO.TT", "P DBO.P", "R DBO.TR": every
    // table, view, index, type, routine and trigger filed, by kind and key.
    std::vector<std::string> Filed() const
    {
        std::vector<std::string> out;
        const std::pair<const char*, const qel::TObjIndex*> kinds[] = {
            {"T", &objs.Tables},  {"V", &objs.Views},      {"I", &objs.Indexes},
            {"D", &objs.Domains}, {"P", &objs.Procedures}, {"R", &objs.Triggers}};
        for (const auto& [kind, index] : kinds)
            for (int i = 0; i < index->Count(); ++i) out.push_back(std::string(kind) + " " + index->Keys(i));
        return out;
    }
    std::vector<std::string> Statements;
};


} // namespace qeltest
