#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace trv::test {

// A parameterised case's name made from free text (options, a file name): letters and digits
// stay, every other run of characters becomes one '_', as test names allow nothing else; empty
// text gives `fallback`.
std::string CaseName(std::string_view text, std::string_view fallback = "none");
// The same for the words of a command line.
std::string CaseName(const std::vector<std::string>& words, std::string_view fallback = "none");

} // namespace trv::test
