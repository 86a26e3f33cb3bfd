#include "support/CaseName.h"

namespace trv::test {

std::string CaseName(std::string_view text, std::string_view fallback)
{
    std::string name;
    bool gap = false;
    for (const char c : text) {
        const bool kept =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!kept) {
            gap = true;
            continue;
        }
        if (gap && !name.empty()) name += '_';
        gap = false;
        name += c;
    }
    return name.empty() ? std::string(fallback) : name;
}

std::string CaseName(const std::vector<std::string>& words, std::string_view fallback)
{
    std::string text;
    for (const std::string& word : words)
        text += word + ' ';
    return CaseName(text, fallback);
}

} // namespace trv::test
