// Seeds and dictionaries of the parser fuzz targets.
//
//   qelFuzzCorpus dict ib|mssql                 the dictionary: every keyword
//                                               of the parser, and its marks
//   qelFuzzCorpus seeds ib|mssql DIR FILE...    one seed per script file, per
//                                               script text of a C++ test
//                                               source (.cpp, .h), and per
//                                               generated nesting; each seed
//                                               starts with the setup byte
#include "qelIBExParser.h"
#include "qelMSSQLScriptParser.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

// The most a seed holds: the targets run with -max_len=65536.
constexpr std::size_t kMaxSeed = 65000;

std::string ReadAll(const std::string& Path)
{
    std::ifstream in(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Repeat(const std::string& Text, int Count)
{
    std::string out;
    for (int i = 0; i < Count; ++i) out += Text;
    return out;
}

// A dictionary entry: the text in double quotes, escaped as libFuzzer reads it.
std::string DictEntry(const std::string& Text)
{
    std::string out = "\"";
    for (const char c : Text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", u);
            out += hex;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

int WriteDict(bool MSSQL)
{
    std::unique_ptr<qel::TCustomParser> parser;
    if (MSSQL) parser = qel::MakeParser<qel::TMSSQLParser>();
    else parser = qel::MakeParser<qel::TIbExParser>();
    for (int i = 0; i < parser->ResWords().Count(); ++i) std::cout << DictEntry(parser->ResWords().Strings(i)) << "\n";
    const std::vector<std::string> marks =
        MSSQL ? std::vector<std::string>{"\r\nGO\r\n", "\r\nGO 3\r\n", "[", "]", "N'", "/*", "*/", "--", "@@", "#", ":r ",
                                         "BEGIN TRY", "END TRY", "BEGIN CATCH", "END CATCH", "'", "\"", "\r", "\n", std::string(1, '\0')}
              : std::vector<std::string>{"SET TERM ^ ;", "SET TERM ; ^", "^", "'", "\"", "q'{", "}'", "/*", "*/", "--",
                                         ":", "||", "INPUT ", "_UTF8 ", "x'", "\r", "\n", std::string(1, '\0')};
    for (const std::string& m : marks) std::cout << DictEntry(m) << "\n";
    return 0;
}

// The text of a C++ escape at I (after the backslash); I is moved past it.
std::string Unescape(const std::string& S, std::size_t& I)
{
    const char c = S[I++];
    switch (c) {
    case 'n': return "\n";
    case 'r': return "\r";
    case 't': return "\t";
    case '0':
        while (I < S.size() && S[I] >= '0' && S[I] <= '7') ++I;
        return std::string(1, '\0');
    case 'x': {
        unsigned value = 0;
        while (I < S.size() && std::isxdigit(static_cast<unsigned char>(S[I])))
            value = value * 16 + static_cast<unsigned>(std::stoi(std::string(1, S[I++]), nullptr, 16));
        return std::string(1, static_cast<char>(value & 0xFF));
    }
    default: return std::string(1, c);
    }
}

// The string literals of a C++ source, adjacent ones joined, that look like
// scripts (a blank inside, a dozen characters at least).
std::vector<std::string> ScriptLiterals(const std::string& S)
{
    std::vector<std::string> out;
    std::string current;
    bool open = false;
    const auto flush = [&] {
        if (open && current.size() >= 12 && current.find_first_of(" \n") != std::string::npos) out.push_back(current);
        current.clear();
        open = false;
    };
    std::size_t i = 0;
    while (i < S.size()) {
        const char c = S[i];
        if (S.compare(i, 2, "//") == 0) {
            while (i < S.size() && S[i] != '\n') ++i;
        } else if (S.compare(i, 2, "/*") == 0) {
            const std::size_t end = S.find("*/", i + 2);
            i = end == std::string::npos ? S.size() : end + 2;
        } else if (c == '\'') {
            // A character literal ('"', '\''), or a digit separator.
            ++i;
            if (i < S.size() && S[i] == '\\') i += 2;
            else ++i;
            if (i < S.size() && S[i] == '\'') ++i;
        } else if (c == 'R' && S.compare(i + 1, 1, "\"") == 0) {
            const std::size_t paren = S.find('(', i + 2);
            if (paren == std::string::npos) break;
            const std::string close = ")" + S.substr(i + 2, paren - i - 2) + "\"";
            const std::size_t end = S.find(close, paren);
            if (end == std::string::npos) break;
            current += S.substr(paren + 1, end - paren - 1);
            open = true;
            i = end + close.size();
        } else if (c == '"') {
            ++i;
            while (i < S.size() && S[i] != '"') {
                if (S[i] == '\\') {
                    ++i;
                    current += Unescape(S, i);
                } else {
                    current += S[i++];
                }
            }
            ++i;
            open = true;
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            ++i;
        } else {
            flush();
            ++i;
        }
    }
    flush();
    return out;
}

// Scripts that nest every recursive construct past the limit.
std::vector<std::string> NestingSeeds(bool MSSQL)
{
    const int n = 260;
    std::vector<std::string> out;
    const std::string from = MSSQL ? " AS x" : " FROM T";
    out.push_back("CREATE VIEW V AS SELECT " + Repeat("(", n) + "1" + Repeat(")", n) + from + (MSSQL ? "\nGO\n" : ";\n"));
    out.push_back("CREATE VIEW V AS SELECT " + Repeat("CASE WHEN 1 = 1 THEN ", n) + "1" + Repeat(" END", n) + from +
                  (MSSQL ? "\nGO\n" : ";\n"));
    out.push_back("CREATE VIEW V AS " + Repeat("SELECT * FROM (", n) + "SELECT 1 AS A" + (MSSQL ? "" : " FROM T") +
                  Repeat(") D", n) + (MSSQL ? "\nGO\n" : ";\n"));
    if (MSSQL) {
        out.push_back("CREATE PROCEDURE P AS\n" + Repeat("BEGIN\n", n) + "SELECT 1\n" + Repeat("END\n", n) + "GO\n");
        out.push_back("CREATE PROCEDURE P AS\n" + Repeat("IF 1 = 1 WHILE 1 = 0 BEGIN TRY\n", n) + "SELECT 1\n" +
                      Repeat("END TRY BEGIN CATCH END CATCH\n", n) + "GO 2\nSELECT NOT 1\nGO\n");
    } else {
        out.push_back("SET TERM ^ ;\nCREATE PROCEDURE P AS\n" + Repeat("BEGIN\n", n) + "EXIT;\n" + Repeat("END\n", n) +
                      "^\nSET TERM ; ^\n");
        out.push_back("SET TERM ^ ;\nCREATE PROCEDURE P AS BEGIN\n" + Repeat("IF (1 = 1) THEN WHILE (1 = 0) DO BEGIN\n", n) +
                      "EXIT;\n" + Repeat("END\n", n) + "END^\nSET TERM ; ^\nCOMMIT;\n");
    }
    return out;
}

int WriteSeeds(bool MSSQL, const std::string& Dir, const std::vector<std::string>& Files)
{
    namespace fs = std::filesystem;
    fs::create_directories(Dir);
    int count = 0;
    const auto write = [&](std::string Text) {
        if (Text.size() > kMaxSeed) {
            const std::size_t cut = Text.rfind('\n', kMaxSeed);
            Text.resize(cut == std::string::npos ? kMaxSeed : cut + 1);
        }
        // Firebird 3 in dialect 3, and MS SQL 2017 without QUOTED_IDENTIFIER;
        // the fuzzer reaches the other setups from there.
        const std::string path = Dir + "/seed-" + std::to_string(++count);
        std::ofstream(path, std::ios::binary) << static_cast<char>(2) << Text;
    };
    for (const std::string& file : Files) {
        const std::string text = ReadAll(file);
        const std::string ext = fs::path(file).extension().string();
        if (ext == ".cpp" || ext == ".h") {
            for (const std::string& literal : ScriptLiterals(text)) write(literal);
        } else {
            write(text);
        }
    }
    for (const std::string& seed : NestingSeeds(MSSQL)) write(seed);
    std::cerr << count << " seeds in " << Dir << "\n";
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 2 && args[0] == "dict" && (args[1] == "ib" || args[1] == "mssql")) return WriteDict(args[1] == "mssql");
    if (args.size() >= 3 && args[0] == "seeds" && (args[1] == "ib" || args[1] == "mssql"))
        return WriteSeeds(args[1] == "mssql", args[2], std::vector<std::string>(args.begin() + 3, args.end()));
    std::cerr << "usage: qelFuzzCorpus dict ib|mssql\n       qelFuzzCorpus seeds ib|mssql DIR FILE...\n";
    return 2;
}
