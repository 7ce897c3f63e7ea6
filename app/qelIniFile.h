// The settings file: a small INI reader and writer that keeps values byte for
// byte. Qt's QSettings escapes backslashes and reorders keys, which would turn
// a Windows path like C:\Data\db.fdb into something else on the next start,
// so the window uses this instead.
//
// The file is held as its lines; writing a key replaces that key's line in
// place (or appends it to its section, or appends the section), so comments,
// other sections and the order of keys a user wrote by hand survive a save.
//
// Reading: section and key names ignore ASCII case; the first occurrence of a
// key wins; the key is the text before the first "=", the value the text
// after it, both without surrounding blanks and tabs; a value enclosed in a
// pair of double quotes loses that one pair. So a hand-written
// "DBNameM = C:\Data\a.fdb" reads as C:\Data\a.fdb.
//
// Writing: "key=value". A value that would not read back as it stands (one
// with a leading or trailing blank or tab, or one enclosed in double quotes)
// is written inside a pair of double quotes:
//   " a"     -> key=" a"
//   "\"x\""  -> key=""x""
//   a=b"c    -> key=a=b"c
// A line break cannot live in a one-line value; CR and LF are written as
// blanks.
//
// UpdateFile writes the whole file through a temporary file in the same
// folder and renames it over the old one, readable and writable by the
// owner only (0600): the settings hold passwords. Failures raise EQELError
// with the system's reason; reading a missing or unreadable file gives an
// empty file, so every key reads as its default.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

class TIniFile {
public:
    explicit TIniFile(std::string FileName);

    const std::string& FileName() const { return m_fileName; }
    // False when the file existed but could not be read.
    bool Readable() const { return m_readable; }

    bool SectionExists(std::string_view Section) const;
    bool ValueExists(std::string_view Section, std::string_view Key) const;

    std::string ReadString(std::string_view Section, std::string_view Key, const std::string& Default) const;
    // Decimal (or "$" and hexadecimal) integer; anything else gives Default.
    std::int32_t ReadInteger(std::string_view Section, std::string_view Key, std::int32_t Default) const;
    // An integer (not 0 is True) or the words True/False in any case;
    // anything else gives Default.
    bool ReadBool(std::string_view Section, std::string_view Key, bool Default) const;

    void WriteString(std::string_view Section, std::string_view Key, std::string_view Value);
    void WriteInteger(std::string_view Section, std::string_view Key, std::int32_t Value);
    // Written 1 or 0.
    void WriteBool(std::string_view Section, std::string_view Key, bool Value);

    // Writes the lines to the file (mode 0600). Raises EQELError on failure.
    void UpdateFile();

    // The file's text as UpdateFile would write it.
    std::string Text() const;

    // The line a value is written as, and the value a line's right-hand side
    // reads as; exposed for their tests.
    static std::string EncodeValue(std::string_view Value);
    static std::string DecodeValue(std::string_view Raw);

private:
    // Index of the section's header line, or -1.
    int FindSection(std::string_view Section) const;
    // Index of the key's line within the section starting at Header, or -1.
    int FindKey(int Header, std::string_view Key) const;
    // One past the last line of the section (the next header or the end).
    int SectionEnd(int Header) const;

    std::string m_fileName;
    std::vector<std::string> m_lines;
    bool m_readable = true;
    bool m_bom = false;
    std::string m_lineBreak = "\n";
};

} // namespace qel
