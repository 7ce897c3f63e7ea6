#include "qelWords.h"

namespace qel {

std::size_t QuotedRunEnd(std::string_view Text, std::size_t Open, char Close)
{
    std::size_t i = Open + 1;
    while (i < Text.size()) {
        if (Text[i] != Close) {
            ++i;
        } else if (i + 1 < Text.size() && Text[i + 1] == Close) {
            i += 2;
        } else {
            return i + 1;
        }
    }
    return std::string_view::npos;
}

std::string QuotedValue(std::string_view Text, std::size_t Open, char Close, std::size_t* End)
{
    std::string value;
    std::size_t i = Open + 1;
    for (; i < Text.size(); ++i) {
        if (Text[i] == Close) {
            if (i + 1 < Text.size() && Text[i + 1] == Close) {
                value += Close;
                ++i;
                continue;
            }
            break;
        }
        value += Text[i];
    }
    if (End != nullptr) *End = i < Text.size() ? i + 1 : Text.size();
    return value;
}

bool NextQuotedValue(std::string_view Text, std::size_t& Pos, std::string& Value)
{
    const std::size_t open = Text.find('\'', Pos);
    if (open == std::string_view::npos) return false;
    Value = QuotedValue(Text, open, '\'', &Pos);
    return true;
}

std::vector<TStatementWord> StatementWords(std::string_view Text)
{
    const auto comment = [Text](std::size_t At) {
        return Text.substr(At, 2) == "/*" || Text.substr(At, 2) == "--";
    };
    const auto separates = [&](std::size_t At) {
        return static_cast<unsigned char>(Text[At]) <= ' ' || Text[At] == ';' || comment(At);
    };
    std::vector<TStatementWord> words;
    std::size_t i = 0;
    while (i < Text.size()) {
        const char c = Text[i];
        if (comment(i)) {
            const std::size_t end = c == '/' ? Text.find("*/", i + 2) : Text.find('\n', i + 2);
            i = end == std::string_view::npos ? Text.size() : end + (c == '/' ? 2 : 1);
        } else if (separates(i)) {
            ++i;
        } else if (c == '\'' || c == '"') {
            words.push_back({QuotedValue(Text, i, c, &i), true, c});
        } else if (c == '=') {
            words.push_back({"=", false});
            ++i;
        } else {
            std::size_t j = i;
            while (j < Text.size() && !separates(j) && Text[j] != '=' && Text[j] != '\'' && Text[j] != '"') ++j;
            words.push_back({std::string(Text.substr(i, j - i)), false});
            i = j;
        }
    }
    return words;
}

} // namespace qel
