// The JSON document a command is given: read, decoded and validated.
#include "input/document_file.hpp"

#include <cstdlib>
#include <optional>

#include <velmora/uvc_stereo/json.hpp>

#include "input/json_diagnosis.hpp"
#include "input/text_decoding.hpp"
#include "input/text_position.hpp"
#include "output/file_io.hpp"

namespace velmora::stereo_tool {
namespace {

constexpr const char* kStandardInputName = "<stdin>";
constexpr std::string_view kSdkOffsetMarker = " at offset ";

std::string located(const std::string& name, std::string_view text, std::size_t text_offset) {
    const TextPosition position = position_of(text, text_offset);
    return name + ":" + std::to_string(position.line) + ":" + std::to_string(position.column) + ": ";
}

std::string byte_offset_note(std::size_t offset) { return " (byte offset " + std::to_string(offset) + ")"; }

// The offset the SDK's message names ("... at offset 12"), for the rare text
// the SDK refuses but the diagnosis finds nothing wrong with.
std::size_t sdk_offset(const std::string& message) {
    const auto at = message.rfind(kSdkOffsetMarker);
    if (at == std::string::npos) return 0;
    return static_cast<std::size_t>(std::strtoull(message.c_str() + at + kSdkOffsetMarker.size(), nullptr, 10));
}

// mark_bytes: the length of a UTF-8 byte-order mark before the text, or
// nothing for a converted UTF-16 file, whose byte offsets would not match the text's.
std::string json_error(const DocumentFile& document, const std::string& sdk_message,
                       std::optional<std::size_t> mark_bytes) {
    const auto problem = diagnose_json(document.text);
    const std::size_t offset = problem ? problem->offset : sdk_offset(sdk_message);
    const std::string message = problem ? problem->message : sdk_message;
    return located(document.name, document.text, offset) + message +
           (mark_bytes ? byte_offset_note(offset + *mark_bytes) : "");
}

}  // namespace

DocumentFile load_document(const std::string& path, std::istream& in) {
    DocumentFile document;
    document.name = path == "-" ? kStandardInputName : path;
    const FileText bytes = read_file_bytes(path, in);
    if (!bytes.ok()) {
        document.error = bytes.error;
        return document;
    }
    const DecodedText decoded = decode_text_file(bytes.text);
    if (!decoded.ok()) {
        document.error = (decoded.error_has_position ? located(document.name, decoded.text, decoded.error_text_offset)
                                                     : document.name + ": ") +
                         decoded.error + byte_offset_note(decoded.error_file_offset);
        return document;
    }
    document.text = decoded.text;
    if (!decoded.note.empty()) document.notes.push_back("note: " + document.name + ": " + decoded.note);
    const auto minified = uvc_stereo::minify_and_validate_json(document.text);
    if (!minified.ok()) {
        const bool utf16 = decoded.note.find("UTF-16") != std::string::npos;
        document.error = json_error(document, minified.status().message(),
                                    utf16 ? std::nullopt
                                          : std::optional<std::size_t>(bytes.text.size() - decoded.text.size()));
        return document;
    }
    document.minified = minified.value();
    return document;
}

}  // namespace velmora::stereo_tool
