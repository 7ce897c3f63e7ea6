// What the Firebird script tests ask of isql-fb: that it runs a script on a
// new database without an error, and which objects that database then holds,
// as the kind:name texts TIBScriptRun::Objects writes (with "COLUMN:T.C" for
// each table column and "GRANT:object>grantee" for each grant), so that a
// loaded collection is compared with the database the script builds.
#pragma once

#include "qelComp_Rol.h"
#include "qelIBScriptTestSupport.h"
#include "qelTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <sstream>
#include <string>

namespace qeltest {

// The objects of the user's database, one "kind:name" a line.
inline const char* const kIsqlCatalogQuery = R"(SET HEADING OFF;
SET LIST OFF;
SELECT CAST(K AS VARCHAR(300)) FROM (
SELECT 'TABLE:' || TRIM(RDB$RELATION_NAME) AS K FROM RDB$RELATIONS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 AND RDB$VIEW_BLR IS NULL
UNION ALL SELECT 'VIEW:' || TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 AND RDB$VIEW_BLR IS NOT NULL
UNION ALL SELECT 'COLUMN:' || TRIM(F.RDB$RELATION_NAME) || '.' || TRIM(F.RDB$FIELD_NAME) FROM RDB$RELATION_FIELDS F JOIN RDB$RELATIONS R ON R.RDB$RELATION_NAME = F.RDB$RELATION_NAME WHERE COALESCE(R.RDB$SYSTEM_FLAG, 0) = 0 AND R.RDB$VIEW_BLR IS NULL
UNION ALL SELECT 'PROCEDURE:' || TRIM(RDB$PROCEDURE_NAME) FROM RDB$PROCEDURES WHERE RDB$PACKAGE_NAME IS NULL AND COALESCE(RDB$SYSTEM_FLAG, 0) = 0
UNION ALL SELECT 'FUNCTION:' || TRIM(RDB$FUNCTION_NAME) FROM RDB$FUNCTIONS WHERE RDB$PACKAGE_NAME IS NULL AND COALESCE(RDB$SYSTEM_FLAG, 0) = 0 AND RDB$MODULE_NAME IS NULL
UNION ALL SELECT 'UDF:' || TRIM(RDB$FUNCTION_NAME) FROM RDB$FUNCTIONS WHERE RDB$PACKAGE_NAME IS NULL AND COALESCE(RDB$SYSTEM_FLAG, 0) = 0 AND RDB$MODULE_NAME IS NOT NULL
UNION ALL SELECT 'TRIGGER:' || TRIM(T.RDB$TRIGGER_NAME) FROM RDB$TRIGGERS T WHERE COALESCE(T.RDB$SYSTEM_FLAG, 0) = 0 AND NOT EXISTS (SELECT 1 FROM RDB$CHECK_CONSTRAINTS C WHERE C.RDB$TRIGGER_NAME = T.RDB$TRIGGER_NAME)
UNION ALL SELECT 'DOMAIN:' || TRIM(RDB$FIELD_NAME) FROM RDB$FIELDS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 AND RDB$FIELD_NAME NOT LIKE 'RDB$%'
UNION ALL SELECT 'GENERATOR:' || TRIM(RDB$GENERATOR_NAME) FROM RDB$GENERATORS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 AND RDB$GENERATOR_NAME NOT LIKE 'RDB$%'
UNION ALL SELECT 'EXCEPTION:' || TRIM(RDB$EXCEPTION_NAME) FROM RDB$EXCEPTIONS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0
UNION ALL SELECT 'INDEX:' || TRIM(I.RDB$INDEX_NAME) FROM RDB$INDICES I WHERE COALESCE(I.RDB$SYSTEM_FLAG, 0) = 0 AND NOT EXISTS (SELECT 1 FROM RDB$RELATION_CONSTRAINTS C WHERE C.RDB$INDEX_NAME = I.RDB$INDEX_NAME)
UNION ALL SELECT 'CONSTRAINT:' || TRIM(RDB$CONSTRAINT_NAME) FROM RDB$RELATION_CONSTRAINTS WHERE RDB$CONSTRAINT_TYPE <> 'NOT NULL' AND RDB$CONSTRAINT_NAME NOT LIKE 'INTEG!_%' ESCAPE '!' AND RDB$CONSTRAINT_NAME NOT LIKE 'RDB$%'
UNION ALL SELECT 'PACKAGE:' || TRIM(RDB$PACKAGE_NAME) FROM RDB$PACKAGES WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0
UNION ALL SELECT 'ROLE:' || TRIM(RDB$ROLE_NAME) FROM RDB$ROLES WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0
UNION ALL SELECT DISTINCT 'GRANT:' || TRIM(RDB$RELATION_NAME) || '>' || TRIM(RDB$USER) FROM RDB$USER_PRIVILEGES WHERE RDB$USER <> 'SYSDBA' AND RDB$RELATION_NAME NOT LIKE 'RDB$%' AND RDB$RELATION_NAME NOT LIKE 'MON$%' AND RDB$RELATION_NAME NOT LIKE 'SEC$%'
);
)";

inline bool IsqlInstalled() { return std::system("command -v isql-fb >/dev/null 2>&1") == 0; }

// Runs Script on a new database (created by the script's first line) in a
// folder of its own; what isql-fb wrote, errors included.
inline std::string RunIsql(const TempDir& Dir, const std::string& Script)
{
    WriteFile(Dir.File("s.sql"), "CREATE DATABASE 'forms.fdb';\n" + Script);
    std::system(("cd '" + Dir.Path().string() + "' && isql-fb -q -user SYSDBA -password masterkey -i s.sql "
                 ">isql.out 2>&1").c_str());
    return ReadFile(Dir.File("isql.out"));
}

// isql-fb runs the script on a new database without an error.
inline void ExpectIsqlRuns(const std::string& Script)
{
    if (!IsqlInstalled()) QEL_SKIP_OR_FAIL("isql-fb is not installed");
    TempDir dir;
    const std::string out = RunIsql(dir, Script);
    EXPECT_EQ(out.find("Statement failed"), std::string::npos) << out;
}

// What isql-fb -x writes of the database Script builds ("" without isql-fb).
inline std::string IsqlExtract(const std::string& Script)
{
    TempDir dir;
    const std::string out = RunIsql(dir, Script);
    EXPECT_EQ(out.find("Statement failed"), std::string::npos) << out;
    std::system(("cd '" + dir.Path().string() + "' && isql-fb -x -user SYSDBA -password masterkey forms.fdb "
                 ">x.sql 2>&1").c_str());
    return ReadFile(dir.File("x.sql"));
}

// The objects of the database Script builds; the script must run without an
// error, or with Refused, fail in some statement.
inline std::set<std::string> IsqlObjects(const std::string& Script, bool Refused = false)
{
    TempDir dir;
    const std::string out = RunIsql(dir, Script);
    EXPECT_EQ(out.find("Statement failed") != std::string::npos, Refused) << out;
    WriteFile(dir.File("q.sql"), kIsqlCatalogQuery);
    std::system(("cd '" + dir.Path().string() + "' && isql-fb -q -user SYSDBA -password masterkey forms.fdb -i q.sql "
                 ">q.out 2>&1").c_str());
    std::set<std::string> objects;
    std::istringstream lines(ReadFile(dir.File("q.out")));
    for (std::string line; std::getline(lines, line);) {
        while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
        if (!line.empty()) objects.insert(line);
    }
    return objects;
}

// The same texts of a loaded collection: named objects, table columns and
// grants.
inline std::set<std::string> CollectionObjects(const TIBScriptRun& Run)
{
    std::set<std::string> objects;
    for (const std::string& o : Run.Objects())
        if (o.back() != ':') objects.insert(o);
    for (const auto& item : Run.objs.Tables)
        if (const auto* table = dynamic_cast<const qel::TTblData*>(item.Object))
            for (const auto& field : table->Fields) objects.insert("COLUMN:" + table->Name() + "." + field.Name);
    for (const auto& item : Run.objs.Grants)
        if (const auto* g = dynamic_cast<const qel::TGntData*>(item.Object))
            objects.insert("GRANT:" + g->ObjectName + ">" + g->Grantee);
    return objects;
}

} // namespace qeltest
