// Worker processes on POSIX: forked, fed over pipes, waited for with ppoll.
// SIGINT, SIGTERM and SIGHUP only note themselves while the pool waits, and
// are acted on between waits: passed on to every worker, and the program
// then ends by the same signal.
#include "worker_pool.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "platform/posix/posix_calls.h"

namespace kelmoro {
namespace {

constexpr int kForwardedSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile sig_atomic_t g_signal = 0;

void RecordSignal(int signal) {
    g_signal = signal;
}

class FdPipeEnd : public PipeEnd {
public:
    explicit FdPipeEnd(int fd) : fd_(fd) {}

    bool ReadAll(void* bytes, std::size_t count) override {
        auto* at = static_cast<char*>(bytes);
        while (count > 0) {
            const ssize_t got = platform::RetryInterrupted([&] { return read(fd_, at, count); });
            if (got <= 0) return false;
            at += got;
            count -= static_cast<std::size_t>(got);
        }
        return true;
    }

    bool WriteAll(const void* bytes, std::size_t count) override {
        const auto* at = static_cast<const char*>(bytes);
        while (count > 0) {
            const ssize_t wrote = platform::RetryInterrupted([&] { return write(fd_, at, count); });
            if (wrote <= 0) return false;
            at += wrote;
            count -= static_cast<std::size_t>(wrote);
        }
        return true;
    }

private:
    int fd_;
};

struct Worker {
    pid_t pid = -1;
    int tasks = -1;    // parent writes input names
    int results = -1;  // parent reads results
};

}  // namespace

struct WorkerPool::System {
    System(const RunSettings& runSettings, std::size_t size)
        : settings(runSettings), workers(size) {}

    const RunSettings& settings;
    std::vector<Worker> workers;
    struct sigaction previous[3] = {};
    struct sigaction previousPipe = {};
    sigset_t unblocked{};
    sigset_t forwarded{};
    bool finished = false;

    int Retire(Worker& worker);
    [[noreturn]] void EndBySignal(int signal);
};

// Closes the worker's task pipe, so that it ends, and waits for it; returns
// its wait status (0 when there was no worker).
int WorkerPool::System::Retire(Worker& worker) {
    if (worker.tasks >= 0) close(worker.tasks);
    if (worker.results >= 0) close(worker.results);
    worker.tasks = worker.results = -1;
    int status = 0;
    if (worker.pid > 0) {
        while (waitpid(worker.pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    worker.pid = -1;
    return status;
}

void WorkerPool::System::EndBySignal(int signal) {
    for (Worker& worker : workers) {
        if (worker.pid <= 0) continue;
        kill(worker.pid, signal);
        // A worker forked just as the whole group was stopped (Ctrl+Z, or
        // SIGSTOP to the group) can miss the SIGCONT that follows and stay
        // stopped: it could then neither clean up nor end.
        kill(worker.pid, SIGCONT);
    }
    for (Worker& worker : workers) Retire(worker);
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

WorkerPool::WorkerPool(const RunSettings& settings, std::size_t size)
    : system_(std::make_unique<System>(settings, size)) {
    System& s = *system_;
    sigemptyset(&s.forwarded);
    for (int signal : kForwardedSignals) sigaddset(&s.forwarded, signal);
    sigprocmask(SIG_BLOCK, &s.forwarded, &s.unblocked);
    for (int i = 0; i < 3; ++i) sigaction(kForwardedSignals[i], nullptr, &s.previous[i]);
    // A worker that has just died must not take the parent with it when a
    // task is written to its pipe: the write fails with EPIPE instead, and
    // the worker's end is handled like any other.
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, &s.previousPipe);
    // From here on the signals only note themselves; they are let in while
    // the pool waits, and acted on between waits.
    struct sigaction note = {};
    note.sa_handler = RecordSignal;
    sigemptyset(&note.sa_mask);
    for (int signal : kForwardedSignals) sigaction(signal, &note, nullptr);
}

WorkerPool::~WorkerPool() {
    Finish();
}

std::size_t WorkerPool::Size() const {
    return system_->workers.size();
}

bool WorkerPool::Running(std::size_t worker) const {
    return system_->workers[worker].pid > 0;
}

// Forks a worker. Signals are blocked around the fork; the worker gets back
// the handlers the program had before the pool took them over (so a file
// cut short by a signal is cleaned up as in a run without -j).
bool WorkerPool::Start(std::size_t index) {
    System& s = *system_;
    Worker& worker = s.workers[index];
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
        for (const Worker& other : s.workers) {
            if (other.tasks >= 0) close(other.tasks);
            if (other.results >= 0) close(other.results);
        }
        close(tasks[1]);
        close(results[0]);
        for (int i = 0; i < 3; ++i) sigaction(kForwardedSignals[i], &s.previous[i], nullptr);
        sigaction(SIGPIPE, &s.previousPipe, nullptr);
        sigprocmask(SIG_SETMASK, &s.unblocked, nullptr);
        FdPipeEnd taskEnd(tasks[0]);
        FdPipeEnd resultEnd(results[1]);
        platform::TextCapture out;
        platform::TextCapture err;
        _exit(ServeRun(taskEnd, resultEnd, out, err) ? EXIT_SUCCESS : EXIT_FAILURE);
    }
    close(tasks[0]);
    close(results[1]);
    worker.pid = pid;
    worker.tasks = tasks[1];
    worker.results = results[0];
    FdPipeEnd taskEnd(worker.tasks);
    if (!SendFrame(taskEnd, EncodeSettings(s.settings))) {
        s.Retire(worker);
        return false;
    }
    return true;
}

bool WorkerPool::Send(std::size_t index, const std::string& input) {
    Worker& worker = system_->workers[index];
    FdPipeEnd taskEnd(worker.tasks);
    if (!SendFrame(taskEnd, input)) {
        system_->Retire(worker);
        return false;
    }
    return true;
}

std::pair<std::size_t, std::optional<WorkerAnswer>> WorkerPool::WaitForAnswer(
    const std::vector<std::size_t>& busy) {
    System& s = *system_;
    std::vector<pollfd> polled;
    for (std::size_t index : busy) polled.push_back({s.workers[index].results, POLLIN, 0});
    for (;;) {
        if (g_signal != 0) s.EndBySignal(g_signal);
        const int ready = ppoll(polled.data(), polled.size(), nullptr, &s.unblocked);
        if (g_signal != 0) s.EndBySignal(g_signal);
        if (ready > 0) break;
    }
    std::size_t at = 0;
    while (polled[at].revents == 0) ++at;
    Worker& worker = s.workers[busy[at]];
    FdPipeEnd resultEnd(worker.results);
    std::string frame;
    WorkerAnswer answer;
    if (ReceiveFrame(resultEnd, frame) && DecodeAnswer(frame, answer)) return {busy[at], answer};
    const int status = s.Retire(worker);
    // Ctrl+C reaches every worker with the parent: the run was interrupted,
    // and ends as it would without -j, with no line for the files cut short.
    if (WIFSIGNALED(status)) {
        for (int signal : kForwardedSignals) {
            if (WTERMSIG(status) == signal) s.EndBySignal(signal);
        }
    }
    return {busy[at], std::nullopt};
}

void WorkerPool::BeginBlockingRead() {
    sigprocmask(SIG_SETMASK, &system_->unblocked, nullptr);
}

void WorkerPool::EndBlockingRead() {
    sigprocmask(SIG_BLOCK, &system_->forwarded, nullptr);
    if (g_signal != 0) system_->EndBySignal(g_signal);
}

void WorkerPool::Finish() {
    System& s = *system_;
    if (s.finished) return;
    s.finished = true;
    for (Worker& worker : s.workers) s.Retire(worker);
    for (int i = 0; i < 3; ++i) sigaction(kForwardedSignals[i], &s.previous[i], nullptr);
    sigaction(SIGPIPE, &s.previousPipe, nullptr);
    sigprocmask(SIG_SETMASK, &s.unblocked, nullptr);
    if (g_signal != 0) s.EndBySignal(g_signal);
}

std::optional<int> ServeAsWorker(const std::vector<std::string>&) {
    return std::nullopt;  // workers are forked, never started by name
}

}  // namespace kelmoro
