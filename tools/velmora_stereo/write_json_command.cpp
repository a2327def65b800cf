// The write-json command: validate, minify, store and verify a JSON document.
#include <ostream>
#include <vector>

#include <velmora/uvc_stereo/flash_record.hpp>
#include <velmora/uvc_stereo/json.hpp>

#include "camera_summary.hpp"
#include "commands.hpp"
#include "device_selection.hpp"
#include "error_report.hpp"
#include "file_io.hpp"
#include "open_camera.hpp"
#include "text_table.hpp"

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;

constexpr std::size_t kSummaryIndent = 2;

// The size of the flash record that will hold the payload, built the way the
// SDK builds it (version 0, the default header size).
std::size_t record_size(const std::string& minified) {
    const std::vector<std::uint8_t> payload(minified.begin(), minified.end());
    const auto blob = uvc::build_blob(0, payload, uvc::FlashConfig{});
    return blob.ok() ? blob.value().raw.size() : 0;
}

std::string record_text(std::size_t size, const uvc::DeviceCapabilityInfo& capability) {
    std::string text = size == 0 ? std::string("too large for a flash record") : std::to_string(size) + " bytes";
    if (const auto layout = effective_flash_layout(capability)) {
        text += " of the " + std::to_string(layout->size) + "-byte user space at " + format_hex32(layout->address);
    }
    return text;
}

// Reads the document back and compares it with what was meant to be stored.
uvc::Status verify_stored(uvc::Device& device, const std::string& minified) {
    const auto stored = device.read_json();
    if (!stored.ok()) return stored.status();
    if (stored.value().json != minified) {
        return uvc::Status(uvc::ErrorCode::WriteFailed, "the document read back differs from the one written");
    }
    return {};
}

}  // namespace

int run_write_json(const ToolContext& context) {
    if (const int usage = check_positionals(context, "write-json", 1); usage != kExitSuccess) return usage;
    const std::string& path = context.options.positionals.front();
    const FileText input = read_text_file(path, context.in);
    if (!input.ok()) {
        context.err << "error: " << input.error << '\n';
        return kExitFailure;
    }
    // Validate before touching the camera, so a typo never reaches the flash.
    const auto minified = uvc::minify_and_validate_json(input.text);
    if (!minified.ok()) return report_failure(minified.status(), context.err);

    auto camera = open_selected_camera(context, "write-json", 1, kRequireFlash);
    if (!camera.device) return camera.exit_code;
    uvc::Device& device = *camera.device;
    if (const auto written = device.write_json(input.text); !written.ok()) {
        return report_failure(written, context.err);
    }
    const auto verified = verify_stored(device, minified.value());
    if (!verified.ok()) return report_failure(verified, context.err);

    const auto& info = device.info();
    context.out << "Stored the JSON document on " << format_vid_pid(info.vid, info.pid)
                << (info.serial_number.empty() ? "" : " (serial " + info.serial_number + ")") << ".\n";
    print_key_values({{"input", std::to_string(input.text.size()) + " bytes"},
                      {"minified", std::to_string(minified.value().size()) + " bytes"},
                      {"record", record_text(record_size(minified.value()), device.capability_info())},
                      {"verified", "yes (read back and compared)"}},
                     context.out, kSummaryIndent);
    return kExitSuccess;
}

}  // namespace velmora::stereo_tool
