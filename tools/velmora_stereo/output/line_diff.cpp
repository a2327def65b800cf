// A unified diff of two texts by lines.
#include "output/line_diff.hpp"

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <vector>

namespace velmora::stereo_tool {
namespace {

constexpr std::size_t kContext = 3;
// The longest-common-subsequence table is kept below this many cells (16 MiB
// of counters); a larger changed middle is shown as removed, then added.
constexpr std::size_t kMaxTableCells = 4u * 1024 * 1024;

enum class Op { Keep, Remove, Add };
struct Edit {
    Op op;
    std::size_t old_line;  // index in the old lines (Keep, Remove)
    std::size_t new_line;  // index in the new lines (Keep, Add)
};

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

// The edits that turn a[a0, a1) into b[b0, b1), by a longest common subsequence.
void diff_middle(const std::vector<std::string>& a, std::size_t a0, std::size_t a1, const std::vector<std::string>& b,
                 std::size_t b0, std::size_t b1, std::vector<Edit>& edits) {
    const std::size_t n = a1 - a0;
    const std::size_t m = b1 - b0;
    if (n == 0 || m == 0 || (n + 1) * (m + 1) > kMaxTableCells) {
        for (std::size_t i = a0; i < a1; ++i) edits.push_back({Op::Remove, i, b0});
        for (std::size_t j = b0; j < b1; ++j) edits.push_back({Op::Add, a1, j});
        return;
    }
    // length[i][j]: the common subsequence of a[a0+i..) and b[b0+j..).
    std::vector<std::uint32_t> length((n + 1) * (m + 1), 0);
    const auto at = [&](std::size_t i, std::size_t j) -> std::uint32_t& { return length[i * (m + 1) + j]; };
    for (std::size_t i = n; i-- > 0;) {
        for (std::size_t j = m; j-- > 0;) {
            at(i, j) = a[a0 + i] == b[b0 + j] ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
        }
    }
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && a[a0 + i] == b[b0 + j]) {
            edits.push_back({Op::Keep, a0 + i++, b0 + j++});
        } else if (j < m && (i == n || at(i, j + 1) > at(i + 1, j))) {  // removals first, as diff -u
            edits.push_back({Op::Add, a0 + i, b0 + j++});
        } else {
            edits.push_back({Op::Remove, a0 + i++, b0 + j});
        }
    }
}

std::vector<Edit> edit_script(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    std::size_t prefix = 0;
    while (prefix < a.size() && prefix < b.size() && a[prefix] == b[prefix]) ++prefix;
    std::size_t suffix = 0;
    while (suffix < a.size() - prefix && suffix < b.size() - prefix &&
           a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix]) {
        ++suffix;
    }
    std::vector<Edit> edits;
    for (std::size_t i = 0; i < prefix; ++i) edits.push_back({Op::Keep, i, i});
    diff_middle(a, prefix, a.size() - suffix, b, prefix, b.size() - suffix, edits);
    for (std::size_t k = suffix; k-- > 0;) edits.push_back({Op::Keep, a.size() - 1 - k, b.size() - 1 - k});
    return edits;
}

// "-3,4" in a hunk header: the first line (from 1; the line before for an empty range) and the count.
std::string range(std::size_t first, std::size_t count) {
    return std::to_string(count == 0 ? first : first + 1) + "," + std::to_string(count);
}

std::string hunk(const std::vector<Edit>& edits, std::size_t begin, std::size_t end, const std::vector<std::string>& a,
                 const std::vector<std::string>& b) {
    std::size_t old_count = 0;
    std::size_t new_count = 0;
    std::string body;
    for (std::size_t e = begin; e < end; ++e) {
        const Edit& edit = edits[e];
        if (edit.op != Op::Add) ++old_count;
        if (edit.op != Op::Remove) ++new_count;
        const char mark = edit.op == Op::Keep ? ' ' : edit.op == Op::Remove ? '-' : '+';
        body += mark + (edit.op == Op::Add ? b[edit.new_line] : a[edit.old_line]) + "\n";
    }
    return "@@ -" + range(edits[begin].old_line, old_count) + " +" + range(edits[begin].new_line, new_count) + " @@\n" +
           body;
}

}  // namespace

std::string unified_diff(const std::string& old_text, const std::string& new_text, const std::string& old_label,
                         const std::string& new_label) {
    const auto a = lines_of(old_text);
    const auto b = lines_of(new_text);
    const auto edits = edit_script(a, b);
    std::string out;
    for (std::size_t k = 0; k < edits.size();) {
        if (edits[k].op == Op::Keep) {
            ++k;
            continue;
        }
        // One hunk: the changes that lie within 2 * kContext kept lines of
        // each other, with kContext kept lines around them.
        std::size_t last_change = k;
        for (std::size_t e = k + 1; e < edits.size() && e - last_change <= 2 * kContext + 1; ++e) {
            if (edits[e].op != Op::Keep) last_change = e;
        }
        const std::size_t begin = k >= kContext ? k - kContext : 0;
        const std::size_t end = std::min(edits.size(), last_change + 1 + kContext);
        out += hunk(edits, begin, end, a, b);
        k = end;
    }
    if (out.empty()) return out;
    return "--- " + old_label + "\n+++ " + new_label + "\n" + out;
}

}  // namespace velmora::stereo_tool
