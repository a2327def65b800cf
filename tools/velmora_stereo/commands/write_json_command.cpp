// The write-json command: validate and minify the document before any camera
// is opened, back up what the camera holds, store the new document and
// verify it; or say that nothing would change, or only show what would.
#include <optional>
#include <ostream>
#include <vector>

#include <velmora/uvc_stereo/flash_record.hpp>
#include <velmora/uvc_stereo/json.hpp>

#include "backups/flash_backup.hpp"
#include "camera/camera_summary.hpp"
#include "camera/device_selection.hpp"
#include "camera/open_camera.hpp"
#include "camera/stored_record.hpp"
#include "command_line/interrupt.hpp"
#include "commands.hpp"
#include "input/document_file.hpp"
#include "output/error_report.hpp"
#include "output/file_io.hpp"
#include "output/json_text.hpp"
#include "output/line_diff.hpp"
#include "output/progress_line.hpp"
#include "output/text_table.hpp"
#include "output/tool_json.hpp"

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;

constexpr std::size_t kSummaryIndent = 2;

std::vector<std::uint8_t> bytes_of(const std::string& text) { return {text.begin(), text.end()}; }

std::string record_text(std::size_t size, const uvc::FlashConfig& config) {
    return std::to_string(size) + " bytes of the " + std::to_string(config.flash_user_space_size) +
           "-byte user space at " + format_hex32(config.flash_user_space_address);
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

// The record the document becomes, built as the SDK builds it (version 0);
// refused with the sizes named when it does not fit the camera's user space.
uvc::Result<uvc::FlashBlob> build_record(const std::string& minified, const uvc::FlashConfig& config,
                                         const ToolContext& context, int& exit_code) {
    auto blob = uvc::build_blob(0, bytes_of(minified), config);
    if (!blob.ok() && blob.status().code() == uvc::ErrorCode::InvalidLength) {
        exit_code = report_failure("the minified document has " + std::to_string(minified.size()) +
                                       " bytes, but the camera's flash user space holds " +
                                       std::to_string(config.flash_user_space_size) + " bytes including the " +
                                       std::to_string(config.min_header_size) + "-byte record header",
                                   blob.status(), context.err);
    } else if (!blob.ok()) {
        exit_code = report_failure(blob.status(), context.err);
    }
    return blob;
}

// Everything the command learns before it writes.
struct WritePlan {
    DocumentFile document;
    uvc::FlashConfig config;
    std::size_t record_bytes = 0;
    std::optional<FlashContent> stored;         // empty when it could not be read (--no-backup only)
    std::optional<std::string> stored_document; // the stored document, minified, when there is a valid one
    bool unchanged() const { return stored_document && *stored_document == document.minified; }
};

std::optional<std::string> stored_document_of(const std::optional<FlashContent>& stored) {
    if (!stored || stored->kind != ContentKind::Record) return std::nullopt;
    const auto minified = uvc::minify_and_validate_json(stored->document);
    if (!minified.ok()) return std::nullopt;
    return minified.value();
}

std::string document_diff(const WritePlan& plan, const uvc::DeviceInfo& camera) {
    const std::string label = "stored on " + format_vid_pid(camera.vid, camera.pid) +
                              (camera.serial_number.empty() ? "" : " (serial " + camera.serial_number + ")");
    std::string old_label = label;
    if (!plan.stored_document) {
        old_label += plan.stored ? " (no valid document: " + std::string(content_kind_name(plan.stored->kind)) + ")"
                                 : " (not read)";
    }
    const std::string old_text = plan.stored_document ? pretty_print_json(*plan.stored_document) + "\n" : "";
    return unified_diff(old_text, pretty_print_json(plan.document.minified) + "\n", old_label, plan.document.name);
}

std::string would_be_saved(const WritePlan& plan, const ToolContext& context) {
    if (context.options.has("no-backup")) return "none (--no-backup)";
    if (!plan.stored) return "unknown (the flash could not be read)";
    if (plan.stored->kind == ContentKind::Blank) return "none (the flash is blank)";
    const FolderChoice folder = chosen_backup_folder(context.options);
    return describe_content(*plan.stored) + " into " +
           (folder.error.empty() ? display_path(folder.folder) : "the backup folder (" + folder.error + ")");
}

ToolJson summary_json(const char* action, const WritePlan& plan, const uvc::DeviceInfo& camera) {
    ToolJson json;
    json["action"] = action;
    json["camera"] = camera_json(camera);
    json["input"] = plan.document.name;
    json["input_bytes"] = plan.document.text.size();
    json["minified_bytes"] = plan.document.minified.size();
    json["record_bytes"] = plan.record_bytes;
    json["user_space"] = {{"address", format_hex32(plan.config.flash_user_space_address)},
                          {"size", plan.config.flash_user_space_size}};
    json["stored"] = plan.stored ? ToolJson(describe_content(*plan.stored)) : ToolJson(nullptr);
    return json;
}

std::vector<KeyValue> size_lines(const WritePlan& plan) {
    return {{"input", std::to_string(plan.document.text.size()) + " bytes"},
            {"minified", std::to_string(plan.document.minified.size()) + " bytes"},
            {"record", record_text(plan.record_bytes, plan.config)}};
}

std::string camera_words(const uvc::DeviceInfo& info) {
    return format_vid_pid(info.vid, info.pid) + (info.serial_number.empty() ? "" : " (serial " + info.serial_number + ")");
}

int show_dry_run(const WritePlan& plan, const uvc::DeviceInfo& camera, const ToolContext& context) {
    const std::string diff = document_diff(plan, camera);
    if (context.options.has("json")) {
        ToolJson json = summary_json("dry run", plan, camera);
        json["unchanged"] = plan.unchanged();
        json["backup"] = would_be_saved(plan, context);
        json["diff"] = diff;
        context.out << dump_tool_json(json);
        return kExitSuccess;
    }
    context.out << "Dry run: nothing is written to " << camera_words(camera) << ".\n";
    auto lines = size_lines(plan);
    lines.push_back({"stored", plan.stored ? describe_content(*plan.stored) : "not read"});
    lines.push_back({"backup", "would save " + would_be_saved(plan, context)});
    lines.push_back({"change", plan.unchanged() ? "none: the camera holds this document" : "the diff below"});
    print_key_values(lines, context.out, kSummaryIndent);
    if (!diff.empty()) context.out << '\n' << diff;
    return kExitSuccess;
}

int show_unchanged(const WritePlan& plan, const uvc::DeviceInfo& camera, const ToolContext& context) {
    if (context.options.has("json")) {
        context.out << dump_tool_json(summary_json("unchanged", plan, camera));
        return kExitSuccess;
    }
    context.out << "unchanged: " << camera_words(camera)
                << " already holds this document; nothing was written (--force writes it anyway).\n";
    return kExitSuccess;
}

int show_written(const WritePlan& plan, const uvc::DeviceInfo& camera, const BackupStep& backup,
                 const ToolContext& context) {
    if (context.options.has("json")) {
        ToolJson json = summary_json("written", plan, camera);
        json["verified"] = true;
        json["backup"] = {{"file", backup.file.empty() ? ToolJson(nullptr) : ToolJson(display_path(backup.file))},
                          {"summary", backup.summary}};
        if (context.options.has("diff")) json["diff"] = document_diff(plan, camera);
        context.out << dump_tool_json(json);
        return kExitSuccess;
    }
    context.out << "Stored the JSON document on " << camera_words(camera) << ".\n";
    auto lines = size_lines(plan);
    lines.push_back({"verified", "yes (read back and compared)"});
    lines.push_back({"backup", backup.summary});
    print_key_values(lines, context.out, kSummaryIndent);
    return kExitSuccess;
}

// Reads what the camera holds; without a backup to take, a failed read only
// costs the unchanged check and the diff.
int read_stored(uvc::Device& device, WritePlan& plan, const ToolContext& context) {
    const ProgressLine progress("reading the camera's flash", context.err, context.err_is_terminal);
    auto stored = read_camera_content(device, plan.config);
    if (stored.ok()) {
        plan.stored = std::move(stored.value());
        plan.stored_document = stored_document_of(plan.stored);
        return kExitSuccess;
    }
    if (context.options.has("no-backup")) {
        context.err << "warning: cannot read what the camera holds (" << stored.status().message()
                    << "); writing without comparing\n";
        return kExitSuccess;
    }
    return report_failure("cannot read what the camera holds to back it up (use --no-backup to go on without a backup)",
                          stored.status(), context.err);
}

uvc::Status write_and_verify(uvc::Device& device, const WritePlan& plan, const ToolContext& context) {
    const FinishingWrite finishing;
    const ProgressLine progress("writing the flash (erase, write, read back)", context.err, context.err_is_terminal);
    const uvc::Status written = device.write_json(plan.document.text);
    if (!written.ok()) return written;
    return verify_stored(device, plan.document.minified);
}

std::string check_write_options(const ParsedOptions& options) {
    if (auto problem = check_backup_options(options); !problem.empty()) return problem;
    if (options.has("dry-run") && options.has("force")) return "give either --dry-run or --force, not both";
    return {};
}

}  // namespace

int run_write_json(const ToolContext& context) {
    if (const int usage = check_positionals(context, "write-json", 1); usage != kExitSuccess) return usage;
    if (const auto problem = check_write_options(context.options); !problem.empty()) {
        return report_usage_error(problem, find_command("write-json"), context.err);
    }
    WritePlan plan;
    // Read, decode and validate before touching the camera, so a typo never reaches the flash.
    plan.document = load_document(context.options.positionals.front(), context.in);
    if (!plan.document.ok()) return report_file_problem(plan.document.error, context.err);
    for (const auto& note : plan.document.notes) context.err << note << '\n';

    auto camera = open_selected_camera(context, "write-json", 1, kRequireFlash);
    if (!camera.device) return camera.exit_code;
    uvc::Device& device = *camera.device;
    const uvc::DeviceInfo info = device.info();
    const auto config = effective_flash_config(device);
    if (!config) return report_failure(uvc::Status(uvc::ErrorCode::NotSupported, "the camera declares no flash"), context.err);
    plan.config = *config;
    int exit_code = kExitSuccess;
    const auto record = build_record(plan.document.minified, plan.config, context, exit_code);
    if (!record.ok()) return exit_code;
    plan.record_bytes = record.value().raw.size();

    const InterruptWatch watch;
    if (const int read = read_stored(device, plan, context); read != kExitSuccess) return read;
    if (context.options.has("dry-run")) return show_dry_run(plan, info, context);
    if (plan.unchanged() && !context.options.has("force")) return show_unchanged(plan, info, context);
    if (context.options.has("diff") && !context.options.has("json")) context.out << document_diff(plan, info);

    const BackupStep backup = save_content_backup(device, plan.config, plan.stored.value_or(FlashContent{}), "write-json", context);
    if (backup.exit_code != kExitSuccess) return backup.exit_code;
    if (!backup.file.empty()) context.err << "Saved what the camera holds to " << display_path(backup.file) << ".\n";
    if (watch.requested()) {
        context.err << "Stopped by " << watch.cause() << " before writing; the camera keeps what it held.\n";
        return watch.exit_status();
    }
    if (const auto written = write_and_verify(device, plan, context); !written.ok()) {
        report_failure(written, context.err);
        note_backup_after_failure(backup, info, context.err);
        return kExitFailure;
    }
    show_written(plan, info, backup, context);
    if (!watch.requested()) return kExitSuccess;
    context.err << "Interrupted by " << watch.cause() << "; the write was finished first.\n";
    return watch.exit_status();
}

}  // namespace velmora::stereo_tool
