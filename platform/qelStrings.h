// The one string-list type of the system: SQL texts of queries and
// statements, script lines, name lists. Text ends every line with CR LF;
// IndexOf ignores ASCII case; OnChange fires after every change.
#pragma once

#include "qelComponent.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

class TStringList : public TPersistent {
public:
    TStringList() = default;
    TStringList(std::initializer_list<std::string> lines) : m_lines(std::make_shared<TLines>(lines)) {}
    // A copy shares the lines until one side changes them.
    TStringList(const TStringList& other) : TPersistent(), m_lines(other.m_lines) {}
    TStringList& operator=(const TStringList& other)
    {
        m_lines = other.m_lines;
        Changed();
        return *this;
    }

    std::string ClassName() const override { return "TStringList"; }
    void Assign(const TPersistent& Source) override;

    int Count() const { return static_cast<int>(Get().size()); }
    bool Empty() const { return Get().empty(); }
    const std::string& operator[](int Index) const { return Get().at(Index); }
    const std::string& Strings(int Index) const { return Get().at(Index); }
    void SetString(int Index, const std::string& S);
    const std::vector<std::string>& Lines() const { return Get(); }

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
    using TLines = std::vector<std::string>;
    void Changed();
    const TLines& Get() const;
    // The lines to change, copied first while another list shares them.
    TLines& Edit();

    // None for no lines; shared by copies (a statement a GO count repeats
    // keeps one copy of its text).
    std::shared_ptr<TLines> m_lines;
    int m_updating = 0;
    bool m_pending = false;
};

} // namespace qel
