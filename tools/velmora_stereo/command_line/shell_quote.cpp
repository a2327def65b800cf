// Quoting a word for the shell, so a printed command can be pasted as it is.
#include "command_line/shell_quote.hpp"

#include <algorithm>

namespace velmora::stereo_tool {
namespace {

bool needs_no_quotes(const std::string& word) {
    return !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               std::string("_./:@%+=,-").find(c) != std::string::npos
#if defined(_WIN32)
               || c == '\\'
#endif
            ;
    });
}

}  // namespace

std::string shell_quote(const std::string& word) {
    if (needs_no_quotes(word)) return word;
#if defined(_WIN32)
    std::string quoted = "\"";
    for (const char c : word) quoted += c == '"' ? std::string("\\\"") : std::string(1, c);
    return quoted + "\"";
#else
    std::string quoted = "'";
    for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
#endif
}

}  // namespace velmora::stereo_tool
