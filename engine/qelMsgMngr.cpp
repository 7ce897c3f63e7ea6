#include "qelMsgMngr.h"

namespace qel {

void TMsgManager::Add(const std::string& Text, TMsgKind Kind, TObject* Data)
{
    auto m = std::make_unique<TMsgData>();
    m->Text = Text;
    m->Kind = Kind;
    m->Data = Data;
    m_items.push_back(std::move(m));
}

void TMsgManager::AddMessage(const std::string& Text, const std::string& ScriptName, TMsgKind Kind,
                             std::int32_t Line, std::int32_t Column)
{
    auto m = std::make_unique<TMsgData>();
    m->Text = Text;
    m->Kind = Kind;
    m->ScriptName = ScriptName;
    m->Line = Line;
    m->Column = Column;
    m_items.push_back(std::move(m));
}

void TMsgManager::AddObjectMessage(const std::string& Text, TObject* Data, TMsgKind Kind, std::int32_t Line,
                                   std::int32_t Column)
{
    auto m = std::make_unique<TMsgData>();
    m->Text = Text;
    m->Kind = Kind;
    m->Data = Data;
    m->Line = Line;
    m->Column = Column;
    m_items.push_back(std::move(m));
}

void TMsgManager::AddMessages(const TMsgManager* Source)
{
    if (Source == nullptr) return;
    // Counted first so that adding a manager's messages to itself doubles
    // them once instead of running forever.
    const std::size_t n = Source->m_items.size();
    m_items.reserve(m_items.size() + n);
    for (std::size_t i = 0; i < n; ++i) {
        auto m = std::make_unique<TMsgData>();
        m->Assign(*Source->m_items[i]);
        m_items.push_back(std::move(m));
    }
}

bool TMsgManager::HasKind(TMsgKind Kind) const
{
    for (const auto& m : m_items)
        if (m->Kind == Kind) return true;
    return false;
}

} // namespace qel
