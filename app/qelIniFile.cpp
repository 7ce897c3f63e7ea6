#include "qelIniFile.h"

#include "qelErrors.h"
#include "qelText.h"
#include "qelTypes.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace qel {

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// The name of a "[name]" header line, or false when the line is no header.
bool HeaderName(std::string_view Line, std::string_view& Name)
{
    const std::string_view t = TrimBlanks(Line);
    if (t.size() < 2 || t.front() != '[') return false;
    const auto close = t.find(']');
    if (close == std::string_view::npos) return false;
    Name = TrimBlanks(t.substr(1, close - 1));
    return true;
}

bool IsComment(std::string_view Line)
{
    const std::string_view t = TrimBlanks(Line);
    return !t.empty() && (t.front() == ';' || t.front() == '#');
}

// Splits "key=value" at the first "="; false for lines that hold no key.
bool SplitKeyLine(std::string_view Line, std::string_view& Key, std::string_view& Raw)
{
    if (IsComment(Line)) return false;
    const auto eq = Line.find('=');
    if (eq == std::string_view::npos) return false;
    Key = TrimBlanks(Line.substr(0, eq));
    Raw = Line.substr(eq + 1);
    return !Key.empty();
}

std::string SystemReason(int Error) { return std::strerror(Error); }

} // namespace

TIniFile::TIniFile(std::string FileName) : m_fileName(std::move(FileName))
{
    // A missing file is an empty one; anything else that cannot be read (no
    // permission, a folder of that name) is worth telling the caller about.
    struct stat st {};
    if (::stat(m_fileName.c_str(), &st) != 0) {
        m_readable = errno == ENOENT;
        return;
    }
    std::ifstream in(m_fileName, std::ios::binary);
    if (!S_ISREG(st.st_mode) || !in) {
        m_readable = false;
        return;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        m_readable = false;
        return;
    }
    if (text.starts_with(Utf8Bom)) {
        m_bom = true;
        text.erase(0, Utf8Bom.size());
    }
    const auto firstBreak = text.find('\n');
    if (firstBreak != std::string::npos && firstBreak > 0 && text[firstBreak - 1] == '\r') m_lineBreak = "\r\n";

    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        m_lines.push_back(std::move(line));
        start = end + 1;
    }
}

int TIniFile::FindSection(std::string_view Section) const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        std::string_view name;
        if (HeaderName(m_lines[i], name) && SameText(name, Section)) return static_cast<int>(i);
    }
    return -1;
}

int TIniFile::SectionEnd(int Header) const
{
    std::size_t i = static_cast<std::size_t>(Header) + 1;
    for (; i < m_lines.size(); ++i) {
        std::string_view name;
        if (HeaderName(m_lines[i], name)) break;
    }
    return static_cast<int>(i);
}

int TIniFile::FindKey(int Header, std::string_view Key) const
{
    const int end = SectionEnd(Header);
    for (int i = Header + 1; i < end; ++i) {
        std::string_view key, raw;
        if (SplitKeyLine(m_lines[static_cast<std::size_t>(i)], key, raw) && SameText(key, Key)) return i;
    }
    return -1;
}

bool TIniFile::SectionExists(std::string_view Section) const { return FindSection(Section) >= 0; }

bool TIniFile::ValueExists(std::string_view Section, std::string_view Key) const
{
    const int header = FindSection(Section);
    return header >= 0 && FindKey(header, Key) >= 0;
}

std::string TIniFile::DecodeValue(std::string_view Raw)
{
    const std::string_view t = TrimBlanks(Raw);
    if (t.size() >= 2 && t.front() == '"' && t.back() == '"') return std::string(t.substr(1, t.size() - 2));
    return std::string(t);
}

std::string TIniFile::EncodeValue(std::string_view Value)
{
    std::string v(Value);
    for (char& c : v)
        if (c == '\r' || c == '\n') c = ' ';
    const bool padded = !v.empty() && (IsBlank(v.front()) || IsBlank(v.back()));
    const bool quoted = v.size() >= 2 && v.front() == '"' && v.back() == '"';
    if (padded || quoted) return '"' + v + '"';
    return v;
}

std::string TIniFile::ReadString(std::string_view Section, std::string_view Key, const std::string& Default) const
{
    const int header = FindSection(Section);
    if (header < 0) return Default;
    const int line = FindKey(header, Key);
    if (line < 0) return Default;
    std::string_view key, raw;
    SplitKeyLine(m_lines[static_cast<std::size_t>(line)], key, raw);
    return DecodeValue(raw);
}

std::int32_t TIniFile::ReadInteger(std::string_view Section, std::string_view Key, std::int32_t Default) const
{
    const std::string text = ReadString(Section, Key, {});
    std::int32_t value = 0;
    return TryStrToInt(text, value) ? value : Default;
}

bool TIniFile::ReadBool(std::string_view Section, std::string_view Key, bool Default) const
{
    const std::string text = ReadString(Section, Key, {});
    std::int32_t value = 0;
    if (TryStrToInt(text, value)) return value != 0;
    if (SameText(text, "True")) return true;
    if (SameText(text, "False")) return false;
    return Default;
}

void TIniFile::WriteString(std::string_view Section, std::string_view Key, std::string_view Value)
{
    std::string line = std::string(Key) + '=' + EncodeValue(Value);
    int header = FindSection(Section);
    if (header < 0) {
        m_lines.push_back('[' + std::string(Section) + ']');
        m_lines.push_back(std::move(line));
        return;
    }
    const int existing = FindKey(header, Key);
    if (existing >= 0) {
        m_lines[static_cast<std::size_t>(existing)] = std::move(line);
        return;
    }
    // After the section's last non-empty line, so that a blank line that
    // separates it from the next section stays where it is.
    int at = SectionEnd(header);
    while (at - 1 > header && TrimBlanks(m_lines[static_cast<std::size_t>(at - 1)]).empty()) --at;
    m_lines.insert(m_lines.begin() + at, std::move(line));
}

void TIniFile::WriteInteger(std::string_view Section, std::string_view Key, std::int32_t Value)
{
    WriteString(Section, Key, IntToStr(Value));
}

void TIniFile::WriteBool(std::string_view Section, std::string_view Key, bool Value)
{
    WriteString(Section, Key, Value ? "1" : "0");
}

std::string TIniFile::Text() const
{
    std::string text = m_bom ? std::string(Utf8Bom) : std::string();
    for (const auto& line : m_lines) text += line + m_lineBreak;
    return text;
}

void TIniFile::UpdateFile()
{
    const std::string text = Text();
    std::string temp = m_fileName + ".XXXXXX";
    // mkstemp creates the file with mode 0600 whatever the umask.
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) throw EQELError("Cannot write the settings file \"" + m_fileName + "\": " + SystemReason(errno));

    auto fail = [&](int error) {
        ::close(fd);
        ::unlink(temp.c_str());
        throw EQELError("Cannot write the settings file \"" + m_fileName + "\": " + SystemReason(error));
    };
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fchmod(fd, S_IRUSR | S_IWUSR) != 0) fail(errno);
    if (::fsync(fd) != 0) fail(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        throw EQELError("Cannot write the settings file \"" + m_fileName + "\": " + SystemReason(error));
    }
    if (::rename(temp.c_str(), m_fileName.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        throw EQELError("Cannot write the settings file \"" + m_fileName + "\": " + SystemReason(error));
    }
}

} // namespace qel
