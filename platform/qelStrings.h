// The one string-list type of the system: SQL texts of queries and
// statements, script lines, name lists. Text ends every line with CR LF;
// IndexOf ignores ASCII case; OnChange fires after every change.
#pragma once

#include "qelComponent.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

class TStringList : public TPersistent {
public:
    TStringList() = default;
    TStringList(std::initializer_list<std::string> lines) : m_lines(lines) {}
    TStringList(const TStringList& other) : TPersistent(), m_lines(other.m_lines) {}
    TStringList& operator=(const TStringList& other)
    {
        SetLines(other.m_lines);
        return *this;
    }

    std::string ClassName() const override { return "TStringList"; }
    void Assign(const TPersistent& Source) override;

    int Count() const { return static_cast<int>(m_lines.size()); }
    bool Empty() const { return m_lines.empty(); }
    const std::string& operator[](int Index) const { return m_lines.at(Index); }
    const std::string& Strings(int Index) const { return m_lines.at(Index); }
    void SetString(int Index, const std::string& S);
    const std::vector<std::string>& Lines() const { return m_lines; }

    int Add(const std::string& S);
    void Insert(int Index, const std::string& S);
    void Delete(int Index);
    void Clear();
    // Appends every line of Other.
    void AddStrings(const TStringList& Other);
    void SetLines(std::vector<std::string> Lines);

    // Index of the first line equal to S ignoring ASCII case, or -1.
    int IndexOf(std::string_view S) const;

    // Every line followed by CR LF ("a\r\nb\r\n"); empty for no lines.
    std::string Text() const;
    // Splits at CR LF, CR or LF; a final line break adds no empty line.
    void SetText(std::string_view Text);
    // Text without the leading and trailing blanks and line breaks.
    std::string TrimmedText() const;

    // Called after every change of the lines.
    std::function<void(TStringList&)> OnChange;

    // Several changes, one notice at the end.
    void BeginUpdate() { ++m_updating; }
    void EndUpdate();

private:
    void Changed();

    std::vector<std::string> m_lines;
    int m_updating = 0;
    bool m_pending = false;
};

} // namespace qel
