// Whole-file reading and writing, with standard input for "-" and plain
// messages for the files that cannot be read or written.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

namespace velmora::stereo_tool {

struct FileText {
    std::string text;
    std::string error;         // empty on success
    bool had_bom = false;      // a leading UTF-8 byte-order mark was removed

    bool ok() const { return error.empty(); }
};

// The bytes of path exactly as stored; "-" reads all of in.
FileText read_file_bytes(const std::filesystem::path& path, std::istream& in);

// The bytes of path; "-" reads all of in. A leading UTF-8 byte-order mark
// (which Windows editors like to add) is removed and reported in had_bom.
FileText read_text_file(const std::filesystem::path& path, std::istream& in);

// Why path cannot be written as a file (it is a folder, its folder is
// missing), or empty when nothing speaks against it yet.
std::string writing_problem(const std::filesystem::path& path);

// writing_problem, and also whether the folder (or the file, when it exists)
// can be written, tried with a probe file that is removed again.
std::string creation_problem(const std::filesystem::path& path);

// Writes text to path byte for byte, replacing the file. Empty on success,
// otherwise why it failed.
std::string write_text_file(const std::filesystem::path& path, const std::string& text);

// The path as UTF-8 for messages.
std::string display_path(const std::filesystem::path& path);

}  // namespace velmora::stereo_tool
