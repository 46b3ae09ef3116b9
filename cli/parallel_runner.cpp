// Worker processes fed one input name at a time over a pipe; each answers
// with the file's result and the text it would have printed.
#include "parallel_runner.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <vector>

#include "console/console_output.h"
#include "platform/posix_calls.h"

namespace kelmoro {
namespace {

constexpr int kForwardedSignals[] = {SIGINT, SIGTERM, SIGHUP};
// Inputs taken ahead of the one printed next, per worker.
constexpr std::size_t kAheadPerWorker = 4;

volatile sig_atomic_t g_signal = 0;

void RecordSignal(int signal) {
    g_signal = signal;
}

struct ResultHeader {
    std::uint64_t outcome;
    std::uint64_t frames;
    std::uint64_t outBytes;
    std::uint64_t errBytes;
    std::uint64_t messageBytes;
    std::uint64_t outputBytes;
};

// One input between being taken and being printed.
struct Slot {
    std::string input;
    RunLedger::Ticket ticket;
    std::optional<FileReport> report;  // set when finished
    std::string out;                   // its success line
    std::string err;                   // its error lines
};

struct Worker {
    pid_t pid = -1;
    int tasks = -1;    // parent writes input names
    int results = -1;  // parent reads results
    std::optional<std::size_t> busyWith;
};

bool WriteAll(int fd, const void* bytes, std::size_t count) {
    const auto* at = static_cast<const char*>(bytes);
    while (count > 0) {
        const ssize_t wrote = platform::RetryInterrupted([&] { return write(fd, at, count); });
        if (wrote <= 0) return false;
        at += wrote;
        count -= static_cast<std::size_t>(wrote);
    }
    return true;
}

bool ReadAll(int fd, void* bytes, std::size_t count) {
    auto* at = static_cast<char*>(bytes);
    while (count > 0) {
        const ssize_t got = platform::RetryInterrupted([&] { return read(fd, at, count); });
        if (got <= 0) return false;
        at += got;
        count -= static_cast<std::size_t>(got);
    }
    return true;
}

bool ReadText(int fd, std::uint64_t bytes, std::string& text) {
    text.resize(bytes);
    return ReadAll(fd, text.data(), text.size());
}

// The worker's life: convert each input it is sent, answer, and end when
// the parent closes the task pipe.
[[noreturn]] void RunWorker(int tasks, int results, const RunSettings& settings) {
    std::uint64_t length = 0;
    std::string input;
    while (ReadAll(tasks, &length, sizeof length) && ReadText(tasks, length, input)) {
        char* outText = nullptr;
        char* errText = nullptr;
        std::size_t outBytes = 0;
        std::size_t errBytes = 0;
        std::FILE* out = open_memstream(&outText, &outBytes);
        std::FILE* err = open_memstream(&errText, &errBytes);
        if (out == nullptr || err == nullptr) _exit(EXIT_FAILURE);
        ConsoleHost host("kelmoro-cli", err, false);
        FileReport report;
        try {
            report = ConvertOne(host, input, settings, out);
        } catch (...) {
            // Ends here, not in the parent's code: the parent says that the
            // conversion ended abnormally.
            _exit(EXIT_FAILURE);
        }
        std::fclose(out);
        std::fclose(err);
        const ResultHeader header{static_cast<std::uint64_t>(report.outcome),
                                  static_cast<std::uint64_t>(report.frames),
                                  outBytes,
                                  errBytes,
                                  report.message.size(),
                                  report.output.size()};
        const bool sent = WriteAll(results, &header, sizeof header) &&
                          WriteAll(results, outText, outBytes) &&
                          WriteAll(results, errText, errBytes) &&
                          WriteAll(results, report.message.data(), report.message.size()) &&
                          WriteAll(results, report.output.data(), report.output.size());
        std::free(outText);
        std::free(errText);
        if (!sent) _exit(EXIT_FAILURE);
    }
    _exit(EXIT_SUCCESS);
}

class Pool {
public:
    Pool(InputList& inputs, const RunSettings& settings)
        : inputs_(inputs), settings_(settings), ledger_(settings) {}

    RunTotals Run();

private:
    bool Spawn(Worker& worker);
    void Dispatch();
    Worker* IdleWorker();
    bool Send(Worker& worker, std::size_t index);
    void Receive(Worker& worker);
    void Finished(std::size_t index, FileReport report);
    void PrintReady();
    int Retire(Worker& worker);
    [[noreturn]] void EndBySignal(int signal);

    InputList& inputs_;
    const RunSettings& settings_;
    RunLedger ledger_;
    std::map<std::size_t, Slot> slots_;
    std::vector<Worker> workers_;
    std::optional<std::size_t> waiting_;  // taken, not yet sent to a worker
    bool waitingClaimed_ = false;
    bool inputsEnded_ = false;
    std::size_t nextIndex_ = 0;
    std::size_t nextToPrint_ = 0;
    struct sigaction previous_[3] = {};
    struct sigaction previousPipe_ = {};
    sigset_t unblocked_;
    sigset_t forwarded_;
};

// Forks a worker. Signals are blocked around the fork; the worker gets back
// the handlers the program had before the pool took them over (so a file
// cut short by a signal is cleaned up as in a run without -j).
bool Pool::Spawn(Worker& worker) {
    int tasks[2], results[2];
    if (pipe(tasks) != 0) return false;
    if (pipe(results) != 0) {
        close(tasks[0]);
        close(tasks[1]);
        return false;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = fork();
    if (pid < 0) {
        for (int fd : {tasks[0], tasks[1], results[0], results[1]}) close(fd);
        return false;
    }
    if (pid == 0) {
        for (const Worker& other : workers_) {
            if (other.tasks >= 0) close(other.tasks);
            if (other.results >= 0) close(other.results);
        }
        close(tasks[1]);
        close(results[0]);
        for (int i = 0; i < 3; ++i) sigaction(kForwardedSignals[i], &previous_[i], nullptr);
        sigaction(SIGPIPE, &previousPipe_, nullptr);
        sigprocmask(SIG_SETMASK, &unblocked_, nullptr);
        RunWorker(tasks[0], results[1], settings_);
    }
    close(tasks[0]);
    close(results[1]);
    worker.pid = pid;
    worker.tasks = tasks[1];
    worker.results = results[0];
    worker.busyWith.reset();
    return true;
}

// A worker with nothing to do, started now when all are busy and there is
// room for one more; null when none can take a file.
Worker* Pool::IdleWorker() {
    for (Worker& worker : workers_) {
        if (worker.pid > 0 && !worker.busyWith) return &worker;
    }
    for (Worker& worker : workers_) {
        if (worker.pid <= 0 && Spawn(worker)) return &worker;
    }
    return nullptr;
}

bool Pool::Send(Worker& worker, std::size_t index) {
    const std::string& input = slots_[index].input;
    const std::uint64_t length = input.size();
    if (!WriteAll(worker.tasks, &length, sizeof length) ||
        !WriteAll(worker.tasks, input.data(), input.size())) {
        Retire(worker);
        return false;
    }
    worker.busyWith = index;
    return true;
}

// Takes inputs in order while a worker is free and the inputs taken ahead
// of printing stay few, settling refused ones at once.
void Pool::Dispatch() {
    const std::size_t window = kAheadPerWorker * workers_.size();
    for (;;) {
        if (!waiting_) {
            if (inputsEnded_ || nextIndex_ - nextToPrint_ >= window) return;
            // A list on a pipe or terminal may keep the pool waiting here:
            // the signals are let in while it does.
            sigprocmask(SIG_SETMASK, &unblocked_, nullptr);
            auto input = inputs_.Next();
            sigprocmask(SIG_BLOCK, &forwarded_, nullptr);
            if (g_signal != 0) EndBySignal(g_signal);
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
                case RunLedger::Decision::kRefuse: {
                    FileReport report;
                    report.input = slot.input;
                    report.message = refusal;
                    slot.err = "kelmoro-cli: " + slot.input + ": " + refusal + "\n";
                    waiting_.reset();
                    Finished(index, std::move(report));
                    continue;
                }
                case RunLedger::Decision::kConvert:
                    waitingClaimed_ = true;
                    break;
            }
        }
        Worker* worker = IdleWorker();
        if (worker == nullptr) return;
        if (Send(*worker, index)) waiting_.reset();
    }
}

// Closes the worker's task pipe, so that it ends, and waits for it; returns
// its wait status (0 when there was no worker).
int Pool::Retire(Worker& worker) {
    if (worker.tasks >= 0) close(worker.tasks);
    if (worker.results >= 0) close(worker.results);
    worker.tasks = worker.results = -1;
    int status = 0;
    if (worker.pid > 0) {
        while (waitpid(worker.pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    worker.pid = -1;
    worker.busyWith.reset();
    return status;
}

void Pool::Finished(std::size_t index, FileReport report) {
    Slot& slot = slots_[index];
    if (!slot.ticket.key.empty()) ledger_.Finish(slot.ticket, report);
    slot.report = std::move(report);
}

void Pool::Receive(Worker& worker) {
    const std::size_t index = *worker.busyWith;
    Slot& slot = slots_[index];
    ResultHeader header{};
    FileReport report;
    report.input = slot.input;
    bool whole = ReadAll(worker.results, &header, sizeof header) && header.outcome <= 2;
    if (whole) {
        report.outcome = static_cast<FileOutcome>(header.outcome);
        report.frames = static_cast<std::int64_t>(header.frames);
        whole = ReadText(worker.results, header.outBytes, slot.out) &&
                ReadText(worker.results, header.errBytes, slot.err) &&
                ReadText(worker.results, header.messageBytes, report.message) &&
                ReadText(worker.results, header.outputBytes, report.output);
    }
    if (!whole) {
        // The worker ended in the middle of a file (killed, or out of memory).
        const int status = Retire(worker);
        // Ctrl+C reaches every worker with the parent: the run was
        // interrupted, and ends as it would without -j, with no line for
        // the files cut short.
        if (WIFSIGNALED(status)) {
            for (int signal : kForwardedSignals) {
                if (WTERMSIG(status) == signal) EndBySignal(signal);
            }
        }
        report = FileReport{};
        report.input = slot.input;
        report.message = "the conversion ended abnormally";
        slot.out.clear();
        slot.err = "kelmoro-cli: " + slot.input + ": " + report.message + "\n";
        Finished(index, std::move(report));
        return;
    }
    worker.busyWith.reset();
    Finished(index, std::move(report));
}

void Pool::PrintReady() {
    for (auto slot = slots_.find(nextToPrint_); slot != slots_.end() && slot->second.report;
         slot = slots_.find(nextToPrint_)) {
        const Slot& done = slot->second;
        if (settings_.showErrors && !done.err.empty()) {
            std::fwrite(done.err.data(), 1, done.err.size(), stderr);
            std::fflush(stderr);
        }
        if (!done.out.empty()) WriteOutput(stdout, done.out, "kelmoro-cli");
        ledger_.Report(*done.report);
        slots_.erase(slot);
        ++nextToPrint_;
    }
}

void Pool::EndBySignal(int signal) {
    for (Worker& worker : workers_) {
        if (worker.pid <= 0) continue;
        kill(worker.pid, signal);
        // A worker forked just as the whole group was stopped (Ctrl+Z, or
        // SIGSTOP to the group) can miss the SIGCONT that follows and stay
        // stopped: it could then neither clean up nor end.
        kill(worker.pid, SIGCONT);
    }
    for (Worker& worker : workers_) Retire(worker);
    std::fflush(stdout);
    std::fflush(stderr);
    struct sigaction plain = {};
    plain.sa_handler = SIG_DFL;
    sigaction(signal, &plain, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
    _exit(128 + signal);
}

RunTotals Pool::Run() {
    sigemptyset(&forwarded_);
    for (int signal : kForwardedSignals) sigaddset(&forwarded_, signal);
    sigprocmask(SIG_BLOCK, &forwarded_, &unblocked_);
    for (int i = 0; i < 3; ++i) sigaction(kForwardedSignals[i], nullptr, &previous_[i]);
    // A worker that has just died must not take the parent with it when a
    // task is written to its pipe: the write fails with EPIPE instead, and
    // the worker's end is handled like any other.
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, &previousPipe_);
    // From here on the signals only note themselves; they are let in while
    // the pool waits, and acted on between waits.
    struct sigaction note = {};
    note.sa_handler = RecordSignal;
    sigemptyset(&note.sa_mask);
    for (int signal : kForwardedSignals) sigaction(signal, &note, nullptr);

    workers_.resize(static_cast<std::size_t>(settings_.jobs));
    for (;;) {
        Dispatch();
        PrintReady();
        std::vector<pollfd> busy;
        std::vector<Worker*> owners;
        for (Worker& worker : workers_) {
            if (worker.busyWith) {
                busy.push_back({worker.results, POLLIN, 0});
                owners.push_back(&worker);
            }
        }
        if (busy.empty()) {
            if (!waiting_ && inputsEnded_) break;  // every input taken and printed
            if (!waiting_) continue;               // room again to take more
            // No worker could be started: the file waiting is not converted.
            FileReport report;
            report.input = slots_[*waiting_].input;
            report.message = "no worker process could be started";
            slots_[*waiting_].err = "kelmoro-cli: " + report.input + ": " + report.message + "\n";
            const std::size_t index = *waiting_;
            waiting_.reset();
            Finished(index, std::move(report));
            continue;
        }
        if (g_signal != 0) EndBySignal(g_signal);
        const int ready = ppoll(busy.data(), busy.size(), nullptr, &unblocked_);
        if (g_signal != 0) EndBySignal(g_signal);
        if (ready < 0) continue;
        for (std::size_t i = 0; i < busy.size(); ++i) {
            if (busy[i].revents != 0) Receive(*owners[i]);
        }
    }
    PrintReady();
    for (Worker& worker : workers_) Retire(worker);
    for (int i = 0; i < 3; ++i) sigaction(kForwardedSignals[i], &previous_[i], nullptr);
    sigaction(SIGPIPE, &previousPipe_, nullptr);
    sigprocmask(SIG_SETMASK, &unblocked_, nullptr);
    if (g_signal != 0) EndBySignal(g_signal);
    return ledger_.Totals();
}

}  // namespace

RunTotals ConvertInParallel(InputList& inputs, const RunSettings& settings) {
    Pool pool(inputs, settings);
    return pool.Run();
}

}  // namespace kelmoro
