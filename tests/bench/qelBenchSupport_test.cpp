// The seeded data of the benchmarks: the target differs from the master in
// exactly 1% of the rows of each kind, the same seed gives the same rows, and
// Firebird and PostgreSQL compute the same values from the formulas, so that
// a comparison between them finds only the differences that were made.
#include "qelBenchSupport.h"

#include "qelTestSupport.h"
#include "qelVelmorin.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <stdexcept>
#include <string>

using namespace qel;
using namespace qel::bench;

namespace {

struct TCounts {
    int Inserted = 0, Updated = 0, Deleted = 0, Equal = 0, Errors = 0;
    bool operator==(const TCounts&) const = default;
};

std::ostream& operator<<(std::ostream& o, const TCounts& c)
{
    return o << c.Inserted << "/" << c.Updated << "/" << c.Deleted << "/" << c.Equal << " errors " << c.Errors;
}

TCounts CompareTables(TQELConnection& M, TQELConnection& T, const std::string& TableM, const std::string& TableT)
{
    TVelmorin c;
    c.SetQELConnectionMaster(&M);
    c.SetQELConnectionTarget(&T);
    c.SetTableNameMaster(TableM);
    c.SetTableNameTarget(TableT);
    c.ScriptOptions().GenerateScript = false;
    std::string errors;
    c.OnErrorMessage = [&](TObject&, const std::string& e) { errors += e + "\n"; };
    EXPECT_TRUE(c.Execute()) << errors;
    return {c.Inserted, c.Updated, c.Deleted, c.Equal, c.ErrorCount};
}

class BenchDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qeltest::UsePrivateFirebirdLock();
        Open(master, ParseDbSpec("fb:" + dir.File("m.fdb")), true);
        Open(target, ParseDbSpec("fb:" + dir.File("t.fdb")), true);
    }

    qeltest::TempDir dir;
    TQELConnection master, target;
};

} // namespace

TEST(BenchDbSpec, NamesEmbeddedServerAndPostgreSQLDatabases)
{
    const TDbSpec e = ParseDbSpec("fb:/tmp/x.fdb");
    EXPECT_EQ(e.Kind, TDbKind::FirebirdEmbedded);
    EXPECT_EQ(e.Path, "/tmp/x.fdb");
    const TDbSpec s = ParseDbSpec("fb:127.0.0.1:/srv/x.fdb");
    EXPECT_EQ(s.Kind, TDbKind::FirebirdServer);
    EXPECT_EQ(s.Host, "127.0.0.1");
    EXPECT_EQ(s.Path, "/srv/x.fdb");
    EXPECT_EQ(ParseDbSpec("pg:").Kind, TDbKind::PostgreSQL);
    for (const char* bad : {"", "fb:", "x.fdb", "fb:relative.fdb", "pg:other"})
        EXPECT_THROW(ParseDbSpec(bad), std::invalid_argument) << bad;
}

TEST(BenchBlobBytes, TheSameForTheSameSeedAndRowOnly)
{
    EXPECT_EQ(BlobBytes(7, 3, 1000), BlobBytes(7, 3, 1000));
    EXPECT_NE(BlobBytes(7, 3, 1000), BlobBytes(7, 4, 1000));
    EXPECT_NE(BlobBytes(7, 3, 1000), BlobBytes(8, 3, 1000));
    EXPECT_EQ(BlobBytes(7, 3, 13).size(), 13u);
    EXPECT_EQ(BlobBytes(7, 3, 1000).substr(0, 13), BlobBytes(7, 3, 13));
}

TEST_F(BenchDataTest, TargetDiffersInOnePercentOfTheRowsOfEachKind)
{
    FillRowTable(master, TDbKind::FirebirdEmbedded, "R", 1000, 7, false);
    FillRowTable(target, TDbKind::FirebirdEmbedded, "R", 1000, 7, true);
    EXPECT_EQ(CompareTables(master, target, "R", "R"), (TCounts{10, 10, 10, 980, 0}));
    // Every column is changed by some rows, and no change is undone by the
    // formulas: ten changed rows give ten UPDATEs above, and a second target
    // of the same seed equals the first.
    FillRowTable(master, TDbKind::FirebirdEmbedded, "R2", 1000, 7, true);
    EXPECT_EQ(CompareTables(master, target, "R2", "R"), (TCounts{0, 0, 0, 1000, 0}));
    // Another seed gives other values.
    FillRowTable(master, TDbKind::FirebirdEmbedded, "R3", 1000, 8, true);
    EXPECT_GT(CompareTables(master, target, "R3", "R").Updated, 900);
}

TEST_F(BenchDataTest, BlobTargetDiffersInOnePercentOfTheRowsOfEachKind)
{
    FillBlobTable(master, "B", 300, 2048, 7, false);
    FillBlobTable(target, "B", 300, 2048, 7, true);
    EXPECT_EQ(CompareTables(master, target, "B", "B"), (TCounts{3, 3, 3, 294, 0}));
}

TEST_F(BenchDataTest, PostgreSQLComputesTheSameRowsAsFirebird)
{
    if (qeltest::PostgreSQLString().empty()) QEL_SKIP_OR_FAIL("no PostgreSQL: VELMORIN_PG_CONN is not set");
    TQELConnection pg;
    Open(pg, ParseDbSpec("pg:"));
    const std::string table = "velmorin_bench_test_" + std::to_string(::getpid());
    FillRowTable(target, TDbKind::FirebirdEmbedded, "R", 1000, 7, true);
    FillRowTable(pg, TDbKind::PostgreSQL, table, 1000, 7, true);
    const TCounts same = CompareTables(target, pg, "R", table);
    FillRowTable(pg, TDbKind::PostgreSQL, table, 1000, 7, false);
    const TCounts made = CompareTables(target, pg, "R", table);
    TryExec(pg, "drop table " + table);
    EXPECT_EQ(same, (TCounts{0, 0, 0, 1000, 0}));
    // The master's rows seen from the target: the differences reversed.
    EXPECT_EQ(made, (TCounts{10, 10, 10, 980, 0}));
}
