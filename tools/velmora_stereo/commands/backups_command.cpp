// The backups command: every backup of the folder, each checked against its
// sidecar, as a table or as JSON.
#include <ostream>

#include "backups/backup_check.hpp"
#include "backups/flash_backup.hpp"
#include "camera/device_selection.hpp"
#include "camera/open_camera.hpp"
#include "commands.hpp"
#include "output/error_report.hpp"
#include "output/file_io.hpp"
#include "output/text_table.hpp"
#include "output/tool_json.hpp"

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;

std::string what_is_wrong(const CheckedBackup& backup) {
    std::string text;
    for (const auto& problem : backup.problems) text += (text.empty() ? "" : "; ") + problem;
    return text;
}

std::string content_cell(const BackupDescription& d) {
    return d.content == "record" ? "record v" + std::to_string(d.record_version) : d.content;
}

// A backup restore accepts without a selector: whole, and naming its camera.
bool restorable(const CheckedBackup& backup) { return backup.whole() && backup.description.has_value(); }

uvc::DeviceInfo device_of(const BackupIdentity& camera) {
    uvc::DeviceInfo device;
    device.vid = camera.vid;
    device.pid = camera.pid;
    device.serial_number = camera.serial_number;
    device.device_path = camera.device_path;
    return device;
}

std::string file_name(const std::filesystem::path& path) { return path.empty() ? "" : path.filename().u8string(); }

ToolJson backup_json(const CheckedBackup& backup) {
    ToolJson json;
    json["record_file"] = backup.record_file.empty() ? ToolJson(nullptr) : ToolJson(display_path(backup.record_file));
    json["sidecar"] = backup.sidecar.empty() ? ToolJson(nullptr) : ToolJson(display_path(backup.sidecar));
    json["whole"] = backup.whole();
    json["problems"] = backup.problems;
    if (const auto& d = backup.description) {
        json["time"] = d->time;
        json["camera"] = {{"vid", d->camera.vid},
                          {"pid", d->camera.pid},
                          {"serial_number", d->camera.serial_number},
                          {"device_path", d->camera.device_path}};
        json["content"] = d->content;
        json["bytes"] = d->record_bytes;
        if (d->content == "record") json["record_version"] = d->record_version;
        json["reason"] = d->reason;
    }
    json["restore_command"] = restorable(backup) ? ToolJson(restore_command(backup.record_file, device_of(backup.description->camera)))
                                                 : ToolJson(nullptr);
    return json;
}

void print_table(const std::vector<const CheckedBackup*>& shown, std::ostream& out) {
    TextTable table({{"Time"}, {"Camera"}, {"Content"}, {"Bytes", Align::Right}, {"Check"}, {"Replaced by"}, {"File"}});
    for (const CheckedBackup* backup : shown) {
        const std::string check = backup->whole() ? "ok" : "damaged: " + what_is_wrong(*backup);
        const std::string file = file_name(backup->record_file.empty() ? backup->sidecar : backup->record_file);
        if (const auto& d = backup->description) {
            table.add_row({d->time, describe_camera(d->camera), content_cell(*d), std::to_string(d->record_bytes), check,
                           d->reason, file});
        } else {
            table.add_row({"-", "-", "-", "-", check, "-", file});
        }
    }
    table.print(out);
}

}  // namespace

int run_backups(const ToolContext& context) {
    if (const int usage = check_positionals(context, "backups", 0); usage != kExitSuccess) return usage;
    if (const auto problem = check_selection_options(context.options); !problem.empty()) {
        return report_usage_error(problem, find_command("backups"), context.err);
    }
    const FolderChoice folder = chosen_backup_folder(context.options);
    if (!folder.error.empty()) return report_file_problem(folder.error, context.err);
    std::optional<BackupIdentity> wanted;
    if (selection_given(context.options)) {
        const SelectedCamera selected = select_device(context.options);
        if (!selected.device) return report_selection_problem(selected, "backups", context.err);
        wanted = identity_of(*selected.device);
    }
    const auto checked = check_backup_folder(folder.folder);
    std::vector<const CheckedBackup*> shown;
    std::size_t damaged = 0;
    for (const auto& backup : checked) {
        // A file that says nothing of its camera belongs to every camera's list.
        if (wanted && backup.description && !same_camera(*wanted, backup.description->camera)) continue;
        shown.push_back(&backup);
        if (!backup.whole()) ++damaged;
    }
    if (context.options.has("json")) {
        ToolJson list = ToolJson::array();
        for (const CheckedBackup* backup : shown) list.push_back(backup_json(*backup));
        context.out << dump_tool_json({{"folder", display_path(folder.folder)}, {"backups", list}});
        return kExitSuccess;
    }
    const std::string of_camera = wanted ? " of " + describe_camera(*wanted) : "";
    if (shown.empty()) {
        context.out << "No backups" << of_camera << " in " << display_path(folder.folder) << ".\n";
        return kExitSuccess;
    }
    context.out << "Backups" << of_camera << " in " << display_path(folder.folder) << ":\n\n";
    print_table(shown, context.out);
    if (damaged != 0) {
        context.out << '\n' << damaged << (damaged == 1 ? " entry needs" : " entries need")
                    << " attention: see the Check column.\n";
    }
    return kExitSuccess;
}

}  // namespace velmora::stereo_tool
