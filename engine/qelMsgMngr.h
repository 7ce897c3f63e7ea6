// The ordered list of messages (information, warnings, errors) that a run or
// a parse produced, each with the script position or the object it concerns.
// The manager owns its messages; the object a message refers to is not owned.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qel {

class TObject;

enum class TMsgKind : std::uint8_t { mkInfo, mkWarning, mkError };

class TMsgData {
public:
    void Assign(const TMsgData& Source) { *this = Source; }

    std::string Text;
    TMsgKind Kind = TMsgKind::mkInfo;
    std::string ScriptName; // empty when the message has no script position
    std::int32_t Column = 0;
    std::int32_t Line = 0;
    TObject* Data = nullptr; // what the message concerns; not owned
};

class TMsgManager {
public:
    TMsgManager() = default;
    TMsgManager(const TMsgManager&) = delete;
    TMsgManager& operator=(const TMsgManager&) = delete;

    void Clear() { m_items.clear(); }

    // A message without a script position.
    void Add(const std::string& Text, TMsgKind Kind, TObject* Data = nullptr);
    // A message at a script position, about no object.
    void AddMessage(const std::string& Text, const std::string& ScriptName, TMsgKind Kind, std::int32_t Line,
                    std::int32_t Column);
    // A message about an object, with a position but no script name.
    void AddObjectMessage(const std::string& Text, TObject* Data, TMsgKind Kind, std::int32_t Line,
                          std::int32_t Column);
    // Appends a copy of every message of Source in its order; Source keeps its
    // own. Nothing happens for nullptr.
    void AddMessages(const TMsgManager* Source);

    bool HasKind(TMsgKind Kind) const;
    bool HasErrors() const { return HasKind(TMsgKind::mkError); }

    int Count() const { return static_cast<int>(m_items.size()); }
    // Messages stay at their address until Clear or destruction.
    const TMsgData& Items(int Index) const { return *m_items.at(static_cast<std::size_t>(Index)); }
    TMsgData& Items(int Index) { return *m_items.at(static_cast<std::size_t>(Index)); }

private:
    std::vector<std::unique_ptr<TMsgData>> m_items;
};

} // namespace qel
