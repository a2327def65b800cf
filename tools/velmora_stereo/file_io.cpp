// Whole-file reading and writing, with standard input for "-".
#include "file_io.hpp"

#include <fstream>
#include <iterator>
#include <sstream>

namespace velmora::stereo_tool {

FileText read_text_file(const std::string& path, std::istream& in) {
    FileText result;
    if (path == "-") {
        std::ostringstream buffer;
        buffer << in.rdbuf();
        result.text = buffer.str();
        return result;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        result.error = "cannot open '" + path + "' for reading";
        return result;
    }
    result.text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (file.bad()) result.error = "cannot read '" + path + "'";
    return result;
}

std::string write_text_file(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return "cannot open '" + path + "' for writing";
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.close();
    if (!file) return "cannot write '" + path + "'";
    return {};
}

}  // namespace velmora::stereo_tool
