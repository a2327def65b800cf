// The JSON document a command is given: read, decoded and validated before
// any camera is opened, with file:line:column messages for what is wrong.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace velmora::stereo_tool {

struct DocumentFile {
    std::string name;      // as messages name it: the path, or "<stdin>"
    std::string text;      // UTF-8, as given (byte-order mark removed, UTF-16 converted)
    std::string minified;  // what the camera will store
    std::vector<std::string> notes;  // "note: ..." lines about the conversion
    std::string error;     // the file problem, or empty

    bool ok() const { return error.empty(); }
};

// path "-" reads in. A file that cannot be read, is not UTF-8 or UTF-16, or
// is not JSON the SDK accepts gives an error such as
// "calibration.json:3:17: expected ',' or '}', found '\"' (byte offset 45)".
DocumentFile load_document(const std::string& path, std::istream& in);

}  // namespace velmora::stereo_tool
