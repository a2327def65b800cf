// Shared start of the commands that work on one camera: check the command
// line, pick the camera, open it.
#include "camera/open_camera.hpp"

#include "commands.hpp"
#include "camera/device_selection.hpp"
#include "output/error_report.hpp"

namespace velmora::stereo_tool {

namespace uvc = velmora::uvc_stereo;

int check_positionals(const ToolContext& context, const std::string& command, std::size_t positionals) {
    const auto& given = context.options.positionals;
    if (given.size() > positionals) {
        return report_usage_error("unexpected argument '" + given[positionals] + "'", find_command(command),
                                  context.err);
    }
    if (given.size() < positionals) {
        return report_usage_error("missing argument " + find_command(command)->arguments, find_command(command),
                                  context.err);
    }
    return kExitSuccess;
}

OpenedCamera open_selected_camera(const ToolContext& context, const std::string& command,
                                  std::size_t positionals, std::uint32_t required_capabilities) {
    OpenedCamera camera;
    camera.exit_code = check_positionals(context, command, positionals);
    if (camera.exit_code != kExitSuccess) return camera;
    if (const auto problem = check_selection_options(context.options); !problem.empty()) {
        camera.exit_code = report_usage_error(problem, find_command(command), context.err);
        return camera;
    }
    const SelectedCamera selected = select_device(context.options);
    if (!selected.device) {
        camera.exit_code = report_selection_problem(selected, command, context.err);
        return camera;
    }
    return open_camera(*selected.device, required_capabilities, context);
}

OpenedCamera open_camera(const uvc::DeviceInfo& device, std::uint32_t required_capabilities,
                         const ToolContext& context) {
    OpenedCamera camera;
    auto opened = uvc::open_device(device, uvc::OpenDeviceOptions{required_capabilities});
    if (!opened.ok()) {
        camera.exit_code = report_failure(opened.status(), context.err);
        return camera;
    }
    camera.device.emplace(std::move(opened.value()));
    return camera;
}

}  // namespace velmora::stereo_tool
