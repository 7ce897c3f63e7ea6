// One statement of a script, as the statement list holds it.
#pragma once

#include "qelComponent.h"
#include "qelConnectionOptions.h"
#include "qelStrings.h"
#include "qelTypes.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qel {

class TCustomSQLExec;

// One statement of a script: its lines and what is known about it. Created by
// the executor (CreateStatement) and owned by its list.
class TStatement : public TObject {
public:
    explicit TStatement(TCustomSQLExec* Owner);
    ~TStatement() override;
    std::string ClassName() const override { return "TStatement"; }

    TCustomSQLExec* Owner() const { return m_owner; }

    TStringList SQL;
    TStatType StatType = TStatType::stStatement;
    // 0-based index of the first line in the last script written with line
    // numbers recorded.
    std::int32_t LineNo = 0;
    // Lines of SQL when the statement was added.
    std::int32_t LineCount = 0;
    // Already run: skipped by Execute and left out of a written script.
    bool Executed = false;
    TDbObject ObjType = TDbObject::dboUnknown;
    TDbOperation Operation = TDbOperation::odbUnknown;
    std::string ObjName;
    std::string ParentName;
    std::string Description;
    // The message of the last failure of this statement.
    std::string ErrorText;
    // The script's parser reported an error in it; it runs as it was read.
    bool LoadError = false;
    std::string Terminator;
    // The database and login a CONNECT names, as the script's parser read
    // them when it handed the statement on; null when only the text is
    // known (the executor reads the text then), and again once the text
    // changes.
    std::unique_ptr<const TConnectionOptions> ConnectsTo;

    // The statement in one line for the log:
    //   ObjName ORDERS, odbUpdate          -> "ORDERS: update"
    //   ObjName NAME, dboField, parent T   -> "T (NAME): alter"
    //   no name, text "SET SQL DIALECT 3"  -> "SET SQL DIALECT 3"
    std::string GetSummary() const;

    // The text exactly as it was added, as long as nobody changed the lines
    // since; else the lines joined by CR LF. Splitting into lines turns a lone
    // LF or CR inside a string literal into a line break of its own, so what
    // runs against a database is this text, never the re-joined lines.
    std::string ExactText() const { return m_hasExact && m_exact ? *m_exact : SQL.Text(); }
    void SetExactText(const std::string& Text);
    // The text of Other, shared rather than copied (a batch that GO n runs
    // n times holds its text once).
    void ShareTextOf(const TStatement& Other);

private:
    TCustomSQLExec* m_owner;
    std::shared_ptr<const std::string> m_exact;
    bool m_hasExact = false;
};

} // namespace qel
