// The ordered run: inputs handed to worker processes (worker_pool.h) a few
// ahead of the one printed next, and each file's lines printed in input
// order, whichever worker finishes first.
#include "parallel_runner.h"

#include <cstdio>
#include <map>
#include <optional>
#include <vector>

#include "console/console_output.h"
#include "platform/console_text.h"
#include "worker_pool.h"

namespace kelmoro {
namespace {

// Inputs taken ahead of the one printed next, per worker.
constexpr std::size_t kAheadPerWorker = 4;

// One input between being taken and being printed.
struct Slot {
    std::string input;
    RunLedger::Ticket ticket;
    std::optional<FileReport> report;  // set when finished
    std::string out;                   // its success line
    std::string err;                   // its error lines
};

class OrderedRun {
public:
    OrderedRun(InputList& inputs, const RunSettings& settings)
        : inputs_(inputs),
          settings_(settings),
          ledger_(settings),
          pool_(settings, static_cast<std::size_t>(settings.jobs)),
          busyWith_(pool_.Size()) {}

    RunTotals Run();

private:
    void Dispatch();
    std::optional<std::size_t> IdleWorker();
    void Refuse(std::size_t index, const std::string& message);
    void Finished(std::size_t index, FileReport report);
    void PrintReady();

    InputList& inputs_;
    const RunSettings& settings_;
    RunLedger ledger_;
    WorkerPool pool_;
    std::vector<std::optional<std::size_t>> busyWith_;  // per worker: the slot it converts
    std::map<std::size_t, Slot> slots_;
    std::optional<std::size_t> waiting_;  // taken, not yet sent to a worker
    bool waitingClaimed_ = false;
    bool inputsEnded_ = false;
    std::size_t nextIndex_ = 0;
    std::size_t nextToPrint_ = 0;
};

// A worker with nothing to do, started now when all are busy and there is
// room for one more; nothing when none can take a file.
std::optional<std::size_t> OrderedRun::IdleWorker() {
    for (std::size_t worker = 0; worker < pool_.Size(); ++worker) {
        if (pool_.Running(worker) && !busyWith_[worker]) return worker;
    }
    for (std::size_t worker = 0; worker < pool_.Size(); ++worker) {
        if (!pool_.Running(worker) && pool_.Start(worker)) return worker;
    }
    return std::nullopt;
}

// Takes inputs in order while a worker is free and the inputs taken ahead
// of printing stay few, settling refused ones at once.
void OrderedRun::Dispatch() {
    const std::size_t window = kAheadPerWorker * pool_.Size();
    for (;;) {
        if (!waiting_) {
            if (inputsEnded_ || nextIndex_ - nextToPrint_ >= window) return;
            // A list on a pipe or terminal may keep the run waiting here.
            pool_.BeginBlockingRead();
            auto input = inputs_.Next();
            pool_.EndBlockingRead();
            if (!input) {
                if (!inputs_.Interrupted()) inputsEnded_ = true;
                return;
            }
            waiting_ = nextIndex_++;
            waitingClaimed_ = false;
            slots_[*waiting_].input = std::move(*input);
        }
        const std::size_t index = *waiting_;
        Slot& slot = slots_[index];
        if (!waitingClaimed_) {
            std::string refusal;
            switch (ledger_.Decide(slot.input, slot.ticket, refusal)) {
                case RunLedger::Decision::kWait:
                    return;  // until the earlier input that writes the same file ends
                case RunLedger::Decision::kRefuse:
                    waiting_.reset();
                    Refuse(index, refusal);
                    continue;
                case RunLedger::Decision::kConvert:
                    waitingClaimed_ = true;
                    break;
            }
        }
        const auto worker = IdleWorker();
        if (!worker) return;
        if (pool_.Send(*worker, slot.input)) {
            busyWith_[*worker] = index;
            waiting_.reset();
        }
    }
}

// Settles an input that no worker converts, with one error line.
void OrderedRun::Refuse(std::size_t index, const std::string& message) {
    Slot& slot = slots_[index];
    FileReport report;
    report.input = slot.input;
    report.message = message;
    slot.out.clear();
    slot.err = "kelmoro-cli: " + slot.input + ": " + message + "\n";
    Finished(index, std::move(report));
}

void OrderedRun::Finished(std::size_t index, FileReport report) {
    Slot& slot = slots_[index];
    if (!slot.ticket.key.empty()) ledger_.Finish(slot.ticket, report);
    slot.report = std::move(report);
}

void OrderedRun::PrintReady() {
    for (auto slot = slots_.find(nextToPrint_); slot != slots_.end() && slot->second.report;
         slot = slots_.find(nextToPrint_)) {
        const Slot& done = slot->second;
        if (settings_.showErrors && !done.err.empty()) platform::WriteText(stderr, done.err);
        if (!done.out.empty()) WriteOutput(stdout, done.out, "kelmoro-cli");
        ledger_.Report(*done.report);
        slots_.erase(slot);
        ++nextToPrint_;
    }
}

RunTotals OrderedRun::Run() {
    for (;;) {
        Dispatch();
        PrintReady();
        std::vector<std::size_t> busy;
        for (std::size_t worker = 0; worker < pool_.Size(); ++worker) {
            if (busyWith_[worker]) busy.push_back(worker);
        }
        if (busy.empty()) {
            if (!waiting_ && inputsEnded_) break;  // every input taken and printed
            if (!waiting_) continue;               // room again to take more
            // No worker could be started: the file waiting is not converted.
            const std::size_t index = *waiting_;
            waiting_.reset();
            Refuse(index, "no worker process could be started");
            continue;
        }
        auto [worker, answer] = pool_.WaitForAnswer(busy);
        const std::size_t index = *busyWith_[worker];
        busyWith_[worker].reset();
        if (!answer) {
            // The worker ended in the middle of a file (killed, or out of memory).
            Refuse(index, "the conversion ended abnormally");
            continue;
        }
        Slot& slot = slots_[index];
        slot.out = std::move(answer->out);
        slot.err = std::move(answer->err);
        answer->report.input = slot.input;
        Finished(index, std::move(answer->report));
    }
    PrintReady();
    pool_.Finish();
    return ledger_.Totals();
}

}  // namespace

RunTotals ConvertInParallel(InputList& inputs, const RunSettings& settings) {
    OrderedRun run(inputs, settings);
    return run.Run();
}

}  // namespace kelmoro
