// The imu command: read samples for a count or a duration, optionally paced,
// show them, and optionally draw them into a report page.
#include <chrono>
#include <optional>
#include <ostream>
#include <string>

#include "camera/camera_summary.hpp"
#include "commands.hpp"
#include "output/error_report.hpp"
#include "output/file_io.hpp"
#include "output/imu_format.hpp"
#include "reports/imu_report.hpp"
#include "command_line/interrupt.hpp"
#include "camera/open_camera.hpp"
#include "output/utc_time.hpp"

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;
using Clock = std::chrono::steady_clock;

constexpr unsigned long long kDefaultSampleCount = 10;
constexpr const char* kInterruptedEnding = "stopped by Ctrl-C";

// How long to read: a number of samples or a duration, at most rate samples per second.
struct ImuPlan {
    unsigned long long count = kDefaultSampleCount;
    std::optional<double> seconds;
    std::optional<double> rate;
    ImuFormat format = ImuFormat::Table;
    std::optional<std::string> report;
};

// Empty when the options make a plan; otherwise the usage error.
std::string make_plan(const ParsedOptions& options, ImuPlan& plan) {
    if (options.has("count") && options.has("seconds")) return "give either --count or --seconds, not both";
    if (options.has("csv") && options.has("jsonl")) return "give either --csv or --jsonl, not both";
    if (const auto count = options.value("count")) {
        const auto parsed = parse_unsigned(*count);
        if (!parsed || *parsed == 0) return "--count needs a whole number above 0 (got '" + *count + "')";
        plan.count = *parsed;
    }
    if (const auto seconds = options.value("seconds")) {
        plan.seconds = parse_positive_seconds(*seconds);
        if (!plan.seconds) return "--seconds needs a number of seconds above 0 (got '" + *seconds + "')";
    }
    if (const auto rate = options.value("rate")) {
        plan.rate = parse_positive_seconds(*rate);
        if (!plan.rate) return "--rate needs a number of samples per second above 0 (got '" + *rate + "')";
    }
    if (const auto report = options.value("report")) {
        if (report->empty() || *report == "-") return "--report needs a file name";
        plan.report = *report;
    }
    if (options.has("csv")) plan.format = ImuFormat::Csv;
    if (options.has("jsonl")) plan.format = ImuFormat::JsonLines;
    return {};
}

// Decides whether another sample is due and waits for its turn: sample n is
// read no earlier than n / rate seconds after the first, against a monotonic
// clock, so the pace does not drift with the time each read takes.
class ReadLoop {
public:
    ReadLoop(const ImuPlan& plan, const InterruptWatch& watch)
        : plan_(plan), watch_(watch), start_(Clock::now()) {}

    bool next(std::size_t done) const {
        if (watch_.requested()) return false;
        if (!plan_.seconds && done >= plan_.count) return false;
        const auto end = start_ + std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double>(plan_.seconds.value_or(0.0)));
        if (plan_.rate && done > 0) {
            const auto due = start_ + std::chrono::duration_cast<Clock::duration>(
                                          std::chrono::duration<double>(static_cast<double>(done) / *plan_.rate));
            if (plan_.seconds && due >= end) return false;
            watch_.sleep_until(due);
            if (watch_.requested()) return false;
        }
        return !plan_.seconds || Clock::now() < end;
    }

private:
    const ImuPlan& plan_;
    const InterruptWatch& watch_;
    Clock::time_point start_;
};

struct ReadOutcome {
    uvc::Status failure;
    bool interrupted = false;
};

// Reads and prints samples until the plan is done, a read fails or Ctrl-C comes.
ReadOutcome read_samples(uvc::Device& device, const ImuPlan& plan, const InterruptWatch& watch,
                         const ToolContext& context, std::optional<ImuReport>& report) {
    ImuSampleWriter writer(plan.format, context.out);
    writer.begin();
    ReadOutcome outcome;
    std::uint64_t first_ns = 0;
    std::uint64_t last_ns = 0;
    std::size_t done = 0;
    for (const ReadLoop loop(plan, watch); loop.next(done); ++done) {
        const auto raw = device.read_imu();
        if (!raw.ok()) {
            outcome.failure = raw.status();
            break;
        }
        const auto converted = device.convert_imu(raw.value());
        if (!converted.ok()) {
            outcome.failure = converted.status();
            break;
        }
        writer.write(done, raw.value(), converted.value());
        if (report) report->add(raw.value());
        if (done == 0) first_ns = raw.value().timestamp_ns;
        last_ns = raw.value().timestamp_ns;
    }
    outcome.interrupted = watch.requested() && outcome.failure.ok();
    if (!outcome.failure.ok()) return outcome;
    // Keep standard output pure data for the machine formats.
    std::ostream& summary = plan.format == ImuFormat::Table ? context.out : context.err;
    summary << format_sample_rate(done, first_ns, last_ns);
    if (plan.rate) summary << " Asked for " << format_number(*plan.rate) << " samples/s.";
    summary << '\n';
    if (outcome.interrupted) context.err << "Interrupted by Ctrl-C; the IMU session was closed.\n";
    return outcome;
}

std::optional<ImuReport> start_report(const ImuPlan& plan, const uvc::Device& device) {
    if (!plan.report) return std::nullopt;
    const auto conversion = device.imu_conversion_options();
    return ImuReport({device.info(), conversion.ok() ? conversion.value() : uvc::ImuConversionOptions{}, plan.rate,
                      iso_utc_time(std::chrono::system_clock::now())});
}

// Writes the page; returns kExitSuccess or the file problem's status.
int finish_report(const ImuPlan& plan, const ImuReport& report, const std::string& ending, const ToolContext& context) {
    if (const auto problem = write_text_file(*plan.report, report.html(ending)); !problem.empty()) {
        return report_file_problem(problem, context.err);
    }
    std::ostream& summary = plan.format == ImuFormat::Table ? context.out : context.err;
    summary << "Wrote the report of " << report.size() << " samples to " << *plan.report << ".\n";
    return kExitSuccess;
}

}  // namespace

int run_imu(const ToolContext& context) {
    ImuPlan plan;
    if (const auto problem = make_plan(context.options, plan); !problem.empty()) {
        return report_usage_error(problem, find_command("imu"), context.err);
    }
    if (plan.report) {
        // Refuse an unwritable report before reading, not after a long run.
        if (const auto problem = writing_problem(*plan.report); !problem.empty()) {
            return report_file_problem(problem, context.err);
        }
    }
    auto camera = open_selected_camera(context, "imu", 0, kRequireNothing);
    if (!camera.device) return camera.exit_code;
    uvc::Device& device = *camera.device;
    // Watching from before the open: the session must be closed whenever Ctrl-C comes.
    const InterruptWatch watch;
    if (const auto opened = device.open_imu(); !opened.ok()) return report_failure(opened, context.err);
    std::optional<ImuReport> report = start_report(plan, device);
    const ReadOutcome outcome = read_samples(device, plan, watch, context, report);
    const uvc::Status closed = device.close_imu();
    if (report) {
        const std::string ending = !outcome.failure.ok() ? "stopped by a failure: " + outcome.failure.message()
                                   : outcome.interrupted ? kInterruptedEnding
                                                         : "";
        if (const int status = finish_report(plan, *report, ending, context); status != kExitSuccess) return status;
    }
    if (!outcome.failure.ok()) return report_failure(outcome.failure, context.err);
    if (!closed.ok()) return report_failure(closed, context.err);
    return outcome.interrupted ? kExitInterrupted : kExitSuccess;
}

}  // namespace velmora::stereo_tool
