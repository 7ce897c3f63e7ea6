#include "qelObjsScriptFormat.h"

#include "qelText.h"

namespace qel {

TScriptFormat::TScriptFormat(TDatabaseType Type) : m_type(Type)
{
    using enum TDatabaseType;
    const std::string crlf = CRLF;
    switch (Type) {
    case dbMSSQL: m_terminator = crlf + "GO"; break;
    case dbSybaseASA:
    case dbSybaseASE: m_terminator = crlf + "go"; break;
    default: m_terminator = ";"; break;
    }
    m_blockTerminator = m_terminator;
    switch (Type) {
    case dbInterBase:
        m_blockTerminator = crlf + "^";
        m_blockOpener = "SET TERM ^ ;";
        m_blockCloser = "SET TERM ; ^";
        break;
    case dbMySQL:
        m_blockTerminator = crlf + "//";
        m_blockOpener = "DELIMITER //";
        m_blockCloser = "DELIMITER ;";
        break;
    case dbOracle: m_blockTerminator = crlf + "/"; break;
    default: break;
    }
}

bool TScriptFormat::NeedsBlock(TStatType StatType, TDbObject ObjType) const
{
    using enum TStatType;
    using enum TDbObject;
    if (!HasBlocks()) return false;
    if (StatType == stProcedure || StatType == stTrigger || StatType == stPackage)
        return true;
    if (StatType == stExecuteBlock) return m_type == TDatabaseType::dbInterBase;
    if (StatType != stStatement) return false;
    switch (ObjType) {
    case dboProcedure:
    case dboTrigger:
    case dboFunction:
    case dboPackage:
    case dboPackageBody: return true;
    default: return false;
    }
}

bool TScriptFormat::EndsInLineComment(std::string_view Text)
{
    enum class TState { plain, quoted, block, line } state = TState::plain;
    char quote = 0;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        const char c = Text[i];
        const char next = i + 1 < Text.size() ? Text[i + 1] : '\0';
        switch (state) {
        case TState::plain:
            if (c == '\'' || c == '"' || c == '`') {
                state = TState::quoted;
                quote = c;
            } else if (c == '/' && next == '*') {
                state = TState::block;
                ++i;
            } else if (c == '-' && next == '-') {
                state = TState::line;
                ++i;
            }
            break;
        // A doubled quote closes and opens again: the same state results.
        case TState::quoted:
            if (c == quote) state = TState::plain;
            break;
        case TState::block:
            if (c == '*' && next == '/') {
                state = TState::plain;
                ++i;
            }
            break;
        case TState::line:
            if (c == '\n' || c == '\r') state = TState::plain;
            break;
        }
    }
    return state == TState::line;
}

std::string TScriptFormat::Terminated(std::string_view Text, std::string_view Terminator)
{
    std::string text(Text);
    const bool ownLine = !Terminator.empty() && (Terminator.front() == '\r' || Terminator.front() == '\n');
    if (!ownLine && EndsInLineComment(Text)) text += CRLF;
    return text + std::string(Terminator);
}

} // namespace qel
