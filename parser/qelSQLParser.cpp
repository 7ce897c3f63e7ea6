#include "qelSQLParser.h"

#include "qelComp_Fld.h"
#include "qelObjs.h"
#include "qelText.h"

namespace qel {

using enum TSymb;

TCustomSQLParser::TCustomSQLParser()
    : m_options(std::make_unique<TServerOptionSet<TIBServerOptions>>()),
      m_scratchField(std::make_unique<TFldData>(nullptr, nullptr))
{
}

TCustomSQLParser::~TCustomSQLParser() = default;

TServerOptionSet<TIBServerOptions>& TCustomSQLParser::ServerOptions()
{
    if (Objs() != nullptr) return *Objs();
    return *m_options;
}

void TCustomSQLParser::ScanToken()
{
    TokenStart = NextPos - 1;
    QuoteChar = '\0';
    if (CheckTerminator()) {
        AfterScanToken();
        return;
    }
    if (CurChar == '|' && PeekChar() == '|') {
        Symb = syConcat;
        NextChar();
        NextChar();
        AfterScanToken();
        return;
    }
    TCustomParser::ScanToken();
}

bool TCustomSQLParser::SkipBlanks()
{
    if ((CurChar == '-' && PeekChar() == '-') || (CurChar == '/' && PeekChar() == '*')) return ReadComment();
    return TCustomParser::SkipBlanks();
}

bool TCustomSQLParser::ReadComment()
{
    LastComment.clear();
    if (CurChar == '/' && PeekChar() == '*') {
        const std::int32_t line = Line;
        const std::int32_t column = Column;
        NextChar();
        NextChar();
        while (!AtEnd() && !(CurChar == '*' && PeekChar() == '/')) {
            LastComment += CurChar;
            NextChar();
        }
        // Without its "*/" the comment would hide the rest of the script.
        if (AtEnd()) ReportUnterminated("Unterminated comment.", line, column);
        NextChar();
        NextChar();
    } else if (CurChar == '-' && PeekChar() == '-') {
        NextChar();
        NextChar();
        while (!AtEnd() && CurChar != '\n') {
            LastComment += CurChar;
            NextChar();
        }
    } else {
        return false;
    }
    if ((TraceFlags & 2) != 0) DoLogNextLine("Comment: " + LastComment);
    return true;
}

void TCustomSQLParser::SkipUntil(const TSymbSet& Symbols)
{
    while (!Symbols.Contains(Symb) && Symb != syEOF) NextToken();
}

std::string TCustomSQLParser::GetTextFrom(std::int64_t StartPos)
{
    return StartPos < TokenStart ? Trim(GetText(StartPos, TokenStart - StartPos)) : std::string();
}

std::string TCustomSQLParser::QualifiedName(const std::string& Name, const std::string& Schema,
                                            bool UseDefaultSchema) const
{
    std::string schema = Schema;
    if (schema.empty() && UseDefaultSchema) {
        switch (DatabaseType()) {
        case TDatabaseType::dbMSSQL:
        case TDatabaseType::dbSybaseASE: schema = "dbo"; break;
        case TDatabaseType::dbSybaseASA: schema = "DBA"; break;
        case TDatabaseType::dbPostgreSQL: schema = "public"; break;
        default: break;
        }
    }
    return schema.empty() ? Name : schema + "." + Name;
}

void TCustomSQLParser::HandOverConnection()
{
    if (Objs() != nullptr) Objs()->SetConnectionOptions(ConnectionOptions());
}

void TCustomSQLParser::ParseScript(TStringList& Script, TObjs* AObjs)
{
    TCustomParser::ParseScript(Script, AObjs);
    HandOverConnection();
}

void TCustomSQLParser::ParseFile(const std::string& FileName, TObjs* AObjs)
{
    TCustomParser::ParseFile(FileName, AObjs);
    HandOverConnection();
}

} // namespace qel
