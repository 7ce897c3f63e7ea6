// The comparison both executor benchmarks time: one table compared from the
// master into a script the target's executor holds, the first errors of the
// comparer and the executor printed (a run that prints none went clean).
#pragma once

#include "qelDBEngine.h"
#include "qelSQL_Exec.h"
#include "qelVelmorin.h"

#include <iostream>
#include <string>

namespace qel::bench {

// False when the comparison failed. Errors counts every error reported,
// the executor's later ones too: it must outlive Exec's run.
inline bool CompareIntoExecutor(TQELConnection& Master, TQELConnection& Target, TSQLExec& Exec,
                                const std::string& Table, const std::string& Script, int& Errors)
{
    const auto report = [&Errors](const char* Who) {
        return [&Errors, Who](TObject&, const std::string& Text) {
            if (++Errors <= 3) std::cerr << Who << ": " << Text << "\n";
        };
    };
    Exec.SetQELConnection(&Target);
    Exec.OnErrorMessage = report("executor");
    TVelmorin c;
    c.SetQELConnectionMaster(&Master);
    c.SetQELConnectionTarget(&Target);
    c.SetTableNameMaster(Table);
    c.SetTableNameTarget(Table);
    c.SetScriptFileName(Script);
    c.SetSQLExec(&Exec);
    c.OnErrorMessage = report("comparer");
    return c.Execute();
}

} // namespace qel::bench
