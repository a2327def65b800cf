// Whole-file reading and writing, with standard input for "-" and plain
// messages for the files that cannot be read or written.
#include "output/file_io.hpp"

#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace velmora::stereo_tool {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Why path cannot be read as a file, or empty when nothing speaks against it.
std::string reading_problem(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) return "cannot read '" + display_path(path) + "': no such file";
    if (status.type() == fs::file_type::directory) {
        return "cannot read '" + display_path(path) + "': it is a folder, not a file";
    }
    return {};
}

}  // namespace

std::string writing_problem(const fs::path& path) {
    std::error_code error;
    if (fs::is_directory(path, error)) return "cannot write '" + display_path(path) + "': it is a folder, not a file";
    const fs::path parent = path.parent_path();
    if (!parent.empty() && !fs::is_directory(parent, error)) {
        return "cannot write '" + display_path(path) + "': there is no folder '" + display_path(parent) + "'";
    }
    return {};
}

std::string creation_problem(const fs::path& path) {
    if (auto problem = writing_problem(path); !problem.empty()) return problem;
    std::error_code error;
    if (fs::exists(path, error)) {
        std::ofstream existing(path, std::ios::binary | std::ios::app);
        return existing ? std::string() : "cannot write '" + display_path(path) + "': the file is not writable";
    }
    const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    const fs::path probe = folder / (path.filename().u8string() + ".velmora-write-check");
    std::ofstream file(probe, std::ios::binary);
    if (!file) {
        return "cannot write '" + display_path(path) + "': the folder '" + display_path(folder) + "' is not writable";
    }
    file.close();
    fs::remove(probe, error);
    return {};
}

namespace {

void remove_byte_order_mark(FileText& file) {
    if (file.text.compare(0, kByteOrderMark.size(), kByteOrderMark) != 0) return;
    file.text.erase(0, kByteOrderMark.size());
    file.had_bom = true;
}

}  // namespace

std::string display_path(const fs::path& path) { return path.u8string(); }

FileText read_text_file(const fs::path& path, std::istream& in) {
    FileText result = read_file_bytes(path, in);
    if (result.ok()) remove_byte_order_mark(result);
    return result;
}

FileText read_file_bytes(const fs::path& path, std::istream& in) {
    FileText result;
    if (path == "-") {
        std::ostringstream buffer;
        buffer << in.rdbuf();
        result.text = buffer.str();
        return result;
    }
    if (result.error = reading_problem(path); !result.ok()) return result;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        result.error = "cannot open '" + display_path(path) + "' for reading";
        return result;
    }
    try {
        result.text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure&) {
        file.setstate(std::ios::badbit);  // the stream buffer throws on some read errors
    }
    if (file.bad()) result.error = "cannot read '" + display_path(path) + "'";
    return result;
}

std::string write_text_file(const fs::path& path, const std::string& text) {
    if (auto problem = writing_problem(path); !problem.empty()) return problem;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return "cannot open '" + display_path(path) + "' for writing";
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.close();
    if (!file) return "cannot write '" + display_path(path) + "'";
    return {};
}

}  // namespace velmora::stereo_tool
