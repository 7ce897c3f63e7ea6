#include "qelRoundTripSupport.h"

#include "qelTestSupport.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>

namespace qeltest {

namespace {

bool StartsWithWords(const std::string& Text, const std::string& Words)
{
    if (Text.size() < Words.size()) return false;
    for (std::size_t i = 0; i < Words.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(Text[i])) != Words[i]) return false;
    return true;
}

// One blank for each run of white space, none at either end.
std::string Squeezed(const std::string& Text)
{
    std::string out;
    bool blank = false;
    for (const char c : Text) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            blank = !out.empty();
            continue;
        }
        if (blank) out += ' ';
        blank = false;
        out += c;
    }
    return out;
}

} // namespace

std::string RunCommand(const std::string& Command, const std::string& Folder)
{
    const std::string out = Folder + "/command.out";
    const int rc = std::system(("cd '" + Folder + "' && " + Command + " >'" + out + "' 2>&1").c_str());
    const std::string text = ReadFile(out);
    return rc == 0 ? text : "exit " + std::to_string(rc) + ": " + text;
}

TPostgreSQLTool::TPostgreSQLTool(const std::string& Conn)
{
    const auto part = [&Conn](const std::string& Key) {
        const std::size_t at = Conn.find(Key + "=");
        if (at == std::string::npos) return std::string();
        const std::size_t from = at + Key.size() + 1;
        return Conn.substr(from, Conn.find(';', from) - from);
    };
    Login = "PGPASSWORD='" + part("Pwd") + "' ";
    Where = " -h " + part("Server") + " -p " + part("Port") + " -U " + part("Uid") + " -d " + part("Database");
}

std::vector<std::string> ScriptStatements(const std::string& Script)
{
    std::vector<std::string> statements;
    std::string terminator = ";";
    std::string current;
    std::size_t i = 0;
    const auto flush = [&] {
        std::string text = Squeezed(current);
        current.clear();
        if (text.empty()) return;
        if (StartsWithWords(text, "SET TERM ")) {
            std::string rest = Squeezed(text.substr(9));
            terminator = rest.substr(0, rest.find(' '));
            return;
        }
        if (StartsWithWords(text, "COMMIT")) return;
        statements.push_back(text);
    };
    while (i < Script.size()) {
        const char c = Script[i];
        if (c == '/' && i + 1 < Script.size() && Script[i + 1] == '*') {
            const std::size_t end = Script.find("*/", i + 2);
            i = end == std::string::npos ? Script.size() : end + 2;
            current += ' ';
        } else if (c == '\'' || c == '"') {
            std::size_t end = Script.find(c, i + 1);
            end = end == std::string::npos ? Script.size() : end + 1;
            current += Script.substr(i, end - i);
            i = end;
        } else if (Script.compare(i, terminator.size(), terminator) == 0) {
            i += terminator.size();
            flush();
        } else {
            current += c;
            ++i;
        }
    }
    flush();
    return statements;
}

std::string NormalisedExtract(const std::string& Extract)
{
    std::vector<std::string> statements = ScriptStatements(Extract);
    std::sort(statements.begin(), statements.end());
    std::string text;
    for (const std::string& statement : statements) text += statement + "\n";
    return text;
}

std::string ExtractDifference(const std::string& Expected, const std::string& Actual)
{
    const auto lines = [](const std::string& Text) {
        std::multiset<std::string> set;
        std::size_t start = 0;
        while (start < Text.size()) {
            const std::size_t end = Text.find('\n', start);
            set.insert(Text.substr(start, end - start));
            if (end == std::string::npos) break;
            start = end + 1;
        }
        return set;
    };
    const std::multiset<std::string> expected = lines(Expected), actual = lines(Actual);
    std::vector<std::string> missing, extra;
    std::set_difference(expected.begin(), expected.end(), actual.begin(), actual.end(), std::back_inserter(missing));
    std::set_difference(actual.begin(), actual.end(), expected.begin(), expected.end(), std::back_inserter(extra));
    std::string text;
    for (const std::string& line : missing) text += "- " + line + "\n";
    for (const std::string& line : extra) text += "+ " + line + "\n";
    return text;
}

std::string RunIsql(const std::string& Script, const std::string& Folder)
{
    const std::string file = Folder + "/run.sql";
    WriteFile(file, Script);
    return RunCommand("isql-fb -q -user SYSDBA -password masterkey -i '" + file + "'", Folder);
}

std::string ExtractMetadata(const std::string& Database, const std::string& Folder, const std::string& CharSet)
{
    const std::string names = CharSet.empty() ? std::string() : " -ch " + CharSet;
    return RunCommand("isql-fb -x" + names + " -user SYSDBA -password masterkey '" + Database + "'", Folder);
}

} // namespace qeltest
