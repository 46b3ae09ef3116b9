// Worker processes fed one file index at a time over a pipe; each answers
// with the file's outcome and the text it would have printed.
#include "parallel_runner.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "console/console_output.h"
#include "platform/posix_calls.h"

namespace kelmoro {
namespace {

constexpr int kForwardedSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile sig_atomic_t g_signal = 0;

void RecordSignal(int signal) {
    g_signal = signal;
}

struct ResultHeader {
    std::uint32_t index;
    std::uint32_t outcome;
    std::uint32_t outBytes;
    std::uint32_t errBytes;
};

struct FileResult {
    FileOutcome outcome = FileOutcome::kFailed;
    std::string out;
    std::string err;
};

struct Worker {
    pid_t pid = -1;
    int tasks = -1;    // parent writes file indices
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

// The worker's life: convert each file index it is sent, answer, and end
// when the parent closes the task pipe.
[[noreturn]] void RunWorker(int tasks, int results, const std::vector<std::string>& files,
                            const ConsoleOptions& options) {
    std::uint32_t index = 0;
    while (ReadAll(tasks, &index, sizeof index) && index < files.size()) {
        char* outText = nullptr;
        char* errText = nullptr;
        std::size_t outBytes = 0;
        std::size_t errBytes = 0;
        std::FILE* out = open_memstream(&outText, &outBytes);
        std::FILE* err = open_memstream(&errText, &errBytes);
        if (out == nullptr || err == nullptr) _exit(EXIT_FAILURE);
        ConsoleHost host("kelmoro-cli", err, false);
        const FileOutcome outcome = ConvertFileOnConsole(host, files[index], options, out);
        std::fclose(out);
        std::fclose(err);
        const ResultHeader header{index, static_cast<std::uint32_t>(outcome),
                                  static_cast<std::uint32_t>(outBytes),
                                  static_cast<std::uint32_t>(errBytes)};
        const bool sent = WriteAll(results, &header, sizeof header) &&
                          WriteAll(results, outText, outBytes) &&
                          WriteAll(results, errText, errBytes);
        std::free(outText);
        std::free(errText);
        if (!sent) _exit(EXIT_FAILURE);
    }
    _exit(EXIT_SUCCESS);
}

class Pool {
public:
    Pool(const std::vector<std::string>& files, const ConsoleOptions& options)
        : files_(files), options_(options), results_(files.size()) {}

    std::vector<FileOutcome> Run(int jobs);

private:
    bool Spawn(Worker& worker);
    void Assign(Worker& worker);
    void Receive(Worker& worker);
    void PrintReady();
    int Retire(Worker& worker);
    [[noreturn]] void EndBySignal(int signal);

    const std::vector<std::string>& files_;
    const ConsoleOptions& options_;
    std::vector<std::optional<FileResult>> results_;
    std::vector<Worker> workers_;
    std::size_t nextToSend_ = 0;
    std::size_t nextToPrint_ = 0;
    struct sigaction previous_[3] = {};
    struct sigaction previousPipe_ = {};
    sigset_t unblocked_;
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
        RunWorker(tasks[0], results[1], files_, options_);
    }
    close(tasks[0]);
    close(results[1]);
    worker.pid = pid;
    worker.tasks = tasks[1];
    worker.results = results[0];
    worker.busyWith.reset();
    return true;
}

void Pool::Assign(Worker& worker) {
    if (nextToSend_ >= files_.size()) {
        Retire(worker);
        return;
    }
    const auto index = static_cast<std::uint32_t>(nextToSend_);
    if (!WriteAll(worker.tasks, &index, sizeof index)) {
        Retire(worker);  // the file stays unsent; another worker takes it
        return;
    }
    worker.busyWith = nextToSend_++;
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

void Pool::Receive(Worker& worker) {
    ResultHeader header{};
    FileResult result;
    bool whole = ReadAll(worker.results, &header, sizeof header) && worker.busyWith &&
                 header.index == *worker.busyWith && header.outcome <= 2;
    if (whole) {
        result.outcome = static_cast<FileOutcome>(header.outcome);
        result.out.resize(header.outBytes);
        result.err.resize(header.errBytes);
        whole = ReadAll(worker.results, result.out.data(), result.out.size()) &&
                ReadAll(worker.results, result.err.data(), result.err.size());
    }
    const std::size_t index = *worker.busyWith;
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
        result = FileResult{};
        result.err = "kelmoro-cli: " + files_[index] + ": the conversion ended abnormally\n";
        results_[index] = std::move(result);
        if (nextToSend_ < files_.size() && Spawn(worker)) Assign(worker);
        return;
    }
    results_[index] = std::move(result);
    worker.busyWith.reset();
    Assign(worker);
}

void Pool::PrintReady() {
    while (nextToPrint_ < results_.size() && results_[nextToPrint_]) {
        const FileResult& result = *results_[nextToPrint_];
        std::fwrite(result.err.data(), 1, result.err.size(), stderr);
        std::fflush(stderr);
        if (!result.out.empty()) WriteOutput(stdout, result.out, "kelmoro-cli");
        ++nextToPrint_;
    }
}

void Pool::EndBySignal(int signal) {
    for (Worker& worker : workers_) {
        if (worker.pid > 0) kill(worker.pid, signal);
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

std::vector<FileOutcome> Pool::Run(int jobs) {
    sigset_t blocked;
    sigemptyset(&blocked);
    for (int signal : kForwardedSignals) sigaddset(&blocked, signal);
    sigprocmask(SIG_BLOCK, &blocked, &unblocked_);
    for (int i = 0; i < 3; ++i) sigaction(kForwardedSignals[i], nullptr, &previous_[i]);
    // A worker that has just died must not take the parent with it when a
    // task is written to its pipe: the write fails with EPIPE instead, and
    // the worker's end is handled like any other.
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, &previousPipe_);

    workers_.resize(static_cast<std::size_t>(jobs));
    for (Worker& worker : workers_) {
        if (!Spawn(worker)) break;
    }
    // From here on the signals only note themselves; they are let in while
    // the pool waits, and acted on between waits.
    struct sigaction note = {};
    note.sa_handler = RecordSignal;
    sigemptyset(&note.sa_mask);
    for (int signal : kForwardedSignals) sigaction(signal, &note, nullptr);

    for (Worker& worker : workers_) {
        if (worker.pid > 0) Assign(worker);
    }
    for (;;) {
        std::vector<pollfd> waiting;
        std::vector<Worker*> owners;
        for (Worker& worker : workers_) {
            if (worker.busyWith) {
                waiting.push_back({worker.results, POLLIN, 0});
                owners.push_back(&worker);
            }
        }
        if (waiting.empty()) break;
        if (g_signal != 0) EndBySignal(g_signal);
        const int ready = ppoll(waiting.data(), waiting.size(), nullptr, &unblocked_);
        if (g_signal != 0) EndBySignal(g_signal);
        if (ready < 0) continue;
        for (std::size_t i = 0; i < waiting.size(); ++i) {
            if (waiting[i].revents != 0) Receive(*owners[i]);
        }
        PrintReady();
    }
    // Files no worker could take (fork failed from the start).
    for (std::size_t index = 0; index < results_.size(); ++index) {
        if (!results_[index]) {
            FileResult result;
            result.err = "kelmoro-cli: " + files_[index] + ": no worker process could be started\n";
            results_[index] = std::move(result);
        }
    }
    PrintReady();
    for (Worker& worker : workers_) Retire(worker);
    for (int i = 0; i < 3; ++i) sigaction(kForwardedSignals[i], &previous_[i], nullptr);
    sigaction(SIGPIPE, &previousPipe_, nullptr);
    sigprocmask(SIG_SETMASK, &unblocked_, nullptr);
    if (g_signal != 0) EndBySignal(g_signal);

    std::vector<FileOutcome> outcomes;
    for (const auto& result : results_) outcomes.push_back(result->outcome);
    return outcomes;
}

}  // namespace

std::vector<FileOutcome> ConvertInParallel(const std::vector<std::string>& files,
                                           const ConsoleOptions& options, int jobs) {
    Pool pool(files, options);
    return pool.Run(jobs);
}

}  // namespace kelmoro
