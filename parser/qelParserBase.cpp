#include "qelParserBase.h"

#include "qelComp_Fld.h"
#include "qelMsg.h"
#include "qelMsgMngr.h"
#include "qelObjs.h"
#include "qelText.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <stdexcept>
#include <unistd.h>
#include <utility>

namespace qel {

using enum TSymb;

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsBlank(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

// A statement's text without the blanks around it; a control character is
// no blank but a token, and stays:  " \x01a \r\n" -> "\x01a"
std::string TrimBlanks(std::string_view Text)
{
    const auto blank = [](char c) { return IsBlank(c) || c == '\x1A'; };
    std::size_t b = 0;
    std::size_t e = Text.size();
    while (b < e && blank(Text[b])) ++b;
    while (e > b && blank(Text[e - 1])) --e;
    return std::string(Text.substr(b, e - b));
}

// Value of an integer literal with an optional sign and exponent, exactly;
// False when it is no integer or leaves 64 bits:
//   "007" -> 7, "-12" -> -12, "1E5" -> 100000, "100E-2" -> 1, "1E-1" -> False
bool IntegerOf(std::string_view Text, std::int64_t& Value)
{
    std::size_t i = 0;
    const bool negative = i < Text.size() && Text[i] == '-';
    if (i < Text.size() && (Text[i] == '-' || Text[i] == '+')) ++i;
    const std::uint64_t limit = negative ? std::uint64_t(1) << 63 : (std::uint64_t(1) << 63) - 1;
    std::uint64_t m = 0;
    std::size_t digits = 0;
    for (; i < Text.size() && IsDigit(Text[i]); ++i, ++digits) {
        const auto d = static_cast<std::uint64_t>(Text[i] - '0');
        if (m > (limit - d) / 10) return false;
        m = m * 10 + d;
    }
    if (digits == 0) return false;
    long exponent = 0;
    if (i < Text.size() && (Text[i] == 'E' || Text[i] == 'e')) {
        ++i;
        const bool down = i < Text.size() && Text[i] == '-';
        if (i < Text.size() && (Text[i] == '-' || Text[i] == '+')) ++i;
        std::size_t expDigits = 0;
        for (; i < Text.size() && IsDigit(Text[i]); ++i, ++expDigits)
            if (exponent < 100000) exponent = exponent * 10 + (Text[i] - '0');
        if (expDigits == 0) return false;
        if (down) exponent = -exponent;
    }
    if (i != Text.size()) return false;
    for (; exponent > 0 && m != 0; --exponent) {
        if (m > limit / 10) return false;
        m *= 10;
    }
    for (; exponent < 0 && m != 0; ++exponent) {
        if (m % 10 != 0) return false;
        m /= 10;
    }
    Value = negative ? static_cast<std::int64_t>(~m + 1) : static_cast<std::int64_t>(m);
    return true;
}

// Locale-independent; 0 for a text that is no number or out of range.
double DoubleOf(std::string_view Text)
{
    double value = 0;
    const auto [end, ec] = std::from_chars(Text.data(), Text.data() + Text.size(), value);
    return ec == std::errc() && end == Text.data() + Text.size() ? value : 0;
}

// Every line break (CR LF, CR, LF) as CR LF; Lines counts them.
std::string ToCRLF(std::string_view Text, std::int32_t* Lines = nullptr)
{
    std::string out;
    out.reserve(Text.size() + Text.size() / 16);
    for (std::size_t i = 0; i < Text.size(); ++i) {
        const char c = Text[i];
        if (c != '\r' && c != '\n') {
            out += c;
            continue;
        }
        if (c == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') ++i;
        out += "\r\n";
        if (Lines != nullptr) ++*Lines;
    }
    return out;
}

// A character for a message: printable ASCII as it is, a whole UTF-8
// sequence as its text, any other byte as "#" and its code.
std::string CharText(std::string_view Bytes)
{
    const auto first = static_cast<unsigned char>(Bytes.front());
    if (first >= 32 && first < 127) return std::string(Bytes);
    if (first >= 0xC2 && Bytes.size() > 1) return std::string(Bytes);
    return "#" + IntToStr(first);
}

// Length of the UTF-8 sequence that a lead byte starts (1 for any other).
int SequenceLength(unsigned char Lead)
{
    if (Lead >= 0xF0 && Lead <= 0xF4) return 4;
    if (Lead >= 0xE0) return Lead <= 0xEF ? 3 : 1;
    if (Lead >= 0xC2) return 2;
    return 1;
}

// A new file only this user can read, in the system's temporary folder,
// removed when the object goes.
class TTempFile {
public:
    TTempFile()
    {
        std::error_code ec;
        const std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
        if (ec) throw std::runtime_error("Cannot create a temporary file: " + ec.message());
        std::string pattern = (folder / "velmorin-script-XXXXXX").string();
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0) throw std::runtime_error("Cannot create a temporary file in " + folder.string());
        ::close(fd);
        m_path = pattern;
    }
    ~TTempFile()
    {
        std::error_code ec;
        std::filesystem::remove(m_path, ec);
    }
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace

// ---- source streams ----

// The source of the stream modes: Width bytes a character, the low byte
// first; in memory, or in a file read through a window.
class TCustomParser::TSourceStream {
public:
    TSourceStream(std::string_view Text, int Width) : m_width(Width), m_length(static_cast<std::int64_t>(Text.size()))
    {
        m_bytes.reserve(Text.size() * static_cast<std::size_t>(Width));
        for (const char c : Text) {
            m_bytes += c;
            if (Width == 2) m_bytes += '\0';
        }
    }
    TSourceStream(const std::filesystem::path& File, int Width) : m_width(Width), m_inFile(true)
    {
        m_file.open(File, std::ios::binary);
        if (!m_file) throw std::runtime_error("Cannot open file \"" + File.string() + "\".");
        m_length = static_cast<std::int64_t>(std::filesystem::file_size(File)) / Width;
    }

    std::int64_t Length() const { return m_length; }

    char At(std::int64_t Pos)
    {
        if (Pos < 1 || Pos > m_length) return '\0';
        const std::int64_t byte = (Pos - 1) * m_width;
        if (!m_inFile) return m_bytes[static_cast<std::size_t>(byte)];
        if (byte < m_windowStart || byte >= m_windowStart + static_cast<std::int64_t>(m_bytes.size())) Load(byte);
        const std::int64_t offset = byte - m_windowStart;
        return offset < static_cast<std::int64_t>(m_bytes.size()) ? m_bytes[static_cast<std::size_t>(offset)] : '\0';
    }

private:
    static constexpr std::int64_t WindowSize = 65536;

    void Load(std::int64_t Byte)
    {
        m_windowStart = Byte - Byte % WindowSize;
        m_bytes.assign(static_cast<std::size_t>(WindowSize), '\0');
        m_file.clear();
        m_file.seekg(m_windowStart);
        m_file.read(m_bytes.data(), WindowSize);
        m_bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(m_file.gcount(), 0)));
    }

    int m_width;
    bool m_inFile = false;
    std::int64_t m_length = 0;
    std::string m_bytes;
    std::ifstream m_file;
    std::int64_t m_windowStart = 0;
};

// ---- contexts ----

TParseContext::TParseContext(TCustomParser* AParser) : Parser(AParser) { Save(); }

void TParseContext::Save()
{
    if (Parser == nullptr) return;
    const TCustomParser& p = *Parser;
    Line = p.Line;
    Column = p.Column;
    CurChar = p.CurChar;
    NextPos = p.NextPos;
    Symb = p.Symb;
    TokenStart = p.TokenStart;
    TokenText = p.TokenText;
    ValueText = p.ValueText;
    IntValue = p.IntValue;
    FloatValue = p.FloatValue;
    QuoteChar = p.QuoteChar;
    Unterminated = p.m_unterminated;
}

void TParseContext::Restore() const
{
    if (Parser == nullptr) return;
    TCustomParser& p = *Parser;
    p.Line = Line;
    p.Column = Column;
    p.CurChar = CurChar;
    p.NextPos = NextPos;
    p.Symb = Symb;
    p.SymbName = p.SymbolName(Symb);
    p.TokenStart = TokenStart;
    p.TokenText = TokenText;
    p.ValueText = ValueText;
    p.IntValue = IntValue;
    p.FloatValue = FloatValue;
    p.QuoteChar = QuoteChar;
    p.m_unterminated = Unterminated;
}

TNestingLevel::TNestingLevel(TCustomParser& Parser) : m_parser(Parser)
{
    if (++m_parser.m_nesting <= TCustomParser::MaxNesting) return;
    --m_parser.m_nesting;
    m_parser.ParseError("Nesting too deep.");
    // Outside a statement the error does not end the rule; unwinding must.
    throw EStatementAbort{};
}

TRecursionLevel::TRecursionLevel(TCustomParser& Parser) : m_parser(Parser)
{
    if (++m_parser.m_recursion <= TCustomParser::MaxRecursion) return;
    --m_parser.m_recursion;
    m_parser.ParseError("Nesting too deep.");
    throw EStatementAbort{};
}

void TLoopGuard::Turn()
{
    if (m_parser.TokenStart == m_last && m_parser.Symb != syEOF) m_parser.NextToken();
    m_last = m_parser.TokenStart;
}

// ---- construction ----

TCustomParser::TCustomParser()
    : IdentChars(MakeCharSet("$0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz")),
      m_messages(std::make_unique<TMsgManager>()),
      m_resWords(std::make_unique<TResWordList>())
{
}

TCustomParser::~TCustomParser() = default;

void TCustomParser::Initialize()
{
    if (m_initialized) return;
    m_initialized = true;
    FillResWords();
}

void TCustomParser::FillResWords() { m_resWords->AddSymbols(BaseResWords); }

void TCustomParser::SetDatabaseType(TDatabaseType Value)
{
    m_databaseType = Value;
    if (m_objs != nullptr && m_objs->DatabaseType() != Value) m_objs->SetDatabaseType(Value);
}

TParseContext& TCustomParser::PushContext()
{
    Contexts.push_back(std::make_unique<TParseContext>(this));
    return *Contexts.back();
}

void TCustomParser::PopContext()
{
    if (!Contexts.empty()) Contexts.pop_back();
}

// ---- source and characters ----

void TCustomParser::SetSource(std::string_view Text)
{
    Initialize();
    ReleaseSource();
    if (SourceMode == 0) m_source.assign(Text);
    else m_stream = std::make_unique<TSourceStream>(Text, WideStream ? 2 : 1);
    NextPos = 1;
    m_unterminated = false;
    Line = 1;
    Column = 1;
    CurChar = '\0';
    Symb = syEOF;
    TokenStart = StatementStart = 1;
    TokenText.clear();
    ValueText.clear();
    Contexts.clear();
    m_emittedStart = m_emittedEnd = m_scanErrorAt = -1;
    NextChar();
}

void TCustomParser::ReleaseSource()
{
    m_stream.reset();
    m_source.clear();
}

char TCustomParser::CharAt(std::int64_t Pos)
{
    if (m_stream) return m_stream->At(Pos);
    return Pos >= 1 && Pos <= static_cast<std::int64_t>(m_source.size()) ? m_source[static_cast<std::size_t>(Pos - 1)]
                                                                          : '\0';
}

std::int64_t TCustomParser::GetLength() const
{
    return m_stream ? m_stream->Length() : static_cast<std::int64_t>(m_source.size());
}

bool TCustomParser::AtEnd() const { return CurChar == '\0' && NextPos > GetLength(); }

std::string TCustomParser::GetText(std::int64_t Pos, std::int64_t Count)
{
    const std::int64_t length = GetLength();
    if (Pos < 1) {
        Count += Pos - 1;
        Pos = 1;
    }
    Count = std::min(Count, length - Pos + 1);
    if (Count <= 0) return {};
    if (!m_stream) return m_source.substr(static_cast<std::size_t>(Pos - 1), static_cast<std::size_t>(Count));
    std::string text;
    text.reserve(static_cast<std::size_t>(Count));
    for (std::int64_t i = 0; i < Count; ++i) text += m_stream->At(Pos + i);
    return text;
}

char TCustomParser::NextChar()
{
    const std::int64_t length = GetLength();
    if (NextPos > length && CurChar == '\0') return '\0';
    CurChar = '\0';
    if (NextPos <= length) {
        const char c = CharAt(NextPos);
        if (c == '\n') {
            ++Line;
            Column = 0;
            DoProgressUpdate();
        }
        CurChar = c == '\x1A' ? ' ' : c;
        ++NextPos;
        ++Column;
    }
    return CurChar;
}

char TCustomParser::PeekChar() { return CharAt(NextPos); }
char TCustomParser::PeekChar2() { return CharAt(NextPos + 1); }

// ---- tokens ----

void TCustomParser::NextToken()
{
    struct TLevel {
        int& level;
        explicit TLevel(int& l) : level(l) { ++level; }
        ~TLevel() { --level; }
    };
    {
        TLevel level(m_scanLevel);
        ReadNextToken();
    }
    // An error inside the scanner ends the statement's rule only once the
    // token is whole.
    if (m_scanLevel == 0 && m_abortPending) {
        m_abortPending = false;
        throw EStatementAbort{};
    }
}

void TCustomParser::ReadNextToken()
{
    for (;;) {
        Symb = syEOF;
        TokenStart = NextPos - 1;
        if (AtEnd()) {
            TokenStart = NextPos;
            break;
        }
        for (std::int64_t before = NextPos; SkipBlanks() && NextPos != before; before = NextPos) {}
        if (AtEnd()) {
            TokenStart = NextPos;
            break;
        }
        const std::int64_t before = NextPos;
        ClearToken();
        TokenStart = NextPos - 1;
        ScanToken();
        AfterScanToken();
        if (NextPos == before && !AtEnd()) {
            DoErrorMessage("Parser " + ClassName() + " deadlock.");
            NextChar();
        }
        // syEOF before the end: a dialect's scanner stepped over something
        // that is no token; read on to the next real token.
        if (Symb != syEOF) break;
    }
    if ((TraceFlags & 1) != 0 && Symb != syEOF) TraceToken();
    SymbName = SymbolName(Symb);
}

void TCustomParser::ClearToken()
{
    TokenText.clear();
    ValueText.clear();
    IntValue = 0;
    FloatValue = 0;
    while (!AtEnd() && IsBlank(CurChar)) NextChar();
}

bool TCustomParser::SkipBlanks()
{
    if (!IsBlank(CurChar)) return false;
    while (IsBlank(CurChar)) NextChar();
    return true;
}

void TCustomParser::ScanToken()
{
    TokenStart = NextPos - 1;
    QuoteChar = '\0';
    const char c = CurChar;
    if (IsDigit(c) || (c == '.' && IsDigit(PeekChar()))) {
        Symb = syInteger;
        IntValue = ReadNumber();
    } else if (IsLetter(c)) {
        Symb = syIdent;
        ReadIdent();
        Symb = LookupResWord();
        if (Symb == syIdent) TokenText = UpperCase(TokenText);
    } else if (c == '\'' || c == '"' || c == '`') {
        Symb = syString;
        QuoteChar = c;
        ReadString(ValueText);
    } else {
        switch (c) {
        case '.': Symb = syDot; break;
        case '%': Symb = syPercent; break;
        case '&': Symb = syAmpersand; break;
        case '(': Symb = syLParen; break;
        case ')': Symb = syRParen; break;
        case '*': Symb = syStar; break;
        case '+': Symb = syPlus; break;
        case ',': Symb = syComma; break;
        case '-': Symb = syMinus; break;
        case '/': Symb = sySlash; break;
        case ':': Symb = syColon; break;
        case ';': Symb = sySemicolon; break;
        case '@': Symb = syAt; break;
        case '[': Symb = syLBracket; break;
        case '\\': Symb = syBackslash; break;
        case ']': Symb = syRBracket; break;
        case '<':
        case '>':
        case '=':
        case '!': ScanPair(c); return;
        default: ScanInvalidChar(); return;
        }
        NextChar();
    }
    AfterScanToken();
}

// A character (a whole UTF-8 sequence) that begins no token: reported, and
// a token of its own, so that it stays in its statement's text.
void TCustomParser::ScanInvalidChar()
{
    const char c = CurChar;
    const auto length = static_cast<std::size_t>(SequenceLength(static_cast<unsigned char>(c)));
    std::string bytes(1, c);
    for (std::size_t i = 1; i < length; ++i) {
        const char b = CharAt(NextPos + static_cast<std::int64_t>(i) - 1);
        if ((static_cast<unsigned char>(b) & 0xC0) != 0x80) break;
        bytes += b;
    }
    if (bytes.size() != length) bytes.resize(1);
    Symb = syInvalidChar;
    TokenText = bytes;
    ParseError("Invalid char in source text: \"" + CharText(bytes) + "\".");
    for (std::size_t i = 0; i < bytes.size(); ++i) NextChar();
    AfterScanToken();
}

// "<=", "<>", "<", ">=", ">", "==", "=", "!="; MS SQL and ASE allow blanks
// between the two characters.
void TCustomParser::ScanPair(char First)
{
    std::int64_t second = NextPos;
    if (m_databaseType == TDatabaseType::dbMSSQL || m_databaseType == TDatabaseType::dbSybaseASE)
        while (second <= GetLength() && IsBlank(CharAt(second))) ++second;
    const char next = CharAt(second);
    TSymb pair = syEOF;
    switch (First) {
    case '<': pair = next == '=' ? syLessEqual : next == '>' ? syNotEqual : syEOF; break;
    case '>': pair = next == '=' ? syGreaterEqual : syEOF; break;
    case '=': pair = next == '=' ? syDoubleEqual : syEOF; break;
    default: pair = next == '=' ? syNotEqual : syEOF; break;
    }
    if (First == '!' && pair == syEOF) {
        ScanInvalidChar();
        return;
    }
    if (pair != syEOF) {
        Symb = pair;
        while (NextPos <= second) NextChar();
    } else {
        Symb = First == '<' ? syLess : First == '>' ? syGreater : syEqual;
    }
    NextChar();
    AfterScanToken();
}

void TCustomParser::ReadIdent()
{
    TokenText.clear();
    do {
        TokenText += CurChar;
        NextChar();
    } while (!AtEnd() && CharInSet(CurChar, IdentChars));
}

TSymb TCustomParser::LookupResWord() { return m_resWords->Symb(TokenText); }

std::int64_t TCustomParser::ReadNumber()
{
    ValueText.clear();
    // A leading "." is the number's point already.
    bool point = CurChar != '.';
    bool exponent = true;
    bool sign = false;
    for (;;) {
        const char p = AsciiUpper(PeekChar());
        const bool accepted = IsDigit(p) || (p == '.' && point) || (p == 'E' && exponent) || ((p == '+' || p == '-') && sign);
        if (!accepted || (p == '.' && PeekChar2() == '.')) break;
        ValueText += CurChar;
        if (p == '.') point = false;
        else if (p == 'E') {
            sign = true;
            point = exponent = false;
        } else if (p == '+' || p == '-') sign = false;
        NextChar();
    }
    ValueText += CurChar;
    std::int64_t value = 0;
    FloatValue = DoubleOf(ValueText);
    if (ValueText.find('.') == std::string::npos) {
        Symb = syInteger;
        if (!IntegerOf(ValueText, value)) value = 0;
    } else {
        Symb = syFloat;
    }
    NextChar();
    if (ValueText.empty()) ParseError("Missing: Integer(Float) value...");
    return value;
}

void TCustomParser::ReadString(std::string& Text)
{
    const char quote = CurChar;
    const std::int32_t line = Line;
    const std::int32_t column = Column;
    bool closed = false;
    Text.clear();
    NextChar();
    while (!AtEnd()) {
        if (CurChar == quote) {
            closed = PeekChar() != quote || NextPos > GetLength();
            if (closed) break;
            Text += quote;
            NextChar();
            NextChar();
            continue;
        }
        if (CurChar == '\\' && m_databaseType == TDatabaseType::dbMySQL && NextPos <= GetLength()) {
            const char e = NextChar();
            switch (e) {
            case 'r': Text += '\r'; break;
            case 'n': Text += '\n'; break;
            case 't': Text += '\t'; break;
            case 'b': Text += '\b'; break;
            case 'z': Text += '\x1A'; break;
            case '0': Text += '\0'; break;
            default: Text += e; break;
            }
            NextChar();
            continue;
        }
        Text += CurChar;
        NextChar();
    }
    // A closing quote that never comes would take the rest of the script
    // into one token without a word: it is an error where it opens.
    if (!closed) ReportUnterminated(quote == '\'' ? "Unterminated string." : "Unterminated quoted name.", line, column);
    NextChar();
}

void TCustomParser::ReadParenExpression(std::string& Text)
{
    Text.clear();
    while (!AtEnd() && IsBlank(CurChar)) NextChar();
    if (CurChar != '(') return;
    const bool brackets = m_databaseType == TDatabaseType::dbMSSQL || m_databaseType == TDatabaseType::dbSybaseASE;
    const bool escapes = m_databaseType == TDatabaseType::dbMySQL;
    const auto take = [&] {
        Text += CurChar;
        NextChar();
    };
    int depth = 0;
    do {
        const char c = CurChar;
        if (c == '\'' || c == '"' || c == '`' || (c == '[' && brackets)) {
            // A quoted run, its doubled closing quotes included.
            const char close = c == '[' ? ']' : c;
            take();
            while (!AtEnd()) {
                if (CurChar == close) {
                    take();
                    if (CurChar != close || AtEnd()) break;
                    take();
                } else {
                    if (escapes && CurChar == '\\' && NextPos <= GetLength()) take();
                    take();
                }
            }
            continue;
        }
        if (c == '-' && PeekChar() == '-') {
            while (!AtEnd() && CurChar != '\n') take();
            continue;
        }
        if (c == '/' && PeekChar() == '*') {
            take();
            take();
            while (!AtEnd() && !(CurChar == '*' && PeekChar() == '/')) take();
            if (!AtEnd()) {
                take();
                take();
            }
            continue;
        }
        if (c == '(') ++depth;
        else if (c == ')') --depth;
        take();
    } while (depth > 0 && !AtEnd());
    if ((TraceFlags & 4) != 0) DoLogNextLine("Expression: " + Text);
}

void TCustomParser::SkipLine()
{
    while (PeekChar() != '\n' && NextPos <= GetLength()) NextChar();
    NextChar();
    NextChar();
}

bool TCustomParser::CheckTerminator()
{
    if (m_terminator.empty() || AtEnd()) return false;
    const std::int64_t start = NextPos - 1;
    for (std::size_t i = 0; i < m_terminator.size(); ++i)
        if (CharAt(start + static_cast<std::int64_t>(i)) != m_terminator[i]) return false;
    Symb = syTerminator;
    for (std::size_t i = 0; i < m_terminator.size(); ++i) NextChar();
    return true;
}

std::string TCustomParser::SymbolName(TSymb S) const
{
    // No word of any table: the scanner makes it of what begins no token.
    if (S == syInvalidChar) return "<Invalid char>";
    return m_resWords->SymbolName(S);
}

bool TCustomParser::IsWord(std::string_view Word) const
{
    return Symb == syIdent && UpperCase(TokenText) == UpperCase(Word);
}

void TCustomParser::ExpectWord(std::string_view Word)
{
    if (!IsWord(Word)) ParseError("Must be: " + UpperCase(Word));
}

void TCustomParser::Expect(TSymb S)
{
    if (Symb == S) return;
    if ((S == syFloat || S == syInteger) && (Symb == syPlus || Symb == syMinus)) {
        const char sign = Symb == syPlus ? '+' : '-';
        const TParseContext saved(this);
        NextToken();
        if (Symb == S) {
            ValueText.insert(ValueText.begin(), sign);
            return;
        }
        saved.Restore();
    }
    std::string msg = "Missing: " + (S == syTerminator ? std::string("<TERM>") : SymbolName(S)) + " (" + SymbolName(Symb);
    if (Symb == syIdent) msg += ": " + TokenText;
    ParseError(msg + ")");
}

void TCustomParser::ExpectAndNext(TSymb S)
{
    Expect(S);
    NextToken();
}

void TCustomParser::NextAndExpect(TSymb S)
{
    NextToken();
    Expect(S);
}

std::int64_t TCustomParser::IntValueInRange(std::int64_t Min, std::int64_t Max)
{
    std::int64_t value = 0;
    if (Symb == syInteger && IntegerOf(ValueText, value) && value >= Min && value <= Max) return value;
    ParseError("Missing: Integer(Float) value...");
    return 0;
}

void TCustomParser::ParseSizeScale(TFldData& Field)
{
    constexpr std::int64_t maxSize = std::numeric_limits<std::int32_t>::max();
    Field.Precision = 9;
    Field.Scale = 0;
    if (Symb != syLParen) return;
    NextAndExpect(syInteger);
    Field.Precision = static_cast<std::int32_t>(IntValueInRange(0, maxSize));
    NextToken();
    if (Symb == syComma) {
        NextAndExpect(syInteger);
        Field.Scale = static_cast<std::int32_t>(IntValueInRange(0, maxSize));
        NextToken();
    }
    ExpectAndNext(syRParen);
}

// ---- messages ----

void TCustomParser::DoProgressUpdate()
{
    if (ProgressEnabled && OnProgressUpdate) OnProgressUpdate(*this, Line, TotalLines);
}

void TCustomParser::DoLogNextLine(const std::string& Text)
{
    if (OnLogNextLine) OnLogNextLine(*this, Text);
}

void TCustomParser::DoErrorMessage(const std::string& Text)
{
    if (OnErrorMessage) OnErrorMessage(*this, Text);
    else ShowMessage("Error: " + Text);
}

void TCustomParser::DoWarning(const std::string& Text)
{
    if (OnWarning) OnWarning(*this, Text);
}

std::string TCustomParser::GetPositionText() const
{
    return std::string(CRLF) + "Script: " + ScriptName + " Line:" + IntToStr(Line) + " Pos:" + IntToStr(Column) + CRLF;
}

void TCustomParser::ParseError(const std::string& Msg)
{
    // One error a statement: what follows its first error is skipped.
    if (m_inStatement && m_statementFailed) return;
    // Not stored, though the statement still ends: all that the end of the
    // source brings after a text that never ended, the first error of a
    // statement whose first token reported its own as it was read, and an
    // error stored at this place already (a token read again after a
    // look-ahead).
    const auto storedHere = [&] {
        const int count = m_messages->Count();
        if (count == 0) return false;
        const TMsgData& last = m_messages->Items(count - 1);
        return last.Text == Msg && last.Line == Line && last.Column == Column - 1 && last.ScriptName == ScriptName;
    };
    if (!EndsUnterminated() && !(m_inStatement && m_scanErrorAt == StatementStart) && !storedHere()) {
        if (!m_messages->HasErrors()) DoErrorMessage(Msg + GetPositionText());
        m_messages->AddMessage(Msg, ScriptName, TMsgKind::mkError, Line, Column - 1);
        if (m_scanLevel > 0) m_scanErrorAt = TokenStart;
    }
    if (!m_inStatement) return;
    m_statementFailed = true;
    if (!m_armed) return;
    if (m_scanLevel > 0) m_abortPending = true;
    else throw EStatementAbort{};
}

void TCustomParser::ReportUnterminated(const std::string& Msg, std::int32_t ALine, std::int32_t AColumn)
{
    ParseErrorAt(Msg, ALine, AColumn);
    m_unterminated = true;
}

void TCustomParser::ParseErrorAt(const std::string& Msg, std::int32_t ALine, std::int32_t AColumn)
{
    struct TPlace {
        TCustomParser& p;
        std::int32_t line, column;
        ~TPlace() { p.Line = line, p.Column = column; }
    } place{*this, Line, Column};
    Line = ALine;
    Column = AColumn;
    ParseError(Msg);
}

void TCustomParser::AddWarning(const std::string& Msg)
{
    m_messages->AddMessage(Msg, ScriptName, TMsgKind::mkWarning, Line, Column - 1);
}

void TCustomParser::TraceToken()
{
    std::string text = "(" + IntToStr(Line) + "," + IntToStr(Column) + ") " + SymbolName(Symb) + ": " +
                       IntToStr(static_cast<int>(Symb));
    if (Symb == syIdent) text += " =" + TokenText;
    else if (Symb == syInteger) text += " =" + IntToStr(IntValue);
    else if (Symb == syString) text += " =" + std::string(1, QuoteChar) + ValueText + std::string(1, QuoteChar);
    DoLogNextLine(text);
}

std::string TCustomParser::CommentText(const std::string& Text) const { return "/* " + BlockCommentText(Text) + " */"; }

void TCustomParser::ReportException(const std::string& What)
{
    m_armed = false;
    ParseError(What.empty() ? std::string("Unknown error.") : What);
}

// ---- statements ----

void TCustomParser::DoAddStatement(const TParsedStatement& Parsed, TStatement*& Statement)
{
    if (OnAddStatement) OnAddStatement(*this, Parsed, Statement);
}

void TCustomParser::AddStatement(TStatType StatType, const std::string& ObjName, TDbObject ObjType,
                                 TDbOperation Operation, const std::string& ParentName, TStatement*& Statement)
{
    Statement = nullptr;
    m_emittedStart = StatementStart;
    m_emittedEnd = TokenStart;
    DoAddStatement(TParsedStatement{{StatType, ObjName, ObjType, Operation, ParentName}, EmittedText()}, Statement);
}

std::string TCustomParser::EmittedText()
{
    if (m_emittedStart < 0 || m_emittedEnd <= m_emittedStart) return {};
    return TrimBlanks(GetText(m_emittedStart, m_emittedEnd - m_emittedStart));
}

TStatement* TCustomParser::AddStatement()
{
    const TStatementKind kind = std::exchange(StatementKind, TStatementKind{});
    TStatement* statement = nullptr;
    AddStatement(kind.StatType, kind.ObjName, kind.ObjType, kind.Operation, kind.ParentName, statement);
    return statement;
}

void TCustomParser::SkipToStatementEnd()
{
    while (Symb != syTerminator && Symb != syEOF) NextToken();
}

void TCustomParser::RunStatement(const std::function<void()>& Rule)
{
    if (m_inStatement) {
        Rule();
        return;
    }
    struct TScope {
        TCustomParser& p;
        ~TScope() { p.m_inStatement = p.m_armed = p.m_statementFailed = p.m_abortPending = false; }
    } scope{*this};
    m_inStatement = true;
    m_statementFailed = m_abortPending = false;
    StatementKind = {};
    StatementStart = TokenStart;
    const std::int64_t start = TokenStart;
    m_armed = true;
    try {
        Rule();
    } catch (const EStatementAbort&) {
        m_statementFailed = true;
    } catch (const std::exception& e) {
        ReportException(e.what());
        m_statementFailed = true;
    } catch (...) {
        ReportException({});
        m_statementFailed = true;
    }
    m_armed = m_abortPending = false;
    if (m_statementFailed) {
        RecoverStatement();
    } else if (TokenStart == start && Symb != syEOF && Symb != syTerminator) {
        // The rule consumed nothing: hand the statement on unread, or step
        // over what it handed on, so that the caller's loop goes on.
        if (m_emittedStart != start) RecoverStatement();
        else NextToken();
    }
    m_inStatement = m_statementFailed = false;
    if (Symb == syTerminator) NextToken();
}

// The statement is skipped to its end; what of it was not handed on yet goes
// on whole with the kind read so far.
void TCustomParser::RecoverStatement()
{
    m_armed = false;
    SkipToStatementEnd();
    std::int64_t from = StatementStart;
    if (m_emittedStart == StatementStart) {
        from = m_emittedEnd;
        const auto length = static_cast<std::int64_t>(m_terminator.size());
        if (length > 0 && GetText(from, length) == m_terminator) from += length;
    }
    if (from < TokenStart && !TrimBlanks(GetText(from, TokenStart - from)).empty()) {
        StatementStart = from;
        AddStatement();
    }
    StatementKind = {};
    Contexts.clear();
}

// ---- objects ----

TDbObj* TCustomParser::RegisterObject(std::unique_ptr<TDbObj> Obj)
{
    if (Obj == nullptr || m_objs == nullptr) return nullptr;
    return m_objs->AddObject(std::move(Obj));
}

// ---- whole scripts ----

void TCustomParser::Parse()
{
    do NextToken();
    while (Symb != syEOF);
}

void TCustomParser::RunParse(const std::string& LogText)
{
    if (m_objs != nullptr) {
        if (m_databaseType != TDatabaseType::dbAbstract) SetDatabaseType(m_databaseType);
        else m_databaseType = m_objs->DatabaseType();
    }
    DoProgressUpdate();
    DoLogNextLine(LogText);
    // Whatever Parse throws is reported and the parse goes on from where it
    // stopped; each round moves on, so this ends.
    for (;;) {
        const std::int64_t before = NextPos;
        try {
            Parse();
            break;
        } catch (const EStatementAbort&) {
        } catch (const std::exception& e) {
            ReportException(e.what());
        } catch (...) {
            ReportException({});
        }
        m_nesting = m_recursion = m_scanLevel = 0;
        m_abortPending = false;
        if (AtEnd()) break;
        if (NextPos == before) NextChar();
    }
    Contexts.clear();
    try {
        AfterParse();
    } catch (const EStatementAbort&) {
    } catch (const std::exception& e) {
        ReportException(e.what());
    }
}

void TCustomParser::ParseScript(TStringList& Script, TObjs* AObjs)
{
    m_objs = AObjs;
    std::string text;
    for (const std::string& line : Script.Lines()) {
        text += ToCRLF(line);
        text += CRLF;
    }
    SetSource(text);
    TotalLines = Script.Count();
    RunParse("Parse Script: " + ScriptName);
    ReleaseSource();
}

void TCustomParser::ParseFile(const std::string& FileName, TObjs* AObjs)
{
    m_objs = AObjs;
    std::unique_ptr<TTempFile> temp;
    try {
        std::error_code ec;
        std::ifstream file;
        if (std::filesystem::is_regular_file(FileName, ec)) file.open(FileName, std::ios::binary);
        if (!file.is_open()) throw std::runtime_error("Cannot open file \"" + FileName + "\".");
        if (SourceMode == 2) {
            // Copied in chunks, each character widened and every line break
            // made CR LF; a CR LF split between two chunks stays one break.
            temp = std::make_unique<TTempFile>();
            std::ofstream out(temp->Path(), std::ios::binary | std::ios::trunc);
            std::int32_t lines = 0;
            bool afterCR = false;
            std::string chunk(10240, '\0');
            std::string wide;
            while (file.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || file.gcount() > 0) {
                wide.clear();
                const auto put = [&](char c) {
                    wide += c;
                    if (WideStream) wide += '\0';
                };
                for (std::streamsize i = 0; i < file.gcount(); ++i) {
                    const char c = chunk[static_cast<std::size_t>(i)];
                    if (c == '\n' && afterCR) {
                        afterCR = false;
                        continue;
                    }
                    afterCR = c == '\r';
                    if (c == '\r' || c == '\n') {
                        put('\r');
                        put('\n');
                        ++lines;
                    } else {
                        put(c);
                    }
                }
                out.write(wide.data(), static_cast<std::streamsize>(wide.size()));
            }
            out.close();
            if (!out) throw std::runtime_error("Cannot write the temporary file " + temp->Path().string());
            SetSource({});
            m_stream = std::make_unique<TSourceStream>(temp->Path(), WideStream ? 2 : 1);
            NextChar();
            TotalLines = lines;
        } else {
            const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
            SetSource(text);
            TotalLines = static_cast<std::int32_t>(std::count(text.begin(), text.end(), '\n'));
        }
    } catch (const std::exception& e) {
        SetSource({});
        ReleaseSource();
        ParseError(e.what());
        return;
    }
    RunParse("Parse file: " + FileName);
    ReleaseSource();
}

// ---- free routines ----

std::string TrimTextLines(std::string_view Text)
{
    const std::string lines = ToCRLF(Text);
    std::string out;
    out.reserve(lines.size());
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = lines.find("\r\n", start);
        out += TrimRight(std::string_view(lines).substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        out += CRLF;
        start = end + 2;
    }
    return Trim(out);
}

std::string StripDoubleParens(std::string_view Text)
{
    // The partner of every parenthesis, quoted runs skipped: one pass, so
    // that deeply nested text costs no more than flat text.
    const std::size_t n = Text.size();
    std::vector<std::size_t> partner(n, std::string::npos);
    std::vector<std::size_t> open;
    for (std::size_t i = 0; i < n; ++i) {
        const char c = Text[i];
        if (c == '\'' || c == '"' || c == '`') {
            const std::size_t close = Text.find(c, i + 1);
            if (close == std::string::npos) break;
            i = close;
        } else if (c == '(') {
            open.push_back(i);
        } else if (c == ')' && !open.empty()) {
            partner[open.back()] = i;
            open.pop_back();
        }
    }
    std::size_t lo = 0;
    std::size_t hi = n;
    while (hi - lo >= 4 && Text[lo] == '(' && Text[lo + 1] == '(' && partner[lo] == hi - 1 && partner[lo + 1] == hi - 2) {
        ++lo;
        --hi;
    }
    return std::string(Text.substr(lo, hi - lo));
}

} // namespace qel
