// The Microsoft SQL Server executor: CREATE DATABASE runs as a plain
// statement on the connection instead of through the back end.
#pragma once

#include "qelSQL_Exec.h"

#include <string>

namespace qel {

class TMSSQLExec : public TSQLExec {
public:
    explicit TMSSQLExec(TComponent* AOwner = nullptr);
    std::string ClassName() const override { return "TMSSQLExec"; }

protected:
    // Connects when needed, commits an open transaction and runs the
    // statement's text with ExecSQL.
    bool ExecCreateDatabase() override;
};

} // namespace qel
