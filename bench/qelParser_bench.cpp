// The parse rate of the script parsers beside the rate of their tokenizer
// alone over the same text: employee.sql repeated to SIZE, and generated
// scripts of N statements (InterBase and T-SQL). Each rate is the best of
// REPS runs, parse and tokenizer taken in turn.
//
//   qelParser_bench EMPLOYEE_SQL [SIZE_MB N REPS]     (10, 100000, 3)
//
// prints "name value" lines: <case>_bytes, <case>_parse_mbs,
// <case>_token_mbs, for the cases employee, generated_ib and generated_ms.
#include "qelIBExParser.h"
#include "qelMSSQLScriptParser.h"
#include "qelObjs.h"
#include "qelStrings.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>

using namespace qel;

namespace {

// The tokenizer alone: every token of the text read, no statement rule run
// and nothing filed.
template <class P>
class TTokensOnly : public P {
public:
    void Parse() override { TCustomParser::Parse(); }
    void AfterParse() override {}
};

std::string ReadAll(const std::string& Path)
{
    std::ifstream in(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Seconds to read Text with a parser of class P into a fresh collection
// (freed inside the timing).
template <class P>
double Seconds(const std::string& Text, bool MSSQL)
{
    const auto start = std::chrono::steady_clock::now();
    {
        TObjs objs;
        objs.SetDatabaseType(MSSQL ? TDatabaseType::dbMSSQL : TDatabaseType::dbInterBase);
        if (!MSSQL) objs.IBServerOptions().SQLServerVersion = TIBSQLServerVersionType::st_Firebird_30;
        auto parser = MakeParser<P>();
        parser->ProgressEnabled = false;
        parser->OnErrorMessage = [](TObject&, const std::string&) {};
        parser->OnAddStatement = [](TObject&, const TParsedStatement&, TStatement*&) {};
        TStringList lines;
        lines.SetText(Text);
        parser->ParseScript(lines, &objs);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// N statements of the kinds scripts hold most: tables, inserts, updates,
// views and, every 100th, a procedure.
std::string Generated(int N, bool MSSQL)
{
    std::string out;
    const std::string end = MSSQL ? "\r\nGO\r\n" : ";\r\n";
    if (!MSSQL) out += "SET SQL DIALECT 3;\r\n";
    for (int i = 0; i < N; ++i) {
        const std::string t = "T" + std::to_string(i / 10);
        switch (i % 10) {
        case 0: out += "CREATE TABLE " + t + " (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40), AMOUNT NUMERIC(18,4))"; break;
        case 5: out += "CREATE VIEW V" + std::to_string(i) + " AS SELECT ID, NAME FROM " + t + " WHERE AMOUNT > 10"; break;
        case 7: out += "UPDATE " + t + " SET AMOUNT = AMOUNT * 2 WHERE ID = " + std::to_string(i); break;
        case 9:
            if (i % 100 == 99) {
                out += MSSQL ? "CREATE PROCEDURE P" + std::to_string(i) + " @X int AS\r\nBEGIN\r\n  UPDATE " + t +
                                   " SET AMOUNT = @X WHERE ID = @X\r\n  SELECT NAME FROM " + t + "\r\nEND"
                             : "SET TERM ^ ;\r\nCREATE PROCEDURE P" + std::to_string(i) +
                                   " (X INTEGER) AS\r\nBEGIN\r\n  UPDATE " + t +
                                   " SET AMOUNT = :X WHERE ID = :X;\r\nEND^\r\nSET TERM ; ^";
                out += MSSQL ? end : "\r\n";
                continue;
            }
            [[fallthrough]];
        default:
            out += "INSERT INTO " + t + " (ID, NAME, AMOUNT) VALUES (" + std::to_string(i) + ", 'Name " +
                   std::to_string(i) + "', " + std::to_string(i % 1000) + ".25)";
        }
        out += end;
    }
    return out;
}

template <class P>
void Measure(const std::string& Case, const std::string& Text, bool MSSQL, int Reps)
{
    double parse = 1e30, token = 1e30;
    for (int r = 0; r < Reps; ++r) {
        parse = std::min(parse, Seconds<P>(Text, MSSQL));
        token = std::min(token, Seconds<TTokensOnly<P>>(Text, MSSQL));
    }
    const double mb = static_cast<double>(Text.size()) / 1e6;
    std::cout << Case << "_bytes " << Text.size() << "\n"
              << Case << "_parse_mbs " << mb / parse << "\n"
              << Case << "_token_mbs " << mb / token << "\n";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: qelParser_bench EMPLOYEE_SQL [SIZE_MB N REPS]\n";
        return 2;
    }
    const std::string employee = ReadAll(argv[1]);
    const double sizeMb = argc > 2 ? std::stod(argv[2]) : 10;
    const int n = argc > 3 ? std::stoi(argv[3]) : 100000;
    const int reps = argc > 4 ? std::stoi(argv[4]) : 3;
    if (employee.empty()) {
        std::cerr << "cannot read " << argv[1] << "\n";
        return 1;
    }
    std::string big;
    while (static_cast<double>(big.size()) < sizeMb * 1024 * 1024) big += employee + "\r\n";
    Measure<TIbExParser>("employee", big, false, reps);
    Measure<TIbExParser>("generated_ib", Generated(n, false), false, reps);
    Measure<TMSSQLParser>("generated_ms", Generated(n, true), true, reps);
    return 0;
}
