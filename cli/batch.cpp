// The run's decisions and reports, and the one-file-at-a-time road.
#include "batch.h"

#include "console/console_output.h"
#include "engine/convert_context.h"
#include "engine/convert_job.h"
#include "parallel_runner.h"
#include "platform/path_guard.h"

namespace kelmoro {

RunLedger::Decision RunLedger::Decide(const std::string& input, Ticket& ticket,
                                      std::string& refusal) {
    ticket = Ticket{};
    // A list read by lines can hold a NUL byte: one read without -0, for
    // one. The system would take only the text before it.
    if (platform::PathHoldsNul(input)) {
        refusal = kNameHoldsNul;
        return Decision::kRefuse;
    }
    const auto target = OutputPathFor(input, settings_.console.outputFolder);
    if (!target) return Decision::kConvert;  // the job itself says why it cannot
    const std::string key = OutputClaims::KeyFor(*target);
    if (claims_.Claimed(key)) return Decision::kWait;
    if (auto written = written_.Refusal(input, settings_.console.outputFolder)) {
        refusal = std::move(*written);
        return Decision::kRefuse;
    }
    claims_.Claim(key);
    ticket = Ticket{key};
    return Decision::kConvert;
}

void RunLedger::Finish(const Ticket& ticket, const FileReport& report) {
    if (ticket.key.empty()) return;
    claims_.Release(ticket.key);
    // Only a file counts: -c and - leave nothing beside the input.
    if (report.outcome == FileOutcome::kConverted && !report.output.empty()) {
        written_.Record(report.input, report.output);
    }
}

void RunLedger::Report(const FileReport& report) {
    ++totals_.files;
    if (report.outcome == FileOutcome::kConverted) ++totals_.converted;
    if (report.outcome == FileOutcome::kSkipped) ++totals_.skipped;
    if (report.outcome == FileOutcome::kFailed) ++totals_.failed;
    if (settings_.json) {
        WriteOutput(stdout, JsonLine(report), "kelmoro-cli", platform::TextEncoding::kUtf8);
    }
}

FileReport ConvertOne(ConsoleHost& host, const std::string& input, const RunSettings& settings,
                      std::FILE* out) {
    ConsoleOptions options = settings.console;
    if (settings.json) options.quiet = true;  // the JSON line stands for the success line
    FileReport report;
    report.input = input;
    report.outcome = ConvertFileOnConsole(host, input, options, out);
    if (report.outcome == FileOutcome::kConverted) {
        // What the engine left in its context: the file it wrote and the
        // frames in it.
        report.output = g_convertContext.outputPath;
        report.frames = g_convertContext.framesWritten;
    } else {
        report.message = host.Messages();
    }
    return report;
}

namespace {

RunTotals RunOneAtATime(InputList& inputs, const RunSettings& settings) {
    RunLedger ledger(settings);
    ConsoleHost host("kelmoro-cli", settings.showErrors ? stderr : nullptr, settings.drawProgress);
    while (auto input = inputs.Next()) {
        RunLedger::Ticket ticket;
        std::string refusal;
        FileReport report;
        if (ledger.Decide(*input, ticket, refusal) == RunLedger::Decision::kRefuse) {
            host.StartFile(*input);
            host.PrintLine(refusal);
            report.input = *input;
            report.message = host.Messages();
        } else {
            report = ConvertOne(host, *input, settings, stdout);
            ledger.Finish(ticket, report);
        }
        ledger.Report(report);
    }
    return ledger.Totals();
}

}  // namespace

RunTotals RunBatch(InputList& inputs, const RunSettings& settings) {
    // AU data on standard output comes from one input, written by this
    // process itself: a closed pipe ends it by SIGPIPE as it ends any filter.
    const bool standardOutput =
        settings.console.toStandardOutput || settings.console.dashIsStandardInput;
    if (settings.jobs <= 1 || standardOutput) return RunOneAtATime(inputs, settings);
    return ConvertInParallel(inputs, settings);
}

}  // namespace kelmoro
