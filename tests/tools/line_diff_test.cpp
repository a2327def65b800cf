// Tests of the document diff and of the quoting of printed commands.
#include <gtest/gtest.h>

#include "command_line/shell_quote.hpp"
#include "output/line_diff.hpp"

namespace velmora::stereo_tool {
namespace {

std::string numbered(int from, int to, int changed = 0) {
    std::string text;
    for (int i = from; i <= to; ++i) text += (i == changed ? "changed " : "line ") + std::to_string(i) + "\n";
    return text;
}

TEST(UnifiedDiff, ShowsChangesWithThreeLinesOfContext) {
    struct Row {
        const char* label;
        std::string old_text;
        std::string new_text;
        std::string diff;
    };
    const std::vector<Row> rows = {
        {"equal texts", "a\nb\n", "a\nb\n", ""},
        {"one changed line", "a\nb\nc\n", "a\nB\nc\n", "--- old\n+++ new\n@@ -1,3 +1,3 @@\n a\n-b\n+B\n c\n"},
        {"everything new", "", "x\ny\n", "--- old\n+++ new\n@@ -0,0 +1,2 @@\n+x\n+y\n"},
        {"everything gone", "x\n", "", "--- old\n+++ new\n@@ -1,1 +0,0 @@\n-x\n"},
        {"far apart changes make two hunks", numbered(1, 20, 0), numbered(1, 20, 2) .replace(0, 0, "") ,
         "--- old\n+++ new\n@@ -1,5 +1,5 @@\n line 1\n-line 2\n+changed 2\n line 3\n line 4\n line 5\n"},
        {"an insertion in the middle", "a\nb\nc\nd\ne\nf\ng\nh\n", "a\nb\nc\nd\nX\ne\nf\ng\nh\n",
         "--- old\n+++ new\n@@ -2,6 +2,7 @@\n b\n c\n d\n+X\n e\n f\n g\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(unified_diff(row.old_text, row.new_text, "old", "new"), row.diff);
    }
    // Changes 10 lines apart are two hunks; 6 apart share one.
    std::string two = numbered(1, 30);
    std::string changed_two = two;
    changed_two.replace(changed_two.find("line 5\n"), 7, "five\n");
    changed_two.replace(changed_two.find("line 16\n"), 8, "sixteen\n");
    const std::string diff = unified_diff(two, changed_two, "old", "new");
    EXPECT_NE(diff.find("@@ -2,7 +2,7 @@"), std::string::npos) << diff;
    EXPECT_NE(diff.find("@@ -13,7 +13,7 @@"), std::string::npos) << diff;
}

TEST(ShellQuote, QuotesOnlyWhatTheShellWouldSplitOrExpand) {
    EXPECT_EQ(shell_quote("/home/me/backups/VLM_20250311T101500.123Z.rec"), "/home/me/backups/VLM_20250311T101500.123Z.rec");
#if defined(_WIN32)
    EXPECT_EQ(shell_quote("C:\\Users\\A B\\x.rec"), "\"C:\\Users\\A B\\x.rec\"");
    EXPECT_EQ(shell_quote("a\"b"), "\"a\\\"b\"");
#else
    EXPECT_EQ(shell_quote("/tmp/a b.rec"), "'/tmp/a b.rec'");
    EXPECT_EQ(shell_quote("it's"), "'it'\\''s'");
    EXPECT_EQ(shell_quote("$HOME"), "'$HOME'");
    EXPECT_EQ(shell_quote(""), "''");
#endif
}

}  // namespace
}  // namespace velmora::stereo_tool
