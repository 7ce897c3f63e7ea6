// What the executor tests share: the engine-level test databases (see
// qelEngineTestSupport.h) and a recorder of an executor's log and errors.
#pragma once

#include "qelEngineTestSupport.h"
#include "qelSQL_Exec.h"

#include <algorithm>
#include <string>
#include <vector>

namespace qeltest {

// Records what an executor reports.
struct TRecorder {
    std::vector<std::string> Log;
    std::vector<std::string> Errors;

    void Attach(qel::TCustomSQLExec& X)
    {
        X.OnLogNextLine = [this](qel::TObject&, const std::string& t) { Log.push_back(t); };
        X.OnErrorMessage = [this](qel::TObject&, const std::string& t) { Errors.push_back(t); };
    }
    bool Logged(const std::string& Line) const { return std::find(Log.begin(), Log.end(), Line) != Log.end(); }
    int LogCount(const std::string& Line) const
    {
        return static_cast<int>(std::count(Log.begin(), Log.end(), Line));
    }
    bool AnyLogContains(const std::string& Part) const
    {
        return std::any_of(Log.begin(), Log.end(), [&](const std::string& l) { return l.find(Part) != std::string::npos; });
    }
    std::string AllErrors() const
    {
        std::string r;
        for (const auto& e : Errors) r += e + "\n";
        return r;
    }
};

} // namespace qeltest
