// What the Firebird script tests share: a script read by the body parser into
// a collection, its statements, messages, objects and links as short texts.
#pragma once

#include "qelComp_Ctr.h"
#include "qelComp_Dmn.h"
#include "qelComp_Exc.h"
#include "qelComp_Fld.h"
#include "qelComp_Gnr.h"
#include "qelComp_Idx.h"
#include "qelComp_Pkg.h"
#include "qelComp_Prc.h"
#include "qelComp_Tbl.h"
#include "qelComp_Trg.h"
#include "qelComp_Viw.h"
#include "qelIBExParser.h"
#include "qelMsgMngr.h"
#include "qelObjs.h"
#include "qelStatementText.h"

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace qeltest {

// A script read into a collection as the executor reads it (dialect 3 unless
// the script says otherwise).
struct TIBScriptRun : TParseRun<qel::TIbExParser> {
    explicit TIBScriptRun(const std::string& Text,
                          qel::TIBSQLServerVersionType Version = qel::TIBSQLServerVersionType::st_Firebird_30,
                          const std::string& Name = "s.sql")
        : TParseRun(qel::TDatabaseType::dbInterBase, Name)
    {
        objs.IBServerOptions().SQLServerVersion = Version;
        ParseScript(Text);
        for (const qel::TParsedStatement& s : Parsed)
            Statements.push_back(
                {static_cast<int>(s.StatType), static_cast<int>(s.ObjType), s.ObjName, s.ParentName, s.SQL});
    }

    // Every filed object as "kind:name" (kind TABLE, VIEW, PROCEDURE,
    // FUNCTION, TRIGGER, DOMAIN, GENERATOR, EXCEPTION, INDEX, CONSTRAINT,
    // PACKAGE, UDF, ROLE), constraints and indexes with ".table".
    std::set<std::string> Objects() const
    {
        std::set<std::string> out;
        const auto add = [&](const char* Kind, const qel::TObjIndex& List) {
            for (const auto& item : List) out.insert(std::string(Kind) + ":" + item.Object->Name());
        };
        add("TABLE", objs.Tables);
        add("VIEW", objs.Views);
        for (const auto& item : objs.Procedures)
            if (const auto* p = dynamic_cast<const qel::TPrcData*>(item.Object))
                out.insert(std::string(p->IsFunction ? "FUNCTION:" : "PROCEDURE:") + p->Name());
        add("TRIGGER", objs.Triggers);
        add("DOMAIN", objs.Domains);
        add("GENERATOR", objs.Generators);
        add("EXCEPTION", objs.Exceptions);
        add("PACKAGE", objs.Packages);
        add("UDF", objs.UDFs);
        add("ROLE", objs.Roles);
        add("INDEX", objs.Indexes);
        add("CONSTRAINT", objs.Constraints);
        return out;
    }

    // An object by "kind:name" as Objects writes it; nullptr when absent.
    const qel::TDbObj* Object(const std::string& KindName) const
    {
        const std::string kind = KindName.substr(0, KindName.find(':'));
        const std::string name = KindName.substr(KindName.find(':') + 1);
        if (kind == "FUNCTION") return objs.FindProcedure(qel::TPrcData::FunctionKey(name));
        if (kind == "PROCEDURE") return objs.FindProcedure(name);
        if (kind == "TABLE") return objs.FindTable(name);
        if (kind == "VIEW") return objs.FindView(name);
        if (kind == "TRIGGER") return objs.FindTrigger(name);
        if (kind == "DOMAIN") return objs.FindDomain(name);
        if (kind == "PACKAGE") return objs.FindPackage(name);
        if (kind == "GENERATOR") return objs.FindGenerator(name);
        if (kind == "EXCEPTION") return objs.FindException(name);
        if (kind == "INDEX") return objs.FindIndex(name);
        if (kind == "CONSTRAINT") return objs.FindConstraint(name);
        return nullptr;
    }

    // What an object uses, sorted: "T" for an object, "T.A" for a column
    // (its table or view first), "<no object>" without the object.
    std::vector<std::string> Links(const std::string& KindName) const
    {
        const qel::TDbObj* obj = Object(KindName);
        if (obj == nullptr) return {"<no object>"};
        std::vector<std::string> out;
        for (const auto& link : obj->Uses) {
            const qel::TDbObj* target = link.Object->Target;
            const auto* column = dynamic_cast<const qel::TFldData*>(target);
            const std::string& field = link.Object->FieldName;
            out.push_back(column != nullptr ? column->GetParentName() + "." + target->Name()
                                            : target->Name() + (field.empty() ? "" : "." + field));
        }
        std::sort(out.begin(), out.end());
        return out;
    }

    struct TStatementRow {
        int Type = 0;
        int Kind = 0;
        std::string Name, Parent, SQL;
    };

    std::vector<TStatementRow> Statements;
};

} // namespace qeltest
