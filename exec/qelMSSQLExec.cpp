#include "qelMSSQLExec.h"

#include "qelDBEngine.h"
#include "qelMSSQLWords.h"
#include "qelMSSQLScriptParser.h"
#include "qelMsgMngr.h"
#include "qelObjs.h"
#include "qelText.h"
#include "qelWords.h"

#include <cctype>
#include <istream>
#include <string_view>
#include <iterator>

namespace qel {

namespace {

// The script's text in UTF-8, in place: a UTF-8 byte-order mark is dropped, UTF-16
// with a byte-order mark (either byte order) is decoded; a lone surrogate
// becomes U+FFFD. Text without a mark is taken as it is.
void ScriptText(std::string& Bytes)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(Bytes[i]); };
    if (Bytes.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) {
        Bytes.erase(0, 3);
        return;
    }
    if (Bytes.size() < 2) return;
    const bool little = byte(0) == 0xFF && byte(1) == 0xFE;
    const bool big = byte(0) == 0xFE && byte(1) == 0xFF;
    if (!little && !big) return;
    const auto unit = [&](std::size_t i) -> std::uint32_t {
        return little ? byte(i) | (byte(i + 1) << 8) : (byte(i) << 8) | byte(i + 1);
    };
    std::string text;
    text.reserve(Bytes.size());
    for (std::size_t i = 2; i + 1 < Bytes.size(); i += 2) {
        std::uint32_t code = unit(i);
        if (code >= 0xD800 && code < 0xDC00 && i + 3 < Bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (code >= 0xD800 && code < 0xE000) {
            code = 0xFFFD;
        }
        AppendUtf8(text, code);
    }
    Bytes = std::move(text);
}

// The line includes a file (:r) or uses a variable ($(name)) of the
// command-line tool, which substitutes variables everywhere, strings too.
bool NeedsSqlCmd(std::string_view Line)
{
    const std::size_t first = Line.find_first_not_of(" \t");
    if (first != std::string_view::npos && Line[first] == ':' && first + 1 < Line.size() &&
        (Line[first + 1] == 'r' || Line[first + 1] == 'R') &&
        (first + 2 == Line.size() || Line[first + 2] == ' ' || Line[first + 2] == '\t'))
        return true;
    for (std::size_t p = Line.find("$("); p != std::string_view::npos; p = Line.find("$(", p + 2)) {
        std::size_t end = p + 2;
        while (end < Line.size() && (std::isalnum(static_cast<unsigned char>(Line[end])) != 0 || Line[end] == '_' ||
                                     Line[end] == '-'))
            ++end;
        if (end > p + 2 && end < Line.size() && Line[end] == ')') return true;
    }
    return false;
}

} // namespace

TMSSQLExec::TMSSQLExec(TComponent* AOwner) : TSQLExec(AOwner) { m_databaseType = TDatabaseType::dbMSSQL; }

bool TMSSQLExec::ExecCreateDatabase()
{
    try {
        if (!Connected() && !ConnectForStatement()) return false;
        // CREATE DATABASE cannot run inside a transaction.
        if (InTransaction() && !CommitPending()) return false;
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return false;
    }
    return ExecSQL();
}

void TMSSQLExec::DecodeScriptText(std::string& Text) const { ScriptText(Text); }

void TMSSQLExec::ParseScript(TStringList& Lines) { LoadScriptLines(Lines); }

std::unique_ptr<TCustomSQLParser> TMSSQLExec::CreateParser() { return MakeParser<TMSSQLParser>(); }

void TMSSQLExec::BeforeScriptParse(TCustomSQLParser& Parser, TObjs& Objs)
{
    // The parser reads names and types by the executor's server options.
    Objs.SetDatabaseType(TDatabaseType::dbMSSQL);
    Objs.MSSQLServerOptions().Assign(MSSQLServerOptions());
    // The statements a GO count repeats share the first run's text.
    TMSSQLParser& p = static_cast<TMSSQLParser&>(Parser);
    p.OnAddStatement = [add = p.OnAddStatement, &p](TObject& Sender, const TParsedStatement& Parsed,
                                                    TStatement*& Statement) {
        if (add) add(Sender, Parsed, Statement);
        if (Statement != nullptr && p.RepeatOf != nullptr) Statement->ShareTextOf(*p.RepeatOf);
    };
}

void TMSSQLExec::AfterScriptParse(TCustomSQLParser&, const TObjs&, const TStringList& Lines)
{
    m_sqlCmdLine.clear();
    for (int i = 0; i < Lines.Count() && m_sqlCmdLine.empty(); ++i)
        if (NeedsSqlCmd(Lines[i])) m_sqlCmdLine = IntToStr(i + 1) + ": " + Trim(Lines[i]);
    LogNextLine("Script loaded: " + IntToStr(Count()) + " statements");
}

bool TMSSQLExec::Execute()
{
    if (m_sqlCmdLine.empty()) return TSQLExec::Execute();
    ErrorMessage("The script needs the sqlcmd tool (line " + m_sqlCmdLine +
                 "): a file it includes or a variable it uses would not be there. Nothing was run.");
    return false;
}

void TMSSQLExec::Clear()
{
    TSQLExec::Clear();
    m_sqlCmdLine.clear();
}

void TMSSQLExec::ParseConnectString(const std::string& Text)
{
    std::string rest = Trim(Text);
    if (!StartsWithText(rest, "USE")) return;
    rest = Trim(std::string_view(rest).substr(3));
    while (!rest.empty() && (rest.back() == ';')) rest = Trim(std::string_view(rest).substr(0, rest.size() - 1));
    std::string name;
    if (!rest.empty() && (rest.front() == '[' || rest.front() == '"')) {
        name = QuotedValue(rest, 0, rest.front() == '[' ? ']' : '"');
    } else {
        for (const char c : rest) {
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '-' || c == '/') break;
            name += c;
        }
    }
    if (!name.empty()) ConnectionOptions().DatabaseName = name;
}

} // namespace qel
