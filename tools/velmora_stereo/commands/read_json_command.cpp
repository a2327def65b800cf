// The read-json command: the camera's JSON document to standard output or a file.
#include <ostream>

#include "commands.hpp"
#include "output/error_report.hpp"
#include "output/file_io.hpp"
#include "output/json_text.hpp"
#include "camera/open_camera.hpp"

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;

constexpr const char* kNoDocument = "no JSON document is stored on this camera";

}  // namespace

int run_read_json(const ToolContext& context) {
    auto camera = open_selected_camera(context, "read-json", 0, kRequireFlash);
    if (!camera.device) return camera.exit_code;
    const auto document = camera.device->read_json();
    if (!document.ok()) {
        // A blank flash answers with the record format's magic check; say what it means.
        const bool blank = document.status().code() == uvc::ErrorCode::BadMagic;
        return report_failure(blank ? kNoDocument : "", document.status(), context.err);
    }

    const std::string& json = document.value().json;
    const std::string text = (context.options.has("pretty") ? pretty_print_json(json) : json) + "\n";
    const auto output = context.options.value("output");
    if (!output || *output == "-") {
        context.out << text;
        return kExitSuccess;
    }
    if (const auto problem = write_text_file(*output, text); !problem.empty()) {
        return report_file_problem(problem, context.err);
    }
    context.err << "Wrote " << text.size() << " bytes (record version " << document.value().version << ") to "
                << *output << ".\n";
    return kExitSuccess;
}

}  // namespace velmora::stereo_tool
