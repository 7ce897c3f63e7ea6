#include "qelStrings.h"

#include "qelText.h"

namespace qel {

const TStringList::TLines& TStringList::Get() const
{
    static const TLines none;
    return m_lines ? *m_lines : none;
}

TStringList::TLines& TStringList::Edit()
{
    if (!m_lines) m_lines = std::make_shared<TLines>();
    else if (m_lines.use_count() > 1) m_lines = std::make_shared<TLines>(*m_lines);
    return *m_lines;
}

void TStringList::Assign(const TPersistent& Source)
{
    if (auto* src = dynamic_cast<const TStringList*>(&Source)) {
        m_lines = src->m_lines;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TStringList::SetString(int Index, const std::string& S)
{
    Edit().at(Index) = S;
    Changed();
}

int TStringList::Add(const std::string& S)
{
    Edit().push_back(S);
    Changed();
    return Count() - 1;
}

void TStringList::Insert(int Index, const std::string& S)
{
    if (Index < 0 || Index > Count()) throw std::out_of_range("TStringList::Insert: index out of range");
    TLines& lines = Edit();
    lines.insert(lines.begin() + Index, S);
    Changed();
}

void TStringList::Delete(int Index)
{
    if (Index < 0 || Index >= Count()) throw std::out_of_range("TStringList::Delete: index out of range");
    TLines& lines = Edit();
    lines.erase(lines.begin() + Index);
    Changed();
}

void TStringList::Clear()
{
    if (Get().empty()) return;
    m_lines.reset();
    Changed();
}

void TStringList::AddStrings(const TStringList& Other)
{
    // Held here, the other lines stay whole even when Other is this list.
    const std::shared_ptr<TLines> other = Other.m_lines;
    if (!other || other->empty()) {
        Changed();
        return;
    }
    TLines& lines = Edit();
    lines.insert(lines.end(), other->begin(), other->end());
    Changed();
}

void TStringList::SetLines(std::vector<std::string> Lines)
{
    m_lines = std::make_shared<TLines>(std::move(Lines));
    Changed();
}

int TStringList::IndexOf(std::string_view S) const
{
    const TLines& lines = Get();
    for (size_t i = 0; i < lines.size(); ++i)
        if (SameText(lines[i], S)) return static_cast<int>(i);
    return -1;
}

std::string TStringList::Text() const
{
    size_t n = 0;
    for (const auto& l : Get()) n += l.size() + 2;
    std::string r;
    r.reserve(n);
    for (const auto& l : Get()) {
        r += l;
        r += "\r\n";
    }
    return r;
}

void TStringList::SetText(std::string_view Text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    size_t i = 0;
    while (i < Text.size()) {
        const char c = Text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(Text.substr(start, i - start));
            if (c == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < Text.size()) lines.emplace_back(Text.substr(start));
    SetLines(std::move(lines));
}

std::string TStringList::TrimmedText() const { return Trim(Text()); }

void TStringList::EndUpdate()
{
    if (m_updating > 0 && --m_updating == 0 && m_pending) {
        m_pending = false;
        if (OnChange) OnChange(*this);
    }
}

void TStringList::Changed()
{
    if (m_updating > 0) {
        m_pending = true;
        return;
    }
    if (OnChange) OnChange(*this);
}

} // namespace qel
