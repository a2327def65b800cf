// A unified diff of two texts by lines, as `diff -u` shows it.
#pragma once

#include <string>

namespace velmora::stereo_tool {

// "--- old_label\n+++ new_label\n@@ -1,3 +1,3 @@\n ..." with three lines of
// context; empty when the texts are equal.
std::string unified_diff(const std::string& old_text, const std::string& new_text, const std::string& old_label,
                         const std::string& new_label);

}  // namespace velmora::stereo_tool
