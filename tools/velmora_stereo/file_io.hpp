// Whole-file reading and writing, with standard input for "-".
#pragma once

#include <iosfwd>
#include <string>

namespace velmora::stereo_tool {

struct FileText {
    std::string text;
    std::string error;  // empty on success

    bool ok() const { return error.empty(); }
};

// The bytes of path, unchanged; "-" reads all of in.
FileText read_text_file(const std::string& path, std::istream& in);

// Writes text to path byte for byte, replacing the file. Empty on success,
// otherwise why it failed.
std::string write_text_file(const std::string& path, const std::string& text);

}  // namespace velmora::stereo_tool
