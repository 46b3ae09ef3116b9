// The frames between a run and its workers, and the worker's loop.
#include "worker_protocol.h"

#include <cstdint>
#include <cstring>

namespace kelmoro {
namespace {

// Fields one after another: numbers as 8 bytes, texts as a number and bytes.
class FieldWriter {
public:
    FieldWriter& Number(std::uint64_t value) {
        bytes_.append(reinterpret_cast<const char*>(&value), sizeof value);
        return *this;
    }
    FieldWriter& Text(std::string_view text) {
        Number(text.size());
        bytes_.append(text);
        return *this;
    }
    std::string Take() { return std::move(bytes_); }

private:
    std::string bytes_;
};

class FieldReader {
public:
    explicit FieldReader(std::string_view bytes) : bytes_(bytes) {}
    FieldReader& Number(std::uint64_t& value) {
        if (bytes_.size() < sizeof value) {
            whole_ = false;
            return *this;
        }
        std::memcpy(&value, bytes_.data(), sizeof value);
        bytes_.remove_prefix(sizeof value);
        return *this;
    }
    FieldReader& Flag(bool& value) {
        std::uint64_t number = 0;
        Number(number);
        value = number != 0;
        return *this;
    }
    FieldReader& Text(std::string& text) {
        std::uint64_t size = 0;
        Number(size);
        if (!whole_ || size > bytes_.size()) {
            whole_ = false;
            return *this;
        }
        text.assign(bytes_.substr(0, size));
        bytes_.remove_prefix(size);
        return *this;
    }
    // Every field read, and nothing left over.
    bool Whole() const { return whole_ && bytes_.empty(); }

private:
    std::string_view bytes_;
    bool whole_ = true;
};

}  // namespace

bool SendFrame(PipeEnd& pipe, std::string_view bytes) {
    const std::uint64_t size = bytes.size();
    return pipe.WriteAll(&size, sizeof size) && pipe.WriteAll(bytes.data(), bytes.size());
}

bool ReceiveFrame(PipeEnd& pipe, std::string& bytes) {
    std::uint64_t size = 0;
    if (!pipe.ReadAll(&size, sizeof size)) return false;
    bytes.resize(size);
    return pipe.ReadAll(bytes.data(), bytes.size());
}

std::string EncodeSettings(const RunSettings& settings) {
    const ConsoleOptions& console = settings.console;
    return FieldWriter()
        .Number(console.quiet)
        .Number(console.noClobber)
        .Text(console.outputFolder)
        .Number(console.toStandardOutput)
        .Number(console.filtered)
        .Number(console.dashIsStandardInput)
        .Number(settings.json)
        .Number(settings.showErrors)
        .Number(settings.drawProgress)
        .Number(static_cast<std::uint64_t>(settings.jobs))
        .Take();
}

bool DecodeSettings(std::string_view bytes, RunSettings& settings) {
    ConsoleOptions& console = settings.console;
    std::uint64_t jobs = 0;
    FieldReader reader(bytes);
    reader.Flag(console.quiet)
        .Flag(console.noClobber)
        .Text(console.outputFolder)
        .Flag(console.toStandardOutput)
        .Flag(console.filtered)
        .Flag(console.dashIsStandardInput)
        .Flag(settings.json)
        .Flag(settings.showErrors)
        .Flag(settings.drawProgress)
        .Number(jobs);
    settings.jobs = static_cast<int>(jobs);
    return reader.Whole();
}

std::string EncodeAnswer(const WorkerAnswer& answer) {
    const FileReport& report = answer.report;
    return FieldWriter()
        .Number(static_cast<std::uint64_t>(report.outcome))
        .Number(static_cast<std::uint64_t>(report.frames))
        .Text(report.input)
        .Text(report.output)
        .Text(report.message)
        .Text(answer.out)
        .Text(answer.err)
        .Take();
}

bool DecodeAnswer(std::string_view bytes, WorkerAnswer& answer) {
    FileReport& report = answer.report;
    std::uint64_t outcome = 0;
    std::uint64_t frames = 0;
    FieldReader reader(bytes);
    reader.Number(outcome)
        .Number(frames)
        .Text(report.input)
        .Text(report.output)
        .Text(report.message)
        .Text(answer.out)
        .Text(answer.err);
    if (!reader.Whole() || outcome > static_cast<std::uint64_t>(FileOutcome::kFailed)) return false;
    report.outcome = static_cast<FileOutcome>(outcome);
    report.frames = static_cast<std::int64_t>(frames);
    return true;
}

bool ServeRun(PipeEnd& tasks, PipeEnd& results, platform::TextCapture& out,
              platform::TextCapture& err) {
    std::string frame;
    RunSettings settings;
    if (!ReceiveFrame(tasks, frame) || !DecodeSettings(frame, settings)) return false;
    if (out.Stream() == nullptr || err.Stream() == nullptr) return false;
    while (ReceiveFrame(tasks, frame)) {
        WorkerAnswer answer;
        ConsoleHost host("kelmoro-cli", err.Stream(), false);
        try {
            answer.report = ConvertOne(host, frame, settings, out.Stream());
        } catch (...) {
            // Ends here, not in the run's code: the run says that the
            // conversion ended abnormally.
            return false;
        }
        answer.out = out.Take();
        answer.err = err.Take();
        if (!SendFrame(results, EncodeAnswer(answer))) return false;
    }
    return true;
}

}  // namespace kelmoro
